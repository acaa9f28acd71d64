// The tavrel-render program: options, song, plug-in set-up, listings, presets, render, summary.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class RenderApp
{
public:
    // Exit statuses: success, failure of loading or rendering, bad options.
    static constexpr int kSuccess = 0;
    static constexpr int kFailure = 1;
    static constexpr int kUsage = 2;

    // args without the program name; out receives listings and the summary, err the messages
    // and the progress bar. executableDirectory locates the default plug-in.
    static int run(const std::vector<std::string>& args, const std::string& executableDirectory,
                   std::FILE* out, std::FILE* err);

    // The plug-in tried when --plugin is not given: the Tavrel build beside the tool
    // (tavrel.so natively, Tavrel.dll or Tavrel64.dll for 32- and 64-bit Windows).
    static std::string defaultPlugin(const std::string& executableDirectory);
    // The directory of the running executable, or "." when it cannot be found.
    static std::string executableDirectory(const char* argv0);
};
