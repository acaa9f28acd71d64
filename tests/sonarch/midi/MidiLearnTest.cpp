// MIDI learn: learning, binding, control changes through the bank, the stored table and its
// damaged forms, and control changes while the editor holds the lock or edits the bindings.
#include "sonarch/midi/MidiLearn.h"
#include "instrument/TavrelBank.h"
#include "tests/support/TestProgrammable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <future>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

using Sonarch::Midi::MidiLearn;
using Sonarch::Midi::MidiLearnListener;
using Sonarch::Parameters::BankInterface;
using Sonarch::Parameters::BankListener;
using Sonarch::Parameters::ChunkReader;
using Sonarch::Parameters::ChunkWriter;

namespace
{

// A bank that logs its lock and unlock calls and every parameter notification.
class LoggingBank : public TavrelBank, public BankListener
{
public:
    explicit LoggingBank(IProgrammable* synthesizer) : TavrelBank(synthesizer)
    {
        addListener(this);
    }
    ~LoggingBank() override { removeListener(this); }
    void lock() override { log.push_back("lock"); }
    void unlock() override { log.push_back("unlock"); }
    void parameterChanged(BankInterface*, int index, float) override
    {
        log.push_back(std::to_string(index));
    }
    std::vector<std::string> log;
};

class CountingListener : public MidiLearnListener
{
public:
    void learnBegan(MidiLearn*) override { ++began; }
    void learnEnded(MidiLearn*) override { ++ended; }
    int began = 0;
    int ended = 0;
};

// The bindings of every controller, in order.
std::vector<std::vector<int>> bindings(const MidiLearn& learn)
{
    std::vector<std::vector<int>> lists(128);
    for (int c = 0; c < 128; ++c)
    {
        for (int i = 0; i < learn.getBindingCount(c); ++i)
        {
            lists[static_cast<std::size_t>(c)].push_back(learn.getBoundParameter(c, i));
        }
    }
    return lists;
}

// Every bound parameter's controller agrees with the lists, and no parameter is in two lists.
void expectConsistent(const MidiLearn& learn)
{
    std::vector<int> seen(128, MidiLearn::kNone);
    const auto lists = bindings(learn);
    for (int c = 0; c < 128; ++c)
    {
        for (const int parameter : lists[static_cast<std::size_t>(c)])
        {
            EXPECT_EQ(seen[static_cast<std::size_t>(parameter)], MidiLearn::kNone) << parameter;
            seen[static_cast<std::size_t>(parameter)] = c;
        }
    }
    for (int p = 0; p < 128; ++p)
    {
        EXPECT_EQ(learn.getController(p), seen[static_cast<std::size_t>(p)]) << p;
    }
}

std::vector<std::uint8_t> table(MidiLearn& learn)
{
    ChunkWriter writer(512);
    learn.write(writer);
    return {writer.getData(), writer.getData() + writer.getLength()};
}

// A table built from int32 words, little-endian.
std::vector<std::uint8_t> words(const std::vector<std::int32_t>& values)
{
    std::vector<std::uint8_t> bytes;
    for (const std::int32_t value : values)
    {
        const auto bits = static_cast<std::uint32_t>(value);
        for (int i = 0; i < 4; ++i)
        {
            bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
        }
    }
    return bytes;
}

// Word list of a table: count and indexes for the given controllers, zero counts elsewhere.
std::vector<std::int32_t> tableWords(const std::vector<std::pair<int, std::vector<int>>>& lists)
{
    std::vector<std::int32_t> result;
    for (int c = 0; c < 128; ++c)
    {
        std::vector<int> list;
        for (const auto& [controller, parameters] : lists)
        {
            if (controller == c)
            {
                list = parameters;
            }
        }
        result.push_back(static_cast<std::int32_t>(list.size()));
        result.insert(result.end(), list.begin(), list.end());
    }
    return result;
}

bool readTable(MidiLearn& learn, const std::vector<std::uint8_t>& bytes)
{
    ChunkReader reader(bytes.data(), bytes.size());
    return learn.read(reader);
}

class MidiLearnTest : public ::testing::Test
{
protected:
    MidiLearnTest()
        : synth(std::make_unique<TestProgrammable>()),
          bank(std::make_unique<LoggingBank>(synth.get())),
          learn(std::make_unique<MidiLearn>(bank.get()))
    {
        learn->addListener(&listener);
    }

    std::unique_ptr<TestProgrammable> synth;
    std::unique_ptr<LoggingBank> bank;
    std::unique_ptr<MidiLearn> learn;
    CountingListener listener;
};

TEST_F(MidiLearnTest, LearningBindsTheNextControllerWithoutApplyingItsValue)
{
    const float before = bank->getParameter(36);
    learn->setLearnTarget(36);
    learn->beginLearn();
    ASSERT_TRUE(learn->isLearning());

    learn->controlChange(74, 100);
    EXPECT_FALSE(learn->isLearning());
    EXPECT_EQ(learn->getController(36), 74);
    EXPECT_EQ(bank->getParameter(36), before);
    EXPECT_TRUE(synth->writes.empty());
    EXPECT_TRUE(bank->log.empty());

    learn->controlChange(74, 127);
    EXPECT_EQ(bank->getParameter(36), 1.0f);
    EXPECT_EQ(bank->getParameter(0, 36), 1.0f);
    learn->controlChange(74, 0);
    EXPECT_EQ(bank->getParameter(36), 0.0f);
    learn->controlChange(74, 64);
    EXPECT_FLOAT_EQ(bank->getParameter(36), 64.0f / 127.0f);
}

TEST_F(MidiLearnTest, OneMessageSetsEveryBoundParameterInBindingOrder)
{
    learn->map(37, 1);
    learn->map(36, 1);
    learn->map(3, 2);
    learn->controlChange(1, 127);
    EXPECT_EQ(bank->log, (std::vector<std::string>{"lock", "37", "36", "unlock"}));
    EXPECT_EQ(bank->getParameter(36), 1.0f);
    EXPECT_EQ(bank->getParameter(37), 1.0f);
    EXPECT_NE(bank->getParameter(3), 1.0f);

    // A controller without bindings writes nothing.
    learn->controlChange(9, 50);
    EXPECT_EQ(synth->writes.size(), 2u);
}

TEST_F(MidiLearnTest, RebindingMovesTheParameterAndUnmapTakesOnlyIt)
{
    learn->map(36, 1);
    learn->map(40, 1);
    learn->map(41, 1);
    learn->map(36, 2);
    EXPECT_EQ(learn->getController(36), 2);
    EXPECT_EQ(bindings(*learn)[1], (std::vector<int>{40, 41}));
    EXPECT_EQ(bindings(*learn)[2], (std::vector<int>{36}));

    // Binding again to the same controller moves the parameter to the end of its list.
    learn->map(40, 1);
    EXPECT_EQ(bindings(*learn)[1], (std::vector<int>{41, 40}));

    const auto before = bindings(*learn);
    learn->unmap(50);
    EXPECT_EQ(learn->getController(50), MidiLearn::kNone);
    EXPECT_EQ(bindings(*learn), before);

    learn->unmap(41);
    EXPECT_EQ(learn->getController(41), MidiLearn::kNone);
    EXPECT_EQ(bindings(*learn)[1], (std::vector<int>{40}));
    expectConsistent(*learn);

    learn->clearAll();
    for (const auto& list : bindings(*learn))
    {
        EXPECT_TRUE(list.empty());
    }
    EXPECT_EQ(learn->getController(36), MidiLearn::kNone);
    learn->controlChange(2, 127);
    EXPECT_TRUE(synth->writes.empty());
}

TEST_F(MidiLearnTest, ListenersHearOnlyRealChangesOfLearning)
{
    learn->endLearn();
    EXPECT_EQ(listener.ended, 0);

    learn->setLearnTarget(10);
    learn->beginLearn();
    learn->setLearnTarget(11); // the new target counts
    learn->beginLearn();
    EXPECT_EQ(listener.began, 1);

    learn->controlChange(20, 5);
    EXPECT_EQ(listener.ended, 1);
    EXPECT_EQ(learn->getController(11), 20);
    EXPECT_EQ(learn->getController(10), MidiLearn::kNone);

    learn->endLearn();
    learn->controlChange(20, 5); // an ordinary message
    EXPECT_EQ(listener.began, 1);
    EXPECT_EQ(listener.ended, 1);

    learn->beginLearn();
    learn->endLearn();
    learn->endLearn();
    EXPECT_EQ(listener.began, 2);
    EXPECT_EQ(listener.ended, 2);

    learn->removeListener(&listener);
    learn->beginLearn();
    learn->endLearn();
    EXPECT_EQ(listener.began, 2);
    EXPECT_EQ(listener.ended, 2);
}

TEST_F(MidiLearnTest, BytesAndIndexesOutsideTheirRangesAreIgnored)
{
    learn->map(36, 1);
    for (const auto& [controller, value] :
         std::vector<std::pair<int, int>>{{1, 128}, {1, -1}, {1, 1000}, {128, 5}, {-1, 5}})
    {
        learn->controlChange(controller, value);
    }
    EXPECT_TRUE(synth->writes.empty());

    // While learning, an invalid controller neither binds nor ends learning.
    learn->setLearnTarget(37);
    learn->beginLearn();
    learn->controlChange(200, 5);
    EXPECT_TRUE(learn->isLearning());
    EXPECT_EQ(learn->getController(37), MidiLearn::kNone);

    // A learn target that is no parameter ends learning without a binding.
    learn->setLearnTarget(97);
    learn->controlChange(3, 5);
    EXPECT_FALSE(learn->isLearning());
    EXPECT_EQ(learn->getBindingCount(3), 0);

    for (const auto& [parameter, controller] :
         std::vector<std::pair<int, int>>{{97, 1}, {-1, 1}, {1000, 1}, {5, 128}, {5, -1}})
    {
        learn->map(parameter, controller);
    }
    learn->map(96, 4);
    EXPECT_EQ(bindings(*learn)[1], (std::vector<int>{36}));
    EXPECT_EQ(learn->getController(5), MidiLearn::kNone);
    EXPECT_EQ(learn->getController(96), 4);
    EXPECT_EQ(learn->getController(-1), MidiLearn::kNone);
    EXPECT_EQ(learn->getBindingCount(128), 0);
    EXPECT_EQ(learn->getBoundParameter(1, 1), MidiLearn::kNone);
    expectConsistent(*learn);
}

// The editor holds the lock for a moment (here: another thread, until released); controlChange
// on the audio thread must not wait for it, and what it could not apply is applied when the
// editor lets go: the bound controller's value, and a learned binding. An edit of the bindings
// (a dialog) defers a learned binding until it ends, after what the dialog changed.
TEST_F(MidiLearnTest, ControlChangeNeverWaitsAndWhatMeetsTheLockIsAppliedWhenItIsFree)
{
    learn->map(36, 1);
    const float before = bank->getParameter(36);
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    std::thread editor(
        [&]
        {
            learn->lock();
            held.store(true);
            while (!release.load())
            {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            learn->unlock();
        });
    while (!held.load())
    {
        std::this_thread::yield();
    }

    auto audio = std::async(std::launch::async,
                            [&]
                            {
                                learn->controlChange(1, 64);
                                learn->controlChange(1, 127); // the latest value counts
                                learn->setLearnTarget(40);
                                learn->beginLearn();
                                learn->controlChange(2, 127);
                            });
    const bool returned = audio.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    audio.wait();
    ASSERT_TRUE(returned) << "controlChange waited for the editor's lock";
    EXPECT_EQ(bank->getParameter(36), before);
    EXPECT_FALSE(learn->isLearning());
    EXPECT_EQ(learn->getController(40), MidiLearn::kNone);
    release.store(true);
    editor.join();
    EXPECT_EQ(bank->getParameter(36), 1.0f);
    EXPECT_EQ(synth->writes.size(), 1u);
    EXPECT_EQ(learn->getController(40), 2);

    // A learn that ends during an edit binds when the edit ends, over what the edit cleared.
    const float untouched = bank->getParameter(41);
    learn->beginEdit();
    learn->setLearnTarget(41);
    learn->beginLearn();
    std::thread([&] { learn->controlChange(3, 10); }).join();
    EXPECT_FALSE(learn->isLearning());
    learn->clearAll();
    EXPECT_EQ(learn->getController(41), MidiLearn::kNone);
    learn->endEdit();
    EXPECT_EQ(learn->getController(41), 3);
    EXPECT_EQ(learn->getController(40), MidiLearn::kNone);
    EXPECT_EQ(bank->getParameter(41), untouched);
}

class MidiLearnTableTest : public MidiLearnTest
{
};

TEST_F(MidiLearnTableTest, NoBindingsIs128ZeroCounts)
{
    EXPECT_EQ(table(*learn), std::vector<std::uint8_t>(512, 0));
}

TEST_F(MidiLearnTableTest, CountsAndIndexesInControllerAndBindingOrder)
{
    learn->map(37, 1);
    learn->map(36, 1);
    learn->map(5, 127);
    learn->map(96, 0);
    EXPECT_EQ(table(*learn), words(tableWords({{0, {96}}, {1, {37, 36}}, {127, {5}}})));
}

TEST_F(MidiLearnTableTest, RoundTripKeepsEveryListsOrder)
{
    const unsigned seed = 20240611;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    for (int p = 0; p < 97; ++p)
    {
        if (random() % 4 != 0)
        {
            learn->map(static_cast<int>(random() % 97), static_cast<int>(random() % 12) * 11);
        }
    }
    const auto written = bindings(*learn);
    const std::vector<std::uint8_t> bytes = table(*learn);

    TestProgrammable otherSynth;
    TavrelBank otherBank(&otherSynth);
    MidiLearn other(&otherBank);
    other.map(3, 3); // replaced by what is read
    ASSERT_TRUE(readTable(other, bytes));
    EXPECT_EQ(bindings(other), written);
    expectConsistent(other);
    EXPECT_EQ(table(other), bytes);
}

TEST_F(MidiLearnTableTest, BankChunkCarriesProgramsAndBindingsBackUnchanged)
{
    bank->setProgramName(8, "Lead");
    bank->setParameter(8, 36, 0.375f);
    learn->map(36, 74);
    learn->map(37, 74);
    learn->map(1, 74);
    learn->map(50, 7);

    ChunkWriter writer(98948);
    bank->getBankChunk(writer);
    learn->write(writer);

    TestProgrammable otherSynth;
    TavrelBank otherBank(&otherSynth);
    MidiLearn other(&otherBank);
    ChunkReader reader(writer.getData(), writer.getLength());
    ASSERT_TRUE(otherBank.setBankChunk(reader));
    reader.setPosition(98948);
    ASSERT_TRUE(other.read(reader));
    EXPECT_STREQ(otherBank.getProgramName(8), "Lead");
    EXPECT_EQ(otherBank.getParameter(8, 36), 0.375f);
    EXPECT_EQ(bindings(other), bindings(*learn));

    // A bank chunk of the image alone leaves no binding.
    ChunkReader imageOnly(writer.getData(), 98948);
    ASSERT_TRUE(otherBank.setBankChunk(imageOnly));
    EXPECT_FALSE(other.read(imageOnly));
    EXPECT_EQ(bindings(other), std::vector<std::vector<int>>(128));
}

TEST_F(MidiLearnTableTest, DamagedCountsStopReadingAndKeepWhatCameBefore)
{
    learn->map(60, 60);
    std::vector<std::int32_t> negative = {1, 36, 2, 37, 38, 0, -5, 40};
    EXPECT_FALSE(readTable(*learn, words(negative)));
    auto lists = bindings(*learn);
    EXPECT_EQ(lists[0], (std::vector<int>{36}));
    EXPECT_EQ(lists[1], (std::vector<int>{37, 38}));
    EXPECT_EQ(learn->getController(40), MidiLearn::kNone);
    EXPECT_EQ(learn->getController(60), MidiLearn::kNone); // cleared before reading

    // An absurd count ends at once instead of swallowing the rest of the table as indexes.
    for (const std::int32_t absurd : {129, 0x7FFFFFFF, INT32_MIN})
    {
        std::vector<std::int32_t> table = tableWords({{0, {36}}});
        table[2] = absurd; // controller 1
        table.insert(table.end(), 200, 41);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(readTable(*learn, words(table))) << absurd;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
        lists = bindings(*learn);
        EXPECT_EQ(lists[0], (std::vector<int>{36}));
        EXPECT_EQ(learn->getController(41), MidiLearn::kNone);
        EXPECT_EQ(learn->getController(0), MidiLearn::kNone);
    }
}

TEST_F(MidiLearnTableTest, AShortReadKeepsTheBindingsReadSoFar)
{
    // Controller 2 promises three indexes and the data end after two.
    std::vector<std::int32_t> cut = {0, 1, 70, 3, 36, 37};
    EXPECT_FALSE(readTable(*learn, words(cut)));
    EXPECT_EQ(bindings(*learn)[1], (std::vector<int>{70}));
    EXPECT_EQ(bindings(*learn)[2], (std::vector<int>{36, 37}));

    // Data that end inside a count word.
    std::vector<std::uint8_t> bytes = words({1, 36});
    bytes.push_back(0);
    bytes.push_back(0);
    EXPECT_FALSE(readTable(*learn, bytes));
    EXPECT_EQ(bindings(*learn)[0], (std::vector<int>{36}));

    EXPECT_FALSE(readTable(*learn, {}));
    EXPECT_EQ(learn->getController(36), MidiLearn::kNone);
}

TEST_F(MidiLearnTableTest, InvalidIndexesAreSkippedAndRepeatsKeepOneBinding)
{
    const std::vector<std::int32_t> damaged =
        tableWords({{4, {-1, 36, 97, 1000000, 37, INT32_MIN}}, {5, {38, 36}}, {6, {38}}});
    ASSERT_TRUE(readTable(*learn, words(damaged)));
    const auto lists = bindings(*learn);
    EXPECT_EQ(lists[4], (std::vector<int>{37}));
    EXPECT_EQ(lists[5], (std::vector<int>{36}));
    EXPECT_EQ(lists[6], (std::vector<int>{38}));
    expectConsistent(*learn);

    // No invalid index reaches the bank when the controller moves.
    learn->controlChange(4, 127);
    learn->controlChange(5, 127);
    learn->controlChange(6, 127);
    EXPECT_EQ(synth->invalidIndexCalls, 0);
    EXPECT_EQ(bank->log, (std::vector<std::string>{"lock", "37", "unlock", "lock", "36", "unlock",
                                                   "lock", "38", "unlock"}));
}

} // namespace
