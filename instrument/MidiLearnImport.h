// Reads the MIDI-learn bindings out of a VST bank file (.fxb) that a host wrote from this
// plug-in; the programs in the file are not loaded.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Sonarch::Midi
{
class MidiLearn;
}

enum class MidiLearnImportResult
{
    Success = 0,
    CannotOpen = 1,    // the file could not be opened
    NotChunkBank = 2,  // not a bank file of the chunk kind ('FBCh')
    NotTavrelBank = 3, // the bank of another plug-in
    OldVersion = 4,    // a bank older than the first that carries a MIDI-learn table (1500)
    ReadError = 5,     // the file ends early or holds a damaged table
};

// The message the editor shows for a result; "The operation was successful." for success.
const char* midiLearnImportMessage(MidiLearnImportResult result);

// The file's header is checked first (kind at byte 8, plug-in identifier at 16, bank version at
// 160): a failure there leaves the bindings as they were. Past the header the bindings are
// cleared and the table is read controller by controller; a table that ends early or holds a
// damaged count stops with ReadError, keeping what was read. An index that names no parameter
// is skipped. Runs on the editor's thread while it holds the table's lock.
MidiLearnImportResult importMidiLearn(const char* path, Sonarch::Midi::MidiLearn& midiLearn);
// The same from the file's bytes.
MidiLearnImportResult importMidiLearn(const std::uint8_t* bytes, std::size_t count,
                                      Sonarch::Midi::MidiLearn& midiLearn);
