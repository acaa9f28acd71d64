// The two-way switch's rules: the frame for a value, toggling, and the Ctrl+click reset.
#include "sonarch/gui/SwitchModel.h"
#include "sonarch/gui/MouseKeys.h"

#include <gtest/gtest.h>

using namespace Sonarch::Gui;

namespace
{

TEST(SwitchModelTest, AValueBelowOneHalfShowsOffAndAClickTurnsItFullyOn)
{
    SwitchModel onOff(0.0f);
    EXPECT_TRUE(onOff.setValue(0.3f));
    EXPECT_EQ(onOff.getValue(), 0.3f);
    EXPECT_EQ(onOff.getFrame(), 0);
    EXPECT_TRUE(onOff.click(kKeyLeftButton));
    EXPECT_EQ(onOff.getValue(), 1.0f);
    EXPECT_EQ(onOff.getFrame(), 1);
    EXPECT_TRUE(onOff.click(kKeyLeftButton));
    EXPECT_EQ(onOff.getValue(), 0.0f);
}

TEST(SwitchModelTest, OnStartsAtOneHalf)
{
    SwitchModel polarity(1.0f);
    EXPECT_EQ(polarity.getFrame(), 1);
    polarity.setValue(0.5f);
    EXPECT_EQ(polarity.getFrame(), 1);
    EXPECT_TRUE(polarity.click(0));
    EXPECT_EQ(polarity.getValue(), 0.0f);
    polarity.setValue(0.49f);
    EXPECT_EQ(polarity.getFrame(), 0);
}

TEST(SwitchModelTest, SetValueReportsOnlyADifferentValue)
{
    SwitchModel onOff(1.0f);
    EXPECT_FALSE(onOff.setValue(1.0f));
    EXPECT_TRUE(onOff.setValue(0.75f));
    EXPECT_FALSE(onOff.setValue(0.75f));
    EXPECT_TRUE(onOff.setValue(5.0f));
    EXPECT_EQ(onOff.getValue(), 1.0f);
}

TEST(SwitchModelTest, CtrlClickRestoresTheDefaultAndPostsOnlyWhenTheStateShownChanges)
{
    // The default is on and it shows on: nothing changes, nothing is posted.
    SwitchModel poly(1.0f);
    EXPECT_FALSE(poly.click(kKeyLeftButton | kKeyControl));
    EXPECT_EQ(poly.getFrame(), 1);

    // Shown off, default on: restored and posted.
    poly.setValue(0.0f);
    EXPECT_TRUE(poly.click(kKeyLeftButton | kKeyControl));
    EXPECT_EQ(poly.getValue(), 1.0f);

    // Ctrl with Shift is still a reset for a switch.
    SwitchModel sync(0.0f);
    sync.setValue(1.0f);
    EXPECT_TRUE(sync.click(kKeyLeftButton | kKeyControl | kKeyShift));
    EXPECT_EQ(sync.getValue(), 0.0f);
}

} // namespace
