// A test component that plays a stored signal in a loop, and a sine generator to fill it.
#pragma once

#include "engine/ISynthComponent.h"

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace TestSignals
{

// Plays signal block after block, continuing where the last block ended and wrapping around.
class SignalSource : public ISynthComponent
{
public:
    explicit SignalSource(std::vector<float> samples) : signal(std::move(samples)) {}
    void reset() override { position = 0; }
    float getSampleRate() const override { return 44100.0f; }
    void setSampleRate(float) override {}
    void process(int count) override
    {
        for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
        {
            output[i] = signal[(position + i) % signal.size()];
        }
        position += static_cast<std::size_t>(count);
    }
    const float* getOutput() const override { return output.data(); }

    std::vector<float> signal;

private:
    std::vector<float> output = std::vector<float>(kMaxBlockFrames);
    std::size_t position = 0;
};

// A tenth of a second of offset + amplitude x sin: whole cycles for multiples of 10 Hz.
inline std::vector<float> sine(double hz, float rate, float amplitude = 0.5f, float offset = 0.0f)
{
    std::vector<float> samples(static_cast<std::size_t>(rate / 10.0f));
    for (std::size_t n = 0; n < samples.size(); ++n)
    {
        const double phase =
            2.0 * 3.14159265358979323846 * hz * static_cast<double>(n) / static_cast<double>(rate);
        samples[n] = offset + amplitude * static_cast<float>(std::sin(phase));
    }
    return samples;
}

} // namespace TestSignals
