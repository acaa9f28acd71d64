// tavrel-factory-renders: renders one fixed phrase through every factory program at 44100 Hz and
// summarises each render in eight levels (the peak, the RMS of each channel, the energy of
// (left + right) / 2 in five bands) and the time of its energy's centre, which moves with a delay
// that leaves every level alone. --write stores the summary; --check renders again and lists every
// program that moved by more than 0.001 dB or 0.01 frames, so that a change that moves the sound
// fails until the summary is rewritten on purpose.
//   tavrel-factory-renders --write FILE | --check FILE
#include "engine/MessageDispatcher.h"
#include "instrument/FactoryBankImage.h"
#include "instrument/TavrelSynth.h"
#include "sonarch/parameters/BankInterface.h"
#include "sonarch/parameters/ChunkReader.h"
#include "tests/support/Fft.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{

constexpr float kRate = 44100.0f;
constexpr double kRateHz = 44100.0;
constexpr int kBlock = 512;
constexpr int kFrames = 65536;      // 1.49 s: the phrase, its releases and part of the effect tails
constexpr double kFloorDb = -120.0; // lower levels are written as this (silence is not -inf)
constexpr int kLevels = 8;          // in dB; the ninth value is the energy's centre in frames
constexpr double kLevelTolerance = 0.001;
constexpr double kCentreTolerance = 0.01; // a delay of a tenth of a frame is a fault
// Band edges in Hz, two octaves apart.
constexpr double kBandEdgesHz[] = {0.0, 200.0, 800.0, 3200.0, 12800.0, 22050.0};

const char* const kRegenerate = "cmake --build build/linux --target update-factory-renders";

struct Summary
{
    std::string name;
    // The levels, then sum of n x mid[n]^2 over the sum of mid[n]^2.
    std::array<double, kLevels + 1> values{};
};

// The phrase, in frames from its start: a chord built up note by note, the modulation wheel,
// all notes released at 0.9 s.
struct Message
{
    long frame;
    MidiEvent event;
};
const Message kPhrase[] = {
    {0, {0, 0x90, 48, 90}},     {0, {0, 0x90, 60, 100}},    {8820, {0, 0x90, 64, 110}},
    {17640, {0, 0x90, 67, 64}}, {22050, {0, 0xB0, 1, 100}}, {39690, {0, 0x80, 48, 0}},
    {39690, {0, 0x80, 60, 0}},  {39690, {0, 0x80, 64, 0}},  {39690, {0, 0x80, 67, 0}},
};

double decibels(double power)
{
    return power > 0.0 ? std::max(kFloorDb, 10.0 * std::log10(power)) : kFloorDb;
}

// factory: the factory bank's image, loaded as the plug-in loads it.
Summary summarise(const std::vector<std::uint8_t>& factory, int program)
{
    // A new synthesizer per program, so no program inherits another's tails or glides.
    auto synth = std::make_unique<TavrelSynth>();
    synth->setSampleRate(kRate);
    Sonarch::Parameters::BankInterface* bank = synth->getBank();
    Sonarch::Parameters::ChunkReader reader(factory.data(), factory.size());
    if (!bank->setBankChunk(reader))
    {
        Summary refused;
        refused.name = "(the factory image was refused)";
        return refused;
    }
    bank->setCurrentProgram(program);
    synth->reset();
    MessageDispatcher* dispatcher = synth->getMessageDispatcher();

    std::vector<float> left(kFrames, 0.0f);
    std::vector<float> right(kFrames, 0.0f);
    for (long start = 0; start < kFrames; start += kBlock)
    {
        for (const Message& message : kPhrase)
        {
            if (message.frame >= start && message.frame < start + kBlock)
            {
                MidiEvent event = message.event;
                event.deltaFrames = static_cast<std::int32_t>(message.frame - start);
                dispatcher->enqueue(event);
            }
        }
        // The host's transport at 120 BPM: two quarter notes a second.
        synth->setTimeInfo(120.0, 2.0 * static_cast<double>(start) / kRateHz, true);
        float* outputs[2] = {left.data() + start, right.data() + start};
        dispatcher->render(outputs, kBlock);
    }

    Summary summary;
    summary.name = bank->getProgramName(program);
    double peak = 0.0;
    double squares[2] = {0.0, 0.0};
    double moment = 0.0;
    double energy = 0.0;
    std::vector<float> mid(kFrames);
    for (std::size_t n = 0; n < kFrames; ++n)
    {
        const double l = left[n];
        const double r = right[n];
        peak = std::max({peak, std::fabs(l), std::fabs(r)});
        squares[0] += l * l;
        squares[1] += r * r;
        mid[n] = static_cast<float>(0.5 * (l + r));
        const double m = mid[n];
        energy += m * m;
        moment += static_cast<double>(n) * m * m;
    }
    summary.values[0] = decibels(peak * peak);
    summary.values[kLevels] = energy > 0.0 ? moment / energy : 0.0;
    summary.values[1] = decibels(squares[0] / kFrames);
    summary.values[2] = decibels(squares[1] / kFrames);
    // Each band's share of the mean square (Parseval), bins k in [low, high) of the band.
    const auto spectrum = TestFft::transformReal(mid.data(), kFrames);
    for (int band = 0; band < 5; ++band)
    {
        double power = 0.0;
        for (int k = 0; k <= kFrames / 2; ++k)
        {
            const double hz = k * kRateHz / kFrames;
            if (hz >= kBandEdgesHz[band] && (hz < kBandEdgesHz[band + 1] || band == 4))
            {
                const double weight = k == 0 || k == kFrames / 2 ? 1.0 : 2.0;
                power += weight * std::norm(spectrum[static_cast<std::size_t>(k)]);
            }
        }
        summary.values[static_cast<std::size_t>(3 + band)] =
            decibels(power / (static_cast<double>(kFrames) * kFrames));
    }
    return summary;
}

std::vector<Summary> renderBank()
{
    auto synth = std::make_unique<TavrelSynth>();
    const std::vector<std::uint8_t> factory = buildFactoryBankImage(*synth->getBank());
    const int programs = synth->getBank()->getProgramCount();
    std::vector<Summary> bank;
    for (int program = 0; program < programs; ++program)
    {
        bank.push_back(summarise(factory, program));
    }
    return bank;
}

bool write(const std::string& path, const std::vector<Summary>& bank)
{
    std::ofstream file(path);
    file << "# The factory programs rendered through the synthesizer at 44100 Hz: notes 48 and 60\n"
            "# at 0 s, 64 at 0.2 s, 67 at 0.4 s, modulation wheel 100 at 0.5 s, all released at\n"
            "# 0.9 s; 65536 frames in blocks of 512 at 120 BPM. Levels in dB ("
         << kFloorDb
         << " for less): peak, RMS left,\n"
            "# RMS right, then (left + right) / 2 in 0-200, 200-800, 800-3200, 3200-12800 and\n"
            "# 12800-22050 Hz; last the time of the energy's centre in frames. The test\n"
            "# factory_renders renders again and compares. After a change meant to move the\n"
            "# sound, regenerate this file with\n#   "
         << kRegenerate << "\n# and say in the commit why the sound moved.\n";
    for (std::size_t program = 0; program < bank.size(); ++program)
    {
        file << std::setw(3) << program << std::fixed << std::setprecision(4);
        for (std::size_t value = 0; value <= kLevels; ++value)
        {
            file << ' ' << std::setw(value < kLevels ? 9 : 11) << bank[program].values[value];
        }
        file << "  " << bank[program].name << '\n';
    }
    file.close();
    return static_cast<bool>(file);
}

// Reads the lines "index level x 8 centre  name"; false for a missing file or a line out of place.
bool read(const std::string& path, std::vector<Summary>& bank)
{
    std::ifstream file(path);
    if (!file)
    {
        return false;
    }
    std::string line;
    while (std::getline(file, line))
    {
        if (line.empty() || line[0] == '#')
        {
            continue;
        }
        std::istringstream fields(line);
        std::size_t program = 0;
        Summary summary;
        if (!(fields >> program) || program != bank.size())
        {
            return false;
        }
        for (double& value : summary.values)
        {
            if (!(fields >> value))
            {
                return false;
            }
        }
        std::getline(fields >> std::ws, summary.name);
        bank.push_back(summary);
    }
    return true;
}

const char* const kValueNames[kLevels + 1] = {"peak",         "RMS L",       "RMS R",
                                              "0-200 Hz",     "200-800 Hz",  "800-3200 Hz",
                                              "3.2-12.8 kHz", "12.8-22 kHz", "energy centre"};

// Prints every program that moved and returns how many did.
int compare(const std::vector<Summary>& stored, const std::vector<Summary>& now)
{
    int moved = 0;
    double largest = 0.0;
    for (std::size_t program = 0; program < now.size(); ++program)
    {
        const Summary& a = stored[program];
        const Summary& b = now[program];
        std::string changes;
        if (a.name != b.name)
        {
            changes += " renamed from \"" + a.name + "\";";
        }
        for (std::size_t value = 0; value <= kLevels; ++value)
        {
            const double from = a.values[value];
            const double to = b.values[value];
            const bool level = value < kLevels;
            if (!(std::fabs(to - from) <= (level ? kLevelTolerance : kCentreTolerance)))
            {
                char text[96];
                std::snprintf(text, sizeof text, " %s %.4f -> %.4f (%+.4f %s);", kValueNames[value],
                              from, to, to - from, level ? "dB" : "frames");
                changes += text;
                largest = level ? std::max(largest, std::fabs(to - from)) : largest;
            }
        }
        if (!changes.empty())
        {
            std::printf("moved: %3u %-24s%s\n", static_cast<unsigned>(program), b.name.c_str(),
                        changes.c_str());
            ++moved;
        }
    }
    if (moved > 0)
    {
        std::printf("%d of %u programs moved by more than %g dB or %g frames (largest level change "
                    "%.4f dB).\n"
                    "If the change is meant to move the sound, regenerate the summary with\n"
                    "  %s\nand say in the commit why the sound moved.\n",
                    moved, static_cast<unsigned>(now.size()), kLevelTolerance, kCentreTolerance,
                    largest, kRegenerate);
    }
    return moved;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc == 3 ? argv[1] : "";
    const std::string path = argc == 3 ? argv[2] : "";
    if (mode != "--write" && mode != "--check")
    {
        std::fprintf(stderr, "usage: tavrel-factory-renders --write FILE | --check FILE\n");
        return 2;
    }

    std::vector<Summary> stored;
    if (mode == "--check" && !read(path, stored))
    {
        std::printf("cannot read the summary %s; regenerate it with\n  %s\n", path.c_str(),
                    kRegenerate);
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::vector<Summary> bank = renderBank();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%u programs rendered in %.1f s\n", static_cast<unsigned>(bank.size()), seconds);

    if (mode == "--write")
    {
        if (!write(path, bank))
        {
            std::fprintf(stderr, "tavrel-factory-renders: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("wrote %s\n", path.c_str());
        return 0;
    }
    if (stored.size() != bank.size())
    {
        std::printf("the summary lists %u programs, the bank holds %u; regenerate it with\n  %s\n",
                    static_cast<unsigned>(stored.size()), static_cast<unsigned>(bank.size()),
                    kRegenerate);
        return 1;
    }
    const int moved = compare(stored, bank);
    if (moved == 0)
    {
        std::printf("all %u programs as the summary has them\n",
                    static_cast<unsigned>(bank.size()));
    }
    return moved == 0 ? 0 : 1;
}
