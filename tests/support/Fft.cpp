// Iterative radix-2 FFT: bit-reversed reordering, then butterflies of growing span.
#include "tests/support/Fft.h"

#include <cassert>
#include <cmath>
#include <utility>

namespace TestFft
{

std::vector<std::complex<double>> transform(std::vector<std::complex<double>> x)
{
    const std::size_t n = x.size();
    assert(n > 0 && (n & (n - 1)) == 0);
    for (std::size_t i = 1, j = 0; i < n; ++i)
    {
        std::size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1)
        {
            j ^= bit;
        }
        j |= bit;
        if (i < j)
        {
            std::swap(x[i], x[j]);
        }
    }
    const double pi = std::acos(-1.0);
    for (std::size_t span = 2; span <= n; span <<= 1)
    {
        const std::size_t half = span / 2;
        for (std::size_t start = 0; start < n; start += span)
        {
            for (std::size_t k = 0; k < half; ++k)
            {
                // Twiddles computed directly rather than by repeated rotation, which would
                // accumulate error along the larger spans.
                const std::complex<double> twiddle =
                    std::polar(1.0, -2.0 * pi * static_cast<double>(k) / static_cast<double>(span));
                const std::complex<double> odd = twiddle * x[start + k + half];
                x[start + k + half] = x[start + k] - odd;
                x[start + k] += odd;
            }
        }
    }
    return x;
}

std::vector<std::complex<double>> transformReal(const float* x, std::size_t count)
{
    std::vector<std::complex<double>> block(count);
    for (std::size_t i = 0; i < count; ++i)
    {
        block[i] = static_cast<double>(x[i]);
    }
    return transform(std::move(block));
}

} // namespace TestFft
