// Turns a short note list typed on the command line into a MidiSong.
#pragma once

#include "tools/render/MidiSong.h"

#include <string>

// Steps are separated by spaces or commas and follow each other in time:
//   NOTES[:BEATS][@VELOCITY]
// NOTES is one note, a chord of notes joined by '+', or 'r' for a rest. A note is a MIDI
// number 0..127 or a name: letter A..G, optional '#' or 'b', octave -1..9, with C4 = 60.
// BEATS (quarter notes, default 1) is how long the step lasts and its notes are held;
// VELOCITY is 1..127 (default 100). Example: "C4+E4+G4:2 r:0.5 A3@80".
// All notes play on MIDI channel 1 at the given tempo.
class NoteList
{
public:
    static constexpr int kTicksPerQuarter = 480;

    static bool parse(const std::string& text, double tempoBpm, MidiSong& song, std::string& error);
};
