// The pan source choice: installing the LFOs into the panner and the item texts.
#include "components/PannerProgrammer.h"

#include "components/Panner.h"
#include "tests/support/EffectRender.h"
#include "tests/support/ModulationSources.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

using namespace TestEffects;

namespace
{

class PannerProgrammerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        panner->setValue(0, 1.0f);  // on
        panner->setValue(2, 1.0f);  // full modulation level
        panner->setValue(1, 0.25f); // the position mode's setting
        panner->reset();            // no glide
    }

    // The right channel's share of a constant 1.0.
    float rightShare()
    {
        StereoSignal signal(16);
        signal.left.assign(16, 1.0f);
        render(*panner, signal, 16);
        return signal.right[15];
    }

    std::string shown() const { return text(*programmer, 0, Text::kDisplay); }

    TestSources::Constant lfo1{1.0f};
    TestSources::Constant lfo2{-1.0f};
    std::unique_ptr<Panner> panner = std::make_unique<Panner>();
    std::unique_ptr<PannerProgrammer> programmer =
        std::make_unique<PannerProgrammer>(*panner, &lfo1, &lfo2);
};

} // namespace

TEST_F(PannerProgrammerTest, SelectionInstallsTheChosenLfoOrReturnsToThePosition)
{
    expectTexts(*programmer, {"P MSrc"}, {"Source"}, {"None"});
    EXPECT_FLOAT_EQ(rightShare(), 0.25f);
    const struct
    {
        float value;
        const char* item;
        float share;
    } cases[] = {{0.5f, "LFO 1", 1.0f},
                 {1.0f, "LFO 2", 0.0f},
                 {0.0f, "None", 0.25f},
                 {7.0f, "LFO 2", 0.0f}, // damaged values stay inside the table
                 {std::numeric_limits<float>::quiet_NaN(), "None", 0.25f}};
    for (const auto& c : cases)
    {
        programmer->setValue(0, c.value);
        EXPECT_EQ(shown(), c.item) << c.value;
        EXPECT_EQ(text(*programmer, 0, Text::kLongDisplay), c.item);
        EXPECT_FLOAT_EQ(rightShare(), c.share) << c.value;
    }
}

TEST_F(PannerProgrammerTest, ResetParameterLeavesTheInstalledSource)
{
    programmer->setValue(0, 0.5f);
    programmer->resetParameter(0);
    EXPECT_EQ(shown(), "None");
    EXPECT_FLOAT_EQ(rightShare(), 1.0f); // LFO 1 still drives the pan until the next write
}
