// The stereo echo: mix, feedback, delay times, ping-pong, tempo sync, sample rates and texts.
#include "components/Delay.h"
#include "components/Smoother.h"

#include "tests/support/Analysis.h"
#include "tests/support/EffectRender.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

using namespace TestEffects;

namespace
{
constexpr int kOn = 0;
constexpr int kFeedback = 1;
constexpr int kLeftTime = 2;
constexpr int kPingPong = 3;
constexpr int kRightTime = 4;
constexpr int kMix = 5;
constexpr int kSync = 6;

// Normalised values selecting the note values "1/4", "1/2" and "1/1".
constexpr float kQuarterBeat = 4.0f / 7.0f;
constexpr float kHalfBeat = 6.0f / 7.0f;
constexpr float kWholeBeat = 1.0f;

using Echoes = std::vector<long>;

// A delay that is on; its first process clears the lines and lets the times and the wet level
// jump to their settings.
std::unique_ptr<Delay> makeDelay(float rate, float leftSetting, float rightSetting,
                                 float feedbackSetting, float mixSetting)
{
    auto delay = std::make_unique<Delay>();
    delay->setSampleRate(rate);
    delay->setValue(kLeftTime, leftSetting);
    delay->setValue(kRightTime, rightSetting);
    delay->setValue(kFeedback, feedbackSetting);
    delay->setValue(kMix, mixSetting);
    delay->setValue(kOn, 1.0f);
    return delay;
}

// An impulse at the start of both channels, rendered.
StereoSignal impulses(Delay& delay, std::size_t frames)
{
    StereoSignal signal(frames);
    signal.left[0] = 1.0f;
    signal.right[0] = 1.0f;
    render(delay, signal, 512);
    return signal;
}
} // namespace

TEST(DelayTest, MixZeroEqualsTheInputWhileTheLinesFill)
{
    auto delay = makeDelay(44100.0f, 0.1f, 0.2f, 0.5f, 0.0f);
    StereoSignal signal(8820);
    signal.left = noise(8820, 1u, 1.0f);
    signal.right = noise(8820, 2u, 1.0f);
    const StereoSignal dry = signal;
    render(*delay, signal, 256);
    EXPECT_EQ(signal.left, dry.left);
    EXPECT_EQ(signal.right, dry.right);

    delay->setValue(kMix, 1.0f); // over silence, the stored signal comes out
    StereoSignal silence(8820);
    render(*delay, silence, 256);
    EXPECT_GT(TestAnalysis::rms(silence.left.data(), 4410), 0.1);
    EXPECT_GT(TestAnalysis::rms(silence.right.data(), 8820), 0.1);
}

TEST(DelayTest, FeedbackOneWithMixOneRepeatsWithoutDecay)
{
    // 0.1 and 0.2 of the line: 4410 and 8820 samples.
    auto delay = makeDelay(44100.0f, 0.1f, 0.2f, 1.0f, 1.0f);
    const StereoSignal out = impulses(*delay, 44100);
    EXPECT_EQ(echoes(out.left, 0.5),
              (Echoes{4410, 8820, 13230, 17640, 22050, 26460, 30870, 35280, 39690}));
    EXPECT_EQ(echoes(out.right, 0.5), (Echoes{8820, 17640, 26460, 35280}));
    EXPECT_NEAR(out.left[39690], 1.0f, 1e-6f);
    EXPECT_NEAR(out.right[35280], 1.0f, 1e-6f);

    // A fractional delay of 4410.5 samples repeats every 4410.5, also across the line's wrap: each
    // echo, read between samples, keeps the impulse's sum and is centred on k x 4410.5.
    delay = makeDelay(44100.0f, 4410.5f / 44100.0f, 0.2f, 1.0f, 1.0f);
    const StereoSignal fractional = impulses(*delay, 88200);
    for (int k = 1; k <= 19; ++k)
    {
        double sum = 0.0;
        double moment = 0.0;
        for (int n = 4410 * k - 200; n < 4411 * k + 200; ++n)
        {
            const double x = static_cast<double>(fractional.left[static_cast<std::size_t>(n)]);
            sum += x;
            moment += x * n;
        }
        EXPECT_NEAR(sum, 1.0, 1e-4) << k;
        EXPECT_NEAR(moment / sum, 4410.5 * k, 0.05) << k;
    }
}

TEST(DelayTest, SettingZeroHearsTheSampleJustWrittenAndFullScaleAlmostASecond)
{
    auto delay = makeDelay(44100.0f, 0.0f, 1.0f, 0.0f, 1.0f);
    StereoSignal signal(44200);
    signal.left = noise(44200, 3u, 0.5f);
    const std::vector<float> dry = signal.left;
    signal.right[0] = 1.0f;
    render(*delay, signal, 1000);
    for (std::size_t n = 0; n < signal.frames(); ++n)
    {
        ASSERT_FLOAT_EQ(signal.left[n], 2.0f * dry[n]) << n; // input x (1 + wet)
    }
    // The longest delay the one-second line holds is one sample short of a second.
    EXPECT_EQ(echoes(signal.right, 0.5), (Echoes{44099}));
}

TEST(DelayTest, PingPongAlternatesTheEchoesBetweenChannels)
{
    // Left delay 4410 samples, right delay 8820, feedback one half; one impulse per render.
    for (bool fromLeft : {true, false})
    {
        auto delay = makeDelay(44100.0f, 0.1f, 0.2f, 0.5f, 1.0f);
        delay->setValue(kPingPong, 1.0f);
        StereoSignal signal(30000);
        (fromLeft ? signal.left : signal.right)[0] = 1.0f;
        render(*delay, signal, 333);
        const std::vector<float>& first = fromLeft ? signal.right : signal.left;
        const std::vector<float>& second = fromLeft ? signal.left : signal.right;
        // From the left: heard right after the right delay, then left after both delays...
        // From the right: heard left after the left delay first.
        const Echoes firstExpected = fromLeft ? Echoes{8820, 22050} : Echoes{4410, 17640};
        EXPECT_EQ(echoes(first, 0.01), firstExpected) << fromLeft;
        EXPECT_EQ(echoes(second, 0.01), (Echoes{13230, 26460})) << fromLeft;
        EXPECT_FLOAT_EQ(first[static_cast<std::size_t>(firstExpected[0])], 1.0f);
        EXPECT_FLOAT_EQ(second[13230], 0.5f);
        EXPECT_FLOAT_EQ(first[static_cast<std::size_t>(firstExpected[1])], 0.25f);
    }
}

TEST(DelayTest, SyncedTimesFollowTheTempoUpToTheLine)
{
    const struct
    {
        double bpm;
        float leftNote;
        float rightNote;
        long leftSamples;
        long rightSamples;
    } cases[] = {
        {120.0, kHalfBeat, kWholeBeat, 11025, 22050},   // 0.25 s and 0.5 s
        {30.0, kQuarterBeat, kWholeBeat, 22050, 44099}, // 0.5 s; 2 s is limited to the line
        {120.0, 0.25f, 0.25f, 3675, 3675},              // the default "1/6": 1/12 s
    };
    for (const auto& c : cases)
    {
        auto delay = makeDelay(44100.0f, c.leftNote, c.rightNote, 0.0f, 1.0f);
        delay->setValue(kSync, 1.0f);
        StereoSignal settle(88200); // the times glide to the tempo over two seconds
        render(*delay, settle, 4096);
        delay->setTempo(c.bpm);
        render(*delay, settle, 4096);
        const StereoSignal out = impulses(*delay, 45000);
        const Echoes left = echoes(out.left, 0.5);
        const Echoes right = echoes(out.right, 0.5);
        ASSERT_EQ(left.size(), 1u);
        ASSERT_EQ(right.size(), 1u);
        // A setting in float can round an exact time up by one sample (1/12 s here).
        EXPECT_NEAR(static_cast<double>(left[0]), static_cast<double>(c.leftSamples), 1.0);
        EXPECT_NEAR(static_cast<double>(right[0]), static_cast<double>(c.rightSamples), 1.0);
    }
}

TEST(DelayTest, TempoIsIgnoredWithoutSyncAndWhenItIsNotUsable)
{
    auto free = makeDelay(44100.0f, 0.1f, 0.1f, 0.0f, 1.0f);
    free->setTempo(120.0);
    free->reset();
    EXPECT_EQ(echoes(impulses(*free, 5000).left, 0.5), (Echoes{4410}));

    auto synced = makeDelay(44100.0f, 0.1f, 0.1f, 1.0f, 1.0f);
    synced->setValue(kSync, 1.0f);
    for (double bpm : {0.0, -120.0, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity(), 1e300, 1e-300})
    {
        synced->setTempo(bpm);
        StereoSignal signal(20000);
        signal.left = noise(20000, 9u, 1.0f);
        render(*synced, signal, 4096);
        EXPECT_TRUE(TestAnalysis::allFinite(signal.left.data(), signal.frames())) << bpm;
        EXPECT_TRUE(TestAnalysis::allFinite(signal.right.data(), signal.frames())) << bpm;
    }
}

TEST(DelayTest, SyncOffRestoresTheTimesAndSwitchesClearTheLines)
{
    auto delay = makeDelay(44100.0f, kHalfBeat, kWholeBeat, 0.0f, 1.0f);
    delay->setValue(kSync, 1.0f);
    delay->setTempo(120.0);
    impulses(*delay, 5000); // its echoes would come at 11025 and 22050

    delay->setValue(kSync, 0.0f);
    const StereoSignal after = impulses(*delay, 45000);
    // Only the new impulses come back, after the free times: 6/7 s and the longest delay.
    EXPECT_EQ(echoes(after.left, 0.5), (Echoes{37800}));
    EXPECT_EQ(echoes(after.right, 0.5), (Echoes{44099}));

    StereoSignal filled(1000);
    filled.left = noise(1000, 4u, 1.0f);
    render(*delay, filled, 500);
    delay->setValue(kOn, 0.0f);
    delay->setValue(kOn, 1.0f);
    StereoSignal silence(44100);
    render(*delay, silence, 512);
    EXPECT_LT(TestAnalysis::peak(silence.left.data(), silence.frames()), 1e-20);
}

TEST(DelayTest, SampleRateChangeKeepsTheTimesAsFractionsOfTheLine)
{
    auto delay = makeDelay(44100.0f, 0.25f, 0.5f, 0.0f, 1.0f);
    StereoSignal run(40000);
    render(*delay, run, 4096);
    delay->setSampleRate(48000.0f);
    EXPECT_EQ(delay->getLineLength(), 48000);
    StereoSignal out = impulses(*delay, 30000);
    EXPECT_EQ(echoes(out.left, 0.5), (Echoes{12000}));
    StereoSignal moreRun(25000); // the write position is now at 47000, past a 44100-sample line
    render(*delay, moreRun, 4096);

    delay->setSampleRate(44100.0f);
    EXPECT_EQ(delay->getLineLength(), 44100);
    out = impulses(*delay, 160000);
    EXPECT_EQ(echoes(out.left, 0.5), (Echoes{11025}));
    EXPECT_EQ(echoes(out.right, 1e-6), (Echoes{22050})); // no leftovers from 48000 Hz

    // Above 192000 Hz the line is capped (half a second at 384000 Hz); synced times stay true.
    delay->setSampleRate(384000.0f);
    EXPECT_EQ(delay->getLineLength(), 192000);
    delay->setValue(kLeftTime, kHalfBeat);
    delay->setValue(kSync, 1.0f);
    delay->setTempo(120.0);
    out = impulses(*delay, 100000); // the clear for Sync lets the times jump to the tempo
    EXPECT_EQ(echoes(out.left, 0.5), (Echoes{96000}));
}

TEST(DelayTest, WetLevelGlidesAndArrivesExactly)
{
    for (float rate : {44100.0f, 384000.0f})
    {
        // Delay 0 and feedback 0: the output is the input times 1 + wet.
        auto delay = makeDelay(rate, 0.0f, 0.0f, 0.0f, 0.0f);
        StereoSignal start(16);
        render(*delay, start, 16);
        delay->setValue(kMix, 1.0f);
        const auto timeConstant = static_cast<std::size_t>(rate * 0.05f);
        StereoSignal signal(timeConstant * 20);
        signal.left.assign(signal.frames(), 1.0f);
        render(*delay, signal, 256);
        EXPECT_NEAR(signal.left[timeConstant] - 1.0f, 0.632f, 0.01f) << rate;
        EXPECT_EQ(signal.left.back(), 2.0f) << rate;
        EXPECT_LE(TestAnalysis::peak(signal.left.data(), signal.frames()), 2.0); // no overshoot
    }
}

TEST(DelayTest, ParametersAndTextsFollowSync)
{
    auto delay = std::make_unique<Delay>();
    expectTexts(*delay, {"D On", "D FB", "D LDly", "D PanD", "D RDly", "D Mix", "D Sync"},
                {"On/Off", "Level", "ms", "On/Off", "ms", "dB", "On/Off"},
                {"Off", "0.000", "250.0", "Off", "500.0", "-oo", "Off"});

    delay->setValue(kSync, 1.0f);
    for (int index : {kLeftTime, kRightTime})
    {
        EXPECT_EQ(text(*delay, index, Text::kLabel), "Res");
        EXPECT_EQ(text(*delay, index, Text::kDisplay), "1/6");
    }
    delay->setValue(kLeftTime, kHalfBeat);
    delay->setValue(kRightTime, 0.0f);
    EXPECT_EQ(text(*delay, kLeftTime, Text::kLongDisplay), "1/2");
    EXPECT_EQ(text(*delay, kRightTime, Text::kDisplay), "1/8");
    EXPECT_EQ(text(*delay, kFeedback, Text::kLabel), "Level");

    delay->setValue(kSync, 0.0f);
    EXPECT_EQ(text(*delay, kLeftTime, Text::kLabel), "ms");
    EXPECT_EQ(text(*delay, kLeftTime, Text::kLongDisplay), "857.1");
    // Above 192000 Hz the line holds less than a second: the text follows the time, not the
    // setting.
    delay->setSampleRate(384000.0f);
    EXPECT_EQ(text(*delay, kLeftTime, Text::kDisplay), "428.6");
}

TEST(DelayTest, AGlidingTimeBendsThePitchWithoutDistortion)
{
    // 0.25 s to 0.30 s while a sine sounds through the left line. A twin of the delay's time
    // smoother gives the time of each sample, and so the ideal echo sin(w (n - delay)).
    constexpr int kBlock = 256;
    constexpr std::size_t kFrames = 3 * 44032;
    for (double hz : {220.0, 1000.0, 3000.0, 6000.0, 10000.0})
    {
        auto delay = makeDelay(44100.0f, 0.25f, 0.5f, 0.0f, 1.0f);
        Smoother time(false, Smoother::kDisplayMilliseconds, "T", "ms", 0.25f, 44100.0f);
        StereoSignal signal(kFrames);
        signal.left = sine(kFrames, hz, 44100.0, 0.5);
        const std::vector<float> dry = signal.left;
        double error = 0.0; // squared, summed over the two seconds from the change
        for (std::size_t start = 0; start < kFrames; start += kBlock)
        {
            if (start == 172 * kBlock) // after a second
            {
                delay->setValue(kLeftTime, 0.30f);
                time.setValue(0, 0.30f);
            }
            float* channels[2] = {signal.left.data() + start, signal.right.data() + start};
            delay->process(channels, channels, kBlock);
            time.process(kBlock);
            for (std::size_t n = start; n < start + kBlock && start >= 44032; ++n)
            {
                const double at =
                    static_cast<double>(n) - static_cast<double>(time.getOutput()[n - start]);
                error += std::pow(static_cast<double>(signal.left[n] - dry[n]) -
                                      0.5 * std::sin(2.0 * std::numbers::pi * hz * at / 44100.0),
                                  2.0);
            }
        }
        EXPECT_GT(time.getOutput()[kBlock - 1], 13000.0f) << hz; // the time did glide
        EXPECT_LT(TestAnalysis::decibels(std::sqrt(error / (0.125 * 88064.0))), -80.0) << hz;
    }
}
