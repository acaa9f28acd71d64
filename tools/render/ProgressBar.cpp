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

void ProgressBar::update(std::uint64_t frames, std::uint64_t planned, double sampleRate)
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
    std::fprintf(stderr, "\rrendering [%s] %6.1f s", bar.c_str(),
                 static_cast<double>(frames) / sampleRate);
    std::fflush(stderr);
}

void ProgressBar::finish()
{
    if (enabled && drawn)
    {
        std::fprintf(stderr, "\r%70s\r", "");
        std::fflush(stderr);
        drawn = false;
    }
}
