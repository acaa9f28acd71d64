// The master gain stage: the default level and the gliding gain on both channels.
#include "components/Vca.h"

#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace
{

struct Stereo
{
    std::vector<float> left;
    std::vector<float> right;
};

// Constant inputs through the VCA in place, as the effects chain runs it.
Stereo render(Vca& vca, int frames, int blockFrames, float leftIn, float rightIn)
{
    Stereo out{std::vector<float>(static_cast<std::size_t>(frames), leftIn),
               std::vector<float>(static_cast<std::size_t>(frames), rightIn)};
    for (int done = 0; done < frames; done += blockFrames)
    {
        float* channels[2] = {out.left.data() + done, out.right.data() + done};
        vca.process(channels, channels, std::min(blockFrames, frames - done));
    }
    return out;
}

} // namespace

TEST(VcaTest, DefaultLevelIsMinusFiveDecibels)
{
    auto vca = std::make_unique<Vca>();
    const Stereo out = render(*vca, 1000, 256, 1.0f, -0.5f);
    EXPECT_TRUE(
        std::all_of(out.left.begin(), out.left.end(), [](float v) { return v == 0.5625f; }));
    EXPECT_TRUE(
        std::all_of(out.right.begin(), out.right.end(), [](float v) { return v == -0.28125f; }));
    char text[kShortTextSize] = {};
    vca->getDisplay(0, text);
    EXPECT_STREQ(text, "-5.00");
}

TEST(VcaTest, GainGlidesToANewLevelOnBothChannels)
{
    auto vca = std::make_unique<Vca>();
    auto twin = std::make_unique<Vca>();
    vca->setValue(0, 1.0f);
    twin->setValue(0, 1.0f);
    const Stereo out = render(*vca, 80000, 512, 1.0f, 2.0f);
    // No jump: one 0.0002 step above 0.5625 first, 63 % of the way after 5000 samples, exactly
    // 1 at the end.
    EXPECT_NEAR(out.left[0], 0.5625f + 0.0002f * 0.4375f, 1e-6f);
    EXPECT_NEAR(out.left[4999], 1.0 - 0.4375 * std::exp(-1.0), 0.001);
    EXPECT_TRUE(std::is_sorted(out.left.begin(), out.left.end()));
    EXPECT_EQ(out.left.back(), 1.0f);
    for (std::size_t i = 0; i < out.left.size(); ++i)
    {
        ASSERT_EQ(out.right[i], 2.0f * out.left[i]) << i;
    }
    EXPECT_EQ(render(*twin, 80000, 37, 1.0f, 2.0f).left, out.left); // split renders match

    // Squared curve: half the setting is a quarter of the gain, reached falling.
    vca->setValue(0, 0.5f);
    vca->reset(); // leaves the glide alone
    const Stereo down = render(*vca, 80000, 8192, 1.0f, 1.0f);
    EXPECT_GT(down.left[0], 0.99f);
    EXPECT_TRUE(std::is_sorted(down.left.rbegin(), down.left.rend()));
    EXPECT_EQ(down.left.back(), 0.25f);

    std::vector<float> buffer(kMaxBlockFrames, 1.0f);
    float* channels[2] = {buffer.data(), buffer.data()};
    vca->setValue(0, 0.9f);
    TestAllocation::Scope scope;
    vca->process(channels, channels, kMaxBlockFrames);
    EXPECT_EQ(scope.count(), 0);
}
