#include "gui/cdrawcontext.h"

#include "gui/cairo/cairocolor.h"
#include "gui/cfont.h"

#include <cairo.h>

#include <cmath>

namespace VSTGUI {

namespace {
constexpr double kChannelScale = 1.0 / 255.0;
// Strokes of one pixel sit on pixel centres so that they cover exactly one row or column.
constexpr double kHalfPixel = 0.5;
} // namespace

void setSourceColor(cairo_t* cr, const CColor& color)
{
    cairo_set_source_rgba(cr, color.red * kChannelScale, color.green * kChannelScale,
                          color.blue * kChannelScale, color.alpha * kChannelScale);
}

CImageDrawContext::CImageDrawContext(NativeImage* image) : CDrawContext(cairo_create(image)), target(image) {}

CImageDrawContext::~CImageDrawContext()
{
    cairo_destroy(getNativeContext());
    cairo_surface_flush(target);
}

CCoord measureStringWidth(CFontDesc* font, UTF8StringPtr text)
{
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    CCoord width = 0;
    {
        CImageDrawContext measure(scratch);
        measure.setFont(font);
        width = measure.getStringWidth(text);
    }
    cairo_surface_destroy(scratch);
    return width;
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style)
{
    cairo_t* cr = native;
    if (style == kDrawFilled || style == kDrawFilledAndStroked)
    {
        setSourceColor(cr, fillColor);
        cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
        cairo_fill(cr);
    }
    if (style == kDrawStroked || style == kDrawFilledAndStroked)
    {
        setSourceColor(cr, frameColor);
        cairo_set_line_width(cr, 1.0);
        cairo_rectangle(cr, rect.left + kHalfPixel, rect.top + kHalfPixel, rect.getWidth() - 1,
                        rect.getHeight() - 1);
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
    cairo_set_font_size(cr, font->getSize());
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
    return extents.x_advance;
}

void CDrawContext::drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align, bool antialias)
{
    if (!text || !*text || rect.isEmpty() || !selectFont(antialias))
        return;
    cairo_t* cr = native;
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(cr);
    cairo_font_extents_t fontExtents;
    cairo_font_extents(cr, &fontExtents);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    double x = rect.left;
    if (align == kCenterText)
        x = rect.left + (rect.getWidth() - extents.x_advance) / 2;
    else if (align == kRightText)
        x = rect.right - extents.x_advance;
    const double baseline = rect.top + (rect.getHeight() + fontExtents.ascent - fontExtents.descent) / 2;
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
    cairo_set_line_width(cr, lineWidth);
    cairo_move_to(cr, points[0].x, points[0].y);
    for (int i = 1; i < count; ++i)
        cairo_line_to(cr, points[i].x, points[i].y);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void CDrawContext::drawImage(NativeImage* image, const CRect& destination, const CPoint& offset, bool opaque,
                             float alpha)
{
    if (!image || destination.isEmpty())
        return;
    cairo_t* cr = native;
    cairo_save(cr);
    cairo_rectangle(cr, destination.left, destination.top, destination.getWidth(), destination.getHeight());
    cairo_clip(cr);
    cairo_set_source_surface(cr, image, destination.left - offset.x, destination.top - offset.y);
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
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(cr);
}

void CDrawContext::popClipRect()
{
    cairo_restore(native);
}

} // namespace VSTGUI
