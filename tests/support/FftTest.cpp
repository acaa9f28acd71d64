// The test FFT against the direct sum of the transform's definition.
#include "tests/support/Fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

TEST(TestFft, MatchesTheDirectTransformOfARandomBlock)
{
    const unsigned seed = 20240611u;
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    std::vector<float> x(256);
    for (float& sample : x)
    {
        sample = value(random);
    }
    const auto spectrum = TestFft::transformReal(x.data(), x.size());
    const double pi = std::acos(-1.0);
    for (std::size_t k = 0; k < x.size(); ++k)
    {
        std::complex<double> direct = 0.0;
        for (std::size_t n = 0; n < x.size(); ++n)
        {
            direct += static_cast<double>(x[n]) *
                      std::polar(1.0, -2.0 * pi * static_cast<double>(k * n) / 256.0);
        }
        EXPECT_NEAR(std::abs(spectrum[k] - direct), 0.0, 1e-10) << "bin " << k << " seed " << seed;
    }
}
