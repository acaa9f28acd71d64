// Reading and clearing the circular delay lines of the chorus and the delay.
#pragma once

// Where a read delaySamples behind the write position falls: the sample at index, the one after it
// (next, wrapping) and the fraction of the way between them.
struct LineTap
{
    int index;
    int next;
    float fraction;
};

// The delay is held inside shortestSamples .. lineLength - 1 (NaN reads at the shortest): the line
// holds no older sample, and a whole line back would wrap onto the newest one. The position is
// floored before it is wrapped, so the rounding is the same on both sides of the wrap and the
// fraction keeps the resolution of the unwrapped position (adding the length first would coarsen
// it near the line's end).
inline LineTap tapLine(int writePosition, float delaySamples, float shortestSamples, int lineLength)
{
    const float longest = static_cast<float>(lineLength - 1);
    if (!(delaySamples >= shortestSamples))
    {
        delaySamples = shortestSamples;
    }
    else if (delaySamples > longest)
    {
        delaySamples = longest;
    }
    const float position = static_cast<float>(writePosition) - delaySamples;
    int whole = static_cast<int>(position);
    if (static_cast<float>(whole) > position)
    {
        --whole; // floor, also below zero
    }
    const float fraction = position - static_cast<float>(whole);
    if (whole < 0)
    {
        whole += lineLength;
    }
    whole = whole < 0 ? 0 : whole;
    return {whole, whole + 1 == lineLength ? 0 : whole + 1, fraction};
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
