// The delayed LFO fade-in: its length, curve, pass-through and restarts.
#include "components/Ramper.h"

#include "components/Lfo.h"
#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace
{

// A source that holds 1 in every sample, so the ramper's output is its gain.
class UnitSource : public ISynthComponent
{
public:
    UnitSource() { std::fill(std::begin(buffer), std::end(buffer), 1.0f); }
    void reset() override {}
    float getSampleRate() const override { return 44100.0f; }
    void setSampleRate(float) override {}
    void process(int) override {}
    const float* getOutput() const override { return buffer; }

private:
    float buffer[kMaxBlockFrames];
};

// Processes the source then the ramper, as the engine does, for frames samples.
std::vector<float> render(ISynthComponent& source, Ramper& ramper, int frames, int blockFrames)
{
    std::vector<float> out;
    out.reserve(static_cast<std::size_t>(frames));
    for (int done = 0; done < frames; done += blockFrames)
    {
        const int n = std::min(blockFrames, frames - done);
        source.process(n);
        ramper.process(n);
        out.insert(out.end(), ramper.getOutput(), ramper.getOutput() + n);
    }
    return out;
}

class RamperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        source = std::make_unique<UnitSource>();
        ramper = std::make_unique<Ramper>("L1", *source);
    }

    std::unique_ptr<UnitSource> source;
    std::unique_ptr<Ramper> ramper;
};

} // namespace

TEST_F(RamperTest, FourSecondsAt44100ReachFullDepthOnSample176401)
{
    ramper->setValue(0, 1.0f); // 4 s
    for (int block : {1, 512, 8192})
    {
        ramper->trigger(60, 60, 100);
        const auto x = render(*source, *ramper, 176500, block);
        // 176401 samples: the first full-depth sample has index 176400.
        EXPECT_EQ(std::find(x.begin(), x.end(), 1.0f) - x.begin(), 176400) << block;
        EXPECT_LT(x[176399], 1.0f) << block;
        EXPECT_TRUE(std::all_of(x.begin() + 176400, x.end(), [](float v) { return v == 1.0f; }));
        // The fourth-power curve: 1/16 at half the time, 1/256 at a quarter.
        EXPECT_NEAR(x[88200], 1.0 / 16.0, 1e-5) << block;
        EXPECT_NEAR(x[44100], 1.0 / 256.0, 1e-6) << block;
        EXPECT_TRUE(std::is_sorted(x.begin(), x.end())) << block;
    }
}

TEST_F(RamperTest, LengthFollowsTheSampleRate)
{
    ramper->setValue(0, 0.5f); // 2 s
    ramper->setSampleRate(48000.0f);
    ramper->trigger(60, 62, 100);
    const auto x = render(*source, *ramper, 100000, 4096);
    EXPECT_EQ(std::find(x.begin(), x.end(), 1.0f) - x.begin(), 96000);
}

TEST_F(RamperTest, PassesTheLfoThroughWithoutCopying)
{
    RandomGenerator random;
    auto lfo = std::make_unique<Lfo>("L1", random);
    auto follower = std::make_unique<Ramper>("L1", *lfo);
    EXPECT_EQ(follower->getOutput(), lfo->getOutput());

    follower->setValue(0, 0.01f); // 40 ms: 1765 samples
    follower->trigger(60, 64, 100);
    lfo->process(1000);
    follower->process(1000);
    EXPECT_NE(follower->getOutput(), lfo->getOutput());
    EXPECT_TRUE(follower->isRamping());
    // The faded value is the LFO's sample times the gain.
    const float gain = 500.0f / 1765.0f;
    EXPECT_NEAR(follower->getOutput()[499], lfo->getOutput()[499] * gain * gain * gain * gain,
                1e-6f);

    // The block in which the fade ends is still the ramper's own, the LFO's samples after it.
    lfo->process(1000);
    follower->process(1000);
    EXPECT_FALSE(follower->isRamping());
    EXPECT_NE(follower->getOutput(), lfo->getOutput());
    EXPECT_EQ(follower->getOutput()[999], lfo->getOutput()[999]);
    lfo->process(1000);
    follower->process(1000);
    EXPECT_EQ(follower->getOutput(), lfo->getOutput());
}

TEST_F(RamperTest, ZeroDelayGivesFullDepthOnTheFirstSample)
{
    ramper->trigger(60, 60, 1);
    const auto x = render(*source, *ramper, 16, 16);
    EXPECT_EQ(x[0], 1.0f);
    EXPECT_FALSE(ramper->isRamping());
}

TEST_F(RamperTest, ShortFadesNeverExceedTheLfo)
{
    // 0.00004 s to 0.2 s: fades of 2.8 to 8821 samples, most not a whole number of samples.
    for (float norm : {0.00001f, 0.0001f, 0.00037f, 0.0123f, 0.05f})
    {
        ramper->setValue(0, norm);
        ramper->trigger(60, 60, 100);
        const auto x = render(*source, *ramper, 9000, 64);
        EXPECT_LE(*std::max_element(x.begin(), x.end()), 1.0f) << norm;
        EXPECT_EQ(x.back(), 1.0f) << norm;
    }
}

TEST_F(RamperTest, EveryTriggerRestartsAndResetPassesThrough)
{
    ramper->setValue(0, 0.25f); // 1 s
    ramper->trigger(60, 60, 100);
    render(*source, *ramper, 30000, 512);
    ramper->trigger(60, 67, 100);
    const auto restarted = render(*source, *ramper, 1, 1);
    EXPECT_NEAR(restarted[0], 0.0f, 1e-12f);

    ramper->reset();
    EXPECT_FALSE(ramper->isRamping());
    EXPECT_EQ(ramper->getOutput(), source->getOutput());
    ramper->release(0);
    EXPECT_EQ(render(*source, *ramper, 8, 8)[0], 1.0f);
}

TEST_F(RamperTest, ParameterTexts)
{
    char text[kShortTextSize] = {};
    ramper->getName(0, text);
    EXPECT_STREQ(text, "L1 Dela");
    ramper->getLabel(0, text);
    EXPECT_STREQ(text, "Secs");
    ramper->setValue(0, 0.5f);
    ramper->getDisplay(0, text);
    EXPECT_STREQ(text, "2.000");
    EXPECT_EQ(ramper->getParameterCount(), 1);
}

TEST_F(RamperTest, ProcessingAllocatesNothing)
{
    ramper->setValue(0, 1.0f);
    ramper->trigger(60, 60, 100);
    TestAllocation::Scope scope;
    for (int block = 0; block < 30; ++block)
    {
        ramper->process(kMaxBlockFrames);
    }
    EXPECT_EQ(scope.count(), 0);
}
