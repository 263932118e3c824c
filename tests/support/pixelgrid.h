// Pictures as grids of opaque pixels, for checks that do not depend on the drawing library: the
// size, sharpness and likeness of what the editor drew at a scale.
#pragma once

#include "gui/cgeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

namespace talvane::testing {

class PixelGrid
{
public:
    PixelGrid(int width, int height) : width(width), height(height), pixels(size_t(width) * size_t(height)) {}

    // `width` x `height` pixels read through `pixelAt(x, y)`, starting at (left, top).
    static PixelGrid read(int left, int top, int width, int height,
                          const std::function<VSTGUI::CColor(int x, int y)>& pixelAt)
    {
        PixelGrid grid(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                grid.at(x, y) = pixelAt(left + x, top + y);
        return grid;
    }

    VSTGUI::CColor& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    const VSTGUI::CColor& at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }

    // The picture `factor` times as large, each pixel interpolated linearly between its
    // neighbours: what a host or a window system does when it stretches a bitmap.
    PixelGrid stretched(int factor) const
    {
        PixelGrid out(width * factor, height * factor);
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
            {
                const double sx = std::clamp((x + 0.5) / factor - 0.5, 0.0, width - 1.0);
                const double sy = std::clamp((y + 0.5) / factor - 0.5, 0.0, height - 1.0);
                const int x0 = static_cast<int>(sx);
                const int y0 = static_cast<int>(sy);
                const int x1 = std::min(x0 + 1, width - 1);
                const int y1 = std::min(y0 + 1, height - 1);
                const double fx = sx - x0;
                const double fy = sy - y0;
                auto mix = [&](auto channel) {
                    const double top = channel(at(x0, y0)) * (1 - fx) + channel(at(x1, y0)) * fx;
                    const double bottom = channel(at(x0, y1)) * (1 - fx) + channel(at(x1, y1)) * fx;
                    return static_cast<uint8_t>(std::lround(top * (1 - fy) + bottom * fy));
                };
                out.at(x, y) = VSTGUI::MakeCColor(mix([](const VSTGUI::CColor& c) { return c.red; }),
                                                  mix([](const VSTGUI::CColor& c) { return c.green; }),
                                                  mix([](const VSTGUI::CColor& c) { return c.blue; }));
            }
        return out;
    }

    // The picture `factor` times smaller, each pixel the mean of its block.
    PixelGrid shrunk(int factor) const
    {
        PixelGrid out(width / factor, height / factor);
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
            {
                int sums[3] = {};
                for (int dy = 0; dy < factor; ++dy)
                    for (int dx = 0; dx < factor; ++dx)
                    {
                        const VSTGUI::CColor& c = at(x * factor + dx, y * factor + dy);
                        sums[0] += c.red;
                        sums[1] += c.green;
                        sums[2] += c.blue;
                    }
                const int n = factor * factor;
                out.at(x, y) = VSTGUI::MakeCColor(static_cast<uint8_t>((sums[0] + n / 2) / n),
                                                  static_cast<uint8_t>((sums[1] + n / 2) / n),
                                                  static_cast<uint8_t>((sums[2] + n / 2) / n));
            }
        return out;
    }

    // How steep the picture's edges are: the mean of the largest 2 % of the differences between
    // neighbouring pixels (sum over the channels). A stretched picture spreads each edge over
    // more pixels, so its steps are smaller.
    double edgeSteepness() const
    {
        std::vector<int> steps;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                if (x + 1 < width)
                    steps.push_back(difference(at(x, y), at(x + 1, y)));
                if (y + 1 < height)
                    steps.push_back(difference(at(x, y), at(x, y + 1)));
            }
        std::sort(steps.begin(), steps.end(), std::greater<int>());
        const size_t count = std::max<size_t>(1, steps.size() / 50);
        double sum = 0;
        for (size_t i = 0; i < count && i < steps.size(); ++i)
            sum += steps[i];
        return sum / static_cast<double>(count);
    }

    // Blocks of `block` x `block` pixels (aligned to the grid) whose pixels are not all alike: a
    // picture enlarged by repeating pixels has none.
    int mixedBlocks(int block) const
    {
        int mixed = 0;
        for (int y = 0; y + block <= height; y += block)
            for (int x = 0; x + block <= width; x += block)
            {
                bool alike = true;
                for (int dy = 0; dy < block && alike; ++dy)
                    for (int dx = 0; dx < block && alike; ++dx)
                        alike = at(x + dx, y + dy) == at(x, y);
                if (!alike)
                    ++mixed;
            }
        return mixed;
    }

    // The mean difference per channel from a picture of the same size, 0..255.
    double meanDifference(const PixelGrid& other) const
    {
        double sum = 0;
        for (size_t i = 0; i < pixels.size(); ++i)
            sum += difference(pixels[i], other.pixels[i]);
        return sum / (3.0 * static_cast<double>(pixels.size()));
    }

    int width;
    int height;

private:
    static int difference(const VSTGUI::CColor& a, const VSTGUI::CColor& b)
    {
        return std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue);
    }

    std::vector<VSTGUI::CColor> pixels;
};

} // namespace talvane::testing
