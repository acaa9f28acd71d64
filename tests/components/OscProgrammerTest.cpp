// Routing of modulation sources, portamento and sync into the two oscillators of a voice.
#include "components/OscProgrammer.h"
#include "components/FastMath.h"
#include "tests/support/Analysis.h"
#include "tests/support/ModulationSources.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

namespace
{

// Two sine oscillators wired to a programmer whose four sources hold distinct constant values.
class OscProgrammerTest : public ::testing::Test
{
protected:
    static constexpr float kSourceValues[5] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};

    OscProgrammerTest()
        : osc1(std::make_unique<Oscillator>("O1")), osc2(std::make_unique<Oscillator>("O2")),
          lfo1(kSourceValues[1]), lfo2(kSourceValues[2]), env1(kSourceValues[3]),
          env2(kSourceValues[4]), slew(1.0f),
          programmer(*osc1, *osc2, &lfo1, &lfo2, &env1, &env2, &slew)
    {
        for (Oscillator* oscillator : {osc1.get(), osc2.get()})
        {
            oscillator->setValue(Oscillator::kWave, 2.0f / 25.0f);
            oscillator->setValue(Oscillator::kFm1, 1.0f);
            oscillator->setValue(Oscillator::kFm2, 1.0f);
        }
    }

    // The mean phase step over a short block relative to the base increment: the pitch factor
    // that the oscillator's modulation inputs apply.
    static double pitchFactor(Oscillator& oscillator)
    {
        const int frames = 32;
        float previous = oscillator.getPhase();
        oscillator.process(frames);
        double advance = 0.0;
        for (int i = 0; i < frames; ++i)
        {
            const float current = oscillator.getPhaseRecord()[i];
            const float step =
                current >= previous ? current - previous : current + 2048.0f - previous;
            advance += static_cast<double>(step);
            previous = current;
        }
        return advance / frames / static_cast<double>(oscillator.getIncrement());
    }

    std::string display(int index) const
    {
        char text[kShortTextSize] = {};
        programmer.getDisplay(index, text);
        return text;
    }

    static float item(int source) { return static_cast<float>(source) / 4.0f; }

    std::unique_ptr<Oscillator> osc1;
    std::unique_ptr<Oscillator> osc2;
    TestSources::Constant lfo1;
    TestSources::Constant lfo2;
    TestSources::Constant env1;
    TestSources::Constant env2;
    TestSources::Constant slew;
    OscProgrammer programmer;
};

} // namespace

// Names, labels and default displays are those of the synthesizer's parameter list, which the
// host check reads through the plug-in; the source boxes show every item.
TEST_F(OscProgrammerTest, SourceParametersShowEveryItem)
{
    const char* const items[] = {"None", "LFO 1", "LFO 2", "Env 1", "Env 2"};
    for (int source = 0; source < 5; ++source)
    {
        programmer.setValue(OscProgrammer::kO2PwmSource, item(source));
        EXPECT_EQ(display(OscProgrammer::kO2PwmSource), items[source]);
    }
}

TEST_F(OscProgrammerTest, EachFmSourceParameterInstallsItsSourceInItsInputOnly)
{
    struct Route
    {
        int index;
        Oscillator* target;
        Oscillator* other;
    };
    const Route routes[] = {{OscProgrammer::kO1Fm1Source, osc1.get(), osc2.get()},
                            {OscProgrammer::kO1Fm2Source, osc1.get(), osc2.get()},
                            {OscProgrammer::kO2Fm1Source, osc2.get(), osc1.get()},
                            {OscProgrammer::kO2Fm2Source, osc2.get(), osc1.get()}};
    for (const Route& route : routes)
    {
        for (int source = 1; source <= 4; ++source)
        {
            SCOPED_TRACE(::testing::Message()
                         << "parameter " << route.index << ", source " << source);
            programmer.setValue(route.index, item(source));
            // Depth 1: the source's value is the modulation in octaves.
            EXPECT_NEAR(pitchFactor(*route.target), fastExp2(kSourceValues[source]), 1e-4);
            EXPECT_NEAR(pitchFactor(*route.other), 1.0, 1e-5);
        }
        // "None" clears the input again.
        programmer.setValue(route.index, item(0));
        EXPECT_NEAR(pitchFactor(*route.target), 1.0, 1e-5);
    }

    // Both inputs of one oscillator add.
    programmer.setValue(OscProgrammer::kO1Fm1Source, item(2));
    programmer.setValue(OscProgrammer::kO1Fm2Source, item(4));
    EXPECT_NEAR(pitchFactor(*osc1), fastExp2(1.5f), 1e-4);
}

TEST_F(OscProgrammerTest, PwmSourceParametersSetTheWidthOfTheirOscillator)
{
    // A sine minus itself shifted by a width w has the amplitude 2 sin(pi w); with PWid 0 and
    // PWM 1 the width is half the source's value.
    for (Oscillator* oscillator : {osc1.get(), osc2.get()})
    {
        oscillator->trigger(69, 24, 100);
        oscillator->setValue(Oscillator::kPwOn, 1.0f);
        oscillator->setValue(Oscillator::kPwid, 0.0f);
        oscillator->setValue(Oscillator::kPwm, 1.0f);
    }
    auto amplitude = [](Oscillator& oscillator)
    {
        oscillator.process(4096);
        return TestAnalysis::peak(oscillator.getOutput(), 4096);
    };
    const double pi = std::acos(-1.0);
    for (int source = 1; source <= 4; ++source)
    {
        programmer.setValue(OscProgrammer::kO1PwmSource, item(source));
        const double width = 0.5 * static_cast<double>(kSourceValues[source]);
        EXPECT_NEAR(amplitude(*osc1), 2.0 * std::sin(pi * width), 0.01) << source;
        EXPECT_LT(amplitude(*osc2), 0.01) << source;
    }
    programmer.setValue(OscProgrammer::kO1PwmSource, item(0));
    EXPECT_LT(amplitude(*osc1), 0.01);
    programmer.setValue(OscProgrammer::kO2PwmSource, item(3));
    EXPECT_NEAR(amplitude(*osc2), 2.0 * std::sin(pi * 0.375), 0.01);
}

TEST_F(OscProgrammerTest, PortamentoSwitchesGlideOnlyTheirOscillator)
{
    EXPECT_FALSE(programmer.isPortamentoOn());
    // The slew limiter here holds +1 octave.
    programmer.setValue(OscProgrammer::kO2Portamento, 1.0f);
    EXPECT_TRUE(programmer.isPortamentoOn());
    EXPECT_NEAR(pitchFactor(*osc1), 1.0, 1e-5);
    EXPECT_NEAR(pitchFactor(*osc2), 2.0, 1e-5);

    programmer.setValue(OscProgrammer::kO1Portamento, 1.0f);
    programmer.setValue(OscProgrammer::kO2Portamento, 0.0f);
    EXPECT_TRUE(programmer.isPortamentoOn());
    EXPECT_NEAR(pitchFactor(*osc1), 2.0, 1e-5);
    EXPECT_NEAR(pitchFactor(*osc2), 1.0, 1e-5);

    programmer.setValue(OscProgrammer::kO1Portamento, 0.0f);
    EXPECT_FALSE(programmer.isPortamentoOn());
    EXPECT_NEAR(pitchFactor(*osc1), 1.0, 1e-5);
}

TEST_F(OscProgrammerTest, SyncSwitchMakesOscillatorOneTheMasterOfOscillatorTwo)
{
    osc1->trigger(69, 45, 100);
    osc2->trigger(69, 52, 100);
    // Renders a block and counts oscillator 1's wraps and the samples where oscillator 2's phase
    // does not step on by its increment (mod 2048), and whether each such restart follows
    // a wrap of oscillator 1 in the sample before.
    struct Count
    {
        int wraps = 0;
        int restarts = 0;
        int restartsAfterAWrap = 0;
    };
    auto count = [&]
    {
        const int frames = 4096;
        float previous1 = osc1->getPhase();
        osc1->process(frames);
        osc2->process(frames);
        const float* phase1 = osc1->getPhaseRecord();
        const float* phase2 = osc2->getPhaseRecord();
        Count result;
        for (int i = 1; i < frames; ++i)
        {
            const bool wrapped = phase1[i - 1] < (i > 1 ? phase1[i - 2] : previous1);
            const double step =
                std::fmod(static_cast<double>(phase2[i] - phase2[i - 1]) + 2048.0, 2048.0);
            const bool restarted =
                std::fabs(step - static_cast<double>(osc2->getIncrement())) > 1e-3;
            result.wraps += wrapped ? 1 : 0;
            result.restarts += restarted ? 1 : 0;
            result.restartsAfterAWrap += restarted && wrapped ? 1 : 0;
        }
        return result;
    };
    EXPECT_EQ(count().restarts, 0);
    programmer.setValue(OscProgrammer::kO2Sync, 1.0f);
    const Count synced = count();
    EXPECT_EQ(synced.wraps, 10); // 110 Hz for 4096 samples at 44100 Hz
    EXPECT_EQ(synced.restarts, synced.wraps);
    EXPECT_EQ(synced.restartsAfterAWrap, synced.wraps);
    programmer.setValue(OscProgrammer::kO2Sync, 0.0f);
    EXPECT_EQ(count().restarts, 0);
}

TEST_F(OscProgrammerTest, ResetParameterResetsOnlyTheParameter)
{
    programmer.setValue(OscProgrammer::kO1Fm1Source, item(4));
    programmer.setValue(OscProgrammer::kO2Sync, 1.0f);
    programmer.resetParameter(OscProgrammer::kO1Fm1Source);
    programmer.resetParameter(OscProgrammer::kO2Sync);
    EXPECT_EQ(display(OscProgrammer::kO1Fm1Source), "None");
    EXPECT_EQ(programmer.getValue(OscProgrammer::kO2Sync), 0.0f);
    // The source stays installed until the parameter is next written.
    EXPECT_NEAR(pitchFactor(*osc1), 2.0, 1e-5);
    programmer.setValue(OscProgrammer::kO1Fm1Source, 0.0f);
    EXPECT_NEAR(pitchFactor(*osc1), 1.0, 1e-5);
}

TEST_F(OscProgrammerTest, DamagedValuesAndIndexesStayInsideTheSourceTable)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    programmer.setValue(OscProgrammer::kO1Fm1Source, 7.0f); // limited to 1: "Env 2"
    EXPECT_EQ(display(OscProgrammer::kO1Fm1Source), "Env 2");
    EXPECT_NEAR(pitchFactor(*osc1), 2.0, 1e-5);
    programmer.setValue(OscProgrammer::kO1Fm1Source, nan); // the default: "None"
    EXPECT_EQ(display(OscProgrammer::kO1Fm1Source), "None");
    EXPECT_NEAR(pitchFactor(*osc1), 1.0, 1e-5);
    programmer.setValue(OscProgrammer::kO1Fm1Source, -3.0f);
    EXPECT_EQ(display(OscProgrammer::kO1Fm1Source), "None");

    programmer.setValue(-1, 1.0f);
    programmer.setValue(9, 1.0f);
    EXPECT_EQ(programmer.getValue(9), 0.0f);
    EXPECT_NEAR(pitchFactor(*osc1), 1.0, 1e-5);
    EXPECT_NEAR(pitchFactor(*osc2), 1.0, 1e-5);
}
