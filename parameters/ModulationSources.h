// The item texts of the modulation source selectors shared by the oscillator and filter
// programmers.
#pragma once

// Entry 0 selects no source; entries 1..4 line up with the programmers' source tables (delayed
// LFO 1, delayed LFO 2, envelope 1, envelope 2). The panner's selector uses the first three.
inline constexpr int kModulationSourceCount = 5;
extern const char* const kModulationSourceNames[kModulationSourceCount];
