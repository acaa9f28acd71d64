// The synthesizer's sixteen voices, rendered with their filters side by side.
#pragma once

#include "engine/VoiceCollection.h"
#include "instrument/TavrelVoice.h"

class TavrelVoiceFactory;

// Renders a block as the generic collection does, each voice adding its sound into the buffer in
// collection order, with the same samples bit for bit; but in passes: every sounding voice's LFO
// fade-ins, then the envelopes of all of them together (AdsrEnvelope::processGroup), then each
// voice's portamento, oscillators and noise in turn, then all their filters together
// (Filter::processGroup), then each voice's sum and end-of-note clearing in turn. A decaying
// envelope and a filter are each one long chain of dependent steps per sample; run side by side,
// four cost little more than one.
class TavrelVoiceCollection : public VoiceCollection
{
public:
    // Makes the sixteen voices, each wired to sources.
    explicit TavrelVoiceCollection(const TavrelVoiceSources& sources);

    void process(float* buffer, int count) override;

    // Whether any voice sounds, its release included (audio thread, or under the render lock).
    bool isSounding() const;

private:
    explicit TavrelVoiceCollection(TavrelVoiceFactory&& factory);

    TavrelVoice* tavrelVoices[kVoiceCount];
};
