#include "tests/gui/guitest.h"

#include "gui/cairo/cairocolor.h"

#include <cairo.h>

namespace talvane::testing {

using namespace VSTGUI;

CColor expectedStripPixel(CBitmap& bitmap, int frameHeight, int frameIndex, int x, int y, const CColor& under)
{
    cairo_surface_t* pixel = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* cr = cairo_create(pixel);
    setSourceColor(cr, under);
    cairo_paint(cr);
    cairo_set_source_surface(cr, bitmap.getSurface(), -x, -(frameIndex * frameHeight + y));
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(pixel);
    const uint32_t value = *reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(pixel));
    cairo_surface_destroy(pixel);
    return MakeCColor((value >> 16) & 0xff, (value >> 8) & 0xff, value & 0xff);
}

int countMismatches(const OffscreenFrame& screen, const CRect& area, CBitmap& bitmap, int frameHeight,
                    int frameIndex, const CColor& under)
{
    int mismatches = 0;
    for (int y = 0; y < area.getHeight(); ++y)
        for (int x = 0; x < area.getWidth(); ++x)
        {
            const CColor drawn =
                screen.getPixel(static_cast<int>(area.left) + x, static_cast<int>(area.top) + y);
            if (drawn != expectedStripPixel(bitmap, frameHeight, frameIndex, x, y, under))
                ++mismatches;
        }
    return mismatches;
}

} // namespace talvane::testing
