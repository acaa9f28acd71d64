// tavrel-render: renders MIDI files through a VST 2.4 instrument into WAV files.
#include "tools/render/RenderApp.h"
#include "tools/render/SignalGuard.h"

#include <exception>

int main(int argc, char** argv)
{
    SignalGuard::install();
    try
    {
        std::vector<std::string> args(argv + 1, argv + argc);
        return RenderApp::run(args, RenderApp::executableDirectory(argc > 0 ? argv[0] : nullptr),
                              stdout, stderr);
    }
    catch (const std::exception& exception)
    {
        std::fprintf(stderr, "tavrel-render: error: %s\n", exception.what());
        return RenderApp::kFailure;
    }
}
