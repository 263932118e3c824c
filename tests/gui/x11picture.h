// Pictures of X11 windows for tests: a window's pixels as the server shows them, and a picture
// saved as a PNG file under the build tree's screenshots.
#pragma once

#include "tests/support/pixelgrid.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace talvane::testing {

// Pixels of a window as the X server shows them.
inline PixelGrid windowPicture(Display* display, Window window, int left, int top, int width, int height)
{
    XImage* image = XGetImage(display, window, left, top, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    PixelGrid grid(width, height);
    if (!image)
        return grid;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const unsigned long value = XGetPixel(image, x, y);
            grid.at(x, y) = VSTGUI::MakeCColor((value >> 16) & 0xff, (value >> 8) & 0xff, value & 0xff);
        }
    XDestroyImage(image);
    return grid;
}

inline bool savePicture(const PixelGrid& grid, const std::string& name)
{
    std::error_code ignored;
    std::filesystem::create_directories(TALVANE_SCREENSHOT_DIR, ignored);
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, grid.width, grid.height);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x)
        {
            const VSTGUI::CColor c = grid.at(x, y);
            reinterpret_cast<uint32_t*>(data + y * stride)[x] =
                (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue;
        }
    cairo_surface_mark_dirty(image);
    const bool written =
        cairo_surface_write_to_png(image, (std::string(TALVANE_SCREENSHOT_DIR) + "/" + name).c_str()) ==
        CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(image);
    return written;
}

} // namespace talvane::testing
