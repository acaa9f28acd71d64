// The cost of silence: a block long after a loud note against a block of a synthesizer that never
// sounded, both with every effect on and long decays. The processor's flush-to-zero is off here
// (the plug-in sets it only around its own process calls), so if a decaying state fell into
// subnormal numbers the first would cost many times the second.
#include "engine/MessageDispatcher.h"
#include "instrument/TavrelSynth.h"
#include "tests/support/SlowDecays.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace
{

constexpr int kBlockFrames = 512;
constexpr float kRate = 44100.0f;

std::unique_ptr<TavrelSynth> slowDecays()
{
    auto synth = std::make_unique<TavrelSynth>();
    TestSettings::applySlowDecays(*synth->getBank());
    return synth;
}

void renderBlocks(MessageDispatcher& dispatcher, long blocks)
{
    float left[kBlockFrames];
    float right[kBlockFrames];
    float* outputs[2] = {left, right};
    for (long b = 0; b < blocks; ++b)
    {
        std::memset(left, 0, sizeof(left));
        std::memset(right, 0, sizeof(right));
        dispatcher.render(outputs, kBlockFrames);
    }
}

void measure(benchmark::State& state, MessageDispatcher& dispatcher)
{
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

void BM_SilenceAfterLoudChord(benchmark::State& state)
{
    auto synth = slowDecays();
    MessageDispatcher& dispatcher = *synth->getMessageDispatcher();
    for (int note : {36, 60, 64, 67, 96})
    {
        dispatcher.enqueue(MidiEvent{0, 0x90, note, 127});
    }
    renderBlocks(dispatcher, 43); // half a second
    for (int note : {36, 60, 64, 67, 96})
    {
        dispatcher.enqueue(MidiEvent{0, 0x80, note, 0});
    }
    renderBlocks(dispatcher, 60 * 44100 / kBlockFrames); // a minute of fading silence
    measure(state, dispatcher);
}
BENCHMARK(BM_SilenceAfterLoudChord);

void BM_SilenceOfANewSynthesizer(benchmark::State& state)
{
    auto synth = slowDecays();
    MessageDispatcher& dispatcher = *synth->getMessageDispatcher();
    renderBlocks(dispatcher, 60 * 44100 / kBlockFrames);
    measure(state, dispatcher);
}
BENCHMARK(BM_SilenceOfANewSynthesizer);

} // namespace
