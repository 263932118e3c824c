#include "gui/ctextbutton.h"

#include "gui/cdrawcontext.h"
#include "gui/cfont.h"

namespace VSTGUI {

namespace {

constexpr CCoord kArrowHalfHeight = 5;
constexpr CCoord kArrowDepth = 4;
constexpr CCoord kArrowStroke = 2;

} // namespace

CTextButton::CTextButton(const CRect& size, CControlListener* buttonListener, int32_t buttonTag,
                         UTF8StringPtr buttonTitle, Icon buttonIcon)
    : CKickButton(size, buttonListener, buttonTag, nullptr), title(buttonTitle ? buttonTitle : ""),
      icon(buttonIcon)
{}

CTextButton::~CTextButton()
{
    if (font)
        font->forget();
}

void CTextButton::setFont(CFontDesc* newFont)
{
    if (newFont)
        newFont->remember();
    if (font)
        font->forget();
    font = newFont;
    setDirty();
}

void CTextButton::setColors(const CColor& text, const CColor& face, const CColor& pressedFace,
                            const CColor& edge)
{
    textColor = text;
    faceColor = face;
    pressedFaceColor = pressedFace;
    edgeColor = edge;
    setDirty();
}

void CTextButton::draw(CDrawContext* context)
{
    context->setFillColor(value == vmax ? pressedFaceColor : faceColor);
    context->setFrameColor(edgeColor);
    context->drawRect(size, kDrawFilledAndStroked);
    if (icon == Icon::None)
    {
        context->setFont(font);
        context->setFontColor(textColor);
        context->drawString(title.c_str(), size, kCenterText, true);
    }
    else
    {
        drawIcon(context);
    }
    setDirty(false);
}

void CTextButton::drawIcon(CDrawContext* context) const
{
    const CPoint centre = size.getCenter();
    const CCoord direction = icon == Icon::PreviousArrow ? -1 : 1;
    const CPoint chevron[] = {CPoint(centre.x - direction * kArrowDepth / 2, centre.y - kArrowHalfHeight),
                              CPoint(centre.x + direction * kArrowDepth / 2, centre.y),
                              CPoint(centre.x - direction * kArrowDepth / 2, centre.y + kArrowHalfHeight)};
    context->setFrameColor(textColor);
    context->drawPolyline(chevron, 3, kArrowStroke);
}

} // namespace VSTGUI
