// The built module's editor in a real Win32 window, as a Windows host shows it: the controller's
// "editor" view attached to a top-level window of the host, its messages pumped by the host's loop,
// driven by synthesized mouse and keyboard input and compared, pixel for pixel, with the same editor
// drawn offscreen in this process. Then the ways a host closes it: removing it mid-gesture,
// destroying its window first, two views at once, opening it again. Needs a window system: under
// Wine, a display for Wine's X11 driver (tools/run-windows-tests starts Xvfb).
#include "tests/editor/editortest.h"
#include "tests/gui/win32testinput.h"

#include "support/hostedits.h"
#include "support/moduletest.h"
#include "support/vst2automation.h"

#include "source/editor/editgestures.h"
#include "source/editor/editorlayout.h"
#include "source/params/paramids.h"

#include "host/editorwindow_win32.h"

#include "gui/cframe.h"
#include "gui/menupopup.h"
#include "gui/platform/offscreenframe.h"
#include "gui/platform/platformparent.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace talvane::testing;
using namespace talvane::testing::win32;
using talvane::host::EditorWindow;
using talvane::host::HostMessageLoop;
using talvane::host::ModuleCode;
using std::chrono::milliseconds;

namespace {

// Where the host windows go: the second one below the first, both whole on the test screen.
constexpr POINT kFirstWindowAt{10, 10};
constexpr POINT kSecondWindowAt{10, 620};
// A point of the test screen outside both host windows.
constexpr POINT kOutsideTheWindows{1200, 1150};
// How long an input may take to arrive, and a moment after it.
constexpr milliseconds kInputTimeout{1000};
constexpr milliseconds kSettle{10};
// Several idle periods: every invalid area has been drawn after this.
constexpr milliseconds kRedraw{300};

// Long enough for the wheel's gesture to end by itself, with room for the idle timer's period.
constexpr milliseconds kPastTheWheelPause = talvane::EditGestures::kWheelPause * 2 + milliseconds(100);

// How a knob drag reaches the host, given the knob's value after each mouse step of the drag: one
// gesture, begun at the press, with the value of each step that moves the knob, ended at the
// release, so that the host records the drag as one touch and undoes it in one step.
HostEdits expectedDragEdits(Vst::ParamID id, const std::vector<Vst::ParamValue>& stepValues)
{
    return oneGesture(id, stepValues);
}

const talvane::ControlPlacement* placementOf(talvane::ParamId id)
{
    for (const auto* table : {&talvane::alwaysPresentLayout(), &talvane::pageLayout(talvane::kEnvelopePage),
                              &talvane::pageLayout(talvane::kLfoPage), &talvane::pageLayout(talvane::kMatrixPage)})
        for (const auto& placement : *table)
            if (placement.id == id)
                return &placement;
    return nullptr;
}

RECT rectOf(talvane::ParamId id)
{
    const talvane::PixelRect rect = talvane::controlRect(*placementOf(id));
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

POINT centreOf(talvane::ParamId id)
{
    const RECT rect = rectOf(id);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Pixels that differ within `area` (the whole picture if empty); pictures of different sizes
// differ everywhere.
int mismatches(const WindowPicture& actual, const WindowPicture& expected, RECT area = RECT{})
{
    if (actual.width != expected.width || actual.height != expected.height)
        return std::max(1, expected.width * expected.height);
    if (area.right <= area.left)
        area = RECT{0, 0, expected.width, expected.height};
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += actual.at(x, y) != expected.at(x, y);
    return count;
}

// The same editor drawn offscreen in this process, from a controller of its own: what the window
// should show for the same parameter values and page. It is opened for each question and closed
// again, without being attached, so that it runs no idle timer beside the plug-in's.
class ReferenceEditor
{
public:
    // `scale`: the host's content scale the window shows the editor at.
    explicit ReferenceEditor(double scale = 1.0) : editor(plugin.createEditor()), scale(scale) {}
    ~ReferenceEditor() { editor->release(); }
    ReferenceEditor(const ReferenceEditor&) = delete;
    ReferenceEditor& operator=(const ReferenceEditor&) = delete;

    void setValue(talvane::ParamId id, double value) { plugin.controller->setParamNormalized(id, value); }
    void showPage(int page) { shownPage = page; }

    WindowPicture picture()
    {
        WindowPicture picture;
        if (!open())
            return picture;
        editor->getFrame()->idle();
        const VSTGUI::CPoint size = editor->getFrame()->getDeviceSize();
        picture.width = static_cast<int>(size.x);
        picture.height = static_cast<int>(size.y);
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
            {
                const VSTGUI::CColor pixel = screen()->getPixel(x, y);
                picture.pixels.push_back(static_cast<std::uint32_t>(pixel.red) << 16 |
                                         static_cast<std::uint32_t>(pixel.green) << 8 | pixel.blue);
            }
        editor->close();
        return picture;
    }

    // The pop-up of list `id` as it opens: its area in the editor window's pixels and the centre of
    // entry `index` in the pop-up's pixels.
    struct Popup
    {
        RECT area;
        POINT entryCentre;
    };
    Popup popupOf(talvane::ParamId id, int index)
    {
        Popup popup{};
        if (!open())
            return popup;
        const POINT list = centreOf(id);
        screen()->click(VSTGUI::CPoint(VSTGUI::toDevice(list.x, scale), VSTGUI::toDevice(list.y, scale)));
        EXPECT_TRUE(screen()->isPopupOpen());
        if (screen()->isPopupOpen())
        {
            const VSTGUI::CRect area = screen()->getPopupArea();
            popup.area = RECT{static_cast<LONG>(area.left), static_cast<LONG>(area.top),
                              static_cast<LONG>(area.right), static_cast<LONG>(area.bottom)};
            const VSTGUI::CPoint centre = editor->getFrame()->getPopup()->entryRect(index).getCenter();
            popup.entryCentre = POINT{static_cast<LONG>(VSTGUI::toDevice(centre.x, scale)),
                                      static_cast<LONG>(VSTGUI::toDevice(centre.y, scale))};
        }
        editor->close();
        return popup;
    }

private:
    bool open()
    {
        VSTGUI::PlatformParent offscreen;
        offscreen.scaleFactor = scale;
        EXPECT_TRUE(editor->open(&offscreen));
        if (!editor->getFrame())
            return false;
        editor->switchPage(shownPage);
        return true;
    }
    VSTGUI::OffscreenFrame* screen() { return VSTGUI::OffscreenFrame::of(editor->getFrame()); }

    ControllerWithHost plugin;
    Vst::TalvaneEditorView* editor;
    double scale;
    int shownPage = talvane::kLfoPage;
};

class EditorInAWindow : public ModuleTest
{
protected:
    void SetUp() override
    {
        openHostWindow();
        if (HasFatalFailure() || IsSkipped())
            return;
        controller()->setComponentHandler(&handler);
        std::string error;
        ASSERT_TRUE(host.openEditor(controller(), error)) << error;
        loop->run(kRedraw);
    }

    void TearDown() override
    {
        second.reset();
        host.removeEditor();
        host.releaseEditor();
        host.destroyWindow();
        if (loop)
            loop->run(kSettle);
        if (controller())
            controller()->setComponentHandler(nullptr);
    }

    // The module, the host's loop and its window, without an editor yet.
    void openHostWindow()
    {
        ModuleTest::SetUp();
        if (HasFatalFailure())
            return;
        pluginCode = std::make_unique<ModuleCode>(loadedModule().symbol("GetPluginFactory"));
        ASSERT_NE(pluginCode->handle(), nullptr);
        loop = std::make_unique<HostMessageLoop>(*pluginCode);
        std::string error;
        if (!host.createWindow(kFirstWindowAt.x, kFirstWindowAt.y, talvane::kEditorWidth, talvane::kEditorHeight,
                               error))
            GTEST_SKIP() << "no window system to open the editor in (under Wine: no display): " << error;
    }

    Vst::IEditController* controller() { return plugin.controller(); }

    // The editor's own window: the only child of the host's window.
    static HWND editorWindowIn(const EditorWindow& window)
    {
        HWND child = GetWindow(window.window(), GW_CHILD);
        EXPECT_NE(child, nullptr);
        EXPECT_EQ(GetWindow(child, GW_HWNDNEXT), nullptr) << "the host window holds more than the editor";
        return child;
    }
    HWND editorWindow() const { return editorWindowIn(host); }

    // The top-level windows of the plug-in: its list pop-up while one is open.
    std::vector<HWND> pluginPopups() const
    {
        std::vector<HWND> popups;
        for (HWND window : loop->pluginWindows())
            if (!(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD))
                popups.push_back(window);
        return popups;
    }

    // Input through the system: each step waits until its message has reached the plug-in (or for
    // a while, when it goes elsewhere), so that no two mouse moves merge into one, however loaded
    // the machine.
    void deliver(std::initializer_list<UINT> messages)
    {
        loop->runUntilPluginReceives(messages, kInputTimeout);
        loop->run(kSettle);
    }
    // The pointer to a point of the screen.
    void moveTo(POINT screen)
    {
        POINT now{};
        GetCursorPos(&now);
        ASSERT_TRUE(movePointerTo(screen)) << "the pointer did not reach " << screen.x << ", " << screen.y;
        if (now.x != screen.x || now.y != screen.y)
            deliver({WM_MOUSEMOVE});
    }
    // The pointer to the editor of `window` (the first one if null), at editor coordinates.
    void pointAt(POINT where, const EditorWindow* window = nullptr)
    {
        ClientToScreen(editorWindowIn(window ? *window : host), &where);
        moveTo(where);
    }
    void press()
    {
        ASSERT_TRUE(pressLeftButton());
        deliver({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK});
    }
    void release()
    {
        ASSERT_TRUE(releaseLeftButton());
        deliver({WM_LBUTTONUP});
    }
    void clickAt(POINT where, const EditorWindow* window = nullptr)
    {
        pointAt(where, window);
        press();
        release();
    }
    void wheel(int notches)
    {
        ASSERT_TRUE(turnWheel(notches));
        deliver({WM_MOUSEWHEEL});
    }
    void key(WORD virtualKey)
    {
        ASSERT_TRUE(sendKey(virtualKey, true));
        deliver({WM_KEYDOWN});
        ASSERT_TRUE(sendKey(virtualKey, false));
        deliver({WM_KEYUP});
    }
    // A message straight to the editor's window, as the system would deliver it.
    void post(UINT message, WPARAM keys, POINT where)
    {
        ASSERT_TRUE(PostMessageW(editorWindow(), message, keys, MAKELPARAM(where.x, where.y)));
        deliver({message});
    }
    // A drag from the control's centre, `steps` mouse moves of `pixelsUp` each; answers with the
    // button still held.
    void dragUp(talvane::ParamId id, int steps, int pixelsUp)
    {
        const POINT start = centreOf(id);
        pointAt(start);
        press();
        for (int step = 1; step <= steps; ++step)
            pointAt(POINT{start.x, start.y - step * pixelsUp});
    }

    // A host's change of a value, as automation sends it.
    void hostSets(talvane::ParamId id, double value) { controller()->setParamNormalized(id, value); }

    WindowPicture onScreen() { return pictureOf(editorWindow(), PictureSource::Screen); }

    // After a view is removed and released: no window of the plug-in is left, and for a while
    // nothing of the plug-in runs, no timer and no window message.
    void expectNothingOfThePluginRunning()
    {
        EXPECT_TRUE(loop->pluginWindows().empty()) << loop->pluginWindows().size() << " windows left";
        loop->resetActivity();
        loop->run(milliseconds(300));
        EXPECT_EQ(loop->activity().timerTicks.size(), 0u) << "the idle timer still runs";
        EXPECT_EQ(loop->activity().windowMessages, 0) << "messages still reach the plug-in's windows";
    }

    std::unique_ptr<ModuleCode> pluginCode;
    std::unique_ptr<HostMessageLoop> loop;
    RecordingComponentHandler handler;
    EditorWindow host;
    std::unique_ptr<EditorWindow> second;
};

// ---- the window ---------------------------------------------------------------------------------

TEST_F(EditorInAWindow, IsAChildWindowOfTheHostsWindowAtTheEditorsSize)
{
    EXPECT_EQ(host.lastResizeRequest().getWidth(), talvane::kEditorWidth);
    EXPECT_EQ(host.lastResizeRequest().getHeight(), talvane::kEditorHeight);

    HWND child = editorWindow();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), host.window());
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(IsWindowVisible(child));
    RECT inHost{};
    GetWindowRect(child, &inHost);
    MapWindowPoints(HWND_DESKTOP, host.window(), reinterpret_cast<POINT*>(&inHost), 2);
    EXPECT_EQ(inHost.left, 0);
    EXPECT_EQ(inHost.top, 0);
    EXPECT_EQ(inHost.right, talvane::kEditorWidth);
    EXPECT_EQ(inHost.bottom, talvane::kEditorHeight);
    // The only window of the plug-in, and its own.
    EXPECT_EQ(loop->pluginWindows(), std::vector<HWND>{child});
}

TEST_F(EditorInAWindow, RedrawsFromAWindowTimerAbout20TimesASecondUntilRemoved)
{
    loop->resetActivity();
    loop->run(milliseconds(1000));
    const auto& ticks = loop->activity().timerTicks;
    ASSERT_GE(ticks.size(), 8u) << "the idle timer hardly runs";
    EXPECT_LE(ticks.size(), 25u);
    std::vector<long long> intervals;
    for (std::size_t i = 1; i < ticks.size(); ++i)
        intervals.push_back(std::chrono::duration_cast<milliseconds>(ticks[i] - ticks[i - 1]).count());
    std::nth_element(intervals.begin(), intervals.begin() + intervals.size() / 2, intervals.end());
    const long long median = intervals[intervals.size() / 2];
    EXPECT_GE(median, 40);
    EXPECT_LE(median, 80);
    const auto& ids = loop->activity().timerIds;
    EXPECT_TRUE(std::all_of(ids.begin(), ids.end(), [&](UINT_PTR id) { return id == ids.front(); }))
        << "more than one timer";

    EXPECT_EQ(host.removeEditor(), kResultOk);
    loop->resetActivity();
    loop->run(milliseconds(300));
    EXPECT_TRUE(loop->activity().timerTicks.empty()) << "the timer outlives removed()";
    EXPECT_TRUE(loop->pluginWindows().empty());
    EXPECT_EQ(host.releaseEditor(), 0u);
    expectNothingOfThePluginRunning();
}

TEST_F(EditorInAWindow, ShowsThePixelsOfTheOffscreenRendering)
{
    ReferenceEditor reference;
    const WindowPicture expected = reference.picture();
    EXPECT_EQ(mismatches(pictureOf(editorWindow(), PictureSource::Screen), expected), 0);
    // Asked to draw itself (screenshots, thumbnails), the window gives the same picture.
    EXPECT_EQ(mismatches(pictureOf(editorWindow(), PictureSource::PrintWindow), expected), 0);
}

TEST_F(EditorInAWindow, AHostValueChangeRedrawsItsControlAndNothingGoesBack)
{
    ReferenceEditor reference;
    const RECT knob = rectOf(talvane::kFCutoff);
    hostSets(talvane::kFCutoff, 0.1);
    loop->run(kRedraw);
    const WindowPicture before = onScreen();

    hostSets(talvane::kFCutoff, 0.9);
    loop->run(kRedraw);
    const WindowPicture after = onScreen();
    EXPECT_GT(mismatches(after, before, knob), 100) << "the knob was not redrawn";
    reference.setValue(talvane::kFCutoff, 0.9);
    EXPECT_EQ(mismatches(after, reference.picture()), 0);
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);
}

TEST_F(EditorInAWindow, ResizesWithinItsConstraintsAndDrawsTheNewArea)
{
    const Steinberg::ViewRect granted = host.resizeEditor(2000, 300);
    EXPECT_EQ(granted.getWidth(), 1116);
    EXPECT_EQ(granted.getHeight(), talvane::kEditorHeight);
    loop->run(kRedraw);
    RECT client{};
    GetClientRect(editorWindow(), &client);
    EXPECT_EQ(client.right, 1116);
    EXPECT_EQ(client.bottom, talvane::kEditorHeight);
    // Beyond the background picture: the frame's grey.
    EXPECT_EQ(onScreen().at(1100, 300), 0x7f7f7fu);

    host.resizeEditor(talvane::kEditorWidth, talvane::kEditorHeight);
    loop->run(kRedraw);
    GetClientRect(editorWindow(), &client);
    EXPECT_EQ(client.right, talvane::kEditorWidth);
    ReferenceEditor reference;
    EXPECT_EQ(mismatches(onScreen(), reference.picture()), 0);
}

// ---- knobs --------------------------------------------------------------------------------------

TEST_F(EditorInAWindow, AKnobDragIsOneGestureWithTheValueOfEveryMouseStep)
{
    hostSets(talvane::kFCutoff, 0.5);
    loop->run(kRedraw);
    // The gesture begins at the press, before anything moves.
    pointAt(centreOf(talvane::kFCutoff));
    press();
    EXPECT_TRUE(sameEdits(handler.edits, HostEdits{{HostEdit::Begin, talvane::kFCutoff}}));
    release();
    EXPECT_TRUE(sameEdits(handler.edits, expectedDragEdits(talvane::kFCutoff, {})));
    handler.edits.clear();
    loop->run(milliseconds(600)); // no double-click

    // Linear drags: 400 pixels span the whole range, so each step of 4 pixels up adds 0.01.
    dragUp(talvane::kFCutoff, 10, 4);
    release();
    std::vector<Vst::ParamValue> steps;
    for (int step = 1; step <= 10; ++step)
        steps.push_back(0.5 + 0.01 * step);
    EXPECT_TRUE(sameEdits(handler.edits, expectedDragEdits(talvane::kFCutoff, steps)));
    EXPECT_NEAR(controller()->getParamNormalized(talvane::kFCutoff), 0.6, 1e-6);

    // The knob shows where it was left, as drawn offscreen for that value.
    loop->run(kRedraw);
    ReferenceEditor reference;
    reference.setValue(talvane::kFCutoff, controller()->getParamNormalized(talvane::kFCutoff));
    EXPECT_EQ(mismatches(onScreen(), reference.picture(), rectOf(talvane::kFCutoff)), 0);
}

TEST_F(EditorInAWindow, ADragKeepsTheMouseWhenThePointerLeavesTheWindow)
{
    hostSets(talvane::kFCutoff, 0.5);
    loop->run(kRedraw);
    const POINT start = centreOf(talvane::kFCutoff);
    pointAt(start);
    press();
    // Moves to the right count as well: 20 pixels add 0.05; beyond the window's right edge the
    // knob reaches the end of its range.
    pointAt(POINT{start.x + 20, start.y});
    pointAt(POINT{talvane::kEditorWidth + 40, start.y});
    release();
    EXPECT_TRUE(sameEdits(handler.edits, expectedDragEdits(talvane::kFCutoff, {0.55, 1.0})));

    // The release outside ended the drag: the caption shows its name again, and moving back over
    // the knob changes nothing.
    loop->run(kRedraw);
    ReferenceEditor reference;
    // By the same values: the sound bar marks the sound as edited there too.
    reference.setValue(talvane::kFCutoff, 0.5);
    reference.setValue(talvane::kFCutoff, 1.0);
    EXPECT_EQ(mismatches(onScreen(), reference.picture()), 0);
    handler.edits.clear();
    pointAt(start);
    pointAt(POINT{start.x, start.y - 20});
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);
}

TEST_F(EditorInAWindow, ADragEndsWhenAnotherWindowTakesTheMouse)
{
    hostSets(talvane::kFCutoff, 0.5);
    loop->run(kRedraw);
    dragUp(talvane::kFCutoff, 2, 4);
    // The host takes the mouse in the middle of the drag (a dialog of its own, say).
    SetCapture(host.window());
    loop->run(kSettle);
    EXPECT_TRUE(sameEdits(handler.edits, expectedDragEdits(talvane::kFCutoff, {0.51, 0.52})));
    // The rest of the drag goes to the host's window.
    POINT further{centreOf(talvane::kFCutoff).x, centreOf(talvane::kFCutoff).y - 40};
    ClientToScreen(editorWindow(), &further);
    ASSERT_TRUE(movePointerTo(further));
    loop->run(kSettle);
    ASSERT_TRUE(releaseLeftButton());
    loop->run(kSettle);
    ReleaseCapture();
    loop->run(kRedraw);
    EXPECT_TRUE(sameEdits(handler.edits, expectedDragEdits(talvane::kFCutoff, {0.51, 0.52})));
    EXPECT_NEAR(controller()->getParamNormalized(talvane::kFCutoff), 0.52, 1e-6);
}

TEST_F(EditorInAWindow, ThePitchBendWheelSpringsBackWithinItsGesture)
{
    // 20 pixels up bend by 0.05 each; at the release the wheel returns to its centre.
    dragUp(talvane::kPitchBend, 2, 20);
    release();
    EXPECT_TRUE(sameEdits(handler.edits, oneGesture(talvane::kPitchBend, {0.55, 0.6, 0.5})));
    loop->run(kRedraw);
    ReferenceEditor reference;
    EXPECT_EQ(mismatches(onScreen(), reference.picture()), 0) << "the wheel is not back at its centre";
}

TEST_F(EditorInAWindow, AToggleClickIsOneCompleteEdit)
{
    const double switchedOn = controller()->getParamNormalized(talvane::kO1On) < 0.5 ? 1.0 : 0.0;
    clickAt(centreOf(talvane::kO1On));
    EXPECT_TRUE(sameEdits(handler.edits, editTriple(talvane::kO1On, switchedOn)));
}

TEST_F(EditorInAWindow, ShiftMakesAKnobDragFourTimesFiner)
{
    hostSets(talvane::kFCutoff, 0.5);
    loop->run(kRedraw);
    // The drag as the window messages that carry Shift: under Wine a Shift held through SendInput
    // does not last, since Wine takes the modifiers back from the X server's keyboard (where no key
    // is held) as the X pointer follows the moves.
    const POINT start = centreOf(talvane::kFCutoff);
    post(WM_MOUSEMOVE, MK_SHIFT, start);
    post(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, start);
    for (int step = 1; step <= 10; ++step)
        post(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, POINT{start.x, start.y - 4 * step});
    post(WM_LBUTTONUP, MK_SHIFT, POINT{start.x, start.y - 40});
    // 1600 pixels for the whole range: 0.0025 per step of 4 pixels.
    std::vector<Vst::ParamValue> steps;
    for (int step = 1; step <= 10; ++step)
        steps.push_back(0.5 + 0.0025 * step);
    EXPECT_TRUE(sameEdits(handler.edits, expectedDragEdits(talvane::kFCutoff, steps)));
}

TEST_F(EditorInAWindow, AWheelNotchMovesAKnobByAThousandth)
{
    hostSets(talvane::kGlobalVolume, 0.8);
    loop->run(kRedraw);
    pointAt(centreOf(talvane::kGlobalVolume));
    const auto turned = std::chrono::steady_clock::now();
    wheel(1);
    // The wheel holds the knob for a moment: the gesture ends once the wheel rests. (A machine
    // busy enough to take longer than the pause to get here has ended it already.)
    if (std::chrono::steady_clock::now() - turned < talvane::EditGestures::kWheelPause)
    {
        EXPECT_TRUE(sameEdits(handler.edits, HostEdits{{HostEdit::Begin, talvane::kGlobalVolume},
                                                       {HostEdit::Perform, talvane::kGlobalVolume, 0.801}}));
    }
    loop->run(kPastTheWheelPause);
    EXPECT_TRUE(sameEdits(handler.edits, editTriple(talvane::kGlobalVolume, 0.801)));

    // Steps in quick succession are one gesture; the pointer leaving the knob ends it at once.
    handler.edits.clear();
    wheel(-2);
    pointAt(POINT{300, 30});
    EXPECT_TRUE(sameEdits(handler.edits, oneGesture(talvane::kGlobalVolume, {0.8, 0.799})));

    // Off every control the wheel changes nothing.
    handler.edits.clear();
    wheel(1);
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);
}

TEST_F(EditorInAWindow, AfterAWheelNotchTheCaptionShowsTheValueUntilThePointerLeaves)
{
    hostSets(talvane::kGlobalVolume, 0.8);
    loop->run(kRedraw);
    pointAt(centreOf(talvane::kGlobalVolume));
    wheel(1);
    loop->run(kRedraw);
    ReferenceEditor reference;
    reference.setValue(talvane::kGlobalVolume, controller()->getParamNormalized(talvane::kGlobalVolume));
    const RECT caption{639, 120, 689, 129};
    EXPECT_GT(mismatches(onScreen(), reference.picture(), caption), 0) << "no value text in the caption";

    // Out of the window: the system reports that the mouse left, and the caption returns.
    ASSERT_TRUE(movePointerTo(kOutsideTheWindows));
    loop->run(milliseconds(1000));
    EXPECT_EQ(mismatches(onScreen(), reference.picture()), 0);
    EXPECT_TRUE(sameEdits(handler.edits, editTriple(talvane::kGlobalVolume, 0.801)));
}

TEST_F(EditorInAWindow, ADoubleClickResetsAKnobToItsDefault)
{
    Vst::ParameterInfo info{};
    ASSERT_EQ(controller()->getParameterInfo(talvane::kFCutoff, info), kResultOk);
    hostSets(talvane::kFCutoff, 0.3);
    loop->run(kRedraw);

    // The system makes the second press of two quick ones at one place a double-click. The first
    // press holds the knob without moving it; the second resets it as one edit.
    clickAt(centreOf(talvane::kFCutoff));
    press();
    release();
    const HostEdits touch = oneGesture(talvane::kFCutoff, {});
    HostEdits expected = touch;
    const HostEdits reset = editTriple(talvane::kFCutoff, info.defaultNormalizedValue);
    expected.insert(expected.end(), reset.begin(), reset.end());
    EXPECT_TRUE(sameEdits(handler.edits, expected));

    // At its default already, the knob sends no value: the two presses touch it, no more.
    loop->run(milliseconds(600)); // no triple-click
    handler.edits.clear();
    clickAt(centreOf(talvane::kFCutoff));
    press();
    release();
    expected = touch;
    expected.insert(expected.end(), touch.begin(), touch.end());
    EXPECT_TRUE(sameEdits(handler.edits, expected));
}

// ---- list boxes ---------------------------------------------------------------------------------

class ListPopupInAWindow : public EditorInAWindow
{
protected:
    static constexpr talvane::ParamId kList = talvane::kFType;
    static constexpr int kEntries = 5;
    static constexpr int kChoice = 3;

    // Clicks the list box; answers the pop-up window, checked against the offscreen pop-up.
    HWND openPopup()
    {
        clickAt(centreOf(kList));
        const std::vector<HWND> popups = pluginPopups();
        EXPECT_EQ(popups.size(), 1u) << "the list's pop-up did not open";
        if (popups.size() != 1)
            return nullptr;
        HWND popup = popups.front();
        EXPECT_TRUE(IsWindowVisible(popup));
        RECT area{};
        GetWindowRect(popup, &area);
        MapWindowPoints(HWND_DESKTOP, editorWindow(), reinterpret_cast<POINT*>(&area), 2);
        EXPECT_EQ(area.left, expected.area.left);
        EXPECT_EQ(area.top, expected.area.top);
        EXPECT_EQ(area.right, expected.area.right);
        EXPECT_EQ(area.bottom, expected.area.bottom);
        return popup;
    }

    ReferenceEditor reference;
    ReferenceEditor::Popup expected = reference.popupOf(kList, kChoice);
};

TEST_F(ListPopupInAWindow, AClickOpensThePopupAndAChoiceSendsItsValueAndClosesIt)
{
    const double before = controller()->getParamNormalized(kList);
    HWND popup = openPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(handler.edits.empty()) << "opening the list sent " << ::testing::PrintToString(handler.edits);

    POINT choice = expected.entryCentre;
    ClientToScreen(popup, &choice);
    const WindowPicture unlit = pictureOf(popup, PictureSource::Screen);
    moveTo(choice);
    // The entry under the pointer lights up; asked to draw itself, the pop-up shows the same.
    const WindowPicture lit = pictureOf(popup, PictureSource::Screen);
    EXPECT_GT(mismatches(lit, unlit), 0);
    EXPECT_EQ(mismatches(pictureOf(popup, PictureSource::PrintWindow), lit), 0);
    press();
    release();
    const double chosen = static_cast<double>(kChoice) / (kEntries - 1);
    ASSERT_NE(before, chosen);
    EXPECT_TRUE(sameEdits(handler.edits, editTriple(kList, chosen)));
    EXPECT_TRUE(pluginPopups().empty()) << "the pop-up stayed open";
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_DOUBLE_EQ(controller()->getParamNormalized(kList), chosen);
}

TEST_F(ListPopupInAWindow, EscapeClosesThePopupWithoutAnEdit)
{
    ASSERT_NE(openPopup(), nullptr);
    key(VK_ESCAPE);
    EXPECT_TRUE(pluginPopups().empty()) << "Escape left the pop-up open";
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);
    // The list opens again.
    EXPECT_NE(openPopup(), nullptr);
}

TEST_F(ListPopupInAWindow, AClickElsewhereClosesThePopupWithoutAnEdit)
{
    ASSERT_NE(openPopup(), nullptr);
    clickAt(POINT{300, 30});
    EXPECT_TRUE(pluginPopups().empty()) << "a click outside left the pop-up open";
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);

    // Beyond the host's window too.
    ASSERT_NE(openPopup(), nullptr);
    moveTo(kOutsideTheWindows);
    press();
    release();
    EXPECT_TRUE(pluginPopups().empty()) << "a click beyond the window left the pop-up open";
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);
    EXPECT_NE(openPopup(), nullptr);
}

// ---- the host's scale ---------------------------------------------------------------------------

TEST_F(EditorInAWindow, AtTheHostsScaleItGrowsAndTakesInputAtTheScaledPlaces)
{
    // As a Windows host on a monitor at 200 %: told after attaching.
    constexpr int kScale = 2;
    IPlugViewContentScaleSupport* scaling = nullptr;
    ASSERT_EQ(
        host.view()->queryInterface(IPlugViewContentScaleSupport::iid, reinterpret_cast<void**>(&scaling)),
        kResultOk);
    ASSERT_EQ(scaling->setContentScaleFactor(static_cast<float>(kScale)), kResultTrue);
    scaling->release();
    loop->run(kRedraw);
    EXPECT_EQ(host.lastResizeRequest().getWidth(), 2132);
    EXPECT_EQ(host.lastResizeRequest().getHeight(), 1088);
    RECT client{};
    GetClientRect(editorWindow(), &client);
    EXPECT_EQ(client.right, 2132);
    EXPECT_EQ(client.bottom, 1088);
    EXPECT_EQ(mismatches(onScreen(), ReferenceEditor(kScale).picture()), 0);

    auto scaled = [](POINT layout) { return POINT{layout.x * kScale, layout.y * kScale}; };
    const double on = controller()->getParamNormalized(talvane::kO1On);
    clickAt(scaled(centreOf(talvane::kO1On)));
    EXPECT_TRUE(sameEdits(handler.edits, editTriple(talvane::kO1On, on < 0.5 ? 1.0 : 0.0)));

    // A drag keeps its feel: steps of 8 pixels at 200 % are 4 units of the layout, 0.01 each.
    handler.edits.clear();
    hostSets(talvane::kFCutoff, 0.5);
    loop->run(kRedraw);
    const POINT start = scaled(centreOf(talvane::kFCutoff));
    pointAt(start);
    press();
    for (int step = 1; step <= 5; ++step)
        pointAt(POINT{start.x, start.y - 8 * step});
    release();
    EXPECT_TRUE(
        sameEdits(handler.edits, expectedDragEdits(talvane::kFCutoff, {0.51, 0.52, 0.53, 0.54, 0.55})));

    // A wheel notch on the volume knob, whose gesture ends as the pointer leaves it.
    handler.edits.clear();
    hostSets(talvane::kGlobalVolume, 0.8);
    pointAt(scaled(centreOf(talvane::kGlobalVolume)));
    wheel(1);
    pointAt(scaled(centreOf(talvane::kFType)));
    EXPECT_TRUE(sameEdits(handler.edits, editTriple(talvane::kGlobalVolume, 0.8f + 0.001f)));

    // A list's pop-up opens at the scaled place and takes the entry under the pointer.
    handler.edits.clear();
    const ReferenceEditor::Popup expected = ReferenceEditor(kScale).popupOf(talvane::kFType, 3);
    clickAt(scaled(centreOf(talvane::kFType)));
    const std::vector<HWND> popups = pluginPopups();
    ASSERT_EQ(popups.size(), 1u) << "the list's pop-up did not open";
    RECT area{};
    GetWindowRect(popups.front(), &area);
    MapWindowPoints(HWND_DESKTOP, editorWindow(), reinterpret_cast<POINT*>(&area), 2);
    EXPECT_EQ(area.left, expected.area.left);
    EXPECT_EQ(area.top, expected.area.top);
    EXPECT_EQ(area.right, expected.area.right);
    EXPECT_EQ(area.bottom, expected.area.bottom);
    POINT choice = expected.entryCentre;
    ClientToScreen(popups.front(), &choice);
    moveTo(choice);
    press();
    release();
    EXPECT_TRUE(sameEdits(handler.edits, editTriple(talvane::kFType, 0.75)));
}

// ---- the page switcher --------------------------------------------------------------------------

TEST_F(EditorInAWindow, TheSoundBarStepsToTheNextSoundAndTakesTypedKeysInItsNameEntry)
{
    auto centre = [](const talvane::PixelRect& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
    const RECT nameArea{talvane::kSoundNameRect.left, talvane::kSoundNameRect.top, talvane::kSoundNameRect.right,
                        talvane::kSoundNameRect.bottom};

    // Next: the first factory sound, every parameter it changes one complete edit the host
    // records, all in one group edit that the host undoes as one step.
    auto soundValues = [&] {
        std::vector<float> values;
        for (talvane::ParamId id = 0; id < static_cast<talvane::ParamId>(talvane::kNumParams); ++id)
            values.push_back(static_cast<float>(controller()->getParamNormalized(id)));
        return values;
    };
    const std::vector<float> before = soundValues();
    clickAt(centre(talvane::kNextSoundRect));
    loop->run(kRedraw);
    EXPECT_FLOAT_EQ(static_cast<float>(controller()->getParamNormalized(talvane::kGlobalVolume)), 0.85f);
    const std::vector<Vst::ParamValue> volume = handler.performed(talvane::kGlobalVolume);
    ASSERT_EQ(volume.size(), 1u);
    EXPECT_FLOAT_EQ(static_cast<float>(volume[0]), 0.85f);
    const std::vector<float> after = soundValues();
    HostEdits load;
    for (std::size_t id = 0; id < after.size(); ++id)
        if (after[id] != before[id])
            for (const HostEdit& edit : editTriple(static_cast<Vst::ParamID>(id), after[id]))
                load.push_back(edit);
    EXPECT_TRUE(sameEdits(handler.edits, load));
    using Group = RecordingComponentHandler::Group;
    EXPECT_EQ(handler.groups, (std::vector<Group>{{0, handler.edits.size()}}));
    const WindowPicture named = onScreen();

    // Save opens the name entry with the keyboard: a typed key shows in it, Backspace takes it
    // out again, Escape closes the entry without saving.
    clickAt(centre(talvane::kSaveSoundRect));
    loop->run(kRedraw);
    EXPECT_EQ(GetFocus(), editorWindow());
    const WindowPicture empty = onScreen();
    EXPECT_GT(mismatches(empty, named, nameArea), 0) << "the entry over the name";
    key('X');
    loop->run(kRedraw);
    EXPECT_GT(mismatches(onScreen(), empty, nameArea), 0) << "a typed character";
    key(VK_BACK);
    loop->run(kRedraw);
    EXPECT_EQ(mismatches(onScreen(), empty, nameArea), 0);
    key(VK_ESCAPE);
    loop->run(kRedraw);
    EXPECT_EQ(mismatches(onScreen(), named, nameArea), 0) << "the name again";
    EXPECT_TRUE(sameEdits(handler.edits, load)) << "nothing more reached the host";
}

TEST_F(EditorInAWindow, ThePageSwitcherShowsEachPageAndSendsNothing)
{
    const int switcherMiddle = talvane::kPageSwitcherY + 11;
    ReferenceEditor reference;
    for (int page : {talvane::kEnvelopePage, talvane::kMatrixPage, talvane::kLfoPage})
    {
        clickAt(POINT{talvane::kPageZoneStarts[page] + 10, switcherMiddle});
        loop->run(kRedraw);
        reference.showPage(page);
        EXPECT_EQ(mismatches(onScreen(), reference.picture()), 0) << "page " << page;
    }
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);
}

// ---- closing ------------------------------------------------------------------------------------

TEST_F(EditorInAWindow, SurvivesTheHostDestroyingItsWindowFirst)
{
    host.destroyWindow();
    loop->run(kRedraw);
    EXPECT_TRUE(loop->pluginWindows().empty()) << "the editor's window outlived its parent";
    // The host tells the view afterwards, as hosts that close the window first do.
    EXPECT_EQ(host.removeEditor(), kResultOk);
    EXPECT_EQ(host.releaseEditor(), 0u);
    expectNothingOfThePluginRunning();
    EXPECT_TRUE(handler.edits.empty());

    // A new window of the host gets a whole new editor.
    std::string error;
    ASSERT_TRUE(host.createWindow(kFirstWindowAt.x, kFirstWindowAt.y, talvane::kEditorWidth,
                                  talvane::kEditorHeight, error))
        << error;
    ASSERT_TRUE(host.openEditor(controller(), error)) << error;
    loop->run(kRedraw);
    ReferenceEditor reference;
    EXPECT_EQ(mismatches(onScreen(), reference.picture()), 0);
}

TEST_F(ListPopupInAWindow, SurvivesTheHostDestroyingItsWindowWithThePopupOpen)
{
    ASSERT_NE(openPopup(), nullptr);
    host.destroyWindow();
    loop->run(kRedraw);
    EXPECT_TRUE(loop->pluginWindows().empty());
    EXPECT_EQ(host.removeEditor(), kResultOk);
    EXPECT_EQ(host.releaseEditor(), 0u);
    expectNothingOfThePluginRunning();
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);
}

TEST_F(ListPopupInAWindow, ThePopupClosesWhenTheHostDestroysTheEditorsParentAlone)
{
    // A host that frames the editor: the view sits in a window of the host's inside its top-level
    // window, and the host destroys that one, keeping the top-level window.
    ASSERT_EQ(host.removeEditor(), kResultOk);
    ASSERT_EQ(host.releaseEditor(), 0u);
    HWND container = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                     talvane::kEditorWidth, talvane::kEditorHeight, host.window(), nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(container, nullptr);
    std::string error;
    ASSERT_TRUE(host.openEditor(controller(), error, container)) << error;
    loop->run(kRedraw);
    POINT list = centreOf(kList);
    ClientToScreen(container, &list);
    moveTo(list);
    press();
    release();
    ASSERT_EQ(pluginPopups().size(), 1u);

    DestroyWindow(container);
    loop->run(kRedraw);
    EXPECT_TRUE(pluginPopups().empty()) << "the pop-up outlived the editor's window";
    EXPECT_TRUE(loop->pluginWindows().empty());
    EXPECT_EQ(host.removeEditor(), kResultOk);
    EXPECT_EQ(host.releaseEditor(), 0u);
    expectNothingOfThePluginRunning();
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);
}

TEST_F(ListPopupInAWindow, RemovedWhileThePopupIsOpen)
{
    HWND popup = openPopup();
    ASSERT_NE(popup, nullptr);
    POINT wherePopupWas{5, 5};
    ClientToScreen(popup, &wherePopupWas);
    EXPECT_EQ(host.removeEditor(), kResultOk);
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_TRUE(loop->pluginWindows().empty());
    EXPECT_EQ(host.releaseEditor(), 0u);
    // A click where the pop-up was reaches nothing of the plug-in.
    moveTo(wherePopupWas);
    press();
    release();
    expectNothingOfThePluginRunning();
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);
}

TEST_F(EditorInAWindow, RemovedDuringADrag)
{
    hostSets(talvane::kFCutoff, 0.5);
    loop->run(kRedraw);
    dragUp(talvane::kFCutoff, 2, 4);
    POINT further{centreOf(talvane::kFCutoff).x, centreOf(talvane::kFCutoff).y - 40};
    ClientToScreen(editorWindow(), &further);
    EXPECT_EQ(host.removeEditor(), kResultOk);
    // The drag's gesture ends with the view.
    EXPECT_TRUE(sameEdits(handler.edits, expectedDragEdits(talvane::kFCutoff, {0.51, 0.52})));
    EXPECT_EQ(host.releaseEditor(), 0u);
    // The drag goes on with nothing to receive it.
    moveTo(further);
    release();
    EXPECT_TRUE(sameEdits(handler.edits, expectedDragEdits(talvane::kFCutoff, {0.51, 0.52})));
    expectNothingOfThePluginRunning();
}

TEST_F(EditorInAWindow, TwoViewsAtOnceEachWithItsWindowAndTimer)
{
    second = std::make_unique<EditorWindow>();
    std::string error;
    ASSERT_TRUE(second->createWindow(kSecondWindowAt.x, kSecondWindowAt.y, talvane::kEditorWidth,
                                     talvane::kEditorHeight, error))
        << error;
    ASSERT_TRUE(second->openEditor(controller(), error)) << error;
    HWND firstChild = editorWindow();
    HWND secondChild = editorWindowIn(*second);
    ASSERT_NE(secondChild, nullptr);
    EXPECT_NE(firstChild, secondChild);

    loop->resetActivity();
    loop->run(milliseconds(500));
    std::vector<UINT_PTR> timers = loop->activity().timerIds;
    std::sort(timers.begin(), timers.end());
    EXPECT_EQ(std::unique(timers.begin(), timers.end()) - timers.begin(), 2) << "one idle timer per view";

    // A host change shows in both; an edit in one shows in the other.
    ReferenceEditor reference;
    hostSets(talvane::kFCutoff, 0.9);
    reference.setValue(talvane::kFCutoff, 0.9);
    pointAt(centreOf(talvane::kGlobalVolume), second.get());
    wheel(1);
    loop->run(kPastTheWheelPause);
    const double volume = controller()->getParamNormalized(talvane::kGlobalVolume);
    EXPECT_TRUE(sameEdits(handler.edits, editTriple(talvane::kGlobalVolume, volume)));
    reference.setValue(talvane::kGlobalVolume, volume);
    const WindowPicture expected = reference.picture();
    EXPECT_EQ(mismatches(pictureOf(firstChild, PictureSource::Screen), expected), 0);
    // The wheel leaves the value text in the caption of the knob under the pointer; the rest is
    // the same.
    const RECT caption{639, 120, 689, 129};
    WindowPicture secondPicture = pictureOf(secondChild, PictureSource::Screen);
    EXPECT_EQ(mismatches(secondPicture, expected, RECT{0, 0, talvane::kEditorWidth, caption.top}), 0);
    EXPECT_EQ(mismatches(secondPicture, expected, RECT{0, caption.bottom, talvane::kEditorWidth, talvane::kEditorHeight}),
              0);

    // The first closes; the second goes on alone.
    EXPECT_EQ(host.removeEditor(), kResultOk);
    EXPECT_EQ(host.releaseEditor(), 0u);
    EXPECT_EQ(loop->pluginWindows(), std::vector<HWND>{secondChild});
    loop->resetActivity();
    loop->run(milliseconds(300));
    timers = loop->activity().timerIds;
    EXPECT_FALSE(timers.empty());
    EXPECT_TRUE(std::all_of(timers.begin(), timers.end(), [&](UINT_PTR id) { return id == timers.front(); }));
    handler.edits.clear();
    const double switchedOn = controller()->getParamNormalized(talvane::kO1On) < 0.5 ? 1.0 : 0.0;
    clickAt(centreOf(talvane::kO1On), second.get());
    EXPECT_TRUE(sameEdits(handler.edits, editTriple(talvane::kO1On, switchedOn)));

    EXPECT_EQ(second->removeEditor(), kResultOk);
    EXPECT_EQ(second->releaseEditor(), 0u);
    expectNothingOfThePluginRunning();
}

TEST_F(EditorInAWindow, OpensAgainAfterClosing)
{
    ReferenceEditor reference;
    clickAt(POINT{talvane::kPageZoneStarts[talvane::kMatrixPage] + 10, talvane::kPageSwitcherY + 11});
    EXPECT_EQ(host.removeEditor(), kResultOk);
    EXPECT_EQ(host.releaseEditor(), 0u);
    expectNothingOfThePluginRunning();

    for (int round = 0; round < 2; ++round)
    {
        std::string error;
        ASSERT_TRUE(host.openEditor(controller(), error)) << error;
        loop->run(kRedraw);
        // On the LFO page again, drawn in full.
        reference.setValue(talvane::kGlobalVolume, controller()->getParamNormalized(talvane::kGlobalVolume));
        EXPECT_EQ(mismatches(onScreen(), reference.picture()), 0) << "round " << round;
        handler.edits.clear();
        hostSets(talvane::kGlobalVolume, 0.5);
        pointAt(centreOf(talvane::kGlobalVolume));
        wheel(1);
        pointAt(POINT{300, 30});
        EXPECT_TRUE(sameEdits(handler.edits, editTriple(talvane::kGlobalVolume, 0.501)));
        EXPECT_EQ(host.removeEditor(), kResultOk);
        EXPECT_EQ(host.releaseEditor(), 0u);
        expectNothingOfThePluginRunning();
    }
}

// ---- a VST 2 host ------------------------------------------------------------------------------

// The same module loaded by a VST 2 host, which opens the editor in its window (effEditOpen) and
// hears of the gestures through its callback: audioMasterBeginEdit, audioMasterAutomate for each
// value, audioMasterEndEdit.
class Vst2EditorInAWindow : public EditorInAWindow
{
protected:
    void SetUp() override
    {
        openHostWindow();
        if (HasFatalFailure() || IsSkipped())
            return;
        ASSERT_TRUE(vst2.load(modulePath())) << vst2.error();
        vst2.start(44100.0f, 512);
        ASSERT_EQ(vst2.dispatch(effEditOpen, 0, 0, host.window()), 1);
        loop->run(kRedraw);
        vst2.calls.clear();
    }
    void TearDown() override
    {
        if (vst2.effect())
            vst2.dispatch(effEditClose);
        vst2.unload();
        EditorInAWindow::TearDown();
    }

    // The host's automation calls so far.
    HostEdits automation() const { return automationIn(vst2.calls); }

    talvane::host::Vst2Host vst2;
};

TEST_F(Vst2EditorInAWindow, AKnobDragIsOneBeginAndEndAroundItsValues)
{
    vst2.effect()->setParameter(vst2.effect(), talvane::kFCutoff, 0.5f);
    loop->run(kRedraw);
    dragUp(talvane::kFCutoff, 5, 4);
    release();
    EXPECT_TRUE(
        sameEdits(automation(), expectedDragEdits(talvane::kFCutoff, {0.51, 0.52, 0.53, 0.54, 0.55})));
}

TEST_F(Vst2EditorInAWindow, ThePitchBendWheelSpringsBackBeforeTheEnd)
{
    dragUp(talvane::kPitchBend, 1, 20);
    release();
    EXPECT_TRUE(sameEdits(automation(), oneGesture(talvane::kPitchBend, {0.55, 0.5})));
}

TEST_F(Vst2EditorInAWindow, ADragEndsWhenTheHostClosesTheEditorMidway)
{
    vst2.effect()->setParameter(vst2.effect(), talvane::kFCutoff, 0.5f);
    loop->run(kRedraw);
    dragUp(talvane::kFCutoff, 2, 4);
    vst2.dispatch(effEditClose);
    EXPECT_TRUE(sameEdits(automation(), expectedDragEdits(talvane::kFCutoff, {0.51, 0.52})));
    ASSERT_TRUE(releaseLeftButton());
    loop->run(kSettle);
    EXPECT_TRUE(sameEdits(automation(), expectedDragEdits(talvane::kFCutoff, {0.51, 0.52})));
}

TEST_F(Vst2EditorInAWindow, WheelStepsAndAToggleAreGesturesToo)
{
    vst2.effect()->setParameter(vst2.effect(), talvane::kGlobalVolume, 0.8f);
    loop->run(kRedraw);
    pointAt(centreOf(talvane::kGlobalVolume));
    wheel(2);
    loop->run(kPastTheWheelPause);
    EXPECT_TRUE(sameEdits(automation(), oneGesture(talvane::kGlobalVolume, {0.801, 0.802})));

    vst2.calls.clear();
    const double switchedOn = vst2.effect()->getParameter(vst2.effect(), talvane::kO1On) < 0.5f ? 1.0 : 0.0;
    clickAt(centreOf(talvane::kO1On));
    EXPECT_TRUE(sameEdits(automation(), editTriple(talvane::kO1On, switchedOn)));
}

} // namespace
