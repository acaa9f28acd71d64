// Rendering speed of the whole instrument: one voice, and sixteen voices with every effect on.
#include "engine/MessageDispatcher.h"
#include "instrument/TavrelSynth.h"
#include "sonarch/parameters/BankInterface.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace
{

constexpr int kBlockFrames = 512;
constexpr float kRate = 44100.0f;

void set(Sonarch::Parameters::BankInterface& bank, const char* shortName, float value)
{
    bank.setParameter(bank.findParameter(shortName), value);
}

void renderVoices(benchmark::State& state, int voiceCount, bool effects)
{
    auto synth = std::make_unique<TavrelSynth>();
    Sonarch::Parameters::BankInterface& bank = *synth->getBank();
    set(bank, "E1 S", 1.0f);
    set(bank, "O2 Lvl", 1.0f);
    set(bank, "F Res", 0.4f);
    if (effects)
    {
        for (const char* name : {"OD On", "P On", "Ch On", "D On"})
        {
            set(bank, name, 1.0f);
        }
        set(bank, "Ch Mix", 0.5f);
        set(bank, "D Mix", 0.5f);
        set(bank, "P MSrc", 0.5f);
        set(bank, "P ModL", 0.5f);
    }
    MessageDispatcher& dispatcher = *synth->getMessageDispatcher();
    for (int v = 0; v < voiceCount; ++v)
    {
        dispatcher.enqueue(MidiEvent{0, 0x90, 40 + 3 * v, 100});
    }
    float left[kBlockFrames];
    float right[kBlockFrames];
    float* outputs[2] = {left, right};
    for (auto _ : state)
    {
        std::memset(left, 0, sizeof(left));
        std::memset(right, 0, sizeof(right));
        dispatcher.render(outputs, kBlockFrames);
        benchmark::DoNotOptimize(left[kBlockFrames - 1]);
    }
    state.counters["realtime"] =
        benchmark::Counter(kBlockFrames / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SynthOneVoice(benchmark::State& state)
{
    renderVoices(state, 1, false);
}

void BM_SynthSixteenVoicesAndEffects(benchmark::State& state)
{
    renderVoices(state, 16, true);
}

} // namespace

BENCHMARK(BM_SynthOneVoice);
BENCHMARK(BM_SynthSixteenVoicesAndEffects);
