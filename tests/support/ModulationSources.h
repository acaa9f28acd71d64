// Stand-in modulation sources for component tests: a constant level and a continuing sine.
#pragma once

#include "engine/ISynthComponent.h"

#include <cmath>

namespace TestSources
{

// Holds one value in every sample of its buffer; process changes nothing.
class Constant : public ISynthComponent
{
public:
    explicit Constant(float initial) { set(initial); }
    void set(float value)
    {
        for (float& sample : buffer)
        {
            sample = value;
        }
    }
    // Lets a test change single samples.
    float* samples() { return buffer; }
    void reset() override {}
    float getSampleRate() const override { return 44100.0f; }
    void setSampleRate(float) override {}
    void process(int) override {}
    const float* getOutput() const override { return buffer; }

private:
    float buffer[kMaxBlockFrames];
};

// offset + amplitude sin(2 pi n / period), continuing from block to block.
class Sine : public ISynthComponent
{
public:
    Sine(double periodSamples, float sineAmplitude, float sineOffset)
        : period(periodSamples), amplitude(sineAmplitude), offset(sineOffset)
    {
    }
    void reset() override {}
    float getSampleRate() const override { return 44100.0f; }
    void setSampleRate(float) override {}
    void process(int count) override
    {
        for (int i = 0; i < count; ++i, ++position)
        {
            const double angle = 6.283185307179586 * static_cast<double>(position) / period;
            buffer[i] = offset + amplitude * static_cast<float>(std::sin(angle));
        }
    }
    const float* getOutput() const override { return buffer; }

private:
    double period;
    float amplitude;
    float offset;
    long position = 0;
    float buffer[kMaxBlockFrames] = {};
};

} // namespace TestSources
