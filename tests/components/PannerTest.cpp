// The panner: halves while off, the position glide, LFO-driven panning and the texts.
#include "components/Panner.h"

#include "tests/support/EffectRender.h"
#include "tests/support/ModulationSources.h"

#include <gtest/gtest.h>

#include <memory>

using namespace TestEffects;

namespace
{
constexpr int kOn = 0;
constexpr int kPosition = 1;
constexpr int kLevel = 2;
constexpr int kPolarity = 3;

// Renders frames of a constant 1.0 on the first channel (the second holds garbage).
StereoSignal renderOnes(Panner& panner, int frames, int blockFrames)
{
    StereoSignal signal(static_cast<std::size_t>(frames));
    signal.left.assign(signal.frames(), 1.0f);
    signal.right.assign(signal.frames(), -7.0f);
    render(panner, signal, blockFrames);
    return signal;
}
} // namespace

TEST(PannerTest, OffGivesHalfTheSignalToEachChannel)
{
    auto panner = std::make_unique<Panner>();
    TestSources::Constant lfo(1.0f);
    panner->setSource(&lfo);
    panner->setValue(kPosition, 1.0f);
    panner->setValue(kLevel, 1.0f);
    const StereoSignal out = renderOnes(*panner, 300, 100);
    EXPECT_EQ(out.left, std::vector<float>(300, 0.5f));
    EXPECT_EQ(out.right, std::vector<float>(300, 0.5f));
}

class PannerGlideTest : public ::testing::TestWithParam<float>
{
};

TEST_P(PannerGlideTest, PositionGlideArrivesExactlyAndPansFullyRight)
{
    const float rate = GetParam();
    auto panner = std::make_unique<Panner>();
    panner->setSampleRate(rate);
    panner->setValue(kOn, 1.0f);
    // The glide starts from the centre, where the position setting starts.
    EXPECT_EQ(renderOnes(*panner, 1, 1).right[0], 0.5f);

    // 0.05 s is one time constant: over 60 % of the way from 0.5 to 1.0.
    panner->setValue(kPosition, 1.0f);
    const int timeConstant = static_cast<int>(rate * 0.05f);
    StereoSignal out = renderOnes(*panner, timeConstant, 64);
    EXPECT_GT(out.right.back(), 0.8f);
    EXPECT_LT(out.right.back(), 0.9f);

    // It ends in finite time exactly on 1.0 at any rate, and back on 0.0.
    for (float goal : {1.0f, 0.0f})
    {
        panner->setValue(kPosition, goal);
        out = renderOnes(*panner, timeConstant * 40, 512);
        EXPECT_EQ(panner->getCurrent(), goal);
        EXPECT_EQ(out.right.back(), goal);
        EXPECT_EQ(out.left.back(), 1.0f - goal);
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, PannerGlideTest, ::testing::Values(44100.0f, 96000.0f, 384000.0f));

TEST(PannerTest, SourceAtPlusOneFollowsLevelAndPolarity)
{
    auto panner = std::make_unique<Panner>();
    TestSources::Constant lfo(1.0f);
    panner->setValue(kOn, 1.0f);
    panner->setValue(kPosition, 0.0f); // not used while a source drives the pan
    panner->setSource(&lfo);
    panner->setValue(kLevel, 1.0f);
    StereoSignal out = renderOnes(*panner, 64, 64);
    EXPECT_EQ(out.left[0], 0.0f);
    EXPECT_EQ(out.right[0], 1.0f);

    panner->setValue(kPolarity, 0.0f);
    out = renderOnes(*panner, 64, 64);
    EXPECT_EQ(out.left[0], 1.0f);
    EXPECT_EQ(out.right[0], 0.0f);

    // Level norm 0.5 is a depth of 0.25 around the centre, sample by sample.
    panner->setValue(kLevel, 0.5f);
    lfo.samples()[1] = 0.0f;
    out = renderOnes(*panner, 2, 2);
    EXPECT_FLOAT_EQ(out.right[0], 0.375f);
    EXPECT_FLOAT_EQ(out.right[1], 0.5f);
}

TEST(PannerTest, ParametersAndTexts)
{
    auto panner = std::make_unique<Panner>();
    expectTexts(*panner, {"P On", "P L/R", "P ModL", "P MPol"}, {"On/Off", "L/R", "dB", "+/-"},
                {"Off", "0.00", "-oo", "+"});
    for (auto [setting, shown] : {std::pair{0.0f, "-1.00"}, {1.0f, "1.00"}, {0.625f, "0.25"}})
    {
        panner->setValue(kPosition, setting);
        EXPECT_EQ(text(*panner, kPosition, Text::kDisplay), shown);
        EXPECT_EQ(text(*panner, kPosition, Text::kLongDisplay), shown);
    }
}
