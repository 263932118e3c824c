#include "tests/gui/guitest.h"

using namespace VSTGUI;
using talvane::testing::OffscreenFrameTest;

namespace {

constexpr int32_t kKnobTag = 7;
const CRect kKnobRect(100, 100, 150, 150);
const CPoint kCentre(125, 125);

class KnobTest : public OffscreenFrameTest
{
protected:
    void SetUp() override
    {
        OffscreenFrameTest::SetUp();
        bitmap = new CBitmap("knob_blue.png");
        ASSERT_TRUE(bitmap->isLoaded());
        knob = new CAnimKnob(kKnobRect, &listener, kKnobTag, 256, 50, bitmap);
        bitmap->forget();
        knob->setDefaultValue(0.3f);
        knob->setValue(0.25f);
        frame->addView(knob);
    }

    void dragBy(CCoord dx, CCoord dy, int32_t buttons = kLButton)
    {
        screen->mouseMove(CPoint(kCentre.x + dx, kCentre.y + dy), buttons);
    }

    CBitmap* bitmap = nullptr;
    CAnimKnob* knob = nullptr;
};

TEST_F(KnobTest, LinearDragSpansTheRangeOverFourHundredPixelsAndClamps)
{
    screen->mouseDown(kCentre);
    dragBy(0, -100);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    dragBy(40, -100); // right counts like up
    EXPECT_FLOAT_EQ(knob->getValue(), 0.6f);
    dragBy(0, -1000);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);
    dragBy(0, 2000);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.f);
    screen->mouseUp(CPoint(kCentre.x, kCentre.y + 2000));
    // Without a pressed knob, moves change nothing.
    screen->mouseMove(kCentre, kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.f);
}

TEST_F(KnobTest, ShiftMakesTheDragFourTimesFinerWithoutJumpingWhenPressedMidDrag)
{
    screen->mouseDown(kCentre);
    dragBy(0, -100);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    dragBy(0, -100, kLButton | kShift);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    dragBy(0, -260, kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6);
    screen->mouseUp(kCentre);

    knob->setValue(0.25f);
    screen->mouseDown(kCentre, kLButton | kShift);
    dragBy(0, -160, kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.35f, 1e-6);
}

TEST_F(KnobTest, AltAndTheFrameModeChooseCircularOrLinear)
{
    // Linear mode with Alt: circular for this drag; the pointer's angle is the value.
    screen->mouseDown(CPoint(125, 101), kLButton | kAlt); // 12 o'clock
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-3);
    dragBy(24, 0, kLButton | kAlt); // 3 o'clock
    EXPECT_NEAR(knob->getValue(), 0.5f + 1.f / 3.f, 1e-3);
    screen->mouseUp(kCentre);

    // Circular mode; crossing the gap at the bottom does not wrap to the other end.
    editor.knobMode = kCircularMode;
    screen->mouseDown(CPoint(149, 126));
    EXPECT_NEAR(knob->getValue(), 0.5f + 1.f / 3.f, 0.01);
    screen->mouseMove(CPoint(127, 149), kLButton);
    const float nearMaximum = knob->getValue();
    screen->mouseMove(CPoint(123, 149), kLButton);
    EXPECT_GE(knob->getValue(), nearMaximum);
    screen->mouseUp(kCentre);

    // Circular mode with Alt drags linearly.
    knob->setValue(0.25f);
    screen->mouseDown(kCentre, kLButton | kAlt);
    dragBy(0, -40, kLButton | kAlt);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.35f);
    screen->mouseUp(kCentre);
}

TEST_F(KnobTest, RelativeCircularModeMovesByTheChangeOfAngle)
{
    editor.knobMode = kRelativCircularMode;
    knob->setValue(0.2f);
    screen->mouseDown(CPoint(125, 101)); // 12 o'clock: no jump
    EXPECT_FLOAT_EQ(knob->getValue(), 0.2f);
    screen->mouseMove(CPoint(149, 125), kLButton); // a quarter turn clockwise
    EXPECT_NEAR(knob->getValue(), 0.2f + 1.f / 3.f, 1e-3);
}

TEST_F(KnobTest, EditsBracketEveryDragAndEachChangingStepReportsOnce)
{
    screen->mouseDown(kCentre);
    dragBy(0, -4);
    dragBy(0, -4); // no change: nothing reported
    dragBy(0, -8);
    screen->mouseUp(kCentre);
    // The editor hears of the drag around everything the listener hears.
    const std::vector<std::string> expected = {"editor begin 7", "begin", "value 0.260000",
                                               "value 0.270000", "end",   "editor end 7"};
    EXPECT_EQ(listener.log, expected);
}

TEST_F(KnobTest, ADragThatLosesTheMouseEndsWhereItIs)
{
    screen->mouseDown(kCentre);
    dragBy(0, -8);
    EXPECT_EQ(frame->onMouseCancel(), kMouseEventHandled);
    EXPECT_EQ(listener.log,
              (std::vector<std::string>{"editor begin 7", "begin", "value 0.270000", "end", "editor end 7"}));
    EXPECT_FALSE(knob->isEditing());
    // What the mouse does afterwards belongs to no drag.
    listener.log.clear();
    dragBy(0, -40);
    screen->mouseUp(kCentre);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.27f);
    EXPECT_TRUE(listener.log.empty());
    EXPECT_EQ(frame->onMouseCancel(), kMouseEventNotHandled);
}

TEST_F(KnobTest, ADragEndsBeforeItsKnobLeavesTheFrame)
{
    screen->mouseDown(kCentre);
    dragBy(0, -8);
    // The knob is still in the frame when its edit ends, so the editor hears the end.
    knob->remember();
    EXPECT_TRUE(frame->removeView(knob));
    EXPECT_EQ(listener.log.back(), "editor end 7");
    EXPECT_FALSE(knob->isEditing());
    knob->forget();

    auto* other = new CAnimKnob(kKnobRect, &listener, 8, 256, 50, nullptr);
    frame->addView(other);
    screen->mouseDown(kCentre);
    listener.log.clear();
    frame->close();
    frame = nullptr;
    EXPECT_EQ(listener.log, (std::vector<std::string>{"end", "editor end 8"}));
}

TEST_F(KnobTest, CtrlClickResetsToTheDefaultAsOneEditWithoutADrag)
{
    knob->setValue(0.9f);
    EXPECT_EQ(screen->mouseDown(kCentre, kLButton | kControl),
              kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.3f);
    dragBy(0, -100);
    screen->mouseUp(kCentre);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.3f);
    const std::vector<std::string> expected = {"modifier " + std::to_string(kLButton | kControl),
                                               "editor begin 7",
                                               "begin",
                                               "value 0.300000",
                                               "end",
                                               "editor end 7"};
    EXPECT_EQ(listener.log, expected);

    // At the default already: the edit happens, no value is reported.
    listener.log.clear();
    screen->mouseDown(kCentre, kLButton | kControl);
    EXPECT_EQ(listener.log.size(), 5u);
    EXPECT_TRUE(listener.values.size() == 1);
}

TEST_F(KnobTest, AListenerCanTakeOverAModifierClick)
{
    listener.consumeModifierClicks = true;
    knob->setValue(0.9f);
    screen->mouseDown(kCentre, kLButton | kControl);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.9f);
    EXPECT_EQ(listener.log.size(), 1u);
}

TEST_F(KnobTest, RightButtonIsNotADrag)
{
    EXPECT_EQ(screen->mouseDown(kCentre, kRButton), kMouseEventNotHandled);
    dragBy(0, -100, kRButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
}

TEST_F(KnobTest, WheelStepsByTheIncrementShiftFinerAndReportsOnlyVisibleChanges)
{
    knob->setValue(0.5f);
    EXPECT_TRUE(screen->wheel(kCentre, 1.f));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.6f);
    EXPECT_TRUE(screen->wheel(kCentre, -1.f, kShift));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.59f);
    const std::vector<std::string> oneStep = {"editor begin 7", "begin", "value 0.600000", "end",
                                              "editor end 7"};
    EXPECT_EQ(std::vector<std::string>(listener.log.begin(), listener.log.begin() + 5), oneStep);

    knob->setValue(1.f);
    frame->idle();
    listener.log.clear();
    EXPECT_TRUE(screen->wheel(kCentre, 1.f));
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);
    EXPECT_TRUE(listener.log.empty());

    // Off the knob, or with mouse handling off, the wheel does nothing.
    EXPECT_FALSE(screen->wheel(CPoint(10, 10), 1.f));
    knob->setMouseEnabled(false);
    knob->setValue(0.5f);
    EXPECT_FALSE(screen->wheel(kCentre, 1.f));
    EXPECT_FALSE(knob->onWheel(kCentre, 1.f, CButtonState()));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
}

TEST_F(KnobTest, DrawsTheFrameOfItsValue)
{
    for (float value : {0.f, 0.5f, 1.f, 0.731f})
    {
        knob->setValue(value);
        frame->idle();
        const int expectedFrame = value == 0.5f ? 127 : static_cast<int>(value * 255);
        EXPECT_EQ(knob->frameIndexForValue(), expectedFrame);
        EXPECT_EQ(talvane::testing::countMismatches(*screen, kKnobRect, *bitmap, 50, expectedFrame,
                                                    talvane::testing::kTestBackground),
                  0)
            << value;
    }
    // And the check is able to fail: the maximum's picture is not the minimum's.
    EXPECT_GT(talvane::testing::countMismatches(*screen, kKnobRect, *bitmap, 50, 0,
                                                talvane::testing::kTestBackground),
              20);
}

TEST_F(KnobTest, DirtyOnlyWhenTheValueWouldShowAnotherFrame)
{
    knob->setValue(0.5f);
    frame->idle();
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(0.5f + 0.2f / 255.f);
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(0.5f + 2.f / 255.f);
    EXPECT_TRUE(knob->isDirty());
}

TEST_F(KnobTest, TheFrameCountCanFollowFromTheBitmap)
{
    CBitmap* wheelBitmap = new CBitmap("wheel.png");
    auto* wheel = new CAnimKnob(CRect(10, 10, 26, 53), &listener, 1, wheelBitmap);
    wheelBitmap->forget();
    EXPECT_EQ(wheel->getNumSubPixmaps(), 37);
    wheel->setValue(0.5f);
    EXPECT_EQ(wheel->frameIndexForValue(), 18);
    wheel->forget();
}

} // namespace
