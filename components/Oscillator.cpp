// The wavetable oscillator: increment, table choice, FM, hard sync, pulse width and level.
#include "components/Oscillator.h"

#include "base/SampleRate.h"
#include "components/FastMath.h"
#include "components/WaveData.h"

#include <cmath>

namespace
{

constexpr float kCycle = static_cast<float>(Wavetables::kTableLength);
constexpr int kIndexMask = Wavetables::kTableLength - 1;
// After a sync restart the old waveform fades out over this many samples.
constexpr int kSyncCrossfade = 16;
constexpr float kSyncCrossfadeStep = 1.0f / static_cast<float>(kSyncCrossfade);
// Read positions beyond this are reduced before the cast to int; below it the integer part
// always fits.
constexpr float kLargestDirectPosition = 16777216.0f;

// Brings a finite phase at or above one cycle back into [0, 2048). One subtraction covers every
// step below a cycle; larger steps (notes far above the sample rate's reach, a huge modulation
// sum) take the exact remainder instead of subtracting 2048 thousands of times.
inline float wrapPhase(float phaseTableSamples)
{
    float wrapped = phaseTableSamples - kCycle;
    if (wrapped >= kCycle)
    {
        wrapped = std::fmod(wrapped, kCycle);
    }
    return wrapped;
}

// Brings any read position into [0, 2048): negative or very large positions come from pulse
// widths pushed outside 0..1 by modulation; a NaN (from a damaged source) reads at 0.
inline float wrapAnyPosition(float positionTableSamples)
{
    if (!std::isfinite(positionTableSamples))
    {
        return 0.0f;
    }
    float wrapped = std::fmod(positionTableSamples, kCycle);
    if (wrapped < 0.0f)
    {
        wrapped += kCycle;
    }
    return wrapped < kCycle ? wrapped : 0.0f;
}

// The crossfaded pair of tables, linearly interpolated at a position in [0, 2^24).
inline float readWave(const float* lower, const float* upper, float weight,
                      float positionTableSamples)
{
    const int whole = static_cast<int>(positionTableSamples);
    const int index = whole & kIndexMask;
    const int next = (index + 1) & kIndexMask;
    const float fraction = positionTableSamples - static_cast<float>(whole);
    const float low = lower[index] + fraction * (lower[next] - lower[index]);
    const float high = upper[index] + fraction * (upper[next] - upper[index]);
    return (1.0f - weight) * low + weight * high;
}

} // namespace

Oscillator::Oscillator(const char* prefix)
    : ParameterList(true), detune(prefix, "Dtn", 0.5f),
      transpose(prefix, "Trans", "Semi", 0.5f, -24, 24),
      bendRange(prefix, "PBR", "Semi", 0.166667f, 0, 12),
      fm1Level(prefix, "FM1", "Octave", 0.0f, 0.0f, 1.0f, true),
      fm2Level(prefix, "FM2", "Octave", 0.0f, 0.0f, 1.0f, true), fm1Polarity(prefix, "FM1Pl"),
      fm2Polarity(prefix, "FM2Pl"),
      wave(prefix, "Wave", "Type", 0.0f, kWaveCount - 1, getWaveShortNames(), getWaveLongNames()),
      pulseWidthOn(prefix, "PWOn"), pulseWidth(prefix, "PWid", "Width", 0.5f, 0.0f, 1.0f, false),
      pwmLevel(prefix, "PWM", "Level", 0.0f, 0.0f, 1.0f, false), pwmPolarity(prefix, "PWMPl"),
      sampleRate(44100.0f), waveSet(nullptr), lowerTable(0), upperTable(0), weight(0.0f),
      increment(0.0f), bendPosition(0.0f), note(69)
{
    addParameter(detune);
    addParameter(transpose);
    addParameter(bendRange);
    addParameter(fm1Level);
    addParameter(fm2Level);
    addParameter(fm1Polarity);
    addParameter(fm2Polarity);
    addParameter(wave);
    addParameter(pulseWidthOn);
    addParameter(pulseWidth);
    addParameter(pwmLevel);
    addParameter(pwmPolarity);
    chooseTables();
}

void Oscillator::setSampleRate(float rateHz)
{
    if (isSupportedSampleRate(rateHz))
    {
        sampleRate = rateHz;
    }
}

void Oscillator::trigger(int /*previousNote*/, int newNote, int /*velocity*/)
{
    note = newNote < 0 ? 0 : (newNote > 127 ? 127 : newNote);
    chooseTables();
}

void Oscillator::bend(float amount)
{
    if (amount >= -1.0f && amount <= 1.0f)
    {
        bendPosition = amount;
    }
    else
    {
        bendPosition = amount > 1.0f ? 1.0f : (amount < -1.0f ? -1.0f : 0.0f);
    }
}

void Oscillator::parameterChanged(int index)
{
    switch (index)
    {
    case kDtn:
    case kTrans:
        // Both move the key the tables are chosen for as well as the pitch: a held note
        // transposed by two octaves would otherwise keep tables with four times too many
        // harmonics for its new pitch.
        computeIncrement();
        chooseTables();
        break;
    case kPbr:
        computeIncrement();
        break;
    case kWave:
        chooseTables();
        break;
    default:
        break;
    }
}

void Oscillator::getLongDisplay(int index, char* text) const
{
    if (index == kWave)
    {
        wave.getLongDisplay(text);
    }
    else
    {
        ParameterList::getLongDisplay(index, text);
    }
}

void Oscillator::setPhase(float positionTableSamples)
{
    phase = positionTableSamples >= 0.0f && positionTableSamples < kCycle
                ? positionTableSamples
                : wrapAnyPosition(positionTableSamples);
    // A phase set from outside starts a new note: the sync crossfade of the last note ends, and
    // the master's last phase is forgotten, so that the first sample does not take the master's
    // new phase, lower than where the last note left it, for a wrap and restart the phase at once.
    oldPhase = phase;
    crossfadeCount = 0;
    masterLastPhase = 0.0f;
}

void Oscillator::setFmSource(int input, const ISynthComponent* source)
{
    ScopedLock hold(lock);
    if (input == 1)
    {
        fm1Source = source;
    }
    else if (input == 2)
    {
        fm2Source = source;
    }
}

void Oscillator::setAmplitudeSource(const ISynthComponent* source)
{
    ScopedLock hold(lock);
    amplitudeSource = source;
}

void Oscillator::setPwmSource(const ISynthComponent* source)
{
    ScopedLock hold(lock);
    pwmSource = source;
}

void Oscillator::setPitchSource(const ISynthComponent* source)
{
    ScopedLock hold(lock);
    pitchSource = source;
}

void Oscillator::setSyncMaster(const Oscillator* master)
{
    ScopedLock hold(lock);
    syncMaster = master;
}

int Oscillator::getLowerTable() const
{
    ScopedLock hold(lock);
    return lowerTable;
}

int Oscillator::getUpperTable() const
{
    ScopedLock hold(lock);
    return upperTable;
}

float Oscillator::getTableWeight() const
{
    ScopedLock hold(lock);
    return weight;
}

void Oscillator::computeIncrement()
{
    // In double, stored as float: 2^((pitch - 69) / 12) x 440 Hz / rate x 2048 table samples.
    const double pitchSemitones = static_cast<double>(note) +
                                  static_cast<double>(transpose.getInt()) +
                                  static_cast<double>(detune.getReal()) +
                                  static_cast<double>(bendRange.getInt()) *
                                      static_cast<double>(static_cast<float>(bendPosition));
    const double ratio = std::exp2((pitchSemitones - 69.0) * static_cast<double>(kOneTwelfth));
    increment = static_cast<float>(ratio * 440.0 / static_cast<double>(sampleRate.load()) *
                                   static_cast<double>(Wavetables::kTableLength));
}

void Oscillator::chooseTables()
{
    // The key the tables are chosen for ignores bend and modulation; it is folded by octaves
    // into 0..127 (note 0..127, Trans +-24 and Dtn +-1 need at most three steps). Computed
    // under the lock, so that of two concurrent choices the later one uses the later values.
    ScopedLock hold(lock);
    float key = static_cast<float>(note + transpose.getInt()) + detune.getReal();
    while (key < 0.0f)
    {
        key += 12.0f;
    }
    while (key >= 128.0f)
    {
        key -= 12.0f;
    }
    const float octave = key * kOneTwelfth;
    int whole = static_cast<int>(octave);
    whole = whole > 10 ? 10 : whole;
    const float fraction = octave - static_cast<float>(whole);
    waveSet = Wavetables::get().getWaveSet(wave.getInt());
    lowerTable = Wavetables::kOctaveTables[whole];
    upperTable = Wavetables::kOctaveTables[whole + 1];
    weight = fraction;
}

template <bool kModulated, bool kSynced>
void Oscillator::renderWave(int count, const float* lower, const float* upper, float tableWeight,
                            const Oscillator* master)
{
    const float baseIncrement = increment;
    const float* masterRecord = nullptr;
    float masterIncrement = 0.0f;
    if constexpr (kSynced)
    {
        masterRecord = master->getPhaseRecord();
        masterIncrement = master->getIncrement();
    }

    float currentPhase = phase;
    float currentOldPhase = oldPhase;
    int fade = crossfadeCount;
    float lastMasterPhase = masterLastPhase;

    for (int i = 0; i < count; ++i)
    {
        output[i] = readWave(lower, upper, tableWeight, currentPhase);

        float step = baseIncrement;
        if constexpr (kModulated)
        {
            step = fastExp2(modulation[i]) * baseIncrement;
        }
        currentPhase += step;
        if (currentPhase >= kCycle)
        {
            currentPhase = wrapPhase(currentPhase);
        }
        phaseRecord[i] = currentPhase;

        if constexpr (kSynced)
        {
            if (fade > 0)
            {
                --fade;
                const float oldSample = readWave(lower, upper, tableWeight, currentOldPhase);
                currentOldPhase += step;
                if (currentOldPhase >= kCycle)
                {
                    currentOldPhase = wrapPhase(currentOldPhase);
                }
                const float oldWeight = static_cast<float>(fade) * kSyncCrossfadeStep;
                output[i] = (1.0f - oldWeight) * output[i] + oldWeight * oldSample;
            }
            const float masterPhase = masterRecord[i];
            if (masterPhase < lastMasterPhase)
            {
                // The master wrapped during this sample: restart where it would be had the
                // restart come at its exact wrap, masterPhase / masterIncrement samples ago.
                currentOldPhase = currentPhase;
                fade = kSyncCrossfade;
                currentPhase = masterIncrement > 0.0f
                                   ? masterPhase / masterIncrement * baseIncrement
                                   : baseIncrement;
                if (currentPhase >= kCycle)
                {
                    currentPhase = wrapPhase(currentPhase);
                }
            }
            lastMasterPhase = masterPhase;
        }
    }

    phase = currentPhase;
    oldPhase = currentOldPhase;
    crossfadeCount = fade;
    masterLastPhase = lastMasterPhase;
}

void Oscillator::process(int count)
{
    count = limitBlockFrames(count);
    if (count == 0)
    {
        return;
    }

    const ISynthComponent* fm1Input;
    const ISynthComponent* fm2Input;
    const ISynthComponent* amplitudeInput;
    const ISynthComponent* pwmInput;
    const ISynthComponent* pitchInput;
    const Oscillator* master;
    const float* lower;
    const float* upper;
    float tableWeight;
    {
        ScopedLock hold(lock);
        fm1Input = fm1Source;
        fm2Input = fm2Source;
        amplitudeInput = amplitudeSource;
        pwmInput = pwmSource;
        pitchInput = pitchSource;
        master = syncMaster;
        lower = waveSet + lowerTable * Wavetables::kTableLength;
        upper = waveSet + upperTable * Wavetables::kTableLength;
        tableWeight = weight;
    }

    // Modulation sum in octaves. Without any input it is 0 throughout and fastExp2(0) is
    // exactly 1, so the loop then skips it.
    const bool modulated = fm1Input != nullptr || fm2Input != nullptr || pitchInput != nullptr;
    if (modulated)
    {
        for (int i = 0; i < count; ++i)
        {
            modulation[i] = 0.0f;
        }
        const ISynthComponent* fmInputs[2] = {fm1Input, fm2Input};
        const float depths[2] = {static_cast<float>(fm1Polarity.getSign()) * fm1Level.getReal(),
                                 static_cast<float>(fm2Polarity.getSign()) * fm2Level.getReal()};
        for (int input = 0; input < 2; ++input)
        {
            if (fmInputs[input] != nullptr)
            {
                const float* source = fmInputs[input]->getOutput();
                const float depthOctaves = depths[input];
                for (int i = 0; i < count; ++i)
                {
                    modulation[i] += depthOctaves * source[i];
                }
            }
        }
        if (pitchInput != nullptr)
        {
            const float* source = pitchInput->getOutput();
            for (int i = 0; i < count; ++i)
            {
                modulation[i] += source[i];
            }
        }
    }

    computeIncrement();

    if (master != nullptr)
    {
        if (modulated)
        {
            renderWave<true, true>(count, lower, upper, tableWeight, master);
        }
        else
        {
            renderWave<false, true>(count, lower, upper, tableWeight, master);
        }
    }
    else if (modulated)
    {
        renderWave<true, false>(count, lower, upper, tableWeight, nullptr);
    }
    else
    {
        renderWave<false, false>(count, lower, upper, tableWeight, nullptr);
    }

    if (pulseWidthOn.getBool())
    {
        // The copy is read at the phase after each sample's advance, PWid of a cycle ahead.
        const float width = pulseWidth.getReal();
        if (pwmInput != nullptr)
        {
            const float* source = pwmInput->getOutput();
            const float depth =
                0.5f * static_cast<float>(pwmPolarity.getSign()) * pwmLevel.getReal();
            for (int i = 0; i < count; ++i)
            {
                const float modulatedWidth = width + depth * source[i];
                float position = phaseRecord[i] + modulatedWidth * kCycle;
                if (!(position >= 0.0f && position < kLargestDirectPosition))
                {
                    position = wrapAnyPosition(position);
                }
                output[i] -= readWave(lower, upper, tableWeight, position);
            }
        }
        else
        {
            const float shift = width * kCycle;
            for (int i = 0; i < count; ++i)
            {
                output[i] -= readWave(lower, upper, tableWeight, phaseRecord[i] + shift);
            }
        }
    }

    if (amplitudeInput != nullptr)
    {
        const float* gain = amplitudeInput->getOutput();
        for (int i = 0; i < count; ++i)
        {
            output[i] *= gain[i];
        }
    }
}
