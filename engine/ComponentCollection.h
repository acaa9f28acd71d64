// Runs a list of components of one kind as one, in order of addition, and joins their parameters.
#pragma once

#include "base/SampleRate.h"
#include "engine/IEffectComponent.h"
#include "engine/ISynthComponent.h"
#include "parameters/ProgrammableCollection.h"

#include <vector>

// The order of addition is the processing order and the parameter order: the collection is
// the ProgrammableCollection of its programmable members. Members are borrowed; the collection
// is filled during the owner's construction and not changed afterwards.
template <class Component>
class ComponentCollection : public Component, public ProgrammableCollection
{
public:
    ComponentCollection() = default;
    ComponentCollection(const ComponentCollection&) = delete;
    ComponentCollection& operator=(const ComponentCollection&) = delete;

    // A member that is also an IProgrammable adds its parameters after those already present.
    // A null member is ignored.
    void add(Component* component)
    {
        if (component == nullptr)
        {
            return;
        }
        members.push_back(component);
        if (auto* programmable = dynamic_cast<IProgrammable*>(component))
        {
            append(programmable);
        }
    }

    void reset() override
    {
        for (Component* member : members)
        {
            member->reset();
        }
    }

    float getSampleRate() const override { return sampleRate; }

    void setSampleRate(float rateHz) override
    {
        if (!isSupportedSampleRate(rateHz))
        {
            return;
        }
        sampleRate = rateHz;
        for (Component* member : members)
        {
            member->setSampleRate(rateHz);
        }
    }

protected:
    // Passes one process call on to every member, in order.
    template <class... Arguments>
    void processMembers(Arguments... arguments)
    {
        for (Component* member : members)
        {
            member->process(arguments...);
        }
    }

private:
    std::vector<Component*> members;
    float sampleRate = 44100.0f;
};

// Mono generators and modulators, each rendering into its own buffer.
class SynthComponentCollection final : public ComponentCollection<ISynthComponent>
{
public:
    void process(int count) override { processMembers(count); }
    // The collection makes no sound: its own buffer stays zero.
    const float* getOutput() const override { return output; }

private:
    float output[kMaxBlockFrames] = {};
};

// A chain of stereo effects: each works in place on the result of the one before.
class EffectComponentCollection final : public ComponentCollection<IEffectComponent>
{
public:
    void process(float** inputs, float** outputs, int count) override
    {
        processMembers(inputs, outputs, count);
    }
};
