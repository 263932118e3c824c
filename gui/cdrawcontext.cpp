#include "gui/cdrawcontext.h"

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

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style)
{
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
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    return extents.x_advance;
}

void CDrawContext::drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align, bool antialias)
{
    if (!text || !*text || rect.isEmpty() || !selectFont(antialias))
        return;
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

void CDrawContext::pushClipRect(const CRect& rect)
{
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(cr);
}

void CDrawContext::popClipRect()
{
    cairo_restore(cr);
}

} // namespace VSTGUI
