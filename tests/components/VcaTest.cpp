// The master gain stage: the default level, the gliding gain on both channels and its parameter.
#include "components/Vca.h"

#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{

// Runs frames samples of constant left and right inputs through the VCA in place.
void render(Vca& vca, int frames, int blockFrames, float leftIn, float rightIn,
            std::vector<float>& left, std::vector<float>& right)
{
    left.assign(static_cast<std::size_t>(frames), leftIn);
    right.assign(static_cast<std::size_t>(frames), rightIn);
    for (int done = 0; done < frames; done += blockFrames)
    {
        const int n = std::min(blockFrames, frames - done);
        float* channels[2] = {left.data() + done, right.data() + done};
        vca.process(channels, channels, n);
    }
}

std::string display(const Vca& vca)
{
    char text[kShortTextSize] = {};
    vca.getDisplay(0, text);
    return text;
}

} // namespace

TEST(VcaTest, DefaultLevelIsMinusFiveDecibels)
{
    auto vca = std::make_unique<Vca>();
    std::vector<float> left;
    std::vector<float> right;
    render(*vca, 1000, 256, 1.0f, -0.5f, left, right);
    EXPECT_TRUE(std::all_of(left.begin(), left.end(), [](float v) { return v == 0.5625f; }));
    EXPECT_TRUE(std::all_of(right.begin(), right.end(), [](float v) { return v == -0.28125f; }));

    char text[kShortTextSize] = {};
    vca->getName(0, text);
    EXPECT_STREQ(text, "M Lvl");
    vca->getLabel(0, text);
    EXPECT_STREQ(text, "dB");
    EXPECT_EQ(display(*vca), "-5.00");
    EXPECT_FLOAT_EQ(vca->getValue(0), 0.75f);
    EXPECT_EQ(vca->getParameterCount(), 1);
}

TEST(VcaTest, GainGlidesToANewLevelOnBothChannels)
{
    auto vca = std::make_unique<Vca>();
    vca->setValue(0, 1.0f);
    EXPECT_EQ(display(*vca), "0.00");
    std::vector<float> left;
    std::vector<float> right;
    render(*vca, 80000, 512, 1.0f, 2.0f, left, right);
    // No jump: the first sample is one 0.0002 step above 0.5625; after one time constant (5000
    // samples) 63 % of the way; exactly 1 at the end.
    EXPECT_NEAR(left[0], 0.5625f + 0.0002f * 0.4375f, 1e-6f);
    EXPECT_NEAR(left[4999], 1.0 - 0.4375 * std::exp(-1.0), 0.001);
    EXPECT_TRUE(std::is_sorted(left.begin(), left.end()));
    EXPECT_EQ(left.back(), 1.0f);
    for (std::size_t i = 0; i < left.size(); ++i)
    {
        ASSERT_EQ(right[i], 2.0f * left[i]) << i;
    }

    // Squared curve: half the setting is a quarter of the gain, falling.
    vca->setValue(0, 0.5f);
    render(*vca, 80000, 8192, 1.0f, 1.0f, left, right);
    EXPECT_TRUE(std::is_sorted(left.rbegin(), left.rend()));
    EXPECT_EQ(left.back(), 0.25f);
}

TEST(VcaTest, SplitRendersEqualOneRenderAndResetKeepsTheGlide)
{
    auto whole = std::make_unique<Vca>();
    auto pieces = std::make_unique<Vca>();
    whole->setValue(0, 0.1f);
    pieces->setValue(0, 0.1f);
    std::vector<float> oneLeft;
    std::vector<float> oneRight;
    std::vector<float> splitLeft;
    std::vector<float> splitRight;
    render(*whole, 20000, kMaxBlockFrames, 1.0f, 1.0f, oneLeft, oneRight);
    render(*pieces, 20000, 37, 1.0f, 1.0f, splitLeft, splitRight);
    EXPECT_EQ(splitLeft, oneLeft);

    // reset does not touch the level: the glide goes on from where it was.
    whole->reset();
    std::vector<float> left;
    std::vector<float> right;
    render(*whole, 1, 1, 1.0f, 1.0f, left, right);
    EXPECT_LT(left[0], oneLeft.back());
    EXPECT_GT(left[0], 0.01f);
}

TEST(VcaTest, ProcessingAllocatesNothing)
{
    auto vca = std::make_unique<Vca>();
    std::vector<float> left(kMaxBlockFrames, 1.0f);
    std::vector<float> right(kMaxBlockFrames, 1.0f);
    float* channels[2] = {left.data(), right.data()};
    vca->setValue(0, 0.2f);
    TestAllocation::Scope scope;
    for (int block = 0; block < 4; ++block)
    {
        vca->process(channels, channels, kMaxBlockFrames);
    }
    EXPECT_EQ(scope.count(), 0);
}
