// The shared glide and the one-pole coefficients: landing, hand-over of targets, time constants.
#include "components/Glide.h"
#include "components/OnePole.h"

#include "tests/support/Analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

// Steps until the glide finishes (or limit samples), recording every value.
std::vector<float> glideToEnd(GlideStep& glide, float coefficient, int limit)
{
    std::vector<float> values;
    while (!glide.finished && static_cast<int>(values.size()) < limit)
    {
        glide.step(coefficient);
        values.push_back(glide.value);
    }
    return values;
}

// Samples until a plain one-pole (no overshoot) from 0 towards 1 reaches fraction.
int samplesToReach(float coefficient, double fraction)
{
    float value = 0.0f;
    int samples = 0;
    while (static_cast<double>(value) < fraction)
    {
        value += (1.0f - value) * coefficient;
        ++samples;
    }
    return samples;
}

} // namespace

TEST(GlideTest, StepsLandExactlyOnTheGoalInFiniteTimeWithoutPassingIt)
{
    for (const float goal : {1.0f, -0.5f})
    {
        GlideStep glide = {0.25f, goal + (goal > 0.25f ? 0.0001f : -0.0001f), goal, goal < 0.25f,
                           false};
        const std::vector<float> values = glideToEnd(glide, 0.001f, 100000);
        ASSERT_TRUE(glide.finished) << goal;
        EXPECT_EQ(values.back(), goal);
        // ln((0.75 + 0.0001) / 0.0001) = 8.9 time constants of 1000 samples, or fewer.
        EXPECT_LT(values.size(), 9000u) << goal;
        for (std::size_t i = 1; i < values.size(); ++i)
        {
            const bool onTheWay = goal > 0.25f ? values[i] > values[i - 1] && values[i] <= goal
                                               : values[i] < values[i - 1] && values[i] >= goal;
            ASSERT_TRUE(onTheWay) << goal << " at " << i;
        }
        glide.step(0.001f); // a finished glide stays
        EXPECT_EQ(glide.value, goal);
    }

    // Near 1.0 a step of 1e-9 no longer moves a float: the glide lands instead of stalling.
    GlideStep stalled = {0.9999999f, 1.0001f, 1.0f, false, false};
    stalled.step(1e-5f);
    EXPECT_TRUE(stalled.finished);
    EXPECT_EQ(stalled.value, 1.0f);
}

TEST(GlideTest, ATargetWrittenMeanwhileStartsAtTheNextBlockFromWhereTheValueIs)
{
    Glide glide(0.0f, 0.0001f);
    GlideStep block = glide.begin();
    EXPECT_TRUE(block.finished);
    EXPECT_EQ(block.value, 0.0f);

    glide.setTarget(1.0f);
    EXPECT_EQ(glide.getValue(), 0.0f); // nothing moves before the audio thread's next block
    block = glide.begin();
    for (int i = 0; i < 100; ++i)
    {
        block.step(0.01f);
    }
    glide.end(block);
    const float reached = glide.getValue();
    EXPECT_GT(reached, 0.5f);
    EXPECT_LT(reached, 1.0f);

    // Turned back half-way: the new glide falls from where the first one got to.
    glide.setTarget(0.25f);
    block = glide.begin();
    EXPECT_TRUE(block.falling);
    EXPECT_FALSE(block.finished);
    block.step(0.01f);
    EXPECT_LT(block.value, reached);
    EXPECT_GT(block.value, 0.25f);
    glide.end(block);

    // A block without a new target continues the glide.
    block = glide.begin();
    glideToEnd(block, 0.01f, 10000);
    glide.end(block);
    EXPECT_TRUE(glide.isFinished());
    EXPECT_EQ(glide.getValue(), 0.25f);

    // A target equal to the value ends on the first step.
    glide.setTarget(0.25f);
    block = glide.begin();
    block.step(0.01f);
    EXPECT_TRUE(block.finished);
    EXPECT_EQ(block.value, 0.25f);
}

TEST(GlideTest, LandingJumpsToTheTargetAndTakesItsWrite)
{
    Glide glide(0.0f, 0.0001f);
    glide.setTarget(0.75f);
    glide.land();
    EXPECT_EQ(glide.getValue(), 0.75f);
    EXPECT_TRUE(glide.isFinished());
    // The write that landing took is not glided to once more.
    const GlideStep block = glide.begin();
    EXPECT_TRUE(block.finished);
    EXPECT_EQ(block.value, 0.75f);
}

TEST(OnePoleTest, GlideCoefficientGivesItsTimeConstantAtAnyRate)
{
    for (const float rate : {44100.0f, 96000.0f, 768000.0f})
    {
        for (const float seconds : {0.05f, 1.0f})
        {
            // One time constant (1 - 1/e of the way) after rate x seconds + 1 samples.
            const double expected = static_cast<double>(rate) * static_cast<double>(seconds) + 1.0;
            const int measured =
                samplesToReach(glideCoefficient(rate, seconds), 1.0 - std::exp(-1.0));
            EXPECT_NEAR(measured, expected, expected * 0.001 + 1.0) << rate << " Hz, " << seconds;
        }
        // A time of 0 moves a whole step per sample: about 63 % of the way.
        EXPECT_NEAR(glideCoefficient(rate, 0.0f), 1.0 - std::exp(-1.0), 1e-6);
    }
}

TEST(OnePoleTest, CornerFrequencyPassesHalfThePowerInEitherPrecision)
{
    const double rate = 44100.0;
    for (const float corner : {4.41f, 100.0f, 1000.0f})
    {
        for (const float coefficient : {onePoleCoefficient<float>(corner, 44100.0f),
                                        onePoleCoefficient<double>(corner, 44100.0f)})
        {
            // A sine at the corner frequency, smoothed: after the settling, about -3 dB.
            const auto frames = static_cast<std::size_t>(rate * 40.0 / static_cast<double>(corner));
            std::vector<float> y(frames);
            float state = 0.0f;
            for (std::size_t n = 0; n < frames; ++n)
            {
                const double phase =
                    6.283185307179586 * static_cast<double>(corner) * static_cast<double>(n) / rate;
                state += (static_cast<float>(std::sin(phase)) - state) * coefficient;
                y[n] = state;
            }
            const std::size_t settled = frames / 2;
            const double gainDb =
                TestAnalysis::decibels(TestAnalysis::peak(y.data() + settled, frames - settled));
            EXPECT_NEAR(gainDb, -3.01, 0.05) << corner << " Hz";
        }
    }
    // The two precisions agree to about 1e-5 of the coefficient.
    EXPECT_NEAR(onePoleCoefficient<float>(4.41f, 44100.0f) /
                    onePoleCoefficient<double>(4.41f, 44100.0f),
                1.0f, 2e-5f);
}
