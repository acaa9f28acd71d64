// The voice filter.
#include "components/Filter.h"

#include "base/SampleRate.h"
#include "components/FastMath.h"
#include "components/Lanes.h"
#include "components/OnePole.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#ifdef TAVREL_LANES_SSE2
#include <emmintrin.h>
#endif

namespace
{

const char* const kTypeItems[] = {"LP", "HP", "BP", "N"};

// The cutoff smoothers' default frequency in Hz: a time constant of about 36 ms.
constexpr float kSmoothingHz = 4.41f;
// The range factor q scales the cubic that maps the cutoff onto a stage coefficient: about 0.9568,
// the coefficient of a one-pole with its corner at half of 44100 Hz at that rate. It is the same
// at every rate: the cutoff is already a fraction of the rate, and a q that shrank with the rate
// on top of it would lower the cutoff in Hz (to about half at 192000 Hz).
constexpr float kRangeCornerHz = 22050.0f;
constexpr float kRangeRateHz = 44100.0f;

// An input sample whose magnitude lies below kSilence counts as silent; after kSilentRun silent
// samples in a row (1.5 ms at 44100 Hz) the filter clears its state, and keeps it clear while
// the silence lasts. Counting samples rather than judging whole blocks makes the reset land on
// the same sample whatever the host's block size: a one-frame stretch whose single sample passes
// near zero is not silence, and resetting there would click in the middle of a note.
constexpr float kSilence = 0.000001f;
constexpr int kSilentRun = 64;

// The largest cutoff the modulated coefficient may reach: half the sample rate.
constexpr float kMaxCutoff = 0.5f;
// Keeps g above 0 so that the stages never freeze, even for a cutoff of 0.
constexpr float kMinCoefficient = 0.00001f;
// The resonance feedback is limited to this magnitude.
constexpr float kMaxFeedback = 4.0f;
// The smallest float step below 1. Below about 12030 Hz, g can round to exactly 1 near half the
// sample rate; 1 - g is then replaced by this gap so that the resonance gain 1 / (1 - g) stays
// finite (about 1.7e7, the value of the neighbouring g) instead of turning into inf x 0 = NaN.
constexpr float kSmallestGap = 5.9604645e-8f;

struct FilterLoopSettings
{
    float cutoffTarget;    // cycles per sample
    float cutoffRate;      // smoother coefficient per sample
    float resonanceTarget; // 0..1
    float resonanceRate;
    float range; // q
};

struct FilterLoopState
{
    float cutoff; // smoothed, cycles per sample
    float resonance;
    float s1;
    float s2;
    int silentRun; // silent input samples in a row, across blocks
};

// The per-sample loop for one mode, on local copies of the state. x is the input sum, magnitude
// the input's silence measure and mod the modulation sum in tenths of an octave. Without
// modulation (Modulated false) mod is not read: a sum of 0 gives fastExp2(0), exactly 1. Without
// a silent input sample in the block (Watched false) magnitude is not read: the run of silent
// samples ends at the first sample and no reset can happen.
template <int Mode, bool Modulated, bool Watched>
void runFilterLoop(const float* x, const float* magnitude, const float* mod, float* out, int count,
                   const FilterLoopSettings& settings, FilterLoopState& state)
{
    const float cutoffTarget = settings.cutoffTarget;
    const float cutoffRate = settings.cutoffRate;
    const float resonanceTarget = settings.resonanceTarget;
    const float resonanceRate = settings.resonanceRate;
    const float range = settings.range;
    float cutoff = state.cutoff;
    float resonance = state.resonance;
    float state1 = state.s1;
    float state2 = state.s2;
    int silentRun = state.silentRun;

    for (int i = 0; i < count; ++i)
    {
        if constexpr (Watched)
        {
            silentRun = magnitude[i] < kSilence ? silentRun + 1 : 0;
        }
        if (Watched && silentRun >= kSilentRun)
        {
            // A silent input clears the ringing and snaps the smoothers.
            cutoff = cutoffTarget;
            resonance = resonanceTarget;
            state1 = 0.0f;
            state2 = 0.0f;
            silentRun = kSilentRun;
        }
        cutoff = cutoff + (cutoffTarget - cutoff) * cutoffRate + kAntiDenormal;
        resonance = resonance + (resonanceTarget - resonance) * resonanceRate + kAntiDenormal;

        float c = cutoff;
        if constexpr (Modulated)
        {
            c = fastExp2(10.0f * mod[i]) * cutoff;
        }
        c = c < kMaxCutoff ? c : kMaxCutoff;
        // The cubic maps 0..0.5 cycles per sample onto a stage coefficient of 0..q.
        const float d = 1.0f - 2.0f * c;
        const float g = (1.0f - d * d * d) * range + kMinCoefficient;

        float oneMinusG = 1.0f - g;
        oneMinusG = oneMinusG != 0.0f ? oneMinusG : kSmallestGap;
        float fb = (1.0f + 1.0f / oneMinusG) * resonance * (state1 - state2);
        fb = fb > kMaxFeedback ? kMaxFeedback : (fb < -kMaxFeedback ? -kMaxFeedback : fb);

        state1 = state1 + g * (x[i] - state1 + fb);
        state2 = state2 + g * (state1 - state2);

        if constexpr (Mode == Filter::kHighpass)
        {
            out[i] = x[i] - state2;
        }
        else if constexpr (Mode == Filter::kBandpass)
        {
            out[i] = state1 - state2;
        }
        else if constexpr (Mode == Filter::kNotch)
        {
            out[i] = x[i] - (state1 - state2);
        }
        else
        {
            out[i] = state2;
        }
    }

    if constexpr (!Watched)
    {
        silentRun = count > 0 ? 0 : silentRun;
    }
    state = {cutoff, resonance, state1, state2, silentRun};
}

// One filter's share of a four-lane loop: its buffers, settings and state.
struct FilterLane
{
    const float* x;
    const float* magnitude;
    const float* mod;
    float* out;
    FilterLoopSettings settings;
    FilterLoopState state;
};

#ifdef TAVREL_LANES_SSE2
// The settings of four lanes, and their running state.
struct LaneSettings
{
    __m128 cutoffTarget;
    __m128 cutoffRate;
    __m128 resonanceTarget;
    __m128 resonanceRate;
    __m128 range;
};

struct LaneState
{
    __m128 cutoff;
    __m128 resonance;
    __m128 state1;
    __m128 state2;
    __m128i silentRun;
};

// One sample of four lanes: runFilterLoop's loop body with the same operations in the same order,
// so that each lane's result and state equal the scalar loop's bit for bit.
template <int Mode, bool Modulated, bool Watched>
[[gnu::always_inline]] inline __m128 stepLanes(const LaneSettings& settings, LaneState& state,
                                               __m128 x, __m128 magnitude, __m128 mod)
{
    const __m128 one = _mm_set1_ps(1.0f);

    if constexpr (Watched)
    {
        const __m128 quiet = _mm_cmplt_ps(magnitude, _mm_set1_ps(kSilence));
        state.silentRun = _mm_and_si128(_mm_castps_si128(quiet),
                                        _mm_add_epi32(state.silentRun, _mm_set1_epi32(1)));
    }
    const __m128i snapRun = _mm_cmpgt_epi32(state.silentRun, _mm_set1_epi32(kSilentRun - 1));
    if (Watched && _mm_movemask_epi8(snapRun) != 0)
    {
        const __m128 snap = _mm_castsi128_ps(snapRun);
        state.cutoff =
            select(LaneMask{snap}, FloatLanes(settings.cutoffTarget), FloatLanes(state.cutoff)).v;
        state.resonance = select(LaneMask{snap}, FloatLanes(settings.resonanceTarget),
                                 FloatLanes(state.resonance))
                              .v;
        state.state1 = _mm_andnot_ps(snap, state.state1);
        state.state2 = _mm_andnot_ps(snap, state.state2);
        state.silentRun = select(LaneMask{snap}, IntLanes(kSilentRun), IntLanes(state.silentRun)).v;
    }

    const __m128 antiDenormal = _mm_set1_ps(kAntiDenormal);
    state.cutoff = _mm_add_ps(
        _mm_add_ps(state.cutoff, _mm_mul_ps(_mm_sub_ps(settings.cutoffTarget, state.cutoff),
                                            settings.cutoffRate)),
        antiDenormal);
    state.resonance =
        _mm_add_ps(_mm_add_ps(state.resonance,
                              _mm_mul_ps(_mm_sub_ps(settings.resonanceTarget, state.resonance),
                                         settings.resonanceRate)),
                   antiDenormal);

    __m128 c = state.cutoff;
    if constexpr (Modulated)
    {
        c = _mm_mul_ps(fastExp2(FloatLanes(_mm_mul_ps(_mm_set1_ps(10.0f), mod))).v, state.cutoff);
    }
    // minps(a, b) is a < b ? a : b, the scalar comparison with its NaN case.
    c = _mm_min_ps(c, _mm_set1_ps(kMaxCutoff));
    const __m128 d = _mm_sub_ps(one, _mm_mul_ps(_mm_set1_ps(2.0f), c));
    const __m128 g =
        _mm_add_ps(_mm_mul_ps(_mm_sub_ps(one, _mm_mul_ps(_mm_mul_ps(d, d), d)), settings.range),
                   _mm_set1_ps(kMinCoefficient));

    __m128 oneMinusG = _mm_sub_ps(one, g);
    oneMinusG = select(LaneMask{_mm_cmpneq_ps(oneMinusG, _mm_setzero_ps())}, FloatLanes(oneMinusG),
                       FloatLanes(kSmallestGap))
                    .v;
    __m128 fb = _mm_mul_ps(_mm_mul_ps(_mm_add_ps(one, _mm_div_ps(one, oneMinusG)), state.resonance),
                           _mm_sub_ps(state.state1, state.state2));
    // max(-4, fb) is -4 > fb ? -4 : fb and min(4, that) is 4 < it ? 4 : it: the scalar limits, a
    // NaN passing through as there.
    fb = _mm_min_ps(_mm_set1_ps(kMaxFeedback), _mm_max_ps(_mm_set1_ps(-kMaxFeedback), fb));

    state.state1 =
        _mm_add_ps(state.state1, _mm_mul_ps(g, _mm_add_ps(_mm_sub_ps(x, state.state1), fb)));
    state.state2 = _mm_add_ps(state.state2, _mm_mul_ps(g, _mm_sub_ps(state.state1, state.state2)));

    if constexpr (Mode == Filter::kHighpass)
    {
        return _mm_sub_ps(x, state.state2);
    }
    else if constexpr (Mode == Filter::kBandpass)
    {
        return _mm_sub_ps(state.state1, state.state2);
    }
    else if constexpr (Mode == Filter::kNotch)
    {
        return _mm_sub_ps(x, _mm_sub_ps(state.state1, state.state2));
    }
    else
    {
        return state.state2;
    }
}

// Samples i .. i + 3 of four lanes' buffers, one vector per sample.
[[gnu::always_inline]] inline void loadSamples(const float* const* buffers, int i,
                                               __m128 (&samples)[4])
{
    __m128 s0 = _mm_loadu_ps(buffers[0] + i);
    __m128 s1 = _mm_loadu_ps(buffers[1] + i);
    __m128 s2 = _mm_loadu_ps(buffers[2] + i);
    __m128 s3 = _mm_loadu_ps(buffers[3] + i);
    _MM_TRANSPOSE4_PS(s0, s1, s2, s3);
    samples[0] = s0;
    samples[1] = s1;
    samples[2] = s2;
    samples[3] = s3;
}

// One sample of four lanes' buffers.
inline __m128 loadSample(const float* const* buffers, int i)
{
    return _mm_setr_ps(buffers[0][i], buffers[1][i], buffers[2][i], buffers[3][i]);
}

// runFilterLoop for four filters side by side, one per vector lane: each lane's samples and final
// state are those of the scalar loop bit for bit, while the four recursions overlap instead of
// waiting on each other. Four samples at a time are read and written through 4 x 4 transposes.
template <int Mode, bool Modulated, bool Watched>
void runFilterLanes(FilterLane* lanes, int count)
{
    auto gather = [lanes](auto field)
    { return _mm_setr_ps(field(lanes[0]), field(lanes[1]), field(lanes[2]), field(lanes[3])); };
    const LaneSettings settings = {
        gather([](const FilterLane& l) { return l.settings.cutoffTarget; }),
        gather([](const FilterLane& l) { return l.settings.cutoffRate; }),
        gather([](const FilterLane& l) { return l.settings.resonanceTarget; }),
        gather([](const FilterLane& l) { return l.settings.resonanceRate; }),
        gather([](const FilterLane& l) { return l.settings.range; })};
    LaneState state = {gather([](const FilterLane& l) { return l.state.cutoff; }),
                       gather([](const FilterLane& l) { return l.state.resonance; }),
                       gather([](const FilterLane& l) { return l.state.s1; }),
                       gather([](const FilterLane& l) { return l.state.s2; }),
                       _mm_setr_epi32(lanes[0].state.silentRun, lanes[1].state.silentRun,
                                      lanes[2].state.silentRun, lanes[3].state.silentRun)};
    const float* const x[4] = {lanes[0].x, lanes[1].x, lanes[2].x, lanes[3].x};
    const float* const magnitude[4] = {lanes[0].magnitude, lanes[1].magnitude, lanes[2].magnitude,
                                       lanes[3].magnitude};
    const float* const mod[4] = {lanes[0].mod, lanes[1].mod, lanes[2].mod, lanes[3].mod};
    float* const out[4] = {lanes[0].out, lanes[1].out, lanes[2].out, lanes[3].out};

    int i = 0;
    for (; i + 4 <= count; i += 4)
    {
        __m128 xs[4];
        __m128 magnitudes[4] = {};
        __m128 mods[4] = {};
        loadSamples(x, i, xs);
        if constexpr (Watched)
        {
            loadSamples(magnitude, i, magnitudes);
        }
        if constexpr (Modulated)
        {
            loadSamples(mod, i, mods);
        }
        __m128 y0 =
            stepLanes<Mode, Modulated, Watched>(settings, state, xs[0], magnitudes[0], mods[0]);
        __m128 y1 =
            stepLanes<Mode, Modulated, Watched>(settings, state, xs[1], magnitudes[1], mods[1]);
        __m128 y2 =
            stepLanes<Mode, Modulated, Watched>(settings, state, xs[2], magnitudes[2], mods[2]);
        __m128 y3 =
            stepLanes<Mode, Modulated, Watched>(settings, state, xs[3], magnitudes[3], mods[3]);
        _MM_TRANSPOSE4_PS(y0, y1, y2, y3);
        // Lanes past the last filter repeat one: the same values go to the same places again.
        _mm_storeu_ps(out[0] + i, y0);
        _mm_storeu_ps(out[1] + i, y1);
        _mm_storeu_ps(out[2] + i, y2);
        _mm_storeu_ps(out[3] + i, y3);
    }
    for (; i < count; ++i)
    {
        const __m128 mod1 = Modulated ? loadSample(mod, i) : _mm_setzero_ps();
        const __m128 magnitude1 = Watched ? loadSample(magnitude, i) : _mm_setzero_ps();
        const __m128 y = stepLanes<Mode, Modulated, Watched>(settings, state, loadSample(x, i),
                                                             magnitude1, mod1);
        alignas(16) float samples[4];
        _mm_store_ps(samples, y);
        for (int lane = 0; lane < 4; ++lane)
        {
            out[lane][i] = samples[lane];
        }
    }

    alignas(16) float cutoffs[4];
    alignas(16) float resonances[4];
    alignas(16) float states1[4];
    alignas(16) float states2[4];
    alignas(16) std::int32_t runs[4];
    _mm_store_ps(cutoffs, state.cutoff);
    _mm_store_ps(resonances, state.resonance);
    _mm_store_ps(states1, state.state1);
    _mm_store_ps(states2, state.state2);
    _mm_store_si128(reinterpret_cast<__m128i*>(runs),
                    !Watched && count > 0 ? _mm_setzero_si128() : state.silentRun);
    for (int lane = 0; lane < 4; ++lane)
    {
        lanes[lane].state = {cutoffs[lane], resonances[lane], states1[lane], states2[lane],
                             runs[lane]};
    }
}

#endif // TAVREL_LANES_SSE2

} // namespace

void Filter::ParameterSmoother::updateCoefficient()
{
    coefficient = onePoleCoefficient<float>(frequency, sampleRate);
}

void Filter::ParameterSmoother::setSampleRate(float rateHz)
{
    sampleRate = rateHz;
    updateCoefficient();
}

const char* const Filter::kTypeLongNames[kTypeCount] = {"Lowpass", "Highpass", "Bandpass", "Notch"};

Filter::Filter(const char* prefix)
    : cutoff(prefix, "Cut", "Hz", 0.75f, 8.0f, 13000.0f, false),
      resonance(prefix, "Res", "Level", 0.0f, 0.0f, 1.0f, false),
      type(prefix, "Type", "Type", 0.0f, 3, kTypeItems, kTypeLongNames),
      keyTracking(prefix, "KTrck", "Rate", 0.0f, 0.0f, 1.0f, false),
      fm1Level(prefix, "FM1", "Level", 0.0f, 0.0f, 1.0f, false),
      fm2Level(prefix, "FM2", "Level", 0.0f, 0.0f, 1.0f, false), fm1Polarity(prefix, "FM1PL"),
      fm2Polarity(prefix, "FM2PL"), pressureOn(prefix, "CPrss"), sampleRate(44100.0f),
      currentNote(69), cutoffNote(0.0f), cutoffFrequency(0.0f), pressure(0.0f)
{
    addParameter(cutoff);
    addParameter(resonance);
    addParameter(type);
    addParameter(keyTracking);
    addParameter(fm1Level);
    addParameter(fm2Level);
    addParameter(fm1Polarity);
    addParameter(fm2Polarity);
    addParameter(pressureOn);

    cutoffNote = cutoff.getValue() * 128.0f;
    cutoffFrequency = computeCutoffFrequency();
    q = onePoleCoefficient<float>(kRangeCornerHz, kRangeRateHz);

    cutoffSmoother.frequency = kSmoothingHz;
    cutoffSmoother.target = cutoffFrequency.load();
    cutoffSmoother.updateCoefficient();
    resonanceSmoother.frequency = kSmoothingHz;
    resonanceSmoother.target = resonance.getReal();
    resonanceSmoother.updateCoefficient();
}

// The played note adds note x KTrck semitones to the cutoff note; there is no pivot note, so with
// key tracking on the Cut setting sits correspondingly lower (KTrck 1 at note 69 adds 69).
float Filter::computeCutoffFrequency() const
{
    const float note = static_cast<float>(currentNote.load());
    const float semitones = note * keyTracking.getReal() + cutoffNote - 69.0f;
    return std::pow(2.0f, semitones * kOneTwelfth) * 440.0f / sampleRate;
}

void Filter::updateCutoff()
{
    cutoffFrequency = computeCutoffFrequency();
    cutoffSmoother.target = cutoffFrequency.load();
}

void Filter::clearState()
{
    cutoffSmoother.current = cutoffSmoother.target;
    resonanceSmoother.current = resonanceSmoother.target;
    s1 = 0.0f;
    s2 = 0.0f;
    silentRun = 0;
}

void Filter::reset()
{
    clearState();
}

void Filter::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    sampleRate = rateHz;
    cutoffSmoother.setSampleRate(rateHz);
    resonanceSmoother.setSampleRate(rateHz);
    updateCutoff();
}

void Filter::trigger(int /*previousNote*/, int note, int /*velocity*/)
{
    currentNote = note < 0 ? 0 : (note > 127 ? 127 : note);
    updateCutoff();
    cutoffSmoother.current = cutoffSmoother.target;
    resonanceSmoother.current = resonanceSmoother.target;
}

void Filter::release(int /*velocity*/) {}

void Filter::press(float pressureNorm)
{
    // NaN and values outside 0..1 cannot come from a MIDI data byte; treat them as the nearest
    // valid pressure (NaN as none).
    const float p = pressureNorm > 0.0f ? (pressureNorm < 1.0f ? pressureNorm : 1.0f) : 0.0f;
    pressure = p * p;
}

void Filter::parameterChanged(int index)
{
    switch (index)
    {
    case kCut:
        cutoffNote = cutoff.getValue() * 128.0f;
        updateCutoff();
        break;
    case kKTrck:
        updateCutoff();
        break;
    case kRes:
        resonanceSmoother.target = resonance.getReal();
        break;
    case kCPrss:
        pressure = 0.0f;
        break;
    default:
        break;
    }
}

void Filter::getLongDisplay(int index, char* text) const
{
    if (index == kType)
    {
        type.getLongDisplay(text);
        return;
    }
    ParameterList::getLongDisplay(index, text);
}

void Filter::setAudioInput(int input, const ISynthComponent* source)
{
    if (input < 1 || input > kAudioInputs)
    {
        return;
    }
    ScopedLock hold(lock);
    audioInputs[input - 1] = source;
}

void Filter::setFmSource(int input, const ISynthComponent* source)
{
    if (input < 1 || input > kFmInputs)
    {
        return;
    }
    ScopedLock hold(lock);
    fmSources[input - 1] = source;
}

void Filter::setAmplitudeSource(const ISynthComponent* source)
{
    amplitudeSource = source;
}

Filter::BlockInputs Filter::gatherInputs(int count)
{
    const ISynthComponent* inputs[kAudioInputs];
    const ISynthComponent* fm[kFmInputs];
    {
        ScopedLock hold(lock);
        for (int k = 0; k < kAudioInputs; ++k)
        {
            inputs[k] = audioInputs[k];
        }
        for (int k = 0; k < kFmInputs; ++k)
        {
            fm[k] = fmSources[k];
        }
    }

    // The loops below read the sources' buffers and write this filter's own, which never
    // overlap: said with __restrict, so that they run four samples to a vector.
    float* __restrict sum = inputSum;
    float* __restrict measure = inputMagnitude;
    float* __restrict modulation = modulationSum;

    // Input sum. The silence measure of a sample adds up the magnitude of the partial sum after
    // each present source, so a source counts once for itself and once for every source added
    // after it. Magnitudes, not signed values: a tone whose cycles cancel over a stretch is not
    // silent.
    for (int i = 0; i < count; ++i)
    {
        sum[i] = 0.0f;
        measure[i] = 0.0f;
    }
    for (const ISynthComponent* source : inputs)
    {
        if (source == nullptr)
        {
            continue;
        }
        const float* __restrict samples = source->getOutput();
        for (int i = 0; i < count; ++i)
        {
            sum[i] += samples[i];
            measure[i] += std::fabs(sum[i]);
        }
    }
    int quietSamples = 0;
    for (int i = 0; i < count; ++i)
    {
        quietSamples += measure[i] < kSilence ? 1 : 0;
    }
    const bool quiet = quietSamples > 0;

    // Modulation sum in tenths of an octave; without a source or pressure it is 0 throughout and
    // is left unwritten.
    const float pressureAmount = pressure;
    const bool pressing = pressureOn.getBool() && pressureAmount > 0.0f;
    if (fm[0] == nullptr && fm[1] == nullptr && !pressing)
    {
        return {false, quiet};
    }
    for (int i = 0; i < count; ++i)
    {
        modulation[i] = 0.0f;
    }
    const float depths[kFmInputs] = {static_cast<float>(fm1Polarity.getSign()) * fm1Level.getReal(),
                                     static_cast<float>(fm2Polarity.getSign()) *
                                         fm2Level.getReal()};
    for (int k = 0; k < kFmInputs; ++k)
    {
        if (fm[k] == nullptr)
        {
            continue;
        }
        const float* __restrict samples = fm[k]->getOutput();
        const float depth = depths[k];
        for (int i = 0; i < count; ++i)
        {
            modulation[i] += depth * samples[i];
        }
    }
    if (pressing)
    {
        for (int i = 0; i < count; ++i)
        {
            modulation[i] += pressureAmount;
        }
    }
    return {true, quiet};
}

void Filter::applyAmplitude(int count)
{
    if (amplitudeSource != nullptr)
    {
        const float* __restrict amplitude = amplitudeSource->getOutput();
        float* __restrict out = output;
        for (int i = 0; i < count; ++i)
        {
            out[i] *= amplitude[i];
        }
    }
}

namespace
{

template <int Mode>
void runFilterLoop(bool modulated, bool watched, const float* x, const float* magnitude,
                   const float* mod, float* out, int count, const FilterLoopSettings& settings,
                   FilterLoopState& state)
{
    if (modulated && watched)
    {
        runFilterLoop<Mode, true, true>(x, magnitude, mod, out, count, settings, state);
    }
    else if (modulated)
    {
        runFilterLoop<Mode, true, false>(x, magnitude, mod, out, count, settings, state);
    }
    else if (watched)
    {
        runFilterLoop<Mode, false, true>(x, magnitude, mod, out, count, settings, state);
    }
    else
    {
        runFilterLoop<Mode, false, false>(x, magnitude, mod, out, count, settings, state);
    }
}

template <int Mode>
void runFilterLanes(bool modulated, bool watched, FilterLane* lanes, int count)
{
#ifndef TAVREL_LANES_SSE2
    // Without SSE2 the lanes run one after the other through the scalar loop: the same samples
    // and state, without the overlap.
    for (int lane = 0; lane < Filter::kGroupLanes; ++lane)
    {
        FilterLane& own = lanes[lane];
        runFilterLoop<Mode>(modulated, watched, own.x, own.magnitude, own.mod, own.out, count,
                            own.settings, own.state);
    }
#else
    if (modulated && watched)
    {
        runFilterLanes<Mode, true, true>(lanes, count);
    }
    else if (modulated)
    {
        runFilterLanes<Mode, true, false>(lanes, count);
    }
    else if (watched)
    {
        runFilterLanes<Mode, false, true>(lanes, count);
    }
    else
    {
        runFilterLanes<Mode, false, false>(lanes, count);
    }
#endif
}

} // namespace

void Filter::process(int count)
{
    count = limitBlockFrames(count);
    if (count == 0)
    {
        return;
    }
    const BlockInputs inputs = gatherInputs(count);

    const FilterLoopSettings settings = {cutoffSmoother.target, cutoffSmoother.coefficient,
                                         resonanceSmoother.target, resonanceSmoother.coefficient,
                                         q};
    FilterLoopState state = {cutoffSmoother.current, resonanceSmoother.current, s1, s2, silentRun};
    switch (type.getInt())
    {
    case kHighpass:
        runFilterLoop<kHighpass>(inputs.modulated, inputs.quiet, inputSum, inputMagnitude,
                                 modulationSum, output, count, settings, state);
        break;
    case kBandpass:
        runFilterLoop<kBandpass>(inputs.modulated, inputs.quiet, inputSum, inputMagnitude,
                                 modulationSum, output, count, settings, state);
        break;
    case kNotch:
        runFilterLoop<kNotch>(inputs.modulated, inputs.quiet, inputSum, inputMagnitude,
                              modulationSum, output, count, settings, state);
        break;
    default:
        runFilterLoop<kLowpass>(inputs.modulated, inputs.quiet, inputSum, inputMagnitude,
                                modulationSum, output, count, settings, state);
        break;
    }
    cutoffSmoother.current = state.cutoff;
    resonanceSmoother.current = state.resonance;
    s1 = state.s1;
    s2 = state.s2;
    silentRun = state.silentRun;

    applyAmplitude(count);
}

void Filter::processGroup(Filter* const* filters, int filterCount, int count)
{
    count = limitBlockFrames(count);
    if (count == 0)
    {
        return;
    }
    for (int first = 0; first < filterCount; first += kGroupLanes)
    {
        const int used = std::min(kGroupLanes, filterCount - first);
        Filter* const* group = filters + first;
        if (used == 1)
        {
            group[0]->process(count);
            continue;
        }

        bool modulatedLanes[kGroupLanes] = {};
        bool anyModulated = false;
        bool anyQuiet = false;
        for (int lane = 0; lane < used; ++lane)
        {
            const BlockInputs inputs = group[lane]->gatherInputs(count);
            modulatedLanes[lane] = inputs.modulated;
            anyModulated = anyModulated || inputs.modulated;
            anyQuiet = anyQuiet || inputs.quiet;
        }
        const int mode = group[0]->type.getInt();
        bool sameMode = true;
        FilterLane lanes[kGroupLanes];
        for (int lane = 0; lane < kGroupLanes; ++lane)
        {
            // Lanes past the last filter repeat it: the same inputs and state give the same
            // samples, stored again to the same places, and their state is not kept.
            Filter& filter = *group[std::min(lane, used - 1)];
            if (lane < used && anyModulated && !modulatedLanes[lane])
            {
                // An unmodulated filter beside modulated ones reads a sum of 0.
                std::fill(filter.modulationSum, filter.modulationSum + count, 0.0f);
            }
            sameMode = sameMode && filter.type.getInt() == mode;
            lanes[lane] = {filter.inputSum,
                           filter.inputMagnitude,
                           filter.modulationSum,
                           filter.output,
                           {filter.cutoffSmoother.target, filter.cutoffSmoother.coefficient,
                            filter.resonanceSmoother.target, filter.resonanceSmoother.coefficient,
                            filter.q},
                           {filter.cutoffSmoother.current, filter.resonanceSmoother.current,
                            filter.s1, filter.s2, filter.silentRun}};
        }

        if (!sameMode)
        {
            // A Type write landed between two voices of this block: each filter runs alone,
            // in its own mode, as process would.
            for (int lane = 0; lane < used; ++lane)
            {
                FilterLane& own = lanes[lane];
                switch (group[lane]->type.getInt())
                {
                case kHighpass:
                    runFilterLoop<kHighpass>(anyModulated, anyQuiet, own.x, own.magnitude, own.mod,
                                             own.out, count, own.settings, own.state);
                    break;
                case kBandpass:
                    runFilterLoop<kBandpass>(anyModulated, anyQuiet, own.x, own.magnitude, own.mod,
                                             own.out, count, own.settings, own.state);
                    break;
                case kNotch:
                    runFilterLoop<kNotch>(anyModulated, anyQuiet, own.x, own.magnitude, own.mod,
                                          own.out, count, own.settings, own.state);
                    break;
                default:
                    runFilterLoop<kLowpass>(anyModulated, anyQuiet, own.x, own.magnitude, own.mod,
                                            own.out, count, own.settings, own.state);
                    break;
                }
            }
        }
        else
        {
            switch (mode)
            {
            case kHighpass:
                runFilterLanes<kHighpass>(anyModulated, anyQuiet, lanes, count);
                break;
            case kBandpass:
                runFilterLanes<kBandpass>(anyModulated, anyQuiet, lanes, count);
                break;
            case kNotch:
                runFilterLanes<kNotch>(anyModulated, anyQuiet, lanes, count);
                break;
            default:
                runFilterLanes<kLowpass>(anyModulated, anyQuiet, lanes, count);
                break;
            }
        }

        for (int lane = 0; lane < used; ++lane)
        {
            Filter& filter = *group[lane];
            const FilterLoopState& state = lanes[lane].state;
            filter.cutoffSmoother.current = state.cutoff;
            filter.resonanceSmoother.current = state.resonance;
            filter.s1 = state.s1;
            filter.s2 = state.s2;
            filter.silentRun = state.silentRun;
            filter.applyAmplitude(count);
        }
    }
}
