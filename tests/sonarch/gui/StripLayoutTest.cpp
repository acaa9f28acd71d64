// Film-strip geometry: frame sizes, the rectangle of each frame, and the frame for a value.
#include "sonarch/gui/StripLayout.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Sonarch::Gui;

namespace
{

TEST(StripLayoutTest, FramesAreStackedFromTheTop)
{
    const StripLayout knob(91, 32, 3003);
    EXPECT_EQ(knob.getFrameWidth(), 32);
    EXPECT_EQ(knob.getFrameHeight(), 33);
    EXPECT_EQ(knob.frameRect(0), (PixelRect{0, 0, 32, 33}));
    EXPECT_EQ(knob.frameRect(45), (PixelRect{0, 1485, 32, 1518}));
    EXPECT_EQ(knob.frameRect(90), (PixelRect{0, 2970, 32, 3003}));

    const StripLayout onOff(2, 20, 64);
    EXPECT_EQ(onOff.frameRect(1), (PixelRect{0, 32, 20, 64}));
}

TEST(StripLayoutTest, LeftoverRowsAreNeverShownAndFramesOutsideTheStripAreClamped)
{
    const StripLayout uneven(3, 10, 32);
    EXPECT_EQ(uneven.getFrameHeight(), 10);
    EXPECT_EQ(uneven.frameRect(2), (PixelRect{0, 20, 10, 30}));
    EXPECT_EQ(uneven.frameRect(7), (PixelRect{0, 20, 10, 30}));
    EXPECT_EQ(uneven.frameRect(-4), (PixelRect{0, 0, 10, 10}));
}

TEST(StripLayoutTest, StripsWithoutFramesOrPixelsAreNotDrawable)
{
    EXPECT_FALSE(StripLayout(0, 32, 3003).isDrawable());
    EXPECT_FALSE(StripLayout(91, 32, 90).isDrawable());
    EXPECT_FALSE(StripLayout(91, 0, 3003).isDrawable());
    EXPECT_FALSE(StripLayout(-2, -5, -9).isDrawable());
    EXPECT_TRUE(StripLayout(91, 32, 3003).frameRect(3).width() == 32);
    EXPECT_TRUE(StripLayout(91, 32, 90).frameRect(3).isEmpty());
}

TEST(StripLayoutTest, FrameForValueFloorsAndPutsOneOnTheLastFrame)
{
    EXPECT_EQ(StripLayout::frameForValue(0.0f, 91), 0);
    EXPECT_EQ(StripLayout::frameForValue(0.5f, 91), 45);
    EXPECT_EQ(StripLayout::frameForValue(0.999f, 91), 90);
    EXPECT_EQ(StripLayout::frameForValue(1.0f, 91), 90);
    EXPECT_EQ(StripLayout::frameForValue(0.5f, 2), 1);
    EXPECT_EQ(StripLayout::frameForValue(0.4999f, 2), 0);
    EXPECT_EQ(StripLayout::frameForValue(1.5f, 91), 90);
    EXPECT_EQ(StripLayout::frameForValue(-0.5f, 91), 0);
    EXPECT_EQ(StripLayout::frameForValue(std::numeric_limits<float>::quiet_NaN(), 91), 0);
    EXPECT_EQ(StripLayout::frameForValue(std::numeric_limits<float>::infinity(), 91), 90);
    EXPECT_EQ(StripLayout::frameForValue(0.7f, 0), 0);
}

} // namespace
