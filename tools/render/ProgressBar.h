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

    // Redraws at most ten times a second. planned 0 shows frames only.
    void update(std::uint64_t frames, std::uint64_t planned, double sampleRate);
    // Clears the line.
    void finish();

private:
    bool enabled;
    bool drawn = false;
    std::chrono::steady_clock::time_point lastDraw;
};
