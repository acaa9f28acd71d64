// The LFO: free and tempo-locked rates, shapes, wheel depth, sample-and-hold and texts.
#include "components/Lfo.h"

#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"
#include "tests/support/BlockRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr float kRate = 44100.0f;

float shapeNorm(int shape)
{
    return static_cast<float>(shape) / 5.0f;
}

float noteValueNorm(int noteValue)
{
    return static_cast<float>(noteValue) / 7.0f;
}

std::vector<float> render(Lfo& lfo, int frames, int blockFrames = 512)
{
    return TestRender::blocks(lfo, frames, blockFrames);
}

double hz(const std::vector<float>& x, float rate = kRate)
{
    return TestAnalysis::zeroCrossingFrequency(x.data(), x.size(), rate);
}

using TestRender::changes;

std::string display(const Lfo& lfo, int index, bool label = false)
{
    char field[kShortTextSize] = {};
    label ? lfo.getLabel(index, field) : lfo.getDisplay(index, field);
    return field;
}

class LfoTest : public ::testing::Test
{
protected:
    std::unique_ptr<Lfo> make(int shape, RandomGenerator& source, float rate = kRate)
    {
        auto made = std::make_unique<Lfo>("L1", source);
        made->setSampleRate(rate);
        made->setValue(Lfo::kShpe, shapeNorm(shape));
        return made;
    }

    // Sync on at a note value, then a host block at 120 BPM (2 quarter notes per second).
    static void lock(Lfo& lfo, int noteValue, double position, bool playing = true)
    {
        lfo.setValue(Lfo::kSync, 1.0f);
        lfo.setValue(Lfo::kSpd, noteValueNorm(noteValue));
        lfo.updateTimeInfo(playing, 120.0, position);
    }

    RandomGenerator random{12345u};
};

class LfoRateTest : public LfoTest, public ::testing::WithParamInterface<float>
{
};

} // namespace

TEST_P(LfoRateTest, FreeRateIsSpeedSquaredTimes20Hz)
{
    const float rate = GetParam();
    auto lfo = make(Lfo::kSine, random, rate);
    EXPECT_NEAR(hz(render(*lfo, static_cast<int>(rate * 4.0f)), rate), 0.8, 0.002); // default
    lfo->setValue(Lfo::kSpd, 1.0f);
    EXPECT_NEAR(hz(render(*lfo, static_cast<int>(rate)), rate), 20.0, 0.02);
    lfo->setValue(Lfo::kSpd, 0.5f);
    EXPECT_NEAR(hz(render(*lfo, static_cast<int>(rate)), rate), 5.0, 0.01);
    lfo->setValue(Lfo::kSpd, 0.0f); // frozen where it was
    render(*lfo, 1);
    EXPECT_EQ(changes(render(*lfo, 20000)), 0);
}

INSTANTIATE_TEST_SUITE_P(SampleRates, LfoRateTest, ::testing::Values(44100.0f, 48000.0f, 96000.0f));

TEST_F(LfoTest, ShapesAtPhaseZeroAndHalfAndTheirRanges)
{
    struct Expected
    {
        int shape;
        float atZero;
        float atHalf;
    };
    const Expected table[] = {{Lfo::kSine, 0.0f, 0.0f},     {Lfo::kTriangle, 1.0f, -1.0f},
                              {Lfo::kDownRamp, 1.0f, 0.0f}, {Lfo::kUpRamp, -1.0f, 0.0f},
                              {Lfo::kSquare, 1.0f, -1.0f},  {Lfo::kSampleHold, 0.0f, 0.0f}};
    // The phase is read up to one increment past 1: the triangle may pass 1 by 4 increments.
    const float slack = 4.0f * 20.0f / kRate;
    for (const Expected& e : table)
    {
        auto lfo = make(e.shape, random);
        EXPECT_NEAR(render(*lfo, 1)[0], e.atZero, 1e-6f) << e.shape;
        lock(*lfo, 5, 0.5); // "1/1" at position 0.5: phase 0.5
        EXPECT_NEAR(render(*lfo, 1)[0], e.atHalf, 1e-6f) << e.shape;

        if (e.shape == Lfo::kSampleHold)
        {
            continue;
        }
        lfo->setValue(Lfo::kSync, 0.0f);
        lfo->setValue(Lfo::kSpd, 1.0f);
        const auto x = render(*lfo, 2205 * 3); // three cycles at 20 Hz
        const auto [low, high] = std::minmax_element(x.begin(), x.end());
        EXPECT_NEAR(*low, -1.0f, slack) << e.shape;
        EXPECT_NEAR(*high, 1.0f, slack) << e.shape;
    }
}

TEST_F(LfoTest, SyncLocksRateAndPhaseToTheSong)
{
    auto lfo = make(Lfo::kSine, random);
    lfo->setValue(Lfo::kSpd, noteValueNorm(5));
    lfo->updateTimeInfo(true, 120.0, 2.25); // Sync off: ignored, the free rate runs on
    const double freeHz = 20.0 * 25.0 / 49.0;
    EXPECT_NEAR(hz(render(*lfo, 44100)), freeHz, 0.02);
    lfo->setValue(Lfo::kSync, 1.0f); // waits for the next time information
    EXPECT_NEAR(hz(render(*lfo, 44100)), freeHz, 0.02);

    // "1/1" at 120 BPM is 2 Hz; playing at 2.25 quarter notes starts the block at phase 0.25.
    lock(*lfo, 5, 2.25);
    const auto x = render(*lfo, 88200);
    EXPECT_NEAR(x[0], 1.0f, 1e-6f);
    EXPECT_NEAR(hz(x), 2.0, 0.002);

    // Stopped: "1/4" sets 8 Hz but the phase runs on from where it is.
    const float last = x.back();
    lock(*lfo, 7, 2.25, false);
    const auto stopped = render(*lfo, 44100);
    EXPECT_NEAR(stopped[0], last, 0.01f);
    EXPECT_NEAR(hz(stopped), 8.0, 0.01);

    lfo->setValue(Lfo::kSync, 0.0f); // back to the stored free rate, (1)^2 x 20 Hz
    EXPECT_NEAR(hz(render(*lfo, 44100)), 20.0, 0.02);
}

TEST_F(LfoTest, ImplausibleTimeInformationKeepsTheState)
{
    auto lfo = make(Lfo::kDownRamp, random);
    RandomGenerator otherRandom;
    auto twin = make(Lfo::kDownRamp, otherRandom);
    lock(*lfo, 5, 0.25);
    lock(*twin, 5, 0.25);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double tempos[] = {0.0, -120.0, nan, inf, -inf, 1e9};
    const double positions[] = {nan, inf, -inf, 1e300, -1e300, nan};
    for (int block = 0; block < 6; ++block)
    {
        lfo->updateTimeInfo(true, tempos[block], positions[block]);
        EXPECT_EQ(render(*lfo, 512), render(*twin, 512)) << block;
    }

    // A count-in before the song start: -0.25 quarter notes is phase 0.75, not -0.25.
    lock(*lfo, 5, -0.25);
    const auto x = render(*lfo, 44100);
    EXPECT_NEAR(x[0], -0.5f, 1e-6f);
    EXPECT_LE(*std::max_element(x.begin(), x.end()), 1.0f);
}

TEST_F(LfoTest, SpeedControlShowsTheNoteValueWhileSynced)
{
    auto lfo = make(Lfo::kSine, random);
    const char* const noteValues[] = {"16/1", "8/1", "4/1", "3/1", "2/1", "1/1", "1/2", "1/4"};
    EXPECT_EQ(display(*lfo, 0), "0.800");
    EXPECT_EQ(display(*lfo, 0, true), "Hz");
    lfo->setValue(Lfo::kSync, 1.0f);
    EXPECT_EQ(display(*lfo, 0), "8/1"); // the shadow's default follows the same 0.2
    EXPECT_EQ(display(*lfo, 0, true), "Res");
    for (int k = 0; k < 8; ++k)
    {
        lfo->setValue(Lfo::kSpd, noteValueNorm(k));
        EXPECT_EQ(display(*lfo, 0), noteValues[k]);
    }
    lfo->setValue(Lfo::kSync, 0.0f);
    EXPECT_EQ(display(*lfo, 0), "20.000"); // the free rate of the last write, 1.0
    lfo->resetParameter(Lfo::kSpd);
    EXPECT_EQ(display(*lfo, 0), "0.800");

    // The shapes' long names, for the editor.
    char longText[kLongTextSize] = {};
    lfo->setValue(Lfo::kShpe, 1.0f);
    lfo->getLongDisplay(Lfo::kShpe, longText);
    EXPECT_STREQ(longText, "Sample/Hold");
    EXPECT_STREQ(Lfo::getShapeLongName(Lfo::kDownRamp), "Down Ramp");
    EXPECT_STREQ(Lfo::getShapeLongName(6), "");
}

TEST_F(LfoTest, ModulationWheelSetsTheDepthWhileSwitchedOn)
{
    auto lfo = make(Lfo::kSquare, random);
    auto level = [&]() { return TestAnalysis::peak(render(*lfo, 4410).data(), 4410); };
    lfo->controlChange(1, 0.5f); // MW off: ignored
    EXPECT_EQ(level(), 1.0);
    lfo->setValue(Lfo::kMw, 1.0f); // silent until the wheel moves
    EXPECT_EQ(level(), 0.0);
    lfo->controlChange(2, 1.0f); // another controller
    EXPECT_EQ(level(), 0.0);
    lfo->controlChange(1, 0.5f);
    EXPECT_DOUBLE_EQ(level(), 0.25);
    lfo->setValue(Lfo::kMw, 1.0f); // writing "on" again (a program change) keeps the depth
    EXPECT_DOUBLE_EQ(level(), 0.25);
    lfo->setValue(Lfo::kMw, 0.0f); // off: full depth
    EXPECT_EQ(level(), 1.0);
}

TEST_F(LfoTest, SampleAndHoldDrawsOncePerCycleFromTheGenerator)
{
    auto lfo = make(Lfo::kSampleHold, random);
    lfo->setValue(Lfo::kSpd, 1.0f); // 2205 samples per cycle
    const auto x = render(*lfo, 2205 * 10 + 100);
    EXPECT_TRUE(std::all_of(x.begin(), x.begin() + 2200, [](float v) { return v == 0.0f; }));
    EXPECT_EQ(changes(x), 10);
    EXPECT_LE(TestAnalysis::peak(x.data(), x.size()), 1.0);

    RandomGenerator sameSeed{12345u};
    auto twin = make(Lfo::kSampleHold, sameSeed);
    twin->setValue(Lfo::kSpd, 1.0f);
    EXPECT_EQ(render(*twin, static_cast<int>(x.size()), 1000), x);

    // Other shapes leave the generator to the noise and the oscillators.
    RandomGenerator fresh{3u};
    RandomGenerator untouched{3u};
    auto sine = make(Lfo::kSine, fresh);
    sine->setValue(Lfo::kSpd, 1.0f);
    render(*sine, 20000);
    EXPECT_EQ(fresh.next(), untouched.next());
}

TEST_F(LfoTest, SampleAndHoldIgnoresTheSmallCorrectionsOfSongLock)
{
    auto lfo = make(Lfo::kSampleHold, random);
    lock(*lfo, 5, 0.0); // 2 Hz
    // Each host block reports a position two samples behind where the LFO has run to.
    const double quartersPerSample = 2.0 / 44100.0;
    std::vector<float> x;
    for (int block = 1; block <= 172; ++block)
    {
        const auto part = render(*lfo, 512);
        x.insert(x.end(), part.begin(), part.end());
        lfo->updateTimeInfo(true, 120.0, (block * 512 - 2) * quartersPerSample);
    }
    EXPECT_EQ(changes(x), 3); // 3.99 cycles
}

TEST_F(LfoTest, BlocksNobodyReadsLeaveTheStateOfRenderedOnes)
{
    // A block whose output is never asked for only advances the phase, taking runs of samples at
    // once; the next block that is read must start exactly where a rendered one would, and the
    // sample-and-hold must have drawn the same values. Random shapes, rates, speeds, tempos,
    // song positions and block sizes from a fixed seed.
    const unsigned seed = 20240702u;
    std::printf("seed %u\n", seed);
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_int_distribution<int> frames(1, kMaxBlockFrames);
    const float rates[] = {8000.0f, 22050.0f, 44100.0f, 96000.0f, 384000.0f};
    for (int trial = 0; trial < 60; ++trial)
    {
        const int shape = trial % Lfo::kShapeCount;
        const float rate = rates[trial % 5];
        RandomGenerator readRandom{static_cast<std::uint32_t>(trial)};
        RandomGenerator skipRandom{static_cast<std::uint32_t>(trial)};
        auto read = make(shape, readRandom, rate);
        auto skipped = make(shape, skipRandom, rate);
        const float speed = trial % 7 == 0 ? 0.0f : (trial % 7 == 1 ? 1.0f : unit(generator));
        const bool synced = trial % 3 == 0;
        const double tempo = 30.0 + 270.0 * static_cast<double>(unit(generator));
        double position = 8.0 * static_cast<double>(unit(generator)) - 1.0;
        for (Lfo* lfo : {read.get(), skipped.get()})
        {
            lfo->setValue(Lfo::kSpd, speed);
            lfo->setValue(Lfo::kSync, synced ? 1.0f : 0.0f);
        }
        for (int block = 0; block < 40; ++block)
        {
            const int count = block % 4 == 0 ? frames(generator) : 1 + frames(generator) % 700;
            if (synced && block % 6 == 0)
            {
                // A song position that jumps, now and then backwards.
                position += block % 12 == 0 ? -0.3 : 1.7;
                read->updateTimeInfo(true, tempo, position);
                skipped->updateTimeInfo(true, tempo, position);
            }
            read->process(count);
            skipped->process(count);
            const float* expected = read->getOutput();
            if (block % 5 == 4)
            {
                const float* output = skipped->getOutput();
                ASSERT_TRUE(std::equal(output, output + count, expected))
                    << "trial " << trial << ", shape " << shape << ", block " << block;
            }
        }
        EXPECT_EQ(readRandom.next(), skipRandom.next()) << "trial " << trial;
    }
}

TEST_F(LfoTest, SplitRendersEqualOneRenderWithoutAllocating)
{
    for (int shape : {Lfo::kSine, Lfo::kTriangle, Lfo::kSampleHold})
    {
        RandomGenerator randomA{7u};
        RandomGenerator randomB{7u};
        auto whole = make(shape, randomA);
        auto pieces = make(shape, randomB);
        const auto one = render(*whole, 8192 * 2, 8192);
        std::vector<float> split;
        for (int piece : {1, 63, 64, 8064, 8192})
        {
            const auto part = render(*pieces, piece, piece);
            split.insert(split.end(), part.begin(), part.end());
        }
        EXPECT_EQ(split, one) << shape;
    }

    auto lfo = make(Lfo::kSampleHold, random);
    lfo->setValue(Lfo::kSync, 1.0f);
    TestAllocation::Scope scope;
    for (int block = 0; block < 8; ++block)
    {
        lfo->updateTimeInfo(true, 128.0, 0.1 * block);
        lfo->controlChange(1, 0.5f);
        lfo->process(kMaxBlockFrames);
    }
    EXPECT_EQ(scope.count(), 0);
}
