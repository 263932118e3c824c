// The editor at other sizes than 100 %: the musician's zoom and the host's content scale, drawn
// through the offscreen backend of the platform's drawing library (cairo here, GDI+ in the Windows
// build). Pictures at 100, 150 and 200 % are saved (screenshots/editor-zoom-*.png); input arrives
// in the scaled window's pixels, as a window system delivers it.
#include "tests/editor/editortest.h"
#include "tests/support/hostwindow.h"
#include "tests/support/pixelgrid.h"

#include "source/editor/editorlayout.h"
#include "source/editor/editorzoom.h"
#include "source/editor/tlknob.h"
#include "source/editor/zoommenu.h"
#include "source/params/paramtable.h"

#include "host/hostobjects.h"

#include "gui/menupopup.h"
#include "gui/platform/offscreenframe.h"
#include "gui/vstgui.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace VSTGUI;
using talvane::host::MemoryStream;
using talvane::testing::editTriple;
using talvane::testing::oneGesture;
using talvane::testing::HostEdits;
using talvane::testing::PixelGrid;

namespace {

std::string screenshotPath(const std::string& name)
{
    std::error_code ignored;
    std::filesystem::create_directories(TALVANE_SCREENSHOT_DIR, ignored);
    return std::string(TALVANE_SCREENSHOT_DIR) + "/" + name;
}

// An open editor at a zoom, driven in its window's pixels.
class ZoomedEditor
{
public:
    ZoomedEditor(talvane::testing::ControllerWithHost& plugin, int zoom) : editor(plugin.createEditor())
    {
        editor->setFrame(&window);
        EXPECT_TRUE(editor->setZoom(zoom));
        EXPECT_EQ(editor->attached(nullptr, kPlatformTypeOffscreen), kResultTrue);
        screen = OffscreenFrame::of(editor->getFrame());
        editor->getFrame()->idle();
    }
    ~ZoomedEditor()
    {
        if (editor->getFrame())
            editor->removed();
        editor->release();
    }
    ZoomedEditor(const ZoomedEditor&) = delete;
    ZoomedEditor& operator=(const ZoomedEditor&) = delete;

    double scale() const { return editor->getFrame()->getScaleFactor(); }
    // A point of the layout in the window's pixels.
    CPoint pixel(const CPoint& layout) const
    {
        return CPoint(toDevice(layout.x, scale()), toDevice(layout.y, scale()));
    }
    CPoint centreOf(ParamID id) const { return pixel(editor->getControl(id)->getViewSize().getCenter()); }
    // The part of the window that shows a rectangle of the layout.
    PixelGrid picture(const CRect& layout) const
    {
        const CRect area = toDevice(layout, scale());
        return PixelGrid::read(static_cast<int>(area.left), static_cast<int>(area.top),
                               static_cast<int>(area.getWidth()), static_cast<int>(area.getHeight()),
                               [this](int x, int y) { return screen->getPixel(x, y); });
    }

    talvane::testing::HostWindow window;
    TalvaneEditorView* editor;
    OffscreenFrame* screen = nullptr;
};

// The volume knob with its caption.
const CRect kVolumeArea(639, 70, 689, 129);
// A point of the background between the panels, where no control is.
const CPoint kBackgroundPoint(570, 135);

TEST(EditorScaling, PicturesAtEachZoomHaveTheScaledSizeAndAreDrawnAtThatResolution)
{
    talvane::testing::ControllerWithHost plugin;
    const std::pair<int, std::pair<int, int>> sizes[] = {
        {100, {1066, 544}}, {150, {1599, 816}}, {200, {2132, 1088}}};
    for (const auto& [zoom, size] : sizes)
    {
        ZoomedEditor shown(plugin, zoom);
        ASSERT_NE(shown.screen, nullptr);
        const std::string path = screenshotPath("editor-zoom-" + std::to_string(zoom) + ".png");
        ASSERT_TRUE(shown.screen->saveScreenshot(path)) << path;
        EXPECT_EQ(getImageWidth(shown.screen->getBackBuffer()), size.first) << zoom;
        EXPECT_EQ(getImageHeight(shown.screen->getBackBuffer()), size.second) << zoom;
        ViewRect reported;
        shown.editor->getSize(&reported);
        EXPECT_EQ(reported.getWidth(), size.first);
        EXPECT_EQ(reported.getHeight(), size.second);
        ASSERT_FALSE(shown.window.requests.empty());
        EXPECT_EQ(shown.window.requests.back().getWidth(), size.first);
    }

    // At 200 % the knob and its caption are drawn anew, not the picture at 100 % enlarged: the
    // edges are as steep as at 100 % (a stretched picture's are clearly softer), pixels are not
    // repeated in pairs, and shrunk back the picture is the one at 100 %.
    ZoomedEditor normal(plugin, 100);
    ZoomedEditor doubled(plugin, 200);
    const PixelGrid small = normal.picture(kVolumeArea);
    const PixelGrid large = doubled.picture(kVolumeArea);
    ASSERT_EQ(large.width, 2 * small.width);
    ASSERT_EQ(large.height, 2 * small.height);
    const double stretchedSteepness = small.stretched(2).edgeSteepness();
    EXPECT_GT(large.edgeSteepness(), 1.3 * stretchedSteepness)
        << "drawn " << large.edgeSteepness() << ", stretched " << stretchedSteepness;
    EXPECT_GT(large.edgeSteepness(), 0.8 * small.edgeSteepness());
    EXPECT_GT(large.mixedBlocks(2), large.width * large.height / 4 / 10);
    EXPECT_LT(large.shrunk(2).meanDifference(small), 12.0);
}

TEST(EditorScaling, ClicksDragsWheelAndResetsHitTheirControlsAtEveryZoom)
{
    for (int zoom : {75, 150, 200})
    {
        SCOPED_TRACE(zoom);
        talvane::testing::ControllerWithHost plugin;
        ZoomedEditor shown(plugin, zoom);
        OffscreenFrame& screen = *shown.screen;
        HostEdits& edits = plugin.handler.edits;
        const double scale = shown.scale();

        // A click on the first oscillator's switch.
        const double on = plugin.controller->getParamNormalized(talvane::kO1On);
        screen.click(shown.centreOf(talvane::kO1On));
        EXPECT_EQ(edits, editTriple(talvane::kO1On, on < 0.5 ? 1.0 : 0.0));

        // A drag keeps its feel: 400 units of the layout span the range, so 60 pixels up move the
        // cutoff by 60 / (400 x scale).
        edits.clear();
        plugin.controller->setParamNormalized(talvane::kFCutoff, 0.5);
        const CPoint knob = shown.centreOf(talvane::kFCutoff);
        screen.mouseDown(knob);
        screen.mouseMove(CPoint(knob.x, knob.y - 30), kLButton);
        screen.mouseMove(CPoint(knob.x, knob.y - 60), kLButton);
        screen.mouseUp(CPoint(knob.x, knob.y - 60));
        const std::vector<ParamValue> cutoff = plugin.handler.performed(talvane::kFCutoff);
        ASSERT_EQ(cutoff.size(), 2u);
        EXPECT_NEAR(cutoff[0], 0.5 + 30 / (400 * scale), 1e-6);
        EXPECT_NEAR(cutoff[1], 0.5 + 60 / (400 * scale), 1e-6);

        // A wheel notch (its gesture ends as the pointer leaves the knob) and a double-click reset
        // (after the first click's touch).
        edits.clear();
        plugin.controller->setParamNormalized(talvane::kGlobalVolume, 0.8);
        screen.mouseMove(shown.centreOf(talvane::kGlobalVolume));
        EXPECT_TRUE(screen.wheel(shown.centreOf(talvane::kGlobalVolume), 1.f));
        screen.mouseMove(shown.centreOf(talvane::kO1Detune));
        EXPECT_EQ(edits, editTriple(talvane::kGlobalVolume, 0.8f + TLKnob::kWheelStep));
        edits.clear();
        plugin.controller->setParamNormalized(talvane::kO1Detune, 0.8);
        shown.editor->getFrame()->idle();
        screen.doubleClick(shown.centreOf(talvane::kO1Detune));
        HostEdits touchThenReset = oneGesture(talvane::kO1Detune, {});
        const HostEdits reset = editTriple(talvane::kO1Detune, 0.5);
        touchThenReset.insert(touchThenReset.end(), reset.begin(), reset.end());
        EXPECT_EQ(edits, touchThenReset);

        // The switcher's zones start at x 895 and 947 of the layout, whichever pixel holds them.
        const double y = std::ceil(150 * scale);
        const std::pair<double, int> zones[] = {{std::ceil(895 * scale) - 1, 0},
                                                {std::ceil(895 * scale), 1},
                                                {std::ceil(947 * scale) - 1, 1},
                                                {std::ceil(947 * scale), 2}};
        for (const auto& [x, page] : zones)
        {
            screen.click(CPoint(x, y));
            EXPECT_EQ(shown.editor->getCurrentPage(), page) << x;
        }

        // A list's pop-up opens over its box at the scaled place and takes the scaled entry.
        edits.clear();
        screen.click(shown.centreOf(talvane::kFType));
        ASSERT_TRUE(screen.isPopupOpen());
        const CRect box = shown.editor->getControl(talvane::kFType)->getViewSize();
        EXPECT_EQ(screen.getPopupArea().getTopLeft(), shown.pixel(box.getTopLeft()));
        const MenuPopup* popup = shown.editor->getFrame()->getPopup();
        EXPECT_EQ(screen.getPopupArea().getWidth(), toDevice(popup->getSize().x, scale));
        screen.popupMouseDown(shown.pixel(popup->entryRect(3).getCenter()));
        EXPECT_FALSE(screen.isPopupOpen());
        EXPECT_EQ(edits, editTriple(talvane::kFType, 0.75));
    }
}

TEST(EditorScaling, TheZoomMenuOnTheBackgroundResizesTheEditorAndTheControllerKeepsTheZoom)
{
    talvane::testing::ControllerWithHost plugin;
    auto shown = std::make_unique<ZoomedEditor>(plugin, talvane::kDefaultZoomPercent);
    OffscreenFrame& screen = *shown->screen;
    ASSERT_EQ(shown->editor->getFrame()->getViewAt(kBackgroundPoint), nullptr);

    // Neither a left click on the background nor a right click on a control offers the zoom.
    screen.click(shown->pixel(kBackgroundPoint));
    EXPECT_FALSE(screen.isPopupOpen());
    screen.mouseDown(shown->centreOf(talvane::kFCutoff), kRButton);
    EXPECT_FALSE(screen.isPopupOpen());

    // A right click there does: every step, the current one checked, at the pointer.
    screen.mouseDown(shown->pixel(kBackgroundPoint), kRButton);
    ASSERT_TRUE(screen.isPopupOpen());
    const COptionMenu* menu = shown->editor->getFrame()->getPopup()->getMenu();
    ASSERT_EQ(menu->getNbEntries(), talvane::kNumZoomSteps);
    for (int step = 0; step < talvane::kNumZoomSteps; ++step)
        EXPECT_EQ(menu->getEntry(step)->getTitle(), ZoomMenu::entryText(talvane::kZoomSteps[step]));
    EXPECT_EQ(menu->getEntry(0)->getTitle(), "Zoom 75 %");
    EXPECT_EQ(menu->getCurrent()->getTitle(), "Zoom 100 %");
    EXPECT_EQ(screen.getPopupArea().getTopLeft(), kBackgroundPoint);

    // Choosing 150 % resizes the open editor, asks the host for the size and tells no parameter.
    const MenuPopup* popup = shown->editor->getFrame()->getPopup();
    screen.popupMouseDown(popup->entryRect(3).getCenter());
    EXPECT_FALSE(screen.isPopupOpen());
    EXPECT_EQ(shown->editor->getZoom(), 150);
    EXPECT_EQ(shown->editor->getFrame()->getScaleFactor(), 1.5);
    EXPECT_EQ(getImageWidth(screen.getBackBuffer()), 1599);
    ASSERT_FALSE(shown->window.requests.empty());
    EXPECT_EQ(shown->window.requests.back().getWidth(), 1599);
    EXPECT_EQ(shown->window.requests.back().getHeight(), 816);
    EXPECT_EQ(plugin.controller->getEditorZoom(), 150);
    EXPECT_TRUE(plugin.handler.edits.empty());
    EXPECT_EQ(plugin.handler.dirtyCalls, std::vector<bool>{true}) << "the project has changed";
    // Redrawn whole at the new size: the bottom right corner shows the background, not the grey
    // behind it.
    shown->editor->getFrame()->idle();
    EXPECT_NE(screen.getPixel(1598, 815), kGreyCColor);

    // Closed and opened again, a view comes at the zoom chosen last, before and after attaching.
    shown.reset();
    Vst::TalvaneEditorView* again = plugin.createEditor();
    ViewRect size;
    again->getSize(&size);
    EXPECT_EQ(size.getWidth(), 1599);
    EXPECT_EQ(size.getHeight(), 816);
    ASSERT_EQ(again->attached(nullptr, kPlatformTypeOffscreen), kResultTrue);
    EXPECT_EQ(again->getFrame()->getDeviceSize(), CPoint(1599, 816));
    EXPECT_EQ(again->getZoom(), 150);
    again->removed();
    again->release();
}

TEST(EditorScaling, AZoomTheHostRefusesIsNotKeptAndOnlyStepsAreZooms)
{
    talvane::testing::ControllerWithHost plugin;
    ZoomedEditor shown(plugin, talvane::kDefaultZoomPercent);
    shown.window.accept = false;
    EXPECT_FALSE(shown.editor->setZoom(200));
    EXPECT_EQ(shown.editor->getZoom(), 100);
    EXPECT_EQ(shown.editor->getFrame()->getScaleFactor(), 1.0);
    EXPECT_EQ(getImageWidth(shown.screen->getBackBuffer()), 1066);
    EXPECT_EQ(plugin.controller->getEditorZoom(), 100);

    shown.window.accept = true;
    EXPECT_FALSE(shown.editor->setZoom(110));
    EXPECT_FALSE(shown.editor->setZoom(0));
    EXPECT_EQ(shown.editor->getZoom(), 100);
    plugin.controller->setEditorZoom(300);
    EXPECT_EQ(plugin.controller->getEditorZoom(), 100);
}

TEST(EditorScaling, TheHostsContentScaleMultipliesTheZoomWhileOpen)
{
    talvane::testing::ControllerWithHost plugin;
    ZoomedEditor shown(plugin, 200);
    IPlugViewContentScaleSupport* scaling = nullptr;
    ASSERT_EQ(
        shown.editor->queryInterface(IPlugViewContentScaleSupport::iid, reinterpret_cast<void**>(&scaling)),
        kResultOk);
    ASSERT_NE(scaling, nullptr);

    EXPECT_EQ(scaling->setContentScaleFactor(1.5f), kResultTrue);
    EXPECT_EQ(shown.editor->getFrame()->getScaleFactor(), 3.0);
    EXPECT_EQ(shown.window.requests.back().getWidth(), 3198);
    EXPECT_EQ(shown.window.requests.back().getHeight(), 1632);
    EXPECT_EQ(getImageWidth(shown.screen->getBackBuffer()), 3198);
    // Input follows: a click at the scaled place still hits its control.
    const double on = plugin.controller->getParamNormalized(talvane::kO1On);
    shown.screen->click(shown.centreOf(talvane::kO1On));
    EXPECT_EQ(plugin.handler.edits, editTriple(talvane::kO1On, on < 0.5 ? 1.0 : 0.0));

    // Sizes the host may ask for follow the scale too: 50 units of growth at most.
    ViewRect request(0, 0, 9000, 100);
    EXPECT_EQ(shown.editor->checkSizeConstraint(&request), kResultOk);
    EXPECT_EQ(request.getWidth(), 3348);
    EXPECT_EQ(request.getHeight(), 1632);

    // Nonsense is refused and changes nothing.
    for (float factor : {0.f, -1.f, 20.f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(scaling->setContentScaleFactor(factor), kInvalidArgument) << factor;
    EXPECT_EQ(shown.editor->getFrame()->getScaleFactor(), 3.0);

    EXPECT_EQ(scaling->setContentScaleFactor(1.f), kResultTrue);
    EXPECT_EQ(getImageWidth(shown.screen->getBackBuffer()), 2132);
    scaling->release();
}

TEST(EditorScaling, SeveralViewsOfOneControllerKeepTheirOwnZooms)
{
    talvane::testing::ControllerWithHost plugin;
    ZoomedEditor first(plugin, 150);
    ZoomedEditor second(plugin, 200);
    EXPECT_EQ(first.editor->getFrame()->getDeviceSize(), CPoint(1599, 816));
    EXPECT_EQ(second.editor->getFrame()->getDeviceSize(), CPoint(2132, 1088));
    EXPECT_EQ(plugin.controller->getEditorZoom(), 200);

    // An edit in one reaches the host and shows in the other, each drawn at its own size.
    plugin.controller->setParamNormalized(talvane::kFCutoff, 0.5);
    const CPoint knob = second.centreOf(talvane::kFCutoff);
    second.screen->mouseDown(knob);
    second.screen->mouseMove(CPoint(knob.x, knob.y - 80), kLButton);
    second.screen->mouseUp(CPoint(knob.x, knob.y - 80));
    EXPECT_EQ(plugin.handler.performed(talvane::kFCutoff), std::vector<ParamValue>{0.6f});
    EXPECT_FLOAT_EQ(first.editor->getControl(talvane::kFCutoff)->getValue(), 0.6f);
    EXPECT_EQ(first.editor->getFrame()->getDeviceSize(), CPoint(1599, 816));
}

// The controller's state, as a host saves it with the project.
std::vector<std::uint8_t> savedState(Vst::TalvaneController& controller)
{
    MemoryStream stream;
    EXPECT_EQ(controller.getState(&stream), kResultOk);
    return stream.bytes();
}

tresult restoreState(Vst::TalvaneController& controller, const std::vector<std::uint8_t>& bytes)
{
    MemoryStream stream(bytes);
    return controller.setState(&stream);
}

TEST(EditorScaling, TheZoomChosenInTheMenuComesBackWithTheHostsProject)
{
    // The musician chooses 150 % from the background's menu and closes the editor; the host saves.
    talvane::testing::ControllerWithHost chosen;
    std::vector<std::uint8_t> project;
    {
        ZoomedEditor shown(chosen, talvane::kDefaultZoomPercent);
        shown.screen->mouseDown(shown.pixel(kBackgroundPoint), kRButton);
        ASSERT_TRUE(shown.screen->isPopupOpen());
        shown.screen->popupMouseDown(shown.editor->getFrame()->getPopup()->entryRect(3).getCenter());
        ASSERT_EQ(shown.editor->getZoom(), 150);
    }
    project = savedState(*chosen.controller);

    // Another instance loads the project: its first view opens at 1599 x 816, 150 % of 1066 x 544.
    talvane::testing::ControllerWithHost loaded;
    ASSERT_EQ(restoreState(*loaded.controller, project), kResultOk);
    EXPECT_EQ(loaded.controller->getEditorZoom(), 150);
    EXPECT_TRUE(loaded.handler.dirtyCalls.empty()) << "a project just loaded has nothing new to save";
    TalvaneEditorView* view = loaded.createEditor();
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultTrue);
    EXPECT_EQ(size.getWidth(), 1599);
    EXPECT_EQ(size.getHeight(), 816);
    view->release();
    EXPECT_EQ(savedState(*loaded.controller), project);
}

TEST(EditorScaling, OpenViewsFollowARestoredZoomTimesTheHostsScale)
{
    talvane::testing::ControllerWithHost source;
    source.controller->setEditorZoom(200);
    const std::vector<std::uint8_t> at200 = savedState(*source.controller);
    source.controller->setEditorZoom(75);
    const std::vector<std::uint8_t> at75 = savedState(*source.controller);

    // Two open views at their own zooms, one on a screen the host scales by 1.5, both take the
    // restored zoom and ask the host for their new sizes.
    talvane::testing::ControllerWithHost plugin;
    ZoomedEditor plain(plugin, 100);
    ZoomedEditor scaled(plugin, 150);
    IPlugViewContentScaleSupport* scaling = nullptr;
    ASSERT_EQ(
        scaled.editor->queryInterface(IPlugViewContentScaleSupport::iid, reinterpret_cast<void**>(&scaling)),
        kResultOk);
    ASSERT_EQ(scaling->setContentScaleFactor(1.5f), kResultTrue);
    scaling->release();
    ASSERT_EQ(restoreState(*plugin.controller, at200), kResultOk);
    EXPECT_EQ(plain.editor->getZoom(), 200);
    EXPECT_EQ(plain.window.requests.back().getWidth(), 2132);
    EXPECT_EQ(plain.window.requests.back().getHeight(), 1088);
    EXPECT_EQ(getImageWidth(plain.screen->getBackBuffer()), 2132);
    EXPECT_EQ(scaled.editor->getZoom(), 200);
    EXPECT_EQ(scaled.window.requests.back().getWidth(), 3198);
    EXPECT_EQ(scaled.window.requests.back().getHeight(), 1632);
    EXPECT_TRUE(plugin.handler.edits.empty());

    // A host that refuses the size keeps that view as it was; the next view opens at the zoom
    // restored all the same.
    plain.window.accept = false;
    ASSERT_EQ(restoreState(*plugin.controller, at75), kResultOk);
    EXPECT_EQ(plain.editor->getZoom(), 200);
    EXPECT_EQ(scaled.editor->getZoom(), 75);
    EXPECT_EQ(scaled.window.requests.back().getWidth(), 1199);
    EXPECT_EQ(plugin.controller->getEditorZoom(), 75);

    // A project saved before the zoom was kept leaves the zoom alone.
    const std::vector<std::uint8_t> older = {'T', 'v', 'C', 's', 1, 0, 0, 0};
    ASSERT_EQ(restoreState(*plugin.controller, older), kResultOk);
    EXPECT_EQ(plugin.controller->getEditorZoom(), 75);
    EXPECT_EQ(scaled.editor->getZoom(), 75);
}

} // namespace
