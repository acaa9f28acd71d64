// The oversampled overdrive: pass-through, passband gain, clipping bound, texts and invariants.
#include "components/Overdrive.h"

#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"
#include "tests/support/EffectRender.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using TestEffects::render;
using TestEffects::StereoSignal;

namespace
{

constexpr double kRate = 44100.0;
constexpr int kOn = 0;
constexpr int kLevel = 1;

std::string display(const Overdrive& overdrive, int index)
{
    char text[8] = {};
    overdrive.getDisplay(index, text);
    return text;
}

} // namespace

TEST(OverdriveTest, OffPassesBothChannelsUnchanged)
{
    auto overdrive = std::make_unique<Overdrive>();
    overdrive->setValue(kLevel, 1.0f);
    StereoSignal signal(5000);
    signal.left = TestEffects::noise(5000, 7u, 1.0f);
    signal.right = TestEffects::noise(5000, 8u, 1.0f);
    const StereoSignal dry = signal;
    render(*overdrive, signal, 512);
    EXPECT_EQ(signal.left, dry.left);
    EXPECT_EQ(signal.right, dry.right);
}

TEST(OverdriveTest, LevelZeroPassesSmallSignalsWithUnitGainInThePassband)
{
    for (double frequencyHz : {100.0, 1000.0})
    {
        auto overdrive = std::make_unique<Overdrive>();
        overdrive->setValue(kOn, 1.0f);
        StereoSignal signal(44100);
        signal.left = TestEffects::sine(44100, frequencyHz, kRate, 0.1);
        signal.right = signal.left;
        const std::vector<float> right = signal.right;
        render(*overdrive, signal, 256);

        // Skip the first 0.1 s while the filters settle; whole cycles remain.
        const double amplitude =
            TestAnalysis::toneAmplitude(signal.left.data() + 4410, 39690, frequencyHz, kRate);
        // Sixteen one-pole stages with corners at a quarter of the rate lose about 0.56 dB at
        // 1 kHz and almost nothing at 100 Hz.
        const double tolerance = frequencyHz < 500.0 ? 0.01 : 0.6;
        EXPECT_NEAR(TestAnalysis::decibels(amplitude / 0.1), 0.0, tolerance) << frequencyHz;
        // No clipping: the third harmonic stays far down.
        const double third =
            TestAnalysis::toneAmplitude(signal.left.data() + 4410, 39690, 3.0 * frequencyHz, kRate);
        EXPECT_LT(third, 1e-5) << frequencyHz;
        // The second channel is not touched.
        EXPECT_EQ(signal.right, right);
    }
}

TEST(OverdriveTest, FullScaleAtLevelOneDistortsButNeverExceedsOne)
{
    auto overdrive = std::make_unique<Overdrive>();
    overdrive->setValue(kOn, 1.0f);
    overdrive->setValue(kLevel, 1.0f);
    // Two seconds: the level glides up for about 1.3 s, then the last 0.5 s run at full drive.
    StereoSignal signal(88200);
    for (std::size_t n = 0; n < signal.frames(); ++n)
    {
        // A full-scale square at 441 Hz alternating with a full-scale sine.
        const bool square = (n / 22050) % 2 == 0;
        signal.left[n] = square ? ((n / 50) % 2 == 0 ? 1.0f : -1.0f)
                                : static_cast<float>(std::sin(2.0 * 3.14159265358979 * 441.0 *
                                                              static_cast<double>(n) / kRate));
    }
    render(*overdrive, signal, 1000);
    EXPECT_TRUE(TestAnalysis::allFinite(signal.left.data(), signal.frames()));
    EXPECT_LE(TestAnalysis::peak(signal.left.data(), signal.frames()), 1.0);

    // The last 0.5 s (sine at full drive): strongly clipped, so the third harmonic is large.
    const float* tail = signal.left.data() + 66150;
    const double fundamental = TestAnalysis::toneAmplitude(tail, 22050, 441.0, kRate);
    const double third = TestAnalysis::toneAmplitude(tail, 22050, 1323.0, kRate);
    EXPECT_GT(fundamental, 0.9);
    EXPECT_GT(third / fundamental, 0.15);
}

TEST(OverdriveTest, CountZeroChangesNothing)
{
    auto reference = std::make_unique<Overdrive>();
    auto interrupted = std::make_unique<Overdrive>();
    for (Overdrive* overdrive : {reference.get(), interrupted.get()})
    {
        overdrive->setValue(kOn, 1.0f);
        overdrive->setValue(kLevel, 0.6f);
    }
    StereoSignal a(4096);
    a.left = TestEffects::sine(4096, 300.0, kRate, 0.8);
    StereoSignal b = a;

    render(*reference, a, 4096);

    float sentinel[2][4] = {{0.25f, 0.5f, 0.75f, 1.0f}, {2.0f, 3.0f, 4.0f, 5.0f}};
    float* channels[2] = {sentinel[0], sentinel[1]};
    for (int piece = 0; piece < 4; ++piece)
    {
        float* pieceChannels[2] = {b.left.data() + piece * 1024, b.right.data() + piece * 1024};
        interrupted->process(pieceChannels, pieceChannels, 1024);
        interrupted->process(channels, channels, 0);
    }
    EXPECT_EQ(sentinel[0][0], 0.25f);
    EXPECT_EQ(sentinel[1][3], 5.0f);
    EXPECT_EQ(a.left, b.left);
}

TEST(OverdriveTest, SplitRendersEqualOneRenderAndAllocateNothing)
{
    StereoSignal whole(8192);
    whole.left = TestEffects::noise(8192, 3u, 0.9f);
    StereoSignal split = whole;

    auto one = std::make_unique<Overdrive>();
    auto pieces = std::make_unique<Overdrive>();
    for (Overdrive* overdrive : {one.get(), pieces.get()})
    {
        overdrive->setValue(kOn, 1.0f);
        overdrive->setValue(kLevel, 0.7f); // gliding during the render
    }
    TestAllocation::Scope allocations;
    render(*one, whole, 8192);
    render(*pieces, split, 37);
    EXPECT_EQ(allocations.count(), 0);
    EXPECT_EQ(whole.left, split.left);
}

TEST(OverdriveTest, ResetSilencesTheFilters)
{
    auto overdrive = std::make_unique<Overdrive>();
    overdrive->setValue(kOn, 1.0f);
    overdrive->setValue(kLevel, 1.0f);
    StereoSignal loud(2048);
    loud.left = TestEffects::noise(2048, 5u, 1.0f);
    render(*overdrive, loud, 2048);

    overdrive->reset();
    StereoSignal silence(44100);
    render(*overdrive, silence, 512);
    // Only the anti-denormal offset remains: far below any audible level, and no denormals.
    EXPECT_LT(TestAnalysis::peak(silence.left.data(), silence.frames()), 1e-20);
    EXPECT_GT(TestAnalysis::peak(silence.left.data(), silence.frames()), 0.0);
}

TEST(OverdriveTest, ParametersAndTexts)
{
    auto overdrive = std::make_unique<Overdrive>();
    ASSERT_EQ(overdrive->getParameterCount(), 2);
    char text[8];
    overdrive->getName(kOn, text);
    EXPECT_STREQ(text, "OD On");
    overdrive->getLabel(kOn, text);
    EXPECT_STREQ(text, "On/Off");
    overdrive->getName(kLevel, text);
    EXPECT_STREQ(text, "OD Lvl");
    overdrive->getLabel(kLevel, text);
    EXPECT_STREQ(text, "Level");

    EXPECT_EQ(display(*overdrive, kOn), "Off");
    EXPECT_EQ(display(*overdrive, kLevel), "0.000");
    overdrive->setValue(kLevel, 0.5f); // squared curve
    EXPECT_EQ(display(*overdrive, kLevel), "0.250");
    EXPECT_FLOAT_EQ(overdrive->getValue(kLevel), 0.5f);
    overdrive->setValue(kOn, 1.0f);
    EXPECT_EQ(display(*overdrive, kOn), "On");

    char longText[24];
    overdrive->getLongDisplay(kLevel, longText);
    EXPECT_STREQ(longText, "0.250");
}
