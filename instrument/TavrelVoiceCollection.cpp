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
    AdsrEnvelope* envelopes[2 * kVoiceCount] = {};
    Filter* filters[kVoiceCount] = {};
    int soundingCount = 0;
    for (TavrelVoice* voice : tavrelVoices)
    {
        if (voice->beginBlock(count))
        {
            sounding[soundingCount] = voice;
            envelopes[2 * soundingCount] = &voice->getEnvelope1();
            envelopes[2 * soundingCount + 1] = &voice->getEnvelope2();
            filters[soundingCount] = &voice->getFilter();
            ++soundingCount;
        }
    }
    AdsrEnvelope::processGroup(envelopes, 2 * soundingCount, count);
    for (int index = 0; index < soundingCount; ++index)
    {
        sounding[index]->renderSources(count);
    }
    Filter::processGroup(filters, soundingCount, count);
    for (int index = 0; index < soundingCount; ++index)
    {
        sounding[index]->finish(buffer, count);
    }
}

bool TavrelVoiceCollection::isSounding() const
{
    for (const TavrelVoice* voice : tavrelVoices)
    {
        if (!voice->isSilent())
        {
            return true;
        }
    }
    return false;
}
