// The concrete voice: wiring and rendering.
#include "instrument/TavrelVoice.h"

#include "components/Lfo.h"
#include "components/Smoother.h"

namespace
{
// A random integer 0..32767 scaled to a position 0..2048 in the 2048-sample wave cycle.
constexpr float kRandomToPhase = 2048.0f / 32767.0f;
} // namespace

TavrelVoice::TavrelVoice(const TavrelVoiceSources& sources)
    : osc1("O1"), osc2("O2"), noise(*sources.random), ramp1("L1", *sources.lfo1),
      ramp2("L2", *sources.lfo2), env1("E1"), env2("E2"), slew(), filter("F"),
      oscProgrammer(osc1, osc2, &ramp1, &ramp2, &env1, &env2, &slew),
      filterProgrammer(filter, &ramp1, &ramp2, &env1, &env2), random(*sources.random)
{
    // The level smoothers are shared by all voices; each voice reads their buffers.
    osc1.setAmplitudeSource(sources.osc1Level);
    osc2.setAmplitudeSource(sources.osc2Level);
    noise.setAmplitudeSource(sources.noiseLevel);

    // The filter sums the two oscillators and the noise and applies envelope 1.
    filter.setAudioInput(1, &osc1);
    filter.setAudioInput(2, &osc2);
    filter.setAudioInput(3, &noise);
    filter.setAmplitudeSource(&env1);

    components = {&osc1, &osc2, &filter, &ramp1, &ramp2, &env1, &env2, &noise, &slew};
    triggerables = {&ramp1, &ramp2, &env1, &env2, &osc1, &osc2, &filter, &slew};
    bendables = {&osc1, &osc2};
    pressables = {&filter};
    for (IProgrammable* part : std::initializer_list<IProgrammable*>{
             &osc1, &osc2, &oscProgrammer, &filter, &filterProgrammer, &ramp1, &ramp2, &env1, &env2,
             &noise, &slew})
    {
        append(part);
    }

    env1.addObserver(this);
}

void TavrelVoice::process(float* buffer, int count)
{
    if (beginBlock(count))
    {
        env1.process(count);
        env2.process(count);
        renderSources(count);
        filter.process(count);
        finish(buffer, count);
    }
}

bool TavrelVoice::beginBlock(int count)
{
    if (silent)
    {
        return false;
    }
    // Every modulation source runs before the components that read it.
    ramp1.process(count);
    ramp2.process(count);
    return true;
}

void TavrelVoice::renderSources(int count)
{
    if (oscProgrammer.isPortamentoOn())
    {
        slew.process(count);
    }
    osc1.process(count);
    osc2.process(count);
    noise.process(count);
    if (silent)
    {
        // Envelope 1 finished during this block: the next note starts the oscillators at new
        // random phases (their output for this block is already rendered).
        osc1.setPhase(static_cast<float>(random.next()) * kRandomToPhase);
        osc2.setPhase(static_cast<float>(random.next()) * kRandomToPhase);
    }
}

void TavrelVoice::finish(float* buffer, int count)
{
    const float* voiceOutput = filter.getOutput();
    for (int i = 0; i < count; ++i)
    {
        buffer[i] += voiceOutput[i];
    }

    if (silent)
    {
        // Envelope 1 finished during this block: the next note starts from a fresh state. The
        // filter is cleared too: its input (the free-running oscillators) never falls silent
        // while the voice sounds, so its own silence reset never fires, and the state frozen at
        // the end of this note would reach the next note's first samples as a step. Nothing
        // hears the clearing now, since envelope 1 has closed.
        filter.reset();
        env2.reset();
    }
}

void TavrelVoice::processReplacing(float* /*buffer*/, int /*count*/) {}

void TavrelVoice::onAttack(AdsrEnvelope* /*envelope*/)
{
    silent = false;
}

void TavrelVoice::onDecay(AdsrEnvelope* /*envelope*/) {}

void TavrelVoice::onRelease(AdsrEnvelope* /*envelope*/) {}

void TavrelVoice::onFinished(AdsrEnvelope* /*envelope*/)
{
    silent = true;
}
