// Click finder: high-band energy per short window against its surroundings.
#include "tools/render/Onsets.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Onsets
{
namespace
{

constexpr double kPi = 3.14159265358979323846;

// One biquad section in direct form I, in double.
struct Biquad
{
    double b0, b1, b2, a1, a2;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;

    double run(double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// A high-pass section of quality q at cornerHz (bilinear transform, prewarped).
Biquad highPass(double cornerHz, double sampleRateHz, double q)
{
    const double w = 2.0 * kPi * cornerHz / sampleRateHz;
    const double alpha = std::sin(w) / (2.0 * q);
    const double cosW = std::cos(w);
    const double a0 = 1.0 + alpha;
    Biquad section{};
    section.b0 = (1.0 + cosW) / 2.0 / a0;
    section.b1 = -(1.0 + cosW) / a0;
    section.b2 = (1.0 + cosW) / 2.0 / a0;
    section.a1 = -2.0 * cosW / a0;
    section.a2 = (1.0 - alpha) / a0;
    return section;
}

double toDb(double meanSquare)
{
    return meanSquare > 0.0 ? 10.0 * std::log10(meanSquare)
                            : -std::numeric_limits<double>::infinity();
}

double median(std::vector<double> values)
{
    if (values.empty())
    {
        return -std::numeric_limits<double>::infinity();
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace

std::vector<double> highBandLevels(const float* samples, std::size_t count, double sampleRateHz,
                                   const Options& options)
{
    std::vector<double> levels;
    if (samples == nullptr || options.windowFrames < 1 || !(sampleRateHz > 0.0) ||
        !(options.cornerHz > 0.0) || options.cornerHz >= sampleRateHz / 2.0)
    {
        return levels;
    }
    // Fourth-order Butterworth: two sections with the qualities of its pole pairs.
    Biquad first = highPass(options.cornerHz, sampleRateHz, 0.54119610);
    Biquad second = highPass(options.cornerHz, sampleRateHz, 1.30656296);
    const std::size_t window = static_cast<std::size_t>(options.windowFrames);
    levels.reserve(count / window + 1);
    double sum = 0.0;
    std::size_t inWindow = 0;
    for (std::size_t i = 0; i < count; ++i)
    {
        const double x = std::isfinite(samples[i]) ? static_cast<double>(samples[i]) : 0.0;
        const double y = second.run(first.run(x));
        sum += y * y;
        if (++inWindow == window)
        {
            levels.push_back(toDb(sum / static_cast<double>(window)));
            sum = 0.0;
            inWindow = 0;
        }
    }
    return levels;
}

std::vector<Onset> find(const float* samples, std::size_t count, double sampleRateHz,
                        const Options& options)
{
    std::vector<Onset> onsets;
    const std::vector<double> high = highBandLevels(samples, count, sampleRateHz, options);
    const std::size_t window = static_cast<std::size_t>(std::max(options.windowFrames, 1));
    const std::size_t context = static_cast<std::size_t>(std::max(options.contextWindows, 1));
    std::vector<double> around;
    bool inRun = false;
    for (std::size_t w = 0; w < high.size(); ++w)
    {
        const std::size_t from = w >= context ? w - context : 0;
        const std::size_t to = std::min(high.size(), w + context + 1);
        around.clear();
        double sum = 0.0;
        for (std::size_t k = from; k < to; ++k)
        {
            if (k != w)
            {
                around.push_back(high[k]);
            }
            for (std::size_t i = k * window; i < (k + 1) * window; ++i)
            {
                const double x = std::isfinite(samples[i]) ? static_cast<double>(samples[i]) : 0.0;
                sum += x * x;
            }
        }
        const double background = median(around);
        const bool standsOut =
            high[w] > options.floorDb &&
            (high[w] - background >= options.riseDb || !std::isfinite(background));
        if (!standsOut)
        {
            inRun = false;
            continue;
        }
        const Onset onset{w * window, high[w], background,
                          toDb(sum / static_cast<double>((to - from) * window))};
        if (inRun && onset.highBandDb > onsets.back().highBandDb)
        {
            onsets.back() = onset;
        }
        else if (!inRun)
        {
            onsets.push_back(onset);
        }
        inRun = true;
    }
    return onsets;
}

} // namespace Onsets
