// The status texts the view shows for a parameter: its name, its value and its MIDI binding.
#pragma once

namespace Sonarch::Parameters
{
class BankInterface;
}
namespace Sonarch::Midi
{
class MidiLearn;
}

namespace Sonarch::Gui
{

// The size of the view's status text buffer, terminator included.
constexpr int kStatusTextSize = 512;

// Shown from the start of a MIDI learn until it ends.
constexpr const char* kLearningText = "Learning...";

// "long name: long display label" on one line, e.g. "Filter: Cutoff: 2.51 kHz". At most size - 1
// characters and a terminator; a size below 1 writes nothing.
void formatParameterHint(Parameters::BankInterface& bank, int index, char* buffer, int size);

// Two lines: the long name, with " (CCnn)" when a controller drives the parameter, then the long
// display and the label, e.g. "Filter: Cutoff (CC74)\n2.51 kHz". Reads the binding without taking
// the table's lock (a binding read while the editor changes it is at worst one change old).
void formatParameterStatus(Parameters::BankInterface& bank, const Midi::MidiLearn& midiLearn,
                           int index, char* buffer, int size);

} // namespace Sonarch::Gui
