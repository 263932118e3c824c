#include "source/editor/artwork/painting.h"

#include <vector>

namespace talvane::artwork {

void setColor(VectorPainter& painter, const Rgb& color, double alpha)
{
    painter.setColor(paintColor(color, alpha));
}

void roundedRect(VectorPainter& painter, double x, double y, double width, double height, double radius)
{
    painter.newSubPath();
    painter.arc(x + width - radius, y + radius, radius, -kPi / 2, 0);
    painter.arc(x + width - radius, y + height - radius, radius, 0, kPi / 2);
    painter.arc(x + radius, y + height - radius, radius, kPi / 2, kPi);
    painter.arc(x + radius, y + radius, radius, kPi, 1.5 * kPi);
    painter.closePath();
}

void drawText(VectorPainter& painter, const std::string& text, double x, double middleY, double size,
              bool bold, Align align, const Rgb& color, double tracking)
{
    painter.save();
    painter.selectFont(kFontFamily, bold, false, size);
    // Measure letter by letter so that tracking is included in the alignment.
    double width = 0;
    std::vector<double> advances;
    for (char c : text)
    {
        advances.push_back(painter.textAdvance(std::string(1, c)));
        width += advances.back() + tracking;
    }
    if (!text.empty())
        width -= tracking;
    const VSTGUI::FontMetrics font = painter.fontMetrics();
    double left = x;
    if (align == Align::Centre)
        left = x - width / 2;
    else if (align == Align::Right)
        left = x - width;
    const double baseline = middleY + (font.ascent - font.descent) / 2;
    setColor(painter, color);
    double pen = left;
    for (size_t i = 0; i < text.size(); ++i)
    {
        painter.moveTo(pen, baseline);
        painter.showText(std::string(1, text[i]));
        pen += advances[i] + tracking;
    }
    painter.restore();
}

} // namespace talvane::artwork
