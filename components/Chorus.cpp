// The stereo chorus.
#include "components/Chorus.h"

#include "base/SampleRate.h"
#include "components/DelayLine.h"
#include "components/FastMath.h"
#include "components/Lanes.h"
#include "components/OnePole.h"

#include <cstdint>
#include <numbers>

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

// One channel's interpolated read at a tap. The delay is at least 1 sample: the sample at the
// write position has not been written yet this step, so a shorter delay would reach back a whole
// line instead of to the newest sample.
template <class T>
inline T readLine(const float* line, const LineTapOf<T>& tap)
{
    const T a = gather(line, tap.index);
    const T b = gather(line, tap.next);
    return a + (b - a) * tap.fraction + T(kAntiDenormal);
}

template <class T>
inline LineTapOf<T> tapChorusLine(IntFor<T> writePosition, T delaySamples, int lineLength)
{
    return tapLine<T>(writePosition, delaySamples, 1.0f, lineLength);
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
            readLine(left, tapChorusLine(position, fastExp2(d * sineSample) * centre, lineLength));
        left[position] = fb * wetLeft + dryLeft;
        outLeft[i] = dryLeft + wetLeft * mixSample;

        const float dryRight = inRight[i];
        const float wetRight = readLine(
            right, tapChorusLine(position, fastExp2(d * cosineSample) * centre, lineLength));
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
            const FloatLanes centre = FloatLanes::load(delaySamples + i);
            const FloatLanes d = FloatLanes::load(depthOctaves + i);
            const FloatLanes delayLeft = fastExp2(d * FloatLanes::load(sines + j)) * centre;
            const FloatLanes delayRight = fastExp2(d * FloatLanes::load(cosines + j)) * centre;
            // Every delay held at 5 samples or more (the line is far longer than 5 samples, so
            // this is the same as asking it of the delays before they are held in the line).
            const FloatLanes farEnough(5.0f);
            if (!allLanes(delayLeft >= farEnough) || !allLanes(delayRight >= farEnough))
            {
                for (int k = 0; k < 4; ++k)
                {
                    sample(i + k, mixes[j + k], sines[j + k], cosines[j + k]);
                }
                continue;
            }
            // The four write positions from position on, with their wrap.
            const IntLanes length(lineLength);
            IntLanes positions = IntLanes(position) + IntLanes::make(0, 1, 2, 3);
            positions = positions - select(positions < length, IntLanes(0), length);
            const FloatLanes wetLeft =
                readLine(left, tapChorusLine(positions, delayLeft, lineLength));
            const FloatLanes wetRight =
                readLine(right, tapChorusLine(positions, delayRight, lineLength));
            const FloatLanes mixLanes = FloatLanes::load(mixes + j);
            const FloatLanes feedbackLanes(fb);
            const FloatLanes dryLeft = FloatLanes::load(inLeft + i);
            const FloatLanes dryRight = FloatLanes::load(inRight + i);
            float intoLeft[4];
            float intoRight[4];
            (feedbackLanes * wetLeft + dryLeft).store(intoLeft);
            (feedbackLanes * wetRight + dryRight).store(intoRight);
            (dryLeft + wetLeft * mixLanes).store(outLeft + i);
            (dryRight + wetRight * mixLanes).store(outRight + i);
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
