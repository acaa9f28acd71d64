// Each effect of the chain and the master level on a 512-frame stereo block at 44100 Hz, switched
// on and working.
#include "components/Chorus.h"
#include "components/Delay.h"
#include "components/Overdrive.h"
#include "components/Panner.h"
#include "components/Vca.h"

#include "bench/BenchSources.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace
{

constexpr int kFrames = 512;
using Bench::kRate;

// Runs the effect in place over a block that is refilled with a saw each time, so feedback and
// filter states see a real signal rather than a block that decays or grows.
void runEffect(benchmark::State& state, IEffectComponent& effect)
{
    std::vector<float> saw(kFrames);
    for (int i = 0; i < kFrames; ++i)
    {
        saw[static_cast<std::size_t>(i)] = static_cast<float>(i % 100) * 0.02f - 1.0f;
    }
    std::vector<float> left(kFrames);
    std::vector<float> right(kFrames);
    float* channels[2] = {left.data(), right.data()};
    for (auto _ : state)
    {
        left = saw;
        right = saw;
        effect.process(channels, channels, kFrames);
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
        benchmark::ClobberMemory();
    }
    state.counters["realtime"] = benchmark::Counter(kFrames / static_cast<double>(kRate),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Overdrive(benchmark::State& state)
{
    auto overdrive = std::make_unique<Overdrive>();
    overdrive->setSampleRate(kRate);
    overdrive->setValue(0, 1.0f);
    overdrive->setValue(1, 0.6f);
    runEffect(state, *overdrive);
}
BENCHMARK(BM_Overdrive);

void BM_PannerWithLfo(benchmark::State& state)
{
    auto panner = std::make_unique<Panner>();
    auto lfo = std::make_unique<Bench::FixedSine>(0.5, 1.0, 0.0);
    panner->setSampleRate(kRate);
    panner->setValue(0, 1.0f);
    panner->setValue(2, 0.8f);
    panner->setSource(lfo.get());
    runEffect(state, *panner);
}
BENCHMARK(BM_PannerWithLfo);

void BM_Chorus(benchmark::State& state)
{
    auto chorus = std::make_unique<Chorus>();
    chorus->setSampleRate(kRate);
    chorus->setValue(3, 0.5f);
    chorus->setValue(5, 0.7f);
    chorus->setValue(0, 1.0f);
    runEffect(state, *chorus);
}
BENCHMARK(BM_Chorus);

// between:0 reads whole samples (0.25 and 0.5 s); between:1 reads between samples throughout.
void BM_Delay(benchmark::State& state)
{
    auto delay = std::make_unique<Delay>();
    delay->setSampleRate(kRate);
    delay->setValue(1, 0.5f);
    delay->setValue(3, 1.0f);
    delay->setValue(5, 0.7f);
    delay->setValue(0, 1.0f);
    if (state.range(0) != 0)
    {
        delay->setValue(2, 0.25001f);
        delay->setValue(4, 0.50003f);
    }
    runEffect(state, *delay);
}
BENCHMARK(BM_Delay)->ArgName("between")->Arg(0)->Arg(1);

} // namespace

namespace
{

void BM_MasterLevel(benchmark::State& state)
{
    auto master = std::make_unique<Vca>();
    master->setSampleRate(kRate);
    master->setValue(0, 0.6f);
    runEffect(state, *master);
}
BENCHMARK(BM_MasterLevel);

} // namespace
