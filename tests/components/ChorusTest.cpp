// The chorus: line lengths, the plain delay at depth 0, the sweep, feedback, mix and texts.
#include "components/Chorus.h"

#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"
#include "tests/support/EffectRender.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

using TestEffects::render;
using TestEffects::StereoSignal;

namespace
{

constexpr int kOn = 0;
constexpr int kDelay = 1;
constexpr int kDepth = 2;
constexpr int kFeedback = 3;
constexpr int kFrequency = 4;
constexpr int kMix = 5;

// A chorus at the given rate, on, with full wet level and the given settings already reached.
std::unique_ptr<Chorus> makeChorus(float rate, float delaySetting, float depthSetting,
                                   float feedbackSetting)
{
    auto chorus = std::make_unique<Chorus>();
    chorus->setSampleRate(rate);
    chorus->setValue(kDelay, delaySetting);
    chorus->setValue(kDepth, depthSetting);
    chorus->setValue(kFeedback, feedbackSetting);
    chorus->setValue(kMix, 1.0f);
    chorus->setValue(kOn, 1.0f); // clears at the next process; the smoothed settings jump there
    return chorus;
}

// Centre of gravity of |x| over [from, to): where an interpolated impulse lies between samples.
double centroid(const std::vector<float>& x, std::size_t from, std::size_t to)
{
    double weighted = 0.0;
    double sum = 0.0;
    for (std::size_t n = from; n < to; ++n)
    {
        const double magnitude = std::fabs(static_cast<double>(x[n]));
        weighted += static_cast<double>(n) * magnitude;
        sum += magnitude;
    }
    return sum > 0.0 ? weighted / sum : -1.0;
}

std::string display(const Chorus& chorus, int index)
{
    char text[8] = {};
    chorus.getDisplay(index, text);
    return text;
}

} // namespace

TEST(ChorusTest, LineLengthFollowsTheSampleRateUpTo16384)
{
    auto chorus = std::make_unique<Chorus>();
    const struct
    {
        float rate;
        int length;
        const char* fullDelay; // a quarter of the line, in seconds
    } cases[] = {{44100.0f, 4095, "0.023"},
                 {48000.0f, 4458, "0.023"},
                 {192000.0f, 16384, "0.021"},
                 {8000.0f, 743, "0.023"}};
    for (const auto& c : cases)
    {
        chorus->setSampleRate(c.rate);
        EXPECT_EQ(chorus->getLineLength(), c.length) << c.rate;
        EXPECT_EQ(display(*chorus, kDelay), c.fullDelay) << c.rate;
    }
}

TEST(ChorusTest, DepthZeroIsAPlainDelayOfAQuarterLineTimesTheSetting)
{
    for (float rate : {44100.0f, 48000.0f})
    {
        for (float setting : {1.0f, 0.5f, 0.1f})
        {
            auto chorus = makeChorus(rate, setting, 0.0f, 0.0f);
            const double expected = static_cast<double>(setting) * chorus->getLineLength() * 0.25;
            StereoSignal signal(3000);
            signal.left[0] = 1.0f;
            signal.right[0] = -1.0f;
            render(*chorus, signal, 128);
            // The dry impulse stays at 0; the wet one lies at the delay, split between the two
            // neighbouring samples, with the full mix level.
            EXPECT_EQ(signal.left[0], 1.0f);
            EXPECT_NEAR(centroid(signal.left, 1, 3000), expected, 1e-3) << rate << " " << setting;
            EXPECT_NEAR(centroid(signal.right, 1, 3000), expected, 1e-3) << rate << " " << setting;
            double wetSum = 0.0;
            for (std::size_t n = 1; n < 3000; ++n)
            {
                wetSum += static_cast<double>(signal.left[n]);
            }
            EXPECT_NEAR(wetSum, 1.0, 1e-5) << rate << " " << setting;
        }
    }
}

TEST(ChorusTest, DelaySettingZeroGivesTheShortestDelayNotAWholeLine)
{
    auto chorus = makeChorus(44100.0f, 0.0f, 0.0f, 0.0f);
    StereoSignal signal(5000);
    signal.left[10] = 1.0f;
    render(*chorus, signal, 64);
    EXPECT_FLOAT_EQ(signal.left[11], 1.0f); // one sample behind the dry impulse
    EXPECT_LT(TestAnalysis::peak(signal.left.data() + 12, 4988), 1e-20);
}

TEST(ChorusTest, SweepMovesLeftWithTheSineAndRightWithTheCosine)
{
    // A ramp input turns the wet signal into the read position: delay = n - (out - in) / slope,
    // exact under linear interpolation.
    constexpr float kRate = 44100.0f;
    constexpr double kSlope = 1e-4;
    auto chorus = makeChorus(kRate, 0.5f, 1.0f, 0.0f);
    chorus->setValue(kFrequency, 1.0f); // 4 Hz: one sweep cycle every 11025 samples
    const double centre = 0.5 * chorus->getLineLength() * 0.25;

    StereoSignal signal(22050);
    for (std::size_t n = 0; n < signal.frames(); ++n)
    {
        signal.left[n] = static_cast<float>(kSlope * static_cast<double>(n));
    }
    signal.right = signal.left;
    const std::vector<float> ramp = signal.left;
    render(*chorus, signal, 512);

    auto delayAt = [&](const std::vector<float>& out, std::size_t n)
    { return static_cast<double>(n) - static_cast<double>(out[n] - ramp[n]) / kSlope; };
    double leftMin = 1e9, leftMax = 0.0, rightMin = 1e9, rightMax = 0.0;
    for (std::size_t n = 2100; n < signal.frames(); ++n)
    {
        leftMin = std::min(leftMin, delayAt(signal.left, n));
        leftMax = std::max(leftMax, delayAt(signal.left, n));
        rightMin = std::min(rightMin, delayAt(signal.right, n));
        rightMax = std::max(rightMax, delayAt(signal.right, n));
    }
    // Full depth: between half and twice the centre delay (the fast power of two is within
    // 0.35 %), on both channels.
    EXPECT_NEAR(leftMin / centre, 0.5, 0.01);
    EXPECT_NEAR(leftMax / centre, 2.0, 0.02);
    EXPECT_NEAR(rightMin / centre, 0.5, 0.01);
    EXPECT_NEAR(rightMax / centre, 2.0, 0.02);

    // A quarter cycle in (2756 samples), the sine is at its peak and the cosine at zero: the
    // left delay is longest while the right one is back at the centre; half a cycle in, the
    // left one is back at the centre and the right one is shortest.
    EXPECT_NEAR(delayAt(signal.left, 2756) / centre, 2.0, 0.01);
    EXPECT_NEAR(delayAt(signal.right, 2756) / centre, 1.0, 0.01);
    EXPECT_NEAR(delayAt(signal.left, 5513) / centre, 1.0, 0.01);
    EXPECT_NEAR(delayAt(signal.right, 5513) / centre, 0.5, 0.01);
}

TEST(ChorusTest, FeedbackRingsLongButStaysBounded)
{
    // Setting 0.8 is a whole 819 samples at 44100 Hz, so the comb loses nothing to the
    // interpolation.
    auto chorus = makeChorus(44100.0f, 0.8f, 0.0f, 1.0f); // feedback 0.99
    StereoSignal signal(88200);
    signal.left[0] = 1.0f;
    render(*chorus, signal, 512);
    ASSERT_TRUE(TestAnalysis::allFinite(signal.left.data(), signal.frames()));
    // 107 round trips in two seconds: the last echoes still have 0.99^107 = 0.34.
    const double firstSecond = TestAnalysis::peak(signal.left.data() + 1, 44099);
    const double secondSecond = TestAnalysis::peak(signal.left.data() + 44100, 44100);
    EXPECT_LE(firstSecond, 1.0);
    EXPECT_GT(secondSecond, 0.3);
    EXPECT_LT(secondSecond, firstSecond);

    // Loud noise into the ringing, swept comb: the level stays finite and bounded.
    auto swept = makeChorus(44100.0f, 1.0f, 1.0f, 1.0f);
    swept->setValue(kFrequency, 1.0f);
    StereoSignal loud(88200);
    loud.left = TestEffects::noise(88200, 21u, 1.0f);
    loud.right = TestEffects::noise(88200, 22u, 1.0f);
    render(*swept, loud, 1024);
    EXPECT_TRUE(TestAnalysis::allFinite(loud.left.data(), loud.frames()));
    EXPECT_LT(TestAnalysis::peak(loud.left.data(), loud.frames()), 100.0);
    EXPECT_LT(TestAnalysis::peak(loud.right.data(), loud.frames()), 100.0);
}

TEST(ChorusTest, MixZeroAddsNothingButTheLinesStillFill)
{
    auto chorus = makeChorus(44100.0f, 1.0f, 0.15f, 0.5f);
    chorus->setValue(kMix, 0.0f);
    chorus->reset(); // the wet level jumps to 0
    StereoSignal signal(8192);
    signal.left = TestEffects::noise(8192, 31u, 0.8f);
    signal.right = TestEffects::noise(8192, 32u, 0.8f);
    const StereoSignal dry = signal;
    render(*chorus, signal, 256);
    EXPECT_EQ(signal.left, dry.left);
    EXPECT_EQ(signal.right, dry.right);

    // Raising the mix over silence brings out what the lines hold.
    chorus->setValue(kMix, 1.0f);
    StereoSignal silence(2048);
    render(*chorus, silence, 256);
    EXPECT_GT(TestAnalysis::peak(silence.left.data(), 1000), 0.05);
}

TEST(ChorusTest, OffLeavesTheChannelsAndSwitchingOnStartsEmpty)
{
    auto chorus = makeChorus(44100.0f, 1.0f, 0.15f, 0.9f);
    StereoSignal loud(4096);
    loud.left = TestEffects::noise(4096, 41u, 1.0f);
    render(*chorus, loud, 512);

    chorus->setValue(kOn, 0.0f);
    StereoSignal offSignal(1024);
    offSignal.left = TestEffects::noise(1024, 42u, 1.0f);
    const StereoSignal dry = offSignal;
    render(*chorus, offSignal, 512);
    EXPECT_EQ(offSignal.left, dry.left);
    EXPECT_EQ(offSignal.right, dry.right);

    chorus->setValue(kOn, 1.0f);
    StereoSignal silence(8192);
    render(*chorus, silence, 512);
    EXPECT_LT(TestAnalysis::peak(silence.left.data(), silence.frames()), 1e-20);
}

TEST(ChorusTest, SilenceAfterResetGivesSilence)
{
    auto chorus = makeChorus(48000.0f, 0.7f, 0.5f, 1.0f);
    StereoSignal loud(4096);
    loud.left = TestEffects::noise(4096, 51u, 1.0f);
    render(*chorus, loud, 512);
    chorus->reset();
    StereoSignal silence(48000);
    render(*chorus, silence, 512);
    EXPECT_LT(TestAnalysis::peak(silence.left.data(), silence.frames()), 1e-20);
    EXPECT_LT(TestAnalysis::peak(silence.right.data(), silence.frames()), 1e-20);
}

TEST(ChorusTest, SplitRendersEqualOneRenderAndAllocateNothing)
{
    auto one = makeChorus(44100.0f, 0.8f, 0.4f, 0.5f);
    auto pieces = makeChorus(44100.0f, 0.8f, 0.4f, 0.5f);
    for (Chorus* chorus : {one.get(), pieces.get()})
    {
        chorus->setValue(kFrequency, 0.7f);
        chorus->setValue(kDelay, 0.3f); // gliding during the render
        chorus->setValue(kMix, 0.6f);
    }
    StereoSignal whole(8192);
    whole.left = TestEffects::noise(8192, 61u, 1.0f);
    whole.right = TestEffects::noise(8192, 62u, 1.0f);
    StereoSignal split = whole;
    TestAllocation::Scope allocations;
    render(*one, whole, 8192);
    render(*pieces, split, 100);
    EXPECT_EQ(allocations.count(), 0);
    EXPECT_EQ(whole.left, split.left);
    EXPECT_EQ(whole.right, split.right);
}

TEST(ChorusTest, ExtremeSettingsAndRatesStayFinite)
{
    for (float rate : {8000.0f, 44100.0f, 384000.0f})
    {
        for (float setting : {0.0f, 1.0f})
        {
            auto chorus = makeChorus(rate, setting, 1.0f - setting, 1.0f);
            chorus->setValue(kFrequency, 1.0f);
            StereoSignal signal(20000);
            signal.left = TestEffects::noise(20000, 71u, 1.0f);
            signal.right = signal.left;
            render(*chorus, signal, 999);
            EXPECT_TRUE(TestAnalysis::allFinite(signal.left.data(), signal.frames()));
            EXPECT_TRUE(TestAnalysis::allFinite(signal.right.data(), signal.frames()));
        }
    }
}

TEST(ChorusTest, ParametersAndTexts)
{
    auto chorus = std::make_unique<Chorus>();
    chorus->setSampleRate(44100.0f);
    ASSERT_EQ(chorus->getParameterCount(), 6);
    const char* names[] = {"Ch On", "Ch Dly", "Ch Dpth", "Ch FB", "Ch Freq", "Ch Mix"};
    const char* labels[] = {"On/Off", "ms", "Level", "Level", "Hz", "dB"};
    const char* displays[] = {"Off", "0.023", "0.150", "0.000", "0.800", "-oo"};
    for (int index = 0; index < 6; ++index)
    {
        char text[8];
        chorus->getName(index, text);
        EXPECT_STREQ(text, names[index]);
        chorus->getLabel(index, text);
        EXPECT_STREQ(text, labels[index]);
        EXPECT_EQ(display(*chorus, index), displays[index]) << index;
    }
    chorus->setValue(kFeedback, 1.0f);
    EXPECT_EQ(display(*chorus, kFeedback), "0.990");
    chorus->setValue(kMix, 0.5f);
    EXPECT_EQ(display(*chorus, kMix), "-12.04");
    chorus->setValue(kDelay, 0.5f);
    EXPECT_EQ(display(*chorus, kDelay), "0.012"); // 511.875 samples
    EXPECT_FLOAT_EQ(chorus->getValue(kDelay), 0.5f);
    char longText[24];
    chorus->getLongDisplay(kFrequency, longText);
    EXPECT_STREQ(longText, "0.800");
}
