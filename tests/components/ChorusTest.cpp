// The chorus: line lengths, the plain delay at depth 0, the sweep, feedback, mix and texts.
#include "components/Chorus.h"

#include "tests/support/Analysis.h"
#include "tests/support/EffectRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace TestEffects;

namespace
{
constexpr int kOn = 0;
constexpr int kDelay = 1;
constexpr int kFeedback = 3;
constexpr int kFrequency = 4;
constexpr int kMix = 5;

// A chorus at the given rate, on, at full wet level, its smoothed settings jumped to their
// targets (switching on clears and resets at the next process).
std::unique_ptr<Chorus> makeChorus(float rate, float delaySetting, float depthSetting,
                                   float feedbackSetting)
{
    auto chorus = std::make_unique<Chorus>();
    chorus->setSampleRate(rate);
    chorus->setValue(kDelay, delaySetting);
    chorus->setValue(2, depthSetting);
    chorus->setValue(kFeedback, feedbackSetting);
    chorus->setValue(kMix, 1.0f);
    chorus->setValue(kOn, 1.0f);
    return chorus;
}

// Centre of gravity of |x| from index 1 on: where an interpolated impulse lies.
double centroid(const std::vector<float>& x)
{
    double weighted = 0.0;
    double sum = 0.0;
    for (std::size_t n = 1; n < x.size(); ++n)
    {
        const double magnitude = std::fabs(static_cast<double>(x[n]));
        weighted += static_cast<double>(n) * magnitude;
        sum += magnitude;
    }
    return weighted / sum;
}
} // namespace

TEST(ChorusTest, LineLengthFollowsTheSampleRateUpTo16384)
{
    auto chorus = std::make_unique<Chorus>();
    // The centre delay at full setting is a quarter of the line, shown in milliseconds.
    for (auto [rate, length, shown] : {std::tuple{44100.0f, 4095, "23.2"},
                                       {48000.0f, 4458, "23.2"},
                                       {192000.0f, 16384, "21.3"},
                                       {8000.0f, 743, "23.2"}})
    {
        chorus->setSampleRate(rate);
        EXPECT_EQ(chorus->getLineLength(), length) << rate;
        EXPECT_EQ(text(*chorus, kDelay, Text::kDisplay), shown) << rate;
    }
}

TEST(ChorusTest, DepthZeroIsAPlainDelayOfAQuarterLineTimesTheSetting)
{
    for (float rate : {44100.0f, 48000.0f})
    {
        for (float setting : {1.0f, 0.5f, 0.1f})
        {
            auto chorus = makeChorus(rate, setting, 0.0f, 0.0f);
            StereoSignal signal(3000);
            signal.left[0] = 1.0f;
            signal.right[0] = -1.0f;
            render(*chorus, signal, 128);
            // The wet impulse is split between the two samples around the delay, at full level.
            const double expected = static_cast<double>(setting) * chorus->getLineLength() / 4;
            EXPECT_NEAR(centroid(signal.left), expected, 1e-3) << rate << " " << setting;
            EXPECT_NEAR(centroid(signal.right), expected, 1e-3) << rate << " " << setting;
            double wetSum = 0.0;
            for (std::size_t n = 1; n < signal.frames(); ++n)
            {
                wetSum += static_cast<double>(signal.left[n]);
            }
            EXPECT_NEAR(wetSum, 1.0, 1e-5);
            EXPECT_EQ(signal.left[0], 1.0f);
        }
    }

    // Setting 0 gives the shortest delay, one sample, not a whole line.
    auto chorus = makeChorus(44100.0f, 0.0f, 0.0f, 0.0f);
    StereoSignal signal(5000);
    signal.left[10] = 1.0f;
    render(*chorus, signal, 64);
    EXPECT_EQ(echoes(signal.left, 1e-6), (std::vector<long>{10, 11}));
}

TEST(ChorusTest, SweepMovesLeftWithTheSineAndRightWithTheCosine)
{
    // A ramp input makes the wet signal tell the read position: delay = n - (out - in) / slope,
    // exact under linear interpolation.
    constexpr double kSlope = 1e-4;
    auto chorus = makeChorus(44100.0f, 0.5f, 1.0f, 0.0f);
    chorus->setValue(kFrequency, 1.0f); // 4 Hz: a sweep cycle every 11025 samples
    const double centre = 0.5 * chorus->getLineLength() / 4;
    StereoSignal signal(22050);
    for (std::size_t n = 0; n < signal.frames(); ++n)
    {
        signal.left[n] = static_cast<float>(kSlope * static_cast<double>(n));
    }
    signal.right = signal.left;
    const std::vector<float> ramp = signal.left;
    render(*chorus, signal, 512);

    auto relativeDelay = [&](const std::vector<float>& out, std::size_t n)
    { return (static_cast<double>(n) - static_cast<double>(out[n] - ramp[n]) / kSlope) / centre; };
    for (const std::vector<float>* out : {&signal.left, &signal.right})
    {
        double shortest = 1e9, longest = 0.0;
        for (std::size_t n = 2100; n < signal.frames(); ++n)
        {
            shortest = std::min(shortest, relativeDelay(*out, n));
            longest = std::max(longest, relativeDelay(*out, n));
        }
        // Full depth: from half to twice the centre (the fast power of two is within 0.35 %).
        EXPECT_NEAR(shortest, 0.5, 0.01);
        EXPECT_NEAR(longest, 2.0, 0.02);
    }
    // A quarter cycle in, the sine peaks while the cosine crosses zero; half a cycle in, the
    // sine crosses zero while the cosine is at its minimum.
    EXPECT_NEAR(relativeDelay(signal.left, 2756), 2.0, 0.01);
    EXPECT_NEAR(relativeDelay(signal.right, 2756), 1.0, 0.01);
    EXPECT_NEAR(relativeDelay(signal.left, 5513), 1.0, 0.01);
    EXPECT_NEAR(relativeDelay(signal.right, 5513), 0.5, 0.01);
}

TEST(ChorusTest, FeedbackRingsLongButStaysBounded)
{
    // Setting 0.8 is a whole 819 samples at 44100 Hz: no interpolation loss in the comb, so
    // after 107 round trips in two seconds the echoes still have 0.99^107 = 0.34.
    auto chorus = makeChorus(44100.0f, 0.8f, 0.0f, 1.0f);
    StereoSignal signal(88200);
    signal.left[0] = 1.0f;
    render(*chorus, signal, 512);
    ASSERT_TRUE(TestAnalysis::allFinite(signal.left.data(), signal.frames()));
    const double firstSecond = TestAnalysis::peak(signal.left.data() + 1, 44099);
    const double secondSecond = TestAnalysis::peak(signal.left.data() + 44100, 44100);
    EXPECT_LE(firstSecond, 1.0);
    EXPECT_GT(secondSecond, 0.3);
    EXPECT_LT(secondSecond, firstSecond);

    // Loud noise into swept combs at extreme settings and rates: finite and bounded.
    for (float rate : {8000.0f, 44100.0f, 384000.0f})
    {
        for (float setting : {0.0f, 1.0f})
        {
            auto swept = makeChorus(rate, setting, 1.0f - setting, 1.0f);
            swept->setValue(kFrequency, 1.0f);
            StereoSignal loud(20000);
            loud.left = noise(20000, 21u, 1.0f);
            loud.right = noise(20000, 22u, 1.0f);
            render(*swept, loud, 999);
            ASSERT_TRUE(TestAnalysis::allFinite(loud.left.data(), loud.frames()));
            EXPECT_LT(TestAnalysis::peak(loud.left.data(), loud.frames()), 100.0);
            EXPECT_LT(TestAnalysis::peak(loud.right.data(), loud.frames()), 100.0);
        }
    }
}

TEST(ChorusTest, MixZeroAddsNothingButTheLinesStillFill)
{
    auto chorus = makeChorus(44100.0f, 1.0f, 0.15f, 0.5f);
    chorus->setValue(kMix, 0.0f);
    chorus->reset(); // the wet level jumps to 0
    StereoSignal signal(8192);
    signal.left = noise(8192, 31u, 0.8f);
    signal.right = noise(8192, 32u, 0.8f);
    const StereoSignal dry = signal;
    render(*chorus, signal, 256);
    EXPECT_EQ(signal.left, dry.left);
    EXPECT_EQ(signal.right, dry.right);

    chorus->setValue(kMix, 1.0f); // glides up over silence and brings out what the lines hold
    StereoSignal silence(2048);
    render(*chorus, silence, 256);
    EXPECT_GT(TestAnalysis::peak(silence.left.data(), 1000), 0.05);
}

TEST(ChorusTest, OffLeavesTheChannelsAndSwitchingOnOrResetEmptiesTheLines)
{
    auto chorus = makeChorus(48000.0f, 0.7f, 0.5f, 1.0f);
    StereoSignal loud(4096);
    loud.left = noise(4096, 41u, 1.0f);
    render(*chorus, loud, 512);

    chorus->setValue(kOn, 0.0f);
    StereoSignal offSignal(1024);
    offSignal.left = noise(1024, 42u, 1.0f);
    const StereoSignal dry = offSignal;
    render(*chorus, offSignal, 512);
    EXPECT_EQ(offSignal.left, dry.left);
    EXPECT_EQ(offSignal.right, dry.right);

    chorus->setValue(kOn, 1.0f);
    StereoSignal silence(8192);
    render(*chorus, silence, 512);
    EXPECT_LT(TestAnalysis::peak(silence.left.data(), silence.frames()), 1e-20);

    render(*chorus, loud, 512);
    chorus->reset();
    StereoSignal afterReset(48000);
    render(*chorus, afterReset, 512);
    EXPECT_LT(TestAnalysis::peak(afterReset.left.data(), afterReset.frames()), 1e-20);
    EXPECT_LT(TestAnalysis::peak(afterReset.right.data(), afterReset.frames()), 1e-20);
}

TEST(ChorusTest, FourSamplesAtATimeGiveTheSamplesOfOneAfterAnother)
{
    // Four samples of a block are read and written at once when every read lies at least five
    // samples back; pieces of one to three frames go one sample after the other. A swept delay
    // that passes below five samples, with feedback, and one far longer must give the same
    // samples either way.
    for (float delaySetting : {0.004f, 0.6f})
    {
        auto whole = makeChorus(44100.0f, delaySetting, 1.0f, 0.9f);
        auto pieces = makeChorus(44100.0f, delaySetting, 1.0f, 0.9f);
        for (Chorus* chorus : {whole.get(), pieces.get()})
        {
            chorus->setValue(kFrequency, 1.0f);
        }
        StereoSignal a(20000);
        a.left = noise(20000, 5u, 0.5f);
        a.right = noise(20000, 6u, 0.5f);
        StereoSignal b = a;
        render(*whole, a, 8192);
        int start = 0;
        for (int piece = 0; start < 20000; ++piece)
        {
            const int count = std::min(1 + piece % 3, 20000 - start);
            float* channels[2] = {b.left.data() + start, b.right.data() + start};
            pieces->process(channels, channels, count);
            start += count;
        }
        EXPECT_EQ(a.left, b.left) << delaySetting;
        EXPECT_EQ(a.right, b.right) << delaySetting;
    }
}

TEST(ChorusTest, ParametersAndTexts)
{
    auto chorus = std::make_unique<Chorus>();
    chorus->setSampleRate(44100.0f);
    expectTexts(*chorus, {"Ch On", "Ch Dly", "Ch Dpth", "Ch FB", "Ch Freq", "Ch Mix"},
                {"On/Off", "ms", "Level", "Level", "Hz", "dB"},
                {"Off", "23.2", "0.150", "0.000", "0.800", "-oo"});
    chorus->setValue(kFeedback, 1.0f);
    EXPECT_EQ(text(*chorus, kFeedback, Text::kDisplay), "0.990");
    chorus->setValue(kMix, 0.5f);
    EXPECT_EQ(text(*chorus, kMix, Text::kDisplay), "-12.04");
    chorus->setValue(kDelay, 0.5f); // 511.875 samples
    EXPECT_EQ(text(*chorus, kDelay, Text::kLongDisplay), "11.6");
}
