// Finds clicks in a render: short windows whose energy above a high corner frequency stands out
// from the high-band energy around them.
#pragma once

#include <cstddef>
#include <vector>

namespace Onsets
{

// A click is broadband: a step or a kink in the waveform spreads energy up to the Nyquist
// frequency, where a band-limited, filtered instrument has little. The high band is measured
// above cornerHz with a fourth-order Butterworth high-pass, as the RMS of each window in dBFS.
struct Options
{
    double cornerHz = 12000.0;
    int windowFrames = 64; // about 1.5 ms at 44.1 kHz
    // A window is an onset when its high band lies riseDb above the median high band of the
    // contextWindows windows on each side of it (its background), and above floorDb.
    int contextWindows = 32;
    double riseDb = 15.0;
    double floorDb = -100.0;
};

struct Onset
{
    std::size_t frame;   // first frame of the window
    double highBandDb;   // the window's high-band RMS, dBFS
    double backgroundDb; // the median high band of the windows around it, dBFS
    double levelDb;      // the full-band RMS of the window and its context, dBFS
};

// The high-band RMS of each window of windowFrames frames, in dBFS (-inf for digital silence).
std::vector<double> highBandLevels(const float* samples, std::size_t count, double sampleRateHz,
                                   const Options& options = {});

// The windows that stand out; at most one onset per run of adjacent windows (the loudest).
std::vector<Onset> find(const float* samples, std::size_t count, double sampleRateHz,
                        const Options& options = {});

} // namespace Onsets
