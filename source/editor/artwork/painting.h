// Drawing helpers shared by the artwork: the palette, shapes and text.
#pragma once

#include "gui/vectorpicture.h"

#include <string>

namespace talvane::artwork {

using VSTGUI::ColorStop;
using VSTGUI::PaintColor;
using VSTGUI::VectorPainter;

struct Rgb
{
    double r;
    double g;
    double b;
};

constexpr Rgb hex(unsigned value)
{
    return {((value >> 16) & 0xff) / 255.0, ((value >> 8) & 0xff) / 255.0, (value & 0xff) / 255.0};
}

constexpr PaintColor paintColor(const Rgb& color, double alpha = 1.0)
{
    return {color.r, color.g, color.b, alpha};
}

namespace palette {
constexpr Rgb kBackdropTop = hex(0x1b1f25);
constexpr Rgb kBackdropBottom = hex(0x0f1114);
constexpr Rgb kPanel = hex(0x22262d);
constexpr Rgb kPanelEdge = hex(0x363d48);
constexpr Rgb kPanelHeader = hex(0x2a2f37);
constexpr Rgb kArea = hex(0x1c2026);
constexpr Rgb kTitle = hex(0x9cfbff);
constexpr Rgb kLegend = hex(0x7f8996);
constexpr Rgb kNumber = hex(0x3e6f78);
constexpr Rgb kBlue = hex(0x3aa6ff);
constexpr Rgb kRed = hex(0xff5a4c);
constexpr Rgb kLit = hex(0x6ff3ff);
constexpr Rgb kUnlit = hex(0x3a4049);
constexpr Rgb kInset = hex(0x0b0d10);
constexpr Rgb kPointer = hex(0xf2f4f7);
} // namespace palette

constexpr double kPi = 3.14159265358979323846;
// The artwork's typeface: Arial's metrics, as fontconfig finds them on Linux; where the family is
// missing (Windows), the painter falls back to Arial itself.
constexpr const char* kFontFamily = "Liberation Sans";

void setColor(VectorPainter& painter, const Rgb& color, double alpha = 1.0);
void roundedRect(VectorPainter& painter, double x, double y, double width, double height, double radius);

enum class Align
{
    Left,
    Centre,
    Right,
};

// Text with its baseline centred vertically on `middleY`; `tracking` adds space between letters.
void drawText(VectorPainter& painter, const std::string& text, double x, double middleY, double size,
              bool bold, Align align, const Rgb& color, double tracking = 0.0);

} // namespace talvane::artwork
