// The sixteen voices of the synthesizer as one component.
#include "engine/VoiceCollection.h"

#include "base/SampleRate.h"

VoiceCollection::VoiceCollection(IVoiceFactory& factory)
{
    for (auto& voice : voices)
    {
        voice.reset(factory.createVoice());
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

void VoiceCollection::resetParameter(int index)
{
    for (auto& voice : voices)
    {
        voice->resetParameter(index);
    }
}

float VoiceCollection::getValue(int index) const
{
    return voices[0]->getValue(index);
}

void VoiceCollection::setValue(int index, float value)
{
    for (auto& voice : voices)
    {
        voice->setValue(index, value);
    }
}

void VoiceCollection::getName(int index, char* text) const
{
    voices[0]->getName(index, text);
}

void VoiceCollection::getLabel(int index, char* text) const
{
    voices[0]->getLabel(index, text);
}

void VoiceCollection::getDisplay(int index, char* text) const
{
    voices[0]->getDisplay(index, text);
}

void VoiceCollection::getLongDisplay(int index, char* text) const
{
    voices[0]->getLongDisplay(index, text);
}

int VoiceCollection::getParameterCount() const
{
    return voices[0]->getParameterCount();
}
