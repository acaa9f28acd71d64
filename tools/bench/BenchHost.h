// What the measuring tools share: the plug-in beside them, the settings they switch, the sixteen
// held notes and the transport they play to.
#pragma once

#include "tools/render/PluginInstance.h"

#include <string>
#include <vector>

namespace BenchHost
{

constexpr double kSampleRate = 44100.0;
constexpr int kNoteCount = 16;

struct Setting
{
    const char* name;
    float value;
};

// Every effect on: overdrive, the panner moved by LFO 1, chorus and delay.
const std::vector<Setting>& everyEffectOn();
const std::vector<Setting>& effectsOff();

// The Tavrel built beside this program: tavrel.so, Tavrel.dll or Tavrel64.dll.
std::string pluginBeside(const char* argv0);

// Sets each parameter by name; false with error set when the plug-in has no such parameter.
bool apply(PluginInstance& instance, const std::vector<Setting>& settings, std::string& error);

// MIDI notes 36, 39, ..., 81 at velocity 100, to start in one block.
std::vector<VstMidiEvent> heldNotes();

// A playing transport at 120 BPM in 4/4, at the start of the song.
VstTimeInfo playingTransport();

} // namespace BenchHost
