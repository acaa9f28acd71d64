// Rendering speed of the per-voice noise source on 512-frame blocks, with its level applied.
#include "components/NoiseGenerator.h"

#include "bench/BenchSources.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{

constexpr int kBlockFrames = 512;

void BM_Noise(benchmark::State& state)
{
    RandomGenerator random;
    auto level = std::make_unique<Bench::FixedSine>(1.0, 0.2, 0.5);
    auto noise = std::make_unique<NoiseGenerator>(random);
    noise->setValue(0, 1.0f);
    noise->setAmplitudeSource(level.get());
    for (auto _ : state)
    {
        noise->process(kBlockFrames);
        benchmark::DoNotOptimize(noise->getOutput());
        benchmark::ClobberMemory();
    }
    state.counters["realtime"] =
        benchmark::Counter(kBlockFrames / static_cast<double>(Bench::kRate),
                           benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_Noise);
