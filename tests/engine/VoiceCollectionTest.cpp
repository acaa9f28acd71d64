// The generic voice's fan-out and the sixteen voices seen as one component and one programmable.
#include "engine/VoiceCollection.h"

#include "tests/engine/EngineDoubles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace
{

struct VoiceCollectionTest : ::testing::Test
{
    TestVoiceFactory factory;
    std::unique_ptr<VoiceCollection> voices = std::make_unique<VoiceCollection>(factory);
};

TEST_F(VoiceCollectionTest, HoldsSixteenVoicesInFactoryOrderAndSharesTheirParameters)
{
    ASSERT_EQ(factory.made.size(), 16u);
    for (int i = 0; i < 16; ++i)
    {
        EXPECT_EQ(voices->getVoice(i), factory.made[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(voices->getVoice(-1), nullptr);
    EXPECT_EQ(voices->getVoice(16), nullptr);

    voices->setValue(0, 0.75f);
    for (TestVoice* voice : factory.made)
    {
        EXPECT_FLOAT_EQ(voice->getValue(0), 0.75f);
    }
    factory.made[1]->setValue(0, 0.1f);
    factory.made[0]->setValue(0, 0.2f);
    EXPECT_FLOAT_EQ(voices->getValue(0), 0.2f) << "reads come from the first voice";
    voices->resetParameter(0);
    EXPECT_FLOAT_EQ(factory.made[15]->getValue(0), 0.25f);
    char text[8] = "unset";
    voices->getName(0, text);
    EXPECT_STREQ(text, "T Val");
    voices->getName(1, text);
    EXPECT_STREQ(text, "T Val") << "an index past a voice's parameters is ignored";
    EXPECT_EQ(voices->getParameterCount(), 1);
}

TEST_F(VoiceCollectionTest, EventsReachEveryPartOfEveryVoiceInListOrder)
{
    voices->bend(-0.5f);
    voices->press(0.25f);
    voices->controlChange(7, 0.5f);
    voices->setSampleRate(96000.0f);
    voices->reset();
    const auto& calls = factory.log.calls;
    ASSERT_EQ(calls.size(), 4u * 32u);
    for (std::size_t i = 0; i < 32; ++i)
    {
        EXPECT_EQ(calls[i].kind, 'B');
        EXPECT_EQ(calls[i].source, static_cast<int>(i / 2));
        EXPECT_EQ(calls[i].part, static_cast<int>(i % 2)) << "first part before second part";
        EXPECT_EQ(calls[i].value, -0.5f);
    }
    EXPECT_EQ(calls[32].kind, 'P');
    EXPECT_EQ(calls[64].kind, 'C');
    EXPECT_EQ(calls[127].kind, 'X');
    EXPECT_EQ(factory.made[15]->second.rate, 96000.0f);

    TestVoice& voice = *factory.made[3];
    EXPECT_EQ(voice.getCurrentNote(), 0);
    factory.log.calls.clear();
    voice.trigger(69, 60, 100);
    voice.release(33);
    EXPECT_EQ(voice.getCurrentNote(), 60);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[1].kind, 'T');
    EXPECT_EQ(calls[1].part, 1);
    EXPECT_EQ(calls[1].a, 69);
    EXPECT_EQ(calls[1].b, 60);
    EXPECT_EQ(calls[1].c, 100);
    EXPECT_EQ(calls[3].kind, 'R');
    EXPECT_EQ(calls[3].a, 33);
}

TEST_F(VoiceCollectionTest, ProcessAddsTheSumOfTheSoundingVoices)
{
    float buffer[64];
    std::fill(buffer, buffer + 64, 0.5f);
    voices->process(buffer, 64);
    EXPECT_EQ(buffer[0], 0.5f) << "silent voices leave the buffer alone";
    factory.made[2]->trigger(69, 60, 100);
    factory.made[9]->trigger(60, 64, 100);
    voices->process(buffer, 32);
    EXPECT_EQ(buffer[31], 2.5f);
    EXPECT_EQ(buffer[32], 0.5f);
}

} // namespace
