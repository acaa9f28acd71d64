// The pan source choice: installing the LFOs into the panner and the item texts.
#include "parameters/PannerProgrammer.h"

#include "components/Panner.h"
#include "tests/support/ConstantSource.h"
#include "tests/support/EffectRender.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>

using TestEffects::ConstantSource;

namespace
{

class PannerProgrammerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        panner = std::make_unique<Panner>();
        programmer = std::make_unique<PannerProgrammer>(*panner, &lfo1, &lfo2);
        panner->setValue(0, 1.0f);  // on
        panner->setValue(2, 1.0f);  // full modulation level
        panner->setValue(1, 0.25f); // position for the position mode
        panner->reset();            // no glide
    }

    // The right channel's share of a constant 1.0 over one block.
    float rightShare()
    {
        TestEffects::StereoSignal signal(16);
        for (float& x : signal.left)
        {
            x = 1.0f;
        }
        TestEffects::render(*panner, signal, 16);
        return signal.right[15];
    }

    std::string display(int index) const
    {
        char text[8] = {};
        programmer->getDisplay(index, text);
        return text;
    }

    ConstantSource lfo1{1.0f};
    ConstantSource lfo2{-1.0f};
    std::unique_ptr<Panner> panner;
    std::unique_ptr<PannerProgrammer> programmer;
};

} // namespace

TEST_F(PannerProgrammerTest, SelectionInstallsTheChosenLfo)
{
    EXPECT_FLOAT_EQ(rightShare(), 0.25f); // "None" by default: position mode

    programmer->setValue(0, 0.5f);
    EXPECT_EQ(display(0), "LFO 1");
    EXPECT_FLOAT_EQ(rightShare(), 1.0f);

    programmer->setValue(0, 1.0f);
    EXPECT_EQ(display(0), "LFO 2");
    EXPECT_FLOAT_EQ(rightShare(), 0.0f);

    programmer->setValue(0, 0.0f);
    EXPECT_EQ(display(0), "None");
    EXPECT_FLOAT_EQ(rightShare(), 0.25f);
}

TEST_F(PannerProgrammerTest, DamagedValuesStayInsideTheSourceTable)
{
    programmer->setValue(0, 7.0f); // clamped to 1: LFO 2
    EXPECT_EQ(display(0), "LFO 2");
    EXPECT_FLOAT_EQ(rightShare(), 0.0f);
    programmer->setValue(0, std::numeric_limits<float>::quiet_NaN()); // the default, None
    EXPECT_EQ(display(0), "None");
    EXPECT_FLOAT_EQ(rightShare(), 0.25f);
}

TEST_F(PannerProgrammerTest, ResetParameterLeavesTheInstalledSource)
{
    programmer->setValue(0, 0.5f);
    programmer->resetParameter(0);
    EXPECT_EQ(display(0), "None");
    EXPECT_FLOAT_EQ(rightShare(), 1.0f); // LFO 1 still drives the pan
}

TEST_F(PannerProgrammerTest, NameLabelAndTexts)
{
    ASSERT_EQ(programmer->getParameterCount(), 1);
    char text[8];
    programmer->getName(0, text);
    EXPECT_STREQ(text, "P MSrc");
    programmer->getLabel(0, text);
    EXPECT_STREQ(text, "Source");
    char longText[24];
    programmer->setValue(0, 0.5f);
    programmer->getLongDisplay(0, longText);
    EXPECT_STREQ(longText, "LFO 1");
    EXPECT_FLOAT_EQ(programmer->getValue(0), 0.5f);
}
