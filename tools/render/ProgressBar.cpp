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

void ProgressBar::update(std::uint64_t frames, std::uint64_t songFrames, std::uint64_t limit,
                         double sampleRate, bool autoTail)
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
    // The bar and the time left run to the song's end while an automatic tail is still ahead,
    // then to the tail's maximum, which the tail may not reach.
    const bool inTail = autoTail && frames >= songFrames;
    const std::uint64_t target = autoTail && !inTail ? songFrames : limit;
    constexpr int kWidth = 40;
    const double fraction =
        target > 0 ? std::min(1.0, static_cast<double>(frames) / static_cast<double>(target)) : 1.0;
    const int filled = static_cast<int>(fraction * kWidth);
    const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(kWidth - filled), '-');
    const double done = static_cast<double>(frames) / sampleRate;
    const double elapsed = std::chrono::duration<double>(now - started).count();
    long long left = 0;
    if (frames > 0 && target > frames)
    {
        left = static_cast<long long>(
            elapsed * static_cast<double>(target - frames) / static_cast<double>(frames) + 0.5);
    }
    const double song = static_cast<double>(songFrames) / sampleRate;
    const double most = static_cast<double>(limit) / sampleRate;
    if (!autoTail)
    {
        std::fprintf(stderr, "\rrendering [%s] %6.1f / %.1f s, %lld:%02lld left   ", bar.c_str(),
                     done, most, left / 60, left % 60);
    }
    else if (!inTail)
    {
        std::fprintf(stderr, "\rrendering [%s] %6.1f / %.1f s + tail, %lld:%02lld left   ",
                     bar.c_str(), done, song, left / 60, left % 60);
    }
    else
    {
        std::fprintf(stderr,
                     "\rrendering [%s] %6.1f s, tail until silent (at most %.1f s, "
                     "%lld:%02lld)   ",
                     bar.c_str(), done, most, left / 60, left % 60);
    }
    std::fflush(stderr);
}

void ProgressBar::finish()
{
    if (enabled && drawn)
    {
        std::fprintf(stderr, "\r%110s\r", "");
        std::fflush(stderr);
        drawn = false;
    }
}
