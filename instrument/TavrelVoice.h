// The concrete voice: two oscillators, noise, two delayed LFO signals, two envelopes, portamento
// and the filter, wired and rendered.
#pragma once

#include "components/AdsrEnvelope.h"
#include "components/Filter.h"
#include "components/FilterProgrammer.h"
#include "components/NoiseGenerator.h"
#include "components/OscProgrammer.h"
#include "components/Oscillator.h"
#include "components/Ramper.h"
#include "components/SlewLimiter.h"
#include "engine/IAdsrEnvelopeObserver.h"
#include "engine/RandomGenerator.h"
#include "engine/Voice.h"

class Lfo;
class Smoother;

// The synthesizer-wide sources a voice reads: the three level smoothers and the two LFOs, and
// the engine's random generator for the oscillators' restart phases.
struct TavrelVoiceSources
{
    const Smoother* osc1Level;
    const Smoother* osc2Level;
    const Smoother* noiseLevel;
    const Lfo* lfo1;
    const Lfo* lfo2;
    RandomGenerator* random;
};

// Silent voices cost one test per block. Envelope 1 decides: its attack makes the voice sound,
// its end makes it silent; at that moment the filter is cleared, envelope 2 is reset and both
// oscillators get a new random phase, so the next note on this voice starts from a fresh state.
class TavrelVoice : public Voice, public IAdsrEnvelopeObserver
{
public:
    explicit TavrelVoice(const TavrelVoiceSources& sources);
    TavrelVoice(const TavrelVoice&) = delete;
    TavrelVoice& operator=(const TavrelVoice&) = delete;

    void process(float* buffer, int count) override;
    void processReplacing(float* buffer, int count) override;

    // process in parts, for a collection that runs the envelopes and the filters of its voices
    // side by side (AdsrEnvelope::processGroup, Filter::processGroup): beginBlock runs the LFO
    // fade-ins and answers whether the voice sounds (a silent voice renders nothing more this
    // block); then both envelopes; renderSources runs portamento, oscillators and noise; then the
    // filter; finish adds the filtered sound into buffer and, if envelope 1 ended during the
    // block, clears the voice for its next note. Each voice's random draws (noise, new phases)
    // happen in renderSources, so voices rendered in turn draw in the same order as by process.
    bool beginBlock(int count);
    void renderSources(int count);
    void finish(float* buffer, int count);
    AdsrEnvelope& getEnvelope1() { return env1; }
    AdsrEnvelope& getEnvelope2() { return env2; }

    void onAttack(AdsrEnvelope* envelope) override;
    void onDecay(AdsrEnvelope* envelope) override;
    void onRelease(AdsrEnvelope* envelope) override;
    void onFinished(AdsrEnvelope* envelope) override;

    bool isSilent() const { return silent; }
    const Oscillator& getOscillator1() const { return osc1; }
    const Oscillator& getOscillator2() const { return osc2; }
    Oscillator& getOscillator1() { return osc1; }
    Oscillator& getOscillator2() { return osc2; }
    // The voice's output of the last rendered stretch: filtered and shaped by envelope 1.
    const Filter& getFilter() const { return filter; }
    Filter& getFilter() { return filter; }

private:
    Oscillator osc1;
    Oscillator osc2;
    NoiseGenerator noise;
    Ramper ramp1;
    Ramper ramp2;
    AdsrEnvelope env1;
    AdsrEnvelope env2;
    SlewLimiter slew;
    Filter filter;
    OscProgrammer oscProgrammer;
    FilterProgrammer filterProgrammer;
    bool silent = true;
    RandomGenerator& random;
};
