// The oversampled overdrive: pass-through, passband gain, clipping bound, texts, invariants, and
// the fast path bit for bit against a plain per-sample loop.
#include "components/Overdrive.h"

#include "components/FastMath.h"
#include "components/Smoother.h"

#include "tests/support/Analysis.h"
#include "tests/support/EffectRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

using namespace TestEffects;

namespace
{
constexpr double kRate = 44100.0;

std::unique_ptr<Overdrive> makeOverdrive(bool on, float level)
{
    auto overdrive = std::make_unique<Overdrive>();
    overdrive->setValue(0, on ? 1.0f : 0.0f);
    overdrive->setValue(1, level);
    return overdrive;
}

// The overdrive's algorithm written as the plain loop it replaces: per sample four oversampled
// steps (the sample, then three zeros), each through eight one-pole stages in turn, the driven
// clipper and eight more stages; the second chain's state after a sample's first step is that
// sample's output. Its own level smoother, set like the overdrive's, glides the same way.
class PlainOverdrive
{
public:
    explicit PlainOverdrive(float rateHz) { level.setSampleRate(rateHz); }
    void setLevel(float setting) { level.setValue(0, setting); }

    void process(bool on, float* samples, int count)
    {
        level.process(count);
        if (!on)
        {
            return;
        }
        constexpr float kKnee = 0.63f;
        constexpr float kCoefficient = 0.32476809f; // 1 - exp(-pi/8)
        for (int n = 0; n < count; ++n)
        {
            const float drive = (level.getOutput()[n] * 25.0f + 1.0f) * 4.0f;
            for (int step = 0; step < Overdrive::kOversampling; ++step)
            {
                float x = (step == 0 ? samples[n] : 0.0f) + kAntiDenormal;
                for (float& state : up)
                {
                    state = state + (x - state) * kCoefficient;
                    x = state;
                }
                float c = drive * x;
                if (c > kKnee)
                {
                    c = (1.0f - kKnee / c) * (1.0f - kKnee) + kKnee;
                }
                else if (c < -kKnee)
                {
                    c = -((1.0f - kKnee / -c) * (1.0f - kKnee) + kKnee);
                }
                x = c + kAntiDenormal;
                for (float& state : down)
                {
                    state = state + (x - state) * kCoefficient;
                    x = state;
                }
                if (step == 0)
                {
                    samples[n] = x;
                }
            }
        }
    }

private:
    Smoother level{true, Smoother::kDisplayValue, "OD Lvl", "Level", 0.0f, 1.0f};
    float up[Overdrive::kFilterStages] = {};
    float down[Overdrive::kFilterStages] = {};
};
} // namespace

TEST(OverdriveTest, MatchesThePlainLoopBitForBit)
{
    // Each case: rate, the block sizes cycled through, the level before and after the middle, a
    // stretch switched off (frames), and the input. Blocks of 1 to 5 frames are shorter than the
    // sixteen staggered stages; a level change glides across the blocks; the quiet tail checks
    // the settling on the anti-denormal offset.
    enum Input
    {
        kSine,
        kNoise,
        kSquare,
        kClicksThenSilence,
    };
    struct Case
    {
        float rateHz;
        std::vector<int> blocks;
        float level;
        float laterLevel;
        int offFrom;
        int offTo;
        Input input;
    };
    const Case cases[] = {
        {44100.0f, {64}, 0.0f, 0.0f, 0, 0, kSine},
        {44100.0f, {1, 3, 5, 2, 4}, 0.5f, 1.0f, 0, 0, kNoise},
        {48000.0f, {8192}, 1.0f, 0.2f, 0, 0, kSquare},
        {96000.0f, {7, 512, 13}, 0.8f, 0.8f, 3000, 4500, kNoise},
        {44100.0f, {256, 1}, 0.3f, 0.0f, 0, 0, kClicksThenSilence},
        {192000.0f, {100}, 0.05f, 0.9f, 1000, 1001, kSine},
    };
    constexpr int kFrames = 9000;
    for (std::size_t index = 0; index < std::size(cases); ++index)
    {
        const Case& c = cases[index];
        std::vector<float> input = c.input == kNoise ? noise(kFrames, 3u + index, 1.5f)
                                                     : sine(kFrames, 331.0, c.rateHz, 0.9);
        for (int n = 0; n < kFrames; ++n)
        {
            float& x = input[static_cast<std::size_t>(n)];
            x = c.input == kSquare              ? (x >= 0.0f ? 2.0f : -2.0f)
                : c.input == kClicksThenSilence ? (n < 2000 && n % 97 == 0 ? 1.0f : 0.0f)
                                                : x;
        }
        auto overdrive = makeOverdrive(true, c.level);
        overdrive->setSampleRate(c.rateHz);
        PlainOverdrive plain(c.rateHz);
        plain.setLevel(c.level);
        StereoSignal fast(kFrames);
        fast.left = input;
        std::vector<float> expected = input;
        for (int start = 0, block = 0; start < kFrames; ++block)
        {
            const int count = std::min(c.blocks[block % c.blocks.size()], kFrames - start);
            if (start >= kFrames / 2 && start - count < kFrames / 2)
            {
                overdrive->setValue(1, c.laterLevel);
                plain.setLevel(c.laterLevel);
            }
            const bool on = start < c.offFrom || start >= c.offTo;
            overdrive->setValue(0, on ? 1.0f : 0.0f);
            float* channels[2] = {fast.left.data() + start, fast.right.data() + start};
            overdrive->process(channels, channels, count);
            plain.process(on, expected.data() + start, count);
            start += count;
        }
        const auto differ =
            std::mismatch(expected.begin(), expected.end(), fast.left.begin(),
                          [](float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; });
        if (differ.first != expected.end())
        {
            ADD_FAILURE() << "case " << index << ": frame " << (differ.first - expected.begin())
                          << " is " << *differ.second << ", the plain loop gives " << *differ.first;
        }
    }
}

TEST(OverdriveTest, OffPassesBothChannelsUnchanged)
{
    auto overdrive = makeOverdrive(false, 1.0f);
    StereoSignal signal(5000);
    signal.left = noise(5000, 7u, 1.0f);
    signal.right = noise(5000, 8u, 1.0f);
    const StereoSignal dry = signal;
    render(*overdrive, signal, 512);
    EXPECT_EQ(signal.left, dry.left);
    EXPECT_EQ(signal.right, dry.right);
}

TEST(OverdriveTest, LevelZeroPassesSmallSignalsWithUnitGainInThePassband)
{
    // Sixteen one-pole stages with corners at a quarter of the rate: almost nothing is lost at
    // 100 Hz, about 0.56 dB at 1 kHz.
    for (auto [frequencyHz, toleranceDb] : {std::pair{100.0, 0.01}, std::pair{1000.0, 0.6}})
    {
        auto overdrive = makeOverdrive(true, 0.0f);
        StereoSignal signal(44100);
        signal.left = sine(44100, frequencyHz, kRate, 0.1);
        signal.right = signal.left;
        const std::vector<float> right = signal.right;
        render(*overdrive, signal, 256);
        const float* settled = signal.left.data() + 4410; // whole cycles after 0.1 s
        const double amplitude = TestAnalysis::toneAmplitude(settled, 39690, frequencyHz, kRate);
        EXPECT_NEAR(TestAnalysis::decibels(amplitude / 0.1), 0.0, toleranceDb) << frequencyHz;
        // Linear: no third harmonic. The second channel is not touched.
        EXPECT_LT(TestAnalysis::toneAmplitude(settled, 39690, 3.0 * frequencyHz, kRate), 1e-5);
        EXPECT_EQ(signal.right, right);
    }
}

TEST(OverdriveTest, FullScaleAtLevelOneDistortsButNeverExceedsOne)
{
    auto overdrive = makeOverdrive(true, 1.0f);
    // A full-scale square for 0.5 s, then a full-scale sine; the level reaches 1 after 1.3 s.
    StereoSignal signal(88200);
    signal.left = sine(88200, 441.0, kRate, 1.0);
    for (std::size_t n = 0; n < 22050; ++n)
    {
        signal.left[n] = (n / 50) % 2 == 0 ? 1.0f : -1.0f;
    }
    render(*overdrive, signal, 1000);
    EXPECT_TRUE(TestAnalysis::allFinite(signal.left.data(), signal.frames()));
    EXPECT_LE(TestAnalysis::peak(signal.left.data(), signal.frames()), 1.0);
    const float* tail = signal.left.data() + 66150;
    const double fundamental = TestAnalysis::toneAmplitude(tail, 22050, 441.0, kRate);
    EXPECT_GT(fundamental, 0.9);
    EXPECT_GT(TestAnalysis::toneAmplitude(tail, 22050, 1323.0, kRate) / fundamental, 0.15);
}

TEST(OverdriveTest, CountZeroChangesNothing)
{
    auto reference = makeOverdrive(true, 0.6f);
    auto interrupted = makeOverdrive(true, 0.6f);
    StereoSignal a(4096);
    a.left = sine(4096, 300.0, kRate, 0.8);
    StereoSignal b = a;
    render(*reference, a, 4096);

    float sentinel[2] = {0.25f, 0.5f};
    float* channels[2] = {&sentinel[0], &sentinel[1]};
    for (int piece = 0; piece < 4; ++piece)
    {
        float* pieceChannels[2] = {b.left.data() + piece * 1024, b.right.data() + piece * 1024};
        interrupted->process(pieceChannels, pieceChannels, 1024);
        interrupted->process(channels, channels, 0);
    }
    EXPECT_EQ(sentinel[0], 0.25f);
    EXPECT_EQ(sentinel[1], 0.5f);
    EXPECT_EQ(a.left, b.left);
}

TEST(OverdriveTest, PiecesShorterThanItsStagesGiveTheSameSamples)
{
    // The stages of a block run staggered; a block of one to four frames (4 to 16 oversampled
    // steps, fewer than the 16 stages) must still leave every stage at the block's last step.
    auto reference = makeOverdrive(true, 0.8f);
    auto pieces = makeOverdrive(true, 0.8f);
    StereoSignal a(6000);
    a.left = noise(6000, 11u, 1.0f);
    StereoSignal b = a;
    render(*reference, a, 6000);
    int start = 0;
    for (int piece = 0; start < 6000; ++piece)
    {
        const int count = std::min(1 + piece % 5, 6000 - start);
        float* channels[2] = {b.left.data() + start, b.right.data() + start};
        pieces->process(channels, channels, count);
        start += count;
    }
    EXPECT_EQ(a.left, b.left);
}

TEST(OverdriveTest, ParametersAndTexts)
{
    auto overdrive = makeOverdrive(false, 0.0f);
    expectTexts(*overdrive, {"OD On", "OD Lvl"}, {"On/Off", "Level"}, {"Off", "0.000"});
    overdrive->setValue(1, 0.5f); // squared curve
    EXPECT_EQ(text(*overdrive, 1, Text::kDisplay), "0.250");
    EXPECT_EQ(text(*overdrive, 1, Text::kLongDisplay), "0.250");
    EXPECT_FLOAT_EQ(overdrive->getValue(1), 0.5f);
}
