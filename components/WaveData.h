// The 26 oscillator waves: their names and the harmonic content their wavetables are built from.
#pragma once

#include <cstdint>

constexpr int kWaveCount = 26;

// How the amplitudes of a wave's harmonics are given.
enum class HarmonicRule
{
    kSawtooth, // every harmonic, amplitude 1/k: a falling ramp
    kTriangle, // odd harmonics, amplitude 1/k^2, all of one sign
    kSine,     // the fundamental alone
    kLevels,   // a list of levels 1..255 per harmonic, 0 where absent
};

struct WaveData
{
    const char* shortName; // the Wave parameter's display text, at most 7 characters
    const char* longName;  // the oscillator's long display text, at most 23 characters
    HarmonicRule rule;
    int highestHarmonic;        // K, the highest harmonic present
    const std::uint8_t* levels; // levels[k - 1] of harmonic k = 1..K; null for the rule waves
};

// The wave's data; a wave outside 0..25 gives the nearest one.
const WaveData& getWaveData(int wave);

// The amplitude of harmonic k (from 1) in sine phase, 0 where the wave has none. Only ratios
// between harmonics of one wave mean anything: every table is normalised to a peak of 1.
double harmonicAmplitude(const WaveData& wave, int harmonic);

// The short and long names in wave order (26 texts each): the item texts of the Wave parameter.
const char* const* getWaveShortNames();
const char* const* getWaveLongNames();
