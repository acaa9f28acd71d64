// Stand-in sources for the benchmarks: fixed blocks that the measured component only reads.
#pragma once

#include "engine/ISynthComponent.h"

#include <cmath>
#include <numbers>

namespace Bench
{

constexpr float kRate = 44100.0f;

// offset + amplitude x sin(2 pi hz t) at 44100 Hz, filled once; process changes nothing, so a
// benchmark measures only the component that reads it.
class FixedSine : public ISynthComponent
{
public:
    FixedSine(double hz, double amplitude, double offset)
    {
        for (int i = 0; i < kMaxBlockFrames; ++i)
        {
            output[i] = static_cast<float>(
                offset + amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) /
                                              static_cast<double>(kRate)));
        }
    }
    void reset() override {}
    float getSampleRate() const override { return kRate; }
    void setSampleRate(float) override {}
    void process(int) override {}
    const float* getOutput() const override { return output; }

private:
    float output[kMaxBlockFrames];
};

} // namespace Bench
