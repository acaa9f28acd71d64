// Pending MIDI events in time order: smallest frame offset first, arrival order among equals.
#pragma once

#include "engine/MidiEvent.h"

#include <cstddef>
#include <vector>

// Storage for kReservedEvents events exists from construction, so queueing and taking events
// allocates nothing while no more than that many are pending. Beyond that the storage grows (an
// allocation, on whichever thread inserts) and no event is lost. Not thread-safe: the dispatcher
// guards it with its lock.
class MidiEventQueue
{
public:
    static constexpr int kReservedEvents = 4096;

    MidiEventQueue();
    MidiEventQueue(const MidiEventQueue&) = delete;
    MidiEventQueue& operator=(const MidiEventQueue&) = delete;

    // Places the event after every pending event with the same or a smaller deltaFrames.
    void insert(const MidiEvent& event);
    bool empty() const { return head == events.size(); }
    int size() const { return static_cast<int>(events.size() - head); }
    // The next event to take; only when not empty.
    const MidiEvent& front() const { return events[head]; }
    // Removes the front event; only when not empty.
    void popFront();
    void clear();

private:
    // Pending events are events[head .. end), sorted; taken ones before head are dropped when the
    // queue runs empty or when their room is needed.
    std::vector<MidiEvent> events;
    std::size_t head = 0;
};
