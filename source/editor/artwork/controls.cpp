#include "source/editor/artwork/artwork.h"
#include "source/editor/artwork/painting.h"

#include "source/editor/editorlayout.h"

#include <cmath>

namespace talvane::artwork {

namespace {

// The knob's travel in the painter's angles (clockwise from 3 o'clock): from 7:30 through 12 to 4:30.
constexpr double kKnobStart = 0.75 * kPi;
constexpr double kKnobTravel = 1.5 * kPi;
constexpr double kKnobTop = 1.5 * kPi;
// Arcs shorter than this (about a frame and a half) stay undrawn, so the zero frames show no value.
constexpr double kShortestArc = 0.02;

void drawKnob(VectorPainter& p, double size, double t, KnobKind kind)
{
    const double c = size / 2;
    const double trackRadius = size * 0.42;
    const double bodyRadius = size * 0.30;
    const Rgb accent = kind == KnobKind::Red ? palette::kRed : palette::kBlue;
    const double angle = kKnobStart + kKnobTravel * t;

    // Track.
    p.setRoundCaps(true);
    p.setLineWidth(3.2);
    setColor(p, palette::kInset);
    p.arc(c, c, trackRadius, kKnobStart, kKnobStart + kKnobTravel);
    p.stroke();

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
        p.setLineWidth(5.0);
        setColor(p, accent, 0.22);
        p.arc(c, c, trackRadius, from, to);
        p.stroke();
        p.setLineWidth(2.4);
        setColor(p, accent);
        p.arc(c, c, trackRadius, from, to);
        p.stroke();
    }
    if (kind == KnobKind::BlueCentre)
    {
        // The zero mark at 12 o'clock.
        setColor(p, palette::kLegend);
        p.rectangle(c - 0.75, c - trackRadius - 3.5, 1.5, 2.0);
        p.fill();
    }

    // Shadow and body.
    p.setRadialGradient(c, c + 1.5, bodyRadius * 0.6, c, c + 1.5, bodyRadius + 3,
                        {{0, {0, 0, 0, 0.6}}, {1, {0, 0, 0, 0}}});
    p.arc(c, c + 1.5, bodyRadius + 3, 0, 2 * kPi);
    p.fill();

    const Rgb top = hex(0x4a525e);
    const Rgb bottom = hex(0x1d2127);
    p.setLinearGradient(0, c - bodyRadius, 0, c + bodyRadius,
                        {{0, paintColor(top)}, {1, paintColor(bottom)}});
    p.arc(c, c, bodyRadius, 0, 2 * kPi);
    p.fill();

    p.setLineWidth(1.0);
    setColor(p, hex(0x5d6673), 0.8);
    p.arc(c, c, bodyRadius - 0.5, 1.1 * kPi, 1.9 * kPi);
    p.stroke();
    setColor(p, hex(0x101216));
    p.arc(c, c, bodyRadius, 0, 2 * kPi);
    p.stroke();

    // Pointer.
    p.setLineWidth(2.4);
    setColor(p, palette::kPointer);
    p.moveTo(c + std::cos(angle) * bodyRadius * 0.25, c + std::sin(angle) * bodyRadius * 0.25);
    p.lineTo(c + std::cos(angle) * (bodyRadius - 2), c + std::sin(angle) * (bodyRadius - 2));
    p.stroke();
}

void drawWheel(VectorPainter& p, double width, double height, double t)
{
    roundedRect(p, 0.5, 0.5, width - 1, height - 1, 3);
    setColor(p, palette::kInset);
    p.fillPreserve();
    setColor(p, palette::kPanelEdge);
    p.setLineWidth(1);
    p.stroke();

    // The cylinder: bright in the middle, dark towards the rims.
    const double left = 2.5;
    const double right = width - 2.5;
    const double top = 2.5;
    const double bottom = height - 2.5;
    p.setLinearGradient(0, top, 0, bottom,
                        {{0.0, {0.08, 0.09, 0.10}}, {0.5, {0.36, 0.39, 0.44}}, {1.0, {0.08, 0.09, 0.10}}});
    p.rectangle(left, top, right - left, bottom - top);
    p.fill();

    // Ridges turn with the value; seen on a cylinder they bunch up towards the rims.
    const double radius = (bottom - top) / 2;
    const double middle = (top + bottom) / 2;
    const int ridges = 14;
    const double turn = t * kPi * 0.9;
    p.setLineWidth(1.0);
    for (int k = 0; k < ridges; ++k)
    {
        const double phi = std::fmod(k * (2 * kPi / ridges) + turn, 2 * kPi);
        if (phi > kPi)
            continue;
        const double y = middle - std::cos(phi) * radius;
        const double light = 0.25 + 0.5 * std::sin(phi);
        p.setColor({0.02, 0.02, 0.03, light});
        p.moveTo(left, std::floor(y) + 0.5);
        p.lineTo(right, std::floor(y) + 0.5);
        p.stroke();
    }

    // The marker: bottom at the minimum, centre in the middle, top at the maximum.
    const double markerY = middle + std::cos(kPi * t) * (radius - 2);
    setColor(p, palette::kLit);
    p.rectangle(left, std::round(markerY) - 1, right - left, 2);
    p.fill();
}

} // namespace

void drawKnobFrame(VectorPainter& p, KnobKind kind, int size, int frame, int frames)
{
    drawKnob(p, size, frames > 1 ? static_cast<double>(frame) / (frames - 1) : 0.0, kind);
}

void drawWheelFrame(VectorPainter& p, int width, int frameHeight, int frame, int frames)
{
    drawWheel(p, width, frameHeight, frames > 1 ? static_cast<double>(frame) / (frames - 1) : 0.0);
}

void drawButtonFrame(VectorPainter& p, int width, int frameHeight, bool relief, bool on)
{
    const double w = width;
    const double h = frameHeight;
    roundedRect(p, 0.5, 0.5, w - 1, h - 1, 3);
    if (relief)
    {
        // Raised when off, pressed in when on.
        const Rgb light = hex(on ? 0x22262c : 0x535b67);
        const Rgb dark = hex(on ? 0x3a414b : 0x23272e);
        p.setLinearGradient(0, 0, 0, h, {{0, paintColor(light)}, {1, paintColor(dark)}});
        p.fillPreserve();
    }
    else
    {
        setColor(p, hex(on ? 0x2b3038 : 0x2f353e));
        p.fillPreserve();
    }
    setColor(p, hex(0x0e1013));
    p.setLineWidth(1);
    p.stroke();
    if (relief && !on)
    {
        setColor(p, hex(0x6b7481), 0.7);
        p.moveTo(3, 1.5);
        p.lineTo(w - 3, 1.5);
        p.stroke();
    }

    // The lamp.
    const double lampWidth = w * 0.5;
    const double lampX = (w - lampWidth) / 2;
    const double lampY = h / 2 - 1.5;
    if (on)
    {
        setColor(p, palette::kLit, 0.25);
        roundedRect(p, lampX - 2, lampY - 2, lampWidth + 4, 7, 3);
        p.fill();
    }
    setColor(p, on ? palette::kLit : palette::kUnlit);
    roundedRect(p, lampX, lampY, lampWidth, 3, 1.5);
    p.fill();
}

void drawListBox(VectorPainter& p, int width, int height)
{
    roundedRect(p, 0.5, 0.5, width - 1, height - 1, 2.5);
    setColor(p, palette::kInset);
    p.fillPreserve();
    setColor(p, palette::kPanelEdge);
    p.setLineWidth(1);
    p.stroke();
    // Inner shadow along the top edge.
    setColor(p, hex(0x000000), 0.5);
    p.moveTo(2, 1.5);
    p.lineTo(width - 2, 1.5);
    p.stroke();
    // A small corner mark says "this opens a list".
    setColor(p, palette::kLegend);
    p.moveTo(width - 2.0, height - 2.0);
    p.lineTo(width - 5.0, height - 2.0);
    p.lineTo(width - 2.0, height - 5.0);
    p.closePath();
    p.fill();
}

void drawPageSwitcherFrame(VectorPainter& p, int width, int frameHeight, int highlighted)
{
    static const char* const kTitles[kNumPages] = {"ENVELOPES", "LFO", "MATRIX"};
    roundedRect(p, 0.5, 0.5, width - 1, frameHeight - 1, 3);
    setColor(p, hex(0x15181c));
    p.fillPreserve();
    setColor(p, palette::kPanelEdge);
    p.setLineWidth(1);
    p.stroke();
    for (int page = 0; page < kNumPages; ++page)
    {
        const double left = kPageZoneStarts[page] - kPageSwitcherX;
        const double right = page + 1 < kNumPages ? kPageZoneStarts[page + 1] - kPageSwitcherX : width;
        const bool lit = page == highlighted;
        if (lit)
        {
            roundedRect(p, left + 2, 2, right - left - 4, frameHeight - 4, 2);
            setColor(p, hex(0x1f4b5a));
            p.fill();
            setColor(p, palette::kLit);
            p.rectangle(left + 6, frameHeight - 4, right - left - 12, 1.5);
            p.fill();
        }
        if (page > 0)
        {
            setColor(p, palette::kPanelEdge);
            p.rectangle(left, 4, 1, frameHeight - 8);
            p.fill();
        }
        drawText(p, kTitles[page], (left + right) / 2, frameHeight / 2.0 - 0.5, 10, true, Align::Centre,
                 lit ? hex(0xffffff) : palette::kLegend, 1.2);
    }
}

} // namespace talvane::artwork
