// The ADSR envelope: stage times across sample rates, velocity, key tracking, modes, notifications.
#include "components/AdsrEnvelope.h"

#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

using Env = AdsrEnvelope;

// Records notifications as "<id><event>" with the frame counter the test advances.
struct Recorder : IAdsrEnvelopeObserver
{
    Recorder(std::vector<std::string>& sharedLog, char ownId) : log(sharedLog), id(ownId) {}
    void onAttack(AdsrEnvelope*) override { add('A'); }
    void onDecay(AdsrEnvelope*) override { add('D'); }
    void onRelease(AdsrEnvelope*) override { add('R'); }
    void onFinished(AdsrEnvelope*) override { add('F'); }
    void add(char event)
    {
        log.push_back(std::string{id, event});
        frames.push_back(frame);
    }
    std::vector<std::string>& log;
    std::vector<long> frames;
    char id;
    long frame = 0;
};

std::unique_ptr<Env> makeEnvelope(float rateHz)
{
    auto env = std::make_unique<Env>("E1");
    env->setSampleRate(rateHz);
    return env;
}

void setSeconds(Env& env, int index, float seconds)
{
    env.setValue(index, std::sqrt(seconds / 10.0f));
}

// Renders frames samples in blocks of blockFrames and appends them to out.
void render(Env& env, long frames, int blockFrames, std::vector<float>& out)
{
    while (frames > 0)
    {
        const int n = static_cast<int>(std::min<long>(frames, blockFrames));
        env.process(n);
        out.insert(out.end(), env.getOutput(), env.getOutput() + n);
        frames -= n;
    }
}

std::vector<float> render(Env& env, long frames)
{
    std::vector<float> out;
    render(env, frames, 4096, out);
    return out;
}

// Processes one sample at a time until the recorder has seen event; returns the frame or -1.
long framesUntil(Env& env, Recorder& recorder, const std::string& event, long limit)
{
    const std::size_t seen = recorder.log.size();
    for (recorder.frame = 0; recorder.frame < limit; ++recorder.frame)
    {
        env.process(1);
        for (std::size_t k = seen; k < recorder.log.size(); ++k)
        {
            if (recorder.log[k] == event)
            {
                return recorder.frame;
            }
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
        const double nominal = static_cast<double>(seconds * rate);
        std::vector<std::string> log;
        Recorder recorder(log, '1');
        auto env = makeEnvelope(rate);
        env->addObserver(&recorder);
        setSeconds(*env, Env::kA, seconds);
        setSeconds(*env, Env::kD, seconds);
        env->setValue(Env::kS, 0.5f); // sustain level 0.25
        setSeconds(*env, Env::kR, seconds);

        env->trigger(69, 60, 127);
        const long attackEnd = framesUntil(*env, recorder, "1D", 2 * static_cast<long>(nominal));
        EXPECT_NEAR(attackEnd, nominal, 0.002 * nominal + 2) << seconds << " s at " << rate;
        EXPECT_EQ(env->getOutput()[0], 1.0f);

        // The decay covers 1 - 1/e of the way to the sustain level in one time constant.
        const std::vector<float> decay = render(*env, static_cast<long>(nominal));
        EXPECT_NEAR(decay.back(), 0.25f + 0.75f / std::exp(1.0f), 0.003f);
        render(*env, static_cast<long>(20 * nominal));

        const float held = render(*env, 1).back();
        EXPECT_NEAR(held, 0.25f, 1e-4f);
        env->release(0);
        const long releaseEnd = framesUntil(*env, recorder, "1F", 2 * static_cast<long>(nominal));
        // From 0.25 a curve aimed at -0.58 reaches 0 after ln(0.832 / 0.582) time constants.
        EXPECT_NEAR(releaseEnd, nominal * std::log(0.8319781 / 0.5819781), 0.003 * nominal + 2);
        EXPECT_EQ(env->getOutput()[0], 0.0f);
        EXPECT_EQ(env->getStage(), Env::kIdle);
    }
}

TEST_P(AdsrEnvelopeRateTest, FullLevelReleaseEndsAfterOneTimeConstantAndCurvesAreOnePole)
{
    const float rate = GetParam();
    auto env = makeEnvelope(rate);
    setSeconds(*env, Env::kA, 0.2f);
    env->setValue(Env::kS, 1.0f);
    setSeconds(*env, Env::kR, 0.2f);
    env->trigger(69, 60, 127);
    const std::vector<float> attack = render(*env, static_cast<long>(0.3f * rate));
    // Halfway through, a one-pole curve aimed at 1.582 stands at 1.582 (1 - e^-0.5).
    EXPECT_NEAR(attack[static_cast<std::size_t>(0.1f * rate)], 0.6225f, 0.002f);
    EXPECT_EQ(attack.back(), 1.0f);

    env->release(0);
    const std::vector<float> tail = render(*env, static_cast<long>(0.3f * rate));
    EXPECT_NEAR(tail[static_cast<std::size_t>(0.1f * rate)], 1.0f - 0.6225f, 0.002f);
    const long lastSounding = TestAnalysis::lastIndexAtLeast(tail.data(), tail.size(), 1e-9);
    EXPECT_NEAR(lastSounding, 0.2f * rate, 0.002f * 0.2f * rate + 2.0f);
}

TEST_P(AdsrEnvelopeRateTest, KeyTrackingScalesEveryTimeByPowersOfTwo)
{
    const float rate = GetParam();
    const double nominal = 0.1 * static_cast<double>(rate);
    struct Case
    {
        float kt;
        int note;
        double factor;
    };
    for (const Case c : {Case{1.0f, 72, 0.5}, Case{1.0f, 48, 2.0}, Case{1.0f, 60, 1.0},
                         Case{0.5f, 60, 1.0}, Case{0.0f, 84, 1.0}, Case{0.5f, 84, 0.5},
                         Case{1.0f, -500, 32.0 / 10.0}}) // notes are held to 0..127
    {
        std::vector<std::string> log;
        Recorder recorder(log, '1');
        auto env = makeEnvelope(rate);
        env->addObserver(&recorder);
        setSeconds(*env, Env::kA, c.note < 0 ? 0.01f : 0.1f);
        env->setValue(Env::kS, 1.0f);
        setSeconds(*env, Env::kR, 0.1f);
        env->setValue(Env::kKT, c.kt);
        env->trigger(69, c.note, 127);
        const double expected = c.factor * nominal;
        EXPECT_NEAR(framesUntil(*env, recorder, "1D", 100000), expected, 0.003 * expected + 2)
            << "KT " << c.kt << " note " << c.note;
        if (c.note >= 0)
        {
            env->release(0);
            EXPECT_NEAR(framesUntil(*env, recorder, "1F", 100000), expected, 0.003 * expected + 2)
                << "KT " << c.kt << " note " << c.note;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, AdsrEnvelopeRateTest,
                         ::testing::Values(44100.0f, 48000.0f, 96000.0f));

TEST(AdsrEnvelopeTest, ZeroAttackReachesFullLevelAtOnceAndNeverOvershoots)
{
    for (float rate : {8000.0f, 44100.0f, 384000.0f})
    {
        auto env = makeEnvelope(rate);
        env->setValue(Env::kS, 1.0f);
        env->setValue(Env::kD, 1.0f);
        env->trigger(69, 60, 127);
        const std::vector<float> out = render(*env, 64);
        EXPECT_TRUE(out[0] == 1.0f || out[1] == 1.0f) << out[0] << " " << out[1];
        EXPECT_EQ(env->getStage(), Env::kDecaySustain);
        EXPECT_LE(TestAnalysis::peak(out.data(), out.size()), 1.0);
    }
    // The step that crosses full level must not carry its overshoot into the decay.
    for (float attack : {0.0f, 0.0001f, 0.001f})
    {
        auto env = makeEnvelope(44100.0f);
        setSeconds(*env, Env::kA, attack);
        env->setValue(Env::kS, 1.0f);
        env->trigger(69, 60, 127);
        const std::vector<float> out = render(*env, 2000);
        EXPECT_EQ(TestAnalysis::peak(out.data(), out.size()), 1.0) << attack;
    }
}

TEST(AdsrEnvelopeTest, VelocityDepthScalesTheLevel)
{
    struct Case
    {
        float depth;
        int velocity;
        float gain;
    };
    for (const Case c : {Case{1.0f, 64, 0.254f}, Case{1.0f, 127, 1.0f}, Case{0.0f, 1, 1.0f},
                         Case{0.5f, 0, 0.5f}, Case{1.0f, 300, 1.0f}})
    {
        auto env = makeEnvelope(44100.0f);
        env->setValue(Env::kS, 1.0f);
        env->setValue(Env::kVDpth, c.depth);
        env->trigger(69, 60, c.velocity);
        EXPECT_NEAR(render(*env, 100).back(), c.gain, 0.0005f) << c.depth << " " << c.velocity;
    }
}

TEST(AdsrEnvelopeTest, LegatoIgnoresTriggersUntilTheRelease)
{
    std::vector<std::string> log;
    Recorder recorder(log, '1');
    auto env = makeEnvelope(44100.0f);
    auto reference = makeEnvelope(44100.0f);
    for (Env* e : {env.get(), reference.get()})
    {
        e->setValue(Env::kTMode, 0.0f);
        setSeconds(*e, Env::kA, 0.01f);
        setSeconds(*e, Env::kD, 0.05f);
        e->setValue(Env::kS, 0.5f);
        setSeconds(*e, Env::kR, 1.0f);
        e->setValue(Env::kVDpth, 1.0f);
        e->setValue(Env::kKT, 1.0f);
        e->trigger(69, 60, 100);
    }
    env->addObserver(&recorder);
    render(*env, 200); // still in the attack
    render(*reference, 200);
    env->trigger(60, 84, 20);
    render(*env, 5000);
    render(*reference, 5000);
    env->trigger(84, 36, 127); // during the decay and sustain
    EXPECT_EQ(render(*env, 20000), render(*reference, 20000));
    EXPECT_EQ(log, (std::vector<std::string>{"1D"})); // no second attack

    env->release(0);
    const float falling = render(*env, 2000).back();
    env->trigger(60, 60, 100);
    EXPECT_EQ(log, (std::vector<std::string>{"1D", "1R", "1A"}));
    const std::vector<float> rise = render(*env, 2000);
    EXPECT_GT(rise[0], falling);
    EXPECT_LT(rise[0], falling + 0.01f);
    EXPECT_EQ(env->getStage(), Env::kDecaySustain);
}

TEST(AdsrEnvelopeTest, RetriggerRestartsTheAttackFromTheCurrentLevel)
{
    std::vector<std::string> log;
    Recorder recorder(log, '1');
    auto env = makeEnvelope(44100.0f);
    env->addObserver(&recorder);
    setSeconds(*env, Env::kA, 0.1f);
    setSeconds(*env, Env::kD, 0.01f);
    env->setValue(Env::kS, 0.5f);
    env->trigger(69, 60, 127);
    const float sustained = render(*env, 30000).back();
    EXPECT_NEAR(sustained, 0.25f, 1e-4f);

    env->trigger(60, 60, 127);
    const long attackEnd = framesUntil(*env, recorder, "1D", 10000);
    // From 0.25 toward 1.582 the level reaches 1 after ln(1.332 / 0.582) time constants.
    EXPECT_NEAR(attackEnd, 4410 * std::log(1.3319781 / 0.5819781), 10);
    EXPECT_EQ(log, (std::vector<std::string>{"1A", "1D", "1A", "1D"}));
}

TEST(AdsrEnvelopeTest, NotifiesObserversInOrder)
{
    std::vector<std::string> log;
    Recorder first(log, '1');
    Recorder second(log, '2');
    auto env = makeEnvelope(44100.0f);
    EXPECT_TRUE(env->addObserver(&first));
    EXPECT_TRUE(env->addObserver(&second));
    EXPECT_FALSE(env->addObserver(nullptr));

    env->release(0); // idle: nothing happens
    render(*env, 100);
    EXPECT_TRUE(log.empty());

    // A sustain of 0 releases on the first sample.
    env->setValue(Env::kD, 0.01f);
    env->trigger(69, 60, 127);
    render(*env, 1000);
    env->release(0);
    render(*env, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"1A", "2A", "1D", "2D", "1R", "2R", "1F", "2F"}));

    log.clear();
    env->trigger(69, 60, 127);
    env->reset();
    EXPECT_EQ(log, (std::vector<std::string>{"1A", "2A", "1F", "2F"}));
    EXPECT_EQ(render(*env, 10), std::vector<float>(10, 0.0f));
}

TEST(AdsrEnvelopeTest, SettingsChangeTheRunningStageAsDescribed)
{
    auto makeRunning = []
    {
        auto env = makeEnvelope(44100.0f);
        setSeconds(*env, Env::kA, 1.0f);
        setSeconds(*env, Env::kD, 0.1f);
        env->setValue(Env::kS, 1.0f);
        env->trigger(69, 60, 127);
        return env;
    };

    // S during the attack only counts from the start of the decay.
    auto env = makeRunning();
    render(*env, 1000);
    env->setValue(Env::kS, 0.5f);
    std::vector<float> out = render(*env, 44100);
    EXPECT_EQ(TestAnalysis::peak(out.data(), out.size()), 1.0);
    out = render(*env, 88200);
    EXPECT_NEAR(out.back(), 0.25f, 1e-3f);
    // S during the sustain glides there at the decay rate: 1 - 1/e of the way in 0.1 s.
    env->setValue(Env::kS, 1.0f);
    out = render(*env, 4410);
    EXPECT_NEAR(out.back(), 0.25f + 0.75f * (1.0f - 1.0f / std::exp(1.0f)), 0.003f);

    // A new attack time takes effect at once during the attack.
    env = makeRunning();
    render(*env, 100);
    env->setValue(Env::kA, 0.0f);
    out = render(*env, 3);
    EXPECT_EQ(out.back(), 1.0f);

    // A new release time takes effect at once during the release; D there has no effect.
    env = makeRunning();
    render(*env, 50000);
    setSeconds(*env, Env::kR, 5.0f);
    env->release(0);
    render(*env, 100);
    env->setValue(Env::kD, 0.0f);
    setSeconds(*env, Env::kR, 0.01f);
    out = render(*env, 600);
    EXPECT_EQ(out.back(), 0.0f);
    EXPECT_EQ(env->getStage(), Env::kIdle);
}

TEST(AdsrEnvelopeTest, SplitRendersEqualOneRender)
{
    auto play = [](int blockFrames)
    {
        auto env = makeEnvelope(48000.0f);
        setSeconds(*env, Env::kA, 0.05f);
        setSeconds(*env, Env::kD, 0.1f);
        env->setValue(Env::kS, 0.6f);
        setSeconds(*env, Env::kR, 0.08f);
        env->setValue(Env::kVDpth, 0.7f);
        std::vector<float> out;
        env->trigger(69, 64, 90);
        render(*env, 12345, blockFrames, out);
        env->release(0);
        render(*env, 6000, blockFrames, out);
        env->trigger(64, 70, 30);
        render(*env, 8000, blockFrames, out);
        return out;
    };
    const std::vector<float> whole = play(kMaxBlockFrames);
    for (int block : {1, 64, 511})
    {
        EXPECT_EQ(play(block), whole) << block;
    }
}

TEST(AdsrEnvelopeTest, ProcessTriggerAndReleaseAllocateNothing)
{
    auto env = makeEnvelope(44100.0f);
    std::vector<std::string> log;
    Recorder recorder(log, '1');
    log.reserve(16);
    recorder.frames.reserve(16);
    env->addObserver(&recorder);
    TestAllocation::Scope scope;
    env->trigger(69, 60, 100);
    env->process(kMaxBlockFrames);
    env->setValue(Env::kS, 0.3f);
    env->release(0);
    env->process(kMaxBlockFrames);
    env->reset();
    EXPECT_EQ(scope.count(), 0);
}

TEST(AdsrEnvelopeTest, AnySettingsAndRatesStayFiniteAndInRange)
{
    const unsigned seed = 20240611u;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> norm(0.0f, 1.0f);
    std::uniform_int_distribution<int> note(0, 127);
    std::uniform_int_distribution<int> frames(1, 3000);
    const float rates[] = {8000.0f, 22050.0f, 44100.0f, 192000.0f, 384000.0f};
    auto env = makeEnvelope(44100.0f);
    for (int round = 0; round < 300; ++round)
    {
        env->setSampleRate(rates[round % 5]);
        for (int index = 0; index < env->getParameterCount(); ++index)
        {
            env->setValue(index, norm(random));
        }
        if (round % 3 == 0)
        {
            env->setValue(Env::kA, 0.0f);
            env->setValue(Env::kR, 0.0f);
        }
        env->trigger(60, note(random), note(random));
        env->process(frames(random));
        env->release(0);
        const int n = frames(random);
        env->process(n);
        for (int i = 0; i < n; ++i)
        {
            const float v = env->getOutput()[i];
            ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << "round " << round << " value " << v;
        }
    }
}

TEST(AdsrEnvelopeTest, ParametersCarryTheirNamesAndDefaults)
{
    auto env = makeEnvelope(44100.0f);
    ASSERT_EQ(env->getParameterCount(), 7);
    const char* const names[] = {"E1 A", "E1 D", "E1 S", "E1 R", "E1 KT", "E1 VDpt", "E1 TMod"};
    const char* const labels[] = {"Secs", "Secs", "dB", "Secs", "Rate", "Depth", "Mode"};
    const char* const displays[] = {"0.000", "2.500", "-oo", "0.625", "0.000", "0.000", "Retrig"};
    for (int index = 0; index < 7; ++index)
    {
        char text[24];
        env->getName(index, text);
        EXPECT_STREQ(text, names[index]);
        env->getLabel(index, text);
        EXPECT_STREQ(text, labels[index]);
        env->getDisplay(index, text);
        EXPECT_STREQ(text, displays[index]);
    }
    env->setValue(Env::kTMode, 0.0f);
    char text[24];
    env->getLongDisplay(Env::kTMode, text);
    EXPECT_STREQ(text, "Legato");
}

TEST(AdsrEnvelopeTest, EvenTheLongestKeyTrackedTimesEnd)
{
    // 10 s at 384 kHz, scaled by 32 for note 0: steps far below the float resolution of the level.
    auto env = makeEnvelope(384000.0f);
    env->setValue(Env::kA, 1.0f);
    env->setValue(Env::kS, 0.5f);
    env->setValue(Env::kR, 1.0f);
    env->setValue(Env::kKT, 1.0f);
    env->trigger(69, 0, 127);
    for (int block = 0; block < 100 && env->getStage() == Env::kAttack; ++block)
    {
        env->process(kMaxBlockFrames);
    }
    EXPECT_EQ(env->getStage(), Env::kDecaySustain);
    env->release(0);
    for (int block = 0; block < 100 && env->getStage() == Env::kRelease; ++block)
    {
        env->process(kMaxBlockFrames);
    }
    EXPECT_EQ(env->getStage(), Env::kIdle);
}
