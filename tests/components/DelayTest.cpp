// The stereo echo: mix, feedback, delay times, ping-pong, tempo sync, sample rates and texts.
#include "components/Delay.h"

#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"
#include "tests/support/EffectRender.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using TestEffects::render;
using TestEffects::StereoSignal;

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

// A delay that is on, with the given settings reached (the first process clears and jumps).
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

// Indexes after the first sample whose magnitude reaches threshold.
std::vector<long> echoes(const std::vector<float>& x, double threshold)
{
    std::vector<long> found;
    for (std::size_t n = 1; n < x.size(); ++n)
    {
        if (std::fabs(static_cast<double>(x[n])) >= threshold)
        {
            found.push_back(static_cast<long>(n));
        }
    }
    return found;
}

std::string display(const Delay& delay, int index)
{
    char text[8] = {};
    delay.getDisplay(index, text);
    return text;
}

std::string label(const Delay& delay, int index)
{
    char text[8] = {};
    delay.getLabel(index, text);
    return text;
}

// An impulse at the start of both channels; returns the rendered signal.
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
    signal.left = TestEffects::noise(8820, 1u, 1.0f);
    signal.right = TestEffects::noise(8820, 2u, 1.0f);
    const StereoSignal dry = signal;
    render(*delay, signal, 256);
    EXPECT_EQ(signal.left, dry.left);
    EXPECT_EQ(signal.right, dry.right);

    // Turning the mix up over silence brings the stored signal out.
    delay->setValue(kMix, 1.0f);
    StereoSignal silence(8820);
    render(*delay, silence, 256);
    EXPECT_GT(TestAnalysis::rms(silence.left.data(), 4410), 0.1);
    EXPECT_GT(TestAnalysis::rms(silence.right.data(), 8820), 0.1);
}

TEST(DelayTest, FeedbackOneWithMixOneRepeatsWithoutDecay)
{
    auto delay = makeDelay(44100.0f, 0.1f, 0.2f, 1.0f, 1.0f); // 4410 and 8820 samples
    StereoSignal signal(44100);
    signal.left[0] = 1.0f;
    signal.right[0] = -1.0f;
    render(*delay, signal, 512);
    const std::vector<long> left = echoes(signal.left, 0.5);
    const std::vector<long> right = echoes(signal.right, 0.5);
    ASSERT_EQ(left.size(), 9u);
    ASSERT_EQ(right.size(), 4u);
    for (std::size_t k = 0; k < left.size(); ++k)
    {
        EXPECT_EQ(left[k], 4410L * static_cast<long>(k + 1));
        EXPECT_NEAR(signal.left[static_cast<std::size_t>(left[k])], 1.0f, 1e-6f);
    }
    for (std::size_t k = 0; k < right.size(); ++k)
    {
        EXPECT_EQ(right[k], 8820L * static_cast<long>(k + 1));
        EXPECT_NEAR(signal.right[static_cast<std::size_t>(right[k])], -1.0f, 1e-6f);
    }
}

TEST(DelayTest, FractionalDelaysKeepOneSpacingAcrossTheWrapOfTheLine)
{
    // 4410.5 samples: every echo, also those that cross the end of the line, comes 4411 later.
    auto delay = makeDelay(44100.0f, 4410.5f / 44100.0f, 0.2f, 1.0f, 1.0f);
    StereoSignal signal(88200);
    signal.left[0] = 1.0f;
    render(*delay, signal, 512);
    const std::vector<long> found = echoes(signal.left, 0.5);
    ASSERT_EQ(found.size(), 19u);
    for (std::size_t k = 0; k < found.size(); ++k)
    {
        EXPECT_EQ(found[k], 4411L * static_cast<long>(k + 1)) << k;
    }
}

TEST(DelayTest, SettingZeroHearsTheSampleJustWrittenAndFullScaleAWholeSecond)
{
    auto delay = makeDelay(44100.0f, 0.0f, 1.0f, 0.0f, 1.0f);
    StereoSignal signal(44200);
    signal.left = TestEffects::noise(44200, 3u, 0.5f);
    const std::vector<float> dry = signal.left;
    signal.right[0] = 1.0f;
    render(*delay, signal, 1000);
    for (std::size_t n = 0; n < signal.frames(); ++n)
    {
        ASSERT_FLOAT_EQ(signal.left[n], 2.0f * dry[n]) << n; // input x (1 + wet)
    }
    // The longest delay the one-second line holds: one sample short of a second.
    EXPECT_EQ(echoes(signal.right, 0.5), (std::vector<long>{44099}));
}

TEST(DelayTest, PingPongAlternatesTheEchoesBetweenChannels)
{
    // Left 4410 samples, right 8820 samples, feedback one half.
    {
        auto delay = makeDelay(44100.0f, 0.1f, 0.2f, 0.5f, 1.0f);
        delay->setValue(kPingPong, 1.0f);
        StereoSignal signal(30000);
        signal.left[0] = 1.0f;
        render(*delay, signal, 333);
        // Entering on the left: right after the right delay, then left after both, and so on.
        EXPECT_EQ(echoes(signal.right, 0.01), (std::vector<long>{8820, 22050}));
        EXPECT_EQ(echoes(signal.left, 0.01), (std::vector<long>{13230, 26460}));
        EXPECT_FLOAT_EQ(signal.right[8820], 1.0f);
        EXPECT_FLOAT_EQ(signal.left[13230], 0.5f);
        EXPECT_FLOAT_EQ(signal.right[22050], 0.25f);
    }
    {
        auto delay = makeDelay(44100.0f, 0.1f, 0.2f, 0.5f, 1.0f);
        delay->setValue(kPingPong, 1.0f);
        StereoSignal signal(30000);
        signal.right[0] = 1.0f;
        render(*delay, signal, 333);
        // Entering on the right: left after the left delay first.
        EXPECT_EQ(echoes(signal.left, 0.01), (std::vector<long>{4410, 17640}));
        EXPECT_EQ(echoes(signal.right, 0.01), (std::vector<long>{13230, 26460}));
        EXPECT_FLOAT_EQ(signal.left[4410], 1.0f);
        EXPECT_FLOAT_EQ(signal.right[13230], 0.5f);
        EXPECT_FLOAT_EQ(signal.left[17640], 0.25f);
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
    };
    for (const auto& c : cases)
    {
        auto delay = makeDelay(44100.0f, c.leftNote, c.rightNote, 0.0f, 1.0f);
        delay->setValue(kSync, 1.0f);
        delay->setTempo(c.bpm);
        // The times glide there; let the glide finish over two seconds of silence.
        StereoSignal settle(88200);
        render(*delay, settle, 4096);
        const StereoSignal out = impulses(*delay, 45000);
        EXPECT_EQ(echoes(out.left, 0.5), (std::vector<long>{c.leftSamples})) << c.bpm;
        EXPECT_EQ(echoes(out.right, 0.5), (std::vector<long>{c.rightSamples})) << c.bpm;
    }

    // The default note value "1/6" at 120 BPM: 1/12 s, 3675 samples (the float setting may round
    // it up by one).
    auto delay = makeDelay(44100.0f, 0.25f, 0.25f, 0.0f, 1.0f);
    delay->setValue(kSync, 1.0f);
    delay->setTempo(120.0);
    delay->reset(); // the times jump to their targets
    const StereoSignal out = impulses(*delay, 5000);
    const std::vector<long> found = echoes(out.left, 0.5);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(static_cast<double>(found[0]), 3675.0, 1.0);
}

TEST(DelayTest, TempoIsIgnoredWithoutSyncAndWhenItIsNotUsable)
{
    auto free = makeDelay(44100.0f, 0.1f, 0.1f, 0.0f, 1.0f);
    free->setTempo(120.0);
    free->reset();
    EXPECT_EQ(echoes(impulses(*free, 5000).left, 0.5), (std::vector<long>{4410}));

    const double damaged[] = {0.0,
                              -120.0,
                              std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(),
                              1e300,
                              1e-300};
    auto synced = makeDelay(44100.0f, 0.1f, 0.1f, 1.0f, 1.0f);
    synced->setValue(kSync, 1.0f);
    for (double bpm : damaged)
    {
        synced->setTempo(bpm);
        StereoSignal signal(20000);
        signal.left = TestEffects::noise(20000, 9u, 1.0f);
        render(*synced, signal, 4096);
        EXPECT_TRUE(TestAnalysis::allFinite(signal.left.data(), signal.frames())) << bpm;
        EXPECT_TRUE(TestAnalysis::allFinite(signal.right.data(), signal.frames())) << bpm;
    }
}

TEST(DelayTest, SyncOffRestoresTheTimesAndClearsTheLines)
{
    auto delay = makeDelay(44100.0f, kHalfBeat, kWholeBeat, 0.0f, 1.0f);
    delay->setValue(kSync, 1.0f);
    delay->setTempo(120.0);
    delay->reset();
    StereoSignal before(5000);
    before.left[0] = 1.0f;
    before.right[0] = 1.0f;
    render(*delay, before, 512); // the echoes would come at 11025 and 22050

    delay->setValue(kSync, 0.0f);
    const StereoSignal after = impulses(*delay, 45000);
    // Only the new impulses come back, after the free times: 6/7 s and the longest delay.
    EXPECT_EQ(echoes(after.left, 0.5), (std::vector<long>{37800}));
    EXPECT_EQ(echoes(after.right, 0.5), (std::vector<long>{44099}));

    // Switching the delay off and on clears the lines too.
    StereoSignal filled(1000);
    filled.left = TestEffects::noise(1000, 4u, 1.0f);
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
    // Move the write position far into the line, then change to 48000 Hz and back.
    StereoSignal run(40000);
    render(*delay, run, 4096);
    delay->setSampleRate(48000.0f);
    EXPECT_EQ(delay->getLineLength(), 48000);
    StereoSignal out = impulses(*delay, 30000);
    EXPECT_EQ(echoes(out.left, 0.5), (std::vector<long>{12000}));
    StereoSignal moreRun(25000); // write position now at 47000, past a 44100-sample line
    render(*delay, moreRun, 4096);

    delay->setSampleRate(44100.0f);
    EXPECT_EQ(delay->getLineLength(), 44100);
    out = impulses(*delay, 160000);
    EXPECT_EQ(echoes(out.left, 0.5), (std::vector<long>{11025}));
    // With no feedback nothing but the one echo per channel, and no leftovers from 48000 Hz.
    EXPECT_EQ(echoes(out.right, 1e-6), (std::vector<long>{22050}));

    // Above 192000 Hz the line is capped, so it holds half a second at 384000 Hz; the times stay
    // fractions of it, but synced times remain true to the tempo.
    delay->setSampleRate(384000.0f);
    EXPECT_EQ(delay->getLineLength(), 192000);
    delay->setValue(kLeftTime, kHalfBeat);
    delay->setValue(kSync, 1.0f);
    delay->setTempo(120.0);
    out = impulses(*delay, 100000); // the clear for Sync lets the times jump to the tempo
    EXPECT_EQ(echoes(out.left, 0.5), (std::vector<long>{96000})); // 0.25 s at 384000 Hz
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
        const int timeConstant = static_cast<int>(rate * 0.05f);
        StereoSignal signal(static_cast<std::size_t>(timeConstant) * 20);
        for (float& x : signal.left)
        {
            x = 1.0f;
        }
        render(*delay, signal, 256);
        const float wetAtTimeConstant = signal.left[static_cast<std::size_t>(timeConstant)] - 1.0f;
        EXPECT_GT(wetAtTimeConstant, 0.6f) << rate;
        EXPECT_LT(wetAtTimeConstant, 0.7f) << rate;
        EXPECT_EQ(signal.left.back(), 2.0f) << rate;
        for (std::size_t n = 0; n < signal.frames(); ++n)
        {
            ASSERT_LE(signal.left[n], 2.0f) << n; // never past the target
        }
    }
}

TEST(DelayTest, SilenceAfterResetGivesSilence)
{
    auto delay = makeDelay(48000.0f, 0.3f, 0.7f, 1.0f, 1.0f);
    StereoSignal loud(4096);
    loud.left = TestEffects::noise(4096, 5u, 1.0f);
    loud.right = TestEffects::noise(4096, 6u, 1.0f);
    render(*delay, loud, 512);
    delay->reset();
    StereoSignal silence(96000);
    render(*delay, silence, 512);
    EXPECT_LT(TestAnalysis::peak(silence.left.data(), silence.frames()), 1e-20);
    EXPECT_LT(TestAnalysis::peak(silence.right.data(), silence.frames()), 1e-20);
}

TEST(DelayTest, SplitRendersEqualOneRenderAndAllocateNothing)
{
    auto one = makeDelay(44100.0f, 0.05f, 0.08f, 0.7f, 0.8f);
    auto pieces = makeDelay(44100.0f, 0.05f, 0.08f, 0.7f, 0.8f);
    for (Delay* delay : {one.get(), pieces.get()})
    {
        delay->setValue(kPingPong, 1.0f);
        delay->setValue(kLeftTime, 0.03f); // gliding during the render
        delay->setValue(kMix, 0.5f);
    }
    StereoSignal whole(8192);
    whole.left = TestEffects::noise(8192, 7u, 1.0f);
    whole.right = TestEffects::noise(8192, 8u, 1.0f);
    StereoSignal split = whole;
    TestAllocation::Scope allocations;
    render(*one, whole, 8192);
    render(*pieces, split, 61);
    one->setTempo(100.0);
    EXPECT_EQ(allocations.count(), 0);
    EXPECT_EQ(whole.left, split.left);
    EXPECT_EQ(whole.right, split.right);
}

TEST(DelayTest, ParametersAndTextsFollowSync)
{
    auto delay = std::make_unique<Delay>();
    ASSERT_EQ(delay->getParameterCount(), 7);
    const char* names[] = {"D On", "D FB", "D LDly", "D PanD", "D RDly", "D Mix", "D Sync"};
    const char* labels[] = {"On/Off", "Level", "ms", "On/Off", "ms", "dB", "On/Off"};
    const char* displays[] = {"Off", "0.000", "0.250", "Off", "0.500", "-oo", "Off"};
    for (int index = 0; index < 7; ++index)
    {
        char text[8];
        delay->getName(index, text);
        EXPECT_STREQ(text, names[index]);
        EXPECT_EQ(label(*delay, index), labels[index]);
        EXPECT_EQ(display(*delay, index), displays[index]) << index;
    }

    delay->setValue(kSync, 1.0f);
    EXPECT_EQ(label(*delay, kLeftTime), "Res");
    EXPECT_EQ(display(*delay, kLeftTime), "1/6");
    EXPECT_EQ(label(*delay, kRightTime), "Res");
    EXPECT_EQ(display(*delay, kRightTime), "1/6");
    delay->setValue(kLeftTime, kHalfBeat);
    delay->setValue(kRightTime, 0.0f);
    EXPECT_EQ(display(*delay, kLeftTime), "1/2");
    EXPECT_EQ(display(*delay, kRightTime), "1/8");
    char longText[24];
    delay->getLongDisplay(kLeftTime, longText);
    EXPECT_STREQ(longText, "1/2");
    EXPECT_EQ(label(*delay, kFeedback), "Level"); // other indexes are unaffected

    delay->setValue(kSync, 0.0f);
    EXPECT_EQ(label(*delay, kLeftTime), "ms");
    EXPECT_EQ(display(*delay, kLeftTime), "0.857");
    delay->getLongDisplay(kLeftTime, longText);
    EXPECT_STREQ(longText, "0.857");
}
