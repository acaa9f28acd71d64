// Runs a chain of stereo effects in order of addition and joins their parameters.
#pragma once

#include "engine/IEffectComponent.h"
#include "parameters/ProgrammableCollection.h"

#include <vector>

// Each effect works in place on the result of the one before; the collection is the
// ProgrammableCollection of its programmable members. Members are borrowed.
class EffectComponentCollection : public IEffectComponent, public ProgrammableCollection
{
public:
    EffectComponentCollection() = default;
    EffectComponentCollection(const EffectComponentCollection&) = delete;
    EffectComponentCollection& operator=(const EffectComponentCollection&) = delete;

    void add(IEffectComponent* effect);

    void reset() override;
    float getSampleRate() const override { return sampleRate; }
    void setSampleRate(float rateHz) override;
    void process(float** inputs, float** outputs, int count) override;

private:
    std::vector<IEffectComponent*> effects;
    float sampleRate = 44100.0f;
};
