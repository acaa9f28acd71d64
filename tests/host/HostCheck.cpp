// Drives a built Tavrel plug-in only through its exported entry and AEffect, as a host would.
// Built natively (dlopen on tavrel.so) and for Windows (LoadLibrary on the DLL, run under Wine).
//
//   tavrel-hostcheck [--verbose] [--group NAMES] [--skip NAMES] PLUGIN
//                                                         run the checks (NAMES: a,b,...)
//   tavrel-hostcheck --describe PLUGIN                   print the descriptor and parameters
//   tavrel-hostcheck --render FILE PLUGIN                write the reference render
//   tavrel-hostcheck --compare REFERENCE OTHER TOLERANCE compare two reference renders
#include "tests/host/Checks.h"
#include "tests/host/HostSession.h"
#include "tests/host/ReferenceRender.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

using namespace HostCheck;

// Prints the descriptor and the parameter list as a host reads them.
int describe()
{
    HostSession session;
    if (!session.isOpen())
    {
        std::fprintf(stderr, "the entry gave no plug-in\n");
        return 1;
    }
    AEffect* effect = session.effect();
    char effectName[64] = {};
    char vendor[64] = {};
    char product[64] = {};
    session.dispatch(effGetEffectName, 0, 0, effectName);
    session.dispatch(effGetVendorString, 0, 0, vendor);
    session.dispatch(effGetProductString, 0, 0, product);
    const VstInt32 id = effect->uniqueID;
    std::printf("effect   %s\nvendor   %s\nproduct  %s\n", effectName, vendor, product);
    std::printf("id       '%c%c%c%c' (0x%08X)\nversion  %d\nflags    0x%X\n",
                static_cast<char>((id >> 24) & 0xFF), static_cast<char>((id >> 16) & 0xFF),
                static_cast<char>((id >> 8) & 0xFF), static_cast<char>(id & 0xFF),
                static_cast<unsigned>(id), effect->version, static_cast<unsigned>(effect->flags));
    std::printf("inputs   %d\noutputs  %d\nprograms %d\nparams   %d\ncategory %d\n",
                effect->numInputs, effect->numOutputs, effect->numPrograms, effect->numParams,
                static_cast<int>(session.dispatch(effGetPlugCategory)));
    std::printf("\n  #  name     label    display  value\n");
    for (VstInt32 index = 0; index < effect->numParams; ++index)
    {
        std::printf("%3d  %-8s %-8s %-8s %.4f\n", index, session.parameterName(index).c_str(),
                    session.parameterLabel(index).c_str(), session.parameterDisplay(index).c_str(),
                    static_cast<double>(session.getParameter(index)));
    }
    return 0;
}

int usage(const char* program)
{
    std::fprintf(stderr,
                 "usage: %s [--verbose] [--group NAMES] [--skip NAMES] PLUGIN\n"
                 "       %s --describe PLUGIN\n"
                 "       %s --render FILE PLUGIN\n"
                 "       %s --compare REFERENCE OTHER TOLERANCE\n",
                 program, program, program, program);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--compare") == 0)
    {
        char* end = nullptr;
        const double tolerance = std::strtod(argv[4], &end);
        if (end == argv[4] || *end != '\0' || !(tolerance >= 0.0))
        {
            return usage(argv[0]);
        }
        return compareFiles(argv[2], argv[3], tolerance);
    }

    std::string mode;
    std::string renderPath;
    int argument = 1;
    while (argument < argc - 1)
    {
        const std::string option = argv[argument];
        if (option == "--verbose")
        {
            setVerbose(true);
            ++argument;
        }
        else if (option == "--group" && argument + 2 < argc)
        {
            setGroupFilter(argv[argument + 1]);
            argument += 2;
        }
        else if (option == "--skip" && argument + 2 < argc)
        {
            setGroupSkip(argv[argument + 1]);
            argument += 2;
        }
        else if (option == "--describe" && mode.empty())
        {
            mode = option;
            ++argument;
        }
        else if (option == "--render" && mode.empty() && argument + 2 < argc)
        {
            mode = option;
            renderPath = argv[argument + 1];
            argument += 2;
        }
        else
        {
            return usage(argv[0]);
        }
    }
    if (argument != argc - 1)
    {
        return usage(argv[0]);
    }

    const char* path = argv[argc - 1];
    PluginLibrary library;
    if (!library.load(path))
    {
        std::fprintf(stderr, "%s\n", library.error().c_str());
        return 2;
    }
    HostSession::setEntry(library.findEntry());
    if (mode == "--describe")
    {
        return describe();
    }
    if (mode == "--render")
    {
        return renderToFile(renderPath);
    }

    const auto start = std::chrono::steady_clock::now();
    runGroup("entry", [&library] { checkEntryPoints(library); });
    runGroup("descriptor", checkDescriptor);
    runGroup("opcodes", checkBadOpcodes);
    runGroup("parameters", checkParameters);
    runGroup("chunks", checkChunks);
    runGroup("midi-learn", checkMidiLearn);
    runGroup("playing", checkPlaying);
    runGroup("programs", checkPrograms);
    // The bank's levels are the longest group: two halves that can run side by side.
    runGroup("levels-low", [] { checkLevels(0, 64); });
    runGroup("levels-high", [] { checkLevels(64, 128); });
    runGroup("blocks", checkBlocks);
    runGroup("settling", checkSettling);
    runGroup("midi", checkMidi);
    runGroup("damage", checkDamage);
    runGroup("lifecycle", checkLifecycle);
    runGroup("render", checkReferenceRender);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (const std::string unknown = unmatchedGroups(); !unknown.empty())
    {
        std::fprintf(stderr, "no group named %s\n", unknown.c_str());
        return 2;
    }

    std::printf("%s: %d checks, %d failed, %.1f s\n", path, checkCount(), failureCount(), seconds);
    if (failureCount() == 0)
    {
        std::printf("host check passed\n");
    }
    return failureCount() == 0 ? 0 : 1;
}
