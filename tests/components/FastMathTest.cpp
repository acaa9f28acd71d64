// The fast power of two against the exact one, and its lanes against itself.
#include "components/FastMath.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>

TEST(FastExp2, StaysCloseToTheExactPowerAcrossItsRange)
{
    double worst = 0.0;
    for (float x = -30.0f; x <= 30.0f; x += 0.001f)
    {
        const double exact = std::exp2(static_cast<double>(x));
        const double relative = std::fabs(static_cast<double>(fastExp2(x)) - exact) / exact;
        worst = std::max(worst, relative);
    }
    // The quadratic's largest error sits near f = 0.75: about 0.34 %, or 6 cents of pitch.
    EXPECT_LT(worst, 0.0035);
    EXPECT_GT(worst, 0.001); // a fast approximation, not the exact function
}

TEST(FastExp2, HitsPowersOfTwoAndReciprocals)
{
    EXPECT_EQ(fastExp2(0.0f), 1.0f);
    EXPECT_EQ(fastExp2(3.0f), 8.0f);
    EXPECT_EQ(fastExp2(-3.0f), 0.125f);
    // -0.5 lowers by the reciprocal of the polynomial's value at f = 0.5: 1 / 1.41667.
    EXPECT_NEAR(fastExp2(-0.5f), 1.0f / 1.4166666f, 1e-6f);
    EXPECT_EQ(kFastExp2Third, 0.333333f);
}

TEST(FastExp2, DamagedInputsStayFiniteAndBounded)
{
    for (float x : {31.0f, 1.0e30f, std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()})
    {
        EXPECT_TRUE(std::isfinite(fastExp2(x))) << x;
        EXPECT_TRUE(std::isfinite(fastExp2(-x))) << x;
        EXPECT_GT(fastExp2(-x), 0.0f) << x;
    }
}

// The lane kernels take each value through the scalar operations: every lane equals the scalar
// result bit for bit, for ordinary, boundary and damaged values alike.
TEST(FastExp2, LanesEqualTheScalarFunctionBitForBit)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float values[] = {0.0f,
                            -0.0f,
                            0.75f,
                            -0.75f,
                            3.0f,
                            -3.0f,
                            12.345f,
                            -29.9f,
                            30.9f,
                            31.0f,
                            -31.0f,
                            1e30f,
                            -1e30f,
                            inf,
                            -inf,
                            1e-30f,
                            std::numeric_limits<float>::quiet_NaN(),
                            0.999999f,
                            1e-8f,
                            -7.5f};
    static_assert(std::size(values) % kLanes == 0);
    for (std::size_t i = 0; i < std::size(values); i += kLanes)
    {
        float lanes[kLanes];
        fastExp2(FloatLanes::load(values + i)).store(lanes);
        for (int lane = 0; lane < kLanes; ++lane)
        {
            EXPECT_EQ(std::bit_cast<std::uint32_t>(lanes[lane]),
                      std::bit_cast<std::uint32_t>(fastExp2(values[i + lane])))
                << values[i + lane];
        }
    }
}
