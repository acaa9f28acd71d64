// One oscillator rendering 512-frame blocks: plain, with FM, with hard sync and with pulse width.
#include "components/Oscillator.h"

#include "bench/BenchSources.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <numbers>

namespace
{

constexpr int kBlockFrames = 512;
constexpr float kSampleRate = Bench::kRate;

enum Mode
{
    kPlain,
    kFm,
    kSync,
    kPulseWidth
};

void renderBlocks(benchmark::State& state, Mode mode)
{
    auto master = std::make_unique<Oscillator>("O1");
    auto oscillator = std::make_unique<Oscillator>("O2");
    auto source = std::make_unique<Bench::FixedSine>(
        0.01 * static_cast<double>(Bench::kRate) / (2.0 * std::numbers::pi), 1.0, 0.0);
    oscillator->trigger(69, 57, 100);
    master->trigger(69, 45, 100);
    switch (mode)
    {
    case kFm:
        oscillator->setValue(Oscillator::kFm1, 0.5f);
        oscillator->setFmSource(1, source.get());
        break;
    case kSync:
        oscillator->setSyncMaster(master.get());
        break;
    case kPulseWidth:
        oscillator->setValue(Oscillator::kPwOn, 1.0f);
        oscillator->setValue(Oscillator::kPwm, 0.5f);
        oscillator->setPwmSource(source.get());
        break;
    case kPlain:
    default:
        break;
    }
    for (auto _ : state)
    {
        if (mode == kSync)
        {
            master->process(kBlockFrames);
        }
        oscillator->process(kBlockFrames);
        benchmark::DoNotOptimize(oscillator->getOutput());
    }
    state.counters["realtime"] =
        benchmark::Counter(static_cast<double>(kBlockFrames) / static_cast<double>(kSampleRate),
                           benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

static void BM_OscillatorPlain(benchmark::State& state)
{
    renderBlocks(state, kPlain);
}
BENCHMARK(BM_OscillatorPlain);

static void BM_OscillatorFm(benchmark::State& state)
{
    renderBlocks(state, kFm);
}
BENCHMARK(BM_OscillatorFm);

// Includes rendering the master, which sync needs each block.
static void BM_OscillatorSyncWithMaster(benchmark::State& state)
{
    renderBlocks(state, kSync);
}
BENCHMARK(BM_OscillatorSyncWithMaster);

static void BM_OscillatorPulseWidthModulated(benchmark::State& state)
{
    renderBlocks(state, kPulseWidth);
}
BENCHMARK(BM_OscillatorPulseWidthModulated);
