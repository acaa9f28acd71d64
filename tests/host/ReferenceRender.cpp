// The reference render and its comparison.
#include "tests/host/ReferenceRender.h"

#include "tests/host/Checks.h"
#include "tests/host/Signal.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace HostCheck
{

namespace
{

// The sequence, at 44100 Hz in blocks of 512 with the host transport playing at 120 BPM, for
// each program in this order (selected with effSetProgram), 2.5 s each:
//   0.00 s  note-on 48 velocity 90, note-on 60 velocity 100
//   0.25 s  note-on 64 velocity 110
//   0.50 s  note-on 67 velocity 64
//   0.75 s  pitch bend +1 semitone (12288), modulation wheel 100
//   1.00 s  pitch bend centre, note-off 64
//   1.25 s  channel pressure 80
//   1.50 s  note-off 48, 60 and 67, modulation wheel 0
//   1.50 s to 2.50 s  releases and effect tails
// The programs cover noise (Wind, Flanger), sample-and-hold with a synced LFO and delay
// (S&H Bleeps), chorus (Chorus Ensemble, Flanger), delay with feedback (Tape Echo, Evolving
// Pad), high resonance (Acid Bass), monophonic glide with overdrive (Screamer), hard sync and FM.
const char* const kPrograms[] = {"Init Saw",  "Sync Lead", "Screamer",    "Acid Bass",
                                 "Wind",      "Flanger",   "S&H Bleeps",  "Chorus Ensemble",
                                 "Tape Echo", "Growl FM",  "Evolving Pad"};
constexpr int kProgramCount = sizeof(kPrograms) / sizeof(kPrograms[0]);
constexpr float kRate = 44100.0f;
constexpr double kRateHz = 44100.0;
constexpr long kProgramFrames = 110250;

long at(double seconds)
{
    return static_cast<long>(seconds * kRateHz);
}

void scheduleSequence(HostSession& session)
{
    session.noteOn(at(0.0), 48, 90);
    session.noteOn(at(0.0), 60, 100);
    session.noteOn(at(0.25), 64, 110);
    session.noteOn(at(0.5), 67, 64);
    session.pitchBend(at(0.75), 12288);
    session.controlChange(at(0.75), 1, 100);
    session.pitchBend(at(1.0), 8192);
    session.noteOff(at(1.0), 64);
    session.midi(at(1.25), 0xD0, 80, 0);
    session.noteOff(at(1.5), 48);
    session.noteOff(at(1.5), 60);
    session.noteOff(at(1.5), 67);
    session.controlChange(at(1.5), 1, 0);
}

bool writeFloats(const std::string& path, const std::vector<float>& samples)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
    {
        return false;
    }
    // Little-endian whatever the machine.
    std::vector<unsigned char> bytes(samples.size() * 4);
    for (std::size_t i = 0; i < samples.size(); ++i)
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &samples[i], 4);
        for (int b = 0; b < 4; ++b)
        {
            bytes[i * 4 + static_cast<std::size_t>(b)] =
                static_cast<unsigned char>(bits >> (8 * b));
        }
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool readFloats(const std::string& path, std::vector<float>& samples)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
    {
        return false;
    }
    std::vector<unsigned char> bytes;
    unsigned char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
    {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    std::fclose(file);
    if (bytes.size() % 4 != 0)
    {
        return false;
    }
    samples.resize(bytes.size() / 4);
    for (std::size_t i = 0; i < samples.size(); ++i)
    {
        std::uint32_t bits = 0;
        for (int b = 0; b < 4; ++b)
        {
            bits |= static_cast<std::uint32_t>(bytes[i * 4 + static_cast<std::size_t>(b)])
                    << (8 * b);
        }
        std::memcpy(&samples[i], &bits, 4);
    }
    return true;
}

std::vector<float> channel(const std::vector<float>& interleaved, int program, int side)
{
    std::vector<float> out(static_cast<std::size_t>(kProgramFrames));
    const std::size_t first = static_cast<std::size_t>(program) * kProgramFrames * 2;
    for (std::size_t i = 0; i < out.size(); ++i)
    {
        out[i] = interleaved[first + 2 * i + static_cast<std::size_t>(side)];
    }
    return out;
}

} // namespace

std::vector<float> renderReference(const std::function<void(HostSession&)>& afterProgram)
{
    std::vector<float> samples;
    HostSession session(kRate, 512);
    if (!session.isOpen())
    {
        return samples;
    }
    session.setTransport(120.0, true);
    for (const char* name : kPrograms)
    {
        const int program = session.findProgram(name);
        if (program < 0)
        {
            std::printf("no factory program \"%s\"\n", name);
            return {};
        }
        session.selectProgram(program);
        if (afterProgram)
        {
            afterProgram(session);
        }
        scheduleSequence(session);
        const Stereo out = session.render(kProgramFrames);
        for (std::size_t i = 0; i < out.frames(); ++i)
        {
            samples.push_back(out.left[i]);
            samples.push_back(out.right[i]);
        }
    }
    return samples;
}

bool compareRenders(const std::vector<float>& reference, const std::vector<float>& other,
                    double tolerance, bool report)
{
    const std::size_t expected = static_cast<std::size_t>(kProgramCount) * kProgramFrames * 2;
    if (reference.size() != expected || other.size() != expected)
    {
        if (report)
        {
            std::printf("renders hold %u and %u samples, expected %u\n",
                        static_cast<unsigned>(reference.size()),
                        static_cast<unsigned>(other.size()), static_cast<unsigned>(expected));
        }
        return false;
    }
    bool pass = true;
    double worstRelative = 0.0;
    double worstCorrelation = 1.0;
    for (int program = 0; program < kProgramCount; ++program)
    {
        for (int side = 0; side < 2; ++side)
        {
            const std::vector<float> a = channel(reference, program, side);
            const std::vector<float> b = channel(other, program, side);
            const Difference d = difference(a.data(), b.data(), a.size());
            const bool ok = d.referencePeak > 0.0 && d.relative <= tolerance &&
                            (tolerance == 0.0 || d.correlation >= 1.0 - tolerance * tolerance);
            pass = pass && ok;
            worstRelative = std::fmax(worstRelative, d.relative);
            worstCorrelation = std::fmin(worstCorrelation, d.correlation);
            if (report)
            {
                std::printf("%-16s %s  peak %.4f  max diff %.3g (%.3g of peak, frame %u)  "
                            "correlation 1-%.3g  %s\n",
                            kPrograms[program], side == 0 ? "L" : "R", d.referencePeak,
                            d.maxAbsolute, d.relative, static_cast<unsigned>(d.worstIndex),
                            1.0 - d.correlation, ok ? "ok" : "FAIL");
            }
        }
    }
    if (report)
    {
        std::printf("worst: %.3g of peak, correlation 1-%.3g; tolerance %.3g: %s\n", worstRelative,
                    1.0 - worstCorrelation, tolerance, pass ? "pass" : "FAIL");
    }
    return pass;
}

int renderToFile(const std::string& path)
{
    const std::vector<float> samples = renderReference();
    if (samples.empty())
    {
        std::fprintf(stderr, "the reference render failed\n");
        return 1;
    }
    if (!writeFloats(path, samples))
    {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("%s: %d programs x %ld stereo frames at %.0f Hz\n", path.c_str(), kProgramCount,
                kProgramFrames, static_cast<double>(kRate));
    return 0;
}

int compareFiles(const std::string& referencePath, const std::string& otherPath, double tolerance)
{
    std::vector<float> reference;
    std::vector<float> other;
    if (!readFloats(referencePath, reference) || !readFloats(otherPath, other))
    {
        std::fprintf(stderr, "cannot read %s or %s\n", referencePath.c_str(), otherPath.c_str());
        return 1;
    }
    std::printf("comparing %s with %s\n", otherPath.c_str(), referencePath.c_str());
    return compareRenders(reference, other, tolerance, true) ? 0 : 1;
}

void checkReferenceRender()
{
    // The same build renders the same samples every time.
    const std::vector<float> first = renderReference();
    const std::vector<float> second = renderReference();
    CHECK(!first.empty());
    CHECK(first == second);
    CHECK(compareRenders(first, second, 0.0, false));

    // A detune of 0.05 cents on both oscillators, far below hearing, is beyond the platform
    // tolerance: the comparison can tell a different render from rounding.
    const std::vector<float> detuned = renderReference(
        [](HostSession& session)
        {
            for (int index : {3, 15})
            {
                session.setParameter(index, session.getParameter(index) + 0.00025f);
            }
        });
    CHECK(!compareRenders(first, detuned, kPlatformTolerance, isVerbose()));
}

} // namespace HostCheck
