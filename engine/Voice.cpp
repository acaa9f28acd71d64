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
