// The oversampled overdrive: pass-through, passband gain, clipping bound, texts and invariants.
#include "components/Overdrive.h"

#include "tests/support/Analysis.h"
#include "tests/support/EffectRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>

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
} // namespace

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
