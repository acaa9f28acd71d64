// A song to render: channel messages in time order and the tempo map that times them.
#pragma once

#include "tools/render/TempoMap.h"

#include <cstdint>
#include <vector>

struct SongEvent
{
    std::uint64_t tick;
    std::uint8_t status; // 0x80..0xEF, the low nibble is the channel 0..15
    std::uint8_t data1;
    std::uint8_t data2; // 0 for the one-data-byte messages (program change, channel pressure)

    int channel() const { return status & 0x0F; }
};

struct MidiSong
{
    TempoMap tempo;
    // Sorted by tick; events of one tick keep the order of their tracks, then of the file.
    std::vector<SongEvent> events;
};

// Sorts events by tick and keeps the given order among events of one tick.
void sortByTick(std::vector<SongEvent>& events);
