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

    // Redraws at most ten times a second: seconds done of the planned seconds and the time left
    // at the speed so far. With tailOpen the planned frames are the song's and an automatic tail
    // of unknown length follows ("+ tail"). planned 0 shows frames only.
    void update(std::uint64_t frames, std::uint64_t planned, double sampleRate, bool tailOpen);
    // Clears the line.
    void finish();

private:
    bool enabled;
    bool drawn = false;
    std::chrono::steady_clock::time_point lastDraw;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};
