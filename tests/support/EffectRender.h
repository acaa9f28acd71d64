// Runs a stereo effect in place over whole signals, in blocks of a chosen size, for tests.
#pragma once

#include "engine/IComponent.h"
#include "engine/IEffectComponent.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace TestEffects
{

struct StereoSignal
{
    explicit StereoSignal(std::size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}

    std::size_t frames() const { return left.size(); }

    std::vector<float> left;
    std::vector<float> right;
};

// Processes the signal in place (as the effects chain does), blockFrames at a time.
inline void render(IEffectComponent& effect, StereoSignal& signal, int blockFrames)
{
    const int total = static_cast<int>(signal.frames());
    for (int start = 0; start < total; start += blockFrames)
    {
        const int count = std::min(blockFrames, total - start);
        float* channels[2] = {signal.left.data() + start, signal.right.data() + start};
        effect.process(channels, channels, count);
    }
}

// A sine of the given amplitude and frequency.
inline std::vector<float> sine(std::size_t frames, double frequencyHz, double sampleRateHz,
                               double amplitude)
{
    std::vector<float> x(frames);
    for (std::size_t n = 0; n < frames; ++n)
    {
        x[n] = static_cast<float>(amplitude * std::sin(2.0 * 3.14159265358979323846 * frequencyHz *
                                                       static_cast<double>(n) / sampleRateHz));
    }
    return x;
}

// Uniform noise in -amplitude..amplitude from a fixed linear congruential sequence.
inline std::vector<float> noise(std::size_t frames, unsigned seed, float amplitude)
{
    std::vector<float> x(frames);
    unsigned state = seed;
    for (float& value : x)
    {
        state = state * 1664525u + 1013904223u;
        value = amplitude * (static_cast<float>(state >> 8) / 8388608.0f - 1.0f);
    }
    return x;
}

} // namespace TestEffects
