// Runs a list of mono components as one.
#include "engine/SynthComponentCollection.h"

#include "base/SampleRate.h"

SynthComponentCollection::SynthComponentCollection() : output{} {}

void SynthComponentCollection::add(ISynthComponent* component)
{
    if (component == nullptr)
    {
        return;
    }
    components.push_back(component);
    if (auto* programmable = dynamic_cast<IProgrammable*>(component))
    {
        append(programmable);
    }
}

void SynthComponentCollection::reset()
{
    for (ISynthComponent* component : components)
    {
        component->reset();
    }
}

void SynthComponentCollection::setSampleRate(float rateHz)
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

void SynthComponentCollection::process(int count)
{
    for (ISynthComponent* component : components)
    {
        component->process(count);
    }
}
