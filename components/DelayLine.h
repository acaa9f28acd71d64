// Reading and clearing the circular delay lines of the chorus and the delay.
#pragma once

#include "components/Lanes.h"

// Where a read delaySamples behind the write position falls: the sample at index, the one after it
// (next, wrapping) and the fraction of the way between them. T is float or FloatLanes.
template <class T>
struct LineTapOf
{
    IntFor<T> index;
    IntFor<T> next;
    T fraction;
};

using LineTap = LineTapOf<float>;

// The delay is held inside shortestSamples .. lineLength - 1 (NaN reads at the shortest): the line
// holds no older sample, and a whole line back would wrap onto the newest one. The position is
// floored before it is wrapped, so the rounding is the same on both sides of the wrap and the
// fraction keeps the resolution of the unwrapped position (adding the length first would coarsen
// it near the line's end).
template <class T>
inline LineTapOf<T> tapLine(IntFor<T> writePosition, T delaySamples, float shortestSamples,
                            int lineLength)
{
    using Int = IntFor<T>;
    const T shortest(shortestSamples);
    const T longest(static_cast<float>(lineLength - 1));
    const auto atLeastShortest = delaySamples >= shortest;
    T delay = select(atLeastShortest, delaySamples, shortest);
    delay = select(atLeastShortest & (delaySamples > longest), longest, delay);
    const T position = toFloat(writePosition) - delay;
    Int whole = truncateToInt(position);
    whole = whole - select(toFloat(whole) > position, Int(1), Int(0)); // floor, also below zero
    const T fraction = position - toFloat(whole);
    const Int length(lineLength);
    whole = whole + select(whole < Int(0), length, Int(0));
    whole = select(whole < Int(0), Int(0), whole);
    const Int next = whole + Int(1);
    return {whole, select(next == length, Int(0), next), fraction};
}

// Zeroes the first length samples of both lines.
inline void clearLines(float* left, float* right, int length)
{
    for (int i = 0; i < length; ++i)
    {
        left[i] = 0.0f;
        right[i] = 0.0f;
    }
}
