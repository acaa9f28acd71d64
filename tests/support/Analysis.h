// Signal analysis for tests: levels, frequencies, spectra and timing of rendered blocks.
#pragma once

#include <cstddef>
#include <vector>

namespace TestAnalysis
{

// Amplitude of the sinusoid at frequencyHz in x (Goertzel, Hann window not applied): a full-scale
// sine whose frequency fits a whole number of cycles gives 1.
double toneAmplitude(const float* x, std::size_t count, double frequencyHz, double sampleRateHz);

// Amplitudes of harmonics 1..maxHarmonic of a single cycle of count samples (DFT bins 1..max).
std::vector<double> harmonicAmplitudes(const float* cycle, std::size_t count, int maxHarmonic);

// Frequency from the rising zero crossings, interpolated between samples; 0 when fewer than two.
double zeroCrossingFrequency(const float* x, std::size_t count, double sampleRateHz);

double rms(const float* x, std::size_t count);
double rmsDb(const float* x, std::size_t count); // -inf for silence
double peak(const float* x, std::size_t count);

// Index of the first sample whose magnitude is at least threshold, or -1.
long firstIndexAtLeast(const float* x, std::size_t count, double threshold);
// Index of the last sample whose magnitude is at least threshold, or -1.
long lastIndexAtLeast(const float* x, std::size_t count, double threshold);

bool allFinite(const float* x, std::size_t count);

// Level ratio in decibels.
double decibels(double ratio);

} // namespace TestAnalysis
