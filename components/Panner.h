// The panner: places the mono voice sum in the stereo image, by a gliding position or an LFO.
#pragma once

#include "base/Mutex.h"
#include "base/Relaxed.h"
#include "components/Glide.h"
#include "engine/IEffectComponent.h"
#include "engine/ISynthComponent.h"
#include "parameters/BooleanParameter.h"
#include "parameters/DecibelParameter.h"
#include "parameters/FloatParameter.h"
#include "parameters/ParameterList.h"
#include "parameters/PolarityParameter.h"

// Reads the first channel and writes both. The pan law is linear: the two gains sum to 1.
// - Off: both channels get half the signal.
// - On with a modulation source: the right gain is (polarity x level x source + 1) / 2, centred
//   whatever the position setting.
// - On without a source: the right gain is the position (0 left .. 1 right), which glides to
//   each new setting with a one-pole of 0.05 s aimed 0.0001 past it, so it arrives exactly.
// The position glides in every mode, so switching modes never makes it jump.
//
// Parameters: 0 "P On", 1 "P L/R" (shown as -1.00 .. 1.00), 2 "P ModL", 3 "P MPol".
// Threads: setValue publishes a new position target, which the audio thread picks up at its next
// process. setSource is called by PannerProgrammer from any thread and takes the lock that the
// audio thread holds once per block to read the source.
class Panner : public IEffectComponent, public ParameterList
{
public:
    Panner();

    Panner(const Panner&) = delete;
    Panner& operator=(const Panner&) = delete;

    // The position lands on its target at once.
    void reset() override;
    // The same landing, as the other effects' settle (audio thread, while nothing sounds).
    void settle() { reset(); }
    float getSampleRate() const override { return sampleRate; }
    void setSampleRate(float rateHz) override;
    // Reads inputs[0], writes outputs[0] and outputs[1]; count 1..kMaxBlockFrames. The source
    // must have rendered this block already.
    void process(float** inputs, float** outputs, int count) override;

    void getDisplay(int index, char* text) const override;

    // Installs the modulation source (an LFO, output -1..+1), or none for the position mode.
    void setSource(const ISynthComponent* newSource);
    // The position the glide has reached (0 left .. 1 right).
    float getCurrent() const { return glide.getValue(); }

protected:
    void parameterChanged(int index) override;

private:
    static constexpr float kOvershoot = 0.0001f;

    // process for a block in which the position does not move.
    void processSettled(const float* in, float* left, float* right, int count,
                        const ISynthComponent* modulation, float positionNow);

    static constexpr float kGlideSeconds = 0.05f;

    // Parameters
    BooleanParameter enabled;
    FloatParameter position;
    DecibelParameter modulationLevel;
    PolarityParameter modulationPolarity;

    // Sources (borrowed)
    const ISynthComponent* source = nullptr;

    // Lock
    Mutex lock;

    // Derived coefficients
    float sampleRate = 44100.0f;
    Relaxed<float> coefficient;

    // State: the position's glide, from the position parameter's default (the centre).
    Glide glide;
};
