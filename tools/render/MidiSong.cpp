// Ordering the events of a song.
#include "tools/render/MidiSong.h"

#include <algorithm>

void sortByTick(std::vector<SongEvent>& events)
{
    // An index sort rather than std::stable_sort, which takes a temporary buffer through the
    // nothrow operator new; the ordering is the same.
    std::vector<std::size_t> order(events.size());
    for (std::size_t i = 0; i < order.size(); ++i)
    {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(),
              [&events](std::size_t a, std::size_t b) {
                  return events[a].tick != events[b].tick ? events[a].tick < events[b].tick : a < b;
              });
    std::vector<SongEvent> sorted;
    sorted.reserve(events.size());
    for (std::size_t i : order)
    {
        sorted.push_back(events[i]);
    }
    events = std::move(sorted);
}
