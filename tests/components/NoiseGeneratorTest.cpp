// The per-voice noise source: level, reproducibility, switching and scaling.
#include "components/NoiseGenerator.h"

#include "components/Smoother.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"
#include "tests/support/BlockRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace
{

std::vector<float> render(NoiseGenerator& noise, int frames, int blockFrames = 4096)
{
    return TestRender::blocks(noise, frames, blockFrames);
}

bool allZero(const float* x, int count)
{
    return std::all_of(x, x + count, [](float v) { return v == 0.0f; });
}

std::unique_ptr<NoiseGenerator> switchedOn(RandomGenerator& random)
{
    auto noise = std::make_unique<NoiseGenerator>(random);
    noise->setValue(0, 1.0f);
    return noise;
}

} // namespace

TEST(NoiseGeneratorTest, WhiteNoiseFromMinusOneToOneReproducibleFromTheSeed)
{
    RandomGenerator random(77u);
    const auto x = render(*switchedOn(random), 200000);
    const auto [low, high] = std::minmax_element(x.begin(), x.end());
    EXPECT_GE(*low, -1.0f);
    EXPECT_LE(*high, 1.0f);
    EXPECT_LT(*low, -0.999f);
    EXPECT_GT(*high, 0.999f);
    double sum = 0.0;
    for (float v : x)
    {
        sum += static_cast<double>(v);
    }
    EXPECT_NEAR(sum / 200000.0, 0.0, 0.01);
    EXPECT_NEAR(TestAnalysis::rms(x.data(), x.size()), 1.0 / std::sqrt(3.0), 0.005); // uniform

    RandomGenerator same(77u);
    RandomGenerator other(78u);
    EXPECT_EQ(render(*switchedOn(same), 200000, 100), x); // whatever the block size
    EXPECT_NE(render(*switchedOn(other), 200000), x);
}

TEST(NoiseGeneratorTest, OffIsSilentAndSwitchingOffClearsAtTheNextBlock)
{
    RandomGenerator random(9u);
    RandomGenerator twin(9u);
    auto noise = std::make_unique<NoiseGenerator>(random);
    noise->process(kMaxBlockFrames);
    EXPECT_TRUE(allZero(noise->getOutput(), kMaxBlockFrames));
    EXPECT_EQ(random.next(), twin.next()); // the generator is left to the others

    noise->setValue(0, 1.0f);
    noise->process(kMaxBlockFrames);
    const float last = noise->getOutput()[kMaxBlockFrames - 1];
    ASSERT_NE(last, 0.0f);
    // The writer's thread only asks; the buffer the audio thread reads is cleared by it.
    noise->setValue(0, 0.0f);
    EXPECT_EQ(noise->getOutput()[kMaxBlockFrames - 1], last);
    noise->process(16);
    EXPECT_TRUE(allZero(noise->getOutput(), kMaxBlockFrames));

    // Off and on again between two blocks: nothing stale is left behind the new noise.
    noise->setValue(0, 1.0f);
    noise->process(kMaxBlockFrames);
    noise->setValue(0, 0.0f);
    noise->setValue(0, 1.0f);
    noise->process(8);
    EXPECT_FALSE(allZero(noise->getOutput(), 8));
    EXPECT_TRUE(allZero(noise->getOutput() + 8, kMaxBlockFrames - 8));
}

TEST(NoiseGeneratorTest, AmplitudeSourceScalesEachSample)
{
    RandomGenerator a(11u);
    RandomGenerator b(11u);
    auto plain = switchedOn(a);
    auto scaled = switchedOn(b);
    auto level =
        std::make_unique<Smoother>(true, Smoother::kDisplayDecibels, "N Lvl", "dB", 0.0f, 1.0f);
    scaled->setAmplitudeSource(level.get());

    // "N Lvl" starts at 0: silent although the noise is on.
    level->process(512);
    scaled->process(512);
    plain->process(512);
    EXPECT_TRUE(allZero(scaled->getOutput(), 512));

    level->setValue(0, std::sqrt(0.5f)); // a gain of 0.5
    level->reset();
    TestAllocation::Scope scope;
    level->process(512);
    scaled->process(512);
    plain->process(512);
    EXPECT_EQ(scope.count(), 0);
    for (int i = 0; i < 512; ++i)
    {
        ASSERT_FLOAT_EQ(scaled->getOutput()[i], 0.5f * plain->getOutput()[i]);
    }
}
