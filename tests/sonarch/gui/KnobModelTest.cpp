// The knob's rules: relative vertical drag at three speeds, its limits, posting only real changes,
// the frame shown for a value, the Ctrl+click reset and the capture a drag needs.
#include "sonarch/gui/KnobModel.h"
#include "sonarch/gui/MouseKeys.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Sonarch::Gui;

namespace
{

constexpr unsigned kDrag = kKeyLeftButton;
constexpr unsigned kFine = kKeyLeftButton | kKeyShift;
constexpr unsigned kFinest = kKeyLeftButton | kKeyShift | kKeyControl;

// Drags from y 500 upwards by `pixels`, one pixel per mouse move, with the keys; returns how many
// moves reported a change (each would be posted).
int dragUp(KnobModel& knob, unsigned keys, int pixels)
{
    knob.press(keys & ~kKeyControl, 500);
    int changes = 0;
    for (int step = 1; step <= pixels; ++step)
    {
        changes += knob.move(keys, 500 - step, true) ? 1 : 0;
    }
    return changes;
}

TEST(KnobModelTest, TwoHundredSevenPixelsUpCoverTheRangeThenTheValueStaysAndNothingMoreIsPosted)
{
    KnobModel knob(0.0f);
    EXPECT_EQ(dragUp(knob, kDrag, 207), 207);
    EXPECT_FLOAT_EQ(knob.getValue(), 1.0f);

    // Further up: clamped, no change reported.
    EXPECT_FALSE(knob.move(kDrag, 200, true));
    EXPECT_FALSE(knob.move(kDrag, -1000, true));
    EXPECT_EQ(knob.getValue(), 1.0f);

    // Coming back down starts changing at once: the clamp keeps no hidden overshoot.
    EXPECT_TRUE(knob.move(kDrag, -999, true));
    EXPECT_FLOAT_EQ(knob.getValue(), 1.0f - 1.0f / 207.0f);
}

TEST(KnobModelTest, MovingDownLowersAndStopsAtZero)
{
    KnobModel knob(0.5f);
    knob.press(kDrag, 100);
    EXPECT_TRUE(knob.move(kDrag, 110, true));
    EXPECT_FLOAT_EQ(knob.getValue(), (103.5f - 10.0f) / 207.0f);
    EXPECT_TRUE(knob.move(kDrag, 400, true));
    EXPECT_EQ(knob.getValue(), 0.0f);
    EXPECT_FALSE(knob.move(kDrag, 500, true));
}

TEST(KnobModelTest, ShiftMovesATenthAndShiftCtrlAHundredthOfTheRangePer207Pixels)
{
    KnobModel fine(0.0f);
    dragUp(fine, kFine, 207);
    EXPECT_NEAR(fine.getValue(), 0.1f, 1e-5f);

    KnobModel finest(0.0f);
    dragUp(finest, kFinest, 207);
    EXPECT_NEAR(finest.getValue(), 0.01f, 1e-6f);

    // Ctrl alone is no speed: a drag started without the reset moves at full speed.
    KnobModel controlOnly(0.0f);
    controlOnly.press(kDrag, 0);
    controlOnly.move(kDrag | kKeyControl, -20, true);
    EXPECT_FLOAT_EQ(controlOnly.getValue(), 20.0f / 207.0f);
}

TEST(KnobModelTest, OnlyTheMovementCountsNotWhereTheDragStarted)
{
    KnobModel knob(0.5f);
    knob.press(kDrag, 1000);
    EXPECT_FALSE(knob.move(kDrag, 1000, true));
    EXPECT_EQ(knob.getValue(), 0.5f);
    knob.move(kDrag, 990, true);
    EXPECT_FLOAT_EQ(knob.getValue(), 113.5f / 207.0f);
}

TEST(KnobModelTest, FollowsOnlyWithTheCaptureAndTheLeftButton)
{
    KnobModel knob(0.5f);
    knob.press(kDrag, 100);
    EXPECT_FALSE(knob.move(kDrag, 50, false));
    EXPECT_FALSE(knob.move(kKeyRightButton, 40, true));
    EXPECT_FALSE(knob.move(0, 30, true));
    EXPECT_EQ(knob.getValue(), 0.5f);
    // Ignored moves leave the drag's reference point at the last followed one (the press).
    EXPECT_TRUE(knob.move(kDrag, 20, true));
    EXPECT_FLOAT_EQ(knob.getValue(), 183.5f / 207.0f);
}

TEST(KnobModelTest, FramesFollowTheValue)
{
    KnobModel knob(0.0f);
    EXPECT_EQ(knob.getFrame(), 0);
    knob.setValue(0.5f);
    EXPECT_EQ(knob.getFrame(), 45);
    knob.setValue(1.0f);
    EXPECT_EQ(knob.getFrame(), 90);
    knob.setValue(0.999f);
    EXPECT_EQ(knob.getFrame(), 90);
    knob.setValue(1.0f / 91.0f - 1e-4f);
    EXPECT_EQ(knob.getFrame(), 0);
    knob.setValue(1.0f / 91.0f + 1e-4f);
    EXPECT_EQ(knob.getFrame(), 1);
}

TEST(KnobModelTest, SetValueReportsOnlyChangesAndKeepsDamagedValuesInRange)
{
    KnobModel knob(0.25f);
    EXPECT_FALSE(knob.setValue(0.25f));
    EXPECT_TRUE(knob.setValue(0.75f));
    EXPECT_FALSE(knob.setValue(0.75f));

    EXPECT_TRUE(knob.setValue(3.0f));
    EXPECT_EQ(knob.getValue(), 1.0f);
    EXPECT_EQ(knob.getFrame(), 90);
    EXPECT_TRUE(knob.setValue(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(knob.getValue(), 0.0f);
    EXPECT_FALSE(knob.setValue(-2.0f));
    EXPECT_EQ(knob.getFrame(), 0);
}

TEST(KnobModelTest, CtrlClickRestoresTheDefaultAndPostsOnlyWhenItChangedSomething)
{
    KnobModel knob(0.16667f);
    knob.setValue(0.9f);
    EXPECT_TRUE(knob.press(kKeyLeftButton | kKeyControl, 10));
    EXPECT_FLOAT_EQ(knob.getValue(), 0.16667f);

    // Already at the default: nothing to post.
    EXPECT_FALSE(knob.press(kKeyLeftButton | kKeyControl, 10));

    // A plain press never changes the value.
    knob.setValue(0.9f);
    EXPECT_FALSE(knob.press(kKeyLeftButton, 10));
    EXPECT_FLOAT_EQ(knob.getValue(), 0.9f);
}

TEST(KnobModelTest, CtrlShiftClickIsNoResetButStartsTheFinestDrag)
{
    KnobModel knob(0.5f);
    knob.setValue(0.2f);
    EXPECT_FALSE(knob.press(kFinest, 300));
    EXPECT_EQ(knob.getValue(), 0.2f);
    knob.move(kFinest, 100, true);
    EXPECT_NEAR(knob.getValue(), 0.2f + 200.0f * 0.01f / 207.0f, 1e-6f);
}

TEST(KnobModelTest, ResetWorksFromAnyDragPosition)
{
    // After a drag the reset puts the knob back exactly and the next drag starts from the press.
    KnobModel knob(0.5f);
    dragUp(knob, kDrag, 30);
    EXPECT_TRUE(knob.press(kKeyLeftButton | kKeyControl, 77));
    EXPECT_EQ(knob.getValue(), 0.5f);
    knob.move(kDrag, 76, true);
    EXPECT_FLOAT_EQ(knob.getValue(), 104.5f / 207.0f);
}

} // namespace
