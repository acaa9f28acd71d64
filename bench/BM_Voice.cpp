// Rendering speed of one voice alone, with its shared sources (level smoothers, LFOs) rendered
// once.
#include "components/Lfo.h"
#include "components/Smoother.h"
#include "engine/RandomGenerator.h"
#include "instrument/TavrelVoice.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace
{

constexpr float kRate = 44100.0f;

struct VoiceRig
{
    RandomGenerator random;
    Smoother osc1Level{true, Smoother::kDisplayDecibels, "O1 Lvl", "dB", 1.0f, 1.0f};
    Smoother osc2Level{true, Smoother::kDisplayDecibels, "O2 Lvl", "dB", 1.0f, 1.0f};
    Smoother noiseLevel{true, Smoother::kDisplayDecibels, "N Lvl", "dB", 0.5f, 1.0f};
    Lfo lfo1{"L1", random};
    Lfo lfo2{"L2", random};
    TavrelVoice voice{
        TavrelVoiceSources{&osc1Level, &osc2Level, &noiseLevel, &lfo1, &lfo2, &random}};

    void set(const char* shortName, float value)
    {
        char name[8] = {};
        for (int index = 0; index < voice.getParameterCount(); ++index)
        {
            voice.getName(index, name);
            if (std::strcmp(name, shortName) == 0)
            {
                voice.setValue(index, value);
                return;
            }
        }
    }
};

// Argument: 0 a plain voice (two saws, the filter with resonance, full sustain); 1 the same with
// modulation everywhere: both oscillators' FM and pulse-width modulation from the LFOs, noise,
// and the filter's cutoff moved by LFO 1 and envelope 2.
void BM_Voice(benchmark::State& state)
{
    constexpr int kBlockFrames = 512;
    auto rig = std::make_unique<VoiceRig>();
    rig->set("E1 S", 1.0f);
    rig->set("F Res", 0.4f);
    if (state.range(0) != 0)
    {
        rig->set("O1 FM1S", 0.25f); // LFO 1
        rig->set("O1 FM1", 0.2f);
        rig->set("O2 PWOn", 1.0f);
        rig->set("O2 PWMS", 0.5f); // LFO 2
        rig->set("O2 PWM", 0.5f);
        rig->set("N On", 1.0f);
        rig->set("F FM1S", 0.25f);
        rig->set("F FM1", 0.3f);
        rig->set("F FM2S", 1.0f); // envelope 2
        rig->set("F FM2", 0.3f);
        rig->set("E2 S", 0.5f);
    }
    for (Smoother* level : {&rig->osc1Level, &rig->osc2Level, &rig->noiseLevel})
    {
        level->process(kBlockFrames);
    }
    rig->lfo1.process(kBlockFrames);
    rig->lfo2.process(kBlockFrames);
    rig->voice.trigger(0, 57, 100);
    std::vector<float> buffer(kBlockFrames);
    for (int frames = 0; frames < static_cast<int>(kRate); frames += kBlockFrames)
    {
        rig->voice.process(buffer.data(), kBlockFrames);
    }
    for (auto _ : state)
    {
        rig->voice.process(buffer.data(), kBlockFrames);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.counters["realtime"] =
        benchmark::Counter(static_cast<double>(kBlockFrames) / static_cast<double>(kRate),
                           benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_Voice)->Arg(0)->Arg(1)->ArgName("modulated");
