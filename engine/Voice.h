// The generic voice: lists of its components per kind of event, and the fan-out of events to them.
#pragma once

#include "engine/IBendable.h"
#include "engine/IComponent.h"
#include "engine/IControllable.h"
#include "engine/IPressable.h"
#include "engine/IProcess.h"
#include "engine/ISynthComponent.h"
#include "engine/ITriggerable.h"
#include "parameters/ProgrammableCollection.h"

#include <vector>

// One complete sound path for one key. The concrete voice owns its components as members, fills
// the lists below in its constructor (each list in the order its members must hear the event) and
// never changes them afterwards; the lists only borrow. It implements both IProcess operations.
// Its parameters are those of the programmables it appends, one member after the other.
//
// Threads: trigger and release run on the audio thread inside the allocator's lock; process,
// controlChange, bend, press and reset on the audio thread inside the dispatcher's lock. The
// IProgrammable operations come from the user-interface thread (or MIDI learn on the audio
// thread) through the voice collection.
class Voice : public IComponent,
              public IProcess,
              public ITriggerable,
              public IControllable,
              public IBendable,
              public IPressable,
              public ProgrammableCollection
{
public:
    Voice() = default;
    ~Voice() override = default;
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    // IComponent: over components, in order.
    void reset() override;
    float getSampleRate() const override { return sampleRate; }
    void setSampleRate(float rateHz) override;

    // ITriggerable: remembers note as currentNote, then tells triggerables in order.
    void trigger(int previousNote, int note, int velocity) override;
    void release(int velocity) override;

    void controlChange(int controller, float value) override;
    void bend(float amount) override;
    void press(float pressure) override;

    // The note of the last trigger (0 before the first). The allocator reads it when it takes the
    // voice away from its key.
    int getCurrentNote() const { return currentNote; }

protected:
    // Event receivers (borrowed members of the concrete voice)
    std::vector<ISynthComponent*> components;
    std::vector<ITriggerable*> triggerables;
    std::vector<IControllable*> controllables;
    std::vector<IBendable*> bendables;
    std::vector<IPressable*> pressables;

    // State
    float sampleRate = 44100.0f;
    int currentNote = 0;
};
