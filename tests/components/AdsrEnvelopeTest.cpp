// The ADSR envelope: stage times across sample rates, velocity, key tracking, modes, notifications.
#include "components/AdsrEnvelope.h"

#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

using Env = AdsrEnvelope;
using Log = std::vector<std::string>;

// Appends "<id><event>" to a log shared by several observers.
struct Recorder : IAdsrEnvelopeObserver
{
    Recorder(Log& sharedLog, char ownId) : log(sharedLog), id(ownId) {}
    void onAttack(AdsrEnvelope*) override { log.push_back({id, 'A'}); }
    void onDecay(AdsrEnvelope*) override { log.push_back({id, 'D'}); }
    void onRelease(AdsrEnvelope*) override { log.push_back({id, 'R'}); }
    void onFinished(AdsrEnvelope*) override { log.push_back({id, 'F'}); }
    Log& log;
    char id;
};

// An envelope with times in seconds and the sustain level (not its setting).
std::unique_ptr<Env> makeEnvelope(float rateHz, float attack = 0.0f, float decay = 2.5f,
                                  float sustainLevel = 0.0f, float release = 0.625f)
{
    auto env = std::make_unique<Env>("E1");
    env->setSampleRate(rateHz);
    env->setValue(Env::kA, std::sqrt(attack / 10.0f));
    env->setValue(Env::kD, std::sqrt(decay / 10.0f));
    env->setValue(Env::kS, std::sqrt(sustainLevel));
    env->setValue(Env::kR, std::sqrt(release / 10.0f));
    return env;
}

std::vector<float> render(Env& env, long frames, int blockFrames = 4096)
{
    std::vector<float> out;
    for (; frames > 0; frames -= blockFrames)
    {
        const int n = static_cast<int>(std::min<long>(frames, blockFrames));
        env.process(n);
        out.insert(out.end(), env.getOutput(), env.getOutput() + n);
    }
    return out;
}

// Samples processed one at a time until the stage is no longer stage; -1 past limit.
long framesWhile(Env& env, Env::Stage stage, long limit)
{
    for (long frame = 0; frame < limit; ++frame)
    {
        env.process(1);
        if (env.getStage() != stage)
        {
            return frame;
        }
    }
    return -1;
}

class AdsrEnvelopeRateTest : public ::testing::TestWithParam<float>
{
};

} // namespace

TEST_P(AdsrEnvelopeRateTest, StagesEndInTheirNominalTimes)
{
    const float rate = GetParam();
    for (float seconds : {0.01f, 0.1f, 0.5f})
    {
        const double tau = static_cast<double>(seconds * rate);
        auto env = makeEnvelope(rate, seconds, seconds, 0.25f, seconds);
        env->trigger(69, 60, 127);
        EXPECT_NEAR(framesWhile(*env, Env::kAttack, 100000), tau, 0.002 * tau + 2) << seconds;
        EXPECT_EQ(env->getOutput()[0], 1.0f);
        // One time constant covers 1 - 1/e of the way to the sustain level.
        EXPECT_NEAR(render(*env, static_cast<long>(tau)).back(), 0.25 + 0.75 / std::exp(1.0),
                    0.003);
        EXPECT_NEAR(render(*env, static_cast<long>(20 * tau)).back(), 0.25f, 1e-6f);
        // From 0.25 a curve aimed at -0.582 reaches 0 after ln(0.832 / 0.582) time constants.
        env->release(0);
        EXPECT_NEAR(framesWhile(*env, Env::kRelease, 100000), tau * std::log(0.8319781 / 0.5819781),
                    0.003 * tau + 2);
        EXPECT_EQ(env->getOutput()[0], 0.0f);
    }
}

TEST_P(AdsrEnvelopeRateTest, KeyTrackingScalesEveryTimeByPowersOfTwo)
{
    const float rate = GetParam();
    struct Case
    {
        float kt;
        int note;
        double factor;
    };
    for (const Case c : {Case{1.0f, 72, 0.5}, Case{1.0f, 48, 2.0}, Case{1.0f, 60, 1.0},
                         Case{0.5f, 60, 1.0}, Case{0.0f, 84, 1.0}, Case{0.5f, 84, 0.5},
                         Case{1.0f, -500, 32.0}}) // notes are held to 0..127
    {
        const double expected = c.factor * 0.01 * static_cast<double>(rate);
        auto env = makeEnvelope(rate, 0.01f, 1.0f, 1.0f, 0.01f);
        env->setValue(Env::kKT, c.kt);
        env->trigger(69, c.note, 127);
        EXPECT_NEAR(framesWhile(*env, Env::kAttack, 100000), expected, 0.003 * expected + 2)
            << c.kt << " " << c.note;
        env->release(0);
        EXPECT_NEAR(framesWhile(*env, Env::kRelease, 100000), expected, 0.003 * expected + 2)
            << c.kt << " " << c.note;
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, AdsrEnvelopeRateTest,
                         ::testing::Values(44100.0f, 48000.0f, 96000.0f));

TEST(AdsrEnvelopeTest, ShortAttacksReachFullLevelAtOnceAndNeverOvershoot)
{
    for (float rate : {8000.0f, 44100.0f, 384000.0f})
    {
        auto env = makeEnvelope(rate, 0.0f, 10.0f, 1.0f);
        env->trigger(69, 60, 127);
        const std::vector<float> out = render(*env, 64);
        EXPECT_TRUE(out[0] == 1.0f || out[1] == 1.0f) << out[0] << " " << out[1];
        EXPECT_EQ(env->getStage(), Env::kDecaySustain);
    }
    // The step that crosses full level must not carry its overshoot into the decay.
    for (float attack : {0.0f, 0.0001f, 0.001f})
    {
        auto env = makeEnvelope(44100.0f, attack, 2.5f, 1.0f);
        env->trigger(69, 60, 127);
        const std::vector<float> out = render(*env, 2000);
        EXPECT_EQ(TestAnalysis::peak(out.data(), out.size()), 1.0) << attack;
    }
}

TEST(AdsrEnvelopeTest, VelocityDepthScalesTheLevel)
{
    for (auto [depth, velocity, gain] :
         {std::tuple{1.0f, 64, 0.254f}, std::tuple{1.0f, 127, 1.0f}, std::tuple{0.0f, 1, 1.0f},
          std::tuple{0.5f, 0, 0.5f}, std::tuple{1.0f, 300, 1.0f}})
    {
        auto env = makeEnvelope(44100.0f, 0.0f, 2.5f, 1.0f);
        env->setValue(Env::kVDpth, depth);
        env->trigger(69, 60, velocity);
        EXPECT_NEAR(render(*env, 100).back(), gain, 0.0005f) << depth << " " << velocity;
    }
}

TEST(AdsrEnvelopeTest, LegatoIgnoresTriggersUntilTheReleaseAndRetrigRisesFromTheLevel)
{
    Log log;
    Recorder recorder(log, '1');
    auto env = makeEnvelope(44100.0f, 0.01f, 0.05f, 0.25f, 1.0f);
    auto reference = makeEnvelope(44100.0f, 0.01f, 0.05f, 0.25f, 1.0f);
    for (Env* e : {env.get(), reference.get()})
    {
        e->setValue(Env::kTMode, 0.0f);
        e->setValue(Env::kVDpth, 1.0f);
        e->setValue(Env::kKT, 1.0f);
        e->trigger(69, 60, 100);
    }
    env->addObserver(&recorder);
    render(*env, 200); // in the attack
    render(*reference, 200);
    env->trigger(60, 84, 20);
    render(*env, 5000);
    render(*reference, 5000);
    env->trigger(84, 36, 127); // in the sustain
    EXPECT_EQ(render(*env, 20000), render(*reference, 20000));
    EXPECT_EQ(log, Log{"1D"});

    env->release(0);
    const float falling = render(*env, 2000).back();
    env->trigger(60, 60, 100);
    const std::vector<float> rise = render(*env, 2000);
    EXPECT_GT(rise[0], falling);
    EXPECT_LT(rise[0], falling + 0.01f);
    EXPECT_EQ(log, (Log{"1D", "1R", "1A", "1D"}));

    // Retrig during the sustain: from 0.25 toward 1.582, full level after ln(1.332 / 0.582) tau.
    auto retrig = makeEnvelope(44100.0f, 0.1f, 0.01f, 0.25f);
    retrig->trigger(69, 60, 127);
    EXPECT_NEAR(render(*retrig, 30000).back(), 0.25f, 1e-6f);
    retrig->trigger(60, 60, 127);
    EXPECT_NEAR(framesWhile(*retrig, Env::kAttack, 10000), 4410 * std::log(1.3319781 / 0.5819781),
                10);
}

TEST(AdsrEnvelopeTest, NotifiesObserversInOrder)
{
    Log log;
    Recorder first(log, '1');
    Recorder second(log, '2');
    auto env = makeEnvelope(44100.0f, 0.0f, 0.001f);
    EXPECT_TRUE(env->addObserver(&first));
    EXPECT_TRUE(env->addObserver(&second));
    EXPECT_FALSE(env->addObserver(nullptr));

    env->release(0); // idle: nothing happens
    render(*env, 100);
    EXPECT_TRUE(log.empty());

    env->trigger(69, 60, 127);
    render(*env, 1000);
    env->release(0);
    render(*env, 1); // a sustain of 0 releases on the first sample
    EXPECT_EQ(log, (Log{"1A", "2A", "1D", "2D", "1R", "2R", "1F", "2F"}));

    log.clear();
    env->trigger(69, 60, 127);
    env->reset();
    EXPECT_EQ(log, (Log{"1A", "2A", "1F", "2F"}));
    EXPECT_EQ(render(*env, 10), std::vector<float>(10, 0.0f));
}

TEST(AdsrEnvelopeTest, SettingsChangeTheRunningStageAsDescribed)
{
    // S during the attack counts from the start of the decay; during the sustain the level
    // glides to it at the decay rate.
    auto env = makeEnvelope(44100.0f, 1.0f, 0.1f, 1.0f);
    env->trigger(69, 60, 127);
    render(*env, 1000);
    env->setValue(Env::kS, 0.5f);
    std::vector<float> out = render(*env, 44100);
    EXPECT_EQ(TestAnalysis::peak(out.data(), out.size()), 1.0);
    EXPECT_NEAR(render(*env, 88200).back(), 0.25f, 1e-6f);
    env->setValue(Env::kS, 1.0f);
    EXPECT_NEAR(render(*env, 4410).back(), 0.25 + 0.75 * (1.0 - 1.0 / std::exp(1.0)), 0.003);

    // A during the attack and R during the release take effect at once; D in the release not.
    env = makeEnvelope(44100.0f, 1.0f, 0.1f, 1.0f, 5.0f);
    env->trigger(69, 60, 127);
    render(*env, 100);
    env->setValue(Env::kA, 0.0f);
    EXPECT_EQ(render(*env, 3).back(), 1.0f);
    env->release(0);
    render(*env, 100);
    env->setValue(Env::kD, 0.0f);
    env->setValue(Env::kR, std::sqrt(0.001f));
    EXPECT_EQ(render(*env, 600).back(), 0.0f);
    EXPECT_EQ(env->getStage(), Env::kIdle);
}

TEST(AdsrEnvelopeTest, EvenTheLongestKeyTrackedTimesEnd)
{
    // 10 s at 384 kHz, scaled by 32 for note 0: steps far below the float resolution of the level.
    auto env = makeEnvelope(384000.0f, 10.0f, 10.0f, 0.25f, 10.0f);
    env->setValue(Env::kKT, 1.0f);
    env->trigger(69, 0, 127);
    EXPECT_GE(framesWhile(*env, Env::kAttack, 1000000), 0);
    env->release(0);
    EXPECT_GE(framesWhile(*env, Env::kRelease, 1000000), 0);
}

TEST(AdsrEnvelopeTest, SplitRendersEqualOneRender)
{
    auto play = [](int blockFrames)
    {
        auto env = makeEnvelope(48000.0f, 0.05f, 0.1f, 0.36f, 0.08f);
        env->setValue(Env::kVDpth, 0.7f);
        env->trigger(69, 64, 90);
        std::vector<float> out = render(*env, 12345, blockFrames);
        env->release(0);
        const std::vector<float> tail = render(*env, 6000, blockFrames);
        env->trigger(64, 70, 30);
        const std::vector<float> again = render(*env, 8000, blockFrames);
        out.insert(out.end(), tail.begin(), tail.end());
        out.insert(out.end(), again.begin(), again.end());
        return out;
    };
    const std::vector<float> whole = play(kMaxBlockFrames);
    for (int block : {1, 64, 511})
    {
        EXPECT_EQ(play(block), whole) << block;
    }
}

TEST(AdsrEnvelopeTest, AnySettingsAndRatesStayFiniteInRangeAndAllocateNothing)
{
    const unsigned seed = 20240611u;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> norm(0.0f, 1.0f);
    std::uniform_int_distribution<int> midi(0, 127);
    std::uniform_int_distribution<int> frames(1, 3000);
    const float rates[] = {8000.0f, 22050.0f, 44100.0f, 192000.0f, 384000.0f};
    auto env = makeEnvelope(44100.0f);
    for (int round = 0; round < 300; ++round)
    {
        env->setSampleRate(rates[round % 5]);
        for (int index = 0; index < env->getParameterCount(); ++index)
        {
            env->setValue(index, round % 3 == 0 && index != Env::kS ? 0.0f : norm(random));
        }
        const int n = frames(random);
        TestAllocation::Scope scope;
        env->trigger(60, midi(random), midi(random));
        env->process(frames(random));
        env->release(0);
        env->process(n);
        ASSERT_EQ(scope.count(), 0);
        for (int i = 0; i < n; ++i)
        {
            const float v = env->getOutput()[i];
            ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << "round " << round << " value " << v;
        }
    }
}

TEST(AdsrEnvelopeTest, EnvelopesProcessedTogetherGiveWhatEachGivesAlone)
{
    // Envelopes of a voice collection in every stage: attacks, decays settling towards their
    // sustain, sustains reached, releases, idle ones; settings changed on the way. Each must give
    // the samples, stages and notifications of its own process, bit for bit.
    const unsigned seed = 20240704u;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> norm(0.0f, 1.0f);
    std::uniform_int_distribution<int> frames(1, 1500);
    for (int envelopeCount : {1, 2, 3, 4, 5, 7, 16, 32})
    {
        Log groupLog;
        Log aloneLog;
        std::vector<std::unique_ptr<Env>> grouped;
        std::vector<std::unique_ptr<Env>> alone;
        std::vector<std::unique_ptr<Recorder>> recorders;
        std::vector<Env*> pointers;
        for (int k = 0; k < envelopeCount; ++k)
        {
            const float attack = 0.02f * static_cast<float>(k % 3);
            const float decay = 0.05f + 0.3f * norm(random);
            const float sustain = k % 5 == 0 ? 1.0f : norm(random);
            for (auto* set : {&grouped, &alone})
            {
                set->push_back(makeEnvelope(44100.0f, attack, decay, sustain, 0.1f));
                set->back()->setValue(Env::kVDpth, 0.4f);
            }
            recorders.push_back(std::make_unique<Recorder>(groupLog, static_cast<char>('a' + k)));
            grouped.back()->addObserver(recorders.back().get());
            recorders.push_back(std::make_unique<Recorder>(aloneLog, static_cast<char>('a' + k)));
            alone.back()->addObserver(recorders.back().get());
            pointers.push_back(grouped.back().get());
        }
        for (int block = 0; block < 60; ++block)
        {
            const int count = frames(random);
            const int k = static_cast<int>(random() % static_cast<unsigned>(envelopeCount));
            const int event = static_cast<int>(random() % 8);
            const float value = norm(random);
            for (Env* env : {grouped[k].get(), alone[k].get()})
            {
                if (event == 0)
                {
                    env->trigger(60, 40 + k, 100);
                }
                else if (event == 1)
                {
                    env->release(0);
                }
                else if (event == 2)
                {
                    env->setValue(Env::kS, value);
                }
                else if (event == 3)
                {
                    env->setValue(Env::kD, value * 0.3f);
                }
            }
            Env::processGroup(pointers.data(), envelopeCount, count);
            for (auto& env : alone)
            {
                env->process(count);
            }
            for (int e = 0; e < envelopeCount; ++e)
            {
                ASSERT_EQ(std::memcmp(grouped[e]->getOutput(), alone[e]->getOutput(),
                                      sizeof(float) * static_cast<std::size_t>(count)),
                          0)
                    << envelopeCount << " envelopes, envelope " << e << ", block " << block;
                ASSERT_EQ(grouped[e]->getStage(), alone[e]->getStage());
            }
        }
        // The same notifications for each envelope, in the same order (the order between
        // envelopes is free).
        auto byEnvelope = [](const std::string& a, const std::string& b) { return a[0] < b[0]; };
        std::stable_sort(groupLog.begin(), groupLog.end(), byEnvelope);
        std::stable_sort(aloneLog.begin(), aloneLog.end(), byEnvelope);
        EXPECT_EQ(groupLog, aloneLog) << envelopeCount << " envelopes";
    }
}
