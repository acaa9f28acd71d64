// A radix-2 fast Fourier transform for tests that examine whole spectra of single cycles.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

namespace TestFft
{

// The discrete Fourier transform X[k] = sum x[n] e^(-2 pi i k n / N) of a block whose length is
// a power of two, in double precision.
std::vector<std::complex<double>> transform(std::vector<std::complex<double>> x);

// The transform of count real samples (a power of two).
std::vector<std::complex<double>> transformReal(const float* x, std::size_t count);

} // namespace TestFft
