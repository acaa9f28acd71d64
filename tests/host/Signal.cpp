// Signal measurements for the host check.
#include "tests/host/Signal.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace HostCheck
{

namespace
{
constexpr double kPi = 3.14159265358979323846;
}

double windowedTone(const float* x, std::size_t count, double frequencyHz, double sampleRateHz)
{
    if (count < 2)
    {
        return 0.0;
    }
    // Rotating phasors instead of sin and cos per sample; double precision keeps the drift of
    // a million steps far below the levels measured.
    const double w = 2.0 * kPi * frequencyHz / sampleRateHz;
    const double windowStep = 2.0 * kPi / static_cast<double>(count - 1);
    const double stepRe = std::cos(w);
    const double stepIm = -std::sin(w);
    const double windowStepRe = std::cos(windowStep);
    const double windowStepIm = std::sin(windowStep);
    double phasorRe = 1.0;
    double phasorIm = 0.0;
    double windowRe = 1.0;
    double windowIm = 0.0;
    double re = 0.0;
    double im = 0.0;
    double windowSum = 0.0;
    for (std::size_t n = 0; n < count; ++n)
    {
        const double window = 0.5 - 0.5 * windowRe;
        const double sample = static_cast<double>(x[n]) * window;
        re += sample * phasorRe;
        im += sample * phasorIm;
        windowSum += window;
        const double nextRe = phasorRe * stepRe - phasorIm * stepIm;
        phasorIm = phasorRe * stepIm + phasorIm * stepRe;
        phasorRe = nextRe;
        const double nextWindowRe = windowRe * windowStepRe - windowIm * windowStepIm;
        windowIm = windowRe * windowStepIm + windowIm * windowStepRe;
        windowRe = nextWindowRe;
    }
    return 2.0 * std::hypot(re, im) / windowSum;
}

double peakFrequency(const float* x, std::size_t count, double guessHz, double sampleRateHz)
{
    // A grid of quarter bins finds the main lobe, golden-section search then finds its top.
    const double low = guessHz / 1.06;
    const double high = guessHz * 1.06;
    const double binHz = sampleRateHz / static_cast<double>(count);
    const double stepHz = binHz / 4.0;
    double bestHz = low;
    double best = -1.0;
    for (double hz = low; hz <= high; hz += stepHz)
    {
        const double level = windowedTone(x, count, hz, sampleRateHz);
        if (level > best)
        {
            best = level;
            bestHz = hz;
        }
    }
    double a = bestHz - stepHz;
    double b = bestHz + stepHz;
    const double ratio = 0.6180339887498949;
    double c = b - ratio * (b - a);
    double d = a + ratio * (b - a);
    double levelC = windowedTone(x, count, c, sampleRateHz);
    double levelD = windowedTone(x, count, d, sampleRateHz);
    for (int step = 0; step < 40; ++step)
    {
        if (levelC > levelD)
        {
            b = d;
            d = c;
            levelD = levelC;
            c = b - ratio * (b - a);
            levelC = windowedTone(x, count, c, sampleRateHz);
        }
        else
        {
            a = c;
            c = d;
            levelC = levelD;
            d = a + ratio * (b - a);
            levelD = windowedTone(x, count, d, sampleRateHz);
        }
    }
    return 0.5 * (a + b);
}

double cents(double hz, double referenceHz)
{
    return 1200.0 * std::log2(hz / referenceHz);
}

double noteHz(double note)
{
    return 440.0 * std::exp2((note - 69.0) / 12.0);
}

Difference difference(const float* reference, const float* other, std::size_t count)
{
    Difference result;
    double sumRR = 0.0;
    double sumOO = 0.0;
    double sumRO = 0.0;
    for (std::size_t n = 0; n < count; ++n)
    {
        const double r = reference[n];
        const double o = other[n];
        const double diff = std::fabs(r - o);
        // Written so that a NaN on either side counts as the worst difference.
        if (!(diff <= result.maxAbsolute))
        {
            result.maxAbsolute = std::isnan(diff) ? std::numeric_limits<double>::infinity() : diff;
            result.worstIndex = n;
        }
        result.referencePeak = std::max(result.referencePeak, std::fabs(r));
        sumRR += r * r;
        sumOO += o * o;
        sumRO += r * o;
    }
    result.relative =
        result.referencePeak > 0.0 ? result.maxAbsolute / result.referencePeak : result.maxAbsolute;
    const double norm = std::sqrt(sumRR * sumOO);
    result.correlation = norm > 0.0 ? sumRO / norm : (sumRR == sumOO ? 1.0 : 0.0);
    return result;
}

} // namespace HostCheck
