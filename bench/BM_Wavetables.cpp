// The cost of building all 26 wave sets (2.1 MB), done once per process at the first oscillator.
#include "components/WaveData.h"
#include "components/Wavetables.h"

#include <benchmark/benchmark.h>

#include <vector>

static void BM_BuildAllWaveSets(benchmark::State& state)
{
    std::vector<float> samples(static_cast<std::size_t>(kWaveCount) * Wavetables::kSetLength);
    for (auto _ : state)
    {
        for (int wave = 0; wave < kWaveCount; ++wave)
        {
            Wavetables::buildWaveSet(wave, samples.data() + wave * Wavetables::kSetLength);
        }
        benchmark::DoNotOptimize(samples.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BuildAllWaveSets)->Unit(benchmark::kMillisecond);

static void BM_BuildSawtoothWaveSet(benchmark::State& state)
{
    std::vector<float> samples(Wavetables::kSetLength);
    for (auto _ : state)
    {
        Wavetables::buildWaveSet(0, samples.data());
        benchmark::DoNotOptimize(samples.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BuildSawtoothWaveSet)->Unit(benchmark::kMillisecond);
