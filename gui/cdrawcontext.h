// Drawing on a cairo context in frame coordinates: fills, frames and single-line text. Views get
// one of these in draw(); it does not own the cairo context.
#pragma once

#include "gui/cgeometry.h"

typedef struct _cairo cairo_t;

namespace VSTGUI {

class CFontDesc;

enum CHoriTxtAlign : int32_t
{
    kLeftText = 0,
    kCenterText,
    kRightText,
};

enum CDrawStyle : int32_t
{
    kDrawStroked = 0,
    kDrawFilled,
    kDrawFilledAndStroked,
};

class CDrawContext
{
public:
    explicit CDrawContext(cairo_t* context) : cr(context) {}
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    cairo_t* getCairo() const { return cr; }

    void setFillColor(const CColor& color) { fillColor = color; }
    void setFrameColor(const CColor& color) { frameColor = color; }
    void setFontColor(const CColor& color) { fontColor = color; }
    void setFont(CFontDesc* newFont) { font = newFont; }
    CFontDesc* getFont() const { return font; }

    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    // One line of text inside `rect`, vertically centred and clipped to the rectangle.
    void drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align = kCenterText,
                    bool antialias = true);
    CCoord getStringWidth(UTF8StringPtr text);

    // Clipping nests: every push must be matched by a pop.
    void pushClipRect(const CRect& rect);
    void popClipRect();

private:
    bool selectFont(bool antialias);

    cairo_t* cr;
    CColor fillColor = kWhiteCColor;
    CColor frameColor = kBlackCColor;
    CColor fontColor = kWhiteCColor;
    CFontDesc* font = nullptr;
};

// Sets the cairo source colour from a CColor.
void setSourceColor(cairo_t* cr, const CColor& color);

} // namespace VSTGUI
