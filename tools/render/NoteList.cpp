// The note-list parser of the --notes option.
#include "tools/render/NoteList.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

bool parseNote(const std::string& text, int& note)
{
    if (text.empty())
    {
        return false;
    }
    if (std::isdigit(static_cast<unsigned char>(text[0])) != 0)
    {
        char* end = nullptr;
        const long value = std::strtol(text.c_str(), &end, 10);
        if (*end != '\0' || value < 0 || value > 127)
        {
            return false;
        }
        note = static_cast<int>(value);
        return true;
    }
    static const int semitones[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (letter < 'A' || letter > 'G')
    {
        return false;
    }
    int semitone = semitones[letter - 'A'];
    std::size_t at = 1;
    if (at < text.size() && (text[at] == '#' || text[at] == 'b'))
    {
        semitone += text[at] == '#' ? 1 : -1;
        ++at;
    }
    const std::string octaveText = text.substr(at);
    if (octaveText.empty())
    {
        return false;
    }
    char* end = nullptr;
    const long octave = std::strtol(octaveText.c_str(), &end, 10);
    if (*end != '\0' || octave < -1 || octave > 9)
    {
        return false;
    }
    const long value = (octave + 1) * 12 + semitone;
    if (value < 0 || value > 127)
    {
        return false;
    }
    note = static_cast<int>(value);
    return true;
}

std::vector<std::string> split(const std::string& text, const char* separators)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : text)
    {
        if (std::strchr(separators, c) != nullptr)
        {
            if (!current.empty())
            {
                parts.push_back(current);
            }
            current.clear();
        }
        else
        {
            current += c;
        }
    }
    if (!current.empty())
    {
        parts.push_back(current);
    }
    return parts;
}

} // namespace

bool NoteList::parse(const std::string& text, double tempoBpm, MidiSong& song, std::string& error)
{
    if (!(tempoBpm >= 1.0 && tempoBpm <= 1000.0))
    {
        error = "tempo must be 1 to 1000 BPM";
        return false;
    }
    MidiSong result;
    result.tempo = TempoMap(kTicksPerQuarter);
    result.tempo.addTempo(0, static_cast<std::uint32_t>(std::lround(60.0e6 / tempoBpm)));
    std::uint64_t tick = 0;
    for (const std::string& step : split(text, " \t\n,"))
    {
        std::string notesText = step;
        double beats = 1.0;
        long velocity = 100;
        const std::size_t atSign = notesText.find('@');
        if (atSign != std::string::npos)
        {
            const std::string velocityText = notesText.substr(atSign + 1);
            char* end = nullptr;
            velocity = std::strtol(velocityText.c_str(), &end, 10);
            if (velocityText.empty() || *end != '\0' || velocity < 1 || velocity > 127)
            {
                error = "note list step '" + step + "': velocity must be 1..127";
                return false;
            }
            notesText.erase(atSign);
        }
        const std::size_t colon = notesText.find(':');
        if (colon != std::string::npos)
        {
            const std::string beatsText = notesText.substr(colon + 1);
            char* end = nullptr;
            beats = std::strtod(beatsText.c_str(), &end);
            if (beatsText.empty() || *end != '\0' || !(beats > 0.0 && beats <= 1000.0))
            {
                error = "note list step '" + step +
                        "': length must be more than 0 and at most 1000 beats";
                return false;
            }
            notesText.erase(colon);
        }
        std::vector<int> notes;
        if (notesText != "r" && notesText != "R")
        {
            const std::vector<std::string> names = split(notesText, "+");
            const bool emptyPart = notesText.empty() || notesText.front() == '+' ||
                                   notesText.back() == '+' ||
                                   notesText.find("++") != std::string::npos;
            if (names.empty() || emptyPart)
            {
                error = "note list step '" + step + "' has no note";
                return false;
            }
            for (const std::string& name : names)
            {
                int note = 0;
                if (!parseNote(name, note))
                {
                    error = "note list step '" + step + "': '" + name +
                            "' is not a note (0..127 or a name such as C4, F#3, Bb-1)";
                    return false;
                }
                notes.push_back(note);
            }
        }
        const auto length = static_cast<std::uint64_t>(
            std::max(1L, std::lround(beats * static_cast<double>(kTicksPerQuarter))));
        for (int note : notes)
        {
            result.events.push_back(SongEvent{tick, 0x90, static_cast<std::uint8_t>(note),
                                              static_cast<std::uint8_t>(velocity)});
        }
        for (int note : notes)
        {
            result.events.push_back(
                SongEvent{tick + length, 0x80, static_cast<std::uint8_t>(note), 64});
        }
        tick += length;
    }
    if (result.events.empty())
    {
        error = "the note list has no notes";
        return false;
    }
    sortByTick(result.events);
    song = std::move(result);
    return true;
}
