// Runs a list of mono components as one, in order of addition, and joins their parameters.
#pragma once

#include "engine/ISynthComponent.h"
#include "parameters/ProgrammableCollection.h"

#include <vector>

// The order of addition is the processing order and the parameter order: the collection is
// the ProgrammableCollection of its programmable members. Members are borrowed;
// the collection is filled during the owner's construction and not changed afterwards.
class SynthComponentCollection : public ISynthComponent, public ProgrammableCollection
{
public:
    SynthComponentCollection();
    SynthComponentCollection(const SynthComponentCollection&) = delete;
    SynthComponentCollection& operator=(const SynthComponentCollection&) = delete;

    // A member that is also an IProgrammable adds its parameters after those already present.
    void add(ISynthComponent* component);

    void reset() override;
    float getSampleRate() const override { return sampleRate; }
    void setSampleRate(float rateHz) override;
    void process(int count) override;
    // The collection makes no sound: its own buffer stays zero.
    const float* getOutput() const override { return output; }

private:
    float sampleRate = 44100.0f;
    std::vector<ISynthComponent*> components;
    float output[kMaxBlockFrames];
};
