// The slider's rules: travel from the window and thumb, the direction of both orientations, drag
// speeds and limits, the reset, and the rectangles of the thumb and of a repaint after a move.
#include "sonarch/gui/SliderModel.h"
#include "sonarch/gui/MouseKeys.h"

#include <gtest/gtest.h>

using namespace Sonarch::Gui;

namespace
{

constexpr unsigned kDrag = kKeyLeftButton;

// A horizontal slider of the panel: 71 × 29 with a 19 × 30 upright thumb, 52 pixels of travel.
SliderModel horizontal(float defaultValue)
{
    SliderModel slider(SliderOrientation::Horizontal, defaultValue);
    slider.layout(71, 29, 19, 30);
    return slider;
}

// A vertical one: 29 × 89 with a 31 × 23 flat thumb, 66 pixels of travel.
SliderModel vertical(float defaultValue)
{
    SliderModel slider(SliderOrientation::Vertical, defaultValue);
    slider.layout(29, 89, 31, 23);
    return slider;
}

TEST(SliderModelTest, TravelIsTheWindowLengthLessTheThumbAndAtLeastOnePixel)
{
    EXPECT_EQ(horizontal(0.0f).getTravel(), 52);
    EXPECT_EQ(vertical(0.0f).getTravel(), 66);

    SliderModel master(SliderOrientation::Horizontal, 0.5f);
    master.layout(153, 29, 19, 30);
    EXPECT_EQ(master.getTravel(), 134);
    EXPECT_FLOAT_EQ(master.getPosition(), 67.0f);

    SliderModel tooShort(SliderOrientation::Horizontal, 1.0f);
    tooShort.layout(19, 29, 19, 30);
    EXPECT_EQ(tooShort.getTravel(), 1);
    SliderModel shorter(SliderOrientation::Vertical, 1.0f);
    shorter.layout(29, 10, 31, 23);
    EXPECT_EQ(shorter.getTravel(), 1);
    // A one-pixel travel still holds both ends.
    EXPECT_EQ(shorter.getValue(), 1.0f);
    shorter.press(kDrag, 0, 0);
    shorter.move(kDrag, 0, 5, true);
    EXPECT_EQ(shorter.getValue(), 0.0f);

    // Without a thumb image the thumb has no size and travels the whole window.
    SliderModel thumbless(SliderOrientation::Horizontal, 0.0f);
    thumbless.layout(71, 29, 0, 0);
    EXPECT_EQ(thumbless.getTravel(), 71);
}

TEST(SliderModelTest, HorizontalRightRaisesTheValue)
{
    SliderModel slider = horizontal(0.0f);
    EXPECT_EQ(slider.getPosition(), 0.0f);
    slider.press(kDrag, 30, 10);
    EXPECT_TRUE(slider.move(kDrag, 43, 2, true));
    EXPECT_FLOAT_EQ(slider.getValue(), 13.0f / 52.0f);
    // Movement across the track does nothing.
    EXPECT_FALSE(slider.move(kDrag, 43, 90, true));
    EXPECT_TRUE(slider.move(kDrag, 33, 90, true));
    EXPECT_FLOAT_EQ(slider.getValue(), 3.0f / 52.0f);
}

TEST(SliderModelTest, VerticalHasTheMaximumAtTheTopAndDownLowersIt)
{
    SliderModel slider = vertical(1.0f);
    EXPECT_EQ(slider.getPosition(), 0.0f);
    EXPECT_EQ(slider.thumbRect(), (PixelRect{0, 0, 31, 23}));

    slider.press(kDrag, 5, 40);
    EXPECT_TRUE(slider.move(kDrag, 5, 73, true));
    EXPECT_FLOAT_EQ(slider.getValue(), 0.5f);
    EXPECT_TRUE(slider.move(kDrag, 5, 500, true));
    EXPECT_EQ(slider.getValue(), 0.0f);
    EXPECT_EQ(slider.getPosition(), 66.0f);
    EXPECT_FALSE(slider.move(kDrag, 5, 600, true));
    EXPECT_TRUE(slider.move(kDrag, 5, 599, true));
    EXPECT_NEAR(slider.getValue(), 1.0f / 66.0f, 1e-6f);
}

TEST(SliderModelTest, DragSpeedsAndTheLimitsAtBothEnds)
{
    SliderModel fine = horizontal(0.0f);
    fine.press(kDrag, 0, 0);
    for (int x = 1; x <= 52; ++x)
    {
        fine.move(kDrag | kKeyShift, x, 0, true);
    }
    EXPECT_NEAR(fine.getValue(), 0.1f, 1e-5f);

    SliderModel finest = horizontal(0.0f);
    finest.press(kDrag | kKeyShift | kKeyControl, 0, 0);
    EXPECT_EQ(finest.getValue(), 0.0f);
    finest.move(kDrag | kKeyShift | kKeyControl, 520, 0, true);
    EXPECT_NEAR(finest.getValue(), 0.1f, 1e-6f);

    SliderModel full = horizontal(0.5f);
    full.press(kDrag, 0, 0);
    EXPECT_TRUE(full.move(kDrag, -1000, 0, true));
    EXPECT_EQ(full.getValue(), 0.0f);
    EXPECT_FALSE(full.move(kDrag, -2000, 0, true));
}

TEST(SliderModelTest, FollowsOnlyWithTheCaptureAndTheLeftButton)
{
    SliderModel slider = horizontal(0.5f);
    slider.press(kDrag, 10, 0);
    EXPECT_FALSE(slider.move(kDrag, 20, 0, false));
    EXPECT_FALSE(slider.move(0, 30, 0, true));
    EXPECT_EQ(slider.getValue(), 0.5f);
}

TEST(SliderModelTest, ClickOnTheTrackLeavesTheThumbWhereItIs)
{
    SliderModel slider = horizontal(0.25f);
    EXPECT_FALSE(slider.press(kDrag, 70, 15));
    EXPECT_EQ(slider.getValue(), 0.25f);
}

TEST(SliderModelTest, CtrlClickResetsButCtrlShiftClickDoesNot)
{
    SliderModel slider = vertical(0.001f);
    slider.setValue(0.8f);
    EXPECT_FALSE(slider.press(kDrag | kKeyShift | kKeyControl, 0, 0));
    EXPECT_EQ(slider.getValue(), 0.8f);
    EXPECT_TRUE(slider.press(kDrag | kKeyControl, 0, 0));
    EXPECT_NEAR(slider.getValue(), 0.001f, 1e-6f);
    EXPECT_FALSE(slider.press(kDrag | kKeyControl, 0, 0));
}

TEST(SliderModelTest, SetValueReportsOnlyChangesAndClampsDamagedValues)
{
    SliderModel slider = horizontal(0.1f);
    EXPECT_FALSE(slider.setValue(slider.getValue()));
    EXPECT_TRUE(slider.setValue(0.5f));
    EXPECT_EQ(slider.getPosition(), 26.0f);
    EXPECT_TRUE(slider.setValue(7.0f));
    EXPECT_EQ(slider.getPosition(), 52.0f);
    EXPECT_TRUE(slider.setValue(-1.0f));
    EXPECT_EQ(slider.getPosition(), 0.0f);
}

TEST(SliderModelTest, RepaintCoversTheWholeSweepOfTheThumb)
{
    const SliderModel across = horizontal(0.0f);
    // From 30.7 to 10.2: pixels 10 to 30 plus the thumb's 19, full height.
    EXPECT_EQ(across.sweptRect(30.7f, 10.2f), (PixelRect{10, 0, 49, 29}));
    EXPECT_EQ(across.sweptRect(10.2f, 30.7f), (PixelRect{10, 0, 49, 29}));

    const SliderModel upright = vertical(0.0f);
    EXPECT_EQ(upright.sweptRect(0.0f, 66.0f), (PixelRect{0, 0, 29, 89}));
    EXPECT_EQ(upright.sweptRect(12.9f, 12.1f), (PixelRect{0, 12, 29, 35}));
}

TEST(SliderModelTest, ThumbIsDrawnAtTheTruncatedPosition)
{
    SliderModel slider = horizontal(0.0f);
    slider.setValue(0.5f + 0.7f / 52.0f);
    EXPECT_EQ(slider.thumbRect(), (PixelRect{26, 0, 45, 30}));
}

} // namespace
