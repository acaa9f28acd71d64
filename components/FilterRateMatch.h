// The filter's coefficients at rates other than 44100 Hz, chosen so that a setting gives the
// response in Hz it gives at 44100 Hz.
#pragma once

// At 44100 Hz the filter maps a cutoff c44 (cycles per sample at 44100 Hz) and a resonance r onto
// a stage coefficient g44 and a feedback gain k44 = (1 + 1 / (1 - g44)) r, and each mode's output
// is a sum of the input and the two stages (lowpass s2, highpass x - s2, bandpass s1 - s2, notch
// x - s1 + s2). Run at another rate with the same mapping, a setting sounds darker the higher the
// rate: the cubic that bends g44 near half the rate bends at a different frequency in Hz.
//
// The table gives, per rate, the g and k whose two closed-loop poles are those of (g44, k44)
// carried to the new rate (a pole p at 44100 Hz becomes p^(44100 / rate): the same decay and
// ring in seconds), which keeps the resonant peak and the lowpass corner where they were in Hz.
// The zeros of the highpass, bandpass and notch outputs are carried the same way, with the gain
// that matches the 44100 Hz response at one frequency near the cutoff; each such output becomes
// m0 x + m1 s1 + m2 s2 with the entry's mix.
//
// The table spans c44 0..0.5 in kCutoffSteps steps and r 0..1 in kResonanceSteps steps; the
// filter reads it with bilinear interpolation. Where the carried poles have no such (g, k),
// which happens only at rates below 44100 Hz for cutoffs near that rate's half, the entry keeps
// the rate's plain mapping of the same cutoff in Hz; where zeros cannot be carried, the mode's
// plain output.
class FilterRateMatch
{
public:
    static constexpr int kCutoffSteps = 64;
    static constexpr int kResonanceSteps = 8;
    static constexpr float kMaxCutoff = 0.5f; // c44

    // The fields of an entry: g, k, then m0, m1, m2 for the highpass, bandpass and notch.
    enum
    {
        kCoefficient = 0,
        kFeedback = 1,
        kMixes = 2, // + 3 x (mode - 1) for the highpass (1), bandpass (2) and notch (3)
        kFields = 11,
    };

    // Fills the table for rateHz (positive and finite); range is the cubic's factor q and
    // minimum the smallest coefficient, as the filter uses them. Not on the audio thread: about
    // 600 entries computed in double (about a millisecond), or a copy of the table built last
    // when that was for the same values (taking a lock shared by every filter).
    void build(float rateHz, float range, float minimum);

    // rateHz / 44100: turns cycles per sample at the rate into c44.
    float cutoffScale() const { return scale; }

    // kResonanceSteps + 1 rows of kRowLength entries of kFields floats: entry (row, column) is
    // for r = row / kResonanceSteps and c44 = column x kMaxCutoff / kCutoffSteps.
    static constexpr int kRowLength = kCutoffSteps + 1;
    static constexpr int kEntries = kRowLength * (kResonanceSteps + 1);
    const float* entries() const { return table; }

private:
    void compute(float rateHz, float range, float minimum);

    // What the table was built for; a rate of 0 for none.
    float builtRate = 0.0f;
    float builtRange = 0.0f;
    float builtMinimum = 0.0f;
    float scale = 1.0f;
    float table[kEntries * kFields] = {};
};
