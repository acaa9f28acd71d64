// Benchmarks of the LFO and the per-voice LFO fade-in on 512-frame blocks.
#include "components/Lfo.h"
#include "components/Ramper.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace
{

constexpr double kSampleRate = 44100.0;
constexpr int kBlockFrames = 512;

void setRealTimeFactor(benchmark::State& state, int frames)
{
    state.counters["realtime"] = benchmark::Counter(static_cast<double>(frames) / kSampleRate,
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

// One LFO, one shape per run (0 Sine .. 5 Sample/Hold), at 20 Hz.
void BM_Lfo(benchmark::State& state)
{
    RandomGenerator random;
    auto lfo = std::make_unique<Lfo>("L1", random);
    lfo->setValue(Lfo::kShpe, static_cast<float>(state.range(0)) / 5.0f);
    lfo->setValue(Lfo::kSpd, 1.0f);
    for (auto _ : state)
    {
        lfo->process(kBlockFrames);
        benchmark::DoNotOptimize(lfo->getOutput());
        benchmark::ClobberMemory();
    }
    setRealTimeFactor(state, kBlockFrames);
}
BENCHMARK(BM_Lfo)->DenseRange(0, 5)->ArgName("shape");

// One ramper behind a sine LFO: fading (4 s fades, restarted when one ends) or passing through.
void BM_Ramper(benchmark::State& state)
{
    const bool fading = state.range(0) != 0;
    RandomGenerator random;
    auto lfo = std::make_unique<Lfo>("L1", random);
    lfo->setValue(Lfo::kShpe, 0.0f);
    auto ramper = std::make_unique<Ramper>("L1", *lfo);
    ramper->setValue(0, 1.0f);
    lfo->process(kBlockFrames);
    for (auto _ : state)
    {
        if (fading && !ramper->isRamping())
        {
            ramper->trigger(60, 60, 100);
        }
        ramper->process(kBlockFrames);
        benchmark::DoNotOptimize(ramper->getOutput());
        benchmark::ClobberMemory();
    }
    setRealTimeFactor(state, kBlockFrames);
}
BENCHMARK(BM_Ramper)->Arg(0)->Arg(1)->ArgName("fading");

// The instrument's modulation block: two triangle LFOs and sixteen voices' two rampers each,
// all fading.
void BM_ModulationSixteenVoices(benchmark::State& state)
{
    RandomGenerator random;
    auto lfo1 = std::make_unique<Lfo>("L1", random);
    auto lfo2 = std::make_unique<Lfo>("L2", random);
    std::vector<std::unique_ptr<Ramper>> rampers;
    for (int voice = 0; voice < 16; ++voice)
    {
        rampers.push_back(std::make_unique<Ramper>("L1", *lfo1));
        rampers.push_back(std::make_unique<Ramper>("L2", *lfo2));
    }
    for (auto& ramper : rampers)
    {
        ramper->setValue(0, 1.0f);
    }
    for (auto _ : state)
    {
        lfo1->process(kBlockFrames);
        lfo2->process(kBlockFrames);
        for (auto& ramper : rampers)
        {
            if (!ramper->isRamping())
            {
                ramper->trigger(60, 60, 100);
            }
            ramper->process(kBlockFrames);
            benchmark::DoNotOptimize(ramper->getOutput());
        }
        benchmark::ClobberMemory();
    }
    setRealTimeFactor(state, kBlockFrames);
}
BENCHMARK(BM_ModulationSixteenVoices);

} // namespace
