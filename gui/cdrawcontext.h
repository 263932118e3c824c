// Drawing in frame coordinates: fills, frames, polylines, images and single-line text. Views get
// one of these in draw(); it does not own the drawing library's context. The drawing library
// (cairo or GDI+) implements it, see gui/platform/nativegraphics.h.
//
// A context draws at a scale factor: frame coordinates become device pixels (toDevice), text is
// set in its font at the scaled size and lines get scaled widths, so that everything is drawn at
// the target resolution. Images are the exception: their pixels are device pixels, drawn as they
// are (CBitmap picks or paints the image for the scale).
#pragma once

#include "gui/cgeometry.h"
#include "gui/platform/nativegraphics.h"

#include <cstdint>
#include <vector>

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
    explicit CDrawContext(NativeContext* context, double scale = 1.0) : native(context), scaleFactor(scale) {}
    virtual ~CDrawContext() = default;
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    NativeContext* getNativeContext() const { return native; }
    // Device pixels per frame coordinate unit.
    double getScaleFactor() const { return scaleFactor; }

    void setFillColor(const CColor& color) { fillColor = color; }
    void setFrameColor(const CColor& color) { frameColor = color; }
    void setFontColor(const CColor& color) { fontColor = color; }
    void setFont(CFontDesc* newFont) { font = newFont; }
    CFontDesc* getFont() const { return font; }

    // A stroked rectangle's frame is one unit wide (in whole device pixels, at least one).
    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    // One line of text inside `rect`, vertically centred and clipped to the rectangle.
    void drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align = kCenterText,
                    bool antialias = true);
    // In frame coordinates, as the text is set at this context's scale.
    CCoord getStringWidth(UTF8StringPtr text);
    // Connected line segments through `points` in the frame colour, `lineWidth` wide, antialiased.
    void drawPolyline(const CPoint* points, int count, CCoord lineWidth);
    // The part of `image` that starts at pixel `offset` of the image, into the device pixels of
    // `destination`, unscaled and clipped to it. An opaque draw replaces what lies beneath;
    // otherwise the image blends with `alpha` over it.
    void drawImage(NativeImage* image, const CRect& destination, const CPoint& offset = CPoint(0, 0),
                   bool opaque = false, float alpha = 1.f);

    // Clipping nests: every push must be matched by a pop.
    void pushClipRect(const CRect& rect);
    void popClipRect();

private:
    bool selectFont(bool antialias);

    NativeContext* native;
    double scaleFactor;
    // Where the drawing library hands out handles for saved states (GDI+), the open ones.
    std::vector<uint32_t> savedStates;
    CColor fillColor = kWhiteCColor;
    CColor frameColor = kBlackCColor;
    CColor fontColor = kWhiteCColor;
    CFontDesc* font = nullptr;
};

// A context that draws into an image (a back buffer, a pop-up's surface) and owns the drawing
// library's context for it; what was drawn is in the image when it is destroyed.
class CImageDrawContext : public CDrawContext
{
public:
    explicit CImageDrawContext(NativeImage* image, double scale = 1.0);
    ~CImageDrawContext() override;

private:
    NativeImage* target;
};

// The width of `text` in `font` set at `scale`, in frame coordinates, without a context to draw on
// (layout of pop-ups).
CCoord measureStringWidth(CFontDesc* font, UTF8StringPtr text, double scale = 1.0);

} // namespace VSTGUI
