// The factory bank's data: names, settings against the instrument's parameter list, coverage of
// the instrument, audibility of every program, and the unit helpers against the parameter classes.
#include "instrument/FactoryBank.h"

#include "parameters/AdsrTimeParameter.h"
#include "parameters/BooleanParameter.h"
#include "parameters/DecibelParameter.h"
#include "parameters/DetuneParameter.h"
#include "parameters/EnumParameter.h"
#include "parameters/FloatParameter.h"
#include "parameters/IntegerParameter.h"
#include "parameters/PolarityParameter.h"
#include "tests/support/ParameterTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace
{

// The parameter list is the tests' own record of it (tests/support/ParameterTable.cpp), which
// the bank's data is checked against.
using TestParameters::kParameterTable;
using TestParameters::ParameterRow;

constexpr float kTwoSemitones = 2.0f / 12.0f;

// While an LFO's or the delay's sync is on, its time parameter selects one of eight note values.
constexpr int kSyncedNoteValues = 8;

const ParameterRow* findParameter(const std::string& name)
{
    for (const ParameterRow& parameter : kParameterTable)
    {
        if (name == parameter.name)
            return &parameter;
    }
    return nullptr;
}

// The value a program gives a parameter: its setting, or the default when it lists none.
float valueOf(const FactoryProgram& program, const std::string& name)
{
    for (int i = 0; i < program.settingCount; ++i)
    {
        if (name == program.settings[i].shortName)
            return program.settings[i].value;
    }
    const ParameterRow* parameter = findParameter(name);
    return parameter != nullptr ? parameter->defaultNorm : std::nanf("");
}

bool isOn(const FactoryProgram& program, const std::string& name)
{
    return valueOf(program, name) >= 0.5f;
}

// Item index of a stepped parameter (rounded half away from zero, as the parameters do).
int itemOf(const FactoryProgram& program, const std::string& name, int states)
{
    return static_cast<int>(valueOf(program, name) * static_cast<float>(states - 1) + 0.5f);
}

// The number of states a setting's value must fall on: the parameter's own, or the eight note
// values of a time parameter whose sync is on in this program.
int statesIn(const FactoryProgram& program, const ParameterRow& parameter)
{
    const std::string name = parameter.name;
    if ((name == "L1 Spd" && isOn(program, "L1 Sync")) ||
        (name == "L2 Spd" && isOn(program, "L2 Sync")) ||
        ((name == "D LDly" || name == "D RDly") && isOn(program, "D Sync")))
    {
        return kSyncedNoteValues;
    }
    return parameter.states;
}

// The state a stepped value selects: booleans and polarities switch at 0.5, the others round.
int stateOf(float value, int states)
{
    if (states == 2)
        return value >= 0.5f ? 1 : 0;
    return static_cast<int>(value * static_cast<float>(states - 1) + 0.5f);
}

std::vector<const FactoryProgram*> allPrograms()
{
    std::vector<const FactoryProgram*> programs;
    for (int i = 0; i < factoryProgramCount(); ++i)
        programs.push_back(&factoryPrograms()[i]);
    return programs;
}

float squared(float value)
{
    return value * value;
}

} // namespace

TEST(FactoryBankTest, HoldsOneHundredTwentyEightDistinctlyNamedPrograms)
{
    ASSERT_EQ(factoryProgramCount(), 128);
    ASSERT_NE(factoryPrograms(), nullptr);
    ASSERT_EQ(std::size(kParameterTable), 97u);

    std::set<std::string> names;
    for (const FactoryProgram* program : allPrograms())
    {
        ASSERT_NE(program->name, nullptr);
        const std::string name = program->name;
        SCOPED_TRACE(name);
        EXPECT_FALSE(name.empty());
        // The host's program-name field holds 23 characters and a terminator.
        EXPECT_LE(name.size(), 23u);
        EXPECT_TRUE(
            std::all_of(name.begin(), name.end(), [](char c) { return c >= 32 && c < 127; }));
        EXPECT_NE(name.front(), ' ');
        EXPECT_NE(name.back(), ' ');
        EXPECT_TRUE(names.insert(name).second) << "name used twice";
        EXPECT_GE(program->settingCount, 1);
        EXPECT_TRUE(program->settingCount == 0 || program->settings != nullptr);
    }
}

TEST(FactoryBankTest, EverySettingIsAKnownParameterOnceWithAValueItCanHoldAndAwayFromItsDefault)
{
    for (const FactoryProgram* program : allPrograms())
    {
        SCOPED_TRACE(program->name);
        std::set<std::string> seen;
        for (int i = 0; i < program->settingCount; ++i)
        {
            const FactorySetting& setting = program->settings[i];
            ASSERT_NE(setting.shortName, nullptr);
            const std::string name = setting.shortName;
            SCOPED_TRACE(name);
            const ParameterRow* parameter = findParameter(name);
            ASSERT_NE(parameter, nullptr) << "not a parameter of the instrument";
            // The MIDI channel and omni mode belong to the player's setup, not to a sound.
            EXPECT_NE(name, "MIDI CH");
            EXPECT_NE(name, "OMNI");
            EXPECT_TRUE(seen.insert(name).second) << "set twice";

            const float value = setting.value;
            ASSERT_TRUE(std::isfinite(value));
            EXPECT_GE(value, 0.0f);
            EXPECT_LE(value, 1.0f);

            const int states = statesIn(*program, *parameter);
            if (states > 0)
            {
                // A stepped value sits on one of its items, not between them.
                const float position = value * static_cast<float>(states - 1);
                EXPECT_NEAR(position, std::round(position), 1e-4f);
                EXPECT_NE(stateOf(value, states), stateOf(parameter->defaultNorm, states))
                    << "selects the default state";
            }
            else
            {
                EXPECT_GT(std::fabs(value - parameter->defaultNorm), 1e-6f) << "the default";
            }
        }
    }
}

TEST(FactoryBankTest, TogetherTheProgramsUseEveryPartOfTheInstrument)
{
    const auto programs = allPrograms();

    // Every parameter but the channel and omni settings is moved by some program.
    for (const ParameterRow& parameter : kParameterTable)
    {
        const std::string name = parameter.name;
        if (name == "MIDI CH" || name == "OMNI")
            continue;
        const bool moved = std::any_of(
            programs.begin(), programs.end(),
            [&](auto* program)
            {
                const int states = statesIn(*program, parameter);
                const float value = valueOf(*program, name);
                return states > 0 ? stateOf(value, states) != stateOf(parameter.defaultNorm, states)
                                  : std::fabs(value - parameter.defaultNorm) > 1e-6f;
            });
        EXPECT_TRUE(moved) << name << " keeps its default in every program";
    }

    // Every wave sounds in some program on an oscillator whose level is up.
    std::set<int> waves;
    for (auto* program : programs)
    {
        if (valueOf(*program, "O1 Lvl") > 0.0f)
            waves.insert(itemOf(*program, "O1 Wave", 26));
        if (valueOf(*program, "O2 Lvl") > 0.0f)
            waves.insert(itemOf(*program, "O2 Wave", 26));
    }
    EXPECT_EQ(waves.size(), 26u);

    std::set<int> filterTypes;
    std::set<int> lfo1Shapes;
    std::set<int> lfo2Shapes;
    std::set<int> oscFmSources;
    std::set<int> pwmSources;
    std::set<int> filterFmSources;
    std::set<int> panSources;
    int lfo1Synced = 0;
    int lfo2Synced = 0;
    int delaySynced = 0;
    int pingPong = 0;
    int syncedPingPong = 0;
    int mono = 0;
    int monoGlide = 0;
    for (auto* program : programs)
    {
        filterTypes.insert(itemOf(*program, "F Type", 4));
        lfo1Shapes.insert(itemOf(*program, "L1 Shpe", 6));
        lfo2Shapes.insert(itemOf(*program, "L2 Shpe", 6));
        for (const char* name : {"O1 FM1S", "O1 FM2S", "O2 FM1S", "O2 FM2S"})
            oscFmSources.insert(itemOf(*program, name, 5));
        for (const char* name : {"O1 PWMS", "O2 PWMS"})
            pwmSources.insert(itemOf(*program, name, 5));
        for (const char* name : {"F FM1S", "F FM2S"})
            filterFmSources.insert(itemOf(*program, name, 5));
        if (isOn(*program, "P On"))
            panSources.insert(itemOf(*program, "P MSrc", 3));
        lfo1Synced += isOn(*program, "L1 Sync");
        lfo2Synced += isOn(*program, "L2 Sync");
        const bool delayOn = isOn(*program, "D On");
        delaySynced += delayOn && isOn(*program, "D Sync");
        pingPong += delayOn && isOn(*program, "D PanD");
        syncedPingPong += delayOn && isOn(*program, "D PanD") && isOn(*program, "D Sync");
        const bool isMono = !isOn(*program, "Poly");
        mono += isMono;
        monoGlide += isMono && (isOn(*program, "O1 Prta") || isOn(*program, "O2 Prta")) &&
                     itemOf(*program, "E1 TMod", 2) == 0;
    }
    EXPECT_EQ(filterTypes.size(), 4u);
    EXPECT_EQ(lfo1Shapes.size(), 6u);
    EXPECT_EQ(lfo2Shapes.size(), 6u);
    // Sources 1 to 4 (both LFOs, both envelopes) on each kind of routing.
    for (const std::set<int>* sources : {&oscFmSources, &pwmSources, &filterFmSources})
    {
        for (int source = 1; source <= 4; ++source)
            EXPECT_EQ(sources->count(source), 1u) << "source " << source;
    }
    EXPECT_EQ(panSources.count(1), 1u);
    EXPECT_EQ(panSources.count(2), 1u);
    EXPECT_GE(lfo1Synced, 1);
    EXPECT_GE(lfo2Synced, 1);
    EXPECT_GE(delaySynced, 1);
    EXPECT_GE(pingPong, 1);
    EXPECT_GE(syncedPingPong, 1);
    EXPECT_GE(mono, 1);
    EXPECT_GE(monoGlide, 1);
}

// A held middle C must be heard on every program, at a level that neither vanishes nor overloads.
// The checks follow the instrument's signal path: the three sources summed into the filter, the
// filter's cutoff note (key x tracking + cutoff note, moved by its modulation in tenths of an
// octave), envelope 1 as the amplitude, the panner's centre gain of 0.5 and the master level.
TEST(FactoryBankTest, EveryProgramSoundsOnAHeldMiddleCAtASensibleLevel)
{
    constexpr float kKey = 60.0f;
    for (auto* program : allPrograms())
    {
        SCOPED_TRACE(program->name);

        // Sources: oscillator gains and the noise gain are squared settings.
        const float osc1Gain = squared(valueOf(*program, "O1 Lvl"));
        const float osc2Gain = squared(valueOf(*program, "O2 Lvl"));
        const float noiseGain = isOn(*program, "N On") ? squared(valueOf(*program, "N Lvl")) : 0.0f;
        const float sourceGain = osc1Gain + osc2Gain + noiseGain;
        ASSERT_GT(sourceGain, 0.0f) << "no source is heard";

        // Estimated peak at the output: the sources at full scale, halved by the centred panner,
        // times the master gain. Between -30 dB and -2.5 dB leaves room for chords and effects.
        const float master = squared(valueOf(*program, "M Lvl"));
        const float peak = sourceGain * 0.5f * master;
        EXPECT_GE(20.0f * std::log10(peak), -30.0f);
        EXPECT_LE(20.0f * std::log10(peak), -2.5f);

        // Envelope 1: the attack reaches full level within 3 s, and the note either sustains or
        // decays with a time constant of at least 50 ms.
        const float attackSeconds = squared(valueOf(*program, "E1 A")) * 10.0f;
        const float decaySeconds = squared(valueOf(*program, "E1 D")) * 10.0f;
        const float sustainGain = squared(valueOf(*program, "E1 S"));
        EXPECT_LE(attackSeconds, 3.0f);
        EXPECT_TRUE(sustainGain >= 0.001f || decaySeconds >= 0.05f);

        // The pitch range of the sounding oscillators (notes, before modulation).
        float lowestNote = 1000.0f;
        float highestNote = -1000.0f;
        if (osc1Gain > 0.0f)
        {
            const float note = kKey + (valueOf(*program, "O1 Tran") * 48.0f - 24.0f);
            lowestNote = std::min(lowestNote, note);
            highestNote = std::max(highestNote, note);
        }
        if (osc2Gain > 0.0f)
        {
            const float note = kKey + (valueOf(*program, "O2 Tran") * 48.0f - 24.0f);
            lowestNote = std::min(lowestNote, note);
            highestNote = std::max(highestNote, note);
        }

        // The cutoff note and how far the modulation can move it up or down (semitones). LFOs
        // swing -1..+1 (an LFO under the mod wheel rests at 0), envelopes 0..1.
        const float cutoffNote =
            kKey * valueOf(*program, "F KTrck") + valueOf(*program, "F Cut") * 128.0f;
        float up = 0.0f;
        float down = 0.0f;
        const char* const routes[2][3] = {{"F FM1S", "F FM1", "F FM1PL"},
                                          {"F FM2S", "F FM2", "F FM2PL"}};
        for (const auto& route : routes)
        {
            const int source = itemOf(*program, route[0], 5);
            const bool lfo = source == 1 || source == 2;
            const bool wheel = (source == 1 && isOn(*program, "L1 MW")) ||
                               (source == 2 && isOn(*program, "L2 MW"));
            if (source == 0 || wheel)
                continue;
            const float span = valueOf(*program, route[1]) * 10.0f * 12.0f;
            const bool positive = isOn(*program, route[2]);
            (positive ? up : down) += span;
            if (lfo)
                (positive ? down : up) += span;
        }
        const int type = itemOf(*program, "F Type", 4);
        if (noiseGain < 0.25f)
        {
            // Noise at -12 dB or more passes any filter. Lowpass: the open cutoff reaches at least
            // an octave below the lowest fundamental
            // (-12 dB there, less above). Highpass: it comes down to at most three octaves above
            // the highest one. Bandpass: somewhere within the first five octaves of harmonics.
            if (type == 0 || type == 2)
            {
                EXPECT_GE(cutoffNote + up, lowestNote - 12.0f);
            }
            if (type == 1 || type == 2)
            {
                EXPECT_LE(cutoffNote - down, highestNote + (type == 1 ? 36.0f : 60.0f));
            }
        }
    }
}

TEST(FactoryUnitsTest, ItemsAndIntegersLandExactlyOnTheirParameterValues)
{
    using namespace FactoryUnits;
    const std::vector<const char*> texts(49, "item");

    auto itemRead = [&](float value, int items)
    {
        EnumParameter parameter("T", "Enum", "Type", 0.0f, items - 1, texts.data());
        parameter.setValue(value);
        return parameter.getInt();
    };
    for (int k = 0; k < 26; ++k)
        EXPECT_EQ(itemRead(wave(static_cast<Wave>(k)), 26), k);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(itemRead(source(static_cast<Source>(k)), 5), k);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(itemRead(filterType(static_cast<FilterType>(k)), 4), k);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(itemRead(lfoShape(static_cast<LfoShape>(k)), 6), k);
    for (int k = 0; k < 8; ++k)
    {
        EXPECT_EQ(itemRead(lfoCycle(static_cast<LfoCycle>(k)), 8), k);
        EXPECT_EQ(itemRead(echo(static_cast<Echo>(k)), 8), k);
    }
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(itemRead(panSource(static_cast<PanSource>(k)), 3), k);
    EXPECT_EQ(itemRead(triggerMode(TriggerMode::Legato), 2), 0);
    EXPECT_EQ(itemRead(triggerMode(TriggerMode::Retrig), 2), 1);
    // The item tables' sizes: the last item of each enumeration is the parameter's maximum.
    EXPECT_EQ(wave(Wave::DigiHarms), 1.0f);
    EXPECT_EQ(source(Source::Env2), 1.0f);
    EXPECT_EQ(filterType(FilterType::Notch), 1.0f);
    EXPECT_EQ(lfoShape(LfoShape::SampleAndHold), 1.0f);
    EXPECT_EQ(lfoCycle(LfoCycle::Sixteenth), 1.0f);
    EXPECT_EQ(echo(Echo::Quarter), 1.0f);
    EXPECT_EQ(panSource(PanSource::Lfo2), 1.0f);

    IntegerParameter transpose("O1", "Tran", "Semi", 0.5f, -24, 24);
    for (int s = -24; s <= 24; ++s)
    {
        transpose.setValue(semitones(s));
        EXPECT_EQ(transpose.getInt(), s);
    }
    IntegerParameter bend("O1", "PBR", "Semi", kTwoSemitones, 0, 12);
    for (int s = 0; s <= 12; ++s)
    {
        bend.setValue(bendRange(s));
        EXPECT_EQ(bend.getInt(), s);
    }

    BooleanParameter onOff("N", "On");
    onOff.setValue(kOn);
    EXPECT_TRUE(onOff.getBool());
    PolarityParameter polarity("O1", "FM1P");
    polarity.setValue(kNegative);
    EXPECT_EQ(polarity.getSign(), -1);
}

TEST(FactoryUnitsTest, TimesLevelsAndRatesReadBackInTheirUnits)
{
    using namespace FactoryUnits;

    AdsrTimeParameter envelopeTime("E1", "A", 0.0f, 10.0f);
    for (double seconds : {0.003, 0.05, 0.6, 2.5, 10.0})
    {
        envelopeTime.setValue(seconds10(seconds));
        EXPECT_NEAR(envelopeTime.getReal(), seconds, seconds * 1e-6);
    }
    FloatParameter portamento("Pr", "Time", "Secs", 0.25f, 0.0f, 3.0f, true);
    for (double seconds : {0.04, 0.1875, 3.0})
    {
        portamento.setValue(seconds3(seconds));
        EXPECT_NEAR(portamento.getReal(), seconds, seconds * 1e-6);
    }
    FloatParameter lfoSpeed("L1", "Spd", "Hz", 0.2f, 0.0f, 20.0f, true);
    for (double hz : {0.05, 0.8, 5.5, 20.0})
    {
        lfoSpeed.setValue(hz20(hz));
        EXPECT_NEAR(lfoSpeed.getReal(), hz, hz * 1e-6);
    }
    FloatParameter lfoDelay("L1", "Delay", "Secs", 0.0f, 0.0f, 4.0f, false);
    lfoDelay.setValue(seconds4(0.6));
    EXPECT_NEAR(lfoDelay.getReal(), 0.6f, 1e-6f);
    FloatParameter fmDepth("O1", "FM1", "Octave", 0.0f, 0.0f, 1.0f, true);
    fmDepth.setValue(fmOctaves(0.25));
    EXPECT_NEAR(fmDepth.getReal(), 0.25f, 1e-6f);
    fmDepth.setValue(fmSemitones(1.0));
    EXPECT_NEAR(fmDepth.getReal() * 12.0f, 1.0f, 1e-5f);

    // Decibel texts of the squared gains, as the panel shows them.
    DecibelParameter level("E1", "S", 0.0f);
    char text[8];
    for (const auto& [db, shown] : {std::pair{-1.0, "-1.00"}, std::pair{-6.0, "-6.00"},
                                    std::pair{-14.0, "-14.00"}, std::pair{0.0, "0.00"}})
    {
        level.setValue(decibels(db));
        level.getDisplay(text);
        EXPECT_STREQ(text, shown);
    }
    level.setValue(gain(0.3));
    EXPECT_NEAR(level.getReal(), 0.3f, 1e-6f);
    EXPECT_EQ(decibels(0.0), 1.0f);

    DetuneParameter detune("O1", "Dtn", 0.5f);
    detune.setValue(cents(-7));
    detune.getDisplay(text);
    EXPECT_STREQ(text, "-7.00");

    // The clipper's input gain is 1 + 25 x level.
    FloatParameter drive("OD", "Lvl", "Level", 0.0f, 0.0f, 1.0f, true);
    drive.setValue(overdrive(14));
    EXPECT_NEAR(1.0f + 25.0f * drive.getReal(), 14.0f, 1e-4f);

    FloatParameter chorusFeedbackParameter("Ch", "FB", "Level", 0.0f, 0.0f, 0.99f, false);
    chorusFeedbackParameter.setValue(chorusFeedback(0.7));
    EXPECT_NEAR(chorusFeedbackParameter.getReal(), 0.7f, 1e-6f);
    FloatParameter chorusRate("Ch", "Freq", "Hz", 0.2f, 0.0f, 4.0f, false);
    chorusRate.setValue(chorusHz(0.45));
    EXPECT_NEAR(chorusRate.getReal(), 0.45f, 1e-6f);

    // Cutoff notes, filter octaves, pan and chorus delay are plain scalings of the setting.
    EXPECT_EQ(cutoffNote(96), 0.75f);
    EXPECT_EQ(filterOctaves(1), 0.1f);
    EXPECT_EQ(pan(-1), 0.0f);
    EXPECT_EQ(pan(1), 1.0f);
    // 4095 samples of chorus line at 44100 Hz, a quarter of it at full setting.
    EXPECT_NEAR(chorusMs(4095.0 / 4.0 / 44.1), 1.0f, 1e-6f);
}
