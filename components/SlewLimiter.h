// The per-voice portamento glide: a pitch offset in octaves that decays to exactly zero.
#pragma once

#include "base/Relaxed.h"
#include "components/Glide.h"
#include "engine/ISynthComponent.h"
#include "engine/ITriggerable.h"
#include "parameters/FloatParameter.h"
#include "parameters/ParameterList.h"

// A trigger adds the interval from the previous note to the offset, (previousNote - note) / 12
// octaves, so a glide starts at the old pitch and a glide in progress goes on from where it is.
// The offset then follows a one-pole glide with a time constant of sampleRate x "Pr Time" + 1
// samples (0 .. 3 s on a squared curve), aimed at -0.995 or +0.995, past zero: it crosses zero in
// finite time and stops there exactly. A glide over one octave takes ln(1.995 / 0.995), about
// 0.70 time constants.
//
// Threads: process and trigger on the audio thread; setValue on any writer's thread (it only
// writes the coefficient, read once per block).
class SlewLimiter : public ISynthComponent, public ITriggerable, public ParameterList
{
public:
    SlewLimiter();

    SlewLimiter(const SlewLimiter&) = delete;
    SlewLimiter& operator=(const SlewLimiter&) = delete;

    void reset() override;
    float getSampleRate() const override { return sampleRate; }
    // Also recomputes the coefficient, so that the glide keeps its time in seconds.
    void setSampleRate(float rateHz) override;
    // Zeros once the glide has ended.
    void process(int count) override;
    const float* getOutput() const override { return output; }

    // Triggers add up even while the slew limiter is not processed (no oscillator uses it).
    void trigger(int previousNote, int note, int velocity) override;
    void release(int velocity) override;

    // The offset in octaves that the next processed sample starts from.
    float getCurrent() const { return glide.value; }
    bool isFinished() const { return glide.finished; }

private:
    void parameterChanged(int index) override;
    void updateCoefficient();

    // Parameters
    FloatParameter time;

    // Derived coefficients
    Relaxed<float> sampleRate;
    Relaxed<float> coefficient; // per sample, 1 - exp(-1 / (sampleRate x Time + 1))

    // State (audio thread): the offset in octaves, gliding to 0 aimed at -0.995 (falling, from
    // above) or +0.995 (rising)
    GlideStep glide = {0.0f, 0.0f, 0.0f, true, false};

    // Buffers (each block writes the samples it reads afterwards; nothing reads the rest, so
    // untouched pages never become resident)
    float output[kMaxBlockFrames];
};
