// The Standard MIDI File parser: header, track chunks and their events.
#include "tools/render/SmfReader.h"

#include "tools/render/FileBytes.h"

#include <algorithm>

namespace
{

std::uint32_t bigEndian32(const std::uint8_t* p)
{
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

std::uint16_t bigEndian16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

// Reads the events of one track chunk (bytes begin..end) into events and tempo changes.
class TrackParser
{
public:
    TrackParser(const std::uint8_t* chunkBegin, std::size_t chunkSize, std::size_t fileOffset,
                int trackNumber)
        : begin(chunkBegin), size(chunkSize), offset(fileOffset), track(trackNumber)
    {
    }

    bool parse(std::vector<SongEvent>& events, TempoMap& tempo, std::string& error)
    {
        std::uint64_t tick = 0;
        std::uint8_t runningStatus = 0;
        while (position < size)
        {
            std::uint32_t delta = 0;
            if (!readVariable(delta, "delta time", error))
            {
                return false;
            }
            tick += delta;
            std::uint8_t status = 0;
            if (!readByte(status, "event", error))
            {
                return false;
            }
            if (status < 0x80)
            {
                if (runningStatus == 0)
                {
                    return fail(error, "data byte without a status byte (no running status)", 1);
                }
                --position; // the byte is the first data byte of a running-status message
                status = runningStatus;
            }
            if (status < 0xF0)
            {
                runningStatus = status;
                if (!readChannelMessage(status, tick, events, error))
                {
                    return false;
                }
            }
            else if (status == 0xF0 || status == 0xF7)
            {
                std::uint32_t length = 0;
                if (!readVariable(length, "system-exclusive length", error) ||
                    !skip(length, "system-exclusive message", error))
                {
                    return false;
                }
            }
            else if (status == 0xFF)
            {
                bool endOfTrack = false;
                if (!readMeta(tick, tempo, endOfTrack, error))
                {
                    return false;
                }
                if (endOfTrack)
                {
                    return true;
                }
            }
            else
            {
                return fail(error, "status byte " + hex(status) + " is not allowed in a MIDI file",
                            1);
            }
        }
        return true; // a track without an end-of-track event ends with its chunk
    }

private:
    static std::string hex(std::uint8_t value)
    {
        static const char digits[] = "0123456789ABCDEF";
        return std::string("0x") + digits[value >> 4] + digits[value & 0x0F];
    }

    bool fail(std::string& error, const std::string& what, std::size_t back = 0)
    {
        error = "track " + std::to_string(track) + ", byte " +
                std::to_string(offset + position - back) + ": " + what;
        return false;
    }

    bool readByte(std::uint8_t& value, const char* what, std::string& error)
    {
        if (position >= size)
        {
            return fail(error, std::string("truncated ") + what);
        }
        value = begin[position++];
        return true;
    }

    // A variable-length quantity: at most four bytes of seven bits, 0..0x0FFFFFFF.
    bool readVariable(std::uint32_t& value, const char* what, std::string& error)
    {
        value = 0;
        for (int count = 0; count < 4; ++count)
        {
            std::uint8_t byte = 0;
            if (!readByte(byte, what, error))
            {
                return false;
            }
            value = (value << 7) | (byte & 0x7Fu);
            if ((byte & 0x80) == 0)
            {
                return true;
            }
        }
        return fail(error, std::string(what) + " is longer than four bytes");
    }

    bool skip(std::uint32_t length, const char* what, std::string& error)
    {
        if (length > size - position)
        {
            return fail(error, std::string(what) + " of " + std::to_string(length) +
                                   " bytes runs past the end of the track");
        }
        position += length;
        return true;
    }

    bool readChannelMessage(std::uint8_t status, std::uint64_t tick, std::vector<SongEvent>& events,
                            std::string& error)
    {
        const int kind = status >> 4;
        const int dataBytes = (kind == 0xC || kind == 0xD) ? 1 : 2;
        std::uint8_t data[2] = {0, 0};
        for (int i = 0; i < dataBytes; ++i)
        {
            if (!readByte(data[i], "channel message", error))
            {
                return false;
            }
            if (data[i] >= 0x80)
            {
                return fail(error, "data byte " + hex(data[i]) + " out of range 0..127", 1);
            }
        }
        events.push_back(SongEvent{tick, status, data[0], data[1]});
        return true;
    }

    bool readMeta(std::uint64_t tick, TempoMap& tempo, bool& endOfTrack, std::string& error)
    {
        std::uint8_t type = 0;
        std::uint32_t length = 0;
        if (!readByte(type, "meta event", error) ||
            !readVariable(length, "meta event length", error))
        {
            return false;
        }
        const std::size_t dataStart = position;
        if (!skip(length, "meta event", error))
        {
            return false;
        }
        if (type == 0x2F)
        {
            endOfTrack = true;
        }
        else if (type == 0x51)
        {
            if (length != 3)
            {
                return fail(error,
                            "tempo event of " + std::to_string(length) + " bytes (3 expected)");
            }
            const std::uint8_t* p = begin + dataStart;
            const std::uint32_t microseconds = (static_cast<std::uint32_t>(p[0]) << 16) |
                                               (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
            if (microseconds == 0)
            {
                return fail(error, "tempo of 0 microseconds per quarter note");
            }
            tempo.addTempo(tick, microseconds);
        }
        return true;
    }

    const std::uint8_t* begin;
    std::size_t size;
    std::size_t offset; // of the chunk data in the file, for messages
    int track;
    std::size_t position = 0;
};

} // namespace

bool SmfReader::read(const std::vector<std::uint8_t>& bytes, MidiSong& song, std::string& error)
{
    const std::size_t size = bytes.size();
    const std::uint8_t* data = bytes.data();
    if (size < 4 || bigEndian32(data) != 0x4D546864) // "MThd"
    {
        error = "not a MIDI file (no MThd header)";
        return false;
    }
    if (size < 14)
    {
        error = "truncated MIDI header";
        return false;
    }
    const std::uint32_t headerLength = bigEndian32(data + 4);
    if (headerLength < 6 || headerLength > size - 8)
    {
        error = "MIDI header length " + std::to_string(headerLength) + " is invalid";
        return false;
    }
    const std::uint16_t format = bigEndian16(data + 8);
    const std::uint16_t trackCount = bigEndian16(data + 10);
    const std::uint16_t division = bigEndian16(data + 12);
    if (format > 1)
    {
        error = "MIDI file format " + std::to_string(format) +
                " is not supported (only formats 0 and 1)";
        return false;
    }
    if (trackCount == 0)
    {
        error = "MIDI file declares no tracks";
        return false;
    }
    MidiSong result;
    if ((division & 0x8000) != 0)
    {
        const int framesPerSecond = 256 - (division >> 8); // the high byte is -24, -25, -29, -30
        const int ticksPerFrame = division & 0xFF;
        if ((framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 &&
             framesPerSecond != 30) ||
            ticksPerFrame == 0)
        {
            error = "invalid SMPTE time division";
            return false;
        }
        result.tempo = TempoMap::smpte(framesPerSecond, ticksPerFrame);
    }
    else
    {
        if (division == 0)
        {
            error = "time division of 0 ticks per quarter note";
            return false;
        }
        result.tempo = TempoMap(division);
    }

    // Tracks in file order; chunks of other types are skipped, as the format asks of readers.
    std::size_t offset = 8 + headerLength;
    int tracksRead = 0;
    std::vector<std::vector<SongEvent>> tracks;
    while (tracksRead < trackCount)
    {
        if (size - offset < 8)
        {
            error = "truncated: " + std::to_string(trackCount) + " tracks declared, " +
                    std::to_string(tracksRead) + " found";
            return false;
        }
        const std::uint32_t chunkType = bigEndian32(data + offset);
        const std::uint32_t chunkLength = bigEndian32(data + offset + 4);
        offset += 8;
        if (chunkLength > size - offset)
        {
            error = "truncated: chunk of " + std::to_string(chunkLength) + " bytes at byte " +
                    std::to_string(offset - 8) + " runs past the end of the file";
            return false;
        }
        if (chunkType == 0x4D54726B) // "MTrk"
        {
            ++tracksRead;
            tracks.emplace_back();
            TrackParser parser(data + offset, chunkLength, offset, tracksRead);
            if (!parser.parse(tracks.back(), result.tempo, error))
            {
                return false;
            }
        }
        offset += chunkLength;
    }
    for (const auto& track : tracks)
    {
        result.events.insert(result.events.end(), track.begin(), track.end());
    }
    sortByTick(result.events);
    song = std::move(result);
    return true;
}

bool SmfReader::readFile(const std::string& path, MidiSong& song, std::string& error)
{
    std::vector<std::uint8_t> bytes;
    if (!readFileBytes(path, kMaxFileBytes, bytes, error))
    {
        return false;
    }
    if (!read(bytes, song, error))
    {
        error = path + ": " + error;
        return false;
    }
    return true;
}
