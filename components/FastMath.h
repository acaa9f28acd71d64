// The fast power of two used by oscillator FM, the filter's cutoff modulation and the chorus sweep.
#pragma once

#include <bit>
#include <cstdint>

#include <emmintrin.h>

// Just under one third (bit pattern 0x3EAAAA9F): the polynomial below runs from 1 at f = 0 to
// just under 2 at f = 1.
inline constexpr float kFastExp2Third = std::bit_cast<float>(std::uint32_t{0x3EAAAA9Fu});

// The largest magnitude fastExp2 computes; 1 << 31 would overflow. Larger magnitudes (and NaN)
// are held at this bound so that a damaged modulation sum cannot reach undefined behaviour.
inline constexpr float kFastExp2Limit = 30.999998f;

// 2^x for |x| < 31 from the integer power 1 << i and a quadratic in the fraction f:
// (0.333333 f (f + 2) + 1) 2^i. Negative x gives the reciprocal of 2^-x. The error against the
// exact power stays below 0.35 % (6 cents), largest near f = 0.75.
inline float fastExp2(float x)
{
    const bool negative = x < 0.0f;
    float magnitude = negative ? -x : x;
    if (!(magnitude < kFastExp2Limit))
    {
        magnitude = kFastExp2Limit;
    }
    const int whole = static_cast<int>(magnitude);
    const float f = magnitude - static_cast<float>(whole);
    const float result =
        (kFastExp2Third * f * (f + 2.0f) + 1.0f) * static_cast<float>(std::int32_t{1} << whole);
    return negative ? 1.0f / result : result;
}

// Lane by lane: mask ? a : b (mask lanes all ones or all zeros, as SSE comparisons give them).
inline __m128 selectLanes(__m128 mask, __m128 a, __m128 b)
{
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}

inline __m128i selectLanes(__m128i mask, __m128i a, __m128i b)
{
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// fastExp2 of four values at once (SSE2). Each lane takes the scalar function's operations in the
// same order, so it equals fastExp2 of its value bit for bit; 2^i is built in the exponent field,
// which for i = 0..30 is exactly the float of 1 << i.
inline __m128 fastExp2Lanes(__m128 x)
{
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 limit = _mm_set1_ps(kFastExp2Limit);
    const __m128 negative = _mm_cmplt_ps(x, _mm_setzero_ps());
    __m128 magnitude = selectLanes(negative, _mm_xor_ps(x, _mm_set1_ps(-0.0f)), x);
    magnitude = selectLanes(_mm_cmplt_ps(magnitude, limit), magnitude, limit);
    const __m128i whole = _mm_cvttps_epi32(magnitude);
    const __m128 f = _mm_sub_ps(magnitude, _mm_cvtepi32_ps(whole));
    const __m128 power =
        _mm_castsi128_ps(_mm_slli_epi32(_mm_add_epi32(whole, _mm_set1_epi32(127)), 23));
    const __m128 curve = _mm_add_ps(
        _mm_mul_ps(_mm_mul_ps(_mm_set1_ps(kFastExp2Third), f), _mm_add_ps(f, _mm_set1_ps(2.0f))),
        one);
    const __m128 result = _mm_mul_ps(curve, power);
    return selectLanes(negative, _mm_div_ps(one, result), result);
}

// The float used where a value is divided by 12 (semitones to octaves).
inline constexpr float kOneTwelfth = 0.083333336f;

// Added to values stored in recursive filters and delay lines so that silence decays to a tiny
// constant instead of into denormal numbers.
inline constexpr float kAntiDenormal = 1e-25f;
