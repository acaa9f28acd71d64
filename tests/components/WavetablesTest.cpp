// The wave data and the band-limited tables built from it: content, band limits, shape.
#include "components/Wavetables.h"
#include "components/WaveData.h"
#include "tests/support/Fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <thread>
#include <vector>

namespace
{

constexpr int kLength = Wavetables::kTableLength;

struct DesignedWave
{
    int wave;
    int highestHarmonic;
    int presentCount;
    int firstEight[8];
};

// The waves whose levels above the 8th harmonic are designed: K, the count of harmonics present
// and the given first eight levels.
const DesignedWave kDesigned[] = {
    {3, 116, 62, {240, 171, 255, 181, 97, 89, 115, 15}},
    {5, 56, 17, {255, 234, 114, 147, 84, 0, 91, 68}},
    {6, 128, 114, {255, 217, 219, 93, 59, 49, 38, 23}},
    {8, 125, 33, {255, 0, 227, 255, 0, 0, 0, 0}},
    {10, 51, 51, {18, 25, 25, 5, 5, 5, 110, 8}},
    {12, 48, 46, {140, 255, 51, 61, 20, 79, 84, 23}},
    {13, 43, 40, {255, 186, 76, 25, 10, 5, 5, 3}},
    {14, 51, 44, {255, 97, 102, 54, 5, 3, 23, 23}},
    {15, 40, 25, {255, 255, 40, 72, 46, 40, 46, 90}},
    {16, 57, 57, {255, 209, 194, 140, 130, 115, 97, 87}},
    {17, 123, 23, {46, 143, 104, 235, 255, 61, 13, 21}},
    {18, 74, 62, {255, 163, 171, 125, 163, 163, 109, 84}},
    {19, 63, 63, {127, 255, 173, 137, 20, 12, 20, 17}},
    {20, 51, 51, {58, 107, 255, 30, 22, 5, 2, 7}},
    {21, 127, 126, {87, 32, 109, 130, 159, 255, 52, 13}},
    {22, 127, 54, {255, 62, 89, 8, 3, 23, 159, 8}},
    {23, 127, 104, {44, 178, 8, 126, 11, 255, 17, 129}},
    {24, 64, 64, {255, 2, 86, 107, 66, 22, 30, 43}},
    {25, 127, 126, {63, 144, 47, 34, 97, 255, 66, 15}},
};

// The waves given harmonic by harmonic, as harmonic:level pairs.
// clang-format off
const std::map<int, std::map<int, int>> kComplete = {
    {4, {{1, 255}, {2, 173}, {3, 107}, {4, 66}, {5, 36}, {6, 17}, {7, 5}, {13, 23}, {15, 23}}},
    {7, {{1, 254}, {2, 255}, {3, 255}, {4, 255}, {6, 255}, {8, 255}, {10, 255}, {12, 255},
         {16, 255}}},
    {9, {{1, 255}, {2, 13}, {3, 10}, {5, 163}, {9, 120}, {13, 69}, {17, 153}, {21, 38}, {25, 28},
         {29, 13}, {33, 10}, {41, 10}, {45, 8}, {49, 10}}},
    {11, {{2, 128}, {3, 255}, {5, 76}, {7, 77}, {9, 51}, {11, 25}, {13, 25}, {15, 25}, {21, 127},
          {25, 77}, {31, 51}, {35, 26}}},
};
// clang-format on

std::map<int, double> presentHarmonics(const WaveData& data)
{
    std::map<int, double> present;
    for (int k = 1; k <= 1024; ++k)
    {
        if (harmonicAmplitude(data, k) != 0.0)
        {
            present[k] = harmonicAmplitude(data, k);
        }
    }
    return present;
}

} // namespace

TEST(WaveDataTest, RuleWavesHaveTheirHarmonicSeries)
{
    const auto saw = presentHarmonics(getWaveData(0));
    EXPECT_EQ(saw.size(), 512u);
    EXPECT_DOUBLE_EQ(saw.at(7) / saw.at(1), 1.0 / 7.0);
    const auto triangle = presentHarmonics(getWaveData(1));
    EXPECT_EQ(triangle.size(), 256u);
    EXPECT_EQ(triangle.rbegin()->first, 511);
    EXPECT_EQ(triangle.count(2), 0u);
    EXPECT_DOUBLE_EQ(triangle.at(5) / triangle.at(1), 1.0 / 25.0);
    EXPECT_EQ(presentHarmonics(getWaveData(2)).size(), 1u);
}

TEST(WaveDataTest, LevelWavesHaveTheirCountsTopHarmonicsAndGivenLevels)
{
    for (const DesignedWave& expected : kDesigned)
    {
        const WaveData& data = getWaveData(expected.wave);
        SCOPED_TRACE(data.longName);
        ASSERT_EQ(data.rule, HarmonicRule::kLevels);
        EXPECT_EQ(data.highestHarmonic, expected.highestHarmonic);
        const auto present = presentHarmonics(data);
        EXPECT_EQ(static_cast<int>(present.size()), expected.presentCount);
        EXPECT_EQ(present.rbegin()->first, expected.highestHarmonic);
        for (int k = 1; k <= 8; ++k)
        {
            EXPECT_EQ(harmonicAmplitude(data, k), expected.firstEight[k - 1]) << "harmonic " << k;
        }
    }
    for (const auto& [wave, levels] : kComplete)
    {
        std::map<int, int> actual;
        for (const auto& [k, level] : presentHarmonics(getWaveData(wave)))
        {
            actual[k] = static_cast<int>(level);
        }
        EXPECT_EQ(actual, levels) << getWaveData(wave).longName;
    }
    // Bell: 1, 3, 4, then every fourth harmonic from the 9th.
    for (const auto& [k, level] : presentHarmonics(getWaveData(8)))
    {
        EXPECT_TRUE(k == 1 || k == 3 || k == 4 || (k >= 9 && k % 4 == 1)) << k;
    }
}

TEST(WaveDataTest, LevelsAreWholeNumbersUpTo255WithTheStrongestAt255AndNamesFitTheirFields)
{
    for (int wave = 0; wave < kWaveCount; ++wave)
    {
        const WaveData& data = getWaveData(wave);
        SCOPED_TRACE(data.longName);
        EXPECT_LE(std::strlen(getWaveShortNames()[wave]), 7u);
        EXPECT_LE(std::strlen(getWaveLongNames()[wave]), 23u);
        if (wave < 3)
        {
            continue;
        }
        double strongest = 0.0;
        for (const auto& [k, level] : presentHarmonics(data))
        {
            EXPECT_GE(level, 1.0);
            EXPECT_LE(level, 255.0);
            EXPECT_EQ(level, std::floor(level));
            strongest = std::max(strongest, level);
        }
        EXPECT_EQ(strongest, 255.0);
    }
    EXPECT_STREQ(getWaveData(99).longName, "DigiHarms"); // out of range: the nearest wave
}

// Every one of the 260 tables holds exactly the wave's harmonics up to its band limit, in sine
// phase one sample after phase zero, with the wave's relative levels, and nothing else.
TEST(WavetablesTest, EveryTableHoldsExactlyItsBandOfHarmonicsInSinePhase)
{
    const Wavetables& tables = Wavetables::get();
    const double pi = std::acos(-1.0);
    for (int wave = 0; wave < kWaveCount; ++wave)
    {
        const WaveData& data = getWaveData(wave);
        for (int t = 0; t < Wavetables::kTablesPerSet; ++t)
        {
            SCOPED_TRACE(::testing::Message() << data.longName << " table " << t);
            const int band = Wavetables::bandLimit(t);
            double strongestExpected = 0.0;
            int strongest = 0;
            for (int k = 1; k <= band; ++k)
            {
                if (harmonicAmplitude(data, k) > strongestExpected)
                {
                    strongestExpected = harmonicAmplitude(data, k);
                    strongest = k;
                }
            }
            if (strongest == 0)
            {
                continue; // silent table, checked below
            }
            const auto spectrum = TestFft::transformReal(tables.getTable(wave, t), kLength);
            // For A sin(2 pi k (n + 1) / N), X[k] = A N e^(2 pi i k / N) / (2 i): undoing the
            // one-sample offset and the factor leaves A as a real number.
            auto amplitude = [&](int k)
            {
                return spectrum[static_cast<std::size_t>(k)] * std::complex<double>(0.0, 2.0) /
                       static_cast<double>(kLength) *
                       std::polar(1.0, -2.0 * pi * k / static_cast<double>(kLength));
            };
            const double strongestMeasured = amplitude(strongest).real();
            ASSERT_GT(strongestMeasured, 0.0);
            EXPECT_LT(std::abs(spectrum[0]) / kLength, 1e-7); // no DC
            int worst = 0;
            double worstError = 0.0;
            for (int k = 1; k <= kLength / 2 - 1; ++k)
            {
                const double expected =
                    k <= band ? harmonicAmplitude(data, k) / strongestExpected : 0.0;
                const std::complex<double> measured = amplitude(k) / strongestMeasured;
                const double error = std::abs(measured - expected);
                if (error > worstError)
                {
                    worstError = error;
                    worst = k;
                }
            }
            // Float rounding of the samples leaves about 1e-9 per bin; the weakest harmonic
            // present (the triangle's 511th) is 3.8e-6 of the strongest.
            EXPECT_LT(worstError, 2e-7) << "at harmonic " << worst;
        }
    }
}

TEST(WavetablesTest, TablesPeakAtOneAreOddSymmetricOrSilent)
{
    const Wavetables& tables = Wavetables::get();
    int silent = 0;
    for (int wave = 0; wave < kWaveCount; ++wave)
    {
        const WaveData& data = getWaveData(wave);
        for (int t = 0; t < Wavetables::kTablesPerSet; ++t)
        {
            SCOPED_TRACE(::testing::Message() << data.longName << " table " << t);
            const float* table = tables.getTable(wave, t);
            bool hasHarmonic = false;
            for (int k = 1; k <= Wavetables::bandLimit(t); ++k)
            {
                hasHarmonic = hasHarmonic || harmonicAmplitude(data, k) != 0.0;
            }
            float peak = 0.0f;
            for (int n = 0; n < kLength; ++n)
            {
                peak = std::max(peak, std::fabs(table[n]));
            }
            EXPECT_EQ(peak, hasHarmonic ? 1.0f : 0.0f);
            silent += hasHarmonic ? 0 : 1;
            for (int n = 0; n < kLength - 1; ++n)
            {
                ASSERT_EQ(table[kLength - 2 - n], -table[n]) << "sample " << n;
            }
            EXPECT_EQ(table[kLength - 1], 0.0f);
        }
    }
    // Only OrientBell lacks a fundamental: its table 9 is the one silent table.
    EXPECT_EQ(silent, 1);
    const float* orientBell9 = tables.getTable(11, 9);
    EXPECT_TRUE(std::all_of(orientBell9, orientBell9 + kLength, [](float x) { return x == 0.0f; }));
}

TEST(WavetablesTest, SawtoothIsAFallingRamp)
{
    // Away from the jump, the 1/k series in sine phase follows (pi - x) / 2, here divided by
    // the table's normalisation (the Gibbs overshoot at the jump is the peak).
    const float* saw = Wavetables::get().getTable(0, 0);
    const double pi = std::acos(-1.0);
    auto ramp = [pi](int n) { return (pi - 2.0 * pi * (n + 1) / kLength) / 2.0; };
    const double scale = ramp(200) / static_cast<double>(saw[200]);
    EXPECT_NEAR(scale, 1.852, 0.01); // the Wilbraham-Gibbs constant Si(pi)
    for (int n = 100; n < kLength - 100; ++n)
    {
        ASSERT_NEAR(static_cast<double>(saw[n]) * scale, ramp(n), 0.01) << n;
    }
}

TEST(WavetablesTest, SharedTablesAreBuiltOnceAndMatchAFreshBuild)
{
    std::vector<const Wavetables*> seen(4, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i)
    {
        threads.emplace_back([&seen, i] { seen[i] = &Wavetables::get(); });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    for (const Wavetables* tables : seen)
    {
        EXPECT_EQ(tables, &Wavetables::get());
    }
    std::vector<float> fresh(Wavetables::kSetLength);
    for (int wave : {0, 11, 23})
    {
        Wavetables::buildWaveSet(wave, fresh.data());
        EXPECT_EQ(std::memcmp(fresh.data(), Wavetables::get().getWaveSet(wave),
                              fresh.size() * sizeof(float)),
                  0)
            << wave;
    }
}
