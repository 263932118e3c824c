// Text-showing controls: font, colours, alignment and the background they draw behind the text.
// The library defaults are white text on a black, framed background, centred and antialiased.
#pragma once

#include "gui/ccontrol.h"
#include "gui/cdrawcontext.h"

namespace VSTGUI {

class CFontDesc;

class CParamDisplay : public CControl
{
public:
    CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32_t style = 0);
    ~CParamDisplay() override;

    // The display keeps its own reference to the font.
    void setFont(CFontDesc* newFont);
    CFontDesc* getFont() const { return font; }
    void setFontColor(const CColor& color);
    const CColor& getFontColor() const { return fontColor; }
    void setBackColor(const CColor& color);
    const CColor& getBackColor() const { return backColor; }
    void setFrameColor(const CColor& color);
    const CColor& getFrameColor() const { return frameColor; }
    void setHoriAlign(CHoriTxtAlign align);
    CHoriTxtAlign getHoriAlign() const { return horiAlign; }
    void setAntialias(bool state);
    bool getAntialias() const { return antialias; }
    void setStyle(int32_t newStyle);
    int32_t getStyle() const { return style; }

protected:
    // The background bitmap if there is one, else (unless transparent) the back colour and frame.
    void drawBack(CDrawContext* context);
    void drawText(CDrawContext* context, UTF8StringPtr text);

    CFontDesc* font = nullptr;
    CColor fontColor = kWhiteCColor;
    CColor backColor = kBlackCColor;
    CColor frameColor = kBlackCColor;
    CHoriTxtAlign horiAlign = kCenterText;
    bool antialias = true;
    int32_t style;
};

} // namespace VSTGUI
