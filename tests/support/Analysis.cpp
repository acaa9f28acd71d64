// Signal analysis for tests.
#include "tests/support/Analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace TestAnalysis
{

namespace
{
constexpr double kPi = 3.14159265358979323846;
}

double toneAmplitude(const float* x, std::size_t count, double frequencyHz, double sampleRateHz)
{
    const double w = 2.0 * kPi * frequencyHz / sampleRateHz;
    double re = 0.0;
    double im = 0.0;
    for (std::size_t n = 0; n < count; ++n)
    {
        re += static_cast<double>(x[n]) * std::cos(w * static_cast<double>(n));
        im -= static_cast<double>(x[n]) * std::sin(w * static_cast<double>(n));
    }
    return 2.0 * std::hypot(re, im) / static_cast<double>(count);
}

std::vector<double> harmonicAmplitudes(const float* cycle, std::size_t count, int maxHarmonic)
{
    std::vector<double> amplitudes(static_cast<std::size_t>(maxHarmonic) + 1, 0.0);
    for (int k = 1; k <= maxHarmonic; ++k)
    {
        amplitudes[static_cast<std::size_t>(k)] =
            toneAmplitude(cycle, count, static_cast<double>(k), static_cast<double>(count));
    }
    return amplitudes;
}

double zeroCrossingFrequency(const float* x, std::size_t count, double sampleRateHz)
{
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (std::size_t n = 1; n < count; ++n)
    {
        if (x[n - 1] < 0.0f && x[n] >= 0.0f)
        {
            const double a = x[n - 1];
            const double b = x[n];
            const double position = static_cast<double>(n - 1) + (-a) / (b - a);
            if (first < 0.0)
            {
                first = position;
            }
            last = position;
            ++crossings;
        }
    }
    if (crossings < 2)
    {
        return 0.0;
    }
    return static_cast<double>(crossings - 1) * sampleRateHz / (last - first);
}

double rms(const float* x, std::size_t count)
{
    if (count == 0)
    {
        return 0.0;
    }
    double sum = 0.0;
    for (std::size_t n = 0; n < count; ++n)
    {
        sum += static_cast<double>(x[n]) * static_cast<double>(x[n]);
    }
    return std::sqrt(sum / static_cast<double>(count));
}

double rmsDb(const float* x, std::size_t count)
{
    const double level = rms(x, count);
    return level > 0.0 ? 20.0 * std::log10(level) : -std::numeric_limits<double>::infinity();
}

double peak(const float* x, std::size_t count)
{
    double result = 0.0;
    for (std::size_t n = 0; n < count; ++n)
    {
        result = std::max(result, std::fabs(static_cast<double>(x[n])));
    }
    return result;
}

long firstIndexAtLeast(const float* x, std::size_t count, double threshold)
{
    for (std::size_t n = 0; n < count; ++n)
    {
        if (std::fabs(static_cast<double>(x[n])) >= threshold)
        {
            return static_cast<long>(n);
        }
    }
    return -1;
}

long lastIndexAtLeast(const float* x, std::size_t count, double threshold)
{
    for (std::size_t n = count; n > 0; --n)
    {
        if (std::fabs(static_cast<double>(x[n - 1])) >= threshold)
        {
            return static_cast<long>(n - 1);
        }
    }
    return -1;
}

bool allFinite(const float* x, std::size_t count)
{
    return std::all_of(x, x + count, [](float v) { return std::isfinite(v); });
}

double decibels(double ratio)
{
    return 20.0 * std::log10(ratio);
}

} // namespace TestAnalysis
