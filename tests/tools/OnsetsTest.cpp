// The click finder: steps and kinks stand out above 12 kHz, band-limited tones do not.
#include "tools/render/Onsets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

constexpr double kRateHz = 44100.0;
constexpr double kTwoPi = 6.283185307179586;

// A sine of 0.5 at frequencyHz, frames long.
std::vector<float> sine(double frequencyHz, std::size_t frames)
{
    std::vector<float> x(frames);
    for (std::size_t i = 0; i < frames; ++i)
    {
        x[i] = static_cast<float>(
            0.5 * std::sin(kTwoPi * frequencyHz * static_cast<double>(i) / kRateHz));
    }
    return x;
}

// The onsets after the first window: a tone that starts at full level is an onset itself.
std::vector<Onsets::Onset> laterOnsets(const std::vector<float>& x)
{
    std::vector<Onsets::Onset> onsets = Onsets::find(x.data(), x.size(), kRateHz);
    EXPECT_FALSE(onsets.empty());
    EXPECT_EQ(onsets.empty() ? 1u : onsets[0].frame, 0u);
    if (!onsets.empty())
    {
        onsets.erase(onsets.begin());
    }
    return onsets;
}

TEST(OnsetsTest, ASteadyToneHasNoOnsetAndAStepInItIsFoundWhereItIs)
{
    std::vector<float> tone = sine(220.0, 44100);
    EXPECT_TRUE(laterOnsets(tone).empty());

    // A step of 0.1 from frame 20000 on: a click 14 dB under the tone.
    for (std::size_t i = 20000; i < tone.size(); ++i)
    {
        tone[i] += 0.1f;
    }
    const std::vector<Onsets::Onset> onsets = laterOnsets(tone);
    ASSERT_EQ(onsets.size(), 1u);
    EXPECT_EQ(onsets[0].frame, 20000u / 64u * 64u);
    EXPECT_GT(onsets[0].highBandDb - onsets[0].backgroundDb, 40.0);
    EXPECT_NEAR(onsets[0].levelDb, -9.0, 1.0); // the tone's own RMS, 0.5 / sqrt(2)
}

TEST(OnsetsTest, HighBandLevelsMeasureOnlyWhatLiesAboveTheCorner)
{
    const std::vector<float> low = sine(2000.0, 6400);
    const std::vector<float> high = sine(18000.0, 6400);
    const std::vector<double> lowLevels = Onsets::highBandLevels(low.data(), low.size(), kRateHz);
    const std::vector<double> highLevels =
        Onsets::highBandLevels(high.data(), high.size(), kRateHz);
    ASSERT_EQ(lowLevels.size(), 100u);
    ASSERT_EQ(highLevels.size(), 100u);
    // After the filter has settled: 18 kHz passes at the sine's RMS, 2 kHz is 70 dB down or more
    // (a fourth-order slope over 2.6 octaves).
    EXPECT_NEAR(highLevels[50], -9.0, 0.5);
    EXPECT_LT(lowLevels[50], -79.0);
    // Digital silence reads as minus infinity, and a corner at or above Nyquist gives nothing.
    const std::vector<float> silence(640, 0.0f);
    EXPECT_TRUE(std::isinf(Onsets::highBandLevels(silence.data(), silence.size(), kRateHz)[5]));
    Onsets::Options tooHigh;
    tooHigh.cornerHz = 30000.0;
    EXPECT_TRUE(Onsets::highBandLevels(low.data(), low.size(), kRateHz, tooHigh).empty());
}

} // namespace
