// Signal handlers of the render tool: only async-signal-safe calls inside them.
#include "tools/render/SignalGuard.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#define writeFd _write
#define unlinkFile _unlink
#else
#include <unistd.h>
#define writeFd ::write
#define unlinkFile ::unlink
#endif

namespace
{

volatile std::sig_atomic_t stopSignal = 0;
bool installed = false;

// Filled by setContext before each use, read by the crash handler; fixed storage, since the
// handler may not allocate.
char crashMessage[1024] = " crashed\n";
char partialFile[4096] = "";

const int kCrashSignals[] = {
    SIGSEGV, SIGILL, SIGFPE, SIGABRT,
#ifdef SIGBUS
    SIGBUS,
#endif
};

void writeText(const char* text)
{
    (void)!writeFd(2, text, static_cast<unsigned>(std::strlen(text)));
}

// Removes the partial file and ends the process as the signal does by default.
[[noreturn]] void endBySignal(int signal)
{
    if (partialFile[0] != '\0')
    {
        unlinkFile(partialFile);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

// The first request stops the render at its next block; a second one ends the process at once.
void onStop(int signal)
{
    if (stopSignal != 0)
    {
        endBySignal(signal);
    }
    stopSignal = signal;
}

void onCrash(int signal)
{
    writeText("tavrel-render: error: ");
    writeText(SignalGuard::signalName(signal));
    writeText(crashMessage);
    endBySignal(signal);
}

void copyText(char* target, std::size_t size, const std::string& text)
{
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(target, text.data(), length);
    target[length] = '\0';
}

} // namespace

void SignalGuard::install()
{
    installed = true;
    std::signal(SIGINT, onStop);
    std::signal(SIGTERM, onStop);
    for (const int signal : kCrashSignals)
    {
        std::signal(signal, onCrash);
    }
}

int SignalGuard::stopRequested()
{
    return stopSignal;
}

void SignalGuard::setContext(const std::string& pluginName, const std::string& partialPath)
{
    // The handlers read both arrays; keep them out while they change.
    for (const int signal : kCrashSignals)
    {
        std::signal(signal, SIG_DFL);
    }
    copyText(crashMessage, sizeof(crashMessage),
             ": crashed while hosting " + pluginName +
                 (partialPath.empty() ? std::string() : "; the partial output was removed") + "\n");
    copyText(partialFile, sizeof(partialFile), partialPath);
    if (installed)
    {
        install();
    }
}

const char* SignalGuard::signalName(int signal)
{
    switch (signal)
    {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGSEGV:
        return "SIGSEGV";
    case SIGABRT:
        return "SIGABRT";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
#ifdef SIGBUS
    case SIGBUS:
        return "SIGBUS";
#endif
    default:
        return "a signal";
    }
}
