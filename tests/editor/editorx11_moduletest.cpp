// The built module's editor in a window of a private X server, as a Linux host shows it, driven by
// the server's mouse through XTEST: what the host's component handler receives for each way a
// musician edits, and for each way a drag can end.
#include "support/hostedits.h"
#include "support/moduletest.h"

#include "tests/editor/x11editorscreen.h"

#include "source/editor/editgestures.h"
#include "source/params/paramids.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <X11/keysym.h>


using namespace Steinberg;
using namespace talvane::testing;
using std::chrono::milliseconds;

namespace {

// Long enough for the wheel's gesture to end by itself, with room for the idle timer's period.
constexpr milliseconds kPastTheWheelPause = talvane::EditGestures::kWheelPause * 2 + milliseconds(100);
// The sound menu's pop-up at 100 %: rows of this many pixels.
constexpr int kSoundMenuRowHeight = 18;
// The ID of the program-change parameter, outside the sound's parameters.
constexpr Vst::ParamID kProgramChange = 1000;

using SoundValues = std::vector<float>;

// What the host receives when the editor loads `sound` over `before`: one complete edit for each
// parameter the sound changes, in the order of the IDs, and nothing for the others.
HostEdits loadEdits(const SoundValues& before, const SoundValues& sound)
{
    HostEdits edits;
    for (std::size_t id = 0; id < sound.size(); ++id)
        if (sound[id] != before[id])
            for (const HostEdit& edit : editTriple(static_cast<Vst::ParamID>(id), sound[id]))
                edits.push_back(edit);
    return edits;
}

class EditorGesturesOnX11 : public ModuleTest
{
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        if (HasFatalFailure())
            return;
        if (!screen.unavailable().empty())
            GTEST_SKIP() << screen.unavailable();
        screen.setPump([this](milliseconds span) { host.runFor(span); });
        controller()->setComponentHandler(&handler);
        view = controller()->createView("editor");
        ASSERT_NE(view, nullptr);
        view->setFrame(&host);
        ASSERT_EQ(view->attached(reinterpret_cast<void*>(screen.window()), kPlatformTypeX11EmbedWindowID),
                  kResultTrue);
        host.runFor(milliseconds(200));
    }
    void TearDown() override
    {
        closeView();
        if (controller())
            controller()->setComponentHandler(nullptr);
    }

    Vst::IEditController* controller() { return plugin.controller(); }
    // The sound's parameters as the controller holds them (in single precision, as sounds are kept).
    SoundValues controllerValues()
    {
        SoundValues values;
        for (talvane::ParamId id = 0; id < static_cast<talvane::ParamId>(talvane::kNumParams); ++id)
            values.push_back(static_cast<float>(controller()->getParamNormalized(id)));
        return values;
    }
    // A factory program's values as a host selecting it through the program-change parameter
    // finds them in a controller of its own.
    SoundValues programValues(int32 program)
    {
        talvane::host::PluginInstance other;
        if (!other.create(loadedModule().factory()))
        {
            ADD_FAILURE() << other.error();
            return {};
        }
        // The middle of the program's stretch of the parameter's range.
        other.controller()->setParamNormalized(kProgramChange, (program + 0.5) / programCount());
        SoundValues values;
        for (talvane::ParamId id = 0; id < static_cast<talvane::ParamId>(talvane::kNumParams); ++id)
            values.push_back(static_cast<float>(other.controller()->getParamNormalized(id)));
        return values;
    }
    // The factory program whose values the controller holds now, or -1.
    int32 loadedProgram()
    {
        const SoundValues now = controllerValues();
        for (int32 program = 0; program < programCount(); ++program)
            if (programValues(program) == now)
                return program;
        return -1;
    }
    int32 programCount()
    {
        Vst::IUnitInfo* units = nullptr;
        controller()->queryInterface(Vst::IUnitInfo::iid, reinterpret_cast<void**>(&units));
        Vst::ProgramListInfo list{};
        const bool listed = units && units->getProgramListInfo(0, list) == kResultTrue;
        if (units)
            units->release();
        return listed ? list.programCount : 0;
    }
    void hostSets(talvane::ParamId id, double value) { controller()->setParamNormalized(id, value); }
    void closeView()
    {
        if (!view)
            return;
        view->removed();
        view->setFrame(nullptr);
        view->release();
        view = nullptr;
    }

    X11EditorScreen screen;
    FakeHost host;
    RecordingComponentHandler handler;
    IPlugView* view = nullptr;
};

TEST_F(EditorGesturesOnX11, AKnobDragIsOneGestureFromPressToRelease)
{
    hostSets(talvane::kFCutoff, 0.5);
    // Linear drags: 400 pixels span the whole range, so each step of 4 pixels up adds 0.01.
    screen.dragUp(talvane::kFCutoff, 10, 4);
    screen.release();
    std::vector<Vst::ParamValue> steps;
    for (int step = 1; step <= 10; ++step)
        steps.push_back(0.5 + 0.01 * step);
    EXPECT_TRUE(sameEdits(handler.edits, oneGesture(talvane::kFCutoff, steps)));
    EXPECT_NEAR(controller()->getParamNormalized(talvane::kFCutoff), 0.6, 1e-6);

    // A press that moves nothing still takes hold of the knob for as long as the button is down.
    handler.edits.clear();
    screen.pointAt(talvane::kFCutoff);
    screen.press();
    EXPECT_TRUE(sameEdits(handler.edits, HostEdits{{HostEdit::Begin, talvane::kFCutoff}}));
    screen.release();
    EXPECT_TRUE(sameEdits(handler.edits, oneGesture(talvane::kFCutoff, {})));
}

TEST_F(EditorGesturesOnX11, ADragReleasedOutsideTheWindowEndsAtTheRelease)
{
    hostSets(talvane::kFCutoff, 0.5);
    const talvane::PixelRect knob = X11EditorScreen::rectOf(talvane::kFCutoff);
    const int x = (knob.left + knob.right) / 2;
    const int y = (knob.top + knob.bottom) / 2;
    screen.pointAt(x, y);
    screen.press();
    // Moves to the right count as well: 20 pixels add 0.05; beyond the window's right edge the knob
    // reaches the end of its range.
    screen.pointAt(x + 20, y);
    screen.pointAt(talvane::kEditorWidth + 40, y);
    EXPECT_TRUE(sameEdits(handler.edits, HostEdits{{HostEdit::Begin, talvane::kFCutoff},
                                                   {HostEdit::Perform, talvane::kFCutoff, 0.55},
                                                   {HostEdit::Perform, talvane::kFCutoff, 1.0}}));
    screen.release();
    EXPECT_TRUE(sameEdits(handler.edits, oneGesture(talvane::kFCutoff, {0.55, 1.0})));

    // The drag is over: moving back over the knob changes nothing.
    handler.edits.clear();
    screen.pointAt(x, y);
    screen.pointAt(x, y - 20);
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);
}

TEST_F(EditorGesturesOnX11, ADragEndsWhenTheHostClosesTheViewMidway)
{
    hostSets(talvane::kFCutoff, 0.5);
    screen.dragUp(talvane::kFCutoff, 2, 4);
    closeView();
    EXPECT_TRUE(sameEdits(handler.edits, oneGesture(talvane::kFCutoff, {0.51, 0.52})));
    // The rest of the drag reaches nothing.
    screen.pointAt(300, 30);
    screen.release();
    EXPECT_TRUE(sameEdits(handler.edits, oneGesture(talvane::kFCutoff, {0.51, 0.52})));
}

TEST_F(EditorGesturesOnX11, ADragEndsWhenTheWindowLosesTheMouse)
{
    hostSets(talvane::kFCutoff, 0.5);
    screen.dragUp(talvane::kFCutoff, 2, 4);
    // Hiding the window takes the mouse from it in the middle of the drag.
    screen.hideWindow();
    EXPECT_TRUE(sameEdits(handler.edits, oneGesture(talvane::kFCutoff, {0.51, 0.52})));
    screen.pointAt(300, 30);
    screen.release();
    EXPECT_TRUE(sameEdits(handler.edits, oneGesture(talvane::kFCutoff, {0.51, 0.52})));
}

TEST_F(EditorGesturesOnX11, ThePitchBendWheelSpringsBackWithinItsGesture)
{
    // 20 pixels up bend by 0.05 each; at the release the wheel returns to its centre.
    screen.dragUp(talvane::kPitchBend, 2, 20);
    screen.release();
    EXPECT_TRUE(sameEdits(handler.edits, oneGesture(talvane::kPitchBend, {0.55, 0.6, 0.5})));
    EXPECT_EQ(controller()->getParamNormalized(talvane::kPitchBend), 0.5);

    // The modulation wheel stays where it was left.
    handler.edits.clear();
    const double modulation = controller()->getParamNormalized(talvane::kModWheel);
    screen.dragUp(talvane::kModWheel, 1, 20);
    screen.release();
    EXPECT_TRUE(sameEdits(handler.edits, oneGesture(talvane::kModWheel, {modulation + 0.05})));
}

TEST_F(EditorGesturesOnX11, WheelStepsInQuickSuccessionAreOneGestureThatEndsAfterAPause)
{
    hostSets(talvane::kGlobalVolume, 0.8);
    screen.pointAt(talvane::kGlobalVolume);
    screen.wheel(1);
    screen.wheel(2);
    EXPECT_TRUE(sameEdits(handler.edits, HostEdits{{HostEdit::Begin, talvane::kGlobalVolume},
                                                   {HostEdit::Perform, talvane::kGlobalVolume, 0.801},
                                                   {HostEdit::Perform, talvane::kGlobalVolume, 0.802},
                                                   {HostEdit::Perform, talvane::kGlobalVolume, 0.803}}));
    host.runFor(kPastTheWheelPause);
    EXPECT_TRUE(sameEdits(handler.edits, oneGesture(talvane::kGlobalVolume, {0.801, 0.802, 0.803})));

    // The pointer leaving the knob ends the wheel's gesture at once.
    handler.edits.clear();
    screen.wheel(-1);
    screen.pointAt(300, 30);
    EXPECT_TRUE(sameEdits(handler.edits, oneGesture(talvane::kGlobalVolume, {0.802})));
}

TEST_F(EditorGesturesOnX11, AToggleClickAndAListChoiceAreOneCompleteEditEach)
{
    const double switchedOn = controller()->getParamNormalized(talvane::kO1On) < 0.5 ? 1.0 : 0.0;
    screen.pointAt(talvane::kO1On);
    screen.click();
    EXPECT_TRUE(sameEdits(handler.edits, editTriple(talvane::kO1On, switchedOn)));

    // Opening the list sends nothing; choosing the fourth of its five entries sends 3/4.
    handler.edits.clear();
    screen.pointAt(talvane::kFType);
    screen.click();
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);
    ASSERT_TRUE(screen.pointAtPopupEntry(3, 5)) << "the list's pop-up did not open";
    screen.click();
    EXPECT_EQ(screen.popup(), 0u) << "the pop-up stayed open";
    EXPECT_TRUE(sameEdits(handler.edits, editTriple(talvane::kFType, 0.75)));
}

// A sound chosen in the sound bar reaches the host as one complete edit for each parameter it
// changes, all within one group edit, so that the host records the whole load and undoes it in one
// step. The program-change parameter follows without an edit.
TEST_F(EditorGesturesOnX11, ASoundChosenIsOneCompleteEditPerChangedParameterInOneGroup)
{
    ASSERT_GE(programCount(), 3);
    // The next sound after Init is the first factory program.
    SoundValues before = controllerValues();
    screen.pointAt(talvane::kNextSoundRect);
    screen.click();
    const SoundValues firstProgram = programValues(1);
    EXPECT_EQ(controllerValues(), firstProgram);
    const HostEdits nextEdits = loadEdits(before, firstProgram);
    ASSERT_GE(nextEdits.size(), 3u * 10) << "Init and the first program differ in many parameters";
    EXPECT_TRUE(sameEdits(handler.edits, nextEdits));
    using Group = RecordingComponentHandler::Group;
    EXPECT_EQ(handler.groups, (std::vector<Group>{{0, handler.edits.size()}}));
    EXPECT_EQ(handler.openGroups, 0);
    EXPECT_GT(controller()->getParamNormalized(kProgramChange), 0.0);
    EXPECT_FALSE(handler.restarts.empty()) << "the host hears of the program-change parameter's move";

    // From the menu: opening it sends nothing, and the second sound of its first category loads as
    // the next one did (its first column: Init, the category's title, its sounds).
    handler.edits.clear();
    handler.groups.clear();
    before = controllerValues();
    screen.pointAt(talvane::kSoundNameRect);
    screen.click();
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);
    ASSERT_TRUE(screen.pointAtPopupRow(3, kSoundMenuRowHeight)) << "the sound menu did not open";
    screen.click();
    EXPECT_EQ(screen.popup(), 0u) << "the menu stayed open";
    const int32 chosen = loadedProgram();
    ASSERT_GT(chosen, 1) << "no other factory program was loaded";
    const HostEdits menuEdits = loadEdits(before, programValues(chosen));
    EXPECT_FALSE(menuEdits.empty());
    EXPECT_TRUE(sameEdits(handler.edits, menuEdits));
    EXPECT_EQ(handler.groups, (std::vector<Group>{{0, handler.edits.size()}}));
}

// The sound bar's own controls are no parameters: its buttons, its menu and its name entry begin
// no gesture and leave none open, and taking hold of one still ends the wheel's gesture at once.
TEST_F(EditorGesturesOnX11, TheSoundBarsControlsMakeNoGesturesOfTheirOwn)
{
    // A press on the next button let go elsewhere chooses nothing.
    screen.pointAt(talvane::kNextSoundRect);
    screen.press();
    screen.pointAt(300, 30);
    screen.release();
    // The menu opened and dismissed by a click beside it.
    screen.pointAt(talvane::kSoundNameRect);
    screen.click();
    ASSERT_NE(screen.popup(), 0u) << "the sound menu did not open";
    screen.pointAt(300, 30);
    screen.click();
    EXPECT_EQ(screen.popup(), 0u);
    // Save, a name typed, then Escape; Save again, then a click elsewhere.
    screen.pointAt(talvane::kSaveSoundRect);
    screen.click();
    screen.type("Bell");
    screen.key(XK_Escape);
    screen.pointAt(talvane::kSaveSoundRect);
    screen.click();
    screen.pointAt(300, 30);
    screen.click();
    host.runFor(kPastTheWheelPause);
    EXPECT_TRUE(handler.edits.empty()) << ::testing::PrintToString(handler.edits);
    EXPECT_TRUE(handler.groups.empty());

    // A wheel step, then the next sound at once: the wheel's gesture ends before the load begins.
    hostSets(talvane::kGlobalVolume, 0.8);
    const SoundValues before = controllerValues();
    screen.pointAt(talvane::kGlobalVolume);
    screen.wheel(1);
    SoundValues afterStep = before;
    afterStep[talvane::kGlobalVolume] = static_cast<float>(controller()->getParamNormalized(talvane::kGlobalVolume));
    screen.pointAt(talvane::kNextSoundRect);
    screen.click();
    HostEdits expected = oneGesture(talvane::kGlobalVolume, {0.801});
    for (const HostEdit& edit : loadEdits(afterStep, programValues(1)))
        expected.push_back(edit);
    EXPECT_TRUE(sameEdits(handler.edits, expected));
    host.runFor(kPastTheWheelPause);
    EXPECT_TRUE(sameEdits(handler.edits, expected)) << "nothing more ends after the pause";
}

} // namespace
