// Mapping, rounding and texts of the parameter classes.
#include "parameters/AdsrTimeParameter.h"
#include "parameters/BooleanParameter.h"
#include "parameters/DecibelParameter.h"
#include "parameters/DetuneParameter.h"
#include "parameters/EnumParameter.h"
#include "parameters/FloatParameter.h"
#include "parameters/IntegerParameter.h"
#include "parameters/ParameterList.h"
#include "parameters/PolarityParameter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace
{

std::string nameOf(const IParameter& parameter)
{
    char text[8];
    parameter.getName(text);
    return text;
}

std::string displayOf(const IParameter& parameter)
{
    char text[8];
    parameter.getDisplay(text);
    return text;
}

const char* const kModes[] = {"Legato", "Retrig"};
const char* const kFilterTypes[] = {"LP", "HP", "BP", "N"};
const char* const kFilterLong[] = {"Lowpass", "Highpass", "Bandpass", "Notch"};

} // namespace

TEST(ParameterText, NamesJoinPrefixAndNameCutToSevenCharacters)
{
    EXPECT_EQ(nameOf(FloatParameter("E1", "VDpth", "Depth", 0.0f, 0.0f, 1.0f, false)), "E1 VDpt");
    EXPECT_EQ(nameOf(IntegerParameter("O1", "Trans", "Semi", 0.5f, -24, 24)), "O1 Tran");
    EXPECT_EQ(nameOf(BooleanParameter("F", "CPrss")), "F CPrss");
    EXPECT_EQ(nameOf(BooleanParameter("", "Poly")), "Poly");

    char label[8];
    FloatParameter longLabel("F", "Cut", "Kilohertz", 0.75f, 8.0f, 13000.0f, false);
    longLabel.getLabel(label);
    EXPECT_STREQ(label, "Kiloher");
}

TEST(ParameterText, EveryTextFitsAnEightByteField)
{
    FloatParameter big("F", "Cut", "Hz", 1.0f, 8.0f, 1.0e9f, false);
    char field[16];
    std::memset(field, 'x', sizeof(field));
    big.getDisplay(field);
    EXPECT_EQ(std::strlen(field), 7u);
    EXPECT_EQ(field[8], 'x');
}

TEST(FloatParameterTest, MapsLinearAndSquaredCurves)
{
    FloatParameter cutoff("F", "Cut", "Hz", 0.75f, 8.0f, 13000.0f, false);
    EXPECT_FLOAT_EQ(cutoff.getReal(), 9752.0f);
    EXPECT_EQ(displayOf(cutoff), "9752.00");
    cutoff.setValue(1.0f);
    EXPECT_EQ(displayOf(cutoff), "13000.0");

    FloatParameter speed("L1", "Spd", "Hz", 0.2f, 0.0f, 20.0f, true);
    EXPECT_NEAR(speed.getReal(), 0.8f, 1e-6f);
    speed.setValue(1.0f);
    EXPECT_FLOAT_EQ(speed.getReal(), 20.0f);
}

TEST(FloatParameterTest, ResetRestoresDefaultAndTypedValue)
{
    FloatParameter time("Pr", "Time", "Secs", 0.25f, 0.0f, 3.0f, true);
    time.setValue(0.9f);
    time.resetToDefault();
    EXPECT_FLOAT_EQ(time.getValue(), 0.25f);
    EXPECT_FLOAT_EQ(time.getReal(), 0.1875f);
}

TEST(IntegerParameterTest, RoundsHalfAwayFromZero)
{
    IntegerParameter trans("O1", "Tran", "Semi", 0.5f, -24, 24);
    EXPECT_EQ(trans.getInt(), 0);
    trans.setValue(0.0f);
    EXPECT_EQ(trans.getInt(), -24);
    EXPECT_EQ(displayOf(trans), "-24");

    IntegerParameter bendRange("O1", "PBR", "Semi", 0.166667f, 0, 12);
    EXPECT_EQ(bendRange.getInt(), 2);

    EXPECT_EQ(roundHalfAway(-2.5f), -3);
    EXPECT_EQ(roundHalfAway(2.5f), 3);
    EXPECT_EQ(roundHalfAway(-2.4f), -2);
    // 0.5 x 15 = 7.5 rounds to 8 (MIDI channel 9).
    EXPECT_EQ(roundHalfAway(0.5f * 15.0f), 8);
}

TEST(EnumParameterTest, ShowsItemsAndLongItems)
{
    EnumParameter type("F", "Type", "Type", 0.0f, 3, kFilterTypes, kFilterLong);
    EXPECT_EQ(displayOf(type), "LP");
    type.setValue(1.0f);
    EXPECT_EQ(type.getInt(), 3);
    EXPECT_EQ(displayOf(type), "N");
    char longText[24];
    type.getLongDisplay(longText);
    EXPECT_STREQ(longText, "Notch");

    EnumParameter mode("E1", "TMod", "Mode", 1.0f, 1, kModes);
    EXPECT_EQ(displayOf(mode), "Retrig");
    mode.getLongDisplay(longText);
    EXPECT_STREQ(longText, "Retrig");
}

TEST(EnumParameterTest, DamagedValuesNeverIndexPastTheTable)
{
    EnumParameter type("F", "Type", "Type", 0.0f, 3, kFilterTypes);
    const float damaged[] = {-1.0f,
                             2.0f,
                             1.0e30f,
                             -1.0e30f,
                             std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity()};
    for (float value : damaged)
    {
        type.setValue(value);
        EXPECT_GE(type.getInt(), 0) << value;
        EXPECT_LE(type.getInt(), 3) << value;
        EXPECT_TRUE(std::isfinite(type.getValue())) << value;
        EXPECT_FALSE(displayOf(type).empty());
    }
    // Not a number falls back to the default; the rest are held inside 0..1.
    type.setValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(type.getInt(), 0);
    type.setValue(7.0f);
    EXPECT_FLOAT_EQ(type.getValue(), 1.0f);
}

TEST(SwitchParameters, HalfIsOnAndPositive)
{
    BooleanParameter on("N", "On");
    EXPECT_FALSE(on.getBool());
    EXPECT_EQ(displayOf(on), "Off");
    on.setValue(0.5f);
    EXPECT_TRUE(on.getBool());
    EXPECT_EQ(displayOf(on), "On");
    on.setValue(0.4999f);
    EXPECT_FALSE(on.getBool());

    PolarityParameter polarity("O1", "FM1P");
    EXPECT_EQ(polarity.getSign(), 1);
    polarity.setValue(0.5f);
    EXPECT_EQ(displayOf(polarity), "+");
    polarity.setValue(0.2f);
    EXPECT_EQ(polarity.getSign(), -1);
    EXPECT_EQ(displayOf(polarity), "-");
}

TEST(SteppedParameters, StoringStepsReadsBackTheSettingInUse)
{
    // The polyphony switch: its own label and texts, on from 0.5, read back as 0 or 1.
    BooleanParameter poly("", "Poly", "Poly", 1.0f, "Mono", "Poly");
    poly.storeSteps();
    EXPECT_EQ(displayOf(poly), "Poly");
    EXPECT_EQ(poly.getValue(), 1.0f);
    poly.setValue(0.7f);
    EXPECT_EQ(poly.getValue(), 1.0f);
    poly.setValue(0.49f);
    EXPECT_FALSE(poly.getBool());
    EXPECT_EQ(poly.getValue(), 0.0f);
    EXPECT_EQ(displayOf(poly), "Mono");
    poly.resetToDefault();
    EXPECT_EQ(displayOf(poly), "Poly");

    // A MIDI channel: 0.5 x 15 = 7.5 rounds to 8, shown as channel 9, read back as 8 / 15.
    IntegerParameter channel("", "MIDI CH", "1-16", 0.0f, 0, 15, 1);
    channel.storeSteps();
    EXPECT_EQ(displayOf(channel), "1");
    channel.setValue(0.5f);
    EXPECT_EQ(channel.getInt(), 8);
    EXPECT_EQ(displayOf(channel), "9");
    EXPECT_EQ(channel.getValue(), 8.0f / 15.0f);
    channel.setValue(1.0f);
    EXPECT_EQ(displayOf(channel), "16");

    // Without storeSteps a parameter keeps the value as written.
    IntegerParameter transpose("O1", "Tran", "Semi", 0.5f, -24, 24);
    transpose.setValue(0.51f);
    EXPECT_EQ(transpose.getValue(), 0.51f);
}

TEST(FloatParameterTest, ANewMaximumMapsTheValueAnew)
{
    FloatParameter delay("", "Ch Dly", "ms", 0.5f, 0.0f, 1024.0f, false);
    EXPECT_EQ(delay.getReal(), 512.0f);
    delay.setMaximum(4095.0f * 0.25f);
    EXPECT_EQ(delay.getReal(), 511.875f);
    EXPECT_EQ(delay.getValue(), 0.5f);
}

TEST(ParameterListTest, OnlyAListThatReactsToResetsIsToldOfThem)
{
    struct Listed : ParameterList
    {
        explicit Listed(bool reacts) : ParameterList(reacts) { addParameter(level); }
        void parameterChanged(int index) override { changed.push_back(index); }
        FloatParameter level{"", "Lvl", "", 0.25f, 0.0f, 1.0f, false};
        std::vector<int> changed;
    };
    for (const bool reacts : {false, true})
    {
        Listed list(reacts);
        list.setValue(0, 0.75f);
        list.resetParameter(0);
        list.resetParameter(1); // not an index: nothing happens
        EXPECT_EQ(list.getValue(0), 0.25f);
        EXPECT_EQ(list.changed, reacts ? (std::vector<int>{0, 0}) : (std::vector<int>{0}));
    }
}

TEST(DecibelParameterTest, ShowsGainInDecibels)
{
    DecibelParameter level("Ch", "Mix", 0.0f);
    EXPECT_EQ(displayOf(level), "-oo");
    level.setValue(1.0f);
    EXPECT_EQ(displayOf(level), "0.00");
    level.setValue(0.75f); // gain 0.5625
    EXPECT_EQ(displayOf(level), "-5.00");
}

TEST(DetuneParameterTest, ShowsCents)
{
    DetuneParameter detune("O1", "Dtn", 0.5f);
    EXPECT_FLOAT_EQ(detune.getReal(), 0.0f);
    EXPECT_EQ(displayOf(detune), "0.00");
    detune.setValue(0.75f);
    EXPECT_EQ(displayOf(detune), "50.00");
    detune.setValue(0.0f);
    EXPECT_EQ(displayOf(detune), "-100.00");
}

TEST(AdsrTimeParameterTest, CoefficientFollowsTimeRateAndScale)
{
    AdsrTimeParameter attack("E1", "A", 0.0f, 10.0f);
    char label[8];
    attack.getLabel(label);
    EXPECT_STREQ(label, "Secs");
    // A time of 0 still lasts one sample: 1 - 1/e.
    EXPECT_NEAR(attack.getCoefficient(), 1.0f - std::exp(-1.0f), 1e-6f);

    attack.setValue(std::sqrt(0.1f)); // 1 second
    const float oneSecond = attack.getCoefficient();
    EXPECT_NEAR(oneSecond, 1.0f - std::exp(-1.0f / 44101.0f), 1e-7f);

    attack.setTimeScale(2.0f);
    EXPECT_NEAR(attack.getCoefficient(), 1.0f - std::exp(-1.0f / 88201.0f), 1e-7f);
    attack.setTimeScale(1.0f);
    attack.setSampleRate(88200.0f);
    EXPECT_NEAR(attack.getCoefficient(), 1.0f - std::exp(-1.0f / 88201.0f), 1e-7f);

    // Ten seconds at 192000 Hz: the coefficient keeps its precision (relative error well below
    // the 12 % that 1 - exp(-x) in single precision would lose).
    attack.setValue(1.0f);
    attack.setSampleRate(192000.0f);
    const double exact = -std::expm1(-1.0 / (10.0 * 192000.0 + 1.0));
    EXPECT_NEAR(static_cast<double>(attack.getCoefficient()) / exact, 1.0, 1e-5);
}
