// The view's idle bookkeeping over the synthesizer's bank: controls set from the bank when they are
// registered, host changes shown at the next tick with their latest value, program changes as one
// full refresh, and the panel's own changes written into the bank for every other listener.
#include "sonarch/gui/ViewBookkeeping.h"

#include "instrument/TavrelSynth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <thread>
#include <vector>

using Sonarch::Gui::ViewBookkeeping;
using Sonarch::Parameters::BankInterface;
using Sonarch::Parameters::BankListener;

namespace
{

constexpr int kCutoff = 36;
constexpr int kResonance = 37;

// A control as the view sees it: one or more parameter indexes, and every value it was shown.
// Every control also logs the indexes it was set for into one shared log, in call order.
std::vector<int> updateLog;

struct FakeControl
{
    std::vector<int> ids;
    std::vector<std::pair<int, float>> shown;

    int getCount() const { return static_cast<int>(ids.size()); }
    int getId(int i) const { return ids[static_cast<std::size_t>(i)]; }
    void setValue(int i, float value)
    {
        shown.emplace_back(i, value);
        updateLog.push_back(i);
    }
    float last() const { return shown.back().second; }
};

class RecordingListener : public BankListener
{
public:
    void parameterChanged(BankInterface*, int index, float value) override
    {
        changes.emplace_back(index, value);
    }
    std::vector<std::pair<int, float>> changes;
};

class ViewBookkeepingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        synth = std::make_unique<TavrelSynth>();
        bank = synth->getBank();
        // One control per parameter, as the panel has.
        controls.resize(static_cast<std::size_t>(bank->getParameterCount()));
        for (int index = 0; index < bank->getParameterCount(); ++index)
        {
            controls[static_cast<std::size_t>(index)].ids = {index};
            book.registerControl(&controls[static_cast<std::size_t>(index)], *bank);
        }
        for (FakeControl& control : controls)
        {
            control.shown.clear();
        }
        updateLog.clear();
    }

    FakeControl& control(int index) { return controls[static_cast<std::size_t>(index)]; }

    std::unique_ptr<TavrelSynth> synth;
    BankInterface* bank = nullptr;
    std::vector<FakeControl> controls;
    ViewBookkeeping<FakeControl> book;
};

TEST_F(ViewBookkeepingTest, RegisteringAControlShowsTheBanksCurrentValueForEachOfItsParameters)
{
    bank->setParameter(kCutoff, 0.25f);
    bank->setParameter(kResonance, 0.75f);
    FakeControl both{{kCutoff, kResonance}, {}};
    ViewBookkeeping<FakeControl> fresh;
    fresh.registerControl(&both, *bank);
    ASSERT_EQ(both.shown.size(), 2u);
    EXPECT_EQ(both.shown[0], std::make_pair(kCutoff, 0.25f));
    EXPECT_EQ(both.shown[1], std::make_pair(kResonance, 0.75f));
    EXPECT_EQ(fresh.find(kCutoff), &both);
    EXPECT_EQ(fresh.find(kResonance), &both);

    // A later control for the same index takes it over.
    FakeControl later{{kResonance}, {}};
    fresh.registerControl(&later, *bank);
    EXPECT_EQ(fresh.find(kResonance), &later);
    EXPECT_EQ(fresh.find(kCutoff), &both);
    EXPECT_EQ(fresh.find(5), nullptr);
    EXPECT_EQ(fresh.controlCount(), 2);
}

TEST_F(ViewBookkeepingTest, TenHostChangesBetweenTicksShowTheLatestValueOnceAtTheNextTick)
{
    for (int change = 1; change <= 10; ++change)
    {
        bank->setParameter(kCutoff, 0.05f * static_cast<float>(change));
        book.parameterChangedElsewhere(kCutoff);
    }
    EXPECT_TRUE(control(kCutoff).shown.empty()) << "nothing is shown before the tick";
    EXPECT_EQ(book.pendingCount(), 1);

    EXPECT_FALSE(book.idle(*bank));
    ASSERT_EQ(control(kCutoff).shown.size(), 1u);
    EXPECT_EQ(control(kCutoff).last(), bank->getParameter(kCutoff));
    EXPECT_EQ(control(kCutoff).last(), 0.5f);
    EXPECT_EQ(book.pendingCount(), 0);

    // Changes after the tick are queued again.
    bank->setParameter(kCutoff, 0.9f);
    book.parameterChangedElsewhere(kCutoff);
    book.idle(*bank);
    EXPECT_EQ(control(kCutoff).last(), 0.9f);
    EXPECT_EQ(control(kCutoff).shown.size(), 2u);
}

TEST_F(ViewBookkeepingTest, ChangesOfSeveralParametersAreShownInTheOrderTheyFirstChanged)
{
    const int order[] = {kResonance, 3, kCutoff, 3, kResonance, 96};
    for (const int index : order)
    {
        bank->setParameter(index, 0.5f);
        book.parameterChangedElsewhere(index);
    }
    book.idle(*bank);
    EXPECT_EQ(updateLog, (std::vector<int>{kResonance, 3, kCutoff, 96}));
}

TEST_F(ViewBookkeepingTest, AProgramChangeReplacesQueuedChangesWithOneFullRefresh)
{
    for (int change = 0; change < 10; ++change)
    {
        bank->setParameter(kCutoff, 0.1f * static_cast<float>(change));
        book.parameterChangedElsewhere(kCutoff);
        book.parameterChangedElsewhere(kResonance);
    }
    bank->setCurrentProgram(5);
    book.refreshAllLater();
    EXPECT_TRUE(book.isRefreshAllPending());

    EXPECT_TRUE(book.idle(*bank));
    for (int index = 0; index < bank->getParameterCount(); ++index)
    {
        ASSERT_EQ(control(index).shown.size(), 1u) << "parameter " << index;
        EXPECT_EQ(control(index).last(), bank->getParameter(index)) << "parameter " << index;
    }
    EXPECT_FALSE(book.isRefreshAllPending());
    EXPECT_EQ(book.pendingCount(), 0);

    // The queue went with the refresh: the next tick has nothing to do.
    EXPECT_FALSE(book.idle(*bank));
    EXPECT_EQ(control(kCutoff).shown.size(), 1u);
    // And a parameter queued before the refresh can be queued again after it.
    book.parameterChangedElsewhere(kCutoff);
    EXPECT_EQ(book.pendingCount(), 1);
}

TEST_F(ViewBookkeepingTest, TheQueueNeverHoldsMoreThanOneEntryPerControl)
{
    for (int round = 0; round < 50; ++round)
    {
        for (int index = -3; index < bank->getParameterCount() + 3; ++index)
        {
            book.parameterChangedElsewhere(index);
        }
    }
    // Indexes no control shows (-3..-1, 97..99) are not queued at all.
    EXPECT_EQ(book.pendingCount(), bank->getParameterCount());
    book.idle(*bank);
    for (int index = 0; index < bank->getParameterCount(); ++index)
    {
        EXPECT_EQ(control(index).shown.size(), 1u) << index;
    }
}

TEST_F(ViewBookkeepingTest, ANotificationLostOnAnotherThreadBecomesAFullRefresh)
{
    bank->setParameter(kCutoff, 0.3f);
    std::thread audio([this] { book.noteLostNotification(); });
    audio.join();
    EXPECT_TRUE(book.isRefreshAllPending());
    EXPECT_TRUE(book.idle(*bank));
    EXPECT_EQ(control(kCutoff).last(), 0.3f);
    EXPECT_EQ(control(0).shown.size(), 1u);
    EXPECT_FALSE(book.idle(*bank));
}

TEST_F(ViewBookkeepingTest, ManyChangesOnAnotherThreadPostOneNoticeUntilItArrives)
{
    int posted = 0;
    std::thread audio(
        [&]
        {
            for (int change = 0; change < 1000; ++change)
            {
                bank->setParameter(kCutoff, static_cast<float>(change) / 1000.0f);
                posted += book.needsNotice(kCutoff) ? 1 : 0;
            }
        });
    audio.join();
    EXPECT_EQ(posted, 1);

    // The notice arrives; the tick shows the last value. The next change posts again.
    book.parameterChangedElsewhere(kCutoff);
    EXPECT_TRUE(book.needsNotice(kCutoff));
    EXPECT_FALSE(book.needsNotice(kCutoff));
    book.idle(*bank);
    EXPECT_EQ(control(kCutoff).last(), 0.999f);

    // Each parameter has its own notice; indexes no control can have get none.
    EXPECT_TRUE(book.needsNotice(kResonance));
    EXPECT_FALSE(book.needsNotice(-1));
    EXPECT_FALSE(book.needsNotice(128));
}

TEST_F(ViewBookkeepingTest, ANoticeThatCouldNotBePostedBecomesAFullRefreshAndPostsAgainLater)
{
    ASSERT_TRUE(book.needsNotice(kCutoff));
    bank->setParameter(kCutoff, 0.125f);
    book.noteLostNotice(kCutoff);
    EXPECT_TRUE(book.isRefreshAllPending());
    EXPECT_TRUE(book.needsNotice(kCutoff)) << "the next change posts again";
    EXPECT_TRUE(book.idle(*bank));
    EXPECT_EQ(control(kCutoff).last(), 0.125f);
}

TEST_F(ViewBookkeepingTest, APanelChangeReachesTheBankAndEveryListenerButTheView)
{
    RecordingListener view;
    RecordingListener plugin;
    bank->addListener(&view);
    bank->addListener(&plugin);

    EXPECT_TRUE(book.controlValueChanged(kCutoff, 0.625f, *bank, &view));
    EXPECT_EQ(bank->getParameter(kCutoff), 0.625f);
    EXPECT_EQ(bank->getParameter(bank->getCurrentProgram(), kCutoff), 0.625f);
    EXPECT_TRUE(view.changes.empty()) << "the view is not told of its own change";
    ASSERT_EQ(plugin.changes.size(), 1u);
    EXPECT_EQ(plugin.changes[0], std::make_pair(kCutoff, 0.625f));
    // Nothing is queued for the panel: its control shows the value already.
    EXPECT_EQ(book.pendingCount(), 0);

    // Values from outside 0..1 are clamped; a message for a parameter no control shows, or
    // with a value that is not a number, changes nothing.
    EXPECT_TRUE(book.controlValueChanged(kResonance, 1.5f, *bank, &view));
    EXPECT_EQ(bank->getParameter(kResonance), 1.0f);
    EXPECT_FALSE(book.controlValueChanged(kCutoff, std::nanf(""), *bank, &view));
    EXPECT_FALSE(book.controlValueChanged(500, 0.5f, *bank, &view));
    EXPECT_FALSE(book.controlValueChanged(-1, 0.5f, *bank, &view));
    EXPECT_EQ(bank->getParameter(kCutoff), 0.625f);
    EXPECT_EQ(plugin.changes.size(), 2u);

    bank->removeListener(&view);
    bank->removeListener(&plugin);
}

TEST_F(ViewBookkeepingTest, OnlyRegisteredControlsAreTrusted)
{
    EXPECT_TRUE(book.holds(&control(0)));
    EXPECT_TRUE(book.holds(&control(96)));
    FakeControl stranger{{kCutoff}, {}};
    EXPECT_FALSE(book.holds(&stranger));
    EXPECT_FALSE(book.holds(nullptr));
}

} // namespace
