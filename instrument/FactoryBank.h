// The built-in factory bank as source data, and the unit helpers that write it in musical units.
#pragma once

// One parameter of a program: its 7-character short name ("F Cut", "E1 A") and its normalised
// value 0..1.
struct FactorySetting
{
    const char* shortName;
    float value;
};

// A named program: at most 23 characters of name (the host's 24-byte field) and only the settings
// that differ from the parameters' defaults; every parameter not listed keeps its default.
struct FactoryProgram
{
    const char* name;
    const FactorySetting* settings;
    int settingCount;
};

// The 128 programs in bank order. Program 0 is the plain, immediately playable init sound.
const FactoryProgram* factoryPrograms();
int factoryProgramCount();

// Conversions from musical units to normalised parameter values. Each one inverts the mapping of
// the parameter it is named for, so the parameter reads back the unit value (times and levels
// within float rounding, enumeration items and integers exactly). Parameters whose own value is a
// plain fraction 0..1 (resonance, key tracking, pulse width, PWM depth, envelope key tracking and
// velocity depth, chorus depth, delay feedback) are written as plain numbers.
namespace FactoryUnits
{

namespace Detail
{

// Newton's iteration from above, in double precision; exact to the last bit for the magnitudes
// used here (0..30).
constexpr double squareRoot(double x)
{
    if (x <= 0.0)
        return 0.0;
    double root = x < 1.0 ? 1.0 : x;
    for (int step = 0; step < 100; ++step)
    {
        const double next = 0.5 * (root + x / root);
        if (next >= root)
            break;
        root = next;
    }
    return root;
}

// e^x for |x| up to about 700: 2^k times a Taylor series of e^r with |r| <= ln 2 / 2.
constexpr double exponential(double x)
{
    constexpr double kLn2 = 0.69314718055994530942;
    const int k = static_cast<int>(x / kLn2 + (x >= 0.0 ? 0.5 : -0.5));
    const double r = x - k * kLn2;
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n < 30; ++n)
    {
        term *= r / n;
        sum += term;
    }
    for (int i = 0; i < k; ++i)
        sum *= 2.0;
    for (int i = 0; i > k; --i)
        sum *= 0.5;
    return sum;
}

// Item k of an enumeration of Enum::Count items sits at k / (Count - 1).
template <typename Enum>
constexpr float item(Enum value)
{
    return static_cast<float>(static_cast<double>(static_cast<int>(value)) /
                              static_cast<double>(static_cast<int>(Enum::Count) - 1));
}

} // namespace Detail

// The oscillators' 26 waves ("O1 Wave", "O2 Wave"), by their long names.
enum class Wave
{
    Sawtooth,
    Triangle,
    Sine,
    Piano,
    EPiano,
    Tine,
    Harpsichord,
    Organ,
    Bell,
    DigiBell,
    Glocken,
    OrientBell,
    PluckString,
    EBass,
    SlapBass,
    SynthBass,
    Brass,
    Oboe,
    Sax,
    Vocal1,
    Vocal2,
    VoxHumana,
    SharpWave,
    MetallicWave,
    FzReed,
    DigiHarms,
    Count
};

// Modulation sources of the oscillator and filter routings ("O1 FM1S", "F FM2S", ...); the LFOs
// arrive through each voice's delayed fade-in.
enum class Source
{
    None,
    Lfo1,
    Lfo2,
    Env1,
    Env2,
    Count
};

// "F Type".
enum class FilterType
{
    Lowpass,
    Highpass,
    Bandpass,
    Notch,
    Count
};

// "L1 Shpe", "L2 Shpe".
enum class LfoShape
{
    Sine,
    Triangle,
    DownRamp,
    UpRamp,
    Square,
    SampleAndHold,
    Count
};

// The LFO's cycle length while its MIDI sync is on (selected through "L1 Spd" / "L2 Spd"): 16, 8,
// 4, 3, 2, 1, 1/2 and 1/4 quarter notes per cycle.
enum class LfoCycle
{
    FourBars,
    TwoBars,
    Whole,
    DottedHalf,
    Half,
    Quarter,
    Eighth,
    Sixteenth,
    Count
};

// The echo time while "D Sync" is on (selected through "D LDly" / "D RDly"): one quarter-note beat
// divided by 8, 7, 6, 5, 4, 3, 2 and 1.
enum class Echo
{
    ThirtySecond,
    SixteenthSeptuplet,
    SixteenthTriplet,
    SixteenthQuintuplet,
    Sixteenth,
    EighthTriplet,
    Eighth,
    Quarter,
    Count
};

// "P MSrc": the panner's modulation source, the global LFOs without delay.
enum class PanSource
{
    None,
    Lfo1,
    Lfo2,
    Count
};

// "E1 TMod", "E2 TMod": Legato ignores a new note while the envelope is still up.
enum class TriggerMode
{
    Legato,
    Retrig,
    Count
};

constexpr float wave(Wave value)
{
    return Detail::item(value);
}
constexpr float source(Source value)
{
    return Detail::item(value);
}
constexpr float filterType(FilterType value)
{
    return Detail::item(value);
}
constexpr float lfoShape(LfoShape value)
{
    return Detail::item(value);
}
constexpr float lfoCycle(LfoCycle value)
{
    return Detail::item(value);
}
constexpr float echo(Echo value)
{
    return Detail::item(value);
}
constexpr float panSource(PanSource value)
{
    return Detail::item(value);
}
constexpr float triggerMode(TriggerMode value)
{
    return Detail::item(value);
}

// Switches ("N On", "O2 Sync", ...) and the two-state settings whose default is the other state.
constexpr float kOn = 1.0f;
constexpr float kNegative = 0.0f; // a polarity ("O1 FM1P", "F FM2PL", "P MPol", ...) of -1
constexpr float kMono = 0.0f;     // "Poly": one voice, last-note priority

// "O1 Tran", "O2 Tran": -24..+24 semitones.
constexpr float semitones(int value)
{
    return static_cast<float>(value + 24) / 48.0f;
}

// "O1 Dtn", "O2 Dtn": -100..+100 cents.
constexpr float cents(double value)
{
    return static_cast<float>((value / 100.0 + 1.0) * 0.5);
}

// "O1 PBR", "O2 PBR": pitch-bend range 0..12 semitones.
constexpr float bendRange(int value)
{
    return static_cast<float>(value) / 12.0f;
}

// "O1 FM1" ... "O2 FM2": the pitch moves by this many octaves (0..1) for a source at 1.
constexpr float fmOctaves(double value)
{
    return static_cast<float>(Detail::squareRoot(value));
}
constexpr float fmSemitones(double value)
{
    return fmOctaves(value / 12.0);
}

// "F Cut": the cutoff as a MIDI note number 0..128 (69 is 440 Hz). With "F KTrck" k the cutoff
// sits at the note k x key + this value, so with full key tracking it is the interval above the
// played key.
constexpr float cutoffNote(double value)
{
    return static_cast<float>(value / 128.0);
}

// "F FM1", "F FM2": the cutoff moves by this many octaves (0..10) for a source at 1.
constexpr float filterOctaves(double value)
{
    return static_cast<float>(value / 10.0);
}

// "E1 A" ... "E2 R": envelope segment times 0..10 s.
constexpr float seconds10(double value)
{
    return static_cast<float>(Detail::squareRoot(value / 10.0));
}

// Squared gains 0..1: oscillator, noise and master levels, sustain, pan depth, effect mixes.
constexpr float gain(double value)
{
    return static_cast<float>(Detail::squareRoot(value));
}
constexpr float decibels(double value)
{
    constexpr double kLn10 = 2.30258509299404568402;
    // gain = 10^(dB / 20) and the setting is its square root, 10^(dB / 40).
    return static_cast<float>(Detail::exponential(value / 40.0 * kLn10));
}

// "L1 Dela", "L2 Dela": the LFO's fade-in after each note, 0..4 s (linear).
constexpr float seconds4(double value)
{
    return static_cast<float>(value / 4.0);
}

// "Pr Time": portamento time 0..3 s.
constexpr float seconds3(double value)
{
    return static_cast<float>(Detail::squareRoot(value / 3.0));
}

// "L1 Spd", "L2 Spd" while sync is off: 0..20 Hz.
constexpr float hz20(double value)
{
    return static_cast<float>(Detail::squareRoot(value / 20.0));
}

// "OD Lvl": the clipper's input gain, 1 (level 0) to 26 (level 1).
constexpr float overdrive(double inputGain)
{
    return static_cast<float>(Detail::squareRoot((inputGain - 1.0) / 25.0));
}

// "P L/R": -1 hard left .. +1 hard right.
constexpr float pan(double value)
{
    return static_cast<float>((value + 1.0) * 0.5);
}

// "Ch Dly": the centre delay in milliseconds. A setting of 1 is a quarter of the chorus line,
// 1023.75 samples at 44100 Hz (the line scales with the sample rate), 23.214 ms.
constexpr float chorusMs(double value)
{
    return static_cast<float>(value / 23.2142857142857);
}

// "Ch FB": feedback 0..0.99.
constexpr float chorusFeedback(double value)
{
    return static_cast<float>(value / 0.99);
}

// "Ch Freq": sweep rate 0..4 Hz.
constexpr float chorusHz(double value)
{
    return static_cast<float>(value / 4.0);
}

// "D LDly", "D RDly" while sync is off: 0..1 s.
constexpr float delaySeconds(double value)
{
    return static_cast<float>(value);
}

} // namespace FactoryUnits
