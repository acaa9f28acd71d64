// The delayed LFO fade-in: its length, curve, pass-through and restarts.
#include "components/Ramper.h"

#include "components/Lfo.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/BlockRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{

std::vector<float> render(Ramper& ramper, int frames, int blockFrames)
{
    return TestRender::blocks(ramper, frames, blockFrames);
}

long firstFull(const std::vector<float>& x)
{
    return std::find(x.begin(), x.end(), 1.0f) - x.begin();
}

class RamperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A square LFO frozen at phase 0 holds 1: the ramper's output is then its gain.
        source->setValue(Lfo::kShpe, 0.8f);
        source->setValue(Lfo::kSpd, 0.0f);
        source->process(kMaxBlockFrames);
    }

    RandomGenerator random;
    std::unique_ptr<Lfo> source = std::make_unique<Lfo>("L1", random);
    std::unique_ptr<Ramper> ramper = std::make_unique<Ramper>("L1", *source);
};

} // namespace

TEST_F(RamperTest, FourSecondsAt44100ReachFullDepthOnSample176401)
{
    ramper->setValue(0, 1.0f);
    for (int block : {1, 512, 8192})
    {
        ramper->trigger(60, 60, 100);
        const auto x = render(*ramper, 176500, block);
        EXPECT_EQ(firstFull(x), 176400) << block; // the 176401st sample
        EXPECT_TRUE(std::all_of(x.begin() + 176400, x.end(), [](float v) { return v == 1.0f; }));
        // The fourth-power curve: 1/16 at half the time, 1/256 at a quarter, never falling.
        EXPECT_NEAR(x[88200], 1.0 / 16.0, 1e-5) << block;
        EXPECT_NEAR(x[44100], 1.0 / 256.0, 1e-6) << block;
        EXPECT_TRUE(std::is_sorted(x.begin(), x.end())) << block;
    }
    ramper->setValue(0, 0.5f); // 2 s
    ramper->setSampleRate(48000.0f);
    ramper->trigger(60, 62, 100);
    EXPECT_EQ(firstFull(render(*ramper, 100000, 4096)), 96000);
}

TEST_F(RamperTest, ShortFadesEndOnFullDepthWithoutOvershoot)
{
    ramper->trigger(60, 60, 1); // Delay 0: full depth on the first sample
    EXPECT_EQ(render(*ramper, 16, 16)[0], 1.0f);
    EXPECT_FALSE(ramper->isRamping());
    // Fades of 2.8 to 8821 samples, most not a whole number of samples long.
    for (float norm : {0.00001f, 0.0001f, 0.00037f, 0.0123f, 0.05f})
    {
        ramper->setValue(0, norm);
        ramper->trigger(60, 60, 100);
        const auto x = render(*ramper, 9000, 64);
        EXPECT_LE(*std::max_element(x.begin(), x.end()), 1.0f) << norm;
        EXPECT_EQ(x.back(), 1.0f) << norm;
    }
}

TEST_F(RamperTest, PassesTheLfoThroughWithoutCopying)
{
    auto lfo = std::make_unique<Lfo>("L2", random); // a moving triangle at 0.8 Hz
    auto follower = std::make_unique<Ramper>("L1", *lfo);
    EXPECT_EQ(follower->getOutput(), lfo->getOutput());

    follower->setValue(0, 0.01f); // 40 ms: 1765 samples
    follower->trigger(60, 64, 100);
    auto block = [&]()
    {
        lfo->process(1000);
        follower->process(1000);
    };
    block();
    const float gain = 500.0f / 1765.0f;
    EXPECT_NEAR(follower->getOutput()[499], lfo->getOutput()[499] * gain * gain * gain * gain,
                1e-6f);
    // The block in which the fade ends is the ramper's own, ending in the LFO's samples.
    block();
    EXPECT_NE(follower->getOutput(), lfo->getOutput());
    EXPECT_EQ(follower->getOutput()[999], lfo->getOutput()[999]);
    block();
    EXPECT_EQ(follower->getOutput(), lfo->getOutput());

    // Every trigger restarts from silence; reset passes through again.
    follower->trigger(60, 67, 100);
    block();
    EXPECT_NEAR(follower->getOutput()[0], 0.0f, 1e-12f);
    follower->reset();
    EXPECT_EQ(follower->getOutput(), lfo->getOutput());
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
