// tavrel-footprint: the resident memory of a process that hosts several instances of a VST 2.4
// instrument, as they open and as they play.
//
// Loads the plug-in, opens the instances at 44.1 kHz (each with the program and settings asked
// for), then lets every instance play sixteen held notes (MIDI notes 36, 39, ..., 81, velocity
// 100) for two seconds in host blocks. The resident set (VmRSS on Linux, the working set on
// Windows) is read before loading, after loading, after opening and after playing.
#include "tools/bench/BenchHost.h"
#include "tools/host/PluginLibrary.h"
#include "tools/render/PluginInstance.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>
#endif

namespace
{

using BenchHost::kSampleRate;

// The resident memory of this process in bytes, or 0 when it cannot be read.
double residentBytes()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)) == 0)
    {
        return 0.0;
    }
    return static_cast<double>(counters.WorkingSetSize);
#else
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
    {
        return 0.0;
    }
    char line[256];
    double kilobytes = 0.0;
    while (std::fgets(line, sizeof(line), status) != nullptr)
    {
        if (std::strncmp(line, "VmRSS:", 6) == 0)
        {
            kilobytes = std::atof(line + 6);
            break;
        }
    }
    std::fclose(status);
    return kilobytes * 1024.0;
#endif
}

double megabytes(double bytes)
{
    return bytes / (1024.0 * 1024.0);
}

int usage()
{
    std::fprintf(stderr,
                 "usage: tavrel-footprint [--plugin FILE] [--instances N] [--block FRAMES] "
                 "[--program N] [--effects]\n"
                 "Opens N instances (default 16) at 44.1 kHz, plays 16 held notes on each for 2 s "
                 "in host\nblocks (default 512 frames) and prints the process's resident memory "
                 "on the way.\n--effects switches every effect on (overdrive, panner, chorus, "
                 "delay); --program selects\na program first (default: the plug-in's own).\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string plugin = BenchHost::pluginBeside(argv[0]);
    int instanceCount = 16;
    int blockFrames = 512;
    int program = -1;
    bool effects = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--plugin" && hasValue)
        {
            plugin = argv[++i];
        }
        else if (option == "--instances" && hasValue)
        {
            instanceCount = std::atoi(argv[++i]);
        }
        else if (option == "--block" && hasValue)
        {
            blockFrames = std::atoi(argv[++i]);
        }
        else if (option == "--program" && hasValue)
        {
            program = std::atoi(argv[++i]);
        }
        else if (option == "--effects")
        {
            effects = true;
        }
        else
        {
            return usage();
        }
    }
    if (instanceCount < 1 || instanceCount > 256 || blockFrames < 1 || blockFrames > 8192)
    {
        return usage();
    }

    VstTimeInfo time = BenchHost::playingTransport();
    const std::vector<VstMidiEvent> notes = BenchHost::heldNotes();
    std::vector<std::vector<float>> buffers(
        PluginInstance::kMaxChannels, std::vector<float>(static_cast<std::size_t>(blockFrames)));
    std::vector<float*> outputs;
    for (auto& buffer : buffers)
    {
        outputs.push_back(buffer.data());
    }
    const double before = residentBytes();
    PluginLibrary library;
    if (!library.load(plugin))
    {
        std::fprintf(stderr, "tavrel-footprint: %s\n", library.error().c_str());
        return 1;
    }
    const double loaded = residentBytes();

    std::vector<std::unique_ptr<PluginInstance>> instances;
    for (int n = 0; n < instanceCount; ++n)
    {
        auto instance = std::make_unique<PluginInstance>();
        std::string error;
        if (!instance->open(library.findEntry(), kSampleRate, blockFrames, error))
        {
            std::fprintf(stderr, "tavrel-footprint: %s: %s\n", plugin.c_str(), error.c_str());
            return 1;
        }
        if (program >= 0)
        {
            instance->setProgram(program);
        }
        if (effects && !BenchHost::apply(*instance, BenchHost::everyEffectOn(), error))
        {
            std::fprintf(stderr, "tavrel-footprint: %s\n", error.c_str());
            return 1;
        }
        instance->start();
        instances.push_back(std::move(instance));
    }
    const double opened = residentBytes();

    const long blocks = static_cast<long>(2.0 * kSampleRate) / blockFrames + 1;
    for (long block = 0; block < blocks; ++block)
    {
        time.samplePos = static_cast<double>(block * blockFrames);
        time.ppqPos = time.samplePos / kSampleRate * 2.0;
        for (auto& instance : instances)
        {
            instance->process(block == 0 ? notes : std::vector<VstMidiEvent>{}, time,
                              outputs.data(), blockFrames);
        }
    }
    const double played = residentBytes();

    std::printf("%s, %d instances, blocks of %d frames%s%s\n", plugin.c_str(), instanceCount,
                blockFrames, effects ? ", every effect on" : "",
                program >= 0 ? (", program " + std::to_string(program)).c_str() : "");
    std::printf("resident before loading       %8.1f MB\n", megabytes(before));
    std::printf("resident after loading        %8.1f MB\n", megabytes(loaded));
    std::printf("resident with instances open  %8.1f MB  (%.2f MB per instance)\n",
                megabytes(opened), megabytes(opened - loaded) / instanceCount);
    std::printf("resident after 2 s of play    %8.1f MB  (%.2f MB per instance)\n",
                megabytes(played), megabytes(played - loaded) / instanceCount);
    for (auto& instance : instances)
    {
        instance->close();
    }
    return 0;
}
