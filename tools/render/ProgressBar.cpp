// Drawing the progress bar with carriage returns.
#include "tools/render/ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

ProgressBar::ProgressBar(bool wanted) : enabled(wanted && stderrIsTerminal()) {}

ProgressBar::~ProgressBar()
{
    finish();
}

bool ProgressBar::stderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

void ProgressBar::update(std::uint64_t frames, std::uint64_t planned, double sampleRate,
                         bool tailOpen)
{
    if (!enabled)
    {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (drawn && now - lastDraw < std::chrono::milliseconds(100))
    {
        return;
    }
    lastDraw = now;
    drawn = true;
    constexpr int kWidth = 40;
    const double fraction =
        planned > 0 ? std::min(1.0, static_cast<double>(frames) / static_cast<double>(planned))
                    : 0.0;
    const int filled = static_cast<int>(fraction * kWidth);
    const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(kWidth - filled), '-');
    const double done = static_cast<double>(frames) / sampleRate;
    const double total = static_cast<double>(planned) / sampleRate;
    const double elapsed = std::chrono::duration<double>(now - started).count();
    char left[32] = "";
    if (frames > 0 && planned > frames)
    {
        const auto seconds = static_cast<long long>(elapsed * (total - done) / done + 0.5);
        std::snprintf(left, sizeof(left), ", %lld:%02lld left", seconds / 60, seconds % 60);
    }
    else if (planned > 0 && tailOpen)
    {
        std::snprintf(left, sizeof(left), ", tail");
    }
    std::fprintf(stderr, "\rrendering [%s] %6.1f / %.1f s%s%s   ", bar.c_str(), done, total,
                 tailOpen ? " + tail" : "", left);
    std::fflush(stderr);
}

void ProgressBar::finish()
{
    if (enabled && drawn)
    {
        std::fprintf(stderr, "\r%100s\r", "");
        std::fflush(stderr);
        drawn = false;
    }
}
