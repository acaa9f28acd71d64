// One queued MIDI message: frame offset, status and two data bytes.
#pragma once

#include <cstdint>

struct MidiEvent
{
    std::int32_t deltaFrames = 0; // frame offset inside the block being prepared
    std::int32_t status = 0;      // only the low eight bits are examined
    std::int32_t firstData = 0;
    std::int32_t secondData = 0;
};
