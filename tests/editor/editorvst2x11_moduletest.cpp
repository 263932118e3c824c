// The built module's editor opened by a VST 2 host in a window of a private X server, driven by the
// server's mouse through XTEST and by the host's editor idle calls: the host's automation calls
// bracket each gesture as a VST 3 host's edits do.
#include "support/hostedits.h"
#include "support/moduletest.h"
#include "support/vst2automation.h"

#include "tests/editor/x11editorscreen.h"

#include "source/editor/editgestures.h"
#include "source/params/paramids.h"

using namespace talvane::testing;
using std::chrono::milliseconds;
using talvane::host::Vst2Host;

namespace {

class Vst2EditorGesturesOnX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!screen.unavailable().empty())
            GTEST_SKIP() << screen.unavailable();
        // The module stays loaded for the whole program, as a host keeps it while it runs: the
        // libraries the editor brings along keep their caches until the end, when they are dropped,
        // instead of being unloaded with them at each test's end.
        ASSERT_NE(loadedModule().factory(), nullptr) << loadedModule().error();
        ASSERT_TRUE(vst2.load(modulePath())) << vst2.error();
        vst2.start(44100.0f, 512);
        ASSERT_EQ(vst2.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(screen.window())), 1);
        screen.setPump([this](milliseconds span) { idleFor(span); });
        idleFor(milliseconds(200));
        vst2.calls.clear();
    }
    void TearDown() override
    {
        if (vst2.effect())
            vst2.dispatch(effEditClose);
    }

    // The host's editor idle calls, as a VST 2 host makes them while its loop runs.
    void idleFor(milliseconds span)
    {
        const auto end = Clock::now() + span;
        while (Clock::now() < end)
        {
            vst2.dispatch(effEditIdle);
            std::this_thread::sleep_for(milliseconds(5));
        }
    }

    // The host's automation calls so far.
    HostEdits automation() const { return automationIn(vst2.calls); }

    X11EditorScreen screen;
    Vst2Host vst2;
};

TEST_F(Vst2EditorGesturesOnX11, AKnobDragIsOneBeginAndEndAroundItsValues)
{
    vst2.effect()->setParameter(vst2.effect(), talvane::kFCutoff, 0.5f);
    screen.dragUp(talvane::kFCutoff, 5, 4);
    screen.release();
    EXPECT_TRUE(sameEdits(automation(), oneGesture(talvane::kFCutoff, {0.51, 0.52, 0.53, 0.54, 0.55})));
    EXPECT_NEAR(vst2.effect()->getParameter(vst2.effect(), talvane::kFCutoff), 0.55, 1e-6);
}

TEST_F(Vst2EditorGesturesOnX11, ThePitchBendWheelSpringsBackBeforeTheEnd)
{
    screen.dragUp(talvane::kPitchBend, 1, 20);
    screen.release();
    EXPECT_TRUE(sameEdits(automation(), oneGesture(talvane::kPitchBend, {0.55, 0.5})));
}

TEST_F(Vst2EditorGesturesOnX11, ADragEndsWhenTheHostClosesTheEditorMidway)
{
    vst2.effect()->setParameter(vst2.effect(), talvane::kFCutoff, 0.5f);
    screen.dragUp(talvane::kFCutoff, 2, 4);
    vst2.dispatch(effEditClose);
    EXPECT_TRUE(sameEdits(automation(), oneGesture(talvane::kFCutoff, {0.51, 0.52})));
    screen.release();
    EXPECT_TRUE(sameEdits(automation(), oneGesture(talvane::kFCutoff, {0.51, 0.52})));
}

TEST_F(Vst2EditorGesturesOnX11, WheelStepsAndAToggleAreGesturesToo)
{
    vst2.effect()->setParameter(vst2.effect(), talvane::kGlobalVolume, 0.8f);
    screen.pointAt(talvane::kGlobalVolume);
    screen.wheel(2);
    idleFor(talvane::EditGestures::kWheelPause * 2 + milliseconds(100));
    EXPECT_TRUE(sameEdits(automation(), oneGesture(talvane::kGlobalVolume, {0.801, 0.802})));

    vst2.calls.clear();
    const double switchedOn = vst2.effect()->getParameter(vst2.effect(), talvane::kO1On) < 0.5f ? 1.0 : 0.0;
    screen.pointAt(talvane::kO1On);
    screen.click();
    EXPECT_TRUE(sameEdits(automation(), editTriple(talvane::kO1On, switchedOn)));
}

TEST_F(Vst2EditorGesturesOnX11, ASoundChosenIsOneBeginAndEndAroundEachChangedValue)
{
    AEffect* fx = vst2.effect();
    auto hostValues = [&] {
        std::vector<float> values;
        for (int32_t index = 0; index < talvane::kNumParams; ++index)
            values.push_back(fx->getParameter(fx, index));
        return values;
    };
    const std::vector<float> before = hostValues();
    screen.pointAt(talvane::kNextSoundRect);
    screen.click();
    const std::vector<float> after = hostValues();
    HostEdits expected;
    for (int32_t index = 0; index < talvane::kNumParams; ++index)
        if (after[index] != before[index])
            for (const HostEdit& edit : editTriple(static_cast<Steinberg::Vst::ParamID>(index), after[index]))
                expected.push_back(edit);
    ASSERT_GE(expected.size(), 3u * 10) << "Init and the first program differ in many parameters";
    EXPECT_TRUE(sameEdits(automation(), expected));
    EXPECT_EQ(vst2.dispatch(effGetProgram), 1) << "the host's program follows the sound chosen";
}

} // namespace
