// Time-ordered MIDI dispatch and the block-rendering loop; the MIDI channel and omni settings.
#pragma once

#include "base/Mutex.h"
#include "engine/ComponentCollection.h"
#include "engine/IControllable.h"
#include "engine/IIdleSettler.h"
#include "engine/MidiEvent.h"
#include "engine/MidiEventQueue.h"
#include "engine/VoiceAllocator.h"
#include "engine/VoiceCollection.h"
#include "parameters/BooleanParameter.h"
#include "parameters/IntegerParameter.h"
#include "parameters/ParameterList.h"

#include <vector>

namespace Sonarch::Midi
{
class MidiLearn;
}

// Queues MIDI messages stamped with a frame offset and renders each block in stretches between
// the offsets, dispatching every message exactly at its offset: notes to the allocator,
// controllers to MIDI learn (every channel) and then to the controllables, pitch bend and channel
// pressure to the voices. A stretch is rendered in pieces of at most kMaxBlockFrames frames:
// global components, then the voices adding into the left channel, then the effects in place
// over both channels.
//
// MIDI bytes arrive widened as signed 8-bit values, so a data byte of 0x80 or more is negative:
// only the low eight bits of status are examined, and a message whose data bytes lie outside
// 0..127 is dropped (a note-off with such a velocity still ends its note, with velocity 0).
//
// Parameters: "MIDI CH" (index 0, channel 1..16 listened to) and "OMNI" (index 1, all channels).
// Both read back the setting in use: the channel as channel / 15, omni as 0 or 1.
//
// Threads: enqueue and render run on the audio thread, reset also on the user-interface thread;
// all three take the dispatcher's lock, render for the whole block, so a reset never lands inside
// a block. The allocator's lock is taken inside it. Parameter writes are plain stores.
class MessageDispatcher : public ParameterList
{
public:
    // All pointers are borrowed and outlive the dispatcher; voices and allocator are required,
    // the others may be null (nothing to run or tell).
    MessageDispatcher(VoiceCollection* voiceCollection, VoiceAllocator* voiceAllocator,
                      SynthComponentCollection* globalCollection,
                      EffectComponentCollection* effectCollection, Sonarch::Midi::MidiLearn* learn);
    MessageDispatcher(const MessageDispatcher&) = delete;
    MessageDispatcher& operator=(const MessageDispatcher&) = delete;

    // Appends a receiver of controller messages; called while the synthesizer is built.
    void addControllable(IControllable* controllable);
    // Installs who lets settings land while nothing sounds (borrowed; none by default). Called
    // while the synthesizer is built.
    void setIdleSettler(IIdleSettler* settler) { idleSettler = settler; }

    // Queues one message in time order. A negative deltaFrames counts as 0. Controllers 120 (all
    // sound off) and 123 (all notes off) of any channel reset the engine at once instead and are
    // not queued.
    void enqueue(const MidiEvent& event);
    // Renders frames frames into outputs[0] (left) and outputs[1] (right), which the caller has
    // zeroed, and dispatches the queued messages on the way. Messages stamped at or beyond the end
    // of the block are dispatched, in order, after the point the block has reached; the queue is
    // empty afterwards. frames of 0 or less renders nothing and keeps the queue.
    void render(float** outputs, int frames);
    // Drops the pending messages and resets voices, allocator, global components and effects.
    void reset();

    // The lock held for each rendered block, queued message and reset. The synthesizer holds it
    // around engine-wide changes made from other threads (a new sample rate), so they never land
    // in the middle of a block.
    Mutex& getRenderLock() { return lock; }

private:
    // Renders count frames from offset, in pieces of at most kMaxBlockFrames.
    void renderFrames(float** outputs, int offset, int count);
    void dispatch(const MidiEvent& event);
    // Asks the idle settler, if any (the block's start and each point where audio was rendered
    // before a message).
    void settleIfIdle();
    void dispatchControlChange(int messageChannel, bool channelMatches, int controller, int value);

    // Parameters
    IntegerParameter channel;
    BooleanParameter omni;

    // State
    MidiEventQueue events;
    std::vector<IControllable*> controllables;

    // Targets (borrowed)
    VoiceCollection* voices;
    VoiceAllocator* allocator;
    SynthComponentCollection* globalComponents;
    EffectComponentCollection* effects;
    Sonarch::Midi::MidiLearn* midiLearn;

    // Lock
    IIdleSettler* idleSettler = nullptr;
    Mutex lock;
};
