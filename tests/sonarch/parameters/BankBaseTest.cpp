// Bank listeners: registration order, the skipped listener, removal, capacity, registration on
// one thread while another notifies, and registration from inside a notification.
#include "sonarch/parameters/BankBase.h"
#include "instrument/TavrelBank.h"
#include "tests/support/TestProgrammable.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using Sonarch::Parameters::BankInterface;
using Sonarch::Parameters::BankListener;

namespace
{

// Appends "<tag> <what> <argument>" to a shared log for every callback.
class LoggingListener : public BankListener
{
public:
    LoggingListener(std::vector<std::string>& sharedLog, const char* ownTag)
        : log(sharedLog), tag(ownTag)
    {
    }
    void programChanged(BankInterface*, int program) override
    {
        log.push_back(tag + " program " + std::to_string(program));
    }
    void parameterChanged(BankInterface* bank, int index, float value) override
    {
        // The value handed over is the live one the bank reports.
        log.push_back(tag + " parameter " + std::to_string(index) +
                      (value == bank->getParameter(index) ? " live" : " stale"));
    }
    void programUpdated(BankInterface*) override { log.push_back(tag + " programUpdated"); }
    void bankUpdated(BankInterface*) override { log.push_back(tag + " bankUpdated"); }

private:
    std::vector<std::string>& log;
    std::string tag;
};

class BankBaseTest : public ::testing::Test
{
protected:
    BankBaseTest()
        : synth(std::make_unique<TestProgrammable>()),
          bank(std::make_unique<TavrelBank>(synth.get())), first(log, "first"),
          second(log, "second")
    {
    }

    std::unique_ptr<TestProgrammable> synth;
    std::unique_ptr<TavrelBank> bank;
    std::vector<std::string> log;
    LoggingListener first;
    LoggingListener second;
};

TEST_F(BankBaseTest, NotificationsReachListenersInOrderAndSkipTheCause)
{
    bank->addListener(&first);
    bank->addListener(&second);

    bank->setCurrentProgram(12);
    bank->notifyProgramChanged(nullptr);
    bank->setParameter(1, 0.5f);
    bank->notifyParameterChanged(&first, 1);
    bank->notifyProgramUpdated(&second);
    bank->notifyBankUpdated(nullptr);

    const std::vector<std::string> expected = {"first program 12",        "second program 12",
                                               "second parameter 1 live", "first programUpdated",
                                               "first bankUpdated",       "second bankUpdated"};
    EXPECT_EQ(log, expected);
}

TEST_F(BankBaseTest, SkippingTheOnlyListenerCallsNobody)
{
    bank->addListener(&first);
    bank->notifyProgramChanged(&first);
    bank->notifyParameterChanged(&first, 36);
    bank->notifyProgramUpdated(&first);
    bank->notifyBankUpdated(&first);
    EXPECT_TRUE(log.empty());
}

TEST_F(BankBaseTest, RemovalTakesEveryEntryOfTheListenerAndKeepsTheOthers)
{
    bank->addListener(&first);
    bank->addListener(&second);
    bank->addListener(&first);
    bank->notifyBankUpdated(nullptr);
    EXPECT_EQ(log.size(), 3u);

    log.clear();
    bank->removeListener(&first);
    bank->notifyBankUpdated(nullptr);
    EXPECT_EQ(log, std::vector<std::string>{"second bankUpdated"});

    log.clear();
    bank->removeListener(&first); // not registered any more: nothing happens
    bank->removeListener(&second);
    bank->notifyBankUpdated(nullptr);
    EXPECT_TRUE(log.empty());

    // Registrations past the list's capacity are dropped; the kept ones still work.
    bank->addListener(nullptr);
    for (int i = 0; i < TavrelBank::kMaxListeners; ++i)
    {
        bank->addListener(&first);
    }
    bank->addListener(&second);
    bank->notifyBankUpdated(nullptr);
    EXPECT_EQ(log, std::vector<std::string>(TavrelBank::kMaxListeners, "first bankUpdated"));
}

// Counts calls per listener number and calls that came after the listener's removal returned.
struct Tally
{
    static constexpr int kRounds = 500;
    std::array<std::atomic<int>, kRounds> calls{};
    std::array<std::atomic<bool>, kRounds> removed{};
    std::atomic<int> callsAfterRemoval{0};
};

class TallyListener : public BankListener
{
public:
    TallyListener(Tally& sharedTally, int ownNumber) : tally(sharedTally), number(ownNumber) {}
    void parameterChanged(BankInterface*, int, float) override
    {
        if (tally.removed[static_cast<std::size_t>(number)].load())
        {
            tally.callsAfterRemoval.fetch_add(1);
        }
        tally.calls[static_cast<std::size_t>(number)].fetch_add(1);
    }

private:
    Tally& tally;
    const int number;
};

// The notifying thread stands for the audio thread (MIDI learn), the main thread for the editor
// opening and closing. Each listener is deleted as soon as its removal returns, so a late call
// would also be a use after free (reported by the address-sanitizer build).
TEST_F(BankBaseTest, RegistrationWhileAnotherThreadNotifiesNeverCallsARemovedListener)
{
    auto tally = std::make_unique<Tally>();
    std::atomic<bool> stop{false};
    std::atomic<long> notifications{0};
    std::thread notifier(
        [&]
        {
            while (!stop.load())
            {
                bank->notifyParameterChanged(nullptr, 36);
                notifications.fetch_add(1);
            }
        });

    // On a loaded machine the two threads may share one core: stop early rather than run long.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    int rounds = 0;
    int roundsCalledWhileRegistered = 0;
    for (; rounds < Tally::kRounds && std::chrono::steady_clock::now() < end; ++rounds)
    {
        const int round = rounds;
        auto listener = std::make_unique<TallyListener>(*tally, round);
        bank->addListener(listener.get());
        // Wait (at most a second) until the notifier has reached the new listener.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (tally->calls[static_cast<std::size_t>(round)].load() == 0 &&
               std::chrono::steady_clock::now() < deadline)
        {
            std::this_thread::yield();
        }
        if (tally->calls[static_cast<std::size_t>(round)].load() > 0)
        {
            ++roundsCalledWhileRegistered;
        }
        bank->removeListener(listener.get());
        tally->removed[static_cast<std::size_t>(round)].store(true);
        listener.reset();
    }
    stop.store(true);
    notifier.join();

    EXPECT_EQ(tally->callsAfterRemoval.load(), 0);
    EXPECT_GE(rounds, 20);
    EXPECT_EQ(roundsCalledWhileRegistered, rounds);
    EXPECT_GT(notifications.load(), rounds);
}

// A host that answers the automation call of a knob turn by closing the editor (its view
// removed and deleted), by reopening it, or a listener that removes itself, while another thread
// keeps notifying. The change must not wait for the walk it is called from, and the walk must
// not reach a listener removed meanwhile (deleted at once: the address sanitizer would see it).
TEST_F(BankBaseTest, AListenerMayChangeTheListFromInsideAWalkWithoutWaiting)
{
    struct Case
    {
        const char* what;
        // Run by the first listener inside the walk; `view` is the listener behind it.
        std::function<void(TavrelBank&, std::unique_ptr<TallyListener>&, Tally&)> inside;
    };
    const auto close = [](TavrelBank& target, std::unique_ptr<TallyListener>& view, Tally& tally)
    {
        target.removeListener(view.get());
        tally.removed[1].store(true);
        view.reset();
    };
    const std::vector<Case> cases = {
        {"close the editor", close},
        {"close and reopen the editor",
         [&](TavrelBank& target, std::unique_ptr<TallyListener>& view, Tally& tally)
         {
             close(target, view, tally);
             auto reopened = std::make_unique<TallyListener>(tally, 2);
             target.addListener(reopened.get());
             target.removeListener(reopened.get());
             // Another thread's walk may reach it while it is listed, never after.
             tally.removed[2].store(true);
         }},
    };
    for (const Case& c : cases)
    {
        auto tally = std::make_unique<Tally>();
        auto view = std::make_unique<TallyListener>(*tally, 1);
        int hostCalls = 0;
        struct Host : BankListener
        {
            std::function<void()> onChange;
            void parameterChanged(BankInterface*, int, float) override { onChange(); }
        } host;
        host.onChange = [&]
        {
            if (hostCalls++ == 0)
            {
                c.inside(*bank, view, *tally);
            }
        };
        bank->addListener(&host);
        bank->addListener(view.get());
        std::atomic<bool> stop{false};
        std::thread audio(
            [&]
            {
                while (!stop.load())
                {
                    bank->notifyParameterChanged(&host, 36);
                }
            });
        auto walk =
            std::async(std::launch::async, [&] { bank->notifyParameterChanged(nullptr, 36); });
        const bool returned = walk.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        stop.store(true);
        audio.join();
        ASSERT_TRUE(returned) << c.what << ": the change waited for its own walk";
        EXPECT_EQ(tally->callsAfterRemoval.load(), 0) << c.what;
        bank->removeListener(&host);
    }

    // A listener that removes itself is not called again by the walk (it appears twice).
    struct Leaving : BankListener
    {
        BankInterface* from = nullptr;
        int calls = 0;
        void bankUpdated(BankInterface*) override
        {
            ++calls;
            from->removeListener(this);
        }
    } leaving;
    leaving.from = bank.get();
    bank->addListener(&leaving);
    bank->addListener(&first);
    bank->addListener(&leaving);
    bank->notifyBankUpdated(nullptr);
    EXPECT_EQ(leaving.calls, 1);
    EXPECT_EQ(log, std::vector<std::string>{"first bankUpdated"});
}

} // namespace
