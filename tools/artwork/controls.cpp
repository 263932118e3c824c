#include "tools/artwork/artwork.h"
#include "tools/artwork/painting.h"

#include "source/editor/editorlayout.h"

#include <cmath>

namespace talvane::artwork {

namespace {

// The knob's travel in cairo's angles (clockwise from 3 o'clock): from 7:30 through 12 to 4:30.
constexpr double kKnobStart = 0.75 * kPi;
constexpr double kKnobTravel = 1.5 * kPi;
constexpr double kKnobTop = 1.5 * kPi;
// Arcs shorter than this (about a frame and a half) stay undrawn, so the zero frames show no value.
constexpr double kShortestArc = 0.02;

void drawKnob(cairo_t* cr, double size, double t, KnobKind kind)
{
    const double c = size / 2;
    const double trackRadius = size * 0.42;
    const double bodyRadius = size * 0.30;
    const Rgb accent = kind == KnobKind::Red ? palette::kRed : palette::kBlue;
    const double angle = kKnobStart + kKnobTravel * t;

    // Track.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 3.2);
    setColor(cr, palette::kInset);
    cairo_arc(cr, c, c, trackRadius, kKnobStart, kKnobStart + kKnobTravel);
    cairo_stroke(cr);

    // Value arc, with a soft glow beneath it.
    double from = kKnobStart;
    double to = angle;
    if (kind == KnobKind::BlueCentre)
    {
        from = std::fmin(kKnobTop, angle);
        to = std::fmax(kKnobTop, angle);
    }
    if (to - from > kShortestArc)
    {
        cairo_set_line_width(cr, 5.0);
        setColor(cr, accent, 0.22);
        cairo_arc(cr, c, c, trackRadius, from, to);
        cairo_stroke(cr);
        cairo_set_line_width(cr, 2.4);
        setColor(cr, accent);
        cairo_arc(cr, c, c, trackRadius, from, to);
        cairo_stroke(cr);
    }
    if (kind == KnobKind::BlueCentre)
    {
        // The zero mark at 12 o'clock.
        setColor(cr, palette::kLegend);
        cairo_rectangle(cr, c - 0.75, c - trackRadius - 3.5, 1.5, 2.0);
        cairo_fill(cr);
    }

    // Shadow and body.
    cairo_pattern_t* shadow =
        cairo_pattern_create_radial(c, c + 1.5, bodyRadius * 0.6, c, c + 1.5, bodyRadius + 3);
    cairo_pattern_add_color_stop_rgba(shadow, 0, 0, 0, 0, 0.6);
    cairo_pattern_add_color_stop_rgba(shadow, 1, 0, 0, 0, 0);
    cairo_set_source(cr, shadow);
    cairo_arc(cr, c, c + 1.5, bodyRadius + 3, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(shadow);

    cairo_pattern_t* body = cairo_pattern_create_linear(0, c - bodyRadius, 0, c + bodyRadius);
    const Rgb top = hex(0x4a525e);
    const Rgb bottom = hex(0x1d2127);
    cairo_pattern_add_color_stop_rgb(body, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(body, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, body);
    cairo_arc(cr, c, c, bodyRadius, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(body);

    cairo_set_line_width(cr, 1.0);
    setColor(cr, hex(0x5d6673), 0.8);
    cairo_arc(cr, c, c, bodyRadius - 0.5, 1.1 * kPi, 1.9 * kPi);
    cairo_stroke(cr);
    setColor(cr, hex(0x101216));
    cairo_arc(cr, c, c, bodyRadius, 0, 2 * kPi);
    cairo_stroke(cr);

    // Pointer.
    cairo_set_line_width(cr, 2.4);
    setColor(cr, palette::kPointer);
    cairo_move_to(cr, c + std::cos(angle) * bodyRadius * 0.25, c + std::sin(angle) * bodyRadius * 0.25);
    cairo_line_to(cr, c + std::cos(angle) * (bodyRadius - 2), c + std::sin(angle) * (bodyRadius - 2));
    cairo_stroke(cr);
}

void drawWheel(cairo_t* cr, double width, double height, double t)
{
    roundedRect(cr, 0.5, 0.5, width - 1, height - 1, 3);
    setColor(cr, palette::kInset);
    cairo_fill_preserve(cr);
    setColor(cr, palette::kPanelEdge);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    // The cylinder: bright in the middle, dark towards the rims.
    const double left = 2.5;
    const double right = width - 2.5;
    const double top = 2.5;
    const double bottom = height - 2.5;
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, top, 0, bottom);
    cairo_pattern_add_color_stop_rgb(shade, 0.0, 0.08, 0.09, 0.10);
    cairo_pattern_add_color_stop_rgb(shade, 0.5, 0.36, 0.39, 0.44);
    cairo_pattern_add_color_stop_rgb(shade, 1.0, 0.08, 0.09, 0.10);
    cairo_set_source(cr, shade);
    cairo_rectangle(cr, left, top, right - left, bottom - top);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);

    // Ridges turn with the value; seen on a cylinder they bunch up towards the rims.
    const double radius = (bottom - top) / 2;
    const double middle = (top + bottom) / 2;
    const int ridges = 14;
    const double turn = t * kPi * 0.9;
    cairo_set_line_width(cr, 1.0);
    for (int k = 0; k < ridges; ++k)
    {
        const double phi = std::fmod(k * (2 * kPi / ridges) + turn, 2 * kPi);
        if (phi > kPi)
            continue;
        const double y = middle - std::cos(phi) * radius;
        const double light = 0.25 + 0.5 * std::sin(phi);
        cairo_set_source_rgba(cr, 0.02, 0.02, 0.03, light);
        cairo_move_to(cr, left, std::floor(y) + 0.5);
        cairo_line_to(cr, right, std::floor(y) + 0.5);
        cairo_stroke(cr);
    }

    // The marker: bottom at the minimum, centre in the middle, top at the maximum.
    const double markerY = middle + std::cos(kPi * t) * (radius - 2);
    setColor(cr, palette::kLit);
    cairo_rectangle(cr, left, std::round(markerY) - 1, right - left, 2);
    cairo_fill(cr);
}

cairo_surface_t* createStrip(int width, int frameHeight, int frames)
{
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, frameHeight * frames);
}

} // namespace

cairo_surface_t* drawKnobStrip(KnobKind kind, int size, int frames)
{
    cairo_surface_t* strip = createStrip(size, size, frames);
    cairo_t* cr = cairo_create(strip);
    for (int i = 0; i < frames; ++i)
    {
        cairo_save(cr);
        cairo_translate(cr, 0, i * size);
        cairo_rectangle(cr, 0, 0, size, size);
        cairo_clip(cr);
        drawKnob(cr, size, frames > 1 ? static_cast<double>(i) / (frames - 1) : 0.0, kind);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    return strip;
}

cairo_surface_t* drawWheelStrip(int width, int frameHeight, int frames)
{
    cairo_surface_t* strip = createStrip(width, frameHeight, frames);
    cairo_t* cr = cairo_create(strip);
    for (int i = 0; i < frames; ++i)
    {
        cairo_save(cr);
        cairo_translate(cr, 0, i * frameHeight);
        cairo_rectangle(cr, 0, 0, width, frameHeight);
        cairo_clip(cr);
        drawWheel(cr, width, frameHeight, frames > 1 ? static_cast<double>(i) / (frames - 1) : 0.0);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    return strip;
}

cairo_surface_t* drawButton(int width, int frameHeight, bool relief)
{
    cairo_surface_t* strip = createStrip(width, frameHeight, 2);
    cairo_t* cr = cairo_create(strip);
    for (int on = 0; on < 2; ++on)
    {
        cairo_save(cr);
        cairo_translate(cr, 0, on * frameHeight);
        const double w = width;
        const double h = frameHeight;
        roundedRect(cr, 0.5, 0.5, w - 1, h - 1, 3);
        if (relief)
        {
            // Raised when off, pressed in when on.
            cairo_pattern_t* face = cairo_pattern_create_linear(0, 0, 0, h);
            const Rgb light = hex(on ? 0x22262c : 0x535b67);
            const Rgb dark = hex(on ? 0x3a414b : 0x23272e);
            cairo_pattern_add_color_stop_rgb(face, 0, light.r, light.g, light.b);
            cairo_pattern_add_color_stop_rgb(face, 1, dark.r, dark.g, dark.b);
            cairo_set_source(cr, face);
            cairo_fill_preserve(cr);
            cairo_pattern_destroy(face);
        }
        else
        {
            setColor(cr, hex(on ? 0x2b3038 : 0x2f353e));
            cairo_fill_preserve(cr);
        }
        setColor(cr, hex(0x0e1013));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        if (relief && !on)
        {
            setColor(cr, hex(0x6b7481), 0.7);
            cairo_move_to(cr, 3, 1.5);
            cairo_line_to(cr, w - 3, 1.5);
            cairo_stroke(cr);
        }

        // The lamp.
        const double lampWidth = w * 0.5;
        const double lampX = (w - lampWidth) / 2;
        const double lampY = h / 2 - 1.5;
        if (on)
        {
            setColor(cr, palette::kLit, 0.25);
            roundedRect(cr, lampX - 2, lampY - 2, lampWidth + 4, 7, 3);
            cairo_fill(cr);
        }
        setColor(cr, on ? palette::kLit : palette::kUnlit);
        roundedRect(cr, lampX, lampY, lampWidth, 3, 1.5);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    return strip;
}

cairo_surface_t* drawListBox(int width, int height)
{
    cairo_surface_t* image = createStrip(width, height, 1);
    cairo_t* cr = cairo_create(image);
    roundedRect(cr, 0.5, 0.5, width - 1, height - 1, 2.5);
    setColor(cr, palette::kInset);
    cairo_fill_preserve(cr);
    setColor(cr, palette::kPanelEdge);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // Inner shadow along the top edge.
    setColor(cr, hex(0x000000), 0.5);
    cairo_move_to(cr, 2, 1.5);
    cairo_line_to(cr, width - 2, 1.5);
    cairo_stroke(cr);
    // A small corner mark says "this opens a list".
    setColor(cr, palette::kLegend);
    cairo_move_to(cr, width - 2.0, height - 2.0);
    cairo_line_to(cr, width - 5.0, height - 2.0);
    cairo_line_to(cr, width - 2.0, height - 5.0);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_destroy(cr);
    return image;
}

cairo_surface_t* drawPageSwitcher(int width, int frameHeight)
{
    static const char* const kTitles[kNumPages] = {"ENVELOPES", "LFO", "MATRIX"};
    cairo_surface_t* strip = createStrip(width, frameHeight, kNumPages);
    cairo_t* cr = cairo_create(strip);
    for (int highlighted = 0; highlighted < kNumPages; ++highlighted)
    {
        cairo_save(cr);
        cairo_translate(cr, 0, highlighted * frameHeight);
        roundedRect(cr, 0.5, 0.5, width - 1, frameHeight - 1, 3);
        setColor(cr, hex(0x15181c));
        cairo_fill_preserve(cr);
        setColor(cr, palette::kPanelEdge);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        for (int page = 0; page < kNumPages; ++page)
        {
            const double left = kPageZoneStarts[page] - kPageSwitcherX;
            const double right = page + 1 < kNumPages ? kPageZoneStarts[page + 1] - kPageSwitcherX : width;
            const bool lit = page == highlighted;
            if (lit)
            {
                roundedRect(cr, left + 2, 2, right - left - 4, frameHeight - 4, 2);
                setColor(cr, hex(0x1f4b5a));
                cairo_fill(cr);
                setColor(cr, palette::kLit);
                cairo_rectangle(cr, left + 6, frameHeight - 4, right - left - 12, 1.5);
                cairo_fill(cr);
            }
            if (page > 0)
            {
                setColor(cr, palette::kPanelEdge);
                cairo_rectangle(cr, left, 4, 1, frameHeight - 8);
                cairo_fill(cr);
            }
            drawText(cr, kTitles[page], (left + right) / 2, frameHeight / 2.0 - 0.5, 10, true, Align::Centre,
                     lit ? hex(0xffffff) : palette::kLegend, 1.2);
        }
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    return strip;
}

} // namespace talvane::artwork
