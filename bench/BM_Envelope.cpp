// Rendering speed of the ADSR envelope on 512-frame blocks: held, cycling through notes, idle.
#include "components/AdsrEnvelope.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{

constexpr int kBlockFrames = 512;
constexpr float kRate = 44100.0f;

std::unique_ptr<AdsrEnvelope> makeEnvelope()
{
    auto env = std::make_unique<AdsrEnvelope>("E1");
    env->setSampleRate(kRate);
    env->setValue(AdsrEnvelope::kA, 0.03f); // 9 ms
    env->setValue(AdsrEnvelope::kD, 0.1f);  // 100 ms
    env->setValue(AdsrEnvelope::kS, 0.7f);
    env->setValue(AdsrEnvelope::kR, 0.05f); // 25 ms
    env->setValue(AdsrEnvelope::kVDpth, 0.5f);
    return env;
}

void report(benchmark::State& state)
{
    state.counters["realtime"] =
        benchmark::Counter(kBlockFrames / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

// Decay and sustain: the stage a sounding note spends most of its time in.
void BM_EnvelopeSustain(benchmark::State& state)
{
    auto env = makeEnvelope();
    env->trigger(69, 60, 100);
    for (auto _ : state)
    {
        env->process(kBlockFrames);
        benchmark::DoNotOptimize(env->getOutput()[kBlockFrames - 1]);
    }
    report(state);
}

// A note every 40 blocks (0.46 s), released after 20: every stage and transition.
void BM_EnvelopeNotes(benchmark::State& state)
{
    auto env = makeEnvelope();
    int block = 0;
    for (auto _ : state)
    {
        if (block == 0)
        {
            env->trigger(69, 60, 100);
        }
        else if (block == 20)
        {
            env->release(0);
        }
        block = block == 39 ? 0 : block + 1;
        env->process(kBlockFrames);
        benchmark::DoNotOptimize(env->getOutput()[kBlockFrames - 1]);
    }
    report(state);
}

void BM_EnvelopeIdle(benchmark::State& state)
{
    auto env = makeEnvelope();
    for (auto _ : state)
    {
        env->process(kBlockFrames);
        benchmark::DoNotOptimize(env->getOutput()[kBlockFrames - 1]);
    }
    report(state);
}

} // namespace

BENCHMARK(BM_EnvelopeSustain);
BENCHMARK(BM_EnvelopeNotes);
BENCHMARK(BM_EnvelopeIdle);
