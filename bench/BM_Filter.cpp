// Rendering speed of the voice filter on 512-frame blocks, with and without cutoff modulation, and
// of sixteen filters alone and side by side.
#include "components/Filter.h"

#include "bench/BenchSources.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace
{

constexpr int kBlockFrames = 512;
using Bench::kRate;

void renderBlocks(benchmark::State& state, bool modulated)
{
    auto osc1 = std::make_unique<Bench::FixedSine>(220.0, 0.5, 0.0);
    auto osc2 = std::make_unique<Bench::FixedSine>(331.0, 0.4, 0.0);
    auto noise = std::make_unique<Bench::FixedSine>(5123.0, 0.1, 0.0);
    auto lfo = std::make_unique<Bench::FixedSine>(3.0, 1.0, 0.0);
    auto envelope = std::make_unique<Bench::FixedSine>(0.5, 0.4, 0.5);
    auto filter = std::make_unique<Filter>("F");
    filter->setSampleRate(kRate);
    filter->setValue(Filter::kType, static_cast<float>(state.range(0)) / 3.0f);
    filter->setValue(Filter::kCut, 0.6f);
    filter->setValue(Filter::kRes, 0.6f);
    filter->setAudioInput(1, osc1.get());
    filter->setAudioInput(2, osc2.get());
    filter->setAudioInput(3, noise.get());
    filter->setAmplitudeSource(envelope.get());
    if (modulated)
    {
        filter->setValue(Filter::kFM1, 0.3f);
        filter->setFmSource(1, lfo.get());
        filter->setValue(Filter::kCPrss, 1.0f);
        filter->press(0.5f);
    }
    filter->trigger(69, 60, 100);
    for (auto _ : state)
    {
        filter->process(kBlockFrames);
        benchmark::DoNotOptimize(filter->getOutput()[kBlockFrames - 1]);
    }
    state.counters["realtime"] =
        benchmark::Counter(kBlockFrames / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

// Argument: the mode, 0 lowpass .. 3 notch.
void BM_FilterModulated(benchmark::State& state)
{
    renderBlocks(state, true);
}

void BM_FilterUnmodulated(benchmark::State& state)
{
    renderBlocks(state, false);
}

} // namespace

BENCHMARK(BM_FilterModulated)->DenseRange(0, 3);
BENCHMARK(BM_FilterUnmodulated)->Arg(0);

namespace
{

// Sixteen modulated filters, as a voice collection has them, on 512-frame blocks: each processed
// alone (argument 0) or all sixteen through processGroup (argument 1).
void BM_FilterSixteen(benchmark::State& state)
{
    const bool grouped = state.range(0) != 0;
    auto osc = std::make_unique<Bench::FixedSine>(220.0, 0.5, 0.0);
    auto lfo = std::make_unique<Bench::FixedSine>(3.0, 1.0, 0.0);
    std::vector<std::unique_ptr<Filter>> filters;
    std::vector<Filter*> pointers;
    for (int k = 0; k < 16; ++k)
    {
        filters.push_back(std::make_unique<Filter>("F"));
        Filter& filter = *filters.back();
        filter.setSampleRate(kRate);
        filter.setValue(Filter::kCut, 0.6f);
        filter.setValue(Filter::kRes, 0.6f);
        filter.setValue(Filter::kFM1, 0.3f);
        filter.setAudioInput(1, osc.get());
        filter.setFmSource(1, lfo.get());
        filter.trigger(69, 40 + 3 * k, 100);
        pointers.push_back(&filter);
    }
    for (auto _ : state)
    {
        if (grouped)
        {
            Filter::processGroup(pointers.data(), 16, kBlockFrames);
        }
        else
        {
            for (Filter* filter : pointers)
            {
                filter->process(kBlockFrames);
            }
        }
        benchmark::DoNotOptimize(pointers[15]->getOutput()[kBlockFrames - 1]);
    }
    state.counters["realtime"] =
        benchmark::Counter(kBlockFrames / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_FilterSixteen)->Arg(0)->Arg(1)->ArgName("grouped");
