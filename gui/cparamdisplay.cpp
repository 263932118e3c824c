#include "gui/cparamdisplay.h"

#include "gui/cbitmap.h"
#include "gui/cfont.h"

namespace VSTGUI {

namespace {
constexpr CCoord kDefaultFontSize = 12;
} // namespace

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* bitmap, int32_t displayStyle)
    : CControl(size, nullptr, 0, bitmap), style(displayStyle)
{
    font = new CFontDesc("Arial", kDefaultFontSize);
}

CParamDisplay::~CParamDisplay()
{
    if (font)
        font->forget();
}

void CParamDisplay::setFont(CFontDesc* newFont)
{
    if (newFont == font)
        return;
    if (newFont)
        newFont->remember();
    if (font)
        font->forget();
    font = newFont;
    setDirty();
}

void CParamDisplay::setFontColor(const CColor& color)
{
    fontColor = color;
    setDirty();
}

void CParamDisplay::setBackColor(const CColor& color)
{
    backColor = color;
    setDirty();
}

void CParamDisplay::setFrameColor(const CColor& color)
{
    frameColor = color;
    setDirty();
}

void CParamDisplay::setHoriAlign(CHoriTxtAlign align)
{
    horiAlign = align;
    setDirty();
}

void CParamDisplay::setAntialias(bool state)
{
    antialias = state;
    setDirty();
}

void CParamDisplay::setStyle(int32_t newStyle)
{
    style = newStyle;
    setDirty();
}

void CParamDisplay::drawBack(CDrawContext* context)
{
    if (background)
    {
        background->draw(context, size);
        return;
    }
    if (transparency)
        return;
    context->setFillColor(backColor);
    context->setFrameColor(frameColor);
    context->drawRect(size, kDrawFilledAndStroked);
}

void CParamDisplay::drawText(CDrawContext* context, UTF8StringPtr text)
{
    context->setFont(font);
    context->setFontColor(fontColor);
    context->drawString(text, size, horiAlign, antialias);
}

} // namespace VSTGUI
