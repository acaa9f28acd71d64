// The band-limited wavetables of the 26 waves, computed once per process and shared read-only.
#pragma once

#include <memory>

// A wave set is ten single-cycle tables of 2048 floats, one after the other. Table t holds the
// wave's harmonics 1 to 512 >> t only (table 0 up to the 512th, table 9 the fundamental alone),
// each in sine phase starting one sample after phase zero: sample n is the sum of
// A(k) sin(2 pi k (n + 1) / 2048). Every table is scaled to a peak of exactly 1.0, is
// odd-symmetric (sample 2046 - n is minus sample n; samples 1023 and 2047 are 0) and so has no
// DC; a table without any of the wave's harmonics is silent.
class Wavetables
{
public:
    static constexpr int kTableLength = 2048;
    static constexpr int kTablesPerSet = 10;
    static constexpr int kSetLength = kTableLength * kTablesPerSet;

    // The table number for each octave of the key (key / 12, 0..10) and the one above it: keys
    // 0 to 11 use table 0 alone, each octave above fades from table h - 1 to table h, keys from
    // 120 use table 9 alone.
    static constexpr int kOctaveTables[12] = {0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9};

    // The highest harmonic table t may hold: 512 >> t.
    static constexpr int bandLimit(int table) { return 512 >> table; }

    // The tables shared by all oscillators. The first call builds them (2.1 MB, a few
    // milliseconds); it is thread-safe, and oscillators make it from their constructors, so the
    // audio thread never does.
    static const Wavetables& get();

    // The wave set of a wave (0..25; others give the nearest wave).
    const float* getWaveSet(int wave) const;
    const float* getTable(int wave, int table) const;

    // Computes the ten tables of one wave into destination (kSetLength floats).
    static void buildWaveSet(int wave, float* destination);

    Wavetables(const Wavetables&) = delete;
    Wavetables& operator=(const Wavetables&) = delete;

private:
    Wavetables();

    std::unique_ptr<float[]> samples;
};
