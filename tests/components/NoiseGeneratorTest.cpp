// The per-voice noise source: level, spectrum, reproducibility, switching and scaling.
#include "components/NoiseGenerator.h"

#include "components/Smoother.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/Analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace
{

class ConstantSource : public ISynthComponent
{
public:
    explicit ConstantSource(float value) { std::fill(std::begin(buffer), std::end(buffer), value); }
    void reset() override {}
    float getSampleRate() const override { return 44100.0f; }
    void setSampleRate(float) override {}
    void process(int) override {}
    const float* getOutput() const override { return buffer; }

private:
    float buffer[kMaxBlockFrames];
};

std::vector<float> render(NoiseGenerator& noise, int frames, int blockFrames = 4096)
{
    std::vector<float> out;
    for (int done = 0; done < frames; done += blockFrames)
    {
        const int n = std::min(blockFrames, frames - done);
        noise.process(n);
        out.insert(out.end(), noise.getOutput(), noise.getOutput() + n);
    }
    return out;
}

bool allZero(const float* x, int count)
{
    return std::all_of(x, x + count, [](float v) { return v == 0.0f; });
}

} // namespace

TEST(NoiseGeneratorTest, WhiteNoiseFromMinusOneToOne)
{
    RandomGenerator random(77u);
    auto noise = std::make_unique<NoiseGenerator>(random);
    noise->setValue(0, 1.0f);
    const auto x = render(*noise, 200000);
    const auto [low, high] = std::minmax_element(x.begin(), x.end());
    EXPECT_GE(*low, -1.0f);
    EXPECT_LE(*high, 1.0f);
    EXPECT_LT(*low, -0.999f);
    EXPECT_GT(*high, 0.999f);

    double sum = 0.0;
    double lagProduct = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i)
    {
        sum += static_cast<double>(x[i]);
        if (i > 0)
        {
            lagProduct += static_cast<double>(x[i]) * static_cast<double>(x[i - 1]);
        }
    }
    const double count = static_cast<double>(x.size());
    EXPECT_NEAR(sum / count, 0.0, 0.01);
    // Uniform on -1..1: RMS 1/sqrt(3); neighbouring samples uncorrelated.
    EXPECT_NEAR(TestAnalysis::rms(x.data(), x.size()), 1.0 / std::sqrt(3.0), 0.005);
    EXPECT_NEAR(lagProduct / count / (1.0 / 3.0), 0.0, 0.02);
}

TEST(NoiseGeneratorTest, SameSeedGivesTheSameNoise)
{
    RandomGenerator a(31u);
    RandomGenerator b(31u);
    RandomGenerator c(32u);
    auto first = std::make_unique<NoiseGenerator>(a);
    auto second = std::make_unique<NoiseGenerator>(b);
    auto third = std::make_unique<NoiseGenerator>(c);
    for (NoiseGenerator* n : {first.get(), second.get(), third.get()})
    {
        n->setValue(0, 1.0f);
    }
    const auto x = render(*first, 10000, kMaxBlockFrames);
    EXPECT_EQ(render(*second, 10000, 100), x); // block size does not matter
    EXPECT_NE(render(*third, 10000, kMaxBlockFrames), x);
}

TEST(NoiseGeneratorTest, OffIsSilentAndLeavesTheGeneratorAlone)
{
    RandomGenerator random(9u);
    RandomGenerator twin(9u);
    auto noise = std::make_unique<NoiseGenerator>(random);
    noise->process(kMaxBlockFrames);
    EXPECT_TRUE(allZero(noise->getOutput(), kMaxBlockFrames));
    EXPECT_EQ(random.next(), twin.next());
}

TEST(NoiseGeneratorTest, SwitchingOffClearsTheBufferAtTheNextBlock)
{
    RandomGenerator random(3u);
    auto noise = std::make_unique<NoiseGenerator>(random);
    noise->setValue(0, 1.0f);
    noise->process(kMaxBlockFrames);
    const float last = noise->getOutput()[kMaxBlockFrames - 1];
    ASSERT_NE(last, 0.0f);

    // The writer's thread only asks; the buffer the audio thread reads is untouched until then.
    noise->setValue(0, 0.0f);
    EXPECT_EQ(noise->getOutput()[kMaxBlockFrames - 1], last);
    noise->process(16);
    EXPECT_TRUE(allZero(noise->getOutput(), kMaxBlockFrames));

    // Off then on again before a block: noise continues, nothing stale is left behind it.
    noise->setValue(0, 1.0f);
    noise->process(8);
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
    auto plain = std::make_unique<NoiseGenerator>(a);
    auto scaled = std::make_unique<NoiseGenerator>(b);
    auto half = std::make_unique<ConstantSource>(0.5f);
    plain->setValue(0, 1.0f);
    scaled->setValue(0, 1.0f);
    scaled->setAmplitudeSource(half.get());
    const auto x = render(*plain, 1000);
    const auto y = render(*scaled, 1000);
    for (std::size_t i = 0; i < x.size(); ++i)
    {
        ASSERT_EQ(y[i], 0.5f * x[i]);
    }

    // The noise level smoother starts at 0: silent although the noise is on.
    auto level =
        std::make_unique<Smoother>(true, Smoother::kDisplayDecibels, "N Lvl", "dB", 0.0f, 1.0f);
    scaled->setAmplitudeSource(level.get());
    level->process(512);
    scaled->process(512);
    EXPECT_TRUE(allZero(scaled->getOutput(), 512));
    scaled->setAmplitudeSource(nullptr);
    scaled->process(512);
    EXPECT_GT(TestAnalysis::rms(scaled->getOutput(), 512), 0.5);
}

TEST(NoiseGeneratorTest, ParameterAndNoAllocation)
{
    RandomGenerator random;
    auto noise = std::make_unique<NoiseGenerator>(random);
    char text[kShortTextSize] = {};
    noise->getName(0, text);
    EXPECT_STREQ(text, "N On");
    noise->getDisplay(0, text);
    EXPECT_STREQ(text, "Off");
    EXPECT_EQ(noise->getParameterCount(), 1);

    auto level = std::make_unique<ConstantSource>(0.25f);
    noise->setAmplitudeSource(level.get());
    noise->setValue(0, 1.0f);
    TestAllocation::Scope scope;
    noise->process(kMaxBlockFrames);
    noise->setValue(0, 0.0f);
    noise->process(kMaxBlockFrames);
    EXPECT_EQ(scope.count(), 0);
}
