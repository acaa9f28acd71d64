// Building the shared band-limited wavetables from the waves' harmonic amplitudes.
#include "components/Wavetables.h"

#include "components/WaveData.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace
{

constexpr int kLength = Wavetables::kTableLength;
constexpr int kMask = kLength - 1;
constexpr int kHalf = kLength / 2;
// Samples 0..1022 are summed; 1023 and 2047 fall on phase pi and 2 pi, where every sine is 0,
// and 1024..2046 mirror 0..1022.
constexpr int kSummed = kHalf - 1;

// sin(2 pi m / 2048) for m = 0..2047 in double. The quarter wave is computed and the rest formed
// by symmetry, so that sin at m and 2048 - m are exact negatives and 0 and 1024 are exactly 0:
// the mirrored half of each table then equals the directly summed one bit for bit.
const std::array<double, kLength>& sineTable()
{
    static const std::array<double, kLength> table = []
    {
        std::array<double, kLength> sine{};
        const double pi = std::acos(-1.0);
        const int quarter = kLength / 4;
        for (int m = 0; m <= quarter; ++m)
        {
            sine[static_cast<std::size_t>(m)] = std::sin(2.0 * pi * m / kLength);
        }
        sine[static_cast<std::size_t>(quarter)] = 1.0;
        for (int m = quarter + 1; m <= kHalf; ++m)
        {
            sine[static_cast<std::size_t>(m)] = sine[static_cast<std::size_t>(kHalf - m)];
        }
        for (int m = kHalf + 1; m < kLength; ++m)
        {
            sine[static_cast<std::size_t>(m)] = -sine[static_cast<std::size_t>(kLength - m)];
        }
        return sine;
    }();
    return table;
}

// Adds amplitude sin(2 pi k (n + 1) / 2048) for n = 0..1022. The phase index k (n + 1) mod 2048
// steps by k, so the exact sine value of each sample is looked up instead of computed.
void addHarmonic(double* sum, int harmonic, double amplitude, const double* sine)
{
    int index = 0;
    for (int n = 0; n < kSummed; ++n)
    {
        index = (index + harmonic) & kMask;
        sum[n] += amplitude * sine[index];
    }
}

// Scales the partial sum to a peak of 1 and writes the whole odd-symmetric cycle. Dividing by
// the peak (rather than multiplying by its reciprocal) makes the peak sample exactly 1.0.
void writeTable(const double* sum, float* table)
{
    double peak = 0.0;
    for (int n = 0; n < kSummed; ++n)
    {
        peak = std::fmax(peak, std::fabs(sum[n]));
    }
    for (int n = 0; n < kSummed; ++n)
    {
        const float value = peak > 0.0 ? static_cast<float>(sum[n] / peak) : 0.0f;
        table[n] = value;
        table[kLength - 2 - n] = -value;
    }
    table[kHalf - 1] = 0.0f;
    table[kLength - 1] = 0.0f;
}

} // namespace

void Wavetables::buildWaveSet(int wave, float* destination)
{
    const WaveData& data = getWaveData(wave);
    const double* sine = sineTable().data();
    // The tables are nested: table t is table t + 1 plus the harmonics of the band
    // (512 >> (t + 1)), 512 >> t]. One running sum, snapshotted from the narrowest table up,
    // adds each harmonic once (2300 harmonics of 1023 samples for all 26 waves).
    std::array<double, kSummed> sum{};
    int highest = 0;
    for (int table = kTablesPerSet - 1; table >= 0; --table)
    {
        const int limit = bandLimit(table);
        for (int harmonic = highest + 1; harmonic <= limit; ++harmonic)
        {
            const double amplitude = harmonicAmplitude(data, harmonic);
            if (amplitude != 0.0)
            {
                addHarmonic(sum.data(), harmonic, amplitude, sine);
            }
        }
        highest = limit;
        writeTable(sum.data(), destination + table * kTableLength);
    }
}

Wavetables::Wavetables() : samples(new float[static_cast<std::size_t>(kWaveCount) * kSetLength])
{
    for (int wave = 0; wave < kWaveCount; ++wave)
    {
        buildWaveSet(wave, samples.get() + wave * kSetLength);
    }
}

const Wavetables& Wavetables::get()
{
    // Function-local static: built by the first caller, thread-safe.
    static const Wavetables tables;
    return tables;
}

const float* Wavetables::getWaveSet(int wave) const
{
    const int clamped = wave < 0 ? 0 : (wave >= kWaveCount ? kWaveCount - 1 : wave);
    return samples.get() + clamped * kSetLength;
}

const float* Wavetables::getTable(int wave, int table) const
{
    const int clamped = table < 0 ? 0 : (table >= kTablesPerSet ? kTablesPerSet - 1 : table);
    return getWaveSet(wave) + clamped * kTableLength;
}
