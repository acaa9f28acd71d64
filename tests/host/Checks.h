// The groups of host checks, each run on fresh plug-in instances made through the exported entry.
#pragma once

#include "tests/support/CheckHarness.h"
#include "tools/host/PluginLibrary.h"

namespace HostCheck
{

using namespace CheckHarness;

// Exported names, the no-host refusal.
void checkEntryPoints(PluginLibrary& library);
// The descriptor as the host finally sees it, the identity opcodes, canDo, program names.
void checkDescriptor();
// Null pointers, indexes out of range, negative sizes and text fields bounded to their size.
void checkBadOpcodes();
// Names, labels and default displays of all parameters; the texts behind the sync switches.
void checkParameters();
// Bank and program chunks: layout after construction, round trips, refusals.
void checkChunks();
// MIDI-learn tables inside bank chunks and the automation they cause.
void checkMidiLearn();
// The sound, in four groups that can run side by side: tuning, both channels, the release and
// the host's time information; every factory program; the bank's levels; block and rate
// independence (the levels of the programs firstProgram to endProgram - 1).
void checkPlaying();
void checkPrograms();
void checkLevels(int firstProgram, int endProgram);
void checkBlocks();
// Smoothed settings that land while nothing sounds and glide while a note sounds; the first
// synced echoes after a program load.
void checkSettling();
// Event timing, channel filter, pitch bend, sustain pedal, event kinds, sixteen voices.
void checkMidi();
// Damaged parameter values, chunks, MIDI bytes and sample rates.
void checkDamage();
// Hosts that drive the life cycle oddly: many instances, a thousand openings, rate and block
// size changes between blocks, processing before resume and after suspend, closing at once.
void checkLifecycle();

} // namespace HostCheck
