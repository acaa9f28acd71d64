// tavrel-peerbench: the real-time factor of Tavrel beside another VST 2.4 instrument, measured in
// one run with alternating rounds, so that both see the same machine load.
//
// Each run makes a new instance at 44.1 kHz with blocks of 512 frames, starts sixteen notes at
// velocity 100 (MIDI notes 36, 39, ..., 81) in the first block and holds them for the render
// length; only the wall time inside processReplacing counts. Tavrel plays factory program 0 twice,
// once with its effects off and once with every effect on; the peer plays its default program.
#include "tools/bench/BenchHost.h"
#include "tools/host/PluginLibrary.h"
#include "tools/render/PluginInstance.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using BenchHost::kNoteCount;
using BenchHost::kSampleRate;
using BenchHost::Setting;

constexpr int kBlockFrames = 512;

struct Case
{
    std::string label;
    std::string path;
    bool tavrel;
    const std::vector<Setting>* settings;
    std::vector<double> factors;
};

// One render; the real-time factor, or a negative value with error set.
double measure(const Case& benchCase, double seconds, std::string& error)
{
    PluginLibrary library;
    if (!library.load(benchCase.path))
    {
        error = library.error();
        return -1.0;
    }
    PluginInstance instance;
    if (!instance.open(library.findEntry(), kSampleRate, kBlockFrames, error))
    {
        return -1.0;
    }
    if (instance.numOutputs() < 1)
    {
        error = benchCase.path + " has no outputs";
        return -1.0;
    }
    if (benchCase.tavrel)
    {
        instance.setProgram(0);
        if (!BenchHost::apply(instance, *benchCase.settings, error))
        {
            return -1.0;
        }
    }
    instance.start();

    VstTimeInfo time = BenchHost::playingTransport();
    instance.hosted().setTimeInfo(&time);

    std::vector<VstMidiEvent> notes = BenchHost::heldNotes();
    std::vector<VstEvent*> pointers;
    for (VstMidiEvent& note : notes)
    {
        pointers.push_back(reinterpret_cast<VstEvent*>(&note));
    }
    std::vector<unsigned char> listBytes(offsetof(VstEvents, events) +
                                         pointers.size() * sizeof(VstEvent*));
    auto* list = reinterpret_cast<VstEvents*>(listBytes.data());
    list->numEvents = kNoteCount;
    std::memcpy(listBytes.data() + offsetof(VstEvents, events), pointers.data(),
                pointers.size() * sizeof(VstEvent*));
    instance.hosted().dispatch(effProcessEvents, 0, 0, list, 0.0f);

    AEffect* effect = instance.effect();
    std::vector<std::vector<float>> buffers(static_cast<std::size_t>(effect->numOutputs),
                                            std::vector<float>(kBlockFrames));
    std::vector<float*> outputs;
    for (auto& buffer : buffers)
    {
        outputs.push_back(buffer.data());
    }
    std::vector<float> silentInput(kBlockFrames, 0.0f);
    std::vector<float*> inputs(static_cast<std::size_t>(std::max(effect->numInputs, 1)),
                               silentInput.data());

    const long blocks = static_cast<long>(seconds * kSampleRate / kBlockFrames);
    std::chrono::steady_clock::duration inside{};
    for (long block = 0; block < blocks; ++block)
    {
        for (auto& buffer : buffers)
        {
            std::fill(buffer.begin(), buffer.end(), 0.0f);
        }
        time.samplePos = static_cast<double>(block * kBlockFrames);
        time.ppqPos = time.samplePos / kSampleRate * time.tempo / 60.0;
        const auto begin = std::chrono::steady_clock::now();
        effect->processReplacing(effect, inputs.data(), outputs.data(), kBlockFrames);
        inside += std::chrono::steady_clock::now() - begin;
    }
    instance.close();
    const double wallSeconds = std::chrono::duration<double>(inside).count();
    const double audioSeconds = static_cast<double>(blocks * kBlockFrames) / kSampleRate;
    return wallSeconds > 0.0 ? audioSeconds / wallSeconds : 0.0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]));
}

int usage()
{
    std::fprintf(stderr,
                 "usage: tavrel-peerbench [--tavrel FILE] [--peer FILE | --no-peer] [--rounds N] "
                 "[--seconds S]\n"
                 "Renders 16 held notes through Tavrel (effects off, every effect on) and "
                 "through a peer\ninstrument (default /usr/lib/vst/amsynth_vst.so) in "
                 "alternating rounds (default 3 rounds\nof 10 s) and prints the real-time "
                 "factors, their medians and ratios.\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string tavrel = BenchHost::pluginBeside(argv[0]);
    std::string peer = "/usr/lib/vst/amsynth_vst.so";
    int rounds = 3;
    double seconds = 10.0;
    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--tavrel" && hasValue)
        {
            tavrel = argv[++i];
        }
        else if (option == "--peer" && hasValue)
        {
            peer = argv[++i];
        }
        else if (option == "--no-peer")
        {
            peer.clear();
        }
        else if (option == "--rounds" && hasValue)
        {
            rounds = std::atoi(argv[++i]);
        }
        else if (option == "--seconds" && hasValue)
        {
            seconds = std::atof(argv[++i]);
        }
        else
        {
            return usage();
        }
    }
    if (rounds < 1 || rounds > 100 || !(seconds > 0.0 && seconds <= 600.0))
    {
        return usage();
    }

    std::vector<Case> cases = {
        {"Tavrel, effects off", tavrel, true, &BenchHost::effectsOff(), {}},
        {"Tavrel, every effect on", tavrel, true, &BenchHost::everyEffectOn(), {}}};
    if (!peer.empty())
    {
        cases.push_back({"peer: " + peer, peer, false, nullptr, {}});
    }
    std::printf("%d rounds of %.1f s, 16 held notes, 44100 Hz, blocks of %d\n", rounds, seconds,
                kBlockFrames);
    for (int round = 1; round <= rounds; ++round)
    {
        std::printf("round %d:", round);
        for (Case& benchCase : cases)
        {
            std::string error;
            const double factor = measure(benchCase, seconds, error);
            if (factor < 0.0)
            {
                std::fprintf(stderr, "\ntavrel-peerbench: %s: %s\n", benchCase.path.c_str(),
                             error.c_str());
                return 1;
            }
            benchCase.factors.push_back(factor);
            std::printf("  %.1fx", factor);
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    std::printf("\n%-34s %10s   %s\n", "", "median", "all rounds");
    for (const Case& benchCase : cases)
    {
        std::printf("%-34s %9.1fx  ", benchCase.label.c_str(), median(benchCase.factors));
        for (double factor : benchCase.factors)
        {
            std::printf(" %.1f", factor);
        }
        std::printf("\n");
    }
    if (cases.size() == 3)
    {
        const double peerMedian = median(cases[2].factors);
        std::printf("\nTavrel against the peer, median against median: effects off %.2f times, "
                    "every effect on %.2f times\n",
                    median(cases[0].factors) / peerMedian, median(cases[1].factors) / peerMedian);
    }
    return 0;
}
