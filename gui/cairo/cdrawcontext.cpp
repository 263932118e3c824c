#include "gui/cdrawcontext.h"

#include "gui/cairo/cairocolor.h"
#include "gui/cfont.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace VSTGUI {

namespace {
constexpr double kChannelScale = 1.0 / 255.0;
} // namespace

void setSourceColor(cairo_t* cr, const CColor& color)
{
    cairo_set_source_rgba(cr, color.red * kChannelScale, color.green * kChannelScale,
                          color.blue * kChannelScale, color.alpha * kChannelScale);
}

CImageDrawContext::CImageDrawContext(NativeImage* image, double scale)
    : CDrawContext(cairo_create(image), scale), target(image)
{}

CImageDrawContext::~CImageDrawContext()
{
    cairo_destroy(getNativeContext());
    cairo_surface_flush(target);
}

CCoord measureStringWidth(CFontDesc* font, UTF8StringPtr text, double scale)
{
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    CCoord width = 0;
    {
        CImageDrawContext measure(scratch, scale);
        measure.setFont(font);
        width = measure.getStringWidth(text);
    }
    cairo_surface_destroy(scratch);
    return width;
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style)
{
    cairo_t* cr = native;
    const CRect device = toDevice(rect, scaleFactor);
    if (style == kDrawFilled || style == kDrawFilledAndStroked)
    {
        setSourceColor(cr, fillColor);
        cairo_rectangle(cr, device.left, device.top, device.getWidth(), device.getHeight());
        cairo_fill(cr);
    }
    if (style == kDrawStroked || style == kDrawFilledAndStroked)
    {
        // The stroke's middle runs half its width inside the edge, so it covers whole pixels.
        const double width = std::max(1.0, std::round(scaleFactor));
        setSourceColor(cr, frameColor);
        cairo_set_line_width(cr, width);
        cairo_rectangle(cr, device.left + width / 2, device.top + width / 2, device.getWidth() - width,
                        device.getHeight() - width);
        cairo_stroke(cr);
    }
}

bool CDrawContext::selectFont(bool antialias)
{
    cairo_t* cr = native;
    cairo_font_face_t* face = font ? font->getFontFace() : nullptr;
    if (!face)
        return false;
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, font->getSize() * scaleFactor);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    return true;
}

CCoord CDrawContext::getStringWidth(UTF8StringPtr text)
{
    if (!text || !selectFont(true))
        return 0;
    cairo_t* cr = native;
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    return extents.x_advance / scaleFactor;
}

void CDrawContext::drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align, bool antialias)
{
    if (!text || !*text || rect.isEmpty() || !selectFont(antialias))
        return;
    cairo_t* cr = native;
    const CRect device = toDevice(rect, scaleFactor);
    cairo_save(cr);
    cairo_rectangle(cr, device.left, device.top, device.getWidth(), device.getHeight());
    cairo_clip(cr);
    cairo_font_extents_t fontExtents;
    cairo_font_extents(cr, &fontExtents);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    double x = device.left;
    if (align == kCenterText)
        x = device.left + (device.getWidth() - extents.x_advance) / 2;
    else if (align == kRightText)
        x = device.right - extents.x_advance;
    const double baseline = device.top + (device.getHeight() + fontExtents.ascent - fontExtents.descent) / 2;
    // Whole pixels keep unantialiased text crisp and the same on every redraw.
    cairo_move_to(cr, std::round(x), std::round(baseline));
    setSourceColor(cr, fontColor);
    cairo_show_text(cr, text);
    cairo_restore(cr);
}

void CDrawContext::drawPolyline(const CPoint* points, int count, CCoord lineWidth)
{
    if (!points || count < 2)
        return;
    cairo_t* cr = native;
    cairo_save(cr);
    setSourceColor(cr, frameColor);
    cairo_set_line_width(cr, lineWidth * scaleFactor);
    cairo_move_to(cr, points[0].x * scaleFactor, points[0].y * scaleFactor);
    for (int i = 1; i < count; ++i)
        cairo_line_to(cr, points[i].x * scaleFactor, points[i].y * scaleFactor);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void CDrawContext::drawImage(NativeImage* image, const CRect& destination, const CPoint& offset, bool opaque,
                             float alpha)
{
    const CRect device = toDevice(destination, scaleFactor);
    if (!image || device.isEmpty())
        return;
    cairo_t* cr = native;
    cairo_save(cr);
    cairo_rectangle(cr, device.left, device.top, device.getWidth(), device.getHeight());
    cairo_clip(cr);
    cairo_set_source_surface(cr, image, device.left - offset.x, device.top - offset.y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    if (opaque)
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    if (alpha >= 1.f)
        cairo_paint(cr);
    else
        cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}

void CDrawContext::pushClipRect(const CRect& rect)
{
    cairo_t* cr = native;
    const CRect device = toDevice(rect, scaleFactor);
    cairo_save(cr);
    cairo_rectangle(cr, device.left, device.top, device.getWidth(), device.getHeight());
    cairo_clip(cr);
}

void CDrawContext::popClipRect()
{
    cairo_restore(native);
}

} // namespace VSTGUI
