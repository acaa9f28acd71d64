// Runs of a float accumulator whose sums can be taken at once, exactly as one addition after
// another.
#pragma once

#include <cmath>
#include <limits>

// The number of additions, up to remaining, of increment to start (s = s + increment, each sum
// rounded to float) that stay below the power of two above start, with the exact step of each:
// the k-th sum is start + k x step, bit for bit. 0 when no addition can be taken this way.
//
// Within the binade [2^e, 2^(e+1)) every float is a multiple of the spacing u = 2^(e-23), so
// s + increment rounds to s + step, step being the multiple of u nearest to increment: the same
// for every s of the binade, unless increment lies exactly halfway between two multiples (then
// rounding to even may alternate, and no run is taken). Each start + k x step below 2^(e+1) is a
// float, so the run's sums need no additions one after the other. start must be a positive
// normal float and increment a non-negative finite one; otherwise the answer is 0.
inline int exactSumRun(float start, float increment, int remaining, float& step)
{
    if (!(start >= std::numeric_limits<float>::min() &&
          start <= std::numeric_limits<float>::max() && increment >= 0.0f &&
          increment <= std::numeric_limits<float>::max()) ||
        remaining <= 0)
    {
        return 0;
    }
    int exponent = 0;
    std::frexp(start, &exponent); // start lies in [2^(exponent - 1), 2^exponent)
    const float binadeEnd = std::ldexp(1.0f, exponent);
    const float first = start + increment;
    if (!(first < binadeEnd))
    {
        return 0;
    }
    step = first - start;
    const double halfSpacing = std::ldexp(1.0, exponent - 25);
    if (std::fabs(static_cast<double>(increment) - static_cast<double>(step)) >= halfSpacing)
    {
        return 0;
    }
    if (step == 0.0f)
    {
        // Too small an increment to move the sum: it stays.
        return remaining;
    }
    // The last k with start + k x step below the binade's end (exact in double).
    const double end = static_cast<double>(binadeEnd);
    const double from = static_cast<double>(start);
    const double by = static_cast<double>(step);
    double count = std::ceil((end - from) / by) - 1.0;
    while (count > 1.0 && from + count * by >= end)
    {
        count -= 1.0;
    }
    while (count + 1.0 <= static_cast<double>(remaining) && from + (count + 1.0) * by < end)
    {
        count += 1.0;
    }
    return count < static_cast<double>(remaining) ? static_cast<int>(count) : remaining;
}
