// The stereo chorus.
#include "components/Chorus.h"

#include "base/SampleRate.h"
#include "components/DelayLine.h"
#include "components/FastMath.h"
#include "components/OnePole.h"

#include <cstdint>
#include <numbers>

#include <emmintrin.h>

namespace
{
enum Index
{
    kEnabled = 0,
    kCentreDelay = 1,
    kDepth = 2,
    kFeedback = 3,
    kFrequency = 4,
    kMix = 5,
};

// Just below 1/176400: 44100 Hz gives a line of 4095 samples, 48000 Hz one of 4458.
constexpr float kLinePerHz = 0.0000056689341f;

// One channel's interpolated read at delaySamples behind writePos. The delay is at least 1
// sample: the sample at writePos has not been written yet this step, so a shorter delay would
// reach back a whole line instead of to the newest sample.
inline float readLine(const float* line, int lineLength, int writePos, float delaySamples)
{
    const LineTap tap = tapLine(writePos, delaySamples, 1.0f, lineLength);
    const float a = line[tap.index];
    const float b = line[tap.next];
    return a + (b - a) * tap.fraction + kAntiDenormal;
}

// tapLine for the four samples from writePos on (the write position moving one sample each, with
// its wrap), with the shortest delay 1; farEnough when every delay is at least 5 samples, so that
// no read reaches a sample written by an earlier one of the four.
struct LineTaps
{
    __m128i index;
    __m128i next;
    __m128 fraction;
    bool farEnough;
};

inline LineTaps tapLineLanes(int writePos, __m128 delaySamples, int lineLength)
{
    const __m128 shortest = _mm_set1_ps(1.0f);
    const __m128 longest = _mm_set1_ps(static_cast<float>(lineLength - 1));
    const __m128 atLeastShortest = _mm_cmpge_ps(delaySamples, shortest);
    __m128 delay = selectLanes(atLeastShortest, delaySamples, shortest);
    delay = selectLanes(_mm_and_ps(atLeastShortest, _mm_cmpgt_ps(delaySamples, longest)), longest,
                        delay);
    const bool farEnough = _mm_movemask_ps(_mm_cmpge_ps(delay, _mm_set1_ps(5.0f))) == 0xF;

    const __m128i length = _mm_set1_epi32(lineLength);
    __m128i positions = _mm_add_epi32(_mm_set1_epi32(writePos), _mm_setr_epi32(0, 1, 2, 3));
    positions =
        _mm_sub_epi32(positions, _mm_andnot_si128(_mm_cmplt_epi32(positions, length), length));
    const __m128 position = _mm_sub_ps(_mm_cvtepi32_ps(positions), delay);
    __m128i whole = _mm_cvttps_epi32(position);
    // floor, also below zero: one down where truncation went up.
    whole = _mm_add_epi32(whole, _mm_castps_si128(_mm_cmpgt_ps(_mm_cvtepi32_ps(whole), position)));
    const __m128 fraction = _mm_sub_ps(position, _mm_cvtepi32_ps(whole));
    const __m128i zero = _mm_setzero_si128();
    whole = _mm_add_epi32(whole, _mm_and_si128(_mm_cmplt_epi32(whole, zero), length));
    whole = _mm_andnot_si128(_mm_cmplt_epi32(whole, zero), whole);
    __m128i next = _mm_add_epi32(whole, _mm_set1_epi32(1));
    next = _mm_andnot_si128(_mm_cmpeq_epi32(next, length), next);
    return {whole, next, fraction, farEnough};
}

// readLine for the four taps.
inline __m128 readLineLanes(const float* line, const LineTaps& taps)
{
    alignas(16) std::int32_t at[4];
    alignas(16) std::int32_t after[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), taps.index);
    _mm_store_si128(reinterpret_cast<__m128i*>(after), taps.next);
    const __m128 a = _mm_setr_ps(line[at[0]], line[at[1]], line[at[2]], line[at[3]]);
    const __m128 b = _mm_setr_ps(line[after[0]], line[after[1]], line[after[2]], line[after[3]]);
    return _mm_add_ps(_mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), taps.fraction)),
                      _mm_set1_ps(kAntiDenormal));
}
} // namespace

Chorus::Chorus()
    : centreDelay(false, Smoother::kDisplayMilliseconds, "Ch Dly", "ms", 1.0f, 1024.0f),
      depth(false, Smoother::kDisplayValue, "Ch Dpth", "Level", 0.15f, 1.0f), mixTarget(0.0f),
      enabled("Ch", "On"), centreDelayParameter(centreDelay), depthParameter(depth),
      feedback("Ch", "FB", "Level", 0.0f, 0.0f, 0.99f, false),
      frequency("Ch", "Freq", "Hz", 0.2f, 0.0f, 4.0f, false), mixLevel("Ch", "Mix", 0.0f),
      sweepRate(0.0f), clearRequested(false)
{
    addParameter(enabled);
    addParameter(centreDelayParameter);
    addParameter(depthParameter);
    addParameter(feedback);
    addParameter(frequency);
    addParameter(mixLevel);
    mixTarget = mixLevel.getReal();
    mix = mixTarget;
    updateSweepRate();
}

void Chorus::updateSweepRate()
{
    sweepRate =
        static_cast<float>(2.0 * std::numbers::pi * static_cast<double>(frequency.getReal()) /
                           static_cast<double>(sampleRate));
}

void Chorus::reset()
{
    clearRequested = false;
    sine = 0.0f;
    cosine = 1.0f;
    writePosition = 0;
    linesCleared = false;
    centreDelay.reset();
    depth.reset();
    mix = mixTarget;
    tail.clear();
}

void Chorus::settle()
{
    centreDelay.settle();
    depth.settle();
    mix = mixTarget;
}

void Chorus::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    sampleRate = rateHz;

    // In double: single precision would round 44100 x kLinePerHz up to exactly 0.25 and give
    // 4096 instead of 4095.
    const double lineSamples = static_cast<double>(rateHz) * static_cast<double>(kLinePerHz) *
                               static_cast<double>(kMaxLineLength);
    len = lineSamples < static_cast<double>(kMaxLineLength) ? static_cast<int>(lineSamples)
                                                            : kMaxLineLength;

    centreDelay.setSampleRate(rateHz);
    centreDelay.setScale(static_cast<float>(len) * 0.25f);
    depth.setSampleRate(rateHz);

    mixCoefficient = onePoleCoefficient<double>(kMixFrequencyHz, rateHz);
    updateSweepRate();
    reset();
}

void Chorus::parameterChanged(int index)
{
    switch (index)
    {
    case kEnabled:
        if (enabled.getBool())
        {
            clearRequested = true;
        }
        break;
    case kFrequency:
        updateSweepRate();
        break;
    case kMix:
        mixTarget = mixLevel.getReal();
        break;
    default:
        break;
    }
}

void Chorus::process(float** inputs, float** outputs, int count)
{
    count = limitBlockFrames(count);
    if (count == 0)
    {
        return;
    }
    if (clearRequested)
    {
        reset();
    }

    centreDelay.process(count);
    depth.process(count);

    const float targetNow = mixTarget;
    const float coefficient = mixCoefficient;
    float mixNow = mix;
    const float* inLeft = inputs[0];
    const float* inRight = inputs[1];
    float* outLeft = outputs[0];
    float* outRight = outputs[1];

    if (!enabled.getBool())
    {
        for (int i = 0; i < count; ++i)
        {
            const float next = mixNow + (targetNow - mixNow) * coefficient + kAntiDenormal;
            if (next == mixNow)
            {
                // Settled: every later step of this block gives the same value again.
                break;
            }
            mixNow = next;
        }
        mix = mixNow;
        passThrough(inLeft, outLeft, count);
        passThrough(inRight, outRight, count);
        return;
    }

    if (!linesCleared)
    {
        clearLines(left, right, len);
        linesCleared = true;
    }
    const float fb = feedback.getReal();
    const float w = sweepRate;
    const float* delaySamples = centreDelay.getOutput();
    const float* depthOctaves = depth.getOutput();
    const int lineLength = len;
    int position = writePosition;
    float s = sine;
    float c = cosine;

    // One sample in the order of the algorithm: read both lines, write them, output.
    auto sample = [&](int i, float mixSample, float sineSample, float cosineSample)
    {
        const float centre = delaySamples[i];
        const float d = depthOctaves[i];

        const float dryLeft = inLeft[i];
        const float wetLeft =
            readLine(left, lineLength, position, fastExp2(d * sineSample) * centre);
        left[position] = fb * wetLeft + dryLeft;
        outLeft[i] = dryLeft + wetLeft * mixSample;

        const float dryRight = inRight[i];
        const float wetRight =
            readLine(right, lineLength, position, fastExp2(d * cosineSample) * centre);
        right[position] = fb * wetRight + dryRight;
        outRight[i] = dryRight + wetRight * mixSample;

        position = position + 1 == lineLength ? 0 : position + 1;
    };

    // In pieces of kChunk samples: first the three recursions (mix glide, sine and cosine) one
    // sample after the other, then the lines four samples to a vector. Four reads may go before
    // the four writes when every read lies at least 5 samples back (the newest sample a read
    // touches is then older than the group): otherwise that group goes sample by sample. Each
    // lane takes the scalar operations in the same order, so the samples are the same bit for
    // bit.
    constexpr int kChunk = 64;
    float mixes[kChunk];
    float sines[kChunk];
    float cosines[kChunk];
    for (int start = 0; start < count; start += kChunk)
    {
        const int n = count - start < kChunk ? count - start : kChunk;
        for (int j = 0; j < n; ++j)
        {
            mixNow = mixNow + (targetNow - mixNow) * coefficient + kAntiDenormal;
            // Coupled sine/cosine: two multiplies per sample, amplitude stays at 1.
            s = s + w * c;
            c = c - w * s;
            mixes[j] = mixNow;
            sines[j] = s;
            cosines[j] = c;
        }
        int j = 0;
        for (; j + 4 <= n; j += 4)
        {
            const int i = start + j;
            const __m128 centre = _mm_loadu_ps(delaySamples + i);
            const __m128 d = _mm_loadu_ps(depthOctaves + i);
            const __m128 delayLeft =
                _mm_mul_ps(fastExp2Lanes(_mm_mul_ps(d, _mm_loadu_ps(sines + j))), centre);
            const __m128 delayRight =
                _mm_mul_ps(fastExp2Lanes(_mm_mul_ps(d, _mm_loadu_ps(cosines + j))), centre);
            const LineTaps tapsLeft = tapLineLanes(position, delayLeft, lineLength);
            const LineTaps tapsRight = tapLineLanes(position, delayRight, lineLength);
            if (!tapsLeft.farEnough || !tapsRight.farEnough)
            {
                for (int k = 0; k < 4; ++k)
                {
                    sample(i + k, mixes[j + k], sines[j + k], cosines[j + k]);
                }
                continue;
            }
            const __m128 wetLeft = readLineLanes(left, tapsLeft);
            const __m128 wetRight = readLineLanes(right, tapsRight);
            const __m128 mixLanes = _mm_loadu_ps(mixes + j);
            const __m128 feedbackLanes = _mm_set1_ps(fb);
            const __m128 dryLeft = _mm_loadu_ps(inLeft + i);
            const __m128 dryRight = _mm_loadu_ps(inRight + i);
            alignas(16) float intoLeft[4];
            alignas(16) float intoRight[4];
            _mm_store_ps(intoLeft, _mm_add_ps(_mm_mul_ps(feedbackLanes, wetLeft), dryLeft));
            _mm_store_ps(intoRight, _mm_add_ps(_mm_mul_ps(feedbackLanes, wetRight), dryRight));
            _mm_storeu_ps(outLeft + i, _mm_add_ps(dryLeft, _mm_mul_ps(wetLeft, mixLanes)));
            _mm_storeu_ps(outRight + i, _mm_add_ps(dryRight, _mm_mul_ps(wetRight, mixLanes)));
            for (int k = 0; k < 4; ++k)
            {
                left[position] = intoLeft[k];
                right[position] = intoRight[k];
                position = position + 1 == lineLength ? 0 : position + 1;
            }
        }
        for (; j < n; ++j)
        {
            sample(start + j, mixes[j], sines[j], cosines[j]);
        }
    }

    tail.noteWrites(left, right, writePosition, count, lineLength);
    mix = mixNow;
    writePosition = position;
    sine = s;
    cosine = c;
}
