// The vector painter over cairo: each operation is the cairo call of the same name, text in
// cairo's own font selection by family name.
#include "gui/vectorpicture.h"

#include <cairo.h>

namespace VSTGUI {

namespace {

class CairoPainter : public VectorPainter
{
public:
    explicit CairoPainter(cairo_surface_t* target) : target(target), cr(cairo_create(target)) {}
    ~CairoPainter() override
    {
        cairo_destroy(cr);
        cairo_surface_flush(target);
    }
    CairoPainter(const CairoPainter&) = delete;
    CairoPainter& operator=(const CairoPainter&) = delete;

    bool isValid() const { return cairo_status(cr) == CAIRO_STATUS_SUCCESS; }

    void save() override { cairo_save(cr); }
    void restore() override { cairo_restore(cr); }
    void translate(double dx, double dy) override { cairo_translate(cr, dx, dy); }
    void scale(double factor) override { cairo_scale(cr, factor, factor); }
    void clipRect(double x, double y, double width, double height) override
    {
        cairo_path_t* path = cairo_copy_path(cr);
        cairo_new_path(cr);
        cairo_rectangle(cr, x, y, width, height);
        cairo_clip(cr);
        cairo_append_path(cr, path);
        cairo_path_destroy(path);
    }

    void moveTo(double x, double y) override { cairo_move_to(cr, x, y); }
    void lineTo(double x, double y) override { cairo_line_to(cr, x, y); }
    void arc(double centreX, double centreY, double radius, double fromAngle, double toAngle) override
    {
        cairo_arc(cr, centreX, centreY, radius, fromAngle, toAngle);
    }
    void rectangle(double x, double y, double width, double height) override
    {
        cairo_rectangle(cr, x, y, width, height);
    }
    void newSubPath() override { cairo_new_sub_path(cr); }
    void closePath() override { cairo_close_path(cr); }

    void setColor(const PaintColor& color) override
    {
        cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
    }
    void setLinearGradient(double x0, double y0, double x1, double y1, ColorStops stops) override
    {
        useGradient(cairo_pattern_create_linear(x0, y0, x1, y1), stops);
    }
    void setRadialGradient(double centreX0, double centreY0, double radius0, double centreX1, double centreY1,
                           double radius1, ColorStops stops) override
    {
        useGradient(cairo_pattern_create_radial(centreX0, centreY0, radius0, centreX1, centreY1, radius1),
                    stops);
    }
    void setLineWidth(double width) override { cairo_set_line_width(cr, width); }
    void setRoundCaps(bool round) override
    {
        cairo_set_line_cap(cr, round ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
    }

    void fill() override { cairo_fill(cr); }
    void fillPreserve() override { cairo_fill_preserve(cr); }
    void stroke() override { cairo_stroke(cr); }
    void paint() override { cairo_paint(cr); }

    void selectFont(const char* family, bool bold, bool italic, double size) override
    {
        cairo_select_font_face(cr, family, italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                               bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, size);
    }
    double textAdvance(const std::string& text) override
    {
        cairo_text_extents_t extents;
        cairo_text_extents(cr, text.c_str(), &extents);
        return extents.x_advance;
    }
    FontMetrics fontMetrics() override
    {
        cairo_font_extents_t extents;
        cairo_font_extents(cr, &extents);
        return {extents.ascent, extents.descent};
    }
    void showText(const std::string& text) override { cairo_show_text(cr, text.c_str()); }
    void textPath(const std::string& text) override { cairo_text_path(cr, text.c_str()); }

private:
    void useGradient(cairo_pattern_t* gradient, ColorStops stops)
    {
        for (const ColorStop& stop : stops)
            cairo_pattern_add_color_stop_rgba(gradient, stop.offset, stop.color.red, stop.color.green,
                                              stop.color.blue, stop.color.alpha);
        cairo_set_source(cr, gradient);
        cairo_pattern_destroy(gradient);
    }

    cairo_surface_t* target;
    cairo_t* cr;
};

} // namespace

std::unique_ptr<VectorPainter> createVectorPainter(NativeImage* target)
{
    if (!target)
        return nullptr;
    auto painter = std::make_unique<CairoPainter>(target);
    if (!painter->isValid())
        return nullptr;
    return painter;
}

} // namespace VSTGUI
