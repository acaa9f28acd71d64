// tavrel-wavcheck: checks that a WAV file is readable, finite and not silent; prints its levels
// and, on request, the clicks it finds.
#include "tools/render/Onsets.h"
#include "tools/render/WavReader.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    double minimumPeakDb = -60.0;
    bool listClicks = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--min-peak") == 0 && i + 1 < argc)
        {
            minimumPeakDb = std::atof(argv[++i]);
        }
        else if (std::strcmp(argv[i], "--clicks") == 0)
        {
            listClicks = true;
        }
        else if (path == nullptr && argv[i][0] != '-')
        {
            path = argv[i];
        }
        else
        {
            path = nullptr;
            break;
        }
    }
    if (path == nullptr)
    {
        std::fprintf(stderr,
                     "usage: tavrel-wavcheck [--min-peak DBFS] [--clicks] FILE.wav\n"
                     "fails when the file is unreadable, holds a non-finite sample or peaks "
                     "below DBFS (default -60);\n--clicks lists the windows of 64 frames whose "
                     "energy above 12 kHz lies 15 dB or more above that of their surroundings\n");
        return 2;
    }
    WavData wav;
    std::string error;
    if (!WavReader::readFile(path, wav, error))
    {
        std::fprintf(stderr, "tavrel-wavcheck: %s\n", error.c_str());
        return 1;
    }
    bool ok = true;
    const std::size_t frames = wav.channels.empty() ? 0 : wav.channels[0].size();
    std::printf("%s: %zu channels, %d Hz, %zu frames (%.2f s)\n", path, wav.channels.size(),
                wav.sampleRate, frames, static_cast<double>(frames) / wav.sampleRate);
    for (std::size_t c = 0; c < wav.channels.size(); ++c)
    {
        double peak = 0.0;
        double sum = 0.0;
        std::size_t nonFinite = 0;
        for (float x : wav.channels[c])
        {
            if (!std::isfinite(x))
            {
                ++nonFinite;
                continue;
            }
            peak = std::fmax(peak, std::fabs(static_cast<double>(x)));
            sum += static_cast<double>(x) * static_cast<double>(x);
        }
        const double peakDb = peak > 0.0 ? 20.0 * std::log10(peak) : -HUGE_VAL;
        const double rmsDb =
            sum > 0.0 ? 10.0 * std::log10(sum / static_cast<double>(frames)) : -HUGE_VAL;
        std::printf("  channel %zu: peak %.2f dBFS, RMS %.2f dBFS, %zu non-finite\n", c + 1, peakDb,
                    rmsDb, nonFinite);
        if (nonFinite > 0)
        {
            std::fprintf(stderr, "tavrel-wavcheck: channel %zu holds non-finite samples\n", c + 1);
            ok = false;
        }
        if (!(peakDb >= minimumPeakDb))
        {
            std::fprintf(stderr, "tavrel-wavcheck: channel %zu peaks at %.2f dBFS, below %.2f\n",
                         c + 1, peakDb, minimumPeakDb);
            ok = false;
        }
        if (listClicks)
        {
            const std::vector<Onsets::Onset> clicks =
                Onsets::find(wav.channels[c].data(), frames, wav.sampleRate);
            std::printf("  channel %zu: %zu clicks\n", c + 1, clicks.size());
            for (const Onsets::Onset& click : clicks)
            {
                std::printf("    %9.4f s  above 12 kHz %7.2f dBFS, around it %7.2f dBFS, "
                            "level %7.2f dBFS\n",
                            static_cast<double>(click.frame) / wav.sampleRate, click.highBandDb,
                            click.backgroundDb, click.levelDb);
            }
        }
    }
    return ok ? 0 : 1;
}
