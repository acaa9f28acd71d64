// The panner: halves while off, the position glide, LFO-driven panning and the texts.
#include "components/Panner.h"

#include "tests/support/AllocationCounter.h"
#include "tests/support/ConstantSource.h"
#include "tests/support/EffectRender.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using TestEffects::ConstantSource;
using TestEffects::render;
using TestEffects::StereoSignal;

namespace
{

constexpr int kOn = 0;
constexpr int kPosition = 1;
constexpr int kLevel = 2;
constexpr int kPolarity = 3;

// Renders frames of a constant 1.0 and returns the signal.
StereoSignal renderOnes(Panner& panner, int frames, int blockFrames)
{
    StereoSignal signal(static_cast<std::size_t>(frames));
    for (float& x : signal.left)
    {
        x = 1.0f;
    }
    signal.right = std::vector<float>(static_cast<std::size_t>(frames), -7.0f);
    render(panner, signal, blockFrames);
    return signal;
}

std::string display(const Panner& panner, int index)
{
    char text[8] = {};
    panner.getDisplay(index, text);
    return text;
}

} // namespace

TEST(PannerTest, OffGivesHalfTheSignalToEachChannel)
{
    auto panner = std::make_unique<Panner>();
    ConstantSource lfo(1.0f);
    panner->setSource(&lfo);
    panner->setValue(kPosition, 1.0f);
    panner->setValue(kLevel, 1.0f);
    const StereoSignal out = renderOnes(*panner, 300, 100);
    for (std::size_t n = 0; n < out.frames(); ++n)
    {
        ASSERT_EQ(out.left[n], 0.5f) << n;
        ASSERT_EQ(out.right[n], 0.5f) << n;
    }
}

TEST(PannerTest, StartsCentredLikeItsPositionSetting)
{
    auto panner = std::make_unique<Panner>();
    panner->setValue(kOn, 1.0f);
    const StereoSignal out = renderOnes(*panner, 10, 10);
    EXPECT_EQ(out.left[9], 0.5f);
    EXPECT_EQ(out.right[9], 0.5f);
    EXPECT_EQ(display(*panner, kPosition), "0.00");
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
    panner->setValue(kPosition, 1.0f);

    // 0.05 s is one time constant: well over half of the way from 0.5 to 1.0.
    const int timeConstant = static_cast<int>(rate * 0.05f);
    StereoSignal out = renderOnes(*panner, timeConstant, 64);
    EXPECT_GT(out.right.back(), 0.8f);
    EXPECT_LT(out.right.back(), 0.9f);

    // The glide must end in finite time exactly on 1.0, at any rate.
    int arrived = -1;
    for (int block = 0; block < 100 && arrived < 0; ++block)
    {
        out = renderOnes(*panner, timeConstant, 64);
        for (std::size_t n = 0; n < out.frames(); ++n)
        {
            if (out.right[n] == 1.0f)
            {
                arrived = block;
                break;
            }
        }
    }
    EXPECT_GE(arrived, 0);
    EXPECT_EQ(panner->getCurrent(), 1.0f);
    out = renderOnes(*panner, 256, 256);
    EXPECT_EQ(out.right[255], 1.0f);
    EXPECT_EQ(out.left[255], 0.0f);

    // And back fully left.
    panner->setValue(kPosition, 0.0f);
    for (int block = 0; block < 40; ++block)
    {
        out = renderOnes(*panner, timeConstant, 512);
    }
    EXPECT_EQ(panner->getCurrent(), 0.0f);
    EXPECT_EQ(out.left.back(), 1.0f);
    EXPECT_EQ(out.right.back(), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Rates, PannerGlideTest, ::testing::Values(44100.0f, 96000.0f, 384000.0f));

TEST(PannerTest, ResetLandsThePositionAtOnce)
{
    auto panner = std::make_unique<Panner>();
    panner->setValue(kOn, 1.0f);
    panner->setValue(kPosition, 0.25f);
    renderOnes(*panner, 10, 10);
    panner->reset();
    const StereoSignal out = renderOnes(*panner, 4, 4);
    EXPECT_EQ(out.left[0], 0.75f);
    EXPECT_EQ(out.right[0], 0.25f);
}

TEST(PannerTest, SourceAtPlusOneFollowsLevelAndPolarity)
{
    auto panner = std::make_unique<Panner>();
    ConstantSource lfo(1.0f);
    panner->setValue(kOn, 1.0f);
    panner->setValue(kPosition, 0.0f); // ignored while a source drives the pan
    panner->setSource(&lfo);
    panner->setValue(kLevel, 1.0f);

    StereoSignal out = renderOnes(*panner, 64, 64);
    EXPECT_EQ(out.left[0], 0.0f);
    EXPECT_EQ(out.right[0], 1.0f);

    panner->setValue(kPolarity, 0.0f);
    out = renderOnes(*panner, 64, 64);
    EXPECT_EQ(out.left[0], 1.0f);
    EXPECT_EQ(out.right[0], 0.0f);

    // Half depth (level norm 0.5 is a gain of 0.25) around the centre, sample by sample.
    panner->setValue(kPolarity, 1.0f);
    panner->setValue(kLevel, 0.5f);
    lfo.buffer()[0] = -1.0f;
    lfo.buffer()[1] = 0.0f;
    out = renderOnes(*panner, 3, 3);
    EXPECT_FLOAT_EQ(out.right[0], 0.375f);
    EXPECT_FLOAT_EQ(out.left[0], 0.625f);
    EXPECT_FLOAT_EQ(out.right[1], 0.5f);
    EXPECT_FLOAT_EQ(out.right[2], 0.625f);

    // Without a source the position mode returns on the next block.
    panner->setSource(nullptr);
    panner->reset();
    out = renderOnes(*panner, 8, 8);
    EXPECT_EQ(out.left[0], 1.0f);
    EXPECT_EQ(out.right[0], 0.0f);
}

TEST(PannerTest, SplitRendersEqualOneRenderAndAllocateNothing)
{
    auto one = std::make_unique<Panner>();
    auto pieces = std::make_unique<Panner>();
    for (Panner* panner : {one.get(), pieces.get()})
    {
        panner->setValue(kOn, 1.0f);
        panner->setValue(kPosition, 0.9f);
    }
    StereoSignal whole(6000);
    whole.left = TestEffects::noise(6000, 11u, 1.0f);
    StereoSignal split = whole;
    TestAllocation::Scope allocations;
    render(*one, whole, 6000);
    render(*pieces, split, 77);
    EXPECT_EQ(allocations.count(), 0);
    EXPECT_EQ(whole.left, split.left);
    EXPECT_EQ(whole.right, split.right);
}

TEST(PannerTest, ParametersAndTexts)
{
    auto panner = std::make_unique<Panner>();
    ASSERT_EQ(panner->getParameterCount(), 4);
    const char* names[] = {"P On", "P L/R", "P ModL", "P MPol"};
    const char* labels[] = {"On/Off", "L/R", "dB", "+/-"};
    const char* displays[] = {"Off", "0.00", "-oo", "+"};
    for (int index = 0; index < 4; ++index)
    {
        char text[8];
        panner->getName(index, text);
        EXPECT_STREQ(text, names[index]);
        panner->getLabel(index, text);
        EXPECT_STREQ(text, labels[index]);
        EXPECT_EQ(display(*panner, index), displays[index]);
    }
    panner->setValue(kPosition, 0.0f);
    EXPECT_EQ(display(*panner, kPosition), "-1.00");
    panner->setValue(kPosition, 1.0f);
    EXPECT_EQ(display(*panner, kPosition), "1.00");
    panner->setValue(kPosition, 0.625f);
    EXPECT_EQ(display(*panner, kPosition), "0.25");
    char longText[24];
    panner->getLongDisplay(kPosition, longText);
    EXPECT_STREQ(longText, "0.25");
    panner->setValue(kLevel, 0.5f);
    EXPECT_EQ(display(*panner, kLevel), "-12.04");
}
