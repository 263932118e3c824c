// The GUI layer at a scale factor: drawing into device pixels, text in its font at the scaled
// size, bitmaps painted afresh from their pictures, and a frame whose window is scaled while its
// views keep the layout's coordinates.
#include "tests/gui/guitest.h"
#include "tests/support/pixelgrid.h"

#include "gui/menupopup.h"
#include "gui/resources.h"
#include "gui/vectorpicture.h"

#include "source/editor/editorlayout.h"

#include <cairo.h>

#include <cstring>
#include <string>

using namespace VSTGUI;
using talvane::testing::PixelGrid;

namespace {

constexpr CColor kRed = MakeCColor(255, 0, 0);
constexpr CColor kBlue = MakeCColor(0, 0, 255);
constexpr CColor kBlack = MakeCColor(0, 0, 0);

PixelGrid gridOf(NativeImage* image)
{
    return PixelGrid::read(0, 0, getImageWidth(image), getImageHeight(image),
                           [image](int x, int y) { return getImagePixel(image, x, y); });
}

// The smallest rectangle holding every pixel that is not black.
CRect inkBounds(NativeImage* image)
{
    CRect ink(1e9, 1e9, -1, -1);
    for (int y = 0; y < getImageHeight(image); ++y)
        for (int x = 0; x < getImageWidth(image); ++x)
            if (getImagePixel(image, x, y) != kBlack)
                ink = CRect(std::min(ink.left, CCoord(x)), std::min(ink.top, CCoord(y)),
                            std::max(ink.right, CCoord(x + 1)), std::max(ink.bottom, CCoord(y + 1)));
    return ink;
}

TEST(ScaledDrawing, RectanglesLandOnWholeDevicePixelsWithoutSeams)
{
    NativeImage* image = createImage(40, 40);
    {
        CImageDrawContext context(image, 1.25);
        // Two rectangles that share the edge x = 7 share it at 1.25 too (8.75, drawn at 9).
        context.setFillColor(kRed);
        context.drawRect(CRect(0, 0, 7, 10), kDrawFilled);
        context.setFillColor(kBlue);
        context.drawRect(CRect(7, 0, 13, 10), kDrawFilled);
    }
    EXPECT_EQ(getImagePixel(image, 8, 5), kRed);
    EXPECT_EQ(getImagePixel(image, 9, 5), kBlue);
    EXPECT_EQ(getImagePixel(image, 15, 5), kBlue);
    EXPECT_EQ(getImagePixel(image, 16, 5), kBlack);
    EXPECT_EQ(getImagePixel(image, 5, 12), kRed);
    EXPECT_EQ(getImagePixel(image, 5, 13), kBlack);
    destroyImage(image);

    // A stroked frame is one unit wide: two pixels at 200 %, the inside left alone.
    image = createImage(40, 40);
    {
        CImageDrawContext context(image, 2.0);
        context.setFrameColor(kRed);
        context.drawRect(CRect(0, 0, 20, 20), kDrawStroked);
    }
    EXPECT_EQ(getImagePixel(image, 0, 20), kRed);
    EXPECT_EQ(getImagePixel(image, 1, 20), kRed);
    EXPECT_EQ(getImagePixel(image, 2, 20), kBlack);
    EXPECT_EQ(getImagePixel(image, 38, 39), kRed);
    EXPECT_EQ(getImagePixel(image, 20, 37), kBlack);
    destroyImage(image);
}

TEST(ScaledDrawing, TextIsSetInItsFontAtTheScaledSize)
{
    CFontDesc* font = new CFontDesc("Arial", 9);
    auto drawnAt = [font](double scale) {
        NativeImage* image = createImage(static_cast<int>(80 * scale), static_cast<int>(14 * scale));
        CCoord width = 0;
        {
            CImageDrawContext context(image, scale);
            context.setFont(font);
            context.setFontColor(kWhiteCColor);
            context.drawString("VOLUME", CRect(0, 0, 80, 14), kLeftText, true);
            width = context.getStringWidth("VOLUME");
        }
        return std::make_pair(image, width);
    };
    const auto [normal, normalWidth] = drawnAt(1.0);
    const auto [doubled, doubledWidth] = drawnAt(2.0);
    const CRect small = inkBounds(normal);
    const CRect large = inkBounds(doubled);
    // Twice as large to a pixel or two (hinting snaps each size to its own grid), not stretched:
    // the capitals' height at 9 pixels is 6 or 7.
    EXPECT_NEAR(large.getHeight(), 2 * small.getHeight(), 2.0);
    EXPECT_NEAR(large.getWidth(), 2 * small.getWidth(), 3.0);
    EXPECT_GE(small.getHeight(), 6);
    EXPECT_GT(gridOf(doubled).mixedBlocks(2), 0);
    // Widths come back in the layout's units.
    EXPECT_NEAR(doubledWidth, normalWidth, 1.0);
    EXPECT_NEAR(measureStringWidth(font, "VOLUME", 2.0), normalWidth, 1.0);
    destroyImage(normal);
    destroyImage(doubled);
    font->forget();
}

TEST(ScaledBitmaps, PicturesReproduceTheEmbeddedBitmapsAt100Percent)
{
    // What is painted at other scales is the very drawing the embedded bitmaps were made from.
    for (std::size_t i = 0; i < kNumEmbeddedResources; ++i)
    {
        const EmbeddedResource& resource = kEmbeddedResources[i];
        ASSERT_NE(resource.picture, nullptr) << resource.name;
        NativeImage* embedded = decodePngImage(resource.data, resource.size);
        NativeImage* painted = renderVectorStrip(*resource.picture);
        ASSERT_EQ(getImageWidth(painted), getImageWidth(embedded)) << resource.name;
        ASSERT_EQ(getImageHeight(painted), getImageHeight(embedded)) << resource.name;
        ASSERT_EQ(cairo_image_surface_get_format(painted), cairo_image_surface_get_format(embedded));
        const int stride = cairo_image_surface_get_stride(embedded);
        ASSERT_EQ(cairo_image_surface_get_stride(painted), stride);
        EXPECT_EQ(std::memcmp(cairo_image_surface_get_data(painted), cairo_image_surface_get_data(embedded),
                              static_cast<std::size_t>(stride * getImageHeight(embedded))),
                  0)
            << resource.name;
        // A frame painted on its own is that frame of the strip.
        const int last = resource.picture->frameCount - 1;
        NativeImage* frame = renderVectorFrame(*resource.picture, last, 1.0);
        const int frameHeight = resource.picture->frameHeight;
        const PixelGrid alone = gridOf(frame);
        const PixelGrid inStrip =
            PixelGrid::read(0, last * frameHeight, getImageWidth(frame), frameHeight,
                            [embedded](int x, int y) { return getImagePixel(embedded, x, y); });
        EXPECT_EQ(alone.meanDifference(inStrip), 0.0) << resource.name;
        destroyImage(frame);
        destroyImage(painted);
        destroyImage(embedded);
    }
}

TEST(ScaledBitmaps, AKnobIsPaintedAfreshAtTheScaleFrameByFrame)
{
    CBitmap knob("knob_red.png");
    ASSERT_TRUE(knob.isScalable());
    const int frameHeight = talvane::controlBitmap(talvane::KnobRed).frameHeight();
    auto drawnAt = [&](double scale, int frame) {
        NativeImage* image = createImage(static_cast<int>(50 * scale), static_cast<int>(50 * scale));
        {
            CImageDrawContext context(image, scale);
            knob.draw(&context, CRect(0, 0, 50, 50), CPoint(0, frame * frameHeight));
        }
        PixelGrid grid = gridOf(image);
        destroyImage(image);
        return grid;
    };
    const PixelGrid normal = drawnAt(1.0, 204);
    const PixelGrid doubled = drawnAt(2.0, 204);
    // The same knob at the same position, its edges as steep as at 100 % and far steeper than
    // the picture at 100 % stretched.
    EXPECT_LT(doubled.shrunk(2).meanDifference(normal), 6.0);
    EXPECT_GT(doubled.edgeSteepness(), 1.3 * normal.stretched(2).edgeSteepness());
    EXPECT_GT(doubled.mixedBlocks(2), 100);
    // Another frame shows another position.
    EXPECT_GT(drawnAt(2.0, 0).meanDifference(doubled), 1.0);

    // Frames are painted when first shown and kept for their scale; at 125 % a frame of 50 pixels
    // takes 63 (62.5 rounded up).
    NativeImage* frame = knob.getScaledFrame(7, 1.25);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(knob.getScaledFrame(7, 1.25), frame);
    EXPECT_EQ(getImageWidth(frame), 63);
    EXPECT_EQ(getImageHeight(frame), 63);
    EXPECT_EQ(knob.getScaledFrame(256, 1.25), nullptr);

    // A bitmap without a picture is drawn pixel for pixel, never stretched.
    EXPECT_FALSE(CBitmap("no-such-bitmap.png").isScalable());
}

class ScaledFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PlatformParent parent;
        parent.scaleFactor = 1.5;
        frame = new CFrame(talvane::testing::kTestFrameRect, &parent, &editor);
        screen = OffscreenFrame::of(frame);
        ASSERT_NE(screen, nullptr);
    }
    void TearDown() override { frame->close(); }

    talvane::testing::RecordingListener listener;
    talvane::testing::RecordingEditor editor{listener.log};
    CFrame* frame = nullptr;
    OffscreenFrame* screen = nullptr;
};

TEST_F(ScaledFrameTest, TheWindowIsScaledWhileViewsKeepTheLayoutsCoordinates)
{
    EXPECT_EQ(frame->getScaleFactor(), 1.5);
    EXPECT_EQ(frame->getViewSize(), talvane::testing::kTestFrameRect);
    EXPECT_EQ(getImageWidth(screen->getBackBuffer()), 600);
    EXPECT_EQ(getImageHeight(screen->getBackBuffer()), 450);

    // A press at a window pixel reaches the view under it in layout units.
    auto* button = new COnOffButton(CRect(100, 100, 129, 119), &listener, 4, nullptr);
    frame->addView(button);
    EXPECT_EQ(frame->pointFromDevice(CPoint(150, 150)), CPoint(100, 100));
    screen->click(CPoint(149, 160));
    EXPECT_FLOAT_EQ(button->getValue(), 0.f);
    screen->click(CPoint(151, 160));
    EXPECT_FLOAT_EQ(button->getValue(), 1.f);

    // Redraws reach the window as the scaled area.
    frame->idle();
    button->invalid();
    frame->idle();
    EXPECT_EQ(screen->getLastPresented(), CRect(150, 150, 194, 179));

    // A new scale keeps the layout and resizes the window; so does a new layout size.
    EXPECT_TRUE(frame->setScaleFactor(2.0));
    EXPECT_EQ(frame->getViewSize(), talvane::testing::kTestFrameRect);
    EXPECT_EQ(frame->getDeviceSize(), CPoint(800, 600));
    EXPECT_EQ(getImageWidth(screen->getBackBuffer()), 800);
    EXPECT_TRUE(frame->setSize(410, 300));
    EXPECT_EQ(getImageWidth(screen->getBackBuffer()), 820);
    EXPECT_FALSE(frame->setScaleFactor(0));
    EXPECT_FALSE(frame->setScaleFactor(-2));
    EXPECT_EQ(frame->getScaleFactor(), 2.0);
}

TEST_F(ScaledFrameTest, AListsPopupIsLaidOutAndPlacedAtTheScale)
{
    auto* menu =
        new COptionMenu(CRect(120, 30, 159, 46), &listener, 9, nullptr, nullptr, kCheckStyle | kPopupStyle);
    for (const char* entry : {"LP", "BP", "HP", "Peak", "Notch"})
        menu->addEntry(entry);
    menu->setCurrent(0);
    frame->addView(menu);
    screen->click(CPoint(200, 55));
    ASSERT_TRUE(screen->isPopupOpen());
    const MenuPopup* popup = frame->getPopup();
    EXPECT_EQ(screen->getPopupArea(), CRect(180, 45, 180 + toDevice(popup->getSize().x, 1.5),
                                            45 + toDevice(popup->getSize().y, 1.5)));
    // The entry under a pixel of the pop-up is the one its layout puts there.
    screen->popupMouseDown(CPoint(toDevice(popup->entryRect(3).getCenter().x, 1.5),
                                  toDevice(popup->entryRect(3).getCenter().y, 1.5)));
    EXPECT_FALSE(screen->isPopupOpen());
    EXPECT_EQ(menu->getCurrentIndex(), 3);

    // A new scale closes an open pop-up: it was laid out for the old one.
    screen->click(CPoint(200, 55));
    ASSERT_TRUE(screen->isPopupOpen());
    frame->setScaleFactor(1.0);
    EXPECT_FALSE(screen->isPopupOpen());
    EXPECT_EQ(menu->getCurrentIndex(), 3);
}

} // namespace
