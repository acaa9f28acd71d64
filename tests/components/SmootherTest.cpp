// The gliding level control: curves, glide times, states and texts.
#include "components/Smoother.h"

#include "tests/support/BlockRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace
{

std::string display(const Smoother& smoother)
{
    char text[8];
    smoother.getDisplay(0, text);
    return text;
}

// Frames until the output first equals the target, rendering in blocks of blockFrames.
int framesToTarget(Smoother& smoother, int blockFrames, int limit)
{
    int frames = 0;
    while (frames < limit)
    {
        smoother.process(blockFrames);
        for (int i = 0; i < blockFrames; ++i)
        {
            if (smoother.getOutput()[i] == smoother.getTarget())
            {
                return frames + i;
            }
        }
        frames += blockFrames;
    }
    return -1;
}

} // namespace

TEST(SmootherTest, StartsAtItsMappedDefault)
{
    auto master =
        std::make_unique<Smoother>(true, Smoother::kDisplayDecibels, "M Lvl", "dB", 0.75f, 1.0f);
    EXPECT_FLOAT_EQ(master->getTarget(), 0.5625f);
    EXPECT_EQ(master->getOutput()[8191], 0.5625f);
    EXPECT_EQ(display(*master), "-5.00");
    EXPECT_FLOAT_EQ(master->getValue(0), 0.75f);
}

TEST(SmootherTest, GlidesToEachSettingInFiniteTimeAndStopsOnIt)
{
    for (int block : {1, 64, 8192})
    {
        auto level =
            std::make_unique<Smoother>(false, Smoother::kDisplayValue, "O1 Lvl", "dB", 0.0f, 1.0f);
        level->setValue(0, 1.0f);
        const int frames = framesToTarget(*level, block, 200000);
        // A 5000-sample time constant aimed 0.00001 past the target would take
        // ln(1.00001 / 0.00001) x 5000 = 57565 samples; the last 0.00015 lie below the float
        // resolution of the value and are covered in one step.
        EXPECT_GT(frames, 40000) << block;
        EXPECT_LE(frames, 57566) << block;
        level->process(block);
        EXPECT_EQ(level->getOutput()[block - 1], 1.0f);

        level->setValue(0, 0.5f); // falling
        EXPECT_GT(framesToTarget(*level, block, 200000), 0);
        EXPECT_EQ(level->getCurrent(), 0.5f);
    }
}

TEST(SmootherTest, RisingAndFallingNeverOvershoot)
{
    auto level = std::make_unique<Smoother>(false, Smoother::kDisplayValue, "L", "", 0.2f, 1.0f);
    level->setValue(0, 0.8f);
    for (int block = 0; block < 20; ++block)
    {
        level->process(4096);
        for (int i = 0; i < 4096; ++i)
        {
            ASSERT_LE(level->getOutput()[i], 0.8f);
            ASSERT_GE(level->getOutput()[i], 0.2f);
        }
    }
    level->setValue(0, 0.1f);
    for (int block = 0; block < 20; ++block)
    {
        level->process(4096);
        for (int i = 0; i < 4096; ++i)
        {
            ASSERT_GE(level->getOutput()[i], 0.1f);
        }
    }
}

TEST(SmootherTest, SettingTheSameValueEndsTheGlideAtOnce)
{
    auto level =
        std::make_unique<Smoother>(true, Smoother::kDisplayDecibels, "N Lvl", "dB", 0.0f, 1.0f);
    level->setValue(0, 0.0f);
    level->process(16);
    for (int i = 0; i < 16; ++i)
    {
        EXPECT_EQ(level->getOutput()[i], 0.0f);
    }
    EXPECT_EQ(display(*level), "-oo");
}

TEST(SmootherTest, ResetJumpsToTheTarget)
{
    auto level = std::make_unique<Smoother>(false, Smoother::kDisplayValue, "L", "", 0.0f, 1.0f);
    level->setValue(0, 1.0f);
    level->process(100);
    level->reset();
    EXPECT_EQ(level->getCurrent(), 1.0f);
    EXPECT_EQ(level->getOutput()[0], 1.0f);
    level->process(10);
    EXPECT_EQ(level->getOutput()[9], 1.0f);
}

TEST(SmootherTest, ScaleAndMillisecondDisplay)
{
    // A chorus delay of a quarter of a 4095-sample line at 44100 Hz: about 23 ms.
    auto delay = std::make_unique<Smoother>(false, Smoother::kDisplayMilliseconds, "Ch Dly", "ms",
                                            1.0f, 1024.0f);
    delay->setScale(4095.0f * 0.25f);
    EXPECT_FLOAT_EQ(delay->getTarget(), 1023.75f);
    EXPECT_EQ(delay->getOutput()[0], 1023.75f);
    EXPECT_EQ(display(*delay), "23.2");

    delay->setValue(0, 0.5f);
    EXPECT_FLOAT_EQ(delay->getTarget(), 511.875f);
    delay->resetParameter(0);
    EXPECT_FLOAT_EQ(delay->getValue(0), 1.0f);
}

TEST(SmootherTest, OtherIndexesAndDamagedValuesAreHarmless)
{
    auto level = std::make_unique<Smoother>(false, Smoother::kDisplayValue, "L", "", 0.3f, 1.0f);
    level->setValue(1, 0.9f);
    EXPECT_FLOAT_EQ(level->getValue(0), 0.3f);
    EXPECT_EQ(level->getValue(1), 0.0f);
    char text[8] = "same";
    level->getName(1, text);
    EXPECT_STREQ(text, "same");

    level->setValue(0, std::numeric_limits<float>::quiet_NaN());
    EXPECT_FLOAT_EQ(level->getValue(0), 0.3f);
    level->setValue(0, 5.0f);
    EXPECT_FLOAT_EQ(level->getTarget(), 1.0f);
}

TEST(SmootherTest, TimeConstantIs5000SamplesAtAnySampleRate)
{
    for (float rate : {44100.0f, 96000.0f, 384000.0f})
    {
        auto level =
            std::make_unique<Smoother>(false, Smoother::kDisplayValue, "L", "", 0.0f, 1.0f);
        level->setSampleRate(rate);
        level->setValue(0, 1.0f);
        const auto x = TestRender::blocks(*level, 15000, 512);
        EXPECT_NEAR(x[4999], 1.0 - std::exp(-1.0), 0.001) << rate;
        EXPECT_NEAR(x[14999], 1.0 - std::exp(-3.0), 0.001) << rate;
    }
}

TEST(SmootherTest, SplitRendersEqualOneRender)
{
    auto whole = std::make_unique<Smoother>(true, Smoother::kDisplayDecibels, "L", "", 0.1f, 1.0f);
    auto pieces = std::make_unique<Smoother>(true, Smoother::kDisplayDecibels, "L", "", 0.1f, 1.0f);
    whole->setValue(0, 0.9f);
    pieces->setValue(0, 0.9f);
    const auto one = TestRender::blocks(*whole, 70000, kMaxBlockFrames);
    EXPECT_EQ(TestRender::blocks(*pieces, 70000, 1), one);
}

TEST(SmootherTest, ANewSettingMidGlideTurnsBackWithoutAJump)
{
    auto level = std::make_unique<Smoother>(false, Smoother::kDisplayValue, "L", "", 0.0f, 1.0f);
    level->setValue(0, 1.0f);
    const auto rising = TestRender::blocks(*level, 5000, 500);
    const float reached = rising.back();
    // Several writes before the next block: only the last one counts.
    level->setValue(0, 0.9f);
    level->setValue(0, 0.2f);
    const auto falling = TestRender::blocks(*level, 60000, 500);
    EXPECT_LT(falling[0], reached);
    EXPECT_GT(falling[0], reached - 0.001f);
    EXPECT_TRUE(std::is_sorted(falling.rbegin(), falling.rend()));
    EXPECT_GE(*std::min_element(falling.begin(), falling.end()), 0.2f);
    EXPECT_EQ(falling.back(), 0.2f);
}

TEST(SmootherTest, AfterAGlideEveryBlockSizeReadsTheTarget)
{
    auto level = std::make_unique<Smoother>(false, Smoother::kDisplayValue, "L", "", 0.5f, 1.0f);
    level->setValue(0, 0.5001f); // ends within the first small block
    level->process(64);
    EXPECT_EQ(level->getOutput()[63], level->getTarget());
    level->process(64);              // the block after the end refreshes the whole buffer
    level->process(kMaxBlockFrames); // steady: nothing written, the buffer holds the target
    const float* out = level->getOutput();
    EXPECT_TRUE(
        std::all_of(out, out + kMaxBlockFrames, [&](float v) { return v == level->getTarget(); }));
}
