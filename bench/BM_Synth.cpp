// Rendering speed of the whole instrument: 0, 1, 8 and 16 held voices, effects off and every effect
// on, in host blocks of 64, 512 and 8192 frames.
#include "engine/MessageDispatcher.h"
#include "instrument/TavrelSynth.h"
#include "sonarch/parameters/BankInterface.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace
{

constexpr float kRate = 44100.0f;

void set(Sonarch::Parameters::BankInterface& bank, const char* shortName, float value)
{
    bank.setParameter(bank.findParameter(shortName), value);
}

// Arguments: held voices, effects (0 off, 1 every effect on), host block in frames. The voices
// play MIDI notes 40, 43, ... at velocity 100 with full sustain; with the effects on, overdrive,
// the panner moved by LFO 1, chorus and delay all work. Zero voices measures the cost of a block
// in which nothing sounds.
void BM_Synth(benchmark::State& state)
{
    const int voiceCount = static_cast<int>(state.range(0));
    const bool effects = state.range(1) != 0;
    const int blockFrames = static_cast<int>(state.range(2));

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
        set(bank, "OD Lvl", 0.5f);
        set(bank, "Ch Mix", 0.5f);
        set(bank, "D FB", 0.5f);
        set(bank, "D Mix", 0.5f);
        set(bank, "P MSrc", 0.5f);
        set(bank, "P ModL", 0.5f);
    }
    MessageDispatcher& dispatcher = *synth->getMessageDispatcher();
    for (int v = 0; v < voiceCount; ++v)
    {
        dispatcher.enqueue(MidiEvent{0, 0x90, 40 + 3 * v, 100});
    }
    std::vector<float> left(static_cast<std::size_t>(blockFrames));
    std::vector<float> right(static_cast<std::size_t>(blockFrames));
    float* outputs[2] = {left.data(), right.data()};
    // Past the attack and the glides of the settings above, so that the loop measures the held
    // sound rather than its start.
    for (int frames = 0; frames < static_cast<int>(kRate); frames += blockFrames)
    {
        dispatcher.render(outputs, blockFrames);
    }
    for (auto _ : state)
    {
        std::memset(left.data(), 0, left.size() * sizeof(float));
        std::memset(right.data(), 0, right.size() * sizeof(float));
        dispatcher.render(outputs, blockFrames);
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    state.counters["realtime"] =
        benchmark::Counter(static_cast<double>(blockFrames) / static_cast<double>(kRate),
                           benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_Synth)
    ->ArgNames({"voices", "effects", "block"})
    ->ArgsProduct({{0, 1, 8, 16}, {0, 1}, {64, 512, 8192}});
