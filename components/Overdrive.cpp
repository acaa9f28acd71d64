// The four-times oversampled soft-clipping overdrive.
#include "components/Overdrive.h"

#include "base/SampleRate.h"
#include "components/FastMath.h"

#include <cmath>

#include <emmintrin.h>

namespace
{
constexpr float kKnee = 0.63f;            // the clipper is linear inside +-0.63
constexpr float kHeadroom = 1.0f - kKnee; // and approaches +-1 beyond it
constexpr float kDriveRange = 25.0f;      // level 1 drives 26 times harder than level 0

// The clipper: linear inside +-kKnee, beyond it (1 - kKnee / |c|) x kHeadroom + kKnee with the
// sign of c. Both sides are computed and one is chosen, as the signal crosses the knee too often
// for a branch to be predicted; (-kKnee) / c of a negative c is kKnee / |c| exactly, so both
// signs take the same steps as the curve written out for each side.
inline float softClip(float c)
{
    const float magnitude = std::fabs(c);
    const float curved = (1.0f - kKnee / magnitude) * kHeadroom + kKnee;
    return magnitude > kKnee ? std::copysign(curved, c) : c;
}

// Four stages of a chain, one per vector lane, in the one-pole step state += (input - state) x k.
inline __m128 stepStages(__m128 state, __m128 input, __m128 coefficient)
{
    return _mm_add_ps(state, _mm_mul_ps(_mm_sub_ps(input, state), coefficient));
}

// The inputs of four stages: first for the lowest lane, the three lower stages' states above it.
inline __m128 shiftIn(__m128 stages, __m128 first)
{
    return _mm_move_ss(_mm_castsi128_ps(_mm_slli_si128(_mm_castps_si128(stages), 4)), first);
}

inline __m128 highestLane(__m128 stages)
{
    return _mm_shuffle_ps(stages, stages, _MM_SHUFFLE(3, 3, 3, 3));
}

} // namespace

Overdrive::Overdrive()
    : levelSmoother(true, Smoother::kDisplayValue, "OD Lvl", "Level", 0.0f, 1.0f),
      enabled("OD", "On"), levelParameter(levelSmoother)
{
    addParameter(enabled);
    addParameter(levelParameter);
}

void Overdrive::reset()
{
    for (int stage = 0; stage < kFilterStages; ++stage)
    {
        upsamplingState[stage] = 0.0f;
        downsamplingState[stage] = 0.0f;
    }
}

void Overdrive::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    sampleRate = rateHz;
    levelSmoother.setSampleRate(rateHz);
}

void Overdrive::process(float** inputs, float** outputs, int count)
{
    count = limitBlockFrames(count);
    if (count == 0)
    {
        return;
    }
    levelSmoother.process(count);
    const float* in = inputs[0];
    float* out = outputs[0];

    if (!enabled.getBool())
    {
        passThrough(in, out, count);
        return;
    }

    // Each input sample becomes four oversampled steps (itself and three zeros), each run through
    // the eight stages of the first chain, the clipper and the eight of the second; the first of
    // every four results is kept. Every stage of a step needs the stage before it at the same
    // step and itself at the step before, so the stages run as a wavefront: at iteration t,
    // first-chain stage s takes step t - s and second-chain stage s step t - 7 - s, four stages to
    // a vector. Each stage performs the same operations on the same values as in a plain loop
    // over steps and stages, so the result is the same bit for bit; but its sixteen dependent
    // chains now overlap. The first 16 iterations of a block and the 14 after its last step hold
    // back the stages without a step of this block, so that every stage ends the block at its
    // last step. Each chain's input carries the anti-denormal offset, so that on silence the
    // stages settle on a tiny constant instead of decaying into denormal numbers.
    const float* level = levelSmoother.getOutput();
    const __m128 coefficient = _mm_set1_ps(kCoefficient);
    const __m128 antiDenormal = _mm_set_ss(kAntiDenormal);
    __m128 upLow = _mm_loadu_ps(upsamplingState);
    __m128 upHigh = _mm_loadu_ps(upsamplingState + 4);
    __m128 downLow = _mm_loadu_ps(downsamplingState);
    __m128 downHigh = _mm_loadu_ps(downsamplingState + 4);

    constexpr int kStages = kFilterStages;
    constexpr int kDelay = 2 * kStages - 2; // second-chain stage 7 takes step t at iteration t + 14
    const int steps = count * kOversampling;

    auto iterate = [&](int t, bool holdBack)
    {
        const float x = t % kOversampling == 0 && t < steps ? in[t / kOversampling] : 0.0f;
        const __m128 first = _mm_add_ss(_mm_set_ss(x), antiDenormal);
        __m128 newUpLow = stepStages(upLow, shiftIn(upLow, first), coefficient);
        __m128 newUpHigh = stepStages(upHigh, shiftIn(upHigh, highestLane(upLow)), coefficient);

        // The first chain's result for step t - 7, clipped, enters the second chain.
        const int clipped = t - (kStages - 1);
        float shaped = 0.0f;
        if (clipped >= 0 && clipped < steps)
        {
            const int sample = clipped / kOversampling;
            const float drive =
                (level[sample] * kDriveRange + 1.0f) * static_cast<float>(kOversampling);
            shaped = softClip(drive * _mm_cvtss_f32(highestLane(newUpHigh)));
        }
        const __m128 downFirst = _mm_add_ss(_mm_set_ss(shaped), antiDenormal);
        __m128 newDownLow = stepStages(downLow, shiftIn(downLow, downFirst), coefficient);
        __m128 newDownHigh =
            stepStages(downHigh, shiftIn(downHigh, highestLane(downLow)), coefficient);

        if (holdBack)
        {
            // Only the stages whose step lies inside the block move: stage s of the first
            // chain at step t - s, of the second at step t - 7 - s.
            const __m128i lane = _mm_setr_epi32(0, 1, 2, 3);
            auto active = [&](int firstStep)
            {
                const __m128i step = _mm_sub_epi32(_mm_set1_epi32(firstStep), lane);
                return _mm_castsi128_ps(
                    _mm_andnot_si128(_mm_cmplt_epi32(step, _mm_setzero_si128()),
                                     _mm_cmplt_epi32(step, _mm_set1_epi32(steps))));
            };
            newUpLow = selectLanes(active(t), newUpLow, upLow);
            newUpHigh = selectLanes(active(t - 4), newUpHigh, upHigh);
            newDownLow = selectLanes(active(clipped), newDownLow, downLow);
            newDownHigh = selectLanes(active(clipped - 4), newDownHigh, downHigh);
        }
        upLow = newUpLow;
        upHigh = newUpHigh;
        downLow = newDownLow;
        downHigh = newDownHigh;

        // The second chain's result for the first step of a sample is that sample's output.
        const int finished = t - kDelay;
        if (finished >= 0 && finished < steps && finished % kOversampling == 0)
        {
            out[finished / kOversampling] = _mm_cvtss_f32(highestLane(downHigh));
        }
    };

    // Iterations from 16 up to the block's last step have every stage inside the block; the
    // input is read at iteration 4k and written back at 4k + 14, after it, so in and out may be
    // the same buffer.
    constexpr int kFull = 16;
    int t = 0;
    for (; t < kFull && t < steps + kDelay; ++t)
    {
        iterate(t, true);
    }
    for (; t + kOversampling <= steps; t += kOversampling)
    {
        iterate(t, false);
        iterate(t + 1, false);
        iterate(t + 2, false);
        iterate(t + 3, false);
    }
    for (; t < steps + kDelay; ++t)
    {
        iterate(t, true);
    }

    _mm_storeu_ps(upsamplingState, upLow);
    _mm_storeu_ps(upsamplingState + 4, upHigh);
    _mm_storeu_ps(downsamplingState, downLow);
    _mm_storeu_ps(downsamplingState + 4, downHigh);
}
