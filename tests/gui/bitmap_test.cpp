#include "gui/resources.h"
#include "gui/vstgui.h"

#include "source/editor/editorlayout.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <string>

using namespace VSTGUI;

namespace {

uint32_t pixelAt(cairo_surface_t* surface, int x, int y)
{
    cairo_surface_flush(surface);
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(row)[x];
}

// Mean brightness of a rectangle of an image (premultiplied, so transparency counts as dark).
double meanBrightness(cairo_surface_t* surface, int left, int top, int right, int bottom)
{
    double sum = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
        {
            const uint32_t p = pixelAt(surface, x, y);
            sum += ((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff);
        }
    return sum / ((right - left) * (bottom - top) * 3.0);
}

int differingPixels(cairo_surface_t* surface, int frameHeight, int frameA, int frameB)
{
    int count = 0;
    for (int y = 0; y < frameHeight; ++y)
        for (int x = 0; x < cairo_image_surface_get_width(surface); ++x)
            if (pixelAt(surface, x, frameA * frameHeight + y) !=
                pixelAt(surface, x, frameB * frameHeight + y))
                ++count;
    return count;
}

TEST(EmbeddedBitmaps, AllElevenLoadWithTheirSizesAndFrameCounts)
{
    for (const talvane::BitmapInfo* info : talvane::kEditorBitmaps)
    {
        CBitmap bitmap(info->name);
        ASSERT_TRUE(bitmap.isLoaded()) << info->name;
        EXPECT_EQ(bitmap.getWidth(), info->width) << info->name;
        EXPECT_EQ(bitmap.getHeight(), info->height) << info->name;
        EXPECT_EQ(info->height % info->frameCount, 0) << info->name;
        const bool opaque = cairo_image_surface_get_format(bitmap.getSurface()) == CAIRO_FORMAT_RGB24;
        EXPECT_EQ(opaque, !info->hasAlpha) << info->name;
        // Consecutive frames of a strip differ.
        if (info->frameCount > 1)
        {
            EXPECT_GT(differingPixels(bitmap.getSurface(), info->frameHeight(), 0, info->frameCount - 1), 0)
                << info->name;
        }
    }
    EXPECT_EQ(kNumEmbeddedResources, 11u);
}

TEST(EmbeddedBitmaps, NamesAreFoundWithoutRegardToCase)
{
    CBitmap upper("BACKGROUND.BMP");
    EXPECT_TRUE(upper.isLoaded());
    CBitmap missing("missing.png");
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_EQ(missing.getWidth(), 0);
    CBitmap none(nullptr);
    EXPECT_FALSE(none.isLoaded());
}

TEST(EmbeddedBitmaps, KnobsAreRoundOnATransparentGroundAndCentredKnobsStartAtTheTop)
{
    CBitmap blue("knob_blue.png");
    CBitmap centred("knob_blue_center.png");
    EXPECT_EQ(pixelAt(blue.getSurface(), 0, 0) >> 24, 0u);
    EXPECT_EQ(pixelAt(blue.getSurface(), 25, 25) >> 24, 255u);
    // The plain knob at its minimum and the centred one in its middle show no value arc: in both,
    // the track at 12 o'clock stays dark.
    const int top = 4;
    const auto blueness = [](uint32_t p) {
        return static_cast<int>(p & 0xff) - static_cast<int>((p >> 16) & 0xff);
    };
    EXPECT_LT(blueness(pixelAt(blue.getSurface(), 25, top)), 40);
    EXPECT_LT(blueness(pixelAt(centred.getSurface(), 25, 127 * 50 + top + 1)), 40);
    // The plain knob at its middle lights the top; the centred one at its maximum lights the right.
    EXPECT_GT(blueness(pixelAt(blue.getSurface(), 25, 128 * 50 + top)), 60);
    EXPECT_GT(blueness(pixelAt(centred.getSurface(), 46, 255 * 50 + 25)), 60);
}

TEST(EmbeddedBitmaps, ThePageSwitcherHighlightsOneTitleZonePerFrame)
{
    CBitmap switcher("modswitcher.png");
    const int zoneLefts[3] = {0, 117, 169};
    const int zoneRights[3] = {117, 169, 271};
    for (int zone = 0; zone < 3; ++zone)
        for (int frame = 0; frame < 3; ++frame)
        {
            if (frame == zone)
                continue;
            const double lit = meanBrightness(switcher.getSurface(), zoneLefts[zone], zone * 22,
                                              zoneRights[zone], zone * 22 + 22);
            const double unlit = meanBrightness(switcher.getSurface(), zoneLefts[zone], frame * 22,
                                                zoneRights[zone], frame * 22 + 22);
            EXPECT_GT(lit, unlit + 5) << "zone " << zone << " frame " << frame;
        }
}

TEST(Fonts, ArialResolvesThroughFontconfig)
{
    CFontDesc font("Arial", 9);
    EXPECT_NE(font.getFontFace(), nullptr);
    EXPECT_FALSE(font.getResolvedFile().empty());
    EXPECT_EQ(font.getSize(), 9);
}

} // namespace
