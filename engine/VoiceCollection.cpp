// The sixteen voices of the synthesizer as one component.
#include "engine/VoiceCollection.h"

#include "base/SampleRate.h"

VoiceCollection::VoiceCollection(IVoiceFactory& factory)
{
    for (std::size_t i = 0; i < voices.size(); ++i)
    {
        voices[i].reset(factory.createVoice());
        holders[i] = voices[i].get();
    }
}

VoiceCollection::~VoiceCollection() = default;

Voice* VoiceCollection::getVoice(int index) const
{
    if (index < 0 || index >= kVoiceCount)
    {
        return nullptr;
    }
    return voices[static_cast<std::size_t>(index)].get();
}

void VoiceCollection::reset()
{
    for (auto& voice : voices)
    {
        voice->reset();
    }
}

void VoiceCollection::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    sampleRate = rateHz;
    for (auto& voice : voices)
    {
        voice->setSampleRate(rateHz);
    }
}

void VoiceCollection::process(float* buffer, int count)
{
    for (auto& voice : voices)
    {
        voice->process(buffer, count);
    }
}

void VoiceCollection::processReplacing(float* buffer, int count)
{
    for (auto& voice : voices)
    {
        voice->processReplacing(buffer, count);
    }
}

void VoiceCollection::controlChange(int controller, float value)
{
    for (auto& voice : voices)
    {
        voice->controlChange(controller, value);
    }
}

void VoiceCollection::bend(float amount)
{
    for (auto& voice : voices)
    {
        voice->bend(amount);
    }
}

void VoiceCollection::press(float pressure)
{
    for (auto& voice : voices)
    {
        voice->press(pressure);
    }
}

std::span<IProgrammable* const> VoiceCollection::route(int index, int& local) const
{
    if (index < 0 || index >= getParameterCount())
    {
        return {};
    }
    local = index;
    return holders;
}

int VoiceCollection::getParameterCount() const
{
    return voices[0]->getParameterCount();
}
