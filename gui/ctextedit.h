// A line of text to type into. A click (or beginEditing) takes the frame's keyboard focus and
// starts an edit: characters go in at the caret, Backspace and Delete take them out, Left, Right,
// Home and End move the caret. Return commits the edit: the listener hears valueChanged, and the
// text is the typed one. Escape, or the focus going elsewhere, ends the edit without committing.
// The listener hears controlBeginEdit when an edit starts and controlEndEdit when it ends, after
// valueChanged for a committed one.
#pragma once

#include "gui/ctextlabel.h"

#include <string>

namespace VSTGUI {

class CTextEdit : public CTextLabel
{
public:
    CTextEdit(const CRect& size, CControlListener* listener, int32_t tag, UTF8StringPtr text = nullptr);

    // Takes the keyboard focus with the caret after the text; false when not in a frame.
    bool beginEditing();
    bool isEditing() const { return editing; }
    // Whether the last edit ended with Return.
    bool wasCommitted() const { return committed; }
    // The caret as a byte offset into the text (UTF-8).
    std::size_t getCaret() const { return caret; }
    // Typing stops at this many bytes of UTF-8.
    void setMaxLength(std::size_t bytes) { maxLength = bytes; }

    void setCaretColor(const CColor& color) { caretColor = color; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool onKeyDown(const CKeyEvent& key) override;
    void onFocusGained() override;
    void onFocusLost() override;

private:
    void finishEditing(bool commit);
    void insert(char32_t character);
    std::size_t previousCharacter(std::size_t position) const;
    std::size_t nextCharacter(std::size_t position) const;

    std::string edited; // the text while an edit is open
    std::size_t caret = 0;
    std::size_t maxLength = 255;
    bool editing = false;
    bool committed = false;
    CColor caretColor = kWhiteCColor;
};

} // namespace VSTGUI
