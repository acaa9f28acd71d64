// The parameter list in index order, with the default displays a host must read.
#include "tests/support/ParameterTable.h"

namespace TestParameters
{

// Texts are at most 7 characters: "F Cut" at 0.75 is 9752 Hz, printed "9752.000" and cut to
// "9752.00"; the master level 0.75 is a gain of 0.5625, -5.00 dB.
const ParameterRow kParameterTable[kParameterCount] = {
    {"Poly", "Poly", 1.0f, "Poly", 2},
    {"MIDI CH", "1-16", 0.0f, "1", 16},
    {"OMNI", "On/Off", 1.0f, "On", 2},
    // Oscillator 1
    {"O1 Dtn", "Cents", 0.5f, "0.00", 0},
    {"O1 Tran", "Semi", 0.5f, "0", 49},
    {"O1 PBR", "Semi", 0.166667f, "2", 13},
    {"O1 FM1", "Octave", 0.0f, "0.000", 0},
    {"O1 FM2", "Octave", 0.0f, "0.000", 0},
    {"O1 FM1P", "+/-", 1.0f, "+", 2},
    {"O1 FM2P", "+/-", 1.0f, "+", 2},
    {"O1 Wave", "Type", 0.0f, "SAW", 26},
    {"O1 PWOn", "On/Off", 0.0f, "Off", 2},
    {"O1 PWid", "Width", 0.5f, "0.500", 0},
    {"O1 PWM", "Level", 0.0f, "0.000", 0},
    {"O1 PWMP", "+/-", 1.0f, "+", 2},
    // Oscillator 2
    {"O2 Dtn", "Cents", 0.5f, "0.00", 0},
    {"O2 Tran", "Semi", 0.5f, "0", 49},
    {"O2 PBR", "Semi", 0.166667f, "2", 13},
    {"O2 FM1", "Octave", 0.0f, "0.000", 0},
    {"O2 FM2", "Octave", 0.0f, "0.000", 0},
    {"O2 FM1P", "+/-", 1.0f, "+", 2},
    {"O2 FM2P", "+/-", 1.0f, "+", 2},
    {"O2 Wave", "Type", 0.0f, "SAW", 26},
    {"O2 PWOn", "On/Off", 0.0f, "Off", 2},
    {"O2 PWid", "Width", 0.5f, "0.500", 0},
    {"O2 PWM", "Level", 0.0f, "0.000", 0},
    {"O2 PWMP", "+/-", 1.0f, "+", 2},
    // Oscillator modulation sources, portamento and sync switches
    {"O1 FM1S", "Src", 0.0f, "None", 5},
    {"O1 FM2S", "Src", 0.0f, "None", 5},
    {"O1 PWMS", "Src", 0.0f, "None", 5},
    {"O2 FM1S", "Src", 0.0f, "None", 5},
    {"O2 FM2S", "Src", 0.0f, "None", 5},
    {"O2 PWMS", "Src", 0.0f, "None", 5},
    {"O1 Prta", "On/Off", 0.0f, "Off", 2},
    {"O2 Prta", "On/Off", 0.0f, "Off", 2},
    {"O2 Sync", "On/Off", 0.0f, "Off", 2},
    // Filter
    {"F Cut", "Hz", 0.75f, "9752.00", 0},
    {"F Res", "Level", 0.0f, "0.000", 0},
    {"F Type", "Type", 0.0f, "LP", 4},
    {"F KTrck", "Rate", 0.0f, "0.000", 0},
    {"F FM1", "Level", 0.0f, "0.000", 0},
    {"F FM2", "Level", 0.0f, "0.000", 0},
    {"F FM1PL", "+/-", 1.0f, "+", 2},
    {"F FM2PL", "+/-", 1.0f, "+", 2},
    {"F CPrss", "On/Off", 0.0f, "Off", 2},
    {"F FM1S", "Src", 0.0f, "None", 5},
    {"F FM2S", "Src", 0.0f, "None", 5},
    // LFO delays
    {"L1 Dela", "Secs", 0.0f, "0.000", 0},
    {"L2 Dela", "Secs", 0.0f, "0.000", 0},
    // Envelope 1: times are norm squared x 10 s
    {"E1 A", "Secs", 0.0f, "0.000", 0},
    {"E1 D", "Secs", 0.5f, "2.500", 0},
    {"E1 S", "dB", 0.0f, "-oo", 0},
    {"E1 R", "Secs", 0.25f, "0.625", 0},
    {"E1 KT", "Rate", 0.0f, "0.000", 0},
    {"E1 VDpt", "Depth", 0.0f, "0.000", 0},
    {"E1 TMod", "Mode", 1.0f, "Retrig", 2},
    // Envelope 2
    {"E2 A", "Secs", 0.0f, "0.000", 0},
    {"E2 D", "Secs", 0.5f, "2.500", 0},
    {"E2 S", "dB", 0.0f, "-oo", 0},
    {"E2 R", "Secs", 0.25f, "0.625", 0},
    {"E2 KT", "Rate", 0.0f, "0.000", 0},
    {"E2 VDpt", "Depth", 0.0f, "0.000", 0},
    {"E2 TMod", "Mode", 1.0f, "Retrig", 2},
    // Noise, portamento (0.25 squared x 3 s = 0.1875 s) and the three source levels
    {"N On", "On/Off", 0.0f, "Off", 2},
    {"Pr Time", "Secs", 0.25f, "0.188", 0},
    {"O1 Lvl", "dB", 1.0f, "0.00", 0},
    {"O2 Lvl", "dB", 1.0f, "0.00", 0},
    {"N Lvl", "dB", 0.0f, "-oo", 0},
    // LFO 1 and 2: 0.2 squared x 20 Hz = 0.8 Hz, shape 0.2 x 5 = 1 (triangle)
    {"L1 Spd", "Hz", 0.2f, "0.800", 0},
    {"L1 Shpe", "Shape", 0.2f, "Tri", 6},
    {"L1 MW", "On/Off", 0.0f, "Off", 2},
    {"L1 Sync", "On/Off", 0.0f, "Off", 2},
    {"L2 Spd", "Hz", 0.2f, "0.800", 0},
    {"L2 Shpe", "Shape", 0.2f, "Tri", 6},
    {"L2 MW", "On/Off", 0.0f, "Off", 2},
    {"L2 Sync", "On/Off", 0.0f, "Off", 2},
    // Overdrive and panner (the position shows -1 left .. +1 right)
    {"OD On", "On/Off", 0.0f, "Off", 2},
    {"OD Lvl", "Level", 0.0f, "0.000", 0},
    {"P MSrc", "Source", 0.0f, "None", 3},
    {"P On", "On/Off", 0.0f, "Off", 2},
    {"P L/R", "L/R", 0.5f, "0.00", 0},
    {"P ModL", "dB", 0.0f, "-oo", 0},
    {"P MPol", "+/-", 1.0f, "+", 2},
    // Chorus: the centre delay shows in seconds, 4095 / 4 samples at 44100 Hz = 0.023
    {"Ch On", "On/Off", 0.0f, "Off", 2},
    {"Ch Dly", "ms", 1.0f, "23.2", 0},
    {"Ch Dpth", "Level", 0.15f, "0.150", 0},
    {"Ch FB", "Level", 0.0f, "0.000", 0},
    {"Ch Freq", "Hz", 0.2f, "0.800", 0},
    {"Ch Mix", "dB", 0.0f, "-oo", 0},
    // Delay: times show in seconds of a one-second line
    {"D On", "On/Off", 0.0f, "Off", 2},
    {"D FB", "Level", 0.0f, "0.000", 0},
    {"D LDly", "ms", 0.25f, "250.0", 0},
    {"D PanD", "On/Off", 0.0f, "Off", 2},
    {"D RDly", "ms", 0.5f, "500.0", 0},
    {"D Mix", "dB", 0.0f, "-oo", 0},
    {"D Sync", "On/Off", 0.0f, "Off", 2},
    // Master level
    {"M Lvl", "dB", 0.75f, "-5.00", 0},
};

} // namespace TestParameters
