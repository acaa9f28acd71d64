// Time-ordered dispatch, the block cut at event offsets, channel filtering, malformed input, the
// engine reset and rendering while "Poly" is written from another thread.
#include "engine/MessageDispatcher.h"

#include "sonarch/midi/MidiLearn.h"
#include "tests/engine/EngineDoubles.h"
#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <future>
#include <memory>
#include <random>
#include <string>

namespace
{

// A status or data byte as the plug-in object hands it over: widened as a signed 8-bit value.
int widened(int byte)
{
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(byte));
}

struct MessageDispatcherTest : ::testing::Test
{
    TestVoiceFactory factory;
    CallLog controlLog; // what the first controllable receives
    RecordingPart controls{controlLog, factory.watch, -2, 0};
    std::unique_ptr<VoiceCollection> voices = std::make_unique<VoiceCollection>(factory);
    std::unique_ptr<VoiceAllocator> allocator = std::make_unique<VoiceAllocator>(voices.get());
    RecordingPart global{factory.log, factory.watch, -1, 0};
    RecordingEffect effect{factory.log};
    std::unique_ptr<SynthComponentCollection> globals =
        std::make_unique<SynthComponentCollection>();
    std::unique_ptr<EffectComponentCollection> effects =
        std::make_unique<EffectComponentCollection>();
    std::unique_ptr<Sonarch::Midi::MidiLearn> learn =
        std::make_unique<Sonarch::Midi::MidiLearn>(nullptr);
    std::unique_ptr<MessageDispatcher> dispatcher = std::make_unique<MessageDispatcher>(
        voices.get(), allocator.get(), globals.get(), effects.get(), learn.get());
    std::vector<float> left = std::vector<float>(20000);
    std::vector<float> right = std::vector<float>(20000);
    float* outputs[2] = {left.data(), right.data()};

    void SetUp() override
    {
        globals->add(&global);
        effects->add(&effect);
        dispatcher->addControllable(&controls);
        dispatcher->addControllable(allocator.get());
        effect.base = outputs;
        factory.log.calls.clear();
    }
    void send(int deltaFrames, int status, int first, int second)
    {
        dispatcher->enqueue({deltaFrames, widened(status), widened(first), widened(second)});
    }
    void render(int frames)
    {
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        dispatcher->render(outputs, frames);
    }
    // The kinds of the logged calls among those given, in order.
    std::string sequence(const std::string& kinds) const
    {
        std::string found;
        for (const Call& call : factory.log.calls)
        {
            if (call.part == 0 && kinds.find(call.kind) != std::string::npos)
            {
                found += call.kind;
            }
        }
        return found;
    }
    std::vector<int> pieces() const
    {
        std::vector<int> sizes;
        for (const Call& call : factory.log.of('G'))
        {
            sizes.push_back(call.a);
        }
        return sizes;
    }
};

TEST_F(MessageDispatcherTest, BlockIsCutAtEventOffsetsAndInPiecesOfAtMost8192Frames)
{
    send(100, 0x90, 60, 100);
    render(256);
    EXPECT_EQ(pieces(), (std::vector<int>{100, 156}));
    EXPECT_EQ(sequence("GETGE"), "GETGE");
    const Call second = factory.log.of('E').at(1);
    EXPECT_EQ(second.a, 100);
    EXPECT_EQ(second.c, 100);
    EXPECT_EQ(second.value, 1.0f) << "the effects run on what the voices added";
    EXPECT_TRUE(effect.inPlace);
    EXPECT_EQ(*std::max_element(left.begin(), left.begin() + 100), 0.0f);
    EXPECT_EQ(*std::min_element(left.begin() + 100, left.begin() + 256), 1.0f);

    factory.log.calls.clear();
    render(20000);
    render(0);
    EXPECT_EQ(pieces(), (std::vector<int>{8192, 8192, 3616}));
    EXPECT_EQ(factory.log.of('E')[2].a, 16384);
}

TEST_F(MessageDispatcherTest, EqualOffsetsAreDispatchedInArrivalOrder)
{
    send(50, 0x80, 60, 0);
    send(50, 0x90, 60, 100);
    send(10, 0x90, 60, 100);
    render(256);
    EXPECT_EQ(pieces(), (std::vector<int>{10, 40, 206}));
    EXPECT_EQ(sequence("TR"), "TRT") << "note-off then note-on retriggers the key";
    EXPECT_EQ(factory.log.of('T')[1].source, 1);
}

TEST_F(MessageDispatcherTest, EventsAtOrBeyondTheEndTakeEffectInThisBlock)
{
    send(100, 0x90, 60, 100);
    send(400, 0x80, 60, 5);
    render(256);
    EXPECT_EQ(sequence("GTRG"), "GTRG") << "the late note-off lands at 100, with the note-on";

    factory.log.calls.clear();
    send(300, 0x80, 62, 5);
    send(256, 0x90, 62, 100);
    send(256, 0x90, 64, 100);
    render(256);
    EXPECT_EQ(sequence("GTR"), "GTTR");
    render(256);
    EXPECT_EQ(sequence("GTR"), "GTTRG") << "nothing is left for the next block";
}

TEST_F(MessageDispatcherTest, AllSoundOffAndAllNotesOffResetAtOnceOnAnyChannel)
{
    dispatcher->setValue(1, 0.0f); // omni off, channel 1
    for (int controller : {120, 123})
    {
        send(0, 0x90, 60, 100);
        render(64);
        send(10, 0x90, 62, 100);
        learn->setLearnTarget(3);
        learn->beginLearn();
        factory.log.calls.clear();
        send(0, 0xB4, controller, 0); // channel 5
        EXPECT_EQ(factory.log.of('X').size(), 33u)
            << "the voices twice (directly and by the allocator), the global component";
        EXPECT_EQ(sequence("GE"), "");
        send(0, 0x80, 60, 0);
        render(64);
        EXPECT_EQ(sequence("TR"), "") << "queued note dropped, held note forgotten";
        EXPECT_EQ(left[0], 0.0f);
        EXPECT_TRUE(learn->isLearning()) << "MIDI learn does not see the reset controllers";
        learn->endLearn();
    }
}

TEST_F(MessageDispatcherTest, ChannelFilterAndOmniControllers)
{
    dispatcher->setValue(1, 0.0f);
    learn->setLearnTarget(5);
    learn->beginLearn();
    send(0, 0x91, 60, 100); // channel 2
    send(0, 0xB1, 7, 100);
    send(0, 0xB1, 125, 0);
    render(64);
    EXPECT_EQ(sequence("T"), "");
    EXPECT_TRUE(controlLog.calls.empty());
    EXPECT_EQ(learn->getController(5), 7) << "MIDI learn hears every channel";
    EXPECT_EQ(dispatcher->getValue(1), 0.0f);

    send(0, 0xB0, 125, 0); // omni on from the listened channel
    send(1, 0x91, 60, 100);
    send(2, 0xB1, 124, 0); // omni off from another channel: ignored
    render(64);
    EXPECT_EQ(sequence("T"), "T");
    EXPECT_EQ(dispatcher->getValue(1), 1.0f);
    send(0, 0xB0, 124, 0);
    send(0, 0xB0, 7, 127);
    render(64);
    char text[8];
    dispatcher->getDisplay(1, text);
    EXPECT_STREQ(text, "Off");
    ASSERT_EQ(controlLog.calls.size(), 1u);
    EXPECT_EQ(controlLog.calls[0].value, 1.0f);
}

TEST_F(MessageDispatcherTest, BendPressureAndVelocityZero)
{
    send(0, 0xE0, 0, 64);
    send(0, 0xE0, 127, 127);
    send(0, 0xE0, 0, 0);
    send(0, 0xD0, 127, 0);
    send(0, 0x90, 60, 100);
    send(1, 0x90, 60, 0);
    render(64);
    const auto bends = factory.log.of('B');
    ASSERT_EQ(bends.size(), 3u * 16u);
    EXPECT_EQ(bends[0].value, 0.0f);
    EXPECT_EQ(bends[16].value, 8191.0f / 8192.0f);
    EXPECT_EQ(bends[32].value, -1.0f);
    EXPECT_EQ(factory.log.of('P').at(15).value, 1.0f);
    ASSERT_EQ(factory.log.of('R').size(), 1u);
    EXPECT_EQ(factory.log.of('R')[0].a, 0);
}

TEST_F(MessageDispatcherTest, MalformedBytesAndNegativeOffsetsAreHandledSafely)
{
    learn->setLearnTarget(4);
    learn->beginLearn();
    send(-20, 0x90, 60, 100);
    send(-5, 0x90, 0xC4, 100); // note byte 0xC4 widens to -60
    send(0, 0x90, 61, 0x90);
    send(0, 0xB0, 0xFF, 64);
    send(0, 0xB0, 7, 0x83);
    send(0, 0xE0, 0x80, 64);
    send(0, 0xD0, 0xF0, 0);
    send(0, 0x80, 60, 0xFF); // ends the note with velocity 0
    send(0, 0x90, 62, 100);
    send(-3, 0x80, 62, 0); // counts as 0: after the note-on that arrived first
    render(256);
    EXPECT_EQ(pieces(), (std::vector<int>{256}));
    EXPECT_EQ(factory.log.of('E')[0].a, 0);
    EXPECT_EQ(sequence("TRBP"), "TRTR");
    EXPECT_EQ(factory.log.of('R')[0].a, 0);
    EXPECT_TRUE(controlLog.calls.empty());
    EXPECT_TRUE(learn->isLearning());
}

TEST_F(MessageDispatcherTest, QueueKeepsTimeOrderBeyondItsReservedRoom)
{
    const unsigned seed = 20240611u;
    std::mt19937 random(seed);
    std::vector<std::pair<int, int>> expected(5000); // (offset, identity), in arrival order
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        expected[i] = {static_cast<int>(random() % 256u), static_cast<int>(i)};
    }
    TestAllocation::Scope reserved;
    long withinReserve = 0;
    for (const auto& [offset, identity] : expected)
    {
        if (identity == MidiEventQueue::kReservedEvents)
        {
            withinReserve = reserved.count();
        }
        dispatcher->enqueue({offset, 0xB0, identity / 128, identity % 128});
    }
    EXPECT_EQ(withinReserve, 0);
    // By offset, then by arrival (std::stable_sort would take nothrow new, which the counting
    // operator new of the test binary does not replace).
    std::sort(expected.begin(), expected.end());
    render(256);
    ASSERT_EQ(controlLog.calls.size(), 5000u) << "seed " << seed;
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        const Call& call = controlLog.calls[i];
        const int identity = call.a * 128 + static_cast<int>(std::lround(call.value * 127.0f));
        ASSERT_EQ(identity, expected[i].second) << "position " << i << ", seed " << seed;
    }
}

TEST_F(MessageDispatcherTest, RenderingAndDispatchAllocateNothing)
{
    render(64);
    TestAllocation::Scope scope;
    for (int block = 0; block < 20; ++block)
    {
        for (int i = 0; i < 20; ++i)
        {
            send(i * 10, 0x90, 40 + (block + i) % 30, 100);
        }
        send(5, 0xB0, 64, 127);
        send(15, 0xB0, 1, 64);
        send(25, 0xE0, 3, 70);
        send(35, 0xD0, 30, 0);
        send(45, 0xB0, 64, 0);
        for (int i = 0; i < 20; i += 2)
        {
            send(200 + i, 0x80, 40 + (block + i) % 30, 64);
        }
        if (block % 5 == 0)
        {
            allocator->setValue(0, block % 10 == 0 ? 0.0f : 1.0f);
        }
        render(256);
    }
    render(20000);
    EXPECT_EQ(scope.count(), 0);
}

TEST_F(MessageDispatcherTest, ChannelAndOmniParameters)
{
    char text[24] = "unset";
    dispatcher->setValue(0, 0.5f); // 7.5 rounds away from zero: channel 9
    dispatcher->getDisplay(0, text);
    EXPECT_STREQ(text, "9");
    EXPECT_FLOAT_EQ(dispatcher->getValue(0), 8.0f / 15.0f);
    dispatcher->setValue(0, std::nanf(""));
    dispatcher->getLongDisplay(0, text);
    EXPECT_STREQ(text, "1");
    dispatcher->setValue(2, 1.0f);
    dispatcher->getName(2, text);
    EXPECT_STREQ(text, "1") << "other indexes are ignored";

    dispatcher->setValue(0, 3.0f / 15.0f); // channel 4 listens alone
    dispatcher->setValue(1, 0.2f);
    send(0, 0x93, 60, 100);
    send(0, 0x90, 62, 100);
    render(32);
    ASSERT_EQ(factory.log.of('T').size(), 1u);
    EXPECT_EQ(factory.log.of('T')[0].b, 60);
    dispatcher->resetParameter(1);
    EXPECT_EQ(dispatcher->getValue(1), 1.0f);
}

// The user-interface thread writes "Poly" under the allocator's lock only, while the audio thread
// renders the voices under the dispatcher's lock.
TEST_F(MessageDispatcherTest, PolyWriteDuringABlockLeavesTheVoicesToTheAudioThread)
{
    send(0, 0x90, 60, 100);
    render(64);
    factory.watch.holdRender = true;
    std::thread audio([this] { render(64); });
    while (!factory.watch.holding.load())
    {
        std::this_thread::yield();
    }
    auto writer = std::async(std::launch::async, [this] { allocator->setValue(0, 0.0f); });
    const bool finished = writer.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    factory.watch.holdRender = false;
    audio.join();
    EXPECT_TRUE(finished) << "the write must not wait for the block";
    EXPECT_EQ(factory.watch.resetsWhileRendering.load(), 0);
    EXPECT_EQ(left[63], 1.0f) << "the block in progress still sounds";
    EXPECT_TRUE(factory.log.of('X').empty());
    render(64);
    EXPECT_EQ(factory.log.of('X').size(), 16u);
    EXPECT_EQ(left[0], 0.0f) << "silent from the next block";
}

TEST_F(MessageDispatcherTest, RepeatedPolyWritesWhileRenderingStayWellDefined)
{
    std::atomic<bool> done{false};
    std::atomic<int> writes{0};
    std::thread audio(
        [this, &done, &writes]
        {
            factory.watch.audioThread = std::this_thread::get_id();
            // Start rendering only once the writer runs, so the two really overlap.
            while (writes.load() == 0)
            {
                std::this_thread::yield();
            }
            for (int block = 0; block < 400; ++block)
            {
                send(block % 64, 0x90, 40 + block % 24, 100);
                send(63, 0x80, 40 + (block + 12) % 24, 0);
                render(64);
            }
            done = true;
        });
    while (!done.load())
    {
        allocator->setValue(0, writes.fetch_add(1) % 2 == 0 ? 0.0f : 1.0f);
    }
    audio.join();
    EXPECT_GT(writes.load(), 1);
    EXPECT_EQ(factory.watch.resetsWhileRendering.load(), 0);
    EXPECT_EQ(factory.watch.foreignResets.load(), 0);

    // The lists are whole again after the last write: sixteen keys get sixteen voices.
    factory.watch.audioThread = std::thread::id();
    allocator->setValue(0, 1.0f);
    factory.log.calls.clear();
    for (int i = 0; i < 16; ++i)
    {
        send(i, 0x90, 60 + i, 100);
    }
    render(64);
    const auto started = factory.log.of('T');
    ASSERT_EQ(started.size(), 16u);
    for (int i = 0; i < 16; ++i)
    {
        EXPECT_EQ(started[static_cast<std::size_t>(i)].source, i);
    }
}

} // namespace
