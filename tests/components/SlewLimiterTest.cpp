// The portamento glide: start offsets, glide times, summed triggers and the end on zero.
#include "components/SlewLimiter.h"

#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace
{

std::vector<float> render(SlewLimiter& slew, int frames, int blockFrames)
{
    std::vector<float> out;
    out.reserve(static_cast<std::size_t>(frames));
    for (int done = 0; done < frames; done += blockFrames)
    {
        const int n = std::min(blockFrames, frames - done);
        slew.process(n);
        out.insert(out.end(), slew.getOutput(), slew.getOutput() + n);
    }
    return out;
}

long firstZero(const std::vector<float>& x)
{
    return std::find(x.begin(), x.end(), 0.0f) - x.begin();
}

// Samples a glide over `octaves` takes with a time constant of frames samples: the offset falls
// as (1 - c)^n toward 0.995 past zero, and -ln(1 - c) is 1 / frames.
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

TEST_P(SlewLimiterGlideTest, OneOctaveUpStartsAtMinusOneAndEndsOnZero)
{
    const Setting setting = GetParam();
    auto slew = std::make_unique<SlewLimiter>();
    slew->setSampleRate(setting.rate);
    // The default time, 0.1875 s, holds from construction on.
    const double frames = static_cast<double>(setting.rate) * 0.1875 + 1.0;
    slew->trigger(48, 60, 100);
    EXPECT_FLOAT_EQ(slew->getCurrent(), -1.0f);

    const auto x = render(*slew, static_cast<int>(frames * 2.0), setting.block);
    EXPECT_NEAR(x[0], -1.0 + 1.995 * (1.0 - std::exp(-1.0 / frames)), 1e-6);
    EXPECT_TRUE(std::is_sorted(x.begin(), x.end())); // rising, never past zero
    EXPECT_LE(x.back(), 0.0f);
    // ln(1.995 / 0.995) = 0.696 time constants.
    const long end = firstZero(x);
    EXPECT_NEAR(static_cast<double>(end), glideFrames(1.0, frames), 2.0);
    EXPECT_TRUE(std::all_of(x.begin() + end, x.end(), [](float v) { return v == 0.0f; }));
    EXPECT_TRUE(slew->isFinished());
}

TEST_P(SlewLimiterGlideTest, TwoOctavesDownFallFromPlusTwo)
{
    const Setting setting = GetParam();
    auto slew = std::make_unique<SlewLimiter>();
    slew->setSampleRate(setting.rate);
    slew->setValue(0, 0.5f); // 0.75 s
    const double frames = static_cast<double>(setting.rate) * 0.75 + 1.0;
    slew->trigger(84, 60, 100);
    const auto x = render(*slew, static_cast<int>(frames * 3.0), setting.block);
    EXPECT_GT(x[0], 1.99f);
    EXPECT_TRUE(std::is_sorted(x.rbegin(), x.rend())); // falling
    EXPECT_GE(*std::min_element(x.begin(), x.end()), 0.0f);
    EXPECT_NEAR(static_cast<double>(firstZero(x)), glideFrames(2.0, frames), 2.0);
}

INSTANTIATE_TEST_SUITE_P(RatesAndBlocks, SlewLimiterGlideTest,
                         ::testing::Values(Setting{44100.0f, 1}, Setting{44100.0f, 64},
                                           Setting{48000.0f, 8192}, Setting{96000.0f, 64}));

TEST(SlewLimiterTest, TriggersAddToTheCurrentOffset)
{
    auto slew = std::make_unique<SlewLimiter>();
    // Not processed in between (no oscillator uses portamento): the intervals add up.
    slew->trigger(48, 60, 100); // -1 octave
    slew->trigger(60, 55, 100); // +5 semitones
    EXPECT_NEAR(slew->getCurrent(), -7.0f / 12.0f, 1e-6f);
    slew->trigger(55, 43, 100); // +1 octave: now above zero, so it falls
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

TEST(SlewLimiterTest, SameNoteWhileIdleEndsOnTheFirstSample)
{
    auto slew = std::make_unique<SlewLimiter>();
    slew->trigger(60, 60, 100);
    const auto x = render(*slew, 32, 32);
    EXPECT_TRUE(std::all_of(x.begin(), x.end(), [](float v) { return v == 0.0f; }));
    EXPECT_TRUE(slew->isFinished());
    EXPECT_EQ(slew->getCurrent(), 0.0f);
}

TEST(SlewLimiterTest, TimeIsKeptInSecondsAcrossSampleRateChanges)
{
    auto slew = std::make_unique<SlewLimiter>();
    slew->setValue(0, 0.25f); // 0.1875 s
    slew->setSampleRate(96000.0f);
    slew->trigger(48, 60, 100);
    const auto x = render(*slew, 40000, 4096);
    EXPECT_NEAR(static_cast<double>(firstZero(x)), glideFrames(1.0, 96000.0 * 0.1875 + 1.0), 2.0);
}

TEST(SlewLimiterTest, ZeroTimeGlidesWithinASample)
{
    auto slew = std::make_unique<SlewLimiter>();
    slew->setValue(0, 0.0f);
    slew->trigger(36, 96, 100); // five octaves
    const auto x = render(*slew, 16, 16);
    // A coefficient of 1 - 1/e: the offset shrinks by 0.632 of its distance to +0.995 per sample.
    EXPECT_LE(firstZero(x), 4);
    EXPECT_EQ(x[15], 0.0f);
}

TEST(SlewLimiterTest, ResetReturnsToZeroAndSplitRendersMatch)
{
    auto whole = std::make_unique<SlewLimiter>();
    auto pieces = std::make_unique<SlewLimiter>();
    for (SlewLimiter* s : {whole.get(), pieces.get()})
    {
        s->setValue(0, 0.1f);
        s->trigger(70, 50, 100);
    }
    const auto one = render(*whole, 3000, 3000);
    std::vector<float> split;
    for (int piece : {1, 7, 992, 2000})
    {
        const auto part = render(*pieces, piece, piece);
        split.insert(split.end(), part.begin(), part.end());
    }
    EXPECT_EQ(split, one);

    whole->reset();
    EXPECT_EQ(whole->getCurrent(), 0.0f);
    EXPECT_FALSE(whole->isFinished());
    const auto after = render(*whole, 8, 8);
    EXPECT_EQ(after[0], 0.0f);
}

TEST(SlewLimiterTest, ParameterTextsAndNoAllocation)
{
    auto slew = std::make_unique<SlewLimiter>();
    char text[kShortTextSize] = {};
    slew->getName(0, text);
    EXPECT_STREQ(text, "Pr Time");
    slew->getLabel(0, text);
    EXPECT_STREQ(text, "Secs");
    slew->setValue(0, 1.0f);
    slew->getDisplay(0, text);
    EXPECT_STREQ(text, "3.000");
    EXPECT_EQ(slew->getParameterCount(), 1);

    slew->trigger(40, 90, 100);
    TestAllocation::Scope scope;
    slew->process(kMaxBlockFrames);
    slew->trigger(90, 30, 100);
    slew->process(kMaxBlockFrames);
    EXPECT_EQ(scope.count(), 0);
}
