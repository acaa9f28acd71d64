// The parameter list in host index order, with the default displays the host must read.
#include "tests/host/ParameterTable.h"

namespace HostCheck
{

// Texts are at most 7 characters: "F Cut" at 0.75 is 9752 Hz, printed "9752.000" and cut to
// "9752.00"; the master level 0.75 is a gain of 0.5625, -5.00 dB.
const ParameterRow kParameterTable[kParameterCount] = {
    {"Poly", "Poly", 1.0f, "Poly"},
    {"MIDI CH", "1-16", 0.0f, "1"},
    {"OMNI", "On/Off", 1.0f, "On"},
    // Oscillator 1
    {"O1 Dtn", "Cents", 0.5f, "0.00"},
    {"O1 Tran", "Semi", 0.5f, "0"},
    {"O1 PBR", "Semi", 0.166667f, "2"},
    {"O1 FM1", "Octave", 0.0f, "0.000"},
    {"O1 FM2", "Octave", 0.0f, "0.000"},
    {"O1 FM1P", "+/-", 1.0f, "+"},
    {"O1 FM2P", "+/-", 1.0f, "+"},
    {"O1 Wave", "Type", 0.0f, "SAW"},
    {"O1 PWOn", "On/Off", 0.0f, "Off"},
    {"O1 PWid", "Width", 0.5f, "0.500"},
    {"O1 PWM", "Level", 0.0f, "0.000"},
    {"O1 PWMP", "+/-", 1.0f, "+"},
    // Oscillator 2
    {"O2 Dtn", "Cents", 0.5f, "0.00"},
    {"O2 Tran", "Semi", 0.5f, "0"},
    {"O2 PBR", "Semi", 0.166667f, "2"},
    {"O2 FM1", "Octave", 0.0f, "0.000"},
    {"O2 FM2", "Octave", 0.0f, "0.000"},
    {"O2 FM1P", "+/-", 1.0f, "+"},
    {"O2 FM2P", "+/-", 1.0f, "+"},
    {"O2 Wave", "Type", 0.0f, "SAW"},
    {"O2 PWOn", "On/Off", 0.0f, "Off"},
    {"O2 PWid", "Width", 0.5f, "0.500"},
    {"O2 PWM", "Level", 0.0f, "0.000"},
    {"O2 PWMP", "+/-", 1.0f, "+"},
    // Oscillator modulation sources, portamento and sync switches
    {"O1 FM1S", "Src", 0.0f, "None"},
    {"O1 FM2S", "Src", 0.0f, "None"},
    {"O1 PWMS", "Src", 0.0f, "None"},
    {"O2 FM1S", "Src", 0.0f, "None"},
    {"O2 FM2S", "Src", 0.0f, "None"},
    {"O2 PWMS", "Src", 0.0f, "None"},
    {"O1 Prta", "On/Off", 0.0f, "Off"},
    {"O2 Prta", "On/Off", 0.0f, "Off"},
    {"O2 Sync", "On/Off", 0.0f, "Off"},
    // Filter
    {"F Cut", "Hz", 0.75f, "9752.00"},
    {"F Res", "Level", 0.0f, "0.000"},
    {"F Type", "Type", 0.0f, "LP"},
    {"F KTrck", "Rate", 0.0f, "0.000"},
    {"F FM1", "Level", 0.0f, "0.000"},
    {"F FM2", "Level", 0.0f, "0.000"},
    {"F FM1PL", "+/-", 1.0f, "+"},
    {"F FM2PL", "+/-", 1.0f, "+"},
    {"F CPrss", "On/Off", 0.0f, "Off"},
    {"F FM1S", "Src", 0.0f, "None"},
    {"F FM2S", "Src", 0.0f, "None"},
    // LFO delays
    {"L1 Dela", "Secs", 0.0f, "0.000"},
    {"L2 Dela", "Secs", 0.0f, "0.000"},
    // Envelope 1: times are norm squared x 10 s
    {"E1 A", "Secs", 0.0f, "0.000"},
    {"E1 D", "Secs", 0.5f, "2.500"},
    {"E1 S", "dB", 0.0f, "-oo"},
    {"E1 R", "Secs", 0.25f, "0.625"},
    {"E1 KT", "Rate", 0.0f, "0.000"},
    {"E1 VDpt", "Depth", 0.0f, "0.000"},
    {"E1 TMod", "Mode", 1.0f, "Retrig"},
    // Envelope 2
    {"E2 A", "Secs", 0.0f, "0.000"},
    {"E2 D", "Secs", 0.5f, "2.500"},
    {"E2 S", "dB", 0.0f, "-oo"},
    {"E2 R", "Secs", 0.25f, "0.625"},
    {"E2 KT", "Rate", 0.0f, "0.000"},
    {"E2 VDpt", "Depth", 0.0f, "0.000"},
    {"E2 TMod", "Mode", 1.0f, "Retrig"},
    // Noise, portamento (0.25 squared x 3 s = 0.1875 s) and the three source levels
    {"N On", "On/Off", 0.0f, "Off"},
    {"Pr Time", "Secs", 0.25f, "0.188"},
    {"O1 Lvl", "dB", 1.0f, "0.00"},
    {"O2 Lvl", "dB", 1.0f, "0.00"},
    {"N Lvl", "dB", 0.0f, "-oo"},
    // LFO 1 and 2: 0.2 squared x 20 Hz = 0.8 Hz, shape 0.2 x 5 = 1 (triangle)
    {"L1 Spd", "Hz", 0.2f, "0.800"},
    {"L1 Shpe", "Shape", 0.2f, "Tri"},
    {"L1 MW", "On/Off", 0.0f, "Off"},
    {"L1 Sync", "On/Off", 0.0f, "Off"},
    {"L2 Spd", "Hz", 0.2f, "0.800"},
    {"L2 Shpe", "Shape", 0.2f, "Tri"},
    {"L2 MW", "On/Off", 0.0f, "Off"},
    {"L2 Sync", "On/Off", 0.0f, "Off"},
    // Overdrive and panner (the position shows -1 left .. +1 right)
    {"OD On", "On/Off", 0.0f, "Off"},
    {"OD Lvl", "Level", 0.0f, "0.000"},
    {"P MSrc", "Source", 0.0f, "None"},
    {"P On", "On/Off", 0.0f, "Off"},
    {"P L/R", "L/R", 0.5f, "0.00"},
    {"P ModL", "dB", 0.0f, "-oo"},
    {"P MPol", "+/-", 1.0f, "+"},
    // Chorus: the centre delay shows in seconds, 4095 / 4 samples at 44100 Hz = 0.023
    {"Ch On", "On/Off", 0.0f, "Off"},
    {"Ch Dly", "ms", 1.0f, "0.023"},
    {"Ch Dpth", "Level", 0.15f, "0.150"},
    {"Ch FB", "Level", 0.0f, "0.000"},
    {"Ch Freq", "Hz", 0.2f, "0.800"},
    {"Ch Mix", "dB", 0.0f, "-oo"},
    // Delay: times show in seconds of a one-second line
    {"D On", "On/Off", 0.0f, "Off"},
    {"D FB", "Level", 0.0f, "0.000"},
    {"D LDly", "ms", 0.25f, "0.250"},
    {"D PanD", "On/Off", 0.0f, "Off"},
    {"D RDly", "ms", 0.5f, "0.500"},
    {"D Mix", "dB", 0.0f, "-oo"},
    {"D Sync", "On/Off", 0.0f, "Off"},
    // Master level
    {"M Lvl", "dB", 0.75f, "-5.00"},
};

} // namespace HostCheck
