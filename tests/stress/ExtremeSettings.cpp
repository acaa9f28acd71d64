// tavrel-extremes: renders a chord through the synthesizer under extreme settings (every
// parameter at 0, every parameter at 1, and random programs from a fixed, printed seed) at
// 44100 and 192000 Hz, fails on any sample that is not finite, and reports the largest peak and
// the settings that made it.
//   tavrel-extremes [--programs N] [--seed S] [--seconds T]
#include "engine/MessageDispatcher.h"
#include "instrument/TavrelSynth.h"
#include "sonarch/parameters/BankInterface.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr int kParameters = 97;
constexpr int kBlock = 512;
// Low, middle and high notes at full and soft velocity: the ends of every key-tracked range.
constexpr int kChord[][2] = {{24, 127}, {60, 100}, {64, 64}, {67, 1}, {108, 127}};

struct Outcome
{
    double peak = 0.0;
    long nonFinite = 0;
};

Outcome renderChord(const std::vector<float>& values, float rateHz, double seconds)
{
    auto synth = std::make_unique<TavrelSynth>();
    synth->setSampleRate(rateHz);
    Sonarch::Parameters::BankInterface* bank = synth->getBank();
    for (int index = 0; index < kParameters; ++index)
    {
        bank->setParameter(index, values[static_cast<std::size_t>(index)]);
    }
    MessageDispatcher* dispatcher = synth->getMessageDispatcher();
    for (const auto& note : kChord)
    {
        MidiEvent event{0, 0x90, note[0], note[1]};
        dispatcher->enqueue(event);
    }
    // The host's transport, so the synchronised LFOs and delay run too.
    synth->setTimeInfo(140.0, 0.0, true);

    Outcome outcome;
    std::vector<float> left(kBlock);
    std::vector<float> right(kBlock);
    const long frames = static_cast<long>(seconds * static_cast<double>(rateHz));
    for (long done = 0; done < frames; done += kBlock)
    {
        if (done >= frames / 2 && done < frames / 2 + kBlock)
        {
            for (const auto& note : kChord)
            {
                MidiEvent event{0, 0x80, note[0], 0};
                dispatcher->enqueue(event);
            }
        }
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        float* outputs[2] = {left.data(), right.data()};
        dispatcher->render(outputs, kBlock);
        for (int i = 0; i < kBlock; ++i)
        {
            for (float x : {left[static_cast<std::size_t>(i)], right[static_cast<std::size_t>(i)]})
            {
                if (!std::isfinite(x))
                {
                    ++outcome.nonFinite;
                }
                else
                {
                    outcome.peak = std::max(outcome.peak, static_cast<double>(std::fabs(x)));
                }
            }
        }
    }
    return outcome;
}

void printSettings(const std::vector<float>& values)
{
    auto synth = std::make_unique<TavrelSynth>();
    Sonarch::Parameters::BankInterface* bank = synth->getBank();
    for (int index = 0; index < kParameters; ++index)
    {
        bank->setParameter(index, values[static_cast<std::size_t>(index)]);
        std::printf("    %2d %-8s %.4f  %s %s\n", index, bank->getParameterName(index),
                    static_cast<double>(values[static_cast<std::size_t>(index)]),
                    bank->getParameterDisplay(index), bank->getParameterLabel(index));
    }
}

} // namespace

int main(int argc, char** argv)
{
    long programs = 100;
    unsigned seed = 20261208;
    double seconds = 1.0;
    for (int i = 1; i < argc; ++i)
    {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--programs") == 0 && hasValue)
        {
            programs = std::atol(argv[++i]);
        }
        else if (std::strcmp(argv[i], "--seed") == 0 && hasValue)
        {
            seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        }
        else if (std::strcmp(argv[i], "--seconds") == 0 && hasValue)
        {
            seconds = std::atof(argv[++i]);
        }
        else
        {
            std::fprintf(stderr,
                         "usage: tavrel-extremes [--programs N] [--seed S] [--seconds T]\n");
            return 2;
        }
    }
    if (programs < 0 || !(seconds > 0.0 && seconds <= 60.0))
    {
        std::fprintf(stderr, "tavrel-extremes: bad program count or length\n");
        return 2;
    }

    std::printf("every parameter at 0, at 1, and %ld random programs (seed %u), %.1f s each at "
                "44100 and 192000 Hz\n",
                programs, seed, seconds);
    const auto start = std::chrono::steady_clock::now();
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
    double worstPeak = -1.0;
    std::vector<float> worst;
    std::string worstName;
    long failures = 0;
    for (long program = -2; program < programs; ++program)
    {
        std::vector<float> values(kParameters);
        for (float& value : values)
        {
            value = program == -2 ? 0.0f : program == -1 ? 1.0f : uniform(random);
        }
        const std::string name = program == -2   ? "every parameter at 0"
                                 : program == -1 ? "every parameter at 1"
                                                 : "random program " + std::to_string(program);
        for (float rate : {44100.0f, 192000.0f})
        {
            const Outcome outcome = renderChord(values, rate, seconds);
            if (outcome.nonFinite > 0)
            {
                std::printf("FAILED: %s at %.0f Hz: %ld samples not finite\n", name.c_str(),
                            static_cast<double>(rate), outcome.nonFinite);
                printSettings(values);
                ++failures;
            }
            if (outcome.peak > worstPeak)
            {
                worstPeak = outcome.peak;
                worst = values;
                worstName = name + " at " + std::to_string(static_cast<int>(rate)) + " Hz";
            }
        }
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("largest peak %.3f (%.2f dBFS): %s\n", worstPeak, 20.0 * std::log10(worstPeak),
                worstName.c_str());
    printSettings(worst);
    std::printf("%ld renders in %.1f s, %ld with samples that are not finite\n", 2 * (programs + 2),
                elapsed, failures);
    return failures == 0 ? 0 : 1;
}
