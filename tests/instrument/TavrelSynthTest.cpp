// The assembled synthesizer: parameter order, factory data against the real parameters, voice
// silence and restart phases, reset, and rendering through the dispatcher.
#include "instrument/TavrelSynth.h"

#include "engine/MessageDispatcher.h"
#include "instrument/FactoryBank.h"
#include "instrument/FactoryBankImage.h"
#include "instrument/TavrelVoice.h"
#include "sonarch/parameters/BankInterface.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{

class TavrelSynthTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        synth = std::make_unique<TavrelSynth>();
        bank = synth->getBank();
        dispatcher = synth->getMessageDispatcher();
    }

    void send(int deltaFrames, int status, int data1, int data2)
    {
        MidiEvent event;
        event.deltaFrames = deltaFrames;
        event.status = status;
        event.firstData = data1;
        event.secondData = data2;
        dispatcher->enqueue(event);
    }

    // Renders frames frames in blocks of blockFrames; returns the left channel.
    std::vector<float> render(int frames, int blockFrames = 512,
                              std::vector<float>* right = nullptr)
    {
        std::vector<float> left(static_cast<std::size_t>(frames));
        std::vector<float> rightChannel(static_cast<std::size_t>(frames));
        for (int done = 0; done < frames; done += blockFrames)
        {
            const int count = std::min(blockFrames, frames - done);
            float* outputs[2] = {left.data() + done, rightChannel.data() + done};
            std::memset(outputs[0], 0, sizeof(float) * static_cast<std::size_t>(count));
            std::memset(outputs[1], 0, sizeof(float) * static_cast<std::size_t>(count));
            dispatcher->render(outputs, count);
        }
        if (right != nullptr)
        {
            *right = rightChannel;
        }
        return left;
    }

    void set(const char* shortName, float value)
    {
        const int index = bank->findParameter(shortName);
        ASSERT_LT(index, bank->getParameterCount()) << shortName;
        bank->setParameter(index, value);
    }

    TavrelVoice& voice(int index)
    {
        return *static_cast<TavrelVoice*>(synth->getVoices().getVoice(index));
    }

    std::unique_ptr<TavrelSynth> synth;
    Sonarch::Parameters::BankInterface* bank = nullptr;
    MessageDispatcher* dispatcher = nullptr;
};

} // namespace

TEST_F(TavrelSynthTest, ParametersComeInTheStoredOrder)
{
    ASSERT_EQ(bank->getParameterCount(), 97);
    // The first and last parameter of every block of components.
    const std::pair<int, const char*> boundaries[] = {
        {0, "Poly"},     {1, "MIDI CH"},  {2, "OMNI"},     {3, "O1 Dtn"},   {14, "O1 PWMP"},
        {15, "O2 Dtn"},  {26, "O2 PWMP"}, {27, "O1 FM1S"}, {35, "O2 Sync"}, {36, "F Cut"},
        {44, "F CPrss"}, {45, "F FM1S"},  {46, "F FM2S"},  {47, "L1 Dela"}, {48, "L2 Dela"},
        {49, "E1 A"},    {55, "E1 TMod"}, {56, "E2 A"},    {62, "E2 TMod"}, {63, "N On"},
        {64, "Pr Time"}, {65, "O1 Lvl"},  {67, "N Lvl"},   {68, "L1 Spd"},  {75, "L2 Sync"},
        {76, "OD On"},   {77, "OD Lvl"},  {78, "P MSrc"},  {79, "P On"},    {82, "P MPol"},
        {83, "Ch On"},   {88, "Ch Mix"},  {89, "D On"},    {95, "D Sync"},  {96, "M Lvl"}};
    for (const auto& [index, name] : boundaries)
    {
        EXPECT_STREQ(bank->getParameterName(index), name) << index;
        EXPECT_EQ(bank->findParameter(name), index) << name;
    }
}

TEST_F(TavrelSynthTest, VoiceParametersReachAllSixteenVoices)
{
    set("O1 Tran", 1.0f);
    for (int v = 0; v < 16; ++v)
    {
        EXPECT_FLOAT_EQ(voice(v).getValue(1), 1.0f) << v;
    }
}

TEST_F(TavrelSynthTest, EveryFactorySettingNamesARealParameter)
{
    const FactoryProgram* programs = factoryPrograms();
    for (int p = 0; p < factoryProgramCount(); ++p)
    {
        for (int s = 0; s < programs[p].settingCount; ++s)
        {
            const char* name = programs[p].settings[s].shortName;
            EXPECT_LT(bank->findParameter(name), 97) << programs[p].name << ": " << name;
        }
    }
}

TEST_F(TavrelSynthTest, FactoryImageStartsFromDefaultsAndAppliesSettings)
{
    const std::vector<std::uint8_t> image = buildFactoryBankImage(*bank);
    ASSERT_EQ(image.size(), 98948u);
    std::int32_t version = 0;
    std::memcpy(&version, image.data(), 4);
    EXPECT_EQ(version, 1000);

    // Program 0's record: its name, a default it keeps and a setting it makes.
    const std::uint8_t* record = image.data() + 132;
    EXPECT_STREQ(reinterpret_cast<const char*>(record + 132), factoryPrograms()[0].name);
    auto valueOf = [record](int index)
    {
        float value = 0.0f;
        std::memcpy(&value, record + 260 + 4 * index, 4);
        return value;
    };
    EXPECT_FLOAT_EQ(valueOf(0), 1.0f);  // Poly stays at its default
    EXPECT_FLOAT_EQ(valueOf(94), 0.0f); // delay mix default
    const FactorySetting& first = factoryPrograms()[0].settings[0];
    EXPECT_FLOAT_EQ(valueOf(bank->findParameter(first.shortName)), first.value);
}

TEST_F(TavrelSynthTest, NoNoteMeansSilence)
{
    const std::vector<float> left = render(4096);
    EXPECT_EQ(TestAnalysis::peak(left.data(), left.size()), 0.0);
    for (int v = 0; v < 16; ++v)
    {
        EXPECT_TRUE(voice(v).isSilent());
    }
}

TEST_F(TavrelSynthTest, ANoteSoundsUntilEnvelopeOneEndsThenTheVoiceRestartsAtARandomPhase)
{
    set("E1 S", 1.0f);
    set("E1 R", 0.1f); // 0.1 s
    send(0, 0x90, 69, 100);
    std::vector<float> right;
    const std::vector<float> left = render(4410, 512, &right);
    EXPECT_FALSE(voice(0).isSilent());
    EXPECT_GT(TestAnalysis::peak(left.data() + 2205, 2205), 0.05);
    EXPECT_GT(TestAnalysis::peak(right.data() + 2205, 2205), 0.05);
    EXPECT_NEAR(TestAnalysis::zeroCrossingFrequency(left.data() + 2205, 2205, 44100.0), 440.0, 1.0);

    send(0, 0x80, 69, 0);
    // Release 0.1 s: 4410 samples to reach zero; render until the voice falls silent.
    const std::vector<float> tail = render(8820, 512);
    EXPECT_TRUE(voice(0).isSilent());
    EXPECT_EQ(TestAnalysis::peak(tail.data() + 6000, 2820), 0.0);

    // The engine's generator, seeded with 1, gives 41 and 18467 first: the restart phases
    // (no noise or sample-and-hold drew from it in between).
    EXPECT_NEAR(voice(0).getOscillator1().getPhase(), 41.0f * 2048.0f / 32767.0f, 1e-3f);
    EXPECT_NEAR(voice(0).getOscillator2().getPhase(), 18467.0f * 2048.0f / 32767.0f, 1e-2f);
}

TEST_F(TavrelSynthTest, ResetSilencesEveryVoice)
{
    set("E1 S", 1.0f);
    for (int note = 60; note < 64; ++note)
    {
        send(0, 0x90, note, 100);
    }
    render(1024);
    EXPECT_FALSE(voice(3).isSilent());
    synth->reset();
    for (int v = 0; v < 16; ++v)
    {
        EXPECT_TRUE(voice(v).isSilent()) << v;
    }
    // The effects were reset too: nothing rings on.
    const std::vector<float> left = render(2048);
    EXPECT_EQ(TestAnalysis::peak(left.data(), left.size()), 0.0);
}

TEST_F(TavrelSynthTest, SampleRateChangeKeepsThePitch)
{
    set("E1 S", 1.0f);
    for (float rate : {48000.0f, 96000.0f, 22050.0f})
    {
        synth->setSampleRate(rate);
        EXPECT_EQ(synth->getSampleRate(), rate); // the synthesizer reports the rate it runs at
        send(0, 0x90, 69, 100);
        const std::vector<float> left = render(static_cast<int>(rate / 4));
        const std::size_t half = left.size() / 2;
        EXPECT_NEAR(TestAnalysis::zeroCrossingFrequency(left.data() + half, half, rate), 440.0, 1.0)
            << rate;
        send(0, 0x80, 69, 0);
        synth->reset();
    }
    synth->setSampleRate(0.0f); // refused: the rate in use stays
    EXPECT_EQ(synth->getSampleRate(), 22050.0f);
}

TEST_F(TavrelSynthTest, SixteenVoicesAndEffectsRenderWithoutAllocating)
{
    set("E1 S", 1.0f);
    set("Ch On", 1.0f);
    set("D On", 1.0f);
    set("OD On", 1.0f);
    set("P On", 1.0f);
    set("N On", 1.0f);
    for (int note = 40; note < 56; ++note)
    {
        send(note - 40, 0x90, note, 90);
    }
    render(512);
    TestAllocation::Scope scope;
    float left[512];
    float right[512];
    float* outputs[2] = {left, right};
    for (int block = 0; block < 20; ++block)
    {
        std::memset(left, 0, sizeof(left));
        std::memset(right, 0, sizeof(right));
        dispatcher->render(outputs, 512);
    }
    EXPECT_EQ(scope.count(), 0);
    EXPECT_TRUE(TestAnalysis::allFinite(left, 512));
}

TEST_F(TavrelSynthTest, DamagedValuesInEveryParameterKeepTheAudioFinite)
{
    const float damaged[] = {std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(),
                             -1.0f,
                             2.0f,
                             1.0e30f};
    for (float value : damaged)
    {
        for (int index = 0; index < 97; ++index)
        {
            bank->setParameter(index, value);
        }
        send(0, 0x90, 60, 100);
        send(0, 0x90, 72, 100);
        const std::vector<float> left = render(8192);
        EXPECT_TRUE(TestAnalysis::allFinite(left.data(), left.size())) << value;
        synth->reset();
    }
}
