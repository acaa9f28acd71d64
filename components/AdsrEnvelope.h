// The attack-decay-sustain-release envelope of a voice: a 0..1 control signal made of one-pole
// curves.
#pragma once

#include "base/Relaxed.h"
#include "engine/IAdsrEnvelopeObserver.h"
#include "engine/ISynthComponent.h"
#include "engine/ITriggerable.h"
#include "parameters/AdsrTimeParameter.h"
#include "parameters/DecibelParameter.h"
#include "parameters/EnumParameter.h"
#include "parameters/FloatParameter.h"
#include "parameters/ParameterList.h"

// Each stage approaches a target aimed past its end (1.5819781 for the attack, -0.5819781 for the
// release), so that a curve from 0 to 1 or from 1 to 0 ends after exactly one time constant of
// time x sampleRate x timeScale + 1 samples. The level is stored as value + 1 so that a value
// falling toward 0 stays a normal float near 1.
//
// Threads: trigger, release, process and reset run on the audio thread; setValue on the writer's
// thread, which may rewrite the running coefficient and target (a change lands between two
// blocks). Observers are notified on the audio thread, in the order they were added.
class AdsrEnvelope : public ISynthComponent, public ITriggerable, public ParameterList
{
public:
    enum Stage
    {
        kAttack = 0,
        kDecaySustain = 1,
        kRelease = 2,
        kIdle = 3,
    };

    // Parameter indexes.
    enum
    {
        kA = 0,
        kD = 1,
        kS = 2,
        kR = 3,
        kKT = 4,
        kVDpth = 5,
        kTMode = 6,
    };

    // The trigger modes of TMod.
    enum
    {
        kLegato = 0,
        kRetrig = 1,
    };

    static constexpr int kMaxObservers = 4;

    // prefix is "E1" or "E2".
    explicit AdsrEnvelope(const char* prefix);

    AdsrEnvelope(const AdsrEnvelope&) = delete;
    AdsrEnvelope& operator=(const AdsrEnvelope&) = delete;

    // Value 0 and idle; every observer receives onFinished.
    void reset() override;
    float getSampleRate() const override { return sampleRate; }
    // Rates that are not positive and finite are ignored. A running coefficient keeps its value
    // until the next stage change.
    void setSampleRate(float rateHz) override;
    void process(int count) override;

    // Processes envelopeCount envelopes for count frames, each giving the samples, state and
    // notifications its own process would, bit for bit. Those in the decay and sustain stage that
    // have not yet settled on the sustain level run side by side, kGroupLanes to a vector loop:
    // their step is one chain of dependent operations per sample, so several in step cost
    // little more than one. The others process one by one. Audio thread.
    static constexpr int kGroupLanes = 4;
    static void processGroup(AdsrEnvelope* const* envelopes, int envelopeCount, int count);

    // The samples of the last processed block (nothing before the first).
    const float* getOutput() const override { return output; }

    void trigger(int previousNote, int note, int velocity) override;
    void release(int velocity) override;

    // Appends an observer (borrowed); false when it is null or all kMaxObservers places are taken.
    // Call before processing starts.
    bool addObserver(IAdsrEnvelopeObserver* observer);

    Stage getStage() const { return static_cast<Stage>(stage.load()); }

protected:
    void parameterChanged(int index) override;

private:
    void notifyAttack();
    void notifyDecay();
    void notifyRelease();
    void notifyFinished();
    // Renders samples from first up to count in the current stage; returns the index where the
    // stage changed, or count.
    int processAttack(int first, int count);
    int processDecaySustain(int first, int count);
    int processRelease(int first, int count);
    int processIdle(int first, int count);
    // In the decay and sustain stage and not yet on the sustain level to stay.
    bool isSettling() const;

    // One settling envelope's state as the group's vector loop takes it: its output buffer and
    // the stored level, coefficient, target and gain of processDecaySustain. The loop changes
    // only the level, which storeDecayLane hands back.
    struct DecayLane
    {
        float* out;
        float level;
        float coefficient;
        float target;
        float gain;
    };
    DecayLane loadDecayLane();
    void storeDecayLane(const DecayLane& lane);
    static void runDecayLanes(DecayLane* lanes, int count);

    // Parameters
    AdsrTimeParameter attackTime;
    AdsrTimeParameter decayTime;
    DecibelParameter sustainLevel;
    AdsrTimeParameter releaseTime;
    FloatParameter keyTracking;
    FloatParameter velocityDepth;
    EnumParameter triggerMode;

    float sampleRate = 44100.0f;

    // Derived coefficients: the writer's thread rewrites coefficient and target of a running stage.
    Relaxed<float> coefficient;
    Relaxed<float> target; // stored form, value + 1
    float timeScale = 1.0f;
    float velocityGain = 1.0f;

    // State
    float level = 1.0f; // stored form: value + 1, so 1.0 is silence
    Relaxed<int> stage;

    // Observers (borrowed)
    IAdsrEnvelopeObserver* observers[kMaxObservers] = {};
    int observerCount = 0;

    // Buffers (each block writes the samples it reads afterwards; nothing reads the rest, so
    // untouched pages never become resident)
    float output[kMaxBlockFrames];
};
