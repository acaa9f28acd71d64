// The wavetable oscillator: pitch, table choice, FM, pitch input, pulse width, sync, level.
#include "components/Oscillator.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"
#include "tests/support/Fft.h"
#include "tests/support/ModulationSources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr double kPi = 3.14159265358979323846;
constexpr int kSine = 2;

// Normalised settings of the integer parameters.
float waveNorm(int wave)
{
    return static_cast<float>(wave) / 25.0f;
}
float transNorm(int semitones)
{
    return static_cast<float>(semitones + 24) / 48.0f;
}

std::unique_ptr<Oscillator> makeOscillator(float rateHz, int wave, int note)
{
    auto oscillator = std::make_unique<Oscillator>("O1");
    oscillator->setSampleRate(rateHz);
    oscillator->setValue(Oscillator::kWave, waveNorm(wave));
    oscillator->trigger(69, note, 100);
    return oscillator;
}

std::vector<float> render(Oscillator& oscillator, int frames)
{
    std::vector<float> samples;
    while (static_cast<int>(samples.size()) < frames)
    {
        const int block = std::min(kMaxBlockFrames, frames - static_cast<int>(samples.size()));
        oscillator.process(block);
        samples.insert(samples.end(), oscillator.getOutput(), oscillator.getOutput() + block);
    }
    return samples;
}

double measuredFrequency(Oscillator& oscillator, float rateHz, int frames = 16384)
{
    const std::vector<float> samples = render(oscillator, frames);
    return TestAnalysis::zeroCrossingFrequency(samples.data(), samples.size(), rateHz);
}

// The sine tables read at a phase: sample n of a table is sin(2 pi (n + 1) / 2048).
double sineAt(double phaseTableSamples)
{
    return std::sin(2.0 * kPi * (phaseTableSamples + 1.0) / 2048.0);
}

std::string text(const Oscillator& oscillator, int index, bool longText = false)
{
    char buffer[kLongTextSize] = {};
    if (longText)
    {
        oscillator.getLongDisplay(index, buffer);
    }
    else
    {
        oscillator.getDisplay(index, buffer);
    }
    return buffer;
}

} // namespace

// Names, labels and default displays are those of the synthesizer's parameter list, which the
// host check reads through the plug-in.
TEST(OscillatorTest, LongTextsNameTheWaveAndRepeatTheOtherDisplays)
{
    auto oscillator = std::make_unique<Oscillator>("O2");
    // Wave shows the short text and reports the long name; other indexes report their text.
    EXPECT_EQ(text(*oscillator, Oscillator::kWave, true), "Sawtooth");
    oscillator->setValue(Oscillator::kWave, waveNorm(18));
    EXPECT_EQ(text(*oscillator, Oscillator::kWave), "SAW");
    EXPECT_EQ(text(*oscillator, Oscillator::kWave, true), "Sax");
    oscillator->setValue(Oscillator::kWave, waveNorm(23));
    EXPECT_EQ(text(*oscillator, Oscillator::kWave, true), "MetallicWave");
    oscillator->setValue(Oscillator::kDtn, 0.75f);
    EXPECT_EQ(text(*oscillator, Oscillator::kDtn, true), "50.00");
}

class OscillatorRateTest : public ::testing::TestWithParam<float>
{
};

TEST_P(OscillatorRateTest, IncrementFollowsNoteTransposeDetuneAndBend)
{
    const float rate = GetParam();
    auto oscillator = makeOscillator(rate, kSine, 69);
    oscillator->process(1);
    const double a440 = 2048.0 * 440.0 / static_cast<double>(rate);
    EXPECT_NEAR(oscillator->getIncrement(), a440, a440 * 1e-6);
    if (rate == 44100.0f)
    {
        EXPECT_NEAR(oscillator->getIncrement(), 20.4336, 1e-4);
    }

    // Trans and Dtn act at once, without a block.
    oscillator->setValue(Oscillator::kTrans, transNorm(12));
    EXPECT_NEAR(oscillator->getIncrement(), 2.0 * a440, a440 * 2e-6);
    oscillator->setValue(Oscillator::kDtn, 1.0f);
    EXPECT_NEAR(oscillator->getIncrement(), 2.0 * a440 * std::exp2(1.0 / 12.0), a440 * 2e-6);
    oscillator->setValue(Oscillator::kDtn, 0.5f);
    oscillator->setValue(Oscillator::kTrans, transNorm(0));

    // Bend (range 2 semitones by default) acts at the next block.
    oscillator->bend(-1.0f);
    EXPECT_NEAR(oscillator->getIncrement(), a440, a440 * 1e-6);
    oscillator->process(1);
    EXPECT_NEAR(oscillator->getIncrement(), a440 * std::exp2(-2.0 / 12.0), a440 * 1e-6);
    oscillator->setValue(Oscillator::kPbr, 1.0f); // 12 semitones, at once
    EXPECT_NEAR(oscillator->getIncrement(), a440 / 2.0, a440 * 1e-6);
}

TEST_P(OscillatorRateTest, RenderedPitchMatchesTheNote)
{
    const float rate = GetParam();
    auto oscillator = makeOscillator(rate, kSine, 69);
    EXPECT_NEAR(measuredFrequency(*oscillator, rate), 440.0, 0.05);

    oscillator->trigger(69, 57, 100);
    oscillator->setValue(Oscillator::kTrans, transNorm(7));
    EXPECT_NEAR(measuredFrequency(*oscillator, rate), 220.0 * std::exp2(7.0 / 12.0), 0.05);

    oscillator->setValue(Oscillator::kDtn, 0.0f); // -1 semitone
    EXPECT_NEAR(measuredFrequency(*oscillator, rate), 220.0 * std::exp2(6.0 / 12.0), 0.05);
}

INSTANTIATE_TEST_SUITE_P(SampleRates, OscillatorRateTest,
                         ::testing::Values(44100.0f, 48000.0f, 96000.0f));

TEST(OscillatorTest, TablesFollowTheKeyFoldedIntoTheNoteRange)
{
    auto oscillator = makeOscillator(44100.0f, 0, 69);
    // Key 69: octave 5.75 fades from table 4 to table 5.
    EXPECT_EQ(oscillator->getLowerTable(), 4);
    EXPECT_EQ(oscillator->getUpperTable(), 5);
    EXPECT_NEAR(oscillator->getTableWeight(), 0.75f, 1e-6f);

    // Note 5 with Trans -24: key -19 folds up to 5, table 0 alone.
    oscillator->setValue(Oscillator::kTrans, transNorm(-24));
    oscillator->trigger(69, 5, 100);
    EXPECT_EQ(oscillator->getLowerTable(), 0);
    EXPECT_EQ(oscillator->getUpperTable(), 0);
    EXPECT_NEAR(oscillator->getTableWeight(), 5.0f / 12.0f, 1e-5f);

    // Note 127 with Trans +24: key 151 folds down to 127, table 9 on both sides.
    oscillator->setValue(Oscillator::kTrans, transNorm(24));
    oscillator->trigger(69, 127, 100);
    EXPECT_EQ(oscillator->getLowerTable(), 9);
    EXPECT_EQ(oscillator->getUpperTable(), 9);
    EXPECT_NEAR(oscillator->getTableWeight(), 0.5833f, 1e-3f);

    // Transposing a held note chooses the tables for the new key at once; bend does not.
    oscillator->setValue(Oscillator::kTrans, transNorm(0));
    oscillator->trigger(69, 30, 100);
    EXPECT_EQ(oscillator->getLowerTable(), 1); // octave 2.5
    oscillator->setValue(Oscillator::kTrans, transNorm(24));
    EXPECT_EQ(oscillator->getLowerTable(), 3); // octave 4.5
    oscillator->bend(1.0f);
    oscillator->process(16);
    EXPECT_EQ(oscillator->getLowerTable(), 3);

    // Notes outside 0..127 are held at the range.
    oscillator->setValue(Oscillator::kTrans, transNorm(0));
    oscillator->trigger(69, 100000, 100);
    EXPECT_EQ(oscillator->getLowerTable(), 9);
    oscillator->trigger(69, -100000, 100);
    EXPECT_EQ(oscillator->getLowerTable(), 0);
}

TEST(OscillatorTest, WaveParameterSelectsTheWaveSet)
{
    // 45056 Hz makes note 69 advance exactly 20 table samples: 5 cycles in 512 samples.
    const float rate = 45056.0f;
    auto oscillator = makeOscillator(rate, kSine, 69);
    auto secondHarmonicRatio = [&]
    {
        const std::vector<float> block = render(*oscillator, 512);
        return TestAnalysis::toneAmplitude(block.data(), 512, 880.0, rate) /
               TestAnalysis::toneAmplitude(block.data(), 512, 440.0, rate);
    };
    EXPECT_LT(secondHarmonicRatio(), 1e-4);
    oscillator->setValue(Oscillator::kWave, waveNorm(0));
    EXPECT_NEAR(secondHarmonicRatio(), 0.5, 1e-3); // the sawtooth's 1/k
    oscillator->setValue(Oscillator::kWave, waveNorm(1));
    EXPECT_LT(secondHarmonicRatio(), 1e-4); // the triangle has odd harmonics only
    oscillator->setValue(Oscillator::kWave, waveNorm(kSine));
    oscillator->resetParameter(Oscillator::kWave);
    EXPECT_EQ(text(*oscillator, Oscillator::kWave, true), "Sawtooth");
    EXPECT_NEAR(secondHarmonicRatio(), 0.5, 1e-3); // the reset wave is the one playing
}

TEST(OscillatorTest, FmShiftsThePitchByDepthTimesPolarityInOctaves)
{
    const float rate = 44100.0f;
    auto oscillator = makeOscillator(rate, kSine, 69);
    TestSources::Constant up(1.0f);
    TestSources::Constant down(-1.0f);

    // Depth 0.5 (setting 0.7071 on the squared curve), polarity -1, source 1: fastExp2(-0.5)
    // lowers by 1 / 1.41667, about half an octave.
    oscillator->setValue(Oscillator::kFm1, std::sqrt(0.5f));
    oscillator->setValue(Oscillator::kFm1Pl, 0.0f);
    oscillator->setFmSource(1, &up);
    EXPECT_NEAR(measuredFrequency(*oscillator, rate), 440.0 / 1.4166666, 0.1);
    oscillator->setValue(Oscillator::kFm1Pl, 1.0f);
    EXPECT_NEAR(measuredFrequency(*oscillator, rate), 440.0 * 1.4166666, 0.1);

    // The second input adds: +0.5 and, with depth 1 on a source of -1, -1 octave.
    oscillator->setValue(Oscillator::kFm2, 1.0f);
    oscillator->setFmSource(2, &down);
    EXPECT_NEAR(measuredFrequency(*oscillator, rate), 440.0 / 1.4166666, 0.1);

    // Removing a source removes its modulation; an input other than 1 or 2 is ignored.
    oscillator->setFmSource(1, nullptr);
    oscillator->setFmSource(3, &up);
    EXPECT_NEAR(measuredFrequency(*oscillator, rate), 220.0, 0.05);
    oscillator->setFmSource(2, nullptr);
    EXPECT_NEAR(measuredFrequency(*oscillator, rate), 440.0, 0.05);
    // Depth without a source does nothing.
    oscillator->setValue(Oscillator::kFm1, 1.0f);
    EXPECT_NEAR(measuredFrequency(*oscillator, rate), 440.0, 0.05);
}

// The energy away from the harmonics below half the rate (what folded back) in dB of the whole:
// Blackman-Harris window (side lobes below -92 dB), guardBins bins either side of a harmonic its
// own.
double foldedDb(std::vector<float> x, double fundamentalHz, double rateHz, double guardBins = 6.0)
{
    const double binHz = rateHz / static_cast<double>(x.size());
    for (std::size_t n = 0; n < x.size(); ++n)
    {
        const double a = 2.0 * kPi * static_cast<double>(n) * binHz / rateHz;
        x[n] *= static_cast<float>(0.35875 - 0.48829 * std::cos(a) + 0.14128 * std::cos(2.0 * a) -
                                   0.01168 * std::cos(3.0 * a));
    }
    const auto spectrum = TestFft::transformReal(x.data(), x.size());
    double energy[2] = {0.0, 0.0}; // folded, harmonic
    for (std::size_t bin = 6; bin < x.size() / 2; ++bin)
    {
        const double offHarmonic = std::remainder(static_cast<double>(bin) * binHz, fundamentalHz);
        const bool below = static_cast<double>(bin) * binHz - offHarmonic < rateHz / 2.0;
        energy[below && std::abs(offHarmonic) < guardBins * binHz] += std::norm(spectrum[bin]);
    }
    return 10.0 * std::log10(energy[0] / (energy[0] + energy[1]));
}

TEST(OscillatorTest, UpwardPitchModulationDoesNotFold)
{
    // Two octaves of FM (depth 1 on a held level of 2), or a bend of +12 semitones, take the pitch
    // above the note's tables; the tables follow it.
    TestSources::Constant level(2.0f);
    for (int setup = 0; setup < 8; ++setup)
    {
        const int wave = (setup & 1) != 0 ? 22 : 0; // SharpWave, sawtooth
        const int up = (setup & 2) != 0 ? 12 : 24;
        const float rate = (setup & 4) != 0 ? 48000.0f : 44100.0f;
        for (int note = 60; note <= 108; note += 6)
        {
            auto oscillator = makeOscillator(rate, wave, note);
            oscillator->setValue(Oscillator::kFm1, up == 24 ? 1.0f : 0.0f);
            oscillator->setFmSource(1, &level);
            oscillator->setValue(Oscillator::kPbr, up == 12 ? 1.0f : 0.0f);
            oscillator->bend(1.0f);
            const double hz = 440.0 * std::exp2((note + up - 69) / 12.0);
            EXPECT_LT(foldedDb(render(*oscillator, 16384), hz, static_cast<double>(rate)), -60.0)
                << "setup " << setup << ", note " << note;
        }
    }
}

TEST(OscillatorTest, ATableChangeMakesNoClick)
{
    // A bend of a thousandth of a semitone moves the tables to a semitone above the note's and,
    // bent back, to the note's own: the pitch all but holds, so what the two changes spread more
    // than 800 Hz (300 bins) from every harmonic is their own click. Switched at one sample it
    // reaches -68 dB at key 96; crossfaded, -78 dB.
    for (const int wave : {0, 22}) // sawtooth, SharpWave
    {
        auto oscillator = makeOscillator(44100.0f, wave, 96);
        oscillator->setValue(Oscillator::kPbr, 1.0f);
        std::vector<float> samples = render(*oscillator, 5461);
        oscillator->bend(1.0f / 12000.0f);
        const std::vector<float> bent = render(*oscillator, 5461);
        oscillator->bend(0.0f);
        const std::vector<float> back = render(*oscillator, 5462);
        samples.insert(samples.end(), bent.begin(), bent.end());
        samples.insert(samples.end(), back.begin(), back.end());
        EXPECT_LT(foldedDb(samples, 440.0 * std::exp2(27.0 / 12.0), 44100.0, 300.0), -75.0)
            << "wave " << wave;
    }
}

TEST(OscillatorTest, PulseWidthSubtractsACopyShiftedByTheWidth)
{
    const float rate = 44100.0f;
    auto sine = makeOscillator(rate, kSine, 69);
    sine->setValue(Oscillator::kPwOn, 1.0f);
    // Half a cycle apart, the copy is the negated sine: twice the amplitude.
    std::vector<float> block = render(*sine, 4096);
    EXPECT_NEAR(TestAnalysis::peak(block.data(), block.size()), 2.0, 0.002);

    // Width 0 leaves the step between the phases before and after each advance: at note 24
    // (32.7 Hz) about 2 pi x 32.7 / 44100 = 0.0047.
    sine->setValue(Oscillator::kPwid, 0.0f);
    sine->trigger(69, 24, 100);
    block = render(*sine, 4096);
    EXPECT_NEAR(TestAnalysis::peak(block.data(), block.size()), 0.0047, 0.0003);

    // A modulation source moves the width by 0.5 x depth x polarity x its value.
    TestSources::Constant full(1.0f);
    sine->setValue(Oscillator::kPwm, 1.0f);
    sine->setPwmSource(&full);
    block = render(*sine, 4096);
    EXPECT_NEAR(TestAnalysis::peak(block.data(), block.size()), 2.0, 0.002);
    sine->setValue(Oscillator::kPwmPl, 0.0f); // width -0.5: the same half cycle behind
    block = render(*sine, 4096);
    EXPECT_NEAR(TestAnalysis::peak(block.data(), block.size()), 2.0, 0.002);

    sine->setValue(Oscillator::kPwOn, 0.0f);
    block = render(*sine, 4096);
    EXPECT_NEAR(TestAnalysis::peak(block.data(), block.size()), 1.0, 0.002);

    // On the sawtooth, width 0.5 gives a square wave, nearly: the copy is read after the advance,
    // half a cycle plus one increment d (20 / 2048 of a cycle here) ahead. Harmonic k of
    // saw(x) - saw(x + 2 pi (0.5 + d)) has the factor |1 - e^(2 pi i k (0.5 + d))|: 2 cos(pi k d)
    // for odd k, 2 sin(pi k d) for even k, so the even harmonics almost cancel.
    const float exactRate = 45056.0f; // 5 cycles of note 69 in 512 samples
    auto saw = makeOscillator(exactRate, 0, 69);
    saw->setValue(Oscillator::kPwOn, 1.0f);
    block = render(*saw, 512);
    const double d = 20.0 / 2048.0;
    auto harmonic = [&](int k)
    { return TestAnalysis::toneAmplitude(block.data(), 512, 440.0 * k, exactRate); };
    EXPECT_NEAR(harmonic(2) / harmonic(1), std::sin(2.0 * kPi * d) / (2.0 * std::cos(kPi * d)),
                1e-4);
    EXPECT_NEAR(harmonic(3) / harmonic(1), std::cos(3.0 * kPi * d) / (3.0 * std::cos(kPi * d)),
                1e-4);
}

TEST(OscillatorTest, SyncRestartsTheSlaveAtEachMasterWrapWithACrossfade)
{
    const float rate = 44100.0f;
    auto master = makeOscillator(rate, kSine, 57);
    auto slave = makeOscillator(rate, kSine, 57);
    slave->setValue(Oscillator::kTrans, transNorm(4));
    slave->setSyncMaster(master.get());
    const int frames = 4096;
    master->process(frames);
    slave->process(frames);
    const float* masterPhase = master->getPhaseRecord();
    const float* slavePhase = slave->getPhaseRecord();
    const float* out = slave->getOutput();
    const double slaveIncrement = slave->getIncrement();

    int wraps = 0;
    double largestOldNewGap = 0.0;
    for (int j = 1; j + 18 < frames; ++j)
    {
        if (masterPhase[j] >= masterPhase[j - 1])
        {
            continue;
        }
        ++wraps;
        // The restart puts the slave where it would be had it restarted at the master's exact
        // wrap; the old waveform continues from the phase it had reached.
        const double restart =
            static_cast<double>(masterPhase[j] / master->getIncrement() * slave->getIncrement());
        const double old = static_cast<double>(slavePhase[j]);
        largestOldNewGap = std::max(largestOldNewGap, std::fabs(sineAt(restart) - sineAt(old)));
        for (int c = 1; c <= 16; ++c)
        {
            const double oldWeight = (16 - c) / 16.0;
            const double expected = (1.0 - oldWeight) * sineAt(restart + (c - 1) * slaveIncrement) +
                                    oldWeight * sineAt(old + (c - 1) * slaveIncrement);
            ASSERT_NEAR(out[j + c], expected, 2e-4) << "wrap at " << j << ", sample " << c;
        }
        EXPECT_NEAR(out[j + 17], sineAt(restart + 16 * slaveIncrement), 2e-4);
    }
    // 220 Hz for 4096 samples; the first sample after each restart is still 15/16 old.
    EXPECT_EQ(wraps, 20);
    EXPECT_GT(largestOldNewGap, 0.3);

    // Without the master the phase runs free.
    slave->setSyncMaster(nullptr);
    master->process(frames);
    slave->process(frames);
    for (int i = 1; i < frames; ++i)
    {
        const double step =
            std::fmod(static_cast<double>(slavePhase[i] - slavePhase[i - 1]) + 2048.0, 2048.0);
        ASSERT_NEAR(step, slaveIncrement, 1e-3) << i;
    }
}

TEST(OscillatorTest, AmplitudeSourceScalesEachSample)
{
    auto plain = makeOscillator(44100.0f, 0, 60);
    auto scaled = makeOscillator(44100.0f, 0, 60);
    TestSources::Sine level(300.0, 0.5f, 0.5f);
    scaled->setAmplitudeSource(&level);
    level.process(1000);
    plain->process(1000);
    scaled->process(1000);
    for (int i = 0; i < 1000; ++i)
    {
        ASSERT_EQ(scaled->getOutput()[i], plain->getOutput()[i] * level.getOutput()[i]) << i;
    }
}

TEST(OscillatorTest, SetPhaseMovesThePhaseWhileNotesAndResetKeepIt)
{
    auto oscillator = makeOscillator(44100.0f, kSine, 69);
    oscillator->setPhase(511.0f);
    oscillator->process(1);
    EXPECT_NEAR(oscillator->getOutput()[0], 1.0f, 1e-6f); // the table's peak at phase 512
    const float phase = oscillator->getPhase();
    oscillator->trigger(69, 40, 100);
    oscillator->reset();
    EXPECT_EQ(oscillator->getPhase(), phase);

    oscillator->setPhase(2048.0f);
    EXPECT_EQ(oscillator->getPhase(), 0.0f);
    oscillator->setPhase(-1.0f);
    EXPECT_EQ(oscillator->getPhase(), 2047.0f);
    oscillator->setPhase(5000.0f);
    EXPECT_EQ(oscillator->getPhase(), 5000.0f - 4096.0f);
    oscillator->setPhase(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(oscillator->getPhase(), 0.0f);
}

TEST(OscillatorTest, SplitRendersGiveTheSameSamplesAsOneCall)
{
    struct Rig
    {
        std::unique_ptr<Oscillator> master = makeOscillator(44100.0f, 3, 50);
        std::unique_ptr<Oscillator> slave = makeOscillator(44100.0f, 16, 57);
        TestSources::Sine lfo{5000.0, 0.8f, 0.0f};
        TestSources::Sine env{9000.0, 0.5f, 0.5f};
        Rig()
        {
            master->setValue(Oscillator::kFm1, 0.6f);
            master->setFmSource(1, &lfo);
            slave->setValue(Oscillator::kFm2, 0.3f);
            slave->setFmSource(2, &env);
            slave->setPitchSource(&lfo);
            slave->setValue(Oscillator::kPwOn, 1.0f);
            slave->setValue(Oscillator::kPwm, 0.7f);
            slave->setPwmSource(&lfo);
            slave->setAmplitudeSource(&env);
            slave->setSyncMaster(master.get());
        }
        void process(int count)
        {
            lfo.process(count);
            env.process(count);
            master->process(count);
            slave->process(count);
        }
    };
    auto whole = std::make_unique<Rig>();
    auto pieces = std::make_unique<Rig>();
    const int frames = 3000;
    whole->process(frames);
    const std::vector<float> expected(whole->slave->getOutput(),
                                      whole->slave->getOutput() + frames);
    int done = 0;
    for (int piece : {1, 7, 64, 500, 1000, 1428})
    {
        pieces->process(piece);
        for (int i = 0; i < piece; ++i)
        {
            ASSERT_EQ(pieces->slave->getOutput()[i], expected[static_cast<std::size_t>(done + i)])
                << "sample " << done + i;
        }
        done += piece;
    }
    ASSERT_EQ(done, frames);
}

TEST(OscillatorTest, FreeRunningRendersGiveTheSameSamplesInAnyPieces)
{
    // Without a sync master the oscillator renders four samples to a vector, and a piece of up to
    // three samples one by one: the two must agree bit for bit, through every phase a cycle has
    // (the last sample of a cycle reads the first as its neighbour), with FM, pulse width and a
    // pulse-width modulation wide enough to push the copy's position below zero.
    enum Setup
    {
        kPlain,
        kFm,
        kPulse,
        kWidePwm
    };
    struct Rig
    {
        std::unique_ptr<Oscillator> oscillator;
        TestSources::Sine lfo{3001.0, 0.9f, 0.0f};
        TestSources::Sine wide{777.0, 3.0f, 0.0f};
        TestSources::Sine level{5003.0, 0.4f, 0.5f};
        Rig(Setup setup, int wave, int note) : oscillator(makeOscillator(44100.0f, wave, note))
        {
            oscillator->setValue(Oscillator::kDtn, 0.61f);
            oscillator->setAmplitudeSource(&level);
            if (setup == kFm)
            {
                oscillator->setValue(Oscillator::kFm1, 0.8f);
                oscillator->setFmSource(1, &lfo);
            }
            if (setup == kPulse || setup == kWidePwm)
            {
                oscillator->setValue(Oscillator::kPwOn, 1.0f);
                oscillator->setValue(Oscillator::kPwid, 0.3f);
            }
            if (setup == kWidePwm)
            {
                oscillator->setValue(Oscillator::kPwm, 1.0f);
                oscillator->setPwmSource(&wide);
            }
        }
        void process(int count)
        {
            lfo.process(count);
            wide.process(count);
            level.process(count);
            oscillator->process(count);
        }
    };
    for (Setup setup : {kPlain, kFm, kPulse, kWidePwm})
    {
        for (int note : {33, 81, 117})
        {
            auto whole = std::make_unique<Rig>(setup, 5, note);
            auto pieces = std::make_unique<Rig>(setup, 5, note);
            whole->process(kMaxBlockFrames);
            const std::vector<float> expected(whole->oscillator->getOutput(),
                                              whole->oscillator->getOutput() + kMaxBlockFrames);
            int done = 0;
            int piece = 0;
            while (done < kMaxBlockFrames)
            {
                const int count = std::min(1 + piece % 6, kMaxBlockFrames - done);
                pieces->process(count);
                for (int i = 0; i < count; ++i)
                {
                    ASSERT_EQ(pieces->oscillator->getOutput()[i],
                              expected[static_cast<std::size_t>(done + i)])
                        << "setup " << setup << ", note " << note << ", sample " << done + i;
                }
                done += count;
                ++piece;
            }
        }
    }
}

TEST(OscillatorTest, ProcessAllocatesNothing)
{
    auto master = makeOscillator(44100.0f, 0, 40);
    auto oscillator = makeOscillator(44100.0f, 5, 64);
    TestSources::Constant source(0.3f);
    oscillator->setFmSource(1, &source);
    oscillator->setValue(Oscillator::kFm1, 0.5f);
    oscillator->setPitchSource(&source);
    oscillator->setPwmSource(&source);
    oscillator->setValue(Oscillator::kPwOn, 1.0f);
    oscillator->setAmplitudeSource(&source);
    oscillator->setSyncMaster(master.get());
    TestAllocation::Scope allocations;
    for (int block = 0; block < 4; ++block)
    {
        master->process(kMaxBlockFrames);
        oscillator->process(kMaxBlockFrames);
    }
    oscillator->trigger(40, 90, 100);
    oscillator->bend(0.5f);
    oscillator->setValue(Oscillator::kWave, waveNorm(12));
    EXPECT_EQ(allocations.count(), 0);
}

TEST(OscillatorTest, ExtremeInputsKeepTheOutputFiniteAndThePhaseInACycle)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto checkBlock = [](Oscillator& oscillator, int count, const char* what)
    {
        oscillator.process(count);
        EXPECT_TRUE(TestAnalysis::allFinite(oscillator.getOutput(), count)) << what;
        EXPECT_LE(TestAnalysis::peak(oscillator.getOutput(), count), 2.0) << what;
        EXPECT_GE(oscillator.getPhase(), 0.0f) << what;
        EXPECT_LT(oscillator.getPhase(), 2048.0f) << what;
    };

    // The highest pitch at the lowest rate: more than a whole cycle per sample.
    auto high = makeOscillator(8000.0f, 0, 127);
    high->setValue(Oscillator::kTrans, 1.0f);
    high->setValue(Oscillator::kDtn, 1.0f);
    high->setValue(Oscillator::kPbr, 1.0f);
    high->bend(1.0f);
    high->setValue(Oscillator::kPwOn, 1.0f);
    checkBlock(*high, 512, "highest pitch");
    EXPECT_GT(high->getIncrement(), 2048.0f * 10.0f);

    // Modulation sums far beyond any musical range, and damaged source values.
    auto modulated = makeOscillator(44100.0f, 6, 60);
    auto slave = makeOscillator(44100.0f, 0, 100);
    slave->setSyncMaster(modulated.get());
    TestSources::Constant source(0.0f);
    modulated->setFmSource(1, &source);
    modulated->setValue(Oscillator::kFm1, 1.0f);
    modulated->setValue(Oscillator::kPwOn, 1.0f);
    modulated->setValue(Oscillator::kPwm, 1.0f);
    modulated->setPwmSource(&source);
    for (float value : {40.0f, -40.0f, 1e30f, -1e30f, inf, -inf, nan})
    {
        source.set(value);
        checkBlock(*modulated, 256, "modulation");
        checkBlock(*slave, 256, "synced to a wildly modulated master");
    }

    // Damaged rates, bends and phases are refused or brought into range.
    auto oscillator = makeOscillator(44100.0f, 0, 69);
    oscillator->setSampleRate(0.0f);
    oscillator->setSampleRate(-44100.0f);
    oscillator->setSampleRate(nan);
    oscillator->setSampleRate(inf);
    EXPECT_EQ(oscillator->getSampleRate(), 44100.0f);
    oscillator->bend(nan);
    oscillator->setPhase(1e30f);
    checkBlock(*oscillator, 64, "damaged rate, bend and phase");
    EXPECT_NEAR(oscillator->getIncrement(), 20.4336f, 1e-4f);
    oscillator->bend(50.0f); // held at +1: two semitones up
    oscillator->process(1);
    EXPECT_NEAR(oscillator->getIncrement(), 20.4336f * std::exp2(2.0f / 12.0f), 1e-3f);
}
