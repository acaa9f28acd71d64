// Runs stereo effects in place over whole signals for tests, and reads parameter texts.
#pragma once

#include "engine/IEffectComponent.h"
#include "parameters/IProgrammable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
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
        float* channels[2] = {signal.left.data() + start, signal.right.data() + start};
        effect.process(channels, channels, std::min(blockFrames, total - start));
    }
}

// A sine of the given amplitude and frequency.
inline std::vector<float> sine(std::size_t frames, double frequencyHz, double sampleRateHz,
                               double amplitude)
{
    std::vector<float> x(frames);
    for (std::size_t n = 0; n < frames; ++n)
    {
        x[n] = static_cast<float>(amplitude * std::sin(6.283185307179586 * frequencyHz *
                                                       static_cast<double>(n) / sampleRateHz));
    }
    return x;
}

// Uniform noise in -amplitude..amplitude from a fixed linear congruential sequence.
inline std::vector<float> noise(std::size_t frames, unsigned seed, float amplitude)
{
    std::vector<float> x(frames);
    for (float& value : x)
    {
        seed = seed * 1664525u + 1013904223u;
        value = amplitude * (static_cast<float>(seed >> 8) / 8388608.0f - 1.0f);
    }
    return x;
}

// Indexes after the first sample whose magnitude reaches threshold.
inline std::vector<long> echoes(const std::vector<float>& x, double threshold)
{
    std::vector<long> found;
    for (std::size_t n = 1; n < x.size(); ++n)
    {
        if (std::fabs(static_cast<double>(x[n])) >= threshold)
        {
            found.push_back(static_cast<long>(n));
        }
    }
    return found;
}

// The name, label or display text of one parameter.
enum class Text
{
    kName,
    kLabel,
    kDisplay,
    kLongDisplay,
};

inline std::string text(const IProgrammable& programmable, int index, Text which)
{
    char field[24] = {};
    switch (which)
    {
    case Text::kName:
        programmable.getName(index, field);
        break;
    case Text::kLabel:
        programmable.getLabel(index, field);
        break;
    case Text::kDisplay:
        programmable.getDisplay(index, field);
        break;
    case Text::kLongDisplay:
        programmable.getLongDisplay(index, field);
        break;
    }
    return field;
}

// Expects names, labels and display texts of indexes 0 .. n - 1 (n entries per list).
template <std::size_t n>
void expectTexts(const IProgrammable& programmable, const char* const (&names)[n],
                 const char* const (&labels)[n], const char* const (&displays)[n])
{
    ASSERT_EQ(programmable.getParameterCount(), static_cast<int>(n));
    for (int i = 0; i < static_cast<int>(n); ++i)
    {
        EXPECT_EQ(text(programmable, i, Text::kName), names[i]) << i;
        EXPECT_EQ(text(programmable, i, Text::kLabel), labels[i]) << i;
        EXPECT_EQ(text(programmable, i, Text::kDisplay), displays[i]) << i;
    }
}

} // namespace TestEffects
