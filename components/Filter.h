// The voice filter: sums the sound sources, filters them with a resonant two-pole multimode filter
// and applies the voice's amplitude.
#pragma once

#include "base/Mutex.h"
#include "base/Relaxed.h"
#include "components/FilterRateMatch.h"
#include "engine/IPressable.h"
#include "engine/ISynthComponent.h"
#include "engine/ITriggerable.h"
#include "parameters/BooleanParameter.h"
#include "parameters/EnumParameter.h"
#include "parameters/FloatParameter.h"
#include "parameters/ParameterList.h"
#include "parameters/PolarityParameter.h"

struct FilterLane;

// The cutoff is a note: norm x 128 of Cut, moved by the played note times KTrck, and per sample by
// the modulation sum (FM 1, FM 2 and channel pressure) in tenths of an octave. Cut, KTrck and Res
// glide with a 4.41 Hz one-pole smoothing (time constant about 36 ms); a trigger retunes at once.
//
// Threads: process, trigger, press and reset run on the audio thread. setValue runs on the
// writer's thread and only sets smoother targets and the pressure amount. The source setters
// take the routing lock, which process holds once per block to copy the sources; the amplitude
// source is set once by the voice wiring before processing starts and read without the lock.
class Filter : public ISynthComponent, public ITriggerable, public IPressable, public ParameterList
{
public:
    // Parameter indexes.
    enum
    {
        kCut = 0,
        kRes = 1,
        kType = 2,
        kKTrck = 3,
        kFM1 = 4,
        kFM2 = 5,
        kFM1PL = 6,
        kFM2PL = 7,
        kCPrss = 8,
    };

    // The modes of Type.
    enum
    {
        kLowpass = 0,
        kHighpass = 1,
        kBandpass = 2,
        kNotch = 3,
    };
    static constexpr int kTypeCount = 4;
    // The long names in mode order: the item texts of Type.
    static const char* const kTypeLongNames[kTypeCount];

    static constexpr int kAudioInputs = 3; // oscillator 1, oscillator 2, noise
    static constexpr int kFmInputs = 2;

    // prefix is "F".
    explicit Filter(const char* prefix);

    Filter(const Filter&) = delete;
    Filter& operator=(const Filter&) = delete;

    // Both smoothers jump to their targets; the filter states become 0.
    void reset() override;
    float getSampleRate() const override { return sampleRate; }
    // Rates that are not positive and finite are ignored. The cutoff glides to its new value.
    void setSampleRate(float rateHz) override;
    void process(int count) override;
    // The samples of the last processed block (nothing before the first).
    const float* getOutput() const override { return output; }

    // Processes filterCount filters for count frames, each giving the samples and state its own
    // process would, bit for bit. The per-sample loops of up to kGroupLanes filters run side by
    // side in the lanes of one vector loop: the loop of a single filter is one long chain of
    // dependent steps, so several in step cost little more than one. Audio thread; the filters'
    // sources must have rendered this block.
    static constexpr int kGroupLanes = 4;
    static void processGroup(Filter* const* filters, int filterCount, int count);

    // Retunes the cutoff to note at once; the resonance jumps to its setting.
    void trigger(int previousNote, int note, int velocity) override;
    void release(int velocity) override;
    // The pressure amount becomes pressure squared (pressure 0..1).
    void press(float pressure) override;

    void getLongDisplay(int index, char* text) const override;

    // input 1..3: oscillator 1, oscillator 2, noise. Other numbers are ignored. Takes the lock.
    void setAudioInput(int input, const ISynthComponent* source);
    // input 1 or 2. Other numbers are ignored. Takes the lock.
    void setFmSource(int input, const ISynthComponent* source);
    // Set before processing starts; read without the lock.
    void setAmplitudeSource(const ISynthComponent* source);

protected:
    void parameterChanged(int index) override;

private:
    // A one-pole glide of a setting: current += (target - current) x coefficient per sample.
    struct ParameterSmoother
    {
        float sampleRate = 44100.0f;
        float frequency = 4.41f; // Hz, at most half the sample rate
        Relaxed<float> target;
        float current = 0.0f;
        float coefficient = 0.0f;

        void setSampleRate(float rateHz);
        void updateCoefficient();
    };

    // Cutoff in cycles per sample for the current note, cutoff note and key tracking.
    float computeCutoffFrequency() const;
    void updateCutoff();
    void clearState();
    // What the per-sample loop of a block must attend to: a modulation sum (without one it would
    // be 0 throughout and is not written), and input samples below the silence threshold
    // (without one the silence measure need not be read).
    struct BlockInputs
    {
        bool modulated;
        bool quiet;
    };
    // The work of a block around the per-sample loop: the input sum, its silence measure and the
    // modulation sum before, the amplitude after.
    BlockInputs gatherInputs(int count);
    void applyAmplitude(int count);
    // The block's buffers, settings and state for the per-sample loop; with modulated set and no
    // modulation of its own the filter's modulation sum is written as 0. storeLane keeps the
    // state the loop leaves and applies the amplitude.
    FilterLane loadLane(const BlockInputs& inputs, bool modulated, int count);
    void storeLane(const FilterLane& lane, int count);

    // Parameters
    FloatParameter cutoff;
    FloatParameter resonance;
    EnumParameter type;
    FloatParameter keyTracking;
    FloatParameter fm1Level;
    FloatParameter fm2Level;
    PolarityParameter fm1Polarity;
    PolarityParameter fm2Polarity;
    BooleanParameter pressureOn;

    Relaxed<float> sampleRate;
    Relaxed<int> currentNote;
    Relaxed<float> cutoffNote;      // Cut norm x 128
    Relaxed<float> cutoffFrequency; // cycles per sample

    // Sources (borrowed)
    const ISynthComponent* audioInputs[kAudioInputs] = {};
    const ISynthComponent* fmSources[kFmInputs] = {};
    const ISynthComponent* amplitudeSource = nullptr;

    // State
    Relaxed<float> pressure; // channel-pressure amount, tenths of an octave
    float s1 = 0.0f;
    float s2 = 0.0f;
    int silentRun = 0; // silent input samples in a row; the state is cleared from 64 on
    float q = 0.0f;    // range factor of the coefficient mapping, 1 - exp(-pi), at every rate
    // Away from 44100 Hz the coefficients come from rateMatch (built by setSampleRate).
    Relaxed<bool> matched;
    FilterRateMatch rateMatch;

    // Buffers (each block writes the samples it reads afterwards; nothing reads the rest, so
    // untouched pages never become resident)
    float inputSum[kMaxBlockFrames];
    float inputMagnitude[kMaxBlockFrames]; // per-sample silence measure of the input sum
    float modulationSum[kMaxBlockFrames];
    float output[kMaxBlockFrames];

    // Lock: guards audioInputs and fmSources.
    Mutex lock;

    // Derived coefficients: the gliding cutoff (cycles per sample) and resonance (0..1).
    ParameterSmoother cutoffSmoother;
    ParameterSmoother resonanceSmoother;
};
