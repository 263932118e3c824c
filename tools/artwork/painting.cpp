#include "tools/artwork/painting.h"

#include <vector>

namespace talvane::artwork {

namespace {
constexpr const char* kFontFamily = "Liberation Sans";
}

void setColor(cairo_t* cr, const Rgb& color, double alpha)
{
    cairo_set_source_rgba(cr, color.r, color.g, color.b, alpha);
}

void roundedRect(cairo_t* cr, double x, double y, double width, double height, double radius)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - radius, y + radius, radius, -kPi / 2, 0);
    cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, kPi / 2);
    cairo_arc(cr, x + radius, y + height - radius, radius, kPi / 2, kPi);
    cairo_arc(cr, x + radius, y + radius, radius, kPi, 1.5 * kPi);
    cairo_close_path(cr);
}

void drawText(cairo_t* cr, const std::string& text, double x, double middleY, double size, bool bold,
              Align align, const Rgb& color, double tracking)
{
    cairo_save(cr);
    cairo_select_font_face(cr, kFontFamily, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    // Measure letter by letter so that tracking is included in the alignment.
    double width = 0;
    std::vector<double> advances;
    for (char c : text)
    {
        const char letter[2] = {c, 0};
        cairo_text_extents_t extents;
        cairo_text_extents(cr, letter, &extents);
        advances.push_back(extents.x_advance);
        width += extents.x_advance + tracking;
    }
    if (!text.empty())
        width -= tracking;
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    double left = x;
    if (align == Align::Centre)
        left = x - width / 2;
    else if (align == Align::Right)
        left = x - width;
    const double baseline = middleY + (font.ascent - font.descent) / 2;
    setColor(cr, color);
    double pen = left;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char letter[2] = {text[i], 0};
        cairo_move_to(cr, pen, baseline);
        cairo_show_text(cr, letter);
        pen += advances[i] + tracking;
    }
    cairo_restore(cr);
}

} // namespace talvane::artwork
