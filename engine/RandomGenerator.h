// The engine's pseudo-random source: a 15-bit linear congruential generator, one per synthesizer.
#pragma once

#include <cstdint>

// Values 0..32767 on every platform, so renders are reproducible from the seed. Used on the audio
// thread only (noise, sample-and-hold, oscillator start phases); not thread-safe.
class RandomGenerator
{
public:
    static constexpr int kMax = 32767;
    static constexpr std::uint32_t kDefaultSeed = 1;

    explicit RandomGenerator(std::uint32_t seed = kDefaultSeed) : state(seed) {}

    RandomGenerator(const RandomGenerator&) = delete;
    RandomGenerator& operator=(const RandomGenerator&) = delete;

    void seed(std::uint32_t newSeed) { state = newSeed; }
    // The state the next draw starts from: a generator seeded with it draws the same values.
    std::uint32_t getState() const { return state; }

    // The next value, uniform in 0..32767.
    int next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFFu);
    }

    // The next value mapped to -1..+1 as 1 - r * 2/32767.
    float nextBipolar() { return 1.0f - static_cast<float>(next()) * kBipolarStep; }

private:
    static constexpr float kBipolarStep = 0.000061037019f; // 2 / 32767
    std::uint32_t state;
};
