// The LFO: free and tempo-locked rates, shapes, wheel depth, sample-and-hold and texts.
#include "components/Lfo.h"

#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
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

// Renders frames samples in blocks of blockFrames and returns them.
std::vector<float> render(Lfo& lfo, int frames, int blockFrames = 512)
{
    std::vector<float> out;
    out.reserve(static_cast<std::size_t>(frames));
    for (int done = 0; done < frames; done += blockFrames)
    {
        const int n = std::min(blockFrames, frames - done);
        lfo.process(n);
        out.insert(out.end(), lfo.getOutput(), lfo.getOutput() + n);
    }
    return out;
}

double frequencyOf(const std::vector<float>& x, double sampleRate)
{
    return TestAnalysis::zeroCrossingFrequency(x.data(), x.size(), sampleRate);
}

std::string text(const Lfo& lfo, int index, int kind)
{
    char field[kLongTextSize] = {};
    switch (kind)
    {
    case 0:
        lfo.getName(index, field);
        break;
    case 1:
        lfo.getLabel(index, field);
        break;
    case 2:
        lfo.getDisplay(index, field);
        break;
    default:
        lfo.getLongDisplay(index, field);
        break;
    }
    return field;
}

// Number of sample-to-sample changes of the value.
int changes(const std::vector<float>& x)
{
    int count = 0;
    for (std::size_t i = 1; i < x.size(); ++i)
    {
        count += x[i] != x[i - 1] ? 1 : 0;
    }
    return count;
}

class LfoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        lfo = std::make_unique<Lfo>("L1", random);
        lfo->setSampleRate(kRate);
    }

    void useShape(int shape) { lfo->setValue(Lfo::kShpe, shapeNorm(shape)); }

    // Sync on at the given note value, 120 BPM, playing at position quarter notes.
    void lockAt(int noteValue, double position)
    {
        lfo->setValue(Lfo::kSync, 1.0f);
        lfo->setValue(Lfo::kSpd, noteValueNorm(noteValue));
        lfo->updateTimeInfo(true, 120.0, position);
    }

    RandomGenerator random{12345u};
    std::unique_ptr<Lfo> lfo;
};

class LfoRateTest : public ::testing::TestWithParam<float>
{
};

} // namespace

TEST_P(LfoRateTest, FreeRateFollowsTheSquaredSpeedAtAnySampleRate)
{
    const float rate = GetParam();
    RandomGenerator random;
    auto lfo = std::make_unique<Lfo>("L1", random);
    lfo->setSampleRate(rate);
    lfo->setValue(Lfo::kShpe, shapeNorm(Lfo::kSine));

    // Default 0.2: 0.2^2 x 20 = 0.8 Hz; four seconds hold three rising zero crossings.
    const auto slow = render(*lfo, static_cast<int>(rate * 4.0f));
    EXPECT_NEAR(frequencyOf(slow, rate), 0.8, 0.002);

    lfo->setValue(Lfo::kSpd, 1.0f);
    const auto fast = render(*lfo, static_cast<int>(rate));
    EXPECT_NEAR(frequencyOf(fast, rate), 20.0, 0.02);

    lfo->setValue(Lfo::kSpd, 0.5f); // 5 Hz
    const auto middle = render(*lfo, static_cast<int>(rate));
    EXPECT_NEAR(frequencyOf(middle, rate), 5.0, 0.01);
}

INSTANTIATE_TEST_SUITE_P(SampleRates, LfoRateTest, ::testing::Values(44100.0f, 48000.0f, 96000.0f));

TEST_F(LfoTest, SpeedZeroFreezesThePhase)
{
    useShape(Lfo::kDownRamp);
    render(*lfo, 10000);
    lfo->setValue(Lfo::kSpd, 0.0f);
    const auto frozen = render(*lfo, 20000);
    EXPECT_EQ(changes(frozen), 0);
    EXPECT_LT(frozen.front(), 1.0f); // frozen where it was, not reset
    EXPECT_GT(frozen.front(), -1.0f);
}

TEST_F(LfoTest, ShapeValuesAtPhaseZeroAndHalf)
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
    for (const Expected& e : table)
    {
        RandomGenerator ownRandom;
        auto fresh = std::make_unique<Lfo>("L1", ownRandom);
        fresh->setValue(Lfo::kShpe, shapeNorm(e.shape));
        fresh->process(1);
        EXPECT_NEAR(fresh->getOutput()[0], e.atZero, 1e-6f) << e.shape;

        // Locked to "1/1" at position 0.5: the next sample is computed at phase 0.5.
        fresh->setValue(Lfo::kSync, 1.0f);
        fresh->setValue(Lfo::kSpd, noteValueNorm(5));
        fresh->updateTimeInfo(true, 120.0, 0.5);
        fresh->process(1);
        EXPECT_NEAR(fresh->getOutput()[0], e.atHalf, 1e-6f) << e.shape;
    }
}

TEST_F(LfoTest, ShapesSpanMinusOneToOneAndAverageZero)
{
    lfo->setValue(Lfo::kSpd, 1.0f); // 20 Hz: 2205 samples per cycle
    // The phase is read up to one increment past 1, so the triangle may pass 1 by 4 increments.
    const double slack = 4.0 * 20.0 / static_cast<double>(kRate);
    for (int shape : {Lfo::kSine, Lfo::kTriangle, Lfo::kDownRamp, Lfo::kUpRamp, Lfo::kSquare})
    {
        useShape(shape);
        lfo->reset();
        const auto x = render(*lfo, 2205 * 10); // ten whole cycles
        const auto [low, high] = std::minmax_element(x.begin(), x.end());
        EXPECT_NEAR(*low, -1.0, slack) << shape;
        EXPECT_NEAR(*high, 1.0, slack) << shape;
        double sum = 0.0;
        for (float v : x)
        {
            sum += static_cast<double>(v);
        }
        EXPECT_NEAR(sum / static_cast<double>(x.size()), 0.0, 0.002) << shape;
    }

    // The ramps run in opposite directions.
    useShape(Lfo::kDownRamp);
    lfo->reset();
    const auto down = render(*lfo, 100);
    EXPECT_LT(down[50], down[10]);
    useShape(Lfo::kUpRamp);
    lfo->reset();
    const auto up = render(*lfo, 100);
    EXPECT_GT(up[50], up[10]);
}

TEST_F(LfoTest, SyncLocksRateAndPhaseToTheSong)
{
    useShape(Lfo::kSine);
    // 120 BPM is 2 quarter notes per second; "1/1" is one cycle per quarter note.
    lockAt(5, 2.25);
    const auto x = render(*lfo, 88200);
    EXPECT_NEAR(x[0], 1.0f, 1e-6f); // phase 0.25: the sine's peak
    EXPECT_NEAR(frequencyOf(x, kRate), 2.0, 0.002);

    // "1/4" is four cycles per quarter note: 8 Hz; "1/2" gives 4 Hz.
    lfo->setValue(Lfo::kSpd, noteValueNorm(7));
    lfo->updateTimeInfo(false, 120.0, 0.0);
    EXPECT_NEAR(frequencyOf(render(*lfo, 44100), kRate), 8.0, 0.01);
    lfo->setValue(Lfo::kSpd, noteValueNorm(6));
    lfo->updateTimeInfo(false, 120.0, 0.0);
    EXPECT_NEAR(frequencyOf(render(*lfo, 44100), kRate), 4.0, 0.01);
}

TEST_F(LfoTest, SyncOnlyRephasesWhilePlayingAndOnlyWhenSwitchedOn)
{
    useShape(Lfo::kDownRamp);
    lfo->setValue(Lfo::kSpd, noteValueNorm(5));
    // Sync off: time information changes nothing; the free rate (5/7)^2 x 20 Hz runs on.
    lfo->updateTimeInfo(true, 120.0, 2.25);
    const auto free = render(*lfo, 44100);
    EXPECT_NEAR(free[0], 1.0f, 1e-6f);
    EXPECT_NEAR(frequencyOf(free, kRate), 20.0 * 25.0 / 49.0, 0.02);

    // Switching Sync on waits for the next time information.
    lfo->setValue(Lfo::kSync, 1.0f);
    EXPECT_NEAR(frequencyOf(render(*lfo, 44100), kRate), 20.0 * 25.0 / 49.0, 0.02);

    // Stopped: the tempo sets the rate (2 Hz, a ramp step of 2 x 2 / 44100), the phase runs on
    // (locked, position 2.25 would give phase 0.25, a ramp value of 0.5).
    lfo->process(1);
    const float before = lfo->getOutput()[0];
    lfo->updateTimeInfo(false, 120.0, 2.25);
    const auto stopped = render(*lfo, 2);
    EXPECT_NEAR(stopped[0], before - 2.0f * 20.0f * 25.0f / 49.0f / kRate, 1e-5f);
    EXPECT_NEAR(stopped[1] - stopped[0], -2.0f * 2.0f / kRate, 1e-6f);

    // Sync off again: back to the stored free rate.
    lfo->setValue(Lfo::kSync, 0.0f);
    EXPECT_NEAR(frequencyOf(render(*lfo, 44100), kRate), 20.0 * 25.0 / 49.0, 0.02);
}

TEST_F(LfoTest, ImplausibleTimeInformationKeepsTheState)
{
    useShape(Lfo::kDownRamp);
    lockAt(5, 0.25); // 2 Hz at phase 0.25
    RandomGenerator twinRandom{12345u};
    auto twin = std::make_unique<Lfo>("L1", twinRandom);
    twin->setSampleRate(kRate);
    twin->setValue(Lfo::kShpe, shapeNorm(Lfo::kDownRamp));
    twin->setValue(Lfo::kSync, 1.0f);
    twin->setValue(Lfo::kSpd, noteValueNorm(5));
    twin->updateTimeInfo(true, 120.0, 0.25);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double tempos[] = {0.0, -120.0, nan, inf, -inf, 1e9};
    const double positions[] = {nan, inf, -inf, 1e300, -1e300};
    for (int block = 0; block < 6; ++block)
    {
        lfo->updateTimeInfo(true, tempos[block], positions[block % 5]);
        lfo->process(512);
        twin->process(512);
        for (int i = 0; i < 512; ++i)
        {
            ASSERT_EQ(lfo->getOutput()[i], twin->getOutput()[i]) << block;
        }
    }
}

TEST_F(LfoTest, PositionBeforeTheSongStartStillGivesAPhaseInRange)
{
    useShape(Lfo::kDownRamp);
    // A count-in at -0.25 quarter notes with "1/1": a quarter of a cycle before a cycle start.
    lockAt(5, -0.25);
    const auto x = render(*lfo, 44100);
    EXPECT_NEAR(x[0], -0.5f, 1e-6f); // phase 0.75
    const auto [low, high] = std::minmax_element(x.begin(), x.end());
    EXPECT_GE(*low, -1.0f - 2.0f * 2.0f / kRate);
    EXPECT_LE(*high, 1.0f);
}

TEST_F(LfoTest, SpeedControlSelectsTheNoteValueWhileSynced)
{
    const char* const noteValues[] = {"16/1", "8/1", "4/1", "3/1", "2/1", "1/1", "1/2", "1/4"};
    EXPECT_EQ(text(*lfo, 0, 1), "Hz");
    EXPECT_EQ(text(*lfo, 0, 2), "0.800");
    lfo->setValue(Lfo::kSync, 1.0f);
    EXPECT_EQ(text(*lfo, 0, 1), "Res");
    EXPECT_EQ(text(*lfo, 0, 2), "8/1"); // the shadow's default follows the same 0.2
    for (int k = 0; k < 8; ++k)
    {
        lfo->setValue(Lfo::kSpd, noteValueNorm(k));
        EXPECT_EQ(text(*lfo, 0, 2), noteValues[k]);
        EXPECT_EQ(text(*lfo, 0, 3), noteValues[k]);
        EXPECT_EQ(text(*lfo, 0, 0), "L1 Spd");
    }
    // 0.5 x 7 = 3.5 rounds half away to item 4; the free rate 0.5^2 x 20 = 5 Hz stays stored.
    lfo->setValue(Lfo::kSpd, 0.5f);
    EXPECT_EQ(text(*lfo, 0, 2), "2/1");
    lfo->setValue(Lfo::kSync, 0.0f);
    EXPECT_EQ(text(*lfo, 0, 1), "Hz");
    EXPECT_EQ(text(*lfo, 0, 2), "5.000");
    useShape(Lfo::kSine);
    EXPECT_NEAR(frequencyOf(render(*lfo, 44100), kRate), 5.0, 0.01);
}

TEST_F(LfoTest, NamesLabelsAndLongShapeNames)
{
    EXPECT_EQ(lfo->getParameterCount(), 4);
    EXPECT_EQ(text(*lfo, 1, 0), "L1 Shpe");
    EXPECT_EQ(text(*lfo, 2, 0), "L1 MW");
    EXPECT_EQ(text(*lfo, 3, 0), "L1 Sync");
    EXPECT_EQ(text(*lfo, 1, 1), "Shape");
    EXPECT_EQ(text(*lfo, 3, 1), "On/Off");
    EXPECT_EQ(text(*lfo, 1, 2), "Tri"); // default 0.2
    const char* const shortNames[] = {"Sine", "Tri", "DRamp", "URamp", "Square", "SAndH"};
    const char* const longNames[] = {"Sine",    "Triangle", "Down Ramp",
                                     "Up Ramp", "Square",   "Sample/Hold"};
    for (int shape = 0; shape < Lfo::kShapeCount; ++shape)
    {
        useShape(shape);
        EXPECT_EQ(text(*lfo, 1, 2), shortNames[shape]);
        EXPECT_EQ(text(*lfo, 1, 3), longNames[shape]);
        EXPECT_STREQ(Lfo::getShapeLongName(shape), longNames[shape]);
    }
    EXPECT_STREQ(Lfo::getShapeLongName(6), "");
    EXPECT_STREQ(Lfo::getShapeLongName(-1), "");

    char untouched[kShortTextSize] = "same";
    lfo->getName(4, untouched);
    lfo->getDisplay(-1, untouched);
    EXPECT_STREQ(untouched, "same");
    lfo->setValue(4, 1.0f);
    EXPECT_EQ(lfo->getValue(4), 0.0f);
}

TEST_F(LfoTest, ResettingSpeedRestoresRateAndNoteValue)
{
    useShape(Lfo::kSine);
    lfo->setValue(Lfo::kSpd, 1.0f);
    lfo->setValue(Lfo::kSync, 1.0f);
    EXPECT_EQ(text(*lfo, 0, 2), "1/4");
    lfo->resetParameter(Lfo::kSpd);
    EXPECT_FLOAT_EQ(lfo->getValue(Lfo::kSpd), 0.2f);
    EXPECT_EQ(text(*lfo, 0, 2), "8/1");
    lfo->resetParameter(Lfo::kSync);
    EXPECT_NEAR(frequencyOf(render(*lfo, 44100 * 4), kRate), 0.8, 0.002);
}

TEST_F(LfoTest, ModulationWheelSetsTheDepthWhileSwitchedOn)
{
    useShape(Lfo::kSquare);
    auto level = [this]() { return TestAnalysis::peak(render(*lfo, 4410).data(), 4410); };
    EXPECT_EQ(level(), 1.0);

    lfo->controlChange(1, 0.5f); // MW off: the wheel does nothing
    EXPECT_EQ(level(), 1.0);

    lfo->setValue(Lfo::kMw, 1.0f); // silent until the wheel moves
    EXPECT_EQ(level(), 0.0);
    lfo->controlChange(2, 1.0f); // another controller
    EXPECT_EQ(level(), 0.0);
    lfo->controlChange(1, 0.5f); // half wheel: 0.5^2
    EXPECT_DOUBLE_EQ(level(), 0.25);
    lfo->controlChange(1, 1.0f);
    EXPECT_EQ(level(), 1.0);

    // Writing "on" again (a program change) keeps the wheel's depth.
    lfo->setValue(Lfo::kMw, 1.0f);
    EXPECT_EQ(level(), 1.0);

    lfo->controlChange(1, 0.0f);
    EXPECT_EQ(level(), 0.0);
    lfo->setValue(Lfo::kMw, 0.0f); // off: full depth whatever the wheel did
    EXPECT_EQ(level(), 1.0);
}

TEST_F(LfoTest, SampleAndHoldDrawsOncePerCycleAtTheWrap)
{
    useShape(Lfo::kSampleHold);
    lfo->setValue(Lfo::kSpd, 1.0f); // 20 Hz: 2205 samples per cycle
    const auto x = render(*lfo, 2205 * 10 + 100);
    // Zero until the first wrap, then a new value every cycle, one sample after the wrap.
    for (int i = 0; i < 2200; ++i)
    {
        ASSERT_EQ(x[static_cast<std::size_t>(i)], 0.0f) << i;
    }
    EXPECT_EQ(changes(x), 10);
    std::vector<int> at;
    for (std::size_t i = 1; i < x.size(); ++i)
    {
        if (x[i] != x[i - 1])
        {
            at.push_back(static_cast<int>(i));
        }
    }
    for (std::size_t k = 1; k < at.size(); ++k)
    {
        EXPECT_NEAR(at[k] - at[k - 1], 2205, 1);
    }
    for (float v : x)
    {
        ASSERT_GE(v, -1.0f);
        ASSERT_LE(v, 1.0f);
    }

    // The held values come from the engine's generator: the same seed gives the same values.
    RandomGenerator sameSeed{12345u};
    auto twin = std::make_unique<Lfo>("L2", sameSeed);
    twin->setSampleRate(kRate);
    twin->setValue(Lfo::kShpe, shapeNorm(Lfo::kSampleHold));
    twin->setValue(Lfo::kSpd, 1.0f);
    EXPECT_EQ(render(*twin, static_cast<int>(x.size()), 1000), x);
}

TEST_F(LfoTest, OtherShapesLeaveTheGeneratorAlone)
{
    RandomGenerator fresh{12345u};
    useShape(Lfo::kSine);
    lfo->setValue(Lfo::kSpd, 1.0f);
    render(*lfo, 20000);
    EXPECT_EQ(random.next(), fresh.next());
}

TEST_F(LfoTest, SampleAndHoldIgnoresTheSmallCorrectionsOfSongLock)
{
    useShape(Lfo::kSampleHold);
    lockAt(5, 0.0); // 2 Hz
    // Each host block reports a position a little behind the one the LFO has run to (two
    // samples' worth), as a host rounding its positions may: still one new value per cycle.
    const double quartersPerSample = 2.0 / static_cast<double>(kRate);
    std::vector<float> x;
    double position = 0.0;
    for (int block = 0; block < 172; ++block)
    {
        lfo->process(512);
        x.insert(x.end(), lfo->getOutput(), lfo->getOutput() + 512);
        position += 512.0 * quartersPerSample;
        lfo->updateTimeInfo(true, 120.0, position - 2.0 * quartersPerSample);
    }
    // 172 x 512 samples at 2 Hz: 3.99 cycles, so three wraps inside the render.
    EXPECT_EQ(changes(x), 3);
}

TEST_F(LfoTest, SplitRendersEqualOneRender)
{
    for (int shape : {Lfo::kSine, Lfo::kTriangle, Lfo::kSampleHold})
    {
        RandomGenerator randomA{7u};
        RandomGenerator randomB{7u};
        auto whole = std::make_unique<Lfo>("L1", randomA);
        auto pieces = std::make_unique<Lfo>("L1", randomB);
        for (Lfo* l : {whole.get(), pieces.get()})
        {
            l->setValue(Lfo::kShpe, shapeNorm(shape));
            l->setValue(Lfo::kSpd, 0.9f);
        }
        const auto one = render(*whole, 8192 * 3, 8192);
        std::vector<float> split;
        for (int piece : {1, 63, 64, 8064})
        {
            const auto part = render(*pieces, piece, piece);
            split.insert(split.end(), part.begin(), part.end());
        }
        const auto rest = render(*pieces, 8192 * 3 - 8192, 8192);
        split.insert(split.end(), rest.begin(), rest.end());
        EXPECT_EQ(split, one) << shape;
    }
}

TEST_F(LfoTest, ProcessingAllocatesNothing)
{
    useShape(Lfo::kSampleHold);
    lfo->setValue(Lfo::kSync, 1.0f);
    TestAllocation::Scope scope;
    for (int block = 0; block < 16; ++block)
    {
        lfo->updateTimeInfo(true, 128.0, 0.1 * block);
        lfo->controlChange(1, 0.5f);
        lfo->process(kMaxBlockFrames);
    }
    EXPECT_EQ(scope.count(), 0);
}
