// The voice filter.
#include "components/Filter.h"

#include "base/SampleRate.h"
#include "components/FastMath.h"
#include "components/FilterRateMatch.h"
#include "components/Lanes.h"
#include "components/OnePole.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <type_traits>

// One filter's block as the per-sample loop takes it: its buffers, settings and running state.
struct FilterLane
{
    const float* x;         // input sum
    const float* magnitude; // silence measure of the input sum
    const float* mod;       // modulation sum, tenths of an octave
    float* out;
    float cutoffTarget;    // cycles per sample
    float cutoffRate;      // smoother coefficient per sample
    float resonanceTarget; // 0..1
    float resonanceRate;
    float range;                  // q
    const FilterRateMatch* match; // coefficients carried from 44100 Hz; null at that rate
    float cutoffScale;            // the rate / 44100
    float cutoff;                 // smoothed, cycles per sample
    float resonance;
    float s1;
    float s2;
    std::int32_t silentRun; // silent input samples in a row, across blocks
    int mode;
};

namespace
{

const char* const kTypeItems[] = {"LP", "HP", "BP", "N"};

// The cutoff smoothers' default frequency in Hz: a time constant of about 36 ms.
constexpr float kSmoothingHz = 4.41f;
// The range factor q scales the cubic that maps the cutoff onto a stage coefficient: about 0.9568,
// the coefficient of a one-pole with its corner at half of 44100 Hz at that rate. It is the same
// at every rate: the cutoff is already a fraction of the rate, and a q that shrank with the rate
// on top of it would lower the cutoff in Hz (to about half at 192000 Hz).
constexpr float kRangeCornerHz = 22050.0f;
constexpr float kRangeRateHz = 44100.0f;

// An input sample whose magnitude lies below kSilence counts as silent; after kSilentRun silent
// samples in a row (1.5 ms at 44100 Hz) the filter clears its state, and keeps it clear while
// the silence lasts. Counting samples rather than judging whole blocks makes the reset land on
// the same sample whatever the host's block size: a one-frame stretch whose single sample passes
// near zero is not silence, and resetting there would click in the middle of a note.
constexpr float kSilence = 0.000001f;
constexpr int kSilentRun = 64;

// The largest cutoff the modulated coefficient may reach: half the sample rate.
constexpr float kMaxCutoff = 0.5f;
// Keeps g above 0 so that the stages never freeze, even for a cutoff of 0.
constexpr float kMinCoefficient = 0.00001f;
// The resonance feedback is limited to this magnitude.
constexpr float kMaxFeedback = 4.0f;
// The smallest float step below 1. Below about 12030 Hz, g can round to exactly 1 near half the
// sample rate; 1 - g is then replaced by this gap so that the resonance gain 1 / (1 - g) stays
// finite (about 1.7e7, the value of the neighbouring g) instead of turning into inf x 0 = NaN.
constexpr float kSmallestGap = 5.9604645e-8f;

// The coefficients a rate table gives: the stage coefficient, the feedback gain and the output
// mix of the highpass, bandpass or notch (unused for the lowpass).
template <class T>
struct TableCoefficients
{
    T g;
    T k;
    T mix[3];
};

// The settings of a block, one value per filter (T float) or per lane (T FloatLanes).
template <class T>
struct KernelSettings
{
    T cutoffTarget;    // cycles per sample
    T cutoffRate;      // smoother coefficient per sample
    T resonanceTarget; // 0..1
    T resonanceRate;
    T range; // q
    T cutoffScale;
    const FilterRateMatch* match;
    // The table's coefficients at the targets, for the samples where the smoothers have reached
    // them (unmodulated filters away from 44100 Hz).
    TableCoefficients<T> settled;
    // For modulated filters away from 44100 Hz: the table's row at each filter's resonance
    // target (kRowFields fields of kRowLength columns per filter, filter n from rowOffsets's lane
    // n), read while the resonance is there.
    const float* rows;
    IntFor<T> rowOffsets;
};

// The running state of the per-sample loop.
template <class T>
struct KernelState
{
    T cutoff; // smoothed, cycles per sample
    T resonance;
    T s1;
    T s2;
    IntFor<T> silentRun; // silent input samples in a row, across blocks
};

// A field of the filters a T holds: of lanes[0] for float, of lanes[0..3] for FloatLanes.
template <class T>
T gatherField(const FilterLane* lanes, float FilterLane::*field)
{
    if constexpr (std::is_same_v<T, float>)
    {
        return lanes[0].*field;
    }
    else
    {
        return T::make(lanes[0].*field, lanes[1].*field, lanes[2].*field, lanes[3].*field);
    }
}

template <class T>
IntFor<T> gatherRuns(const FilterLane* lanes)
{
    if constexpr (std::is_same_v<T, float>)
    {
        return lanes[0].silentRun;
    }
    else
    {
        return IntLanes::make(lanes[0].silentRun, lanes[1].silentRun, lanes[2].silentRun,
                              lanes[3].silentRun);
    }
}

// Hands back the state of every filter a T holds.
template <class T>
void scatterState(FilterLane* lanes, const KernelState<T>& state)
{
    if constexpr (std::is_same_v<T, float>)
    {
        lanes[0].cutoff = state.cutoff;
        lanes[0].resonance = state.resonance;
        lanes[0].s1 = state.s1;
        lanes[0].s2 = state.s2;
        lanes[0].silentRun = state.silentRun;
    }
    else
    {
        float cutoffs[kLanes];
        float resonances[kLanes];
        float states1[kLanes];
        float states2[kLanes];
        std::int32_t runs[kLanes];
        state.cutoff.store(cutoffs);
        state.resonance.store(resonances);
        state.s1.store(states1);
        state.s2.store(states2);
        state.silentRun.store(runs);
        for (int lane = 0; lane < kLanes; ++lane)
        {
            lanes[lane].cutoff = cutoffs[lane];
            lanes[lane].resonance = resonances[lane];
            lanes[lane].s1 = states1[lane];
            lanes[lane].s2 = states2[lane];
            lanes[lane].silentRun = runs[lane];
        }
    }
}

// Samples i .. i + 3 of the buffer of four filters, one FloatLanes per sample: read as rows and
// turned into columns.
[[gnu::always_inline]] inline void loadColumns(const FilterLane* lanes,
                                               const float* FilterLane::*buffer, int i,
                                               FloatLanes (&samples)[kLanes])
{
    for (int lane = 0; lane < kLanes; ++lane)
    {
        samples[lane] = FloatLanes::load(lanes[lane].*buffer + i);
    }
    transpose(samples[0], samples[1], samples[2], samples[3]);
}

// The inverse of loadColumns for the output.
[[gnu::always_inline]] inline void storeColumns(FilterLane* lanes, int i,
                                                FloatLanes (&samples)[kLanes])
{
    transpose(samples[0], samples[1], samples[2], samples[3]);
    for (int lane = 0; lane < kLanes; ++lane)
    {
        samples[lane].store(lanes[lane].out + i);
    }
}

// Sample i of the buffer of every filter a T holds.
template <class T>
inline T loadSample(const FilterLane* lanes, const float* FilterLane::*buffer, int i)
{
    if constexpr (std::is_same_v<T, float>)
    {
        return (lanes[0].*buffer)[i];
    }
    else
    {
        return T::make((lanes[0].*buffer)[i], (lanes[1].*buffer)[i], (lanes[2].*buffer)[i],
                       (lanes[3].*buffer)[i]);
    }
}

template <class T>
inline void storeSample(FilterLane* lanes, int i, T sample)
{
    if constexpr (std::is_same_v<T, float>)
    {
        lanes[0].out[i] = sample;
    }
    else
    {
        float samples[kLanes];
        sample.store(samples);
        for (int lane = 0; lane < kLanes; ++lane)
        {
            lanes[lane].out[i] = samples[lane];
        }
    }
}

// A place between four entries of the rate table: the first entry's offset in floats and the
// weights towards the next column and the next row.
template <class T>
struct TablePoint
{
    IntFor<T> at;
    T fx;
    T fy;
};

// Where cutoff c44 (cycles per sample at 44100 Hz) falls along the table's rows, in columns, and
// resonance r across them, in rows. Values outside the table's span (NaN included: larger(NaN, 0)
// is 0) take its nearest edge, and the last column and row stay below their ends, so that neither
// an entry nor the next one leaves the table.
template <class T>
[[gnu::always_inline]] inline T columnPlace(T c44)
{
    constexpr float kColumns = static_cast<float>(FilterRateMatch::kCutoffSteps);
    return smaller(larger(c44 * T(kColumns / FilterRateMatch::kMaxCutoff), T(0.0f)),
                   T(kColumns - 0.001f));
}

template <class T>
[[gnu::always_inline]] inline T rowPlace(T r)
{
    constexpr float kRows = static_cast<float>(FilterRateMatch::kResonanceSteps);
    return smaller(larger(r * T(kRows), T(0.0f)), T(kRows - 0.001f));
}

// The place of cutoff c44 and resonance r.
template <class T>
[[gnu::always_inline]] inline TablePoint<T> tablePoint(T c44, T r)
{
    const T x = columnPlace(c44);
    const T y = rowPlace(r);
    const T column = toFloat(truncateToInt(x));
    const T row = toFloat(truncateToInt(y));
    // Whole numbers below 2^24 are exact in float: the offset is computed there because the lane
    // type has no integer multiply.
    constexpr float kRowLength = static_cast<float>(FilterRateMatch::kRowLength);
    constexpr float kFields = static_cast<float>(FilterRateMatch::kFields);
    return {truncateToInt((row * T(kRowLength) + column) * T(kFields)), x - column, y - row};
}

// Field of the table at point, bilinear between its four entries.
template <class T>
[[gnu::always_inline]] inline T tableField(const FilterRateMatch& match, const TablePoint<T>& point,
                                           int field)
{
    using Int = IntFor<T>;
    constexpr int kNextRow = FilterRateMatch::kRowLength * FilterRateMatch::kFields;
    const float* table = match.entries() + field;
    const T a = gather(table, point.at);
    const T b = gather(table, point.at + Int(FilterRateMatch::kFields));
    const T c = gather(table, point.at + Int(kNextRow));
    const T d = gather(table, point.at + Int(kNextRow + FilterRateMatch::kFields));
    const T top = a + (b - a) * point.fx;
    const T bottom = c + (d - c) * point.fx;
    return top + (bottom - top) * point.fy;
}

// The fields of a row blended at one resonance: g, k, and the mode's three mix values.
constexpr int kRowFields = 5;
constexpr int kRowFloats = kRowFields * FilterRateMatch::kRowLength;

// The table field a row field holds for mode.
constexpr int tableFieldOf(int rowField, int mode)
{
    return rowField < 2 ? rowField : FilterRateMatch::kMixes + 3 * (mode - 1) + rowField - 2;
}

// Fills row (kRowFloats) with the table blended at resonance r, as tablePoint finds its rows.
template <int Mode>
void blendRow(const FilterRateMatch& match, float r, float* row)
{
    const float y = rowPlace(r);
    const int below = static_cast<int>(y);
    const float fy = y - static_cast<float>(below);
    constexpr int kFieldsUsed = Mode == Filter::kLowpass ? 2 : kRowFields;
    constexpr int kStride = FilterRateMatch::kFields;
    for (int field = 0; field < kFieldsUsed; ++field)
    {
        const float* top = match.entries() + below * FilterRateMatch::kRowLength * kStride +
                           tableFieldOf(field, Mode);
        const float* bottom = top + FilterRateMatch::kRowLength * kStride;
        for (int column = 0; column < FilterRateMatch::kRowLength; ++column)
        {
            const float a = top[column * kStride];
            const float b = bottom[column * kStride];
            row[field * FilterRateMatch::kRowLength + column] = a + (b - a) * fy;
        }
    }
}

// One filter's coefficients of mode at resonance r and cutoff c44 with the operations of
// blendRow followed by readRow, without building the row: the same bits.
template <int Mode>
TableCoefficients<float> rowCoefficients(const FilterRateMatch& match, float r, float c44)
{
    constexpr int kStride = FilterRateMatch::kFields;
    const float y = rowPlace(r);
    const int below = static_cast<int>(y);
    const float fy = y - static_cast<float>(below);
    const float x = columnPlace(c44);
    const int column = truncateToInt(x);
    const float fx = x - toFloat(column);
    TableCoefficients<float> found = {0.0f, 0.0f, {0.0f, 0.0f, 0.0f}};
    float* const fields[kRowFields] = {&found.g, &found.k, &found.mix[0], &found.mix[1],
                                       &found.mix[2]};
    constexpr int kFieldsUsed = Mode == Filter::kLowpass ? 2 : kRowFields;
    for (int field = 0; field < kFieldsUsed; ++field)
    {
        const float* top = match.entries() + below * FilterRateMatch::kRowLength * kStride +
                           tableFieldOf(field, Mode) + column * kStride;
        const float* bottom = top + FilterRateMatch::kRowLength * kStride;
        const float a = top[0] + (bottom[0] - top[0]) * fy;
        const float b = top[kStride] + (bottom[kStride] - top[kStride]) * fy;
        *fields[field] = a + (b - a) * fx;
    }
    return found;
}

// The coefficients of mode for cutoff c44 from the blended rows.
template <int Mode, class T>
[[gnu::always_inline]] inline TableCoefficients<T> readRow(const KernelSettings<T>& settings, T c44)
{
    const T x = columnPlace(c44);
    const IntFor<T> column = truncateToInt(x);
    const T fx = x - toFloat(column);
    const IntFor<T> at = settings.rowOffsets + column;
    TableCoefficients<T> found = {T(0.0f), T(0.0f), {T(0.0f), T(0.0f), T(0.0f)}};
    T* const fields[kRowFields] = {&found.g, &found.k, &found.mix[0], &found.mix[1], &found.mix[2]};
    constexpr int kFieldsUsed = Mode == Filter::kLowpass ? 2 : kRowFields;
    for (int field = 0; field < kFieldsUsed; ++field)
    {
        T a;
        T b;
        gatherPair(settings.rows + field * FilterRateMatch::kRowLength, at, a, b);
        *fields[field] = a + (b - a) * fx;
    }
    return found;
}

// The coefficients of mode at point.
template <int Mode, class T>
[[gnu::always_inline]] inline TableCoefficients<T> readCoefficients(const FilterRateMatch& match,
                                                                    const TablePoint<T>& point)
{
    TableCoefficients<T> found = {tableField(match, point, FilterRateMatch::kCoefficient),
                                  tableField(match, point, FilterRateMatch::kFeedback),
                                  {T(0.0f), T(0.0f), T(0.0f)}};
    if constexpr (Mode != Filter::kLowpass)
    {
        constexpr int kMix = FilterRateMatch::kMixes + 3 * (Mode - 1);
        for (int n = 0; n < 3; ++n)
        {
            found.mix[n] = tableField(match, point, kMix + n);
        }
    }
    return found;
}

// A smoothed value counts as settled within this distance of its target (a fraction of the
// cutoff, an amount of resonance): the exponential glide creeps the last steps in float, and
// the coefficients there differ from those at the target by far less than can be heard.
constexpr float kSettledCutoff = 1e-6f;
constexpr float kSettledResonance = 1e-6f;

template <class T>
[[gnu::always_inline]] inline auto within(T value, T target, T distance)
{
    return (value - target <= distance) & (target - value <= distance);
}

// Per lane: a where mask is set, else b.
template <class T, class Mask>
[[gnu::always_inline]] inline TableCoefficients<T>
selectCoefficients(Mask mask, const TableCoefficients<T>& a, const TableCoefficients<T>& b)
{
    return {select(mask, a.g, b.g),
            select(mask, a.k, b.k),
            {select(mask, a.mix[0], b.mix[0]), select(mask, a.mix[1], b.mix[1]),
             select(mask, a.mix[2], b.mix[2])}};
}

// One sample of the filter for one mode. x is the input sum, magnitude the input's silence
// measure and mod the modulation sum in tenths of an octave. Without modulation (Modulated false)
// mod is not read: a sum of 0 gives fastExp2(0), exactly 1. Without a silent input sample in the
// block (Watched false) magnitude is not read: the run of silent samples ends at the first sample
// and no reset can happen. For FloatLanes every lane performs the operations of float in the same
// order, so each lane's samples and state equal those of the filter run alone, bit for bit. At
// 44100 Hz (Matched false) the coefficients come from the cubic; at other rates (Matched true)
// from the table that carries the 44100 Hz response to the rate.
template <int Mode, bool Modulated, bool Watched, bool Matched, class T>
[[gnu::always_inline]] inline T stepFilter(const KernelSettings<T>& settings, KernelState<T>& state,
                                           T x, T magnitude, T mod)
{
    using Int = IntFor<T>;
    const T one(1.0f);

    if constexpr (Watched)
    {
        state.silentRun = select(magnitude < T(kSilence), state.silentRun + Int(1), Int(0));
        const auto snap = state.silentRun > Int(kSilentRun - 1);
        if (anyLane(snap))
        {
            // A silent input clears the ringing and snaps the smoothers.
            state.cutoff = select(snap, settings.cutoffTarget, state.cutoff);
            state.resonance = select(snap, settings.resonanceTarget, state.resonance);
            state.s1 = select(snap, T(0.0f), state.s1);
            state.s2 = select(snap, T(0.0f), state.s2);
            state.silentRun = select(snap, Int(kSilentRun), state.silentRun);
        }
    }
    const T antiDenormal(kAntiDenormal);
    state.cutoff =
        state.cutoff + (settings.cutoffTarget - state.cutoff) * settings.cutoffRate + antiDenormal;
    state.resonance = state.resonance +
                      (settings.resonanceTarget - state.resonance) * settings.resonanceRate +
                      antiDenormal;

    T c = state.cutoff;
    if constexpr (Modulated)
    {
        c = fastExp2(T(10.0f) * mod) * state.cutoff;
    }
    c = smaller(c, T(kMaxCutoff));
    T g;
    T fb;
    [[maybe_unused]] TableCoefficients<T> table;
    if constexpr (Matched)
    {
        // Per lane, the same choice whatever the block or group: the coefficients at the
        // targets once the smoothers are there and nothing modulates (a held setting reads the
        // table once a block); else the row at the resonance target once the resonance is
        // there; else the whole table at the gliding values.
        const T c44 = c * settings.cutoffScale;
        const auto resonanceSettled =
            within(state.resonance, settings.resonanceTarget, T(kSettledResonance));
        auto constant = resonanceSettled & within(state.cutoff, settings.cutoffTarget,
                                                  settings.cutoffTarget * T(kSettledCutoff));
        if constexpr (Modulated)
        {
            constant = constant & (mod == T(0.0f));
        }
        table = settings.settled;
        if (!allLanes(constant))
        {
            TableCoefficients<T> read = readRow<Mode>(settings, c44);
            if (!allLanes(resonanceSettled))
            {
                read = selectCoefficients(
                    resonanceSettled, read,
                    readCoefficients<Mode>(*settings.match, tablePoint(c44, state.resonance)));
            }
            table = selectCoefficients(constant, table, read);
        }
        g = table.g;
        fb = table.k * (state.s1 - state.s2);
    }
    else
    {
        // The cubic maps 0..0.5 cycles per sample onto a stage coefficient of 0..q.
        const T d = one - T(2.0f) * c;
        g = (one - d * d * d) * settings.range + T(kMinCoefficient);

        T oneMinusG = one - g;
        oneMinusG = select(oneMinusG == T(0.0f), T(kSmallestGap), oneMinusG);
        fb = (one + one / oneMinusG) * state.resonance * (state.s1 - state.s2);
    }
    // -4 > fb ? -4 : fb, then 4 < that ? 4 : it: a NaN passes through.
    fb = smaller(T(kMaxFeedback), larger(T(-kMaxFeedback), fb));

    state.s1 = state.s1 + g * (x - state.s1 + fb);
    state.s2 = state.s2 + g * (state.s1 - state.s2);

    if constexpr (Matched && Mode != Filter::kLowpass)
    {
        // The output with the mode's zeros carried from 44100 Hz.
        return table.mix[0] * x + table.mix[1] * state.s1 + table.mix[2] * state.s2;
    }
    else if constexpr (Mode == Filter::kHighpass)
    {
        return x - state.s2;
    }
    else if constexpr (Mode == Filter::kBandpass)
    {
        return state.s1 - state.s2;
    }
    else if constexpr (Mode == Filter::kNotch)
    {
        return x - (state.s1 - state.s2);
    }
    else
    {
        return state.s2;
    }
}

// The per-sample loop of a block over the filters a T holds: one for float, four side by side
// for FloatLanes. The loop of a single filter is one long chain of dependent steps, so four in
// step cost little more than one. Four filters read and write four samples at a time.
template <int Mode, bool Modulated, bool Watched, bool Matched, class T>
void runFilter(FilterLane* lanes, int count)
{
    KernelSettings<T> settings = {gatherField<T>(lanes, &FilterLane::cutoffTarget),
                                  gatherField<T>(lanes, &FilterLane::cutoffRate),
                                  gatherField<T>(lanes, &FilterLane::resonanceTarget),
                                  gatherField<T>(lanes, &FilterLane::resonanceRate),
                                  gatherField<T>(lanes, &FilterLane::range),
                                  gatherField<T>(lanes, &FilterLane::cutoffScale),
                                  lanes[0].match,
                                  {},
                                  nullptr,
                                  {}};
    constexpr int kHeld = std::is_same_v<T, float> ? 1 : kLanes;
    alignas(16) float rows[Matched ? kHeld * kRowFloats : 1];
    if constexpr (Matched)
    {
        // The coefficients at the targets, and the rows only where a sample may read them: an
        // unmodulated filter whose smoothers start the block within half the settled distance
        // stays settled throughout (each step moves closer to the target).
        TableCoefficients<float> targets[kHeld];
        bool allSettled = !Modulated;
        for (int lane = 0; lane < kHeld; ++lane)
        {
            const FilterLane& one = lanes[lane];
            targets[lane] =
                rowCoefficients<Mode>(*one.match, one.resonanceTarget,
                                      smaller(one.cutoffTarget, kMaxCutoff) * one.cutoffScale);
            allSettled =
                allSettled &&
                within(one.cutoff, one.cutoffTarget, one.cutoffTarget * (0.5f * kSettledCutoff)) &&
                within(one.resonance, one.resonanceTarget, 0.5f * kSettledResonance);
        }
        for (int lane = 0; lane < kHeld && !allSettled; ++lane)
        {
            blendRow<Mode>(*settings.match, lanes[lane].resonanceTarget, rows + lane * kRowFloats);
        }
        if constexpr (std::is_same_v<T, float>)
        {
            settings.settled = targets[0];
        }
        else
        {
            auto gather4 = [&targets](float TableCoefficients<float>::*field)
            {
                return FloatLanes::make(targets[0].*field, targets[1].*field, targets[2].*field,
                                        targets[3].*field);
            };
            settings.settled.g = gather4(&TableCoefficients<float>::g);
            settings.settled.k = gather4(&TableCoefficients<float>::k);
            for (int n = 0; n < 3; ++n)
            {
                settings.settled.mix[n] = FloatLanes::make(targets[0].mix[n], targets[1].mix[n],
                                                           targets[2].mix[n], targets[3].mix[n]);
            }
        }
        settings.rows = rows;
        if constexpr (std::is_same_v<T, float>)
        {
            settings.rowOffsets = 0;
        }
        else
        {
            settings.rowOffsets = IntLanes::make(0, kRowFloats, 2 * kRowFloats, 3 * kRowFloats);
        }
    }
    KernelState<T> state = {gatherField<T>(lanes, &FilterLane::cutoff),
                            gatherField<T>(lanes, &FilterLane::resonance),
                            gatherField<T>(lanes, &FilterLane::s1),
                            gatherField<T>(lanes, &FilterLane::s2), gatherRuns<T>(lanes)};

    int i = 0;
    // One filter runs sample by sample; four read and write four samples at a time.
    if constexpr (!std::is_same_v<T, float>)
    {
        for (; i + kLanes <= count; i += kLanes)
        {
            T xs[kLanes];
            T magnitudes[kLanes] = {};
            T mods[kLanes] = {};
            loadColumns(lanes, &FilterLane::x, i, xs);
            if constexpr (Watched)
            {
                loadColumns(lanes, &FilterLane::magnitude, i, magnitudes);
            }
            if constexpr (Modulated)
            {
                loadColumns(lanes, &FilterLane::mod, i, mods);
            }
            T ys[kLanes];
            for (int k = 0; k < kLanes; ++k)
            {
                ys[k] = stepFilter<Mode, Modulated, Watched, Matched>(settings, state, xs[k],
                                                                      magnitudes[k], mods[k]);
            }
            storeColumns(lanes, i, ys);
        }
    }
    for (; i < count; ++i)
    {
        const T mod = Modulated ? loadSample<T>(lanes, &FilterLane::mod, i) : T(0.0f);
        const T magnitude = Watched ? loadSample<T>(lanes, &FilterLane::magnitude, i) : T(0.0f);
        const T x = loadSample<T>(lanes, &FilterLane::x, i);
        storeSample(
            lanes, i,
            stepFilter<Mode, Modulated, Watched, Matched>(settings, state, x, magnitude, mod));
    }

    if (!Watched && count > 0)
    {
        state.silentRun = IntFor<T>(0);
    }
    scatterState(lanes, state);
}

template <class T, int Mode, bool Matched>
void runFilterFlags(bool modulated, bool watched, FilterLane* lanes, int count)
{
    if (modulated && watched)
    {
        runFilter<Mode, true, true, Matched, T>(lanes, count);
    }
    else if (modulated)
    {
        runFilter<Mode, true, false, Matched, T>(lanes, count);
    }
    else if (watched)
    {
        runFilter<Mode, false, true, Matched, T>(lanes, count);
    }
    else
    {
        runFilter<Mode, false, false, Matched, T>(lanes, count);
    }
}

template <class T, int Mode>
void runFilterMode(bool modulated, bool watched, FilterLane* lanes, int count)
{
    if (lanes[0].match != nullptr)
    {
        runFilterFlags<T, Mode, true>(modulated, watched, lanes, count);
    }
    else
    {
        runFilterFlags<T, Mode, false>(modulated, watched, lanes, count);
    }
}

// The loop of a block in lanes[0]'s mode: lanes[0] alone for float, lanes[0..3] for FloatLanes.
template <class T>
void runFilterBlock(bool modulated, bool watched, FilterLane* lanes, int count)
{
    switch (lanes[0].mode)
    {
    case Filter::kHighpass:
        runFilterMode<T, Filter::kHighpass>(modulated, watched, lanes, count);
        break;
    case Filter::kBandpass:
        runFilterMode<T, Filter::kBandpass>(modulated, watched, lanes, count);
        break;
    case Filter::kNotch:
        runFilterMode<T, Filter::kNotch>(modulated, watched, lanes, count);
        break;
    default:
        runFilterMode<T, Filter::kLowpass>(modulated, watched, lanes, count);
        break;
    }
}

} // namespace

void Filter::ParameterSmoother::updateCoefficient()
{
    coefficient = onePoleCoefficient<float>(frequency, sampleRate);
}

void Filter::ParameterSmoother::setSampleRate(float rateHz)
{
    sampleRate = rateHz;
    updateCoefficient();
}

const char* const Filter::kTypeLongNames[kTypeCount] = {"Lowpass", "Highpass", "Bandpass", "Notch"};

Filter::Filter(const char* prefix)
    : cutoff(prefix, "Cut", "Hz", 0.75f, 8.0f, 13000.0f, false),
      resonance(prefix, "Res", "Level", 0.0f, 0.0f, 1.0f, false),
      type(prefix, "Type", "Type", 0.0f, 3, kTypeItems, kTypeLongNames),
      keyTracking(prefix, "KTrck", "Rate", 0.0f, 0.0f, 1.0f, false),
      fm1Level(prefix, "FM1", "Level", 0.0f, 0.0f, 1.0f, false),
      fm2Level(prefix, "FM2", "Level", 0.0f, 0.0f, 1.0f, false), fm1Polarity(prefix, "FM1PL"),
      fm2Polarity(prefix, "FM2PL"), pressureOn(prefix, "CPrss"), sampleRate(44100.0f),
      currentNote(69), cutoffNote(0.0f), cutoffFrequency(0.0f), pressure(0.0f)
{
    addParameter(cutoff);
    addParameter(resonance);
    addParameter(type);
    addParameter(keyTracking);
    addParameter(fm1Level);
    addParameter(fm2Level);
    addParameter(fm1Polarity);
    addParameter(fm2Polarity);
    addParameter(pressureOn);

    cutoffNote = cutoff.getValue() * 128.0f;
    cutoffFrequency = computeCutoffFrequency();
    q = onePoleCoefficient<float>(kRangeCornerHz, kRangeRateHz);

    cutoffSmoother.frequency = kSmoothingHz;
    cutoffSmoother.target = cutoffFrequency.load();
    cutoffSmoother.updateCoefficient();
    resonanceSmoother.frequency = kSmoothingHz;
    resonanceSmoother.target = resonance.getReal();
    resonanceSmoother.updateCoefficient();
}

// The played note adds note x KTrck semitones to the cutoff note; there is no pivot note, so with
// key tracking on the Cut setting sits correspondingly lower (KTrck 1 at note 69 adds 69).
float Filter::computeCutoffFrequency() const
{
    const float note = static_cast<float>(currentNote.load());
    const float semitones = note * keyTracking.getReal() + cutoffNote - 69.0f;
    return std::pow(2.0f, semitones * kOneTwelfth) * 440.0f / sampleRate;
}

void Filter::updateCutoff()
{
    cutoffFrequency = computeCutoffFrequency();
    cutoffSmoother.target = cutoffFrequency.load();
}

void Filter::clearState()
{
    cutoffSmoother.current = cutoffSmoother.target;
    resonanceSmoother.current = resonanceSmoother.target;
    s1 = 0.0f;
    s2 = 0.0f;
    silentRun = 0;
}

void Filter::reset()
{
    clearState();
}

void Filter::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    sampleRate = rateHz;
    // Built before it is taken into use; the host changes the rate only while the plug-in is
    // suspended, so no block reads the table while it is written.
    if (rateHz != kRangeRateHz)
    {
        rateMatch.build(rateHz, q, kMinCoefficient);
    }
    matched = rateHz != kRangeRateHz;
    cutoffSmoother.setSampleRate(rateHz);
    resonanceSmoother.setSampleRate(rateHz);
    updateCutoff();
}

void Filter::trigger(int /*previousNote*/, int note, int /*velocity*/)
{
    currentNote = note < 0 ? 0 : (note > 127 ? 127 : note);
    updateCutoff();
    cutoffSmoother.current = cutoffSmoother.target;
    resonanceSmoother.current = resonanceSmoother.target;
}

void Filter::release(int /*velocity*/) {}

void Filter::press(float pressureNorm)
{
    // NaN and values outside 0..1 cannot come from a MIDI data byte; treat them as the nearest
    // valid pressure (NaN as none).
    const float p = pressureNorm > 0.0f ? (pressureNorm < 1.0f ? pressureNorm : 1.0f) : 0.0f;
    pressure = p * p;
}

void Filter::parameterChanged(int index)
{
    switch (index)
    {
    case kCut:
        cutoffNote = cutoff.getValue() * 128.0f;
        updateCutoff();
        break;
    case kKTrck:
        updateCutoff();
        break;
    case kRes:
        resonanceSmoother.target = resonance.getReal();
        break;
    case kCPrss:
        pressure = 0.0f;
        break;
    default:
        break;
    }
}

void Filter::getLongDisplay(int index, char* text) const
{
    if (index == kType)
    {
        type.getLongDisplay(text);
        return;
    }
    ParameterList::getLongDisplay(index, text);
}

void Filter::setAudioInput(int input, const ISynthComponent* source)
{
    if (input < 1 || input > kAudioInputs)
    {
        return;
    }
    ScopedLock hold(lock);
    audioInputs[input - 1] = source;
}

void Filter::setFmSource(int input, const ISynthComponent* source)
{
    if (input < 1 || input > kFmInputs)
    {
        return;
    }
    ScopedLock hold(lock);
    fmSources[input - 1] = source;
}

void Filter::setAmplitudeSource(const ISynthComponent* source)
{
    amplitudeSource = source;
}

Filter::BlockInputs Filter::gatherInputs(int count)
{
    const ISynthComponent* inputs[kAudioInputs];
    const ISynthComponent* fm[kFmInputs];
    {
        ScopedLock hold(lock);
        for (int k = 0; k < kAudioInputs; ++k)
        {
            inputs[k] = audioInputs[k];
        }
        for (int k = 0; k < kFmInputs; ++k)
        {
            fm[k] = fmSources[k];
        }
    }

    // The loops below read the sources' buffers and write this filter's own, which never
    // overlap: said with __restrict, so that they run four samples to a vector.
    float* __restrict sum = inputSum;
    float* __restrict measure = inputMagnitude;
    float* __restrict modulation = modulationSum;

    // Input sum. The silence measure of a sample adds up the magnitude of the partial sum after
    // each present source, so a source counts once for itself and once for every source added
    // after it. Magnitudes, not signed values: a tone whose cycles cancel over a stretch is not
    // silent.
    for (int i = 0; i < count; ++i)
    {
        sum[i] = 0.0f;
        measure[i] = 0.0f;
    }
    for (const ISynthComponent* source : inputs)
    {
        if (source == nullptr)
        {
            continue;
        }
        const float* __restrict samples = source->getOutput();
        for (int i = 0; i < count; ++i)
        {
            sum[i] += samples[i];
            measure[i] += std::fabs(sum[i]);
        }
    }
    int quietSamples = 0;
    for (int i = 0; i < count; ++i)
    {
        quietSamples += measure[i] < kSilence ? 1 : 0;
    }
    const bool quiet = quietSamples > 0;

    // Modulation sum in tenths of an octave; without a source or pressure it is 0 throughout and
    // is left unwritten.
    const float pressureAmount = pressure;
    const bool pressing = pressureOn.getBool() && pressureAmount > 0.0f;
    if (fm[0] == nullptr && fm[1] == nullptr && !pressing)
    {
        return {false, quiet};
    }
    for (int i = 0; i < count; ++i)
    {
        modulation[i] = 0.0f;
    }
    const float depths[kFmInputs] = {static_cast<float>(fm1Polarity.getSign()) * fm1Level.getReal(),
                                     static_cast<float>(fm2Polarity.getSign()) *
                                         fm2Level.getReal()};
    for (int k = 0; k < kFmInputs; ++k)
    {
        if (fm[k] == nullptr)
        {
            continue;
        }
        const float* __restrict samples = fm[k]->getOutput();
        const float depth = depths[k];
        for (int i = 0; i < count; ++i)
        {
            modulation[i] += depth * samples[i];
        }
    }
    if (pressing)
    {
        for (int i = 0; i < count; ++i)
        {
            modulation[i] += pressureAmount;
        }
    }
    return {true, quiet};
}

void Filter::applyAmplitude(int count)
{
    if (amplitudeSource != nullptr)
    {
        const float* __restrict amplitude = amplitudeSource->getOutput();
        float* __restrict out = output;
        for (int i = 0; i < count; ++i)
        {
            out[i] *= amplitude[i];
        }
    }
}

FilterLane Filter::loadLane(const BlockInputs& inputs, bool modulated, int count)
{
    if (modulated && !inputs.modulated)
    {
        // A filter without modulation beside modulated ones reads a sum of 0.
        std::fill(modulationSum, modulationSum + count, 0.0f);
    }
    return {inputSum,
            inputMagnitude,
            modulationSum,
            output,
            cutoffSmoother.target,
            cutoffSmoother.coefficient,
            resonanceSmoother.target,
            resonanceSmoother.coefficient,
            q,
            matched ? &rateMatch : nullptr,
            rateMatch.cutoffScale(),
            cutoffSmoother.current,
            resonanceSmoother.current,
            s1,
            s2,
            silentRun,
            type.getInt()};
}

void Filter::storeLane(const FilterLane& lane, int count)
{
    cutoffSmoother.current = lane.cutoff;
    resonanceSmoother.current = lane.resonance;
    s1 = lane.s1;
    s2 = lane.s2;
    silentRun = lane.silentRun;
    applyAmplitude(count);
}

void Filter::process(int count)
{
    count = limitBlockFrames(count);
    if (count == 0)
    {
        return;
    }
    const BlockInputs inputs = gatherInputs(count);
    FilterLane lane = loadLane(inputs, inputs.modulated, count);
    runFilterBlock<float>(inputs.modulated, inputs.quiet, &lane, count);
    storeLane(lane, count);
}

void Filter::processGroup(Filter* const* filters, int filterCount, int count)
{
    count = limitBlockFrames(count);
    if (count == 0)
    {
        return;
    }
    for (int first = 0; first < filterCount; first += kGroupLanes)
    {
        const int used = std::min(kGroupLanes, filterCount - first);
        Filter* const* group = filters + first;
        if (used == 1)
        {
            group[0]->process(count);
            continue;
        }

        BlockInputs inputs[kGroupLanes];
        bool modulated = false;
        bool watched = false;
        for (int lane = 0; lane < used; ++lane)
        {
            inputs[lane] = group[lane]->gatherInputs(count);
            modulated = modulated || inputs[lane].modulated;
            watched = watched || inputs[lane].quiet;
        }
        FilterLane lanes[kGroupLanes];
        bool sameMode = true;
        for (int lane = 0; lane < kGroupLanes; ++lane)
        {
            // Lanes past the last filter repeat it: the same inputs and state give the same
            // samples, stored again to the same places, and their state is not kept.
            lanes[lane] = lane < used ? group[lane]->loadLane(inputs[lane], modulated, count)
                                      : lanes[used - 1];
            // The lanes share lanes[0]'s rate table: the same rate builds the same table.
            sameMode = sameMode && lanes[lane].mode == lanes[0].mode &&
                       (lanes[lane].match == nullptr) == (lanes[0].match == nullptr) &&
                       lanes[lane].cutoffScale == lanes[0].cutoffScale;
        }

#ifdef TAVREL_LANES_SSE2
        if (sameMode)
        {
            runFilterBlock<FloatLanes>(modulated, watched, lanes, count);
        }
        else
#endif
        {
            // A Type write landed between two voices of this block, the filters run at different
            // rates (or the lanes are plain C++, four times the work of one): each filter runs
            // alone, in its own mode, as process would.
            for (int lane = 0; lane < used; ++lane)
            {
                runFilterBlock<float>(modulated, watched, &lanes[lane], count);
            }
        }

        for (int lane = 0; lane < used; ++lane)
        {
            group[lane]->storeLane(lanes[lane], count);
        }
    }
}
