// The synthesizer's sixteen voices, rendered with their filters side by side.
#pragma once

#include "engine/VoiceCollection.h"
#include "instrument/TavrelVoice.h"

class TavrelVoiceFactory;

// Renders a block as the generic collection does, each voice adding its sound into the buffer in
// collection order, with the same samples bit for bit; but in three passes: every sounding
// voice's sources in turn, then the filters of all of them together (Filter::processGroup, four
// at a time), then each voice's sum and end-of-note clearing in turn. A voice's filter is one long
// chain of dependent steps per sample; run side by side, four cost little more than one.
class TavrelVoiceCollection : public VoiceCollection
{
public:
    // Makes the sixteen voices, each wired to sources.
    explicit TavrelVoiceCollection(const TavrelVoiceSources& sources);

    void process(float* buffer, int count) override;

private:
    explicit TavrelVoiceCollection(TavrelVoiceFactory&& factory);

    TavrelVoice* tavrelVoices[kVoiceCount];
};
