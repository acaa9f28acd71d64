// The fast power of two used by oscillator FM, the filter's cutoff modulation and the chorus sweep.
#pragma once

#include <bit>
#include <cstdint>
#include <type_traits>

#include "components/Lanes.h"

// Just under one third (bit pattern 0x3EAAAA9F): the polynomial below runs from 1 at f = 0 to
// just under 2 at f = 1.
inline constexpr float kFastExp2Third = std::bit_cast<float>(std::uint32_t{0x3EAAAA9Fu});

// The largest magnitude fastExp2 computes; 1 << 31 would overflow. Larger magnitudes (and NaN)
// are held at this bound so that a damaged modulation sum cannot reach undefined behaviour.
inline constexpr float kFastExp2Limit = 30.999998f;

// 2^x for |x| < 31 from the integer power 1 << i and a quadratic in the fraction f:
// (0.333333 f (f + 2) + 1) 2^i. Negative x gives the reciprocal of 2^-x. The error against the
// exact power stays below 0.35 % (6 cents), largest near f = 0.75. T is float or FloatLanes.
template <class T>
inline T fastExp2(T x)
{
    const auto negative = x < T(0.0f);
    T magnitude = select(negative, -x, x);
    magnitude = select(magnitude < T(kFastExp2Limit), magnitude, T(kFastExp2Limit));
    const auto whole = truncateToInt(magnitude);
    const T f = magnitude - toFloat(whole);
    const T result = (T(kFastExp2Third) * f * (f + T(2.0f)) + T(1.0f)) * powerOfTwo(whole);
    if constexpr (std::is_same_v<T, float>)
    {
        return negative ? 1.0f / result : result; // one value: divide only when needed
    }
    else
    {
        return select(negative, T(1.0f) / result, result);
    }
}

// The float used where a value is divided by 12 (semitones to octaves).
inline constexpr float kOneTwelfth = 0.083333336f;

// Added to values stored in recursive filters and delay lines so that silence decays to a tiny
// constant instead of into denormal numbers.
inline constexpr float kAntiDenormal = 1e-25f;
