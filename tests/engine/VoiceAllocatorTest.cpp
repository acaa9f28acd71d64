// Voice choice, stealing, the sustain pedal, monophonic returns and the "Poly" parameter.
#include "engine/VoiceAllocator.h"

#include "tests/engine/EngineDoubles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{

struct VoiceAllocatorTest : ::testing::Test
{
    TestVoiceFactory factory;
    std::unique_ptr<VoiceCollection> voices = std::make_unique<VoiceCollection>(factory);
    std::unique_ptr<VoiceAllocator> allocator = std::make_unique<VoiceAllocator>(voices.get());

    void SetUp() override { factory.log.calls.clear(); }
    std::vector<Call> triggers() const { return factory.log.of('T'); }
    std::vector<Call> releases() const { return factory.log.of('R'); }
    void pedal(bool down) { allocator->controlChange(64, down ? 1.0f : 0.0f); }
};

void expectTrigger(const Call& call, int voice, int previousNote, int note, int velocity)
{
    EXPECT_EQ(call.source, voice);
    EXPECT_EQ(call.a, previousNote);
    EXPECT_EQ(call.b, note);
    EXPECT_EQ(call.c, velocity);
}

TEST_F(VoiceAllocatorTest, SeventeenthHeldNoteStealsTheOldestVoiceWithoutRelease)
{
    for (int i = 0; i <= 16; ++i)
    {
        allocator->noteOn(60 + i, 100);
    }
    const auto started = triggers();
    ASSERT_EQ(started.size(), 17u);
    expectTrigger(started[0], 0, 69, 60, 100);
    expectTrigger(started[15], 15, 74, 75, 100);
    expectTrigger(started[16], 0, 75, 76, 100);
    EXPECT_TRUE(releases().empty());

    allocator->noteOff(60, 50); // its voice now plays 76
    EXPECT_TRUE(releases().empty());
    allocator->noteOff(61, 50);
    ASSERT_EQ(releases().size(), 1u);
    EXPECT_EQ(releases()[0].source, 1);
    EXPECT_EQ(releases()[0].a, 50);
}

TEST_F(VoiceAllocatorTest, RepeatedNoteOnReleasesFirstAndTakesTheNextFreeVoice)
{
    allocator->noteOn(60, 100);
    allocator->noteOn(60, 90);
    const auto& calls = factory.log.calls;
    ASSERT_EQ(triggers().size(), 2u);
    ASSERT_EQ(releases().size(), 1u);
    EXPECT_EQ(releases()[0].source, 0);
    EXPECT_EQ(releases()[0].a, 0);
    expectTrigger(triggers()[1], 1, 60, 60, 90);
    EXPECT_EQ(calls[2].kind, 'R') << "the release comes before the new trigger";
}

TEST_F(VoiceAllocatorTest, PedalHoldsReleasedKeysUntilLifted)
{
    pedal(true);
    allocator->noteOn(60, 100); // A: voice 0
    allocator->noteOff(60, 70);
    allocator->noteOn(62, 100); // B takes a free voice, A keeps sounding
    EXPECT_EQ(triggers()[1].source, 1);
    EXPECT_TRUE(releases().empty());
    pedal(false);
    ASSERT_EQ(releases().size(), 1u);
    EXPECT_EQ(releases()[0].source, 0);
    EXPECT_EQ(releases()[0].a, 0) << "a pedal release has velocity 0";

    // With all sixteen voices held by the pedal, the oldest held one is taken, unreleased.
    allocator->reset();
    factory.log.calls.clear();
    pedal(true);
    for (int i = 0; i < 16; ++i)
    {
        allocator->noteOn(40 + i, 100);
        allocator->noteOff(40 + i, 0);
    }
    allocator->noteOn(80, 100);
    allocator->noteOn(81, 100);
    EXPECT_EQ(triggers()[16].source, 0);
    EXPECT_EQ(triggers()[17].source, 1);
    EXPECT_TRUE(releases().empty());

    // The pedal stays with the allocator; other controllers go to every voice.
    allocator->controlChange(1, 0.5f);
    ASSERT_EQ(factory.log.of('C').size(), 16u);
    EXPECT_EQ(factory.log.of('C')[15].a, 1);
}

TEST_F(VoiceAllocatorTest, MonophonicPlayingReturnsToTheNewestHeldKey)
{
    allocator->setValue(0, 0.0f);
    allocator->noteOn(60, 90);  // A
    allocator->noteOn(64, 110); // B takes the voice from A, unreleased
    allocator->noteOff(64, 10);
    allocator->noteOff(60, 20);
    const auto started = triggers();
    ASSERT_EQ(started.size(), 3u);
    expectTrigger(started[1], 0, 60, 64, 110);
    expectTrigger(started[2], 0, 64, 60, 90);
    ASSERT_EQ(releases().size(), 1u);
    EXPECT_EQ(releases()[0].a, 20);

    // A down, B down, A up: A no longer owns the voice, nothing retriggers; B up releases.
    allocator->noteOn(60, 90);
    allocator->noteOn(64, 110);
    allocator->noteOff(60, 0);
    EXPECT_EQ(triggers().size(), 5u);
    allocator->noteOff(64, 30);
    EXPECT_EQ(releases().size(), 2u);
    for (const Call& call : factory.log.calls)
    {
        if (call.kind == 'T' || call.kind == 'R')
        {
            EXPECT_EQ(call.source, 0) << "only the first voice plays";
        }
    }
}

TEST_F(VoiceAllocatorTest, PolyWriteSilencesAllVoicesOnTheNextAudioThreadCall)
{
    allocator->noteOn(60, 100);
    allocator->noteOn(62, 100);
    allocator->setValue(0, 1.0f); // the same mode
    EXPECT_TRUE(factory.log.of('X').empty()) << "the writer never resets the voices";
    allocator->applyPendingReset();
    EXPECT_EQ(factory.log.of('X').size(), 16u);
    allocator->applyPendingReset();
    EXPECT_EQ(factory.log.of('X').size(), 16u) << "one reset per write";

    allocator->noteOff(60, 0);
    EXPECT_TRUE(releases().empty()) << "the keys were forgotten";
    // A note right after a write first resets, then plays on the first voice.
    allocator->setValue(0, 0.0f);
    allocator->noteOn(70, 100);
    EXPECT_EQ(factory.log.calls.back().kind, 'T');
    EXPECT_EQ(factory.log.of('X').size(), 32u);
    expectTrigger(triggers().back(), 0, 62, 70, 100);
}

TEST_F(VoiceAllocatorTest, PolyParameterTexts)
{
    char text[24] = "unset";
    EXPECT_EQ(allocator->getValue(0), 1.0f);
    allocator->setValue(0, 0.49f);
    allocator->getLongDisplay(0, text);
    EXPECT_STREQ(text, "Mono");
    EXPECT_EQ(allocator->getValue(0), 0.0f);
    allocator->setValue(1, 1.0f);
    allocator->getDisplay(1, text);
    EXPECT_STREQ(text, "Mono") << "other indexes are ignored";
    allocator->setValue(0, std::nanf(""));
    allocator->getDisplay(0, text);
    EXPECT_STREQ(text, "Poly");
}

TEST_F(VoiceAllocatorTest, NotesOutsideTheTableAreIgnored)
{
    for (int note : {-1, -128, 128, 1000})
    {
        allocator->noteOn(note, 100);
        allocator->noteOff(note, 0);
    }
    EXPECT_TRUE(factory.log.calls.empty());
    allocator->noteOn(127, 100);
    allocator->noteOff(0, 0);
    allocator->noteOff(127, 5);
    EXPECT_EQ(releases().size(), 1u);
}

TEST_F(VoiceAllocatorTest, EndlessNoteOnsWithoutNoteOffsKeepTheHeldKeysConsistent)
{
    // Each new A or B steals the single voice, so both keys pile up in the held-key stack, past
    // its capacity.
    allocator->setValue(0, 0.0f);
    for (int i = 0; i < 400; ++i)
    {
        allocator->noteOn(i % 2 == 0 ? 60 : 64, 1 + i % 100);
    }
    allocator->noteOff(64, 0);
    expectTrigger(triggers().back(), 0, 64, 64, 100);
    for (int i = 0; i < 200; ++i)
    {
        allocator->noteOff(60, 7);
        allocator->noteOff(64, 9);
    }
    // The last B leaves one A in the stack: the voice returns to A, and A's note-off ends it.
    ASSERT_EQ(releases().size(), 1u);
    EXPECT_EQ(releases()[0].a, 7);
    allocator->noteOn(50, 100);
    expectTrigger(triggers().back(), 0, 60, 50, 100);
}

} // namespace
