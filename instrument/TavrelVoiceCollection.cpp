// The synthesizer's voices: construction through the voice factory and the three-pass render.
#include "instrument/TavrelVoiceCollection.h"

#include "instrument/TavrelVoiceFactory.h"

TavrelVoiceCollection::TavrelVoiceCollection(const TavrelVoiceSources& sources)
    : TavrelVoiceCollection(TavrelVoiceFactory(sources))
{
}

TavrelVoiceCollection::TavrelVoiceCollection(TavrelVoiceFactory&& factory)
    : VoiceCollection(factory)
{
    // The factory made every voice, so each is a TavrelVoice.
    for (int index = 0; index < kVoiceCount; ++index)
    {
        tavrelVoices[index] = static_cast<TavrelVoice*>(getVoice(index));
    }
}

void TavrelVoiceCollection::process(float* buffer, int count)
{
    TavrelVoice* sounding[kVoiceCount] = {};
    Filter* filters[kVoiceCount] = {};
    int soundingCount = 0;
    for (TavrelVoice* voice : tavrelVoices)
    {
        if (voice->renderSources(count))
        {
            sounding[soundingCount] = voice;
            filters[soundingCount] = &voice->getFilter();
            ++soundingCount;
        }
    }
    Filter::processGroup(filters, soundingCount, count);
    for (int index = 0; index < soundingCount; ++index)
    {
        sounding[index]->finish(buffer, count);
    }
}
