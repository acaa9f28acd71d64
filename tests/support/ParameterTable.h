// The instrument's 97 parameters as the tests know them, written down apart from the code: short
// name, label, default and its display as a host sees them, and the number of steps.
#pragma once

namespace TestParameters
{

struct ParameterRow
{
    const char* name;
    const char* label;
    float defaultNorm;
    // The display at defaultNorm with MIDI sync off and the sample rate at 44100 Hz.
    const char* display;
    // The number of states of a stepped parameter, 0 for a continuous one.
    int states;
};

constexpr int kParameterCount = 97;
extern const ParameterRow kParameterTable[kParameterCount];

// Indexes the checks use by name.
namespace Index
{
constexpr int kPoly = 0;
constexpr int kMidiChannel = 1;
constexpr int kOmni = 2;
constexpr int kOsc1Wave = 10;
constexpr int kOsc1Level = 65;
constexpr int kOsc2Level = 66;
constexpr int kFilterCutoff = 36;
constexpr int kFilterResonance = 37;
constexpr int kEnv1Attack = 49;
constexpr int kEnv1Sustain = 51;
constexpr int kEnv1Release = 52;
constexpr int kLfo1Speed = 68;
constexpr int kLfo1Sync = 71;
constexpr int kLfo2Speed = 72;
constexpr int kLfo2Sync = 75;
constexpr int kPanPosition = 80;
constexpr int kDelayFeedback = 90;
constexpr int kDelayLeftTime = 91;
constexpr int kDelayRightTime = 93;
constexpr int kDelaySync = 95;
constexpr int kMasterLevel = 96;
} // namespace Index

} // namespace TestParameters
