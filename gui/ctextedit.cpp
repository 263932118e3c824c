#include "gui/ctextedit.h"

#include "gui/cframe.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

namespace {

constexpr CCoord kTextInset = 4;
constexpr CCoord kCaretWidth = 1;
constexpr CCoord kCaretInset = 4;
constexpr char32_t kFirstPrintable = 0x20;
constexpr char32_t kDelete = 0x7F;
constexpr char32_t kLastC1Control = 0x9F;
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string utf8Of(char32_t c)
{
    std::string out;
    if (c < 0x80)
        out += static_cast<char>(c);
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

bool isTypable(char32_t c)
{
    return c >= kFirstPrintable && c != kDelete && !(c > kDelete && c <= kLastC1Control) &&
           !(c >= kFirstSurrogate && c <= kLastSurrogate) && c <= kLastCodePoint;
}

} // namespace

CTextEdit::CTextEdit(const CRect& size, CControlListener* editListener, int32_t editTag, UTF8StringPtr text)
    : CTextLabel(size, text)
{
    setListener(editListener);
    setTag(editTag);
    setHoriAlign(kLeftText);
}

bool CTextEdit::beginEditing()
{
    if (!frame)
        return false;
    frame->setFocusView(this);
    return editing;
}

void CTextEdit::onFocusGained()
{
    if (editing)
        return;
    edited = getText();
    caret = edited.size();
    editing = true;
    committed = false;
    beginEdit();
    setDirty();
}

void CTextEdit::onFocusLost()
{
    if (editing)
        finishEditing(false);
}

void CTextEdit::finishEditing(bool commit)
{
    editing = false;
    committed = commit;
    // Keys no longer come here, before the listener hears of it: it may start a new edit.
    if (frame && frame->getFocusView() == this)
        frame->setFocusView(nullptr);
    setDirty();
    if (commit)
    {
        setText(edited.c_str());
        valueChanged();
    }
    endEdit();
}

CMouseEventResult CTextEdit::onMouseDown(CPoint& /*where*/, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    beginEditing();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

std::size_t CTextEdit::previousCharacter(std::size_t position) const
{
    while (position > 0 && isContinuationByte(edited[--position]))
    {}
    return position;
}

std::size_t CTextEdit::nextCharacter(std::size_t position) const
{
    if (position >= edited.size())
        return edited.size();
    ++position;
    while (position < edited.size() && isContinuationByte(edited[position]))
        ++position;
    return position;
}

void CTextEdit::insert(char32_t character)
{
    const std::string bytes = utf8Of(character);
    if (edited.size() + bytes.size() > maxLength)
        return;
    edited.insert(caret, bytes);
    caret += bytes.size();
}

bool CTextEdit::onKeyDown(const CKeyEvent& key)
{
    if (!editing)
        return false;
    switch (key.virtualKey)
    {
    case kVirtualKeyReturn:
        finishEditing(true);
        return true;
    case kVirtualKeyEscape:
        finishEditing(false);
        return true;
    case kVirtualKeyBack:
        if (caret > 0)
        {
            const std::size_t start = previousCharacter(caret);
            edited.erase(start, caret - start);
            caret = start;
        }
        break;
    case kVirtualKeyDelete:
        edited.erase(caret, nextCharacter(caret) - caret);
        break;
    case kVirtualKeyLeft:
        caret = previousCharacter(caret);
        break;
    case kVirtualKeyRight:
        caret = nextCharacter(caret);
        break;
    case kVirtualKeyHome:
        caret = 0;
        break;
    case kVirtualKeyEnd:
        caret = edited.size();
        break;
    case kVirtualKeyNone:
        if (!isTypable(key.character) || (key.modifiers & (kControl | kApple)))
            return false;
        insert(key.character);
        break;
    default:
        return false;
    }
    setDirty();
    return true;
}

void CTextEdit::draw(CDrawContext* context)
{
    drawBack(context);
    if (!editing)
    {
        drawText(context, getText());
        setDirty(false);
        return;
    }
    context->setFont(font);
    context->setFontColor(fontColor);
    // The text scrolls left when it is too long for the box, so the caret stays in view.
    const CCoord room = size.getWidth() - 2 * kTextInset;
    const CCoord caretOffset = context->getStringWidth(edited.substr(0, caret).c_str());
    const CCoord scroll = std::max<CCoord>(0, caretOffset - room);
    CRect textRect(size.left + kTextInset - scroll, size.top, size.right + scroll, size.bottom);
    context->drawString(edited.c_str(), textRect, kLeftText, antialias);
    const CCoord x = std::floor(size.left + kTextInset + caretOffset - scroll);
    context->setFillColor(caretColor);
    context->drawRect(CRect(x, size.top + kCaretInset, x + kCaretWidth, size.bottom - kCaretInset),
                      kDrawFilled);
    setDirty(false);
}

} // namespace VSTGUI
