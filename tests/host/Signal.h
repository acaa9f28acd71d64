// Signal measurements for the host check: tone levels, pitch, and the difference of two renders.
#pragma once

#include <cstddef>
#include <vector>

namespace HostCheck
{

// Amplitude of the sinusoid at frequencyHz, Hann-windowed so that neighbouring tones a few
// bins away do not leak in; a unit sine gives about 1.
double windowedTone(const float* x, std::size_t count, double frequencyHz, double sampleRateHz);

// The frequency of the strongest spectral peak within +-6 % of guessHz (the windowed DFT
// maximised by a fine search): accurate to a fraction of a cent over a fraction of a second.
double peakFrequency(const float* x, std::size_t count, double guessHz, double sampleRateHz);

// The interval from referenceHz to hz in cents.
double cents(double hz, double referenceHz);

// The frequency of a MIDI note in equal temperament with A4 (note 69) at 440 Hz.
double noteHz(double note);

// How far a render lies from a reference.
struct Difference
{
    double maxAbsolute = 0.0; // largest sample difference
    double referencePeak = 0.0;
    double relative = 0.0;    // maxAbsolute / referencePeak
    double correlation = 0.0; // normalised cross-correlation at lag 0
    std::size_t worstIndex = 0;
};

Difference difference(const float* reference, const float* other, std::size_t count);

} // namespace HostCheck
