// Runs a chain of stereo effects in order of addition.
#include "engine/EffectComponentCollection.h"

#include "base/SampleRate.h"

void EffectComponentCollection::add(IEffectComponent* effect)
{
    if (effect == nullptr)
    {
        return;
    }
    effects.push_back(effect);
    if (auto* programmable = dynamic_cast<IProgrammable*>(effect))
    {
        append(programmable);
    }
}

void EffectComponentCollection::reset()
{
    for (IEffectComponent* effect : effects)
    {
        effect->reset();
    }
}

void EffectComponentCollection::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    sampleRate = rateHz;
    for (IEffectComponent* effect : effects)
    {
        effect->setSampleRate(rateHz);
    }
}

void EffectComponentCollection::process(float** inputs, float** outputs, int count)
{
    for (IEffectComponent* effect : effects)
    {
        effect->process(inputs, outputs, count);
    }
}
