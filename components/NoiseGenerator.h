// The per-voice white-noise source.
#pragma once

#include "base/Relaxed.h"
#include "engine/ISynthComponent.h"
#include "engine/RandomGenerator.h"
#include "parameters/BooleanParameter.h"
#include "parameters/ParameterList.h"

// While "N On" is on, each sample is 1 - r x 2/32767 with r from the engine's 15-bit generator
// (white noise from -1 to +1), times the amplitude source's sample when there is one (the voice
// gives it the "N Lvl" smoother). While off, each block's samples are zeros.
//
// Threads: process on the audio thread. setValue runs on any writer's thread; switching off only
// asks for the buffer to be cleared, and the next process does it, because the audio thread may
// be reading the buffer at that moment.
class NoiseGenerator : public ISynthComponent, public ParameterList
{
public:
    // random must outlive the generator.
    explicit NoiseGenerator(RandomGenerator& random);

    NoiseGenerator(const NoiseGenerator&) = delete;
    NoiseGenerator& operator=(const NoiseGenerator&) = delete;

    void reset() override {}
    float getSampleRate() const override { return sampleRate; }
    void setSampleRate(float rateHz) override;
    void process(int count) override;
    const float* getOutput() const override { return output; }

    // A gain per sample (borrowed; null for none). Set while the voice is wired.
    void setAmplitudeSource(const ISynthComponent* source) { amplitude = source; }

private:
    void parameterChanged(int index) override;

    // Parameters
    BooleanParameter enabled;

    // Derived coefficients
    Relaxed<float> sampleRate;

    // Sources (borrowed)
    Relaxed<const ISynthComponent*> amplitude;
    RandomGenerator& random;

    // State
    Relaxed<bool> clearRequested;
    bool writtenOn = false; // the switch as last written (the writer's thread)
    // While off, the leading samples of the buffer known to hold zeros: a block zeroes only what
    // it reads and has not been zeroed yet, so untouched pages never become resident.
    int zeroedFrames = 0;

    // Buffers
    float output[kMaxBlockFrames];
};
