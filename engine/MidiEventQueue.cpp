// Pending MIDI events in time order.
#include "engine/MidiEventQueue.h"

#include <algorithm>

MidiEventQueue::MidiEventQueue()
{
    events.reserve(kReservedEvents);
}

void MidiEventQueue::insert(const MidiEvent& event)
{
    if (events.size() == events.capacity() && head > 0)
    {
        // Reuse the room of the events already taken before letting the storage grow.
        events.erase(events.begin(), events.begin() + static_cast<std::ptrdiff_t>(head));
        head = 0;
    }
    const auto position = std::upper_bound(
        events.begin() + static_cast<std::ptrdiff_t>(head), events.end(), event.deltaFrames,
        [](int deltaFrames, const MidiEvent& queued) { return deltaFrames < queued.deltaFrames; });
    events.insert(position, event);
}

void MidiEventQueue::popFront()
{
    ++head;
    if (head == events.size())
    {
        clear();
    }
}

void MidiEventQueue::clear()
{
    events.clear();
    head = 0;
}
