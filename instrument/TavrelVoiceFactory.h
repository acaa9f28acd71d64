// Makes the synthesizer's voices, each wired to the shared level smoothers and LFOs.
#pragma once

#include "engine/IVoiceFactory.h"
#include "instrument/TavrelVoice.h"

class TavrelVoiceFactory : public IVoiceFactory
{
public:
    explicit TavrelVoiceFactory(const TavrelVoiceSources& voiceSources) : sources(voiceSources) {}

    Voice* createVoice() override { return new TavrelVoice(sources); }

private:
    TavrelVoiceSources sources;
};
