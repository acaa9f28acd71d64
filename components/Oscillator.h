// A band-limited wavetable oscillator with two FM inputs, portamento, pulse width and hard sync.
#pragma once

#include "base/Mutex.h"
#include "base/Relaxed.h"
#include "components/Wavetables.h"
#include "engine/IBendable.h"
#include "engine/ISynthComponent.h"
#include "engine/ITriggerable.h"
#include "parameters/BooleanParameter.h"
#include "parameters/DetuneParameter.h"
#include "parameters/EnumParameter.h"
#include "parameters/FloatParameter.h"
#include "parameters/IntegerParameter.h"
#include "parameters/ParameterList.h"
#include "parameters/PolarityParameter.h"

// The phase counts table samples: one cycle is 2048 units, and the phase stays in [0, 2048).
// Pitch is note + Trans + Dtn + PBR x bend semitones; the FM inputs (scaled by depth and
// polarity) and the pitch input (unscaled) add octaves to it per sample. Pulse width subtracts
// a copy of the wave read PWid (plus modulation) of a cycle ahead; a sync master restarts the
// phase at each of its wraps, with a 16-sample crossfade from the old waveform. The amplitude
// input scales the output. A parameter reset acts as a write of the default: a reset of Dtn,
// Trans, PBR or Wave redoes what depends on it.
//
// Threads: parameter writes and the source setters come from the user-interface thread (or the
// audio thread for MIDI learn); process, trigger, bend and setPhase run on the audio thread. The
// lock guards the six sources and the table choice; process copies them in one short hold per
// block.
class Oscillator : public ISynthComponent,
                   public ITriggerable,
                   public IBendable,
                   public ParameterList
{
public:
    enum ParameterIndex
    {
        kDtn = 0,
        kTrans,
        kPbr,
        kFm1,
        kFm2,
        kFm1Pl,
        kFm2Pl,
        kWave,
        kPwOn,
        kPwid,
        kPwm,
        kPwmPl,
        kParameterCount
    };

    // Samples over which a change of the tables that follow the pitch is crossfaded.
    static constexpr int kTableCrossfade = 32;

    // prefix is "O1" or "O2". Builds the shared wavetables if no oscillator has yet.
    explicit Oscillator(const char* prefix);

    Oscillator(const Oscillator&) = delete;
    Oscillator& operator=(const Oscillator&) = delete;

    // The phase runs free across notes: reset leaves it (and everything else) alone.
    void reset() override {}
    float getSampleRate() const override { return sampleRate; }
    // Stores the rate (finite, at least 1 Hz; others are ignored); the increment follows at the
    // next block.
    void setSampleRate(float rateHz) override;
    void process(int count) override;
    const float* getOutput() const override { return output; }

    // Stores the note (0..127; others are held at the nearest) and chooses the tables again. The
    // phase is kept.
    void trigger(int previousNote, int note, int velocity) override;
    void release(int /*velocity*/) override {}
    // amount -1..+1 (NaN counts as 0); takes effect at the next block.
    void bend(float amount) override;

    // The wave's long name for Wave, the parameter's own text for the others.
    void getLongDisplay(int index, char* text) const override;

    // Moves the phase to positionTableSamples, wrapped into [0, 2048) (2048 gives 0, NaN 0), as
    // at the start of a new note: the hard-sync state of the last note is cleared.
    void setPhase(float positionTableSamples);
    float getPhase() const { return phase; }

    // Source setters: each stores one borrowed pointer (null for none) under the lock. input is
    // 1 or 2; another input number is ignored.
    void setFmSource(int input, const ISynthComponent* source);
    void setAmplitudeSource(const ISynthComponent* source);
    void setPwmSource(const ISynthComponent* source);
    void setPitchSource(const ISynthComponent* source);
    void setSyncMaster(const Oscillator* master);

    // The phase after each sample's advance in the last block (before a sync restart): what a
    // synced oscillator compares to find the wraps.
    const float* getPhaseRecord() const { return phaseRecord; }
    // The base increment in table samples per output sample, without modulation.
    float getIncrement() const { return increment; }

    // The table choice: lower and upper table numbers (0..9) and the upper table's weight.
    int getLowerTable() const;
    int getUpperTable() const;
    float getTableWeight() const;

protected:
    void parameterChanged(int index) override;

private:
    // The increment of a pitch in semitones at the current rate.
    float incrementFor(double pitchSemitones) const;
    void computeIncrement();
    void chooseTables();
    // The crossfaded pair of tables for a key (0..127): each octave fades from table h - 1 to h.
    static void tablesForKey(float key, int& lower, int& upper, float& upperWeight);
    // Turns the modulation sum (octaves) into each sample's phase step, in place; returns the
    // largest step (NaN steps aside, 0 at least).
    float modulationToSteps(int count);
    // renderStretch, faded from the tables played before when the choice has changed: over
    // kTableCrossfade samples from the change, also across stretches and blocks.
    void renderFaded(int begin, int end, bool modulated, const Oscillator* master,
                     const float* lower, const float* upper, float tableWeight,
                     const ISynthComponent* pwmInput);
    // Samples begin..end - 1 of the block with one table choice: the wave and the pulse copy.
    void renderStretch(int begin, int end, bool modulated, const Oscillator* master,
                       const float* lower, const float* upper, float tableWeight,
                       const ISynthComponent* pwmInput);
    template <bool kModulated, bool kSynced>
    // With kModulated the modulation buffer holds each sample's step (modulationToSteps).
    void renderWave(int begin, int end, const float* lower, const float* upper, float weight,
                    const Oscillator* master);
    // The wave without a sync master, with the samples of renderWave's per-sample loop: four
    // samples at a time, their phases summed one after the other and the wave read at all four
    // in one vector.
    template <bool kModulated>
    void renderFree(int begin, int end, const float* lower, const float* upper, float weight);
    // Subtracts the copy of the wave read PWid (plus modulation) of a cycle ahead.
    void subtractPulseCopy(int begin, int end, const float* lower, const float* upper, float weight,
                           const ISynthComponent* pwmInput);

    // Parameters
    DetuneParameter detune;
    IntegerParameter transpose;
    IntegerParameter bendRange;
    FloatParameter fm1Level;
    FloatParameter fm2Level;
    PolarityParameter fm1Polarity;
    PolarityParameter fm2Polarity;
    EnumParameter wave;
    BooleanParameter pulseWidthOn;
    FloatParameter pulseWidth;
    FloatParameter pwmLevel;
    PolarityParameter pwmPolarity;

    // Sample rate in Hz
    Relaxed<float> sampleRate;

    // Table choice (under the lock)
    const float* waveSet;
    int lowerTable;
    int upperTable;
    float weight;
    float tableKey = 69.0f;   // the key the tables are chosen for, folded into 0..127
    bool tablesChosen = true; // set by each choice; the next block starts following anew

    // Sources (borrowed, under the lock)
    const ISynthComponent* fm1Source = nullptr;
    const ISynthComponent* fm2Source = nullptr;
    const ISynthComponent* amplitudeSource = nullptr;
    const ISynthComponent* pwmSource = nullptr;
    const ISynthComponent* pitchSource = nullptr;
    const Oscillator* syncMaster = nullptr;

    // State
    float oldPhase = 0.0f;
    int crossfadeCount = 0;
    float masterLastPhase = 0.0f;
    Relaxed<float> increment;
    Relaxed<float> keyIncrement; // the increment without bend: the pitch of the tables' key
    // Following the pitch (audio thread): the step the current tables cover (0: the note's own)
    // and the samples since the last regular choice.
    float coveredStep = 0.0f;
    int followPosition = 0;
    // The tables of the last sample rendered, and while tableFade > 0 the tables faded from with
    // the samples of the fade left (audio thread).
    const float* playedLower = nullptr;
    const float* playedUpper = nullptr;
    float playedWeight = 0.0f;
    const float* fadeLower = nullptr;
    const float* fadeUpper = nullptr;
    float fadeWeight = 0.0f;
    int tableFade = 0;
    float fadeFrom[kTableCrossfade];
    float phase = 0.0f;
    Relaxed<float> bendPosition;
    Relaxed<int> note;

    // Buffers
    float modulation[kMaxBlockFrames];
    float output[kMaxBlockFrames];
    float phaseRecord[kMaxBlockFrames];

    // Lock
    mutable Mutex lock;
};
