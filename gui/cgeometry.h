// Points, rectangles and colours in frame coordinates. Rectangles are (left, top, right, bottom)
// with right and bottom exclusive. Frame coordinates are the pixels of the layout at 100 %; a frame
// shown at another scale draws into device pixels (see toDevice below).
#pragma once

#include "gui/vstguibase.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

struct CPoint
{
    constexpr CPoint(CCoord x = 0, CCoord y = 0) : x(x), y(y) {}

    CPoint& offset(CCoord dx, CCoord dy)
    {
        x += dx;
        y += dy;
        return *this;
    }
    bool operator==(const CPoint& other) const { return x == other.x && y == other.y; }
    bool operator!=(const CPoint& other) const { return !(*this == other); }

    CCoord x;
    CCoord y;
};

struct CRect
{
    constexpr CRect(CCoord left = 0, CCoord top = 0, CCoord right = 0, CCoord bottom = 0)
        : left(left), top(top), right(right), bottom(bottom)
    {}
    constexpr CRect(const CPoint& origin, const CPoint& size)
        : left(origin.x), top(origin.y), right(origin.x + size.x), bottom(origin.y + size.y)
    {}

    CCoord getWidth() const { return right - left; }
    CCoord getHeight() const { return bottom - top; }
    CRect& setWidth(CCoord width)
    {
        right = left + width;
        return *this;
    }
    CRect& setHeight(CCoord height)
    {
        bottom = top + height;
        return *this;
    }
    CPoint getTopLeft() const { return CPoint(left, top); }
    CPoint getCenter() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
    bool isEmpty() const { return right <= left || bottom <= top; }

    CRect& offset(CCoord dx, CCoord dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    CRect& moveTo(CCoord x, CCoord y) { return offset(x - left, y - top); }
    CRect& inset(CCoord dx, CCoord dy)
    {
        left += dx;
        right -= dx;
        top += dy;
        bottom -= dy;
        return *this;
    }

    bool pointInside(const CPoint& p) const
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    bool rectOverlap(const CRect& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    // Intersection with `other`; empty when they do not overlap.
    CRect& bound(const CRect& other)
    {
        left = std::max(left, other.left);
        top = std::max(top, other.top);
        right = std::max(left, std::min(right, other.right));
        bottom = std::max(top, std::min(bottom, other.bottom));
        return *this;
    }
    CRect& unite(const CRect& other)
    {
        if (isEmpty())
            return *this = other;
        if (other.isEmpty())
            return *this;
        left = std::min(left, other.left);
        top = std::min(top, other.top);
        right = std::max(right, other.right);
        bottom = std::max(bottom, other.bottom);
        return *this;
    }

    bool operator==(const CRect& other) const
    {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
    bool operator!=(const CRect& other) const { return !(*this == other); }

    CCoord left;
    CCoord top;
    CCoord right;
    CCoord bottom;
};

struct CColor
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;

    bool operator==(const CColor& other) const
    {
        return red == other.red && green == other.green && blue == other.blue && alpha == other.alpha;
    }
    bool operator!=(const CColor& other) const { return !(*this == other); }
};

// Frame coordinates to the device pixels of a frame shown at `scale`: every edge goes to its
// nearest whole pixel, so rectangles that share an edge at 100 % share it at every scale, and a
// whole-pixel rectangle at 100 % stays the same rectangle at scale 1.
inline CCoord toDevice(CCoord value, double scale)
{
    return std::round(value * scale);
}

inline CRect toDevice(const CRect& rect, double scale)
{
    return CRect(toDevice(rect.left, scale), toDevice(rect.top, scale), toDevice(rect.right, scale),
                 toDevice(rect.bottom, scale));
}

// A device pixel position (mouse input) in frame coordinates.
inline CPoint fromDevice(const CPoint& pixel, double scale)
{
    return CPoint(pixel.x / scale, pixel.y / scale);
}

constexpr CColor MakeCColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255)
{
    return CColor{red, green, blue, alpha};
}

constexpr CColor kBlackCColor = MakeCColor(0, 0, 0);
constexpr CColor kWhiteCColor = MakeCColor(255, 255, 255);
constexpr CColor kGreyCColor = MakeCColor(127, 127, 127);
constexpr CColor kTransparentCColor = MakeCColor(255, 255, 255, 0);

} // namespace VSTGUI
