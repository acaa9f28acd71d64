// Fan-out of a voice's events to its component lists.
#include "engine/Voice.h"

#include "base/SampleRate.h"

void Voice::reset()
{
    for (ISynthComponent* component : components)
    {
        component->reset();
    }
}

void Voice::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    sampleRate = rateHz;
    for (ISynthComponent* component : components)
    {
        component->setSampleRate(rateHz);
    }
}

void Voice::trigger(int previousNote, int note, int velocity)
{
    currentNote = note;
    for (ITriggerable* triggerable : triggerables)
    {
        triggerable->trigger(previousNote, note, velocity);
    }
}

void Voice::release(int velocity)
{
    for (ITriggerable* triggerable : triggerables)
    {
        triggerable->release(velocity);
    }
}

void Voice::controlChange(int controller, float value)
{
    for (IControllable* controllable : controllables)
    {
        controllable->controlChange(controller, value);
    }
}

void Voice::bend(float amount)
{
    for (IBendable* bendable : bendables)
    {
        bendable->bend(amount);
    }
}

void Voice::press(float pressure)
{
    for (IPressable* pressable : pressables)
    {
        pressable->press(pressure);
    }
}

void Voice::resetParameter(int index)
{
    programmables.resetParameter(index);
}

float Voice::getValue(int index) const
{
    return programmables.getValue(index);
}

void Voice::setValue(int index, float value)
{
    programmables.setValue(index, value);
}

void Voice::getName(int index, char* text) const
{
    programmables.getName(index, text);
}

void Voice::getLabel(int index, char* text) const
{
    programmables.getLabel(index, text);
}

void Voice::getDisplay(int index, char* text) const
{
    programmables.getDisplay(index, text);
}

void Voice::getLongDisplay(int index, char* text) const
{
    programmables.getLongDisplay(index, text);
}

int Voice::getParameterCount() const
{
    return programmables.getParameterCount();
}
