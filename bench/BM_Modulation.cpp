// Benchmarks of the modulation sources on 512-frame blocks: the LFO, the per-voice LFO fade-in,
// the portamento glide and the level control.
#include "components/Lfo.h"
#include "components/Ramper.h"
#include "components/SlewLimiter.h"
#include "components/Smoother.h"

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

namespace
{

// The portamento glide: a two-octave glide of 1 s restarted whenever it has ended, so that every
// block glides.
void BM_SlewLimiter(benchmark::State& state)
{
    auto slew = std::make_unique<SlewLimiter>();
    slew->setSampleRate(static_cast<float>(kSampleRate));
    slew->setValue(0, 0.58f);
    int note = 36;
    for (auto _ : state)
    {
        if (slew->getCurrent() == 0.0f)
        {
            note = note == 36 ? 60 : 36;
            slew->trigger(note == 36 ? 60 : 36, note, 100);
        }
        slew->process(kBlockFrames);
        benchmark::DoNotOptimize(slew->getOutput());
        benchmark::ClobberMemory();
    }
    setRealTimeFactor(state, kBlockFrames);
}
BENCHMARK(BM_SlewLimiter);

// A level control, gliding (a new setting every 20 blocks) or steady.
void BM_Smoother(benchmark::State& state)
{
    const bool gliding = state.range(0) != 0;
    auto level =
        std::make_unique<Smoother>(true, Smoother::kDisplayDecibels, "M Lvl", "dB", 0.75f, 1.0f);
    int block = 0;
    for (auto _ : state)
    {
        if (gliding && block % 20 == 0)
        {
            level->setValue(0, block % 40 == 0 ? 0.2f : 0.9f);
        }
        ++block;
        level->process(kBlockFrames);
        benchmark::DoNotOptimize(level->getOutput());
        benchmark::ClobberMemory();
    }
    setRealTimeFactor(state, kBlockFrames);
}
BENCHMARK(BM_Smoother)->Arg(0)->Arg(1)->ArgName("gliding");

} // namespace
