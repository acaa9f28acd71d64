// Runs of float sums taken at once: each sum of a run must be the sum of one addition after
// another.
#include "components/ExactRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace
{

// Checks one start and increment: the run's sums against additions one after another, and that
// the run goes on as far as it may (to the binade's end or to remaining).
void checkRun(float start, float increment, int remaining)
{
    float step = -1.0f;
    const int run = exactSumRun(start, increment, remaining, step);
    ASSERT_GE(run, 0);
    ASSERT_LE(run, remaining);
    int exponent = 0;
    std::frexp(start, &exponent);
    const float binadeEnd = std::ldexp(1.0f, exponent);
    float sum = start;
    for (int k = 1; k <= run; ++k)
    {
        sum += increment;
        ASSERT_EQ(sum, start + static_cast<float>(k) * step)
            << "start " << start << ", increment " << increment << ", addition " << k;
        ASSERT_LT(sum, binadeEnd);
    }
    if (run > 0 && run < remaining && step > 0.0f)
    {
        // The next addition leaves the binade.
        EXPECT_GE(start + static_cast<float>(run + 1) * step, binadeEnd)
            << "start " << start << ", increment " << increment;
    }
}

TEST(ExactRunTest, EverySumOfARunIsTheSumOfOneAdditionAfterAnother)
{
    const unsigned seed = 20240703u;
    std::printf("seed %u\n", seed);
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_int_distribution<int> power(-30, 11);
    std::uniform_int_distribution<int> remaining(1, 8192);
    for (int trial = 0; trial < 20000; ++trial)
    {
        // Phases of an LFO (below 1) and of an oscillator's cycle (below 2048), with increments
        // from far below their spacing to a good part of the binade.
        const float start = std::ldexp(1.0f + unit(generator), power(generator));
        const float increment = start * std::ldexp(unit(generator), -power(generator) % 24);
        checkRun(start, increment, remaining(generator));
    }
}

TEST(ExactRunTest, IncrementsHalfwayBetweenTwoSpacingsTakeNoRun)
{
    // Rounding to even alternates for an increment of an odd number of half spacings when the
    // whole spacings are odd: no run may be taken there, and the others must still be exact.
    for (float start : {0.5f, 0.6180339f, 3.0f, 1000.25f})
    {
        int exponent = 0;
        std::frexp(start, &exponent);
        const float halfSpacing = std::ldexp(1.0f, exponent - 25);
        for (int halves : {1, 3, 5, 7, 999, 1001, 4096 + 1})
        {
            const float increment = halfSpacing * static_cast<float>(halves);
            float step = 0.0f;
            EXPECT_EQ(exactSumRun(start, increment, 100, step), 0) << start << " " << halves;
            checkRun(start, increment, 100);
        }
    }
}

TEST(ExactRunTest, ImpossibleArgumentsTakeNoRun)
{
    float step = 0.0f;
    EXPECT_EQ(exactSumRun(0.0f, 0.1f, 10, step), 0);
    EXPECT_EQ(exactSumRun(-0.5f, 0.1f, 10, step), 0);
    EXPECT_EQ(exactSumRun(1e-40f, 0.1f, 10, step), 0);
    EXPECT_EQ(exactSumRun(0.5f, -0.1f, 10, step), 0);
    EXPECT_EQ(exactSumRun(0.5f, std::nanf(""), 10, step), 0);
    EXPECT_EQ(exactSumRun(std::nanf(""), 0.1f, 10, step), 0);
    EXPECT_EQ(exactSumRun(0.5f, INFINITY, 10, step), 0);
    EXPECT_EQ(exactSumRun(0.5f, 0.1f, 0, step), 0);
    // An increment too small to move the sum leaves it where it is for as long as asked.
    EXPECT_EQ(exactSumRun(0.75f, 1e-9f, 77, step), 77);
    EXPECT_EQ(step, 0.0f);
}

} // namespace
