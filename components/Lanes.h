// Four floats (or four 32-bit integers) processed side by side, for the kernels that run four
// samples, stages or instances at once. SSE2 where the compiler offers it, else plain C++ over
// four values; both give the same bits for the same operations (IEEE single, no fused
// multiply-add: the build keeps floating-point contraction off).
//
// Every operation also exists for plain float and int (comparisons give bool), so a kernel
// written as a template over float and FloatLanes runs the same operations in the same order
// whichever it is given: a vector loop and its scalar remainder cannot drift apart.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#define TAVREL_LANES_SSE2 1
#endif

inline constexpr int kLanes = 4;

#ifdef TAVREL_LANES_SSE2

// A lane is all ones (true) or all zeros (false), as the comparisons give them.
struct LaneMask
{
    __m128 v;
};

struct IntLanes
{
    __m128i v;
    IntLanes() = default;
    explicit IntLanes(__m128i value) : v(value) {}
    explicit IntLanes(std::int32_t value) : v(_mm_set1_epi32(value)) {}
    static IntLanes make(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d)
    {
        return IntLanes(_mm_setr_epi32(a, b, c, d));
    }
    void store(std::int32_t* to) const { _mm_storeu_si128(reinterpret_cast<__m128i*>(to), v); }
};

struct FloatLanes
{
    __m128 v;
    FloatLanes() = default;
    explicit FloatLanes(__m128 value) : v(value) {}
    explicit FloatLanes(float value) : v(_mm_set1_ps(value)) {}
    static FloatLanes make(float a, float b, float c, float d)
    {
        return FloatLanes(_mm_setr_ps(a, b, c, d));
    }
    static FloatLanes load(const float* from) { return FloatLanes(_mm_loadu_ps(from)); }
    void store(float* to) const { _mm_storeu_ps(to, v); }
};

inline FloatLanes operator+(FloatLanes a, FloatLanes b)
{
    return FloatLanes(_mm_add_ps(a.v, b.v));
}
inline FloatLanes operator-(FloatLanes a, FloatLanes b)
{
    return FloatLanes(_mm_sub_ps(a.v, b.v));
}
inline FloatLanes operator*(FloatLanes a, FloatLanes b)
{
    return FloatLanes(_mm_mul_ps(a.v, b.v));
}
inline FloatLanes operator/(FloatLanes a, FloatLanes b)
{
    return FloatLanes(_mm_div_ps(a.v, b.v));
}
// The sign flipped, as -x is for a float (also of zeros and NaNs).
inline FloatLanes operator-(FloatLanes a)
{
    return FloatLanes(_mm_xor_ps(a.v, _mm_set1_ps(-0.0f)));
}

inline LaneMask operator<(FloatLanes a, FloatLanes b)
{
    return {_mm_cmplt_ps(a.v, b.v)};
}
inline LaneMask operator<=(FloatLanes a, FloatLanes b)
{
    return {_mm_cmple_ps(a.v, b.v)};
}
inline LaneMask operator>(FloatLanes a, FloatLanes b)
{
    return {_mm_cmpgt_ps(a.v, b.v)};
}
inline LaneMask operator>=(FloatLanes a, FloatLanes b)
{
    return {_mm_cmpge_ps(a.v, b.v)};
}
inline LaneMask operator==(FloatLanes a, FloatLanes b)
{
    return {_mm_cmpeq_ps(a.v, b.v)};
}
inline LaneMask operator&(LaneMask a, LaneMask b)
{
    return {_mm_and_ps(a.v, b.v)};
}

inline IntLanes operator+(IntLanes a, IntLanes b)
{
    return IntLanes(_mm_add_epi32(a.v, b.v));
}
inline IntLanes operator-(IntLanes a, IntLanes b)
{
    return IntLanes(_mm_sub_epi32(a.v, b.v));
}
inline IntLanes operator&(IntLanes a, IntLanes b)
{
    return IntLanes(_mm_and_si128(a.v, b.v));
}
inline LaneMask operator<(IntLanes a, IntLanes b)
{
    return {_mm_castsi128_ps(_mm_cmplt_epi32(a.v, b.v))};
}
inline LaneMask operator>(IntLanes a, IntLanes b)
{
    return {_mm_castsi128_ps(_mm_cmpgt_epi32(a.v, b.v))};
}
inline LaneMask operator==(IntLanes a, IntLanes b)
{
    return {_mm_castsi128_ps(_mm_cmpeq_epi32(a.v, b.v))};
}

// Lane by lane: mask ? a : b.
inline FloatLanes select(LaneMask mask, FloatLanes a, FloatLanes b)
{
    return FloatLanes(_mm_or_ps(_mm_and_ps(mask.v, a.v), _mm_andnot_ps(mask.v, b.v)));
}
inline IntLanes select(LaneMask mask, IntLanes a, IntLanes b)
{
    const __m128i m = _mm_castps_si128(mask.v);
    return IntLanes(_mm_or_si128(_mm_and_si128(m, a.v), _mm_andnot_si128(m, b.v)));
}

// a > b ? a : b in every lane (b where either is NaN).
inline FloatLanes larger(FloatLanes a, FloatLanes b)
{
    return FloatLanes(_mm_max_ps(a.v, b.v));
}
// a < b ? a : b in every lane (b where either is NaN).
inline FloatLanes smaller(FloatLanes a, FloatLanes b)
{
    return FloatLanes(_mm_min_ps(a.v, b.v));
}

// Truncation toward zero; values must lie inside the int range.
inline IntLanes truncateToInt(FloatLanes x)
{
    return IntLanes(_mm_cvttps_epi32(x.v));
}
inline FloatLanes toFloat(IntLanes i)
{
    return FloatLanes(_mm_cvtepi32_ps(i.v));
}

// 2^i for i = 0..30, built in the exponent field: exactly the float of 1 << i.
inline FloatLanes powerOfTwo(IntLanes i)
{
    return FloatLanes(
        _mm_castsi128_ps(_mm_slli_epi32(_mm_add_epi32(i.v, _mm_set1_epi32(127)), 23)));
}

// Bit n set when lane n of the mask is true.
inline int laneBits(LaneMask mask)
{
    return _mm_movemask_ps(mask.v);
}

// lane 3 of a.
inline float highestLane(FloatLanes a)
{
    return _mm_cvtss_f32(_mm_shuffle_ps(a.v, a.v, _MM_SHUFFLE(3, 3, 3, 3)));
}

// Lanes moved up by one: first in lane 0, lanes 0..2 of a in lanes 1..3.
inline FloatLanes shiftUp(FloatLanes a, float first)
{
    return FloatLanes(
        _mm_move_ss(_mm_castsi128_ps(_mm_slli_si128(_mm_castps_si128(a.v), 4)), _mm_set_ss(first)));
}

// Four rows become four columns.
inline void transpose(FloatLanes& a, FloatLanes& b, FloatLanes& c, FloatLanes& d)
{
    _MM_TRANSPOSE4_PS(a.v, b.v, c.v, d.v);
}

// table[index] and table[index + 1] for every lane, each pair read as one 64-bit load; index + 1
// must lie inside the table.
inline void gatherPair(const float* table, IntLanes index, FloatLanes& here, FloatLanes& next)
{
    alignas(16) std::int32_t at[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), index.v);
    auto pair = [table](std::int32_t i)
    { return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(table + i))); };
    const __m128 pairs01 = _mm_movelh_ps(pair(at[0]), pair(at[1]));
    const __m128 pairs23 = _mm_movelh_ps(pair(at[2]), pair(at[3]));
    here.v = _mm_shuffle_ps(pairs01, pairs23, _MM_SHUFFLE(2, 0, 2, 0));
    next.v = _mm_shuffle_ps(pairs01, pairs23, _MM_SHUFFLE(3, 1, 3, 1));
}

// table[index] and table[(index + 1) & wrapMask] for every lane, wrapMask one less than the
// table's power-of-two length and index already inside it. Where no lane sits on the last sample
// both values of a lane are read as one pair.
inline void gatherWithNext(const float* table, IntLanes index, std::int32_t wrapMask,
                           FloatLanes& here, FloatLanes& next)
{
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(index.v, _mm_set1_epi32(wrapMask))) == 0)
    {
        gatherPair(table, index, here, next);
        return;
    }
    alignas(16) std::int32_t at[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), index.v);
    auto after = [wrapMask](std::int32_t i) { return (i + 1) & wrapMask; };
    here.v = _mm_setr_ps(table[at[0]], table[at[1]], table[at[2]], table[at[3]]);
    next.v = _mm_setr_ps(table[after(at[0])], table[after(at[1])], table[after(at[2])],
                         table[after(at[3])]);
}

#else // plain C++: the same operations one lane after the other

struct LaneMask
{
    bool lane[4];
};

struct IntLanes
{
    std::int32_t lane[4];
    IntLanes() = default;
    explicit IntLanes(std::int32_t value) : lane{value, value, value, value} {}
    IntLanes(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) : lane{a, b, c, d} {}
    static IntLanes make(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d)
    {
        return IntLanes(a, b, c, d);
    }
    void store(std::int32_t* to) const
    {
        for (int n = 0; n < 4; ++n)
        {
            to[n] = lane[n];
        }
    }
};

struct FloatLanes
{
    float lane[4];
    FloatLanes() = default;
    explicit FloatLanes(float value) : lane{value, value, value, value} {}
    FloatLanes(float a, float b, float c, float d) : lane{a, b, c, d} {}
    static FloatLanes make(float a, float b, float c, float d) { return FloatLanes(a, b, c, d); }
    static FloatLanes load(const float* from) { return make(from[0], from[1], from[2], from[3]); }
    void store(float* to) const
    {
        for (int n = 0; n < 4; ++n)
        {
            to[n] = lane[n];
        }
    }
};

namespace lanes_detail
{
template <class R, class A, class B, class Op>
inline R each(const A& a, const B& b, Op op)
{
    R r;
    for (int n = 0; n < 4; ++n)
    {
        r.lane[n] = op(a.lane[n], b.lane[n]);
    }
    return r;
}
} // namespace lanes_detail

#define TAVREL_LANE_OP(R, A, op)                                                                   \
    inline R operator op(A a, A b)                                                                 \
    {                                                                                              \
        return lanes_detail::each<R>(a, b, [](auto x, auto y) { return x op y; });                 \
    }
TAVREL_LANE_OP(FloatLanes, FloatLanes, +)
TAVREL_LANE_OP(FloatLanes, FloatLanes, -)
TAVREL_LANE_OP(FloatLanes, FloatLanes, *)
TAVREL_LANE_OP(FloatLanes, FloatLanes, /)
TAVREL_LANE_OP(LaneMask, FloatLanes, <)
TAVREL_LANE_OP(LaneMask, FloatLanes, <=)
TAVREL_LANE_OP(LaneMask, FloatLanes, >)
TAVREL_LANE_OP(LaneMask, FloatLanes, >=)
TAVREL_LANE_OP(LaneMask, FloatLanes, ==)
TAVREL_LANE_OP(LaneMask, LaneMask, &)
TAVREL_LANE_OP(IntLanes, IntLanes, +)
TAVREL_LANE_OP(IntLanes, IntLanes, -)
TAVREL_LANE_OP(IntLanes, IntLanes, &)
TAVREL_LANE_OP(LaneMask, IntLanes, <)
TAVREL_LANE_OP(LaneMask, IntLanes, >)
TAVREL_LANE_OP(LaneMask, IntLanes, ==)
#undef TAVREL_LANE_OP

inline FloatLanes operator-(FloatLanes a)
{
    return lanes_detail::each<FloatLanes>(a, a, [](float x, float) { return -x; });
}

inline FloatLanes select(LaneMask mask, FloatLanes a, FloatLanes b)
{
    FloatLanes r;
    for (int n = 0; n < 4; ++n)
    {
        r.lane[n] = mask.lane[n] ? a.lane[n] : b.lane[n];
    }
    return r;
}
inline IntLanes select(LaneMask mask, IntLanes a, IntLanes b)
{
    IntLanes r;
    for (int n = 0; n < 4; ++n)
    {
        r.lane[n] = mask.lane[n] ? a.lane[n] : b.lane[n];
    }
    return r;
}

inline FloatLanes larger(FloatLanes a, FloatLanes b)
{
    return lanes_detail::each<FloatLanes>(a, b, [](float x, float y) { return x > y ? x : y; });
}
inline FloatLanes smaller(FloatLanes a, FloatLanes b)
{
    return lanes_detail::each<FloatLanes>(a, b, [](float x, float y) { return x < y ? x : y; });
}

inline IntLanes truncateToInt(FloatLanes x)
{
    IntLanes r;
    for (int n = 0; n < 4; ++n)
    {
        r.lane[n] = static_cast<std::int32_t>(x.lane[n]);
    }
    return r;
}
inline FloatLanes toFloat(IntLanes i)
{
    FloatLanes r;
    for (int n = 0; n < 4; ++n)
    {
        r.lane[n] = static_cast<float>(i.lane[n]);
    }
    return r;
}

inline FloatLanes powerOfTwo(IntLanes i)
{
    FloatLanes r;
    for (int n = 0; n < 4; ++n)
    {
        r.lane[n] = static_cast<float>(std::int32_t{1} << i.lane[n]);
    }
    return r;
}

inline int laneBits(LaneMask mask)
{
    return (mask.lane[0] ? 1 : 0) | (mask.lane[1] ? 2 : 0) | (mask.lane[2] ? 4 : 0) |
           (mask.lane[3] ? 8 : 0);
}

inline float highestLane(FloatLanes a)
{
    return a.lane[3];
}

inline FloatLanes shiftUp(FloatLanes a, float first)
{
    return FloatLanes::make(first, a.lane[0], a.lane[1], a.lane[2]);
}

inline void transpose(FloatLanes& a, FloatLanes& b, FloatLanes& c, FloatLanes& d)
{
    FloatLanes* rows[4] = {&a, &b, &c, &d};
    for (int row = 0; row < 4; ++row)
    {
        for (int column = row + 1; column < 4; ++column)
        {
            const float t = rows[row]->lane[column];
            rows[row]->lane[column] = rows[column]->lane[row];
            rows[column]->lane[row] = t;
        }
    }
}

inline void gatherPair(const float* table, IntLanes index, FloatLanes& here, FloatLanes& next)
{
    for (int n = 0; n < 4; ++n)
    {
        here.lane[n] = table[index.lane[n]];
        next.lane[n] = table[index.lane[n] + 1];
    }
}

inline void gatherWithNext(const float* table, IntLanes index, std::int32_t wrapMask,
                           FloatLanes& here, FloatLanes& next)
{
    for (int n = 0; n < 4; ++n)
    {
        here.lane[n] = table[index.lane[n]];
        next.lane[n] = table[(index.lane[n] + 1) & wrapMask];
    }
}

#endif

// Operations shared by both kinds of lanes.

inline IntLanes operator&(IntLanes a, std::int32_t b)
{
    return a & IntLanes(b);
}

inline bool allLanes(LaneMask mask)
{
    return laneBits(mask) == 0xF;
}
inline bool anyLane(LaneMask mask)
{
    return laneBits(mask) != 0;
}

inline FloatLanes gather(const float* table, IntLanes index)
{
    alignas(16) std::int32_t at[4];
    index.store(at);
    return FloatLanes::make(table[at[0]], table[at[1]], table[at[2]], table[at[3]]);
}

// f applied to every lane on its own (for the rare lanes a kernel takes aside).
template <class F>
inline FloatLanes eachLane(FloatLanes x, F f)
{
    alignas(16) float values[4];
    x.store(values);
    return FloatLanes::make(f(values[0]), f(values[1]), f(values[2]), f(values[3]));
}

// The same operations for one value, so that templates over the lane type take float as well.

inline float select(bool mask, float a, float b)
{
    return mask ? a : b;
}
inline std::int32_t select(bool mask, std::int32_t a, std::int32_t b)
{
    return mask ? a : b;
}
inline float larger(float a, float b)
{
    return a > b ? a : b;
}
inline float smaller(float a, float b)
{
    return a < b ? a : b;
}
inline std::int32_t truncateToInt(float x)
{
    return static_cast<std::int32_t>(x);
}
inline float toFloat(std::int32_t i)
{
    return static_cast<float>(i);
}
inline float powerOfTwo(std::int32_t i)
{
    return static_cast<float>(std::int32_t{1} << i);
}
inline bool allLanes(bool mask)
{
    return mask;
}
inline bool anyLane(bool mask)
{
    return mask;
}
inline float gather(const float* table, std::int32_t index)
{
    return table[index];
}
inline void gatherPair(const float* table, std::int32_t index, float& here, float& next)
{
    here = table[index];
    next = table[index + 1];
}
inline void gatherWithNext(const float* table, std::int32_t index, std::int32_t wrapMask,
                           float& here, float& next)
{
    here = table[index];
    next = table[(index + 1) & wrapMask];
}
template <class F>
inline float eachLane(float x, F f)
{
    return f(x);
}

// The integer counterpart of a float or lane type.
template <class T>
struct LaneTraits
{
    using Int = IntLanes;
    static T load(const float* from) { return T::load(from); }
    static void store(float* to, T value) { value.store(to); }
};

template <>
struct LaneTraits<float>
{
    using Int = std::int32_t;
    static float load(const float* from) { return *from; }
    static void store(float* to, float value) { *to = value; }
};

template <class T>
using IntFor = typename LaneTraits<T>::Int;

template <class T>
inline T loadLanes(const float* from)
{
    return LaneTraits<T>::load(from);
}

template <class T>
inline void storeLanes(float* to, T value)
{
    LaneTraits<T>::store(to, value);
}

// body(FloatLanes{}, i) for i = begin, begin + 4, ... while four samples fit before end, then
// body(0.0f, i) for each remaining one; body takes the type of its first argument as its lane
// type. Returns end.
template <class Body>
inline int forEachLanes(int begin, int end, Body&& body)
{
    int i = begin;
    for (; i + kLanes <= end; i += kLanes)
    {
        body(FloatLanes{}, i);
    }
    for (; i < end; ++i)
    {
        body(0.0f, i);
    }
    return end;
}
