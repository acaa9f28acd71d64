// A one-line progress bar on stderr, shown only when stderr is a terminal.
#pragma once

#include <chrono>
#include <cstdint>

class ProgressBar
{
public:
    explicit ProgressBar(bool wanted);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    static bool stderrIsTerminal();

    // Redraws at most ten times a second: seconds done, of the planned limit (a fixed tail) or of
    // the song's songFrames (an automatic tail, "+ tail"), and the time left at the speed so far;
    // once in an automatic tail, the most it can still take.
    void update(std::uint64_t frames, std::uint64_t songFrames, std::uint64_t limit,
                double sampleRate, bool autoTail);
    // Clears the line.
    void finish();

private:
    bool enabled;
    bool drawn = false;
    std::chrono::steady_clock::time_point lastDraw;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};
