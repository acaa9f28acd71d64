// The filter programmer: its two source selectors and the sources they install into the filter.
#include "components/FilterProgrammer.h"

#include "components/Filter.h"
#include "tests/support/Analysis.h"
#include "tests/support/SignalSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{

using TestSignals::SignalSource;

constexpr float kRate = 44100.0f;

// A lowpass at 250 Hz with full FM 1 and FM 2 depth, fed a 4000 Hz tone, and four constant
// modulation sources at +1, -1, +1.5 and +0.5 octaves of cutoff.
struct Bench
{
    Bench()
    {
        filter->setValue(Filter::kCut,
                         static_cast<float>((69.0 + 12.0 * std::log2(250.0 / 440.0)) / 128.0));
        filter->setValue(Filter::kFM1, 1.0f);
        filter->setValue(Filter::kFM2, 1.0f);
        filter->setAudioInput(1, &tone);
        filter->trigger(69, 69, 100);
    }

    // Level in dB of the tone after 0.2 s of settling.
    double toneDb()
    {
        filter->reset();
        std::vector<float> out;
        for (int block = 0; block < 60; ++block)
        {
            for (SignalSource* source : {&tone, &lfo1, &lfo2, &env1, &env2})
            {
                source->process(441);
            }
            filter->process(441);
            if (block >= 50)
            {
                out.insert(out.end(), filter->getOutput(), filter->getOutput() + 441);
            }
        }
        return TestAnalysis::decibels(
            TestAnalysis::toneAmplitude(out.data(), out.size(), 4000.0, kRate));
    }

    // The offset keeps the 441-sample blocks of 40 whole cycles from averaging to silence.
    SignalSource tone{TestSignals::sine(4000.0, kRate, 1.0f, 0.01f)};
    SignalSource lfo1{{0.1f}};
    SignalSource lfo2{{-0.1f}};
    SignalSource env1{{0.15f}};
    SignalSource env2{{0.05f}};
    std::unique_ptr<Filter> filter = std::make_unique<Filter>("F");
    FilterProgrammer programmer{*filter, &lfo1, &lfo2, &env1, &env2};
};

// Selector value of item 0..4.
float item(int index)
{
    return static_cast<float>(index) / 4.0f;
}

} // namespace

TEST(FilterProgrammerTest, SelectionInstallsTheSourceIntoItsInput)
{
    Bench bench;
    const double unmodulated = bench.toneDb();
    const char* const items[] = {"None", "LFO 1", "LFO 2", "Env 1", "Env 2"};
    // 2.5 octaves and more above the cutoff, each octave of cutoff is worth about 12 dB.
    const double octaves[] = {0.0, 1.0, -1.0, 1.5, 0.5};
    for (int input = 0; input < 2; ++input)
    {
        char text[8];
        EXPECT_EQ(bench.programmer.getValue(input), 0.0f);
        for (int entry = 0; entry < 5; ++entry)
        {
            bench.programmer.setValue(input, item(entry));
            bench.programmer.getDisplay(input, text);
            EXPECT_STREQ(text, items[entry]);
            EXPECT_NEAR(bench.toneDb() - unmodulated, 12.0 * octaves[entry], 1.5)
                << "input " << input << " entry " << entry;
        }
        bench.programmer.setValue(input, item(0));
    }
    // Both inputs add: LFO 1 on FM 1 and LFO 2 on FM 2 cancel.
    bench.programmer.setValue(FilterProgrammer::kFM1S, item(1));
    bench.programmer.setValue(FilterProgrammer::kFM2S, item(2));
    EXPECT_NEAR(bench.toneDb(), unmodulated, 0.05);
}

TEST(FilterProgrammerTest, ResetAndDamagedValues)
{
    Bench bench;
    const double unmodulated = bench.toneDb();
    // Resetting a selector leaves the installed source until the next write.
    bench.programmer.setValue(FilterProgrammer::kFM1S, item(3));
    const double modulated = bench.toneDb();
    bench.programmer.resetParameter(FilterProgrammer::kFM1S);
    EXPECT_EQ(bench.programmer.getValue(FilterProgrammer::kFM1S), 0.0f);
    EXPECT_NEAR(bench.toneDb(), modulated, 1e-9);

    bench.programmer.setValue(FilterProgrammer::kFM1S, 7.0f); // held to Env 2
    EXPECT_NEAR(bench.toneDb() - unmodulated, 6.0, 1.0);
    bench.programmer.setValue(FilterProgrammer::kFM1S, -3.0f); // held to None
    EXPECT_NEAR(bench.toneDb(), unmodulated, 1e-9);
    bench.programmer.setValue(FilterProgrammer::kFM2S, item(1));
    bench.programmer.setValue(FilterProgrammer::kFM2S, std::nanf("")); // the default, None
    EXPECT_NEAR(bench.toneDb(), unmodulated, 1e-9);
    bench.programmer.setValue(5, 1.0f); // no such selector
    EXPECT_NEAR(bench.toneDb(), unmodulated, 1e-9);
}
