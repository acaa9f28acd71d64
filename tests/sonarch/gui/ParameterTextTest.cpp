// The status and hint texts of parameters: name, value and unit, the controller of a bound
// parameter, and the buffer limits.
#include "sonarch/gui/ParameterText.h"

#include "instrument/TavrelSynth.h"
#include "sonarch/midi/MidiLearn.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

using Sonarch::Gui::formatParameterHint;
using Sonarch::Gui::formatParameterStatus;
using Sonarch::Gui::kStatusTextSize;

namespace
{

constexpr int kCutoff = 36;
constexpr int kWaveform = 10;

class ParameterTextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        synth = std::make_unique<TavrelSynth>();
        bank = synth->getBank();
        midiLearn = synth->getMidiLearn();
    }

    std::string status(int index)
    {
        char buffer[kStatusTextSize];
        formatParameterStatus(*bank, *midiLearn, index, buffer, kStatusTextSize);
        return buffer;
    }

    std::string hint(int index)
    {
        char buffer[kStatusTextSize];
        formatParameterHint(*bank, index, buffer, kStatusTextSize);
        return buffer;
    }

    std::unique_ptr<TavrelSynth> synth;
    Sonarch::Parameters::BankInterface* bank = nullptr;
    Sonarch::Midi::MidiLearn* midiLearn = nullptr;
};

TEST_F(ParameterTextTest, TheStatusShowsNameOnTheFirstLineAndValueWithUnitOnTheSecond)
{
    bank->setParameter(kCutoff, 1.0f);
    EXPECT_EQ(status(kCutoff), "Filter: Cutoff\n13000.0 Hz");
    bank->setParameter(kWaveform, 0.0f);
    EXPECT_EQ(status(kWaveform), "Osc 1: Waveform\nSawtooth Type");
}

TEST_F(ParameterTextTest, ABoundParameterNamesItsControllerAfterItsName)
{
    bank->setParameter(kWaveform, 0.0f);
    midiLearn->map(kWaveform, 74);
    EXPECT_EQ(status(kWaveform), "Osc 1: Waveform (CC74)\nSawtooth Type");
    // Controller 0 is a controller like any other, not "no binding".
    midiLearn->map(kWaveform, 0);
    EXPECT_EQ(status(kWaveform), "Osc 1: Waveform (CC0)\nSawtooth Type");
    midiLearn->map(kWaveform, 127);
    EXPECT_EQ(status(kWaveform).substr(0, 24), "Osc 1: Waveform (CC127)\n");
    midiLearn->unmap(kWaveform);
    EXPECT_EQ(status(kWaveform), "Osc 1: Waveform\nSawtooth Type");
}

TEST_F(ParameterTextTest, TheHintIsOneLineOfNameValueAndUnit)
{
    bank->setParameter(kWaveform, 0.0f);
    midiLearn->map(kWaveform, 74);
    EXPECT_EQ(hint(kWaveform), "Osc 1: Waveform: Sawtooth Type");
}

TEST_F(ParameterTextTest, EveryParametersStatusIsTwoLinesWithItsValueAndFitsTheBuffer)
{
    for (int index = 0; index < bank->getParameterCount(); ++index)
    {
        midiLearn->map(index, 100 + index % 28);
        const std::string text = status(index);
        ASSERT_LT(text.size(), static_cast<std::size_t>(kStatusTextSize));
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << index;
        const std::string firstLine = text.substr(0, text.find('\n'));
        EXPECT_EQ(firstLine, std::string(bank->getParameterLongName(index)) + " (CC" +
                                 std::to_string(100 + index % 28) + ")");
        // The second line starts with the value's text, which is never empty.
        const std::string secondLine = text.substr(text.find('\n') + 1);
        EXPECT_FALSE(secondLine.empty() || secondLine[0] == ' ') << index << ": " << text;
    }
}

TEST_F(ParameterTextTest, ASmallBufferGetsATerminatedPrefixAndNothingBeyond)
{
    char buffer[16];
    std::memset(buffer, 'x', sizeof(buffer));
    formatParameterStatus(*bank, *midiLearn, kCutoff, buffer, 10);
    EXPECT_EQ(std::string(buffer), "Filter: C");
    EXPECT_EQ(buffer[10], 'x');

    std::memset(buffer, 'x', sizeof(buffer));
    formatParameterHint(*bank, kCutoff, buffer, 0);
    formatParameterStatus(*bank, *midiLearn, kCutoff, buffer, -4);
    formatParameterStatus(*bank, *midiLearn, kCutoff, nullptr, 16);
    EXPECT_EQ(buffer[0], 'x') << "a size below 1 writes nothing";
}

TEST_F(ParameterTextTest, AnIndexOutsideTheListGivesEmptyFieldsNotAFault)
{
    EXPECT_EQ(status(97), "\n ");
    EXPECT_EQ(status(-1), "\n ");
    EXPECT_EQ(hint(100000), ":  ");
}

} // namespace
