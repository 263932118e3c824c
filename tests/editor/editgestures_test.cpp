// The bookkeeping of edit gestures on its own, with a target that records what it is told and a
// clock the test sets.
#include "source/editor/editgestures.h"

#include "support/hostedits.h"

#include <gtest/gtest.h>

#include <functional>

using talvane::EditGestures;
using talvane::testing::editTriple;
using talvane::testing::HostEdit;
using talvane::testing::HostEdits;
using talvane::testing::oneGesture;
using talvane::testing::sameEdits;
using Hold = talvane::EditGestures::Hold;
using std::chrono::milliseconds;

namespace {

constexpr talvane::ParamId kCutoff = talvane::kFCutoff;
constexpr talvane::ParamId kVolume = talvane::kGlobalVolume;

class RecordingTarget : public talvane::EditGestureTarget
{
public:
    void gestureBegan(talvane::ParamId id) override { edits.push_back({HostEdit::Begin, id}); }
    void gestureChanged(talvane::ParamId id, double value) override
    {
        edits.push_back({HostEdit::Perform, id, value});
    }
    void gestureEnded(talvane::ParamId id) override
    {
        edits.push_back({HostEdit::End, id});
        if (onEnd)
            onEnd(id);
    }

    HostEdits edits;
    std::function<void(talvane::ParamId)> onEnd;
};

class EditGesturesTest : public ::testing::Test
{
protected:
    // A moment `ms` after the test's start.
    static EditGestures::Clock::time_point at(int ms)
    {
        return EditGestures::Clock::time_point() + milliseconds(ms);
    }

    RecordingTarget target;
    EditGestures gestures{target};
};

TEST_F(EditGesturesTest, AHeldControlIsOneGestureFromTakingToLettingGo)
{
    gestures.take(kCutoff, Hold::Button);
    EXPECT_EQ(target.edits, (HostEdits{{HostEdit::Begin, kCutoff}}));
    EXPECT_TRUE(gestures.isOpen(kCutoff));
    gestures.change(kCutoff, 0.25);
    gestures.change(kCutoff, 0.5);
    gestures.release(kCutoff, Hold::Button, at(0));
    EXPECT_EQ(target.edits, oneGesture(kCutoff, {0.25, 0.5}));
    EXPECT_FALSE(gestures.isOpen(kCutoff));

    // Held and let go without a change: a beginning and an end.
    target.edits.clear();
    gestures.take(kCutoff, Hold::Button);
    gestures.release(kCutoff, Hold::Button, at(0));
    EXPECT_EQ(target.edits, oneGesture(kCutoff, {}));
}

TEST_F(EditGesturesTest, AChangeOfAParameterNobodyHoldsIsAGestureOfItsOwn)
{
    gestures.change(kVolume, 0.75);
    EXPECT_EQ(target.edits, editTriple(kVolume, 0.75));
    EXPECT_FALSE(gestures.isOpen(kVolume));

    // While another parameter is held, too.
    target.edits.clear();
    gestures.take(kCutoff, Hold::Button);
    gestures.change(kVolume, 0.5);
    HostEdits expected{{HostEdit::Begin, kCutoff}};
    const HostEdits triple = editTriple(kVolume, 0.5);
    expected.insert(expected.end(), triple.begin(), triple.end());
    EXPECT_EQ(target.edits, expected);
}

TEST_F(EditGesturesTest, NestedHoldsOfOneControlEndWithTheLast)
{
    gestures.take(kCutoff, Hold::Button);
    gestures.take(kCutoff, Hold::Button);
    gestures.release(kCutoff, Hold::Button, at(0));
    EXPECT_TRUE(gestures.isOpen(kCutoff));
    gestures.change(kCutoff, 0.1);
    gestures.release(kCutoff, Hold::Button, at(0));
    EXPECT_EQ(target.edits, oneGesture(kCutoff, {0.1}));
    // A release nobody took is ignored.
    gestures.release(kCutoff, Hold::Button, at(0));
    EXPECT_EQ(target.edits, oneGesture(kCutoff, {0.1}));
}

TEST_F(EditGesturesTest, WheelStepsWithinThePauseAreOneGestureEndedWhenTheWheelRests)
{
    const int pause = static_cast<int>(EditGestures::kWheelPause.count());
    for (int step = 0; step < 3; ++step)
    {
        const int now = step * (pause - 1);
        gestures.take(kVolume, Hold::WheelStep);
        gestures.change(kVolume, 0.1 * (step + 1));
        gestures.release(kVolume, Hold::WheelStep, at(now));
        gestures.idle(at(now + pause - 1));
    }
    EXPECT_TRUE(gestures.isOpen(kVolume));
    const int lastStep = 2 * (pause - 1);
    gestures.idle(at(lastStep + pause));
    EXPECT_FALSE(gestures.isOpen(kVolume));
    EXPECT_TRUE(sameEdits(target.edits, oneGesture(kVolume, {0.1, 0.2, 0.3})));

    // A step after the pause begins a new gesture.
    target.edits.clear();
    gestures.take(kVolume, Hold::WheelStep);
    gestures.release(kVolume, Hold::WheelStep, at(lastStep + pause + 1));
    EXPECT_EQ(target.edits, (HostEdits{{HostEdit::Begin, kVolume}}));
}

TEST_F(EditGesturesTest, AWheelGestureEndsWhenThePointerLeavesOrAnythingElseIsTaken)
{
    auto wheelStep = [&](talvane::ParamId id) {
        gestures.take(id, Hold::WheelStep);
        gestures.change(id, 0.5);
        gestures.release(id, Hold::WheelStep, at(0));
    };
    wheelStep(kVolume);
    gestures.finishWheel(kCutoff); // another control: nothing
    EXPECT_TRUE(gestures.isOpen(kVolume));
    gestures.finishWheel(kVolume);
    EXPECT_EQ(target.edits, oneGesture(kVolume, {0.5}));

    // The wheel on another control.
    target.edits.clear();
    wheelStep(kVolume);
    wheelStep(kCutoff);
    HostEdits expected{{HostEdit::Begin, kVolume},
                       {HostEdit::Perform, kVolume, 0.5},
                       {HostEdit::End, kVolume},
                       {HostEdit::Begin, kCutoff},
                       {HostEdit::Perform, kCutoff, 0.5}};
    EXPECT_EQ(target.edits, expected);

    // A press on the same control: the drag is a gesture of its own.
    target.edits.clear();
    gestures.take(kCutoff, Hold::Button);
    EXPECT_EQ(target.edits, (HostEdits{{HostEdit::End, kCutoff}, {HostEdit::Begin, kCutoff}}));
    gestures.release(kCutoff, Hold::Button, at(0));

    // A control that is no parameter's ends it as well, and begins nothing.
    target.edits.clear();
    wheelStep(kVolume);
    gestures.take(static_cast<talvane::ParamId>(-1), Hold::Button);
    gestures.release(static_cast<talvane::ParamId>(-1), Hold::Button, at(0));
    EXPECT_EQ(target.edits, oneGesture(kVolume, {0.5}));

    // finishWheel leaves a held control alone.
    target.edits.clear();
    gestures.take(kCutoff, Hold::Button);
    gestures.finishWheel(kCutoff);
    EXPECT_TRUE(gestures.isOpen(kCutoff));
}

TEST_F(EditGesturesTest, ClosingEndsEveryGestureHeldOrWaiting)
{
    gestures.take(kVolume, Hold::WheelStep);
    gestures.release(kVolume, Hold::WheelStep, at(0));
    gestures.take(kCutoff, Hold::Button);
    gestures.change(kCutoff, 0.3);
    gestures.endAll();
    EXPECT_FALSE(gestures.isOpen(kVolume));
    EXPECT_FALSE(gestures.isOpen(kCutoff));
    const HostEdits expected{{HostEdit::Begin, kVolume},
                             {HostEdit::End, kVolume},
                             {HostEdit::Begin, kCutoff},
                             {HostEdit::Perform, kCutoff, 0.3},
                             {HostEdit::End, kCutoff}};
    EXPECT_EQ(target.edits, expected);
    // A release that comes after the end changes nothing.
    gestures.release(kCutoff, Hold::Button, at(0));
    EXPECT_EQ(target.edits, expected);
}

TEST_F(EditGesturesTest, ATargetThatStartsAnotherGestureWhileOneEndsKeepsTheListInOrder)
{
    // A host that answers the end of one gesture by changing another parameter.
    target.onEnd = [&](talvane::ParamId id) {
        if (id == kCutoff)
            gestures.change(kVolume, 1.0);
    };
    gestures.take(kCutoff, Hold::Button);
    gestures.take(kVolume, Hold::Button);
    gestures.endAll();
    const HostEdits expected{{HostEdit::Begin, kCutoff},
                             {HostEdit::Begin, kVolume},
                             {HostEdit::End, kCutoff},
                             {HostEdit::Perform, kVolume, 1.0},
                             {HostEdit::End, kVolume}};
    EXPECT_EQ(target.edits, expected);
    EXPECT_FALSE(gestures.isOpen(kVolume));
}

TEST_F(EditGesturesTest, IdsBeyondTheParametersAreNoGestures)
{
    const auto beyond = static_cast<talvane::ParamId>(talvane::kNumParams);
    gestures.take(beyond, Hold::Button);
    gestures.change(beyond, 0.5);
    gestures.release(beyond, Hold::Button, at(0));
    EXPECT_TRUE(target.edits.empty());
}

} // namespace
