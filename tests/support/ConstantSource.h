// A modulation source for tests whose output buffer holds one settable value.
#pragma once

#include "engine/ISynthComponent.h"

namespace TestEffects
{

class ConstantSource : public ISynthComponent
{
public:
    explicit ConstantSource(float initial) { set(initial); }

    void set(float value)
    {
        for (float& sample : output)
        {
            sample = value;
        }
    }
    float* buffer() { return output; }

    void reset() override {}
    float getSampleRate() const override { return 44100.0f; }
    void setSampleRate(float) override {}
    void process(int) override {}
    const float* getOutput() const override { return output; }

private:
    float output[kMaxBlockFrames];
};

} // namespace TestEffects
