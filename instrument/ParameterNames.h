// The long names of the synthesizer's parameters, shown in the editor's MIDI-learn menus.
#pragma once

constexpr int kParameterLongNameCount = 97;

// One text per parameter index 0..96. The indexes are part of the stored format (programs keep
// their values and MIDI learn its bindings by index), so the order never changes.
extern const char* const kParameterLongNames[kParameterLongNameCount];
