// The portamento glide: start offsets, glide times, summed triggers and the end on zero.
#include "components/SlewLimiter.h"

#include "tests/support/AllocationCounter.h"
#include "tests/support/BlockRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>
#include <vector>

namespace
{

std::vector<float> render(SlewLimiter& slew, int frames, int blockFrames)
{
    return TestRender::blocks(slew, frames, blockFrames);
}

long firstZero(const std::vector<float>& x)
{
    return std::find(x.begin(), x.end(), 0.0f) - x.begin();
}

// Samples a glide over `octaves` takes with a time constant of `frames` samples: the distance to
// the aim 0.995 past zero shrinks by (1 - c) per sample, and -ln(1 - c) = 1 / frames.
double glideFrames(double octaves, double frames)
{
    return std::log((octaves + 0.995) / 0.995) * frames;
}

struct Setting
{
    float rate;
    int block;
};

void PrintTo(const Setting& setting, std::ostream* os)
{
    *os << setting.rate << " Hz in blocks of " << setting.block;
}

class SlewLimiterGlideTest : public ::testing::TestWithParam<Setting>
{
};

} // namespace

TEST_P(SlewLimiterGlideTest, GlidesEndExactlyOnZeroInTheirTime)
{
    const Setting setting = GetParam();
    auto slew = std::make_unique<SlewLimiter>();
    slew->setSampleRate(setting.rate);

    // One octave up with the default 0.1875 s, which holds from construction on.
    double frames = static_cast<double>(setting.rate) * 0.1875 + 1.0;
    slew->trigger(48, 60, 100);
    EXPECT_FLOAT_EQ(slew->getCurrent(), -1.0f);
    auto x = render(*slew, static_cast<int>(frames * 2.0), setting.block);
    EXPECT_NEAR(x[0], -1.0 + 1.995 * (1.0 - std::exp(-1.0 / frames)), 1e-6);
    EXPECT_TRUE(std::is_sorted(x.begin(), x.end())); // rising, never past zero
    EXPECT_NEAR(static_cast<double>(firstZero(x)), glideFrames(1.0, frames), 2.0); // 0.70 tau
    EXPECT_TRUE(std::all_of(x.begin() + firstZero(x), x.end(), [](float v) { return v == 0; }));
    EXPECT_TRUE(slew->isFinished());

    // Two octaves down with 0.75 s.
    slew->setValue(0, 0.5f);
    frames = static_cast<double>(setting.rate) * 0.75 + 1.0;
    slew->trigger(84, 60, 100);
    x = render(*slew, static_cast<int>(frames * 3.0), setting.block);
    EXPECT_GT(x[0], 1.99f);
    EXPECT_TRUE(std::is_sorted(x.rbegin(), x.rend()));
    EXPECT_NEAR(static_cast<double>(firstZero(x)), glideFrames(2.0, frames), 2.0);
    EXPECT_EQ(x.back(), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(RatesAndBlocks, SlewLimiterGlideTest,
                         ::testing::Values(Setting{44100.0f, 1}, Setting{44100.0f, 64},
                                           Setting{48000.0f, 8192}, Setting{96000.0f, 64}));

TEST(SlewLimiterTest, TriggersAddToTheCurrentOffset)
{
    auto slew = std::make_unique<SlewLimiter>();
    // Not processed in between (no oscillator uses portamento): the intervals add up.
    slew->trigger(48, 60, 100);
    slew->trigger(60, 55, 100);
    EXPECT_NEAR(slew->getCurrent(), -7.0f / 12.0f, 1e-6f);
    slew->trigger(55, 43, 100); // now above zero: it falls
    EXPECT_NEAR(slew->getCurrent(), 5.0f / 12.0f, 1e-6f);
    const auto falling = render(*slew, 64, 64);
    EXPECT_LT(falling[0], 5.0f / 12.0f);
    EXPECT_GT(falling[63], 0.0f);

    // A trigger during a glide goes on from where the glide is.
    const float reached = slew->getCurrent();
    slew->trigger(60, 72, 100);
    EXPECT_NEAR(slew->getCurrent(), reached - 1.0f, 1e-6f);
    const auto rising = render(*slew, 20000, 512);
    EXPECT_TRUE(std::is_sorted(rising.begin(), rising.end()));
    EXPECT_EQ(rising.back(), 0.0f);
}

TEST(SlewLimiterTest, SameNoteOrZeroTimeEndsAtOnce)
{
    auto slew = std::make_unique<SlewLimiter>();
    slew->trigger(60, 60, 100); // idle, same note: ends on the first sample
    auto x = render(*slew, 32, 32);
    EXPECT_TRUE(std::all_of(x.begin(), x.end(), [](float v) { return v == 0.0f; }));
    EXPECT_TRUE(slew->isFinished());

    slew->setValue(0, 0.0f); // a coefficient of 1 - 1/e
    slew->trigger(36, 96, 100);
    x = render(*slew, 16, 16);
    EXPECT_LE(firstZero(x), 4);
    EXPECT_EQ(x[15], 0.0f);
}

TEST(SlewLimiterTest, TimeIsKeptInSecondsAcrossSampleRateChanges)
{
    auto slew = std::make_unique<SlewLimiter>();
    slew->setValue(0, 0.25f);
    slew->setSampleRate(96000.0f);
    slew->trigger(48, 60, 100);
    const auto x = render(*slew, 40000, 4096);
    EXPECT_NEAR(static_cast<double>(firstZero(x)), glideFrames(1.0, 96000.0 * 0.1875 + 1.0), 2.0);

    slew->reset();
    EXPECT_EQ(slew->getCurrent(), 0.0f);
    slew->trigger(40, 90, 100);
    TestAllocation::Scope scope;
    slew->process(kMaxBlockFrames);
    EXPECT_EQ(scope.count(), 0);
}
