// The stereo chorus.
#include "components/Chorus.h"

#include "base/SampleRate.h"
#include "components/DelayLine.h"
#include "components/FastMath.h"
#include "components/OnePole.h"

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
} // namespace

Chorus::Chorus()
    : centreDelay(false, Smoother::kDisplayPerSampleRate, "Ch Dly", "ms", 1.0f, 1024.0f),
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

    for (int i = 0; i < count; ++i)
    {
        mixNow = mixNow + (targetNow - mixNow) * coefficient + kAntiDenormal;

        // Coupled sine/cosine: two multiplies per sample, amplitude stays at 1.
        s = s + w * c;
        c = c - w * s;

        const float centre = delaySamples[i];
        const float d = depthOctaves[i];

        const float dryLeft = inLeft[i];
        const float wetLeft = readLine(left, lineLength, position, fastExp2(d * s) * centre);
        left[position] = fb * wetLeft + dryLeft;
        outLeft[i] = dryLeft + wetLeft * mixNow;

        const float dryRight = inRight[i];
        const float wetRight = readLine(right, lineLength, position, fastExp2(d * c) * centre);
        right[position] = fb * wetRight + dryRight;
        outRight[i] = dryRight + wetRight * mixNow;

        position = position + 1 == lineLength ? 0 : position + 1;
    }

    mix = mixNow;
    writePosition = position;
    sine = s;
    cosine = c;
}
