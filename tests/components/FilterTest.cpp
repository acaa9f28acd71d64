// The voice filter: slopes and modes, cutoff modulation, resonance, silent-input reset, pressure,
// key tracking, block splitting and extreme settings.
#include "components/Filter.h"

#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"
#include "tests/support/Fft.h"
#include "tests/support/SignalSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <tuple>
#include <vector>

namespace
{

using TestSignals::SignalSource;
using TestSignals::sine;
using Setup = std::function<void(Filter&)>;

// The Cut setting whose cutoff note lies at hz with key tracking off.
float cutFor(double hz)
{
    return static_cast<float>((69.0 + 12.0 * std::log2(hz / 440.0)) / 128.0);
}

float typeNorm(int mode)
{
    return static_cast<float>(mode) / 3.0f;
}

// A filter with its sources; render processes the sources before the filter, like a voice.
struct Rig
{
    explicit Rig(float rateHz, double cutoffHz = 1000.0, float res = 0.0f) : rate(rateHz)
    {
        filter->setSampleRate(rate);
        filter->setValue(Filter::kCut, cutFor(cutoffHz));
        filter->setValue(Filter::kRes, res);
        filter->trigger(69, 69, 100);
    }

    SignalSource& add(std::vector<float> samples)
    {
        sources.push_back(std::make_unique<SignalSource>(std::move(samples)));
        return *sources.back();
    }
    SignalSource& input(int number, std::vector<float> samples)
    {
        SignalSource& source = add(std::move(samples));
        filter->setAudioInput(number, &source);
        return source;
    }
    SignalSource& fm(int number, std::vector<float> samples)
    {
        SignalSource& source = add(std::move(samples));
        filter->setFmSource(number, &source);
        return source;
    }

    std::vector<float> render(long frames, int blockFrames = 512)
    {
        std::vector<float> out;
        for (; frames > 0; frames -= blockFrames)
        {
            const int n = static_cast<int>(std::min<long>(frames, blockFrames));
            for (auto& source : sources)
            {
                source->process(n);
            }
            filter->process(n);
            out.insert(out.end(), filter->getOutput(), filter->getOutput() + n);
        }
        return out;
    }

    float rate;
    std::unique_ptr<Filter> filter = std::make_unique<Filter>("F");
    std::vector<std::unique_ptr<SignalSource>> sources;
};

double toneDb(const std::vector<float>& out, double hz, float rate)
{
    return TestAnalysis::decibels(TestAnalysis::toneAmplitude(out.data(), out.size(), hz, rate));
}

// The level of a 0 dB sine at toneHz through the filter after 0.2 s of settling, with fmSignal on
// both FM inputs.
double responseDb(float rate, double cutoffHz, double toneHz, const Setup& setup = {},
                  std::vector<float> fmSignal = {})
{
    Rig rig(rate, cutoffHz);
    rig.input(1, sine(toneHz, rate, 1.0f));
    if (!fmSignal.empty())
    {
        rig.fm(1, fmSignal);
        rig.fm(2, fmSignal);
    }
    if (setup)
    {
        setup(*rig.filter);
    }
    rig.filter->reset();
    rig.render(static_cast<long>(0.2f * rate));
    return toneDb(rig.render(static_cast<long>(0.1f * rate)), toneHz, rate);
}

Setup mode(int type)
{
    return [type](Filter& f) { f.setValue(Filter::kType, typeNorm(type)); };
}

// A unit impulse on a constant floor. A floor of 2e-6 lies above the silence threshold (1e-6), so
// the tail after the impulse is not taken for a silent input.
constexpr float kAudibleFloor = 2e-6f;

std::vector<float> impulse(float floor = kAudibleFloor)
{
    std::vector<float> samples(kMaxBlockFrames, floor);
    samples[0] = 1.0f;
    return samples;
}

class FilterRateTest : public ::testing::TestWithParam<float>
{
};

} // namespace

TEST_P(FilterRateTest, ModesShapeTheSpectrum)
{
    const float rate = GetParam();
    // Lowpass: two one-pole stages, -12 dB per octave well above the cutoff.
    EXPECT_NEAR(responseDb(rate, 400.0, 20.0), 0.0, 0.1);
    const double at3200 = responseDb(rate, 400.0, 3200.0);
    EXPECT_NEAR(at3200 - responseDb(rate, 400.0, 1600.0), -12.0, 1.0);
    EXPECT_NEAR(responseDb(rate, 400.0, 6400.0) - at3200, -12.0, 1.0);

    EXPECT_NEAR(responseDb(rate, 400.0, 6400.0, mode(Filter::kHighpass)), 0.0, 0.1);
    EXPECT_LT(responseDb(rate, 400.0, 100.0, mode(Filter::kHighpass)), -3.0);
    EXPECT_LT(responseDb(rate, 400.0, 20.0, mode(Filter::kHighpass)), -15.0);

    const double centre = responseDb(rate, 400.0, 400.0, mode(Filter::kBandpass));
    EXPECT_GT(centre - responseDb(rate, 400.0, 20.0, mode(Filter::kBandpass)), 15.0);
    EXPECT_GT(centre - responseDb(rate, 400.0, 6400.0, mode(Filter::kBandpass)), 15.0);

    EXPECT_LT(responseDb(rate, 400.0, 400.0, mode(Filter::kNotch)), -4.0);
    EXPECT_GT(responseDb(rate, 400.0, 20.0, mode(Filter::kNotch)), -0.3);
    EXPECT_GT(responseDb(rate, 400.0, 6400.0, mode(Filter::kNotch)), -0.3);
}

TEST_P(FilterRateTest, ATenthOfModulationRaisesTheCutoffOneOctave)
{
    const float rate = GetParam();
    const double base = responseDb(rate, 250.0, 4000.0);
    const double octaveUp = responseDb(rate, 500.0, 4000.0);
    // Four octaves above the cutoff an octave of cutoff is worth about 12 dB.
    EXPECT_NEAR(octaveUp - base, 12.0, 1.0);
    auto fm = [](float depth, bool negative)
    {
        return [depth, negative](Filter& f)
        {
            f.setValue(Filter::kFM1, depth);
            f.setValue(Filter::kFM1PL, negative ? 0.0f : 1.0f);
        };
    };
    EXPECT_NEAR(responseDb(rate, 250.0, 4000.0, fm(0.1f, false), {1.0f}), octaveUp, 0.05);
    EXPECT_NEAR(responseDb(rate, 250.0, 4000.0, fm(0.5f, true), {0.2f}),
                responseDb(rate, 125.0, 4000.0), 0.05);
    // FM 2 adds to FM 1; a depth without a source does nothing.
    auto both = [](Filter& f)
    {
        f.setValue(Filter::kFM1, 0.2f);
        f.setValue(Filter::kFM2, 0.1f);
        f.setValue(Filter::kFM2PL, 0.0f);
    };
    EXPECT_NEAR(responseDb(rate, 250.0, 4000.0, both, {1.0f}), octaveUp, 0.05);
    EXPECT_NEAR(responseDb(rate, 250.0, 4000.0, [](Filter& f) { f.setValue(Filter::kFM1, 1.0f); }),
                base, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Rates, FilterRateTest, ::testing::Values(44100.0f, 48000.0f, 96000.0f));

namespace
{

// From the impulse response's spectrum, 20 Hz to 8 kHz: the -3 dB point (below the passband for
// lowpass, above the stopband for highpass, between bins), and the frequency and level of the
// largest value (resonant peak, bandpass centre) or of the notch's smallest.
std::array<double, 3> measureResponse(float rate, int mode, double cutoffHz, float res)
{
    const std::size_t count = rate > 100000.0f ? 65536 : (rate > 50000.0f ? 32768 : 16384);
    Rig rig(rate, cutoffHz, res);
    rig.filter->setValue(Filter::kType, typeNorm(mode));
    rig.input(1, impulse()).signal.resize(count, kAudibleFloor);
    rig.filter->reset();
    const auto spectrum =
        TestFft::transformReal(rig.render(static_cast<long>(count)).data(), count);
    const double binHz = static_cast<double>(rate) / static_cast<double>(count);
    const double sign = mode == Filter::kNotch ? -1.0 : 1.0;
    std::array<double, 3> found = {0.0, 0.0, -sign * 1e9}; // corner Hz, peak Hz, peak dB
    for (std::size_t bin = 2; static_cast<double>(bin) * binHz < 8000.0; ++bin)
    {
        const double db = TestAnalysis::decibels(std::abs(spectrum[bin]));
        const double before = TestAnalysis::decibels(std::abs(spectrum[bin - 1]));
        const double hz = static_cast<double>(bin) * binHz;
        found = hz >= 20.0 && sign * db > sign * found[2] ? std::array{found[0], hz, db} : found;
        if (mode == Filter::kHighpass ? (before < -3.0 && db >= -3.0)
                                      : (before >= -3.0 && db < -3.0 && found[0] == 0.0))
        {
            found[0] = hz - binHz * (db + 3.0) / (db - before);
        }
    }
    return found;
}

} // namespace

// A setting gives the response in Hz it gives at 44100 Hz at every rate: -3 dB point (lowpass,
// highpass) and peak (not of a plain lowpass) within 3 percent, peak height within 1 dB. The
// cutoffs of 4 kHz are not asked of 22050 Hz, where the response at 44100 Hz reaches far past
// half the rate.
TEST(FilterTest, TheResponseInHzHoldsAtEveryRate)
{
    const std::tuple<int, double, float> cases[] = {
        {Filter::kLowpass, 1000.0, 0.0f},  {Filter::kLowpass, 4000.0, 0.0f},
        {Filter::kLowpass, 250.0, 0.5f},   {Filter::kLowpass, 1000.0, 0.5f},
        {Filter::kLowpass, 500.0, 0.8f},   {Filter::kLowpass, 2000.0, 0.9f},
        {Filter::kLowpass, 4000.0, 0.6f},  {Filter::kHighpass, 250.0, 0.5f},
        {Filter::kHighpass, 2000.0, 0.0f}, {Filter::kHighpass, 4000.0, 0.6f},
        {Filter::kBandpass, 250.0, 0.5f},  {Filter::kBandpass, 1000.0, 0.5f},
        {Filter::kBandpass, 2000.0, 0.9f}, {Filter::kBandpass, 4000.0, 0.3f},
        {Filter::kNotch, 1000.0, 0.5f},    {Filter::kNotch, 2000.0, 0.3f},
        {Filter::kNotch, 4000.0, 0.6f}};
    for (const auto& [mode, cutoffHz, res] : cases)
    {
        const auto reference = measureResponse(44100.0f, mode, cutoffHz, res);
        for (float rate : {22050.0f, 48000.0f, 96000.0f, 192000.0f})
        {
            if (rate < 44100.0f && cutoffHz > 2000.0)
            {
                continue;
            }
            SCOPED_TRACE(::testing::Message()
                         << mode << ", " << cutoffHz << ", " << res << ", " << rate);
            const auto got = measureResponse(rate, mode, cutoffHz, res);
            if (mode == Filter::kLowpass || mode == Filter::kHighpass)
            {
                EXPECT_NEAR(got[0] / reference[0], 1.0, 0.03);
            }
            if (mode != Filter::kLowpass || res > 0.0f)
            {
                EXPECT_NEAR(got[1] / reference[1], 1.0, 0.03);
                EXPECT_NEAR(mode == Filter::kNotch ? 0.0 : got[2] - reference[2], 0.0, 1.0);
            }
        }
    }
}

TEST(FilterTest, FullResonanceRingsButStaysBounded)
{
    Rig ringing(44100.0f, 1000.0, 1.0f);
    ringing.input(1, impulse());
    std::vector<float> out = ringing.render(kMaxBlockFrames, kMaxBlockFrames);
    // Still strong 150 ms after the impulse, at about the cutoff; half resonance dies away.
    EXPECT_GT(TestAnalysis::peak(out.data() + 6615, 441), 0.05);
    EXPECT_NEAR(TestAnalysis::zeroCrossingFrequency(out.data() + 441, 4410, 44100.0), 1000.0,
                200.0);
    Rig damped(44100.0f, 1000.0, 0.5f);
    damped.input(1, impulse());
    out = damped.render(kMaxBlockFrames, kMaxBlockFrames);
    EXPECT_LT(TestAnalysis::peak(out.data() + 882, 441), 1e-5); // the floor itself is 2e-6

    // A full-scale square wave: with the feedback held to +-4 each stage stays a mix of its
    // previous value and x + fb, so |s1|, |s2| <= 5 and the modes stay within 5, 6, 10 and 11.
    const double bounds[] = {5.0, 6.0, 10.0, 11.0};
    for (int type = 0; type < 4; ++type)
    {
        for (double cutoffHz : {1000.0, 5000.0, 13000.0})
        {
            for (double squareHz : {40.0, 1000.0})
            {
                Rig loud(44100.0f, cutoffHz, 1.0f);
                loud.filter->setValue(Filter::kType, typeNorm(type));
                std::vector<float> square = sine(squareHz, 44100.0f, 1.0f);
                for (float& v : square)
                {
                    v = v >= 0.0f ? 1.0f : -1.0f;
                }
                loud.input(1, square);
                out = loud.render(44100);
                EXPECT_TRUE(TestAnalysis::allFinite(out.data(), out.size()));
                EXPECT_LE(TestAnalysis::peak(out.data(), out.size()), bounds[type])
                    << type << " " << cutoffHz << " " << squareHz;
            }
        }
    }
}

TEST(FilterTest, ASilentInputResetsTheFilter)
{
    // The next stretch's constant inputs 1 and 2 (NaN: unconnected) and whether they reset. The
    // reset comes on the 64th silent sample, so the level is read from there on.
    const float none = std::nanf("");
    for (auto [first, second, resets] :
         {std::tuple{0.0f, none, true}, std::tuple{5e-7f, none, true},
          std::tuple{2e-6f, none, false},
          // The silence measure adds each partial sum, so input 1 counts twice.
          std::tuple{-4e-7f, 0.0f, true}, std::tuple{6e-7f, 0.0f, false},
          std::tuple{0.5f, -0.5f, false}})
    {
        Rig rig(44100.0f, 1000.0, 1.0f);
        SignalSource& one = rig.input(1, impulse());
        SignalSource* two = std::isnan(second) ? nullptr : &rig.input(2, {0.0f});
        rig.render(kMaxBlockFrames, kMaxBlockFrames); // ringing
        one.signal = {first};
        if (two != nullptr)
        {
            two->signal = {second};
        }
        const std::vector<float> out = rig.render(2048, 2048);
        const double level = TestAnalysis::peak(out.data() + 63, out.size() - 63);
        EXPECT_TRUE(resets ? level < 1e-5 : level > 0.05) << first << " " << second;
    }

    // The reset lands on the same sample in blocks of any size: the ringing goes on through 63
    // silent samples and stops exactly at the 64th.
    for (int blockFrames : {1, 7, 64, 2048})
    {
        Rig rig(44100.0f, 1000.0, 1.0f);
        SignalSource& one = rig.input(1, impulse());
        rig.render(kMaxBlockFrames, kMaxBlockFrames);
        one.signal = {0.0f};
        const std::vector<float> out = rig.render(512, blockFrames);
        EXPECT_GT(TestAnalysis::peak(out.data() + 32, 31), 1e-3) << blockFrames;
        EXPECT_EQ(TestAnalysis::peak(out.data() + 63, out.size() - 63), 0.0) << blockFrames;
    }

    // A resonant tone that passes exactly through zero (sample 0 of every 4410-sample loop) is
    // not silence, even when that sample is a block of its own.
    {
        Rig whole(44100.0f, 1000.0, 0.9f);
        Rig single(44100.0f, 1000.0, 0.9f);
        whole.input(1, sine(1000.0, 44100.0f, 1.0f));
        single.input(1, sine(1000.0, 44100.0f, 1.0f));
        EXPECT_EQ(single.render(kMaxBlockFrames, 1),
                  whole.render(kMaxBlockFrames, kMaxBlockFrames));
    }

    // A tone whose block holds whole cycles (4000 Hz in 441-sample blocks: 40 cycles) sums to
    // (nearly) zero but is not silent: the filter passes it as it passes the tone elsewhere.
    {
        Rig rig(44100.0f, 1000.0);
        rig.input(1, sine(4000.0, 44100.0f, 1.0f));
        rig.render(8820, 441);
        const std::vector<float> out = rig.render(4410, 441);
        EXPECT_NEAR(toneDb(out, 4000.0, 44100.0f), responseDb(44100.0f, 1000.0, 4000.0), 0.5);
    }

    // The reset also ends a pending glide of the cutoff.
    Rig rig(44100.0f, 250.0);
    SignalSource& tone = rig.input(1, {0.0f});
    rig.render(512);
    rig.filter->setValue(Filter::kCut, cutFor(1000.0));
    rig.render(512);
    tone.signal = sine(4000.0, 44100.0f, 1.0f);
    EXPECT_NEAR(toneDb(rig.render(441), 4000.0, 44100.0f), responseDb(44100.0f, 1000.0, 4000.0),
                1.0);

    // Silence after a reset gives exact zeros in every mode, connected or not, even modulated.
    for (int type = 0; type < 4; ++type)
    {
        for (bool connected : {false, true})
        {
            Rig quiet(48000.0f, 1000.0, 1.0f);
            quiet.filter->setValue(Filter::kType, typeNorm(type));
            quiet.filter->setValue(Filter::kFM1, 1.0f);
            quiet.fm(1, sine(5.0, 48000.0f, 1.0f));
            for (int input = 1; connected && input <= 3; ++input)
            {
                quiet.input(input, {0.0f});
            }
            quiet.filter->reset();
            const std::vector<float> out = quiet.render(20000, 1000);
            EXPECT_EQ(out, std::vector<float>(out.size(), 0.0f)) << type << " " << connected;
        }
    }
}

TEST(FilterTest, PressureKeyTrackingAndTriggers)
{
    const double base = responseDb(44100.0f, 250.0, 4000.0);
    const double octaveUp = responseDb(44100.0f, 500.0, 4000.0);
    // Every write of CPrss clears the amount: pressure counts from the next message on.
    auto pressed = [](bool enableFirst, float pressure)
    {
        return [enableFirst, pressure](Filter& f)
        {
            if (enableFirst)
            {
                f.setValue(Filter::kCPrss, 1.0f);
            }
            f.press(pressure);
            if (!enableFirst)
            {
                f.setValue(Filter::kCPrss, 1.0f);
            }
        };
    };
    const float tenth = std::sqrt(0.1f); // squared to a sum of 0.1
    EXPECT_NEAR(responseDb(44100.0f, 250.0, 4000.0, pressed(false, tenth)), base, 1e-9);
    EXPECT_NEAR(responseDb(44100.0f, 250.0, 4000.0, [&](Filter& f) { f.press(tenth); }), base,
                1e-9);
    EXPECT_NEAR(responseDb(44100.0f, 250.0, 4000.0, pressed(true, tenth)), octaveUp, 0.05);
    // Pressure beyond the range of a data byte counts as full: ten octaves.
    EXPECT_NEAR(responseDb(44100.0f, 12.5, 4000.0, pressed(true, 5.0f)),
                responseDb(44100.0f, 12800.0, 4000.0), 0.5);

    // Each semitone of the note adds KTrck semitones to the cutoff note.
    auto tracked = [](float amount, int note)
    {
        return [amount, note](Filter& f)
        {
            f.setValue(Filter::kKTrck, amount);
            f.trigger(69, note, 100);
        };
    };
    EXPECT_NEAR(responseDb(44100.0f, 250.0, 4000.0, tracked(1.0f, 0)), base, 0.05);
    EXPECT_NEAR(responseDb(44100.0f, 250.0, 4000.0, tracked(1.0f, 12)), octaveUp, 0.05);
    EXPECT_NEAR(responseDb(44100.0f, 250.0, 4000.0, tracked(0.5f, 24)), octaveUp, 0.05);
    EXPECT_NEAR(responseDb(44100.0f, 250.0, 4000.0, tracked(0.0f, 93)), base, 1e-9);

    // A trigger retunes within the first 10 ms; a new Cut setting glides for about 36 ms.
    const double twoOctavesUp = responseDb(44100.0f, 1000.0, 4000.0);
    Rig rig(44100.0f, 250.0);
    rig.filter->setValue(Filter::kKTrck, 1.0f);
    rig.filter->trigger(69, 0, 100);
    rig.input(1, sine(4000.0, 44100.0f, 1.0f));
    rig.render(44100);
    rig.filter->trigger(0, 24, 100);
    EXPECT_NEAR(toneDb(rig.render(441, 441), 4000.0, 44100.0f), twoOctavesUp, 1.0);
    rig.filter->trigger(24, 0, 100);
    rig.render(4410);
    rig.filter->setValue(Filter::kCut, cutFor(1000.0));
    EXPECT_LT(toneDb(rig.render(441, 441), 4000.0, 44100.0f), base + 6.0);
    rig.render(13230);
    EXPECT_NEAR(toneDb(rig.render(441, 441), 4000.0, 44100.0f), twoOctavesUp, 0.5);
}

TEST(FilterTest, SplitRendersEqualOneRenderAndTheAmplitudeScales)
{
    auto play = [](int blockFrames, bool withAmplitude)
    {
        Rig rig(48000.0f, 800.0, 0.7f);
        rig.filter->setValue(Filter::kFM1, 0.3f);
        rig.filter->setValue(Filter::kCPrss, 1.0f);
        rig.filter->press(0.4f);
        rig.input(1, sine(330.0, 48000.0f, 0.5f, 0.8f)); // never near silence
        rig.input(3, sine(2010.0, 48000.0f, 0.2f));
        rig.fm(1, sine(5.0, 48000.0f, 1.0f));
        if (withAmplitude)
        {
            rig.filter->setAmplitudeSource(&rig.add(sine(10.0, 48000.0f)));
        }
        std::vector<float> out = rig.render(9000, blockFrames);
        rig.filter->setValue(Filter::kCut, cutFor(3000.0)); // a glide across the blocks
        const std::vector<float> rest = rig.render(9000, blockFrames);
        out.insert(out.end(), rest.begin(), rest.end());
        return out;
    };
    const std::vector<float> whole = play(kMaxBlockFrames, false);
    for (int block : {1, 64, 700})
    {
        EXPECT_EQ(play(block, false), whole) << block;
    }
    const std::vector<float> scaled = play(700, true);
    const std::vector<float> amplitude = sine(10.0, 48000.0f);
    for (std::size_t n = 0; n < whole.size(); ++n)
    {
        ASSERT_EQ(scaled[n], whole[n] * amplitude[n % amplitude.size()]) << n;
    }
}

TEST(FilterTest, ExtremeSettingsAndRatesStayFiniteAndAllocateNothing)
{
    // Below about 12030 Hz the stage coefficient can round to exactly 1 near half the rate; at
    // 12026..12038 Hz that happens at Cut 1 with no modulation at all.
    std::vector<float> rates = {22050.0f, 44100.0f, 96000.0f, 192000.0f, 384000.0f};
    for (float rate = 8000.0f; rate <= 16000.0f; rate += 1.0f)
    {
        rates.push_back(rate);
    }
    for (float rate : rates)
    {
        for (float fmSum : {0.0f, 10.0f, -10.0f})
        {
            for (float res : {0.0f, 1.0f})
            {
                Rig rig(rate, 1.0, res);
                rig.filter->setValue(Filter::kCut, 1.0f);
                rig.filter->setValue(Filter::kKTrck, 1.0f);
                rig.filter->setValue(Filter::kFM1, 1.0f);
                rig.filter->setValue(Filter::kType, res);
                rig.filter->trigger(69, 127, 100);
                rig.input(1, {1.0f, -1.0f, 0.7f, 0.0f, -0.3f, 1.0f, 1.0f});
                rig.fm(1, {fmSum});
                const int frames = rate < 16001.0f ? 64 : kMaxBlockFrames;
                rig.sources[0]->process(frames);
                rig.sources[1]->process(frames);
                TestAllocation::Scope scope;
                rig.filter->process(frames);
                ASSERT_EQ(scope.count(), 0);
                ASSERT_TRUE(TestAnalysis::allFinite(rig.filter->getOutput(), frames))
                    << rate << " Hz, sum " << fmSum << ", Res " << res;
            }
        }
    }
}

TEST(FilterTest, TypeShowsTheLongModeName)
{
    auto filter = std::make_unique<Filter>("F");
    const char* const modes[] = {"Lowpass", "Highpass", "Bandpass", "Notch"};
    char text[24];
    for (int type = 0; type < 4; ++type)
    {
        filter->setValue(Filter::kType, typeNorm(type));
        filter->getLongDisplay(Filter::kType, text);
        EXPECT_STREQ(text, modes[type]);
    }
    filter->getLongDisplay(Filter::kCPrss, text);
    EXPECT_STREQ(text, "Off");
    filter->getName(Filter::kFM2PL, text);
    EXPECT_STREQ(text, "F FM2PL");
}

// Filters of a voice collection processed together: every filter's samples and state must be
// those of its own process, bit for bit, whatever the other filters of the group do.
class FilterGroupTest : public ::testing::TestWithParam<int>
{
protected:
    // Filter number k of the group, with settings, inputs and modulation of its own: different
    // cutoffs and resonances, FM on some, pressure on one, none on others, an input that falls
    // silent (its reset lands mid-block), one far past the cutoff limits and one reaching half
    // the sample rate, where 1 - g rounds to 0.
    static void setUp(Rig& rig, int k, int type)
    {
        Filter& f = *rig.filter;
        f.setValue(Filter::kType, typeNorm(type));
        f.setValue(Filter::kCut, 0.3f + 0.07f * static_cast<float>(k % 9));
        f.setValue(Filter::kRes, 0.15f * static_cast<float>(k % 7));
        f.setValue(Filter::kKTrck, k % 3 == 0 ? 0.5f : 0.0f);
        f.trigger(69, 40 + 5 * k, 100);
        std::vector<float> tone =
            sine(110.0 * (k + 1), 44100.0f, 0.2f + 0.05f * static_cast<float>(k));
        if (k % 4 == 1)
        {
            // A note that ends: silence from frame 1500 of each 4410.
            std::fill(tone.begin() + 1500, tone.end(), 0.0f);
        }
        rig.input(1, tone);
        rig.input(3, sine(3000.0 + 70.0 * k, 44100.0f, 0.05f));
        if (k % 2 == 0)
        {
            f.setAmplitudeSource(&rig.add(sine(5.0, 44100.0f, 0.4f, 0.5f)));
        }
        switch (k % 5)
        {
        case 0:
            f.setValue(Filter::kFM1, 0.6f);
            rig.fm(1, sine(4.0 + k, 44100.0f, 1.0f));
            break;
        case 1:
            f.setValue(Filter::kCPrss, 1.0f);
            f.press(0.7f);
            break;
        case 2:
            f.setValue(Filter::kFM2, 1.0f);
            f.setValue(Filter::kFM2PL, 1.0f);
            rig.fm(2, {1.0e30f, -1.0e30f, 0.0f, 40.0f});
            break;
        case 3:
            f.setValue(Filter::kCut, 1.0f);
            f.setValue(Filter::kKTrck, 1.0f);
            f.trigger(69, 127, 100);
            break;
        default:
            break;
        }
    }

    static bool sameBits(const float* a, const float* b, int count)
    {
        return std::memcmp(a, b, sizeof(float) * static_cast<std::size_t>(count)) == 0;
    }

    // count filters set up twice, filter k in mode typeOf(k) at rateOf(k): the grouped ones run
    // through processGroup, the others each through its own process, over the given blocks; every
    // filter's samples must be the same bits in both.
    template <class TypeOf, class RateOf>
    static void expectGroupRendersAsAlone(int count, TypeOf typeOf, RateOf rateOf,
                                          std::initializer_list<int> blocks)
    {
        std::vector<std::unique_ptr<Rig>> grouped;
        std::vector<std::unique_ptr<Rig>> alone;
        std::vector<Filter*> filters;
        for (int k = 0; k < count; ++k)
        {
            grouped.push_back(std::make_unique<Rig>(rateOf(k)));
            alone.push_back(std::make_unique<Rig>(rateOf(k)));
            setUp(*grouped.back(), k, typeOf(k));
            setUp(*alone.back(), k, typeOf(k));
            filters.push_back(grouped.back()->filter.get());
        }
        for (int block : blocks)
        {
            for (int k = 0; k < count; ++k)
            {
                for (auto* rig : {grouped[k].get(), alone[k].get()})
                {
                    for (auto& source : rig->sources)
                    {
                        source->process(block);
                    }
                }
                alone[k]->filter->process(block);
            }
            Filter::processGroup(filters.data(), count, block);
            for (int k = 0; k < count; ++k)
            {
                ASSERT_TRUE(
                    sameBits(grouped[k]->filter->getOutput(), alone[k]->filter->getOutput(), block))
                    << count << " filters, filter " << k << ", block of " << block;
            }
        }
    }
};

TEST_P(FilterGroupTest, EachFilterRendersAsItsOwnProcess)
{
    const int type = GetParam();
    // At 44100 Hz and at a rate whose coefficients come from the rate table.
    for (float rate : {44100.0f, 96000.0f})
    {
        for (int filterCount : {1, 2, 3, 4, 5, 7, 16})
        {
            expectGroupRendersAsAlone(
                filterCount, [type](int) { return type; }, [rate](int) { return rate; },
                {1, 64, 300, 8192, 5, 4096});
        }
    }
}

TEST_P(FilterGroupTest, AFilterInAnotherModeStillRendersInItsOwn)
{
    // A Type write that has reached only some voices when the block starts.
    const int type = GetParam();
    expectGroupRendersAsAlone(
        4, [type](int k) { return k == 2 ? (type + 1) % 4 : type; }, [](int) { return 44100.0f; },
        {700, 33});
    // Filters at different rates in one group (voices of different instances never share one,
    // but the group must not give one filter another's coefficients).
    expectGroupRendersAsAlone(
        4, [type](int) { return type; },
        [](int k) { return k == 1 ? 48000.0f : (k == 3 ? 44100.0f : 96000.0f); }, {700, 33});
}

INSTANTIATE_TEST_SUITE_P(Modes, FilterGroupTest, ::testing::Values(0, 1, 2, 3));
