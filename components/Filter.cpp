// The voice filter.
#include "components/Filter.h"

#include "base/SampleRate.h"
#include "components/FastMath.h"
#include "components/OnePole.h"

#include <cmath>

namespace
{

const char* const kTypeItems[] = {"LP", "HP", "BP", "N"};
const char* const kTypeLongItems[] = {"Lowpass", "Highpass", "Bandpass", "Notch"};

// The cutoff smoothers' default frequency in Hz: a time constant of about 36 ms.
constexpr float kSmoothingHz = 4.41f;
// The range factor q is the coefficient of a one-pole with its corner at half of 44100 Hz: about
// 0.9568 at 44100 Hz, smaller at higher rates.
constexpr float kRangeCornerHz = 22050.0f;

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
// the input's silence measure and mod the modulation sum in tenths of an octave.
template <int Mode>
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
        silentRun = magnitude[i] < kSilence ? silentRun + 1 : 0;
        if (silentRun >= kSilentRun)
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

        float c = fastExp2(10.0f * mod[i]) * cutoff;
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

    state = {cutoff, resonance, state1, state2, silentRun};
}

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

Filter::Filter(const char* prefix)
    : cutoff(prefix, "Cut", "Hz", 0.75f, 8.0f, 13000.0f, false),
      resonance(prefix, "Res", "Level", 0.0f, 0.0f, 1.0f, false),
      type(prefix, "Type", "Type", 0.0f, 3, kTypeItems, kTypeLongItems),
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
    q = onePoleCoefficient<float>(kRangeCornerHz, sampleRate);

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
    q = onePoleCoefficient<float>(kRangeCornerHz, rateHz);
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

void Filter::process(int count)
{
    count = limitBlockFrames(count);
    if (count == 0)
    {
        return;
    }

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

    // Input sum. The silence measure of a sample adds up the magnitude of the partial sum after
    // each present source, so a source counts once for itself and once for every source added
    // after it. Magnitudes, not signed values: a tone whose cycles cancel over a stretch is not
    // silent.
    for (int i = 0; i < count; ++i)
    {
        inputSum[i] = 0.0f;
        inputMagnitude[i] = 0.0f;
    }
    for (const ISynthComponent* source : inputs)
    {
        if (source == nullptr)
        {
            continue;
        }
        const float* samples = source->getOutput();
        for (int i = 0; i < count; ++i)
        {
            inputSum[i] += samples[i];
            inputMagnitude[i] += std::fabs(inputSum[i]);
        }
    }

    // Modulation sum in tenths of an octave.
    for (int i = 0; i < count; ++i)
    {
        modulationSum[i] = 0.0f;
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
        const float* samples = fm[k]->getOutput();
        const float depth = depths[k];
        for (int i = 0; i < count; ++i)
        {
            modulationSum[i] += depth * samples[i];
        }
    }
    const float pressureAmount = pressure;
    if (pressureOn.getBool() && pressureAmount > 0.0f)
    {
        for (int i = 0; i < count; ++i)
        {
            modulationSum[i] += pressureAmount;
        }
    }

    const FilterLoopSettings settings = {cutoffSmoother.target, cutoffSmoother.coefficient,
                                         resonanceSmoother.target, resonanceSmoother.coefficient,
                                         q};
    FilterLoopState state = {cutoffSmoother.current, resonanceSmoother.current, s1, s2, silentRun};
    switch (type.getInt())
    {
    case kHighpass:
        runFilterLoop<kHighpass>(inputSum, inputMagnitude, modulationSum, output, count, settings,
                                 state);
        break;
    case kBandpass:
        runFilterLoop<kBandpass>(inputSum, inputMagnitude, modulationSum, output, count, settings,
                                 state);
        break;
    case kNotch:
        runFilterLoop<kNotch>(inputSum, inputMagnitude, modulationSum, output, count, settings,
                              state);
        break;
    default:
        runFilterLoop<kLowpass>(inputSum, inputMagnitude, modulationSum, output, count, settings,
                                state);
        break;
    }
    cutoffSmoother.current = state.cutoff;
    resonanceSmoother.current = state.resonance;
    s1 = state.s1;
    s2 = state.s2;
    silentRun = state.silentRun;

    if (amplitudeSource != nullptr)
    {
        const float* amplitude = amplitudeSource->getOutput();
        for (int i = 0; i < count; ++i)
        {
            output[i] *= amplitude[i];
        }
    }
}
