// Reads Standard MIDI Files of format 0 and 1 into a MidiSong.
#pragma once

#include "tools/render/MidiSong.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Keeps the channel messages of every track, merged in time order, and the tempo changes.
// Every other meta event and every system-exclusive message is skipped. Running status is
// honoured (also across skipped meta and system-exclusive events, as lenient readers do). A
// damaged file (wrong magic, truncated chunk or event, lengths past the end, a data byte where
// a status is needed, a zero tempo) is refused with a message saying what and where.
class SmfReader
{
public:
    // Files beyond this size are refused rather than read into memory.
    static constexpr std::size_t kMaxFileBytes = 64u << 20;

    static bool read(const std::vector<std::uint8_t>& bytes, MidiSong& song, std::string& error);
    static bool readFile(const std::string& path, MidiSong& song, std::string& error);
};
