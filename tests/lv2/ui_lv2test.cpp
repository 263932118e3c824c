// The editor as an LV2 X11 UI, instantiated through Debian's suil as jalv or Ardour do, in a
// window of a private Xvfb: it draws the editor in the host's window, follows the port values the
// host sends, sends the musician's edits (clicks, drags and wheel steps through XTEST) as port
// writes inside touch notifications, one touch per gesture, and takes the sizes the host gives it.
#include "lv2/lv2test.h"
#include "gui/x11testhost.h"

#include "source/editor/editgestures.h"
#include "source/params/paramids.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <suil/suil.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace talvane::testing;
using std::chrono::milliseconds;

namespace {

constexpr int kEditorWidth = 1066;
constexpr int kEditorHeight = 544;

struct Rect
{
    int left, top, right, bottom;
};
// Controls at their places in the editor (editor pixels at 100 %).
constexpr Rect kCutoffKnob{314, 458, 364, 508};
constexpr Rect kFilterTypeList{281, 494, 309, 510};
constexpr int kOsc2OnX = 65, kOsc2OnY = 269;
constexpr int kVolumeKnobX = 664, kVolumeKnobY = 95;
constexpr int kCutoffKnobX = (kCutoffKnob.left + kCutoffKnob.right) / 2;
constexpr int kCutoffKnobY = (kCutoffKnob.top + kCutoffKnob.bottom) / 2;
constexpr int kPitchBendWheelX = 852, kPitchBendWheelY = 93;
// The sound bar's button for the next sound.
constexpr int kNextSoundX = 629, kNextSoundY = 21;
// The box that shows the loaded sound's name.
constexpr Rect kSoundNameBox{648, 8, 984, 34};

// Long enough for a gesture of the mouse wheel to end by itself, with room for the idle calls.
constexpr milliseconds kPastTheWheelPause = talvane::EditGestures::kWheelPause * 2 + milliseconds(100);
// Time for the UI to take one mouse event in the host's idle calls.
constexpr milliseconds kOneMouseStep{40};

struct HostCall
{
    std::string what; // "write", "grab", "release", "resize"
    uint32_t port = 0;
    float value = 0.0f;
    int width = 0, height = 0;
};

class Lv2EditorUi : public ::testing::Test
{
protected:
    void SetUp() override
    {
        xvfb = std::make_unique<Xvfb>();
        if (!xvfb->display)
            GTEST_SKIP() << "no X server for the editor: " << xvfb->failure;
        display = std::make_unique<ScopedDisplay>(xvfb->name);
        Display* x = xvfb->display;
        parent = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 1200, 700, 0, 0, 0);
        XMapWindow(x, parent);
        XSync(x, False);

        const LilvPlugin* plugin = lv2World().plugin(kLv2PluginUri);
        ASSERT_NE(plugin, nullptr);
        LilvUIs* uis = lilv_plugin_get_uis(plugin);
        ASSERT_EQ(lilv_uis_size(uis), 1u);
        const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
        char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
        char* bundle = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_bundle_uri(ui)), nullptr);
        const std::string binaryPath = binary;
        const std::string bundlePath = bundle;
        lilv_free(binary);
        lilv_free(bundle);
        lilv_uis_free(uis);

        uiBinary = binaryPath;
        uiBundle = bundlePath;
        host = suil_host_new(write, portIndex, nullptr, nullptr);
        suil_host_set_touch_func(host, touch);
        instantiate(0.0f);
    }

    // The UI as a host makes it, with the host's content scale when `scale` is not 0.
    void instantiate(float scale)
    {
        if (instance)
            suil_instance_free(instance);
        calls.clear();
        resizeFeatureData = {this, resize};
        parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(parent)};
        resizeFeature = {LV2_UI__resize, &resizeFeatureData};
        idleFeature = {LV2_UI__idleInterface, nullptr};
        scaleFactor = scale;
        options[0] = {LV2_OPTIONS_INSTANCE, 0, lv2Urids().map(LV2_UI__scaleFactor), sizeof(float),
                      lv2Urids().map(LV2_ATOM__Float), &scaleFactor};
        options[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
        optionsFeature = {LV2_OPTIONS__options, options};
        std::vector<const LV2_Feature*> features = {&parentFeature, &resizeFeature, &idleFeature,
                                                    lv2Urids().mapFeature()};
        if (scale != 0.0f)
            features.push_back(&optionsFeature);
        features.push_back(nullptr);
        instance = suil_instance_new(host, this, LV2_UI__X11UI, kLv2PluginUri, kLv2UiUri, LV2_UI__X11UI,
                                     uiBundle.c_str(), uiBinary.c_str(), features.data());
        ASSERT_NE(instance, nullptr) << "suil could not instantiate the editor";
        idleInterface =
            static_cast<const LV2UI_Idle_Interface*>(suil_instance_extension_data(instance, LV2_UI__idleInterface));
        ASSERT_NE(idleInterface, nullptr);
        widget = reinterpret_cast<Window>(suil_instance_get_widget(instance));
        idleFor(std::chrono::milliseconds(300));
    }

    void TearDown() override
    {
        if (instance)
            suil_instance_free(instance);
        if (host)
            suil_host_free(host);
        if (parent)
            XDestroyWindow(xvfb->display, parent);
    }

    static void write(SuilController controller, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer)
    {
        if (protocol != 0 || size != sizeof(float))
            return;
        HostCall call{"write", port};
        std::memcpy(&call.value, buffer, sizeof(float));
        static_cast<Lv2EditorUi*>(controller)->calls.push_back(call);
    }
    static uint32_t portIndex(SuilController /*controller*/, const char* /*symbol*/) { return LV2UI_INVALID_PORT_INDEX; }
    static void touch(SuilController controller, uint32_t port, bool grabbed)
    {
        static_cast<Lv2EditorUi*>(controller)->calls.push_back({grabbed ? "grab" : "release", port});
    }
    static int resize(LV2UI_Feature_Handle handle, int width, int height)
    {
        static_cast<Lv2EditorUi*>(handle)->calls.push_back({"resize", 0, 0.0f, width, height});
        return 0;
    }

    // The host's idle calls, about every 10 ms, for a while.
    void idleFor(std::chrono::milliseconds span)
    {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end)
        {
            ASSERT_EQ(idleInterface->idle(suil_instance_get_handle(instance)), 0);
            XSync(xvfb->display, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // Idle calls until `done` holds or `patience` has passed: a loaded machine may deliver the last
    // pointer motion later than one mouse step.
    template <typename Condition>
    void idleUntil(Condition done, std::chrono::milliseconds patience = std::chrono::milliseconds(2000))
    {
        const auto end = std::chrono::steady_clock::now() + patience;
        while (!done() && std::chrono::steady_clock::now() < end)
            idleFor(std::chrono::milliseconds(10));
    }
    // After an input that makes the UI call the host: idle until the call has come, so that the next
    // input is not folded into this one (the frame merges pointer motions that queue up).
    void idleUntilACallAfter(std::size_t callsBefore)
    {
        idleFor(kOneMouseStep);
        idleUntil([this, callsBefore] { return calls.size() > callsBefore; });
    }

    void portEvent(uint32_t port, float value)
    {
        suil_instance_port_event(instance, port, sizeof value, 0, &value);
    }

    std::vector<unsigned long> pixels(const Rect& r)
    {
        std::vector<unsigned long> result;
        XImage* image = XGetImage(xvfb->display, widget, r.left, r.top, static_cast<unsigned>(r.right - r.left),
                                  static_cast<unsigned>(r.bottom - r.top), AllPlanes, ZPixmap);
        if (!image)
            return result;
        for (int y = 0; y < r.bottom - r.top; ++y)
            for (int x = 0; x < r.right - r.left; ++x)
                result.push_back(XGetPixel(image, x, y));
        XDestroyImage(image);
        return result;
    }

    // The calls the host has had but its resizes, as "grab 7", "write 7", "release 7".
    std::vector<std::string> touchSequence() const
    {
        std::vector<std::string> sequence;
        for (const HostCall& c : calls)
            if (c.what != "resize")
                sequence.push_back(c.what + " " + std::to_string(c.port));
        return sequence;
    }

    // The button pressed on the editor's point (x, y), then `steps` moves of `pixelsUp` each.
    void dragUp(int x, int y, int steps, int pixelsUp)
    {
        const auto [rootX, rootY] = rootPosition(xvfb->display, widget, x, y);
        moveTo(xvfb->display, rootX, rootY);
        idleFor(kOneMouseStep);
        std::size_t before = calls.size();
        pressButton(xvfb->display, 1, true);
        idleUntilACallAfter(before);
        for (int step = 1; step <= steps; ++step)
        {
            before = calls.size();
            moveTo(xvfb->display, rootX, rootY - step * pixelsUp);
            idleUntilACallAfter(before);
        }
    }
    void releaseButton()
    {
        pressButton(xvfb->display, 1, false);
        if (instance)
            idleFor(kOneMouseStep);
    }

    std::vector<HostCall> callsNamed(const std::string& what) const
    {
        std::vector<HostCall> found;
        for (const HostCall& c : calls)
            if (c.what == what)
                found.push_back(c);
        return found;
    }

    std::unique_ptr<Xvfb> xvfb;
    std::unique_ptr<ScopedDisplay> display;
    Window parent = 0;
    Window widget = 0;
    SuilHost* host = nullptr;
    SuilInstance* instance = nullptr;
    const LV2UI_Idle_Interface* idleInterface = nullptr;
    std::string uiBinary, uiBundle;
    LV2UI_Resize resizeFeatureData{};
    float scaleFactor = 0.0f;
    LV2_Options_Option options[2]{};
    LV2_Feature parentFeature{}, resizeFeature{}, idleFeature{}, optionsFeature{};
    std::vector<HostCall> calls;
};

} // namespace

TEST_F(Lv2EditorUi, DrawsTheEditorInTheHostsWindow)
{
    ASSERT_NE(widget, 0u) << "the UI gave no widget";
    Window root = 0, parentOfWidget = 0;
    Window* children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(xvfb->display, widget, &root, &parentOfWidget, &children, &count));
    if (children)
        XFree(children);
    EXPECT_EQ(parentOfWidget, parent);
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(xvfb->display, widget, &attributes));
    EXPECT_EQ(attributes.width, kEditorWidth);
    EXPECT_EQ(attributes.height, kEditorHeight);
    EXPECT_EQ(attributes.map_state, IsViewable);

    const std::vector<HostCall> resizes = callsNamed("resize");
    ASSERT_FALSE(resizes.empty()) << "the UI never told the host its size";
    EXPECT_EQ(resizes.back().width, kEditorWidth);
    EXPECT_EQ(resizes.back().height, kEditorHeight);

    // The picture, not an empty window: the artwork has many colours.
    const std::vector<unsigned long> all = pixels({0, 0, kEditorWidth, kEditorHeight});
    ASSERT_EQ(all.size(), static_cast<std::size_t>(kEditorWidth * kEditorHeight));
    std::vector<unsigned long> colours(all.begin(), all.end());
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    EXPECT_GT(colours.size(), 200u);
    EXPECT_TRUE(callsNamed("write").empty()) << "opening the editor changed a parameter";
}

TEST_F(Lv2EditorUi, FollowsThePortValuesTheHostSends)
{
    const std::vector<unsigned long> openKnob = pixels(kCutoffKnob);
    const std::vector<unsigned long> openList = pixels(kFilterTypeList);
    ASSERT_FALSE(openKnob.empty());

    portEvent(7, 0.0f);  // F_Cutoff all the way down
    portEvent(9, 4.0f);  // F_Type: Notch
    idleFor(std::chrono::milliseconds(200));
    EXPECT_NE(pixels(kCutoffKnob), openKnob);
    EXPECT_NE(pixels(kFilterTypeList), openList);

    portEvent(7, 1.0f);
    portEvent(9, 0.0f);
    idleFor(std::chrono::milliseconds(200));
    EXPECT_EQ(pixels(kCutoffKnob), openKnob);
    EXPECT_EQ(pixels(kFilterTypeList), openList);
    // What the host sent is not sent back.
    EXPECT_TRUE(callsNamed("write").empty());
}

TEST_F(Lv2EditorUi, SendsTheMusiciansEditsAsTouchedPortWrites)
{
    const auto [x, y] = rootPosition(xvfb->display, widget, kOsc2OnX, kOsc2OnY);
    clickAt(xvfb->display, x, y);
    idleFor(std::chrono::milliseconds(300));
    std::vector<HostCall> writes = callsNamed("write");
    ASSERT_EQ(writes.size(), 1u) << "a click on the second oscillator's switch";
    EXPECT_EQ(writes[0].port, 26u);
    EXPECT_EQ(writes[0].value, 1.0f);
    // The write lies inside a touch of the same port.
    EXPECT_EQ(touchSequence(), (std::vector<std::string>{"grab 26", "write 26", "release 26"}));

    // One wheel notch up on the volume knob: 0.8 + 0.001.
    calls.clear();
    const auto [vx, vy] = rootPosition(xvfb->display, widget, kVolumeKnobX, kVolumeKnobY);
    moveTo(xvfb->display, vx, vy);
    idleFor(std::chrono::milliseconds(100));
    pressButton(xvfb->display, 4, true);
    pressButton(xvfb->display, 4, false);
    idleFor(std::chrono::milliseconds(300));
    writes = callsNamed("write");
    ASSERT_FALSE(writes.empty()) << "a wheel notch on the volume knob";
    EXPECT_EQ(writes.back().port, 0u);
    EXPECT_FLOAT_EQ(writes.back().value, 0.8f + 0.001f);
}

// Touch automation writes only while the host is told the control is held, and makes one undo
// step of each touch: a drag is one grab at the press, the writes while the button is held, and
// one release when it comes up, however the drag ends.
TEST_F(Lv2EditorUi, AKnobDragIsOneTouchFromPressToRelease)
{
    portEvent(talvane::kFCutoff, 0.5f);
    idleFor(milliseconds(200));
    calls.clear();

    // Knob drags are linear: 400 pixels span the range, so each 4 pixels up add 0.01.
    dragUp(kCutoffKnobX, kCutoffKnobY, 10, 4);
    std::vector<std::string> held{"grab 7"};
    held.insert(held.end(), 10, "write 7");
    EXPECT_EQ(touchSequence(), held) << "while the button is held";
    const std::vector<HostCall> writes = callsNamed("write");
    ASSERT_EQ(writes.size(), 10u);
    for (std::size_t i = 0; i < writes.size(); ++i)
        EXPECT_NEAR(writes[i].value, 0.51f + 0.01f * static_cast<float>(i), 1e-5f) << "step " << i + 1;

    releaseButton();
    idleUntil([this] { return !calls.empty() && calls.back().what == "release"; });
    std::vector<std::string> whole = held;
    whole.push_back("release 7");
    EXPECT_EQ(touchSequence(), whole);
}

TEST_F(Lv2EditorUi, ThePitchBendWheelsSpringBackIsWrittenWithinItsTouch)
{
    // 20 pixels up bend by 0.05 each; at the release the wheel returns to its centre.
    dragUp(kPitchBendWheelX, kPitchBendWheelY, 2, 20);
    EXPECT_EQ(touchSequence(), (std::vector<std::string>{"grab 60", "write 60", "write 60"}));
    releaseButton();
    idleUntil([this] { return !calls.empty() && calls.back().what == "release"; });
    EXPECT_EQ(touchSequence(),
              (std::vector<std::string>{"grab 60", "write 60", "write 60", "write 60", "release 60"}));
    const std::vector<HostCall> writes = callsNamed("write");
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_NEAR(writes[0].value, 0.55f, 1e-5f);
    EXPECT_NEAR(writes[1].value, 0.6f, 1e-5f);
    EXPECT_EQ(writes[2].value, 0.5f) << "the centre";
}

TEST_F(Lv2EditorUi, ADragStillEndsItsTouchWhenTheHostClosesTheUiMidway)
{
    portEvent(talvane::kFCutoff, 0.5f);
    idleFor(milliseconds(200));
    calls.clear();
    dragUp(kCutoffKnobX, kCutoffKnobY, 2, 4);
    // The host closes the UI while the button is still down: the port is released as it goes, or
    // the host would hold off its automation of the port for good.
    suil_instance_free(instance);
    instance = nullptr;
    const std::vector<std::string> closed{"grab 7", "write 7", "write 7", "release 7"};
    EXPECT_EQ(touchSequence(), closed);
    releaseButton();
    EXPECT_EQ(touchSequence(), closed) << "the button's release after the UI has gone";
}

TEST_F(Lv2EditorUi, WheelNotchesAreOneTouchReleasedAfterTheWheelRests)
{
    portEvent(talvane::kGlobalVolume, 0.8f);
    idleFor(milliseconds(200));
    calls.clear();
    const auto [x, y] = rootPosition(xvfb->display, widget, kVolumeKnobX, kVolumeKnobY);
    moveTo(xvfb->display, x, y);
    idleFor(kOneMouseStep);
    for (int notch = 0; notch < 2; ++notch)
    {
        const std::size_t before = calls.size();
        pressButton(xvfb->display, 4, true);
        pressButton(xvfb->display, 4, false);
        idleUntilACallAfter(before);
    }
    EXPECT_EQ(touchSequence(), (std::vector<std::string>{"grab 0", "write 0", "write 0"}))
        << "the wheel has not rested yet";
    // Nothing but the host's idle calls lets the rest be seen.
    idleFor(kPastTheWheelPause);
    EXPECT_EQ(touchSequence(), (std::vector<std::string>{"grab 0", "write 0", "write 0", "release 0"}));
    const std::vector<HostCall> writes = callsNamed("write");
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_FLOAT_EQ(writes[0].value, 0.801f);
    EXPECT_FLOAT_EQ(writes[1].value, 0.802f);
}

TEST_F(Lv2EditorUi, TakesTheSizeTheHostGives)
{
    const auto* resizeInterface =
        static_cast<const LV2UI_Resize*>(suil_instance_extension_data(instance, LV2_UI__resize));
    ASSERT_NE(resizeInterface, nullptr);
    EXPECT_EQ(resizeInterface->ui_resize(suil_instance_get_handle(instance), 1100, 560), 0);
    idleFor(std::chrono::milliseconds(200));
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(xvfb->display, widget, &attributes));
    EXPECT_EQ(attributes.width, 1100);
    EXPECT_EQ(attributes.height, 560);
}

TEST_F(Lv2EditorUi, OpensAtTheHostsScale)
{
    instantiate(2.0f);
    ASSERT_FALSE(HasFatalFailure());
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(xvfb->display, widget, &attributes));
    EXPECT_EQ(attributes.width, 2 * kEditorWidth);
    EXPECT_EQ(attributes.height, 2 * kEditorHeight);
    const std::vector<HostCall> resizes = callsNamed("resize");
    ASSERT_FALSE(resizes.empty());
    EXPECT_EQ(resizes.back().width, 2 * kEditorWidth);
    EXPECT_EQ(resizes.back().height, 2 * kEditorHeight);
}

// A sound chosen from the editor's sound bar reaches the plug-in as port writes, each inside a
// touch of its port, and only through the parameter ports: a plug-in that takes those writes holds
// the sound as its saved file has it.
TEST_F(Lv2EditorUi, ASoundFromTheSoundBarReachesThePluginAsPortWrites)
{
    const auto [x, y] = rootPosition(xvfb->display, widget, kNextSoundX, kNextSoundY);
    clickAt(xvfb->display, x, y);
    idleFor(std::chrono::milliseconds(300));
    const std::vector<HostCall> writes = callsNamed("write");
    ASSERT_FALSE(writes.empty()) << "the next sound sent nothing to the host";

    uint32_t grabbed = LV2UI_INVALID_PORT_INDEX;
    for (const HostCall& c : calls)
    {
        if (c.what == "grab")
            grabbed = c.port;
        else if (c.what == "write")
        {
            EXPECT_LT(c.port, kEventsInPort) << "a write to a port that is no parameter";
            EXPECT_EQ(c.port, grabbed) << "a write outside a touch of its port";
        }
        else if (c.what == "release")
            grabbed = LV2UI_INVALID_PORT_INDEX;
    }

    talvane::host::Lv2Instance plugin(lv2World(), lv2Urids());
    ASSERT_TRUE(plugin.create(kLv2PluginUri, 44100.0, 512)) << plugin.error();
    for (const HostCall& c : writes)
        plugin.setControl(c.port, c.value);
    plugin.run(512);
    const std::vector<std::uint8_t> warmPad = presetBytes("Warm Pad");
    ASSERT_FALSE(warmPad.empty());
    EXPECT_EQ(saveLv2State(plugin).bytes, warmPad) << "the first factory sound, as its file has it";
}

// The port values of a factory sound that the host sends (a project reopened, say) name the sound
// in the sound bar as choosing it there does, not as an edited "Init".
TEST_F(Lv2EditorUi, NamesAFactorySoundTheHostsPortValuesMake)
{
    const std::vector<unsigned long> initName = pixels(kSoundNameBox);
    const auto [x, y] = rootPosition(xvfb->display, widget, kNextSoundX, kNextSoundY);
    clickAt(xvfb->display, x, y);
    idleFor(std::chrono::milliseconds(300));
    const std::vector<HostCall> writes = callsNamed("write");
    ASSERT_FALSE(writes.empty());
    const std::vector<unsigned long> chosenName = pixels(kSoundNameBox);
    ASSERT_NE(chosenName, initName);

    instantiate(0.0f);
    ASSERT_FALSE(HasFatalFailure());
    for (const HostCall& c : writes)
        portEvent(c.port, c.value);
    idleFor(std::chrono::milliseconds(300));
    EXPECT_EQ(pixels(kSoundNameBox), chosenName);

    // One value more makes it an edited sound of that name.
    portEvent(7, 0.0f);
    idleFor(std::chrono::milliseconds(300));
    EXPECT_NE(pixels(kSoundNameBox), chosenName);
    EXPECT_TRUE(callsNamed("write").empty()) << "what the host sent was sent back";
}
