// The stereo echo.
#include "components/Delay.h"

#include "base/SampleRate.h"
#include "base/TextField.h"
#include "components/DelayLine.h"
#include "components/FastMath.h"
#include "components/OnePole.h"

#include <cmath>

namespace
{
enum Index
{
    kEnabled = 0,
    kFeedback = 1,
    kLeftTime = 2,
    kPingPong = 3,
    kRightTime = 4,
    kMix = 5,
    kSync = 6,
};

// Note values of a beat (a quarter note), item 0 "1/8" to item 7 "1/1"; the divisor is 8 - item.
const char* const kNoteValues[] = {"1/8", "1/7", "1/6", "1/5", "1/4", "1/3", "1/2", "1/1"};
constexpr int kLastNoteValue = 7;
} // namespace

Delay::Delay()
    : leftDelay(false, Smoother::kDisplayPerSampleRate, "D LDly", "ms", 0.25f, 44100.0f),
      rightDelay(false, Smoother::kDisplayPerSampleRate, "D RDly", "ms", 0.5f, 44100.0f),
      wet(0.0f, kOvershoot), wetCoefficient(glideCoefficient(44100.0f, kGlideSeconds)),
      enabled("D", "On"), feedback("D", "FB", "Level", 0.0f, 0.0f, 1.0f, false),
      leftTime("D", "LDly", "ms", 0.25f, 0.0f, 1.0f, false), pingPong("D", "PanD"),
      rightTime("D", "RDly", "ms", 0.5f, 0.0f, 1.0f, false), mixLevel("D", "Mix", 0.0f),
      sync("D", "Sync"), leftSync("D", "LSync", "Res", 0.25f, kLastNoteValue, kNoteValues),
      rightSync("D", "RSync", "Res", 0.25f, kLastNoteValue, kNoteValues), clearRequested(false)
{
    addParameter(enabled);
    addParameter(feedback);
    addParameter(leftTime);
    addParameter(pingPong);
    addParameter(rightTime);
    addParameter(mixLevel);
    addParameter(sync);
}

void Delay::reset()
{
    clearRequested = false;
    linesCleared = false;
    leftDelay.reset();
    rightDelay.reset();
    wet.land();
}

void Delay::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    sampleRate = rateHz;
    len = rateHz < static_cast<float>(kMaxLineLength) ? static_cast<int>(rateHz) : kMaxLineLength;

    leftDelay.setSampleRate(rateHz);
    leftDelay.setScale(static_cast<float>(len));
    rightDelay.setSampleRate(rateHz);
    rightDelay.setScale(static_cast<float>(len));

    wetCoefficient = glideCoefficient(rateHz, kGlideSeconds);
    // A shorter line must not leave the write position past its end, where nothing is cleared.
    if (writePosition >= len)
    {
        writePosition = 0;
    }
    reset();
}

void Delay::setDelaySetting(Smoother& smoother, float setting)
{
    if (smoother.getValue(0) != setting)
    {
        smoother.setValue(0, setting);
    }
}

void Delay::parameterChanged(int index)
{
    switch (index)
    {
    case kEnabled:
        clearRequested = true;
        break;
    case kLeftTime:
        // The same control selects the note value; while synced the tempo sets the time.
        leftSync.setValue(leftTime.getValue());
        if (!sync.getBool())
        {
            setDelaySetting(leftDelay, leftTime.getValue());
        }
        break;
    case kRightTime:
        rightSync.setValue(rightTime.getValue());
        if (!sync.getBool())
        {
            setDelaySetting(rightDelay, rightTime.getValue());
        }
        break;
    case kMix:
        wet.setTarget(mixLevel.getReal());
        break;
    case kSync:
        if (!sync.getBool())
        {
            setDelaySetting(leftDelay, leftTime.getValue());
            setDelaySetting(rightDelay, rightTime.getValue());
        }
        clearRequested = true;
        wet.setTarget(mixLevel.getReal());
        break;
    default:
        break;
    }
}

void Delay::setTempo(double bpm)
{
    if (!sync.getBool() || !(bpm > 0.0) || !std::isfinite(bpm))
    {
        return;
    }
    const double beatSeconds = 60.0 / bpm;
    // Settings are fractions of the line, which is one second up to 192000 Hz and shorter in
    // seconds above; converting through samples keeps the note values exact at any rate.
    const double lineSeconds = static_cast<double>(len) / static_cast<double>(sampleRate);
    auto settingFor = [&](const EnumParameter& noteValue)
    {
        const double divisor = static_cast<double>(kLastNoteValue + 1 - noteValue.getInt());
        const double setting = beatSeconds / divisor / lineSeconds;
        return static_cast<float>(setting < 1.0 ? setting : 1.0);
    };
    setDelaySetting(leftDelay, settingFor(leftSync));
    setDelaySetting(rightDelay, settingFor(rightSync));
}

void Delay::getLabel(int index, char* text) const
{
    if (sync.getBool() && (index == kLeftTime || index == kRightTime))
    {
        (index == kLeftTime ? leftSync : rightSync).getLabel(text);
        return;
    }
    ParameterList::getLabel(index, text);
}

void Delay::getDisplay(int index, char* text) const
{
    if (sync.getBool() && (index == kLeftTime || index == kRightTime))
    {
        (index == kLeftTime ? leftSync : rightSync).getDisplay(text);
        return;
    }
    ParameterList::getDisplay(index, text);
}

void Delay::process(float** inputs, float** outputs, int count)
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
    leftDelay.process(count);
    rightDelay.process(count);

    GlideStep wetNow = wet.begin();
    if (enabled.getBool())
    {
        if (!linesCleared)
        {
            clearLines(left, right, len);
            linesCleared = true;
        }
        renderEchoes(inputs, outputs, count, wetNow);
    }
    else
    {
        // Off: only the wet level moves on.
        for (int i = 0; i < count && !wetNow.finished; ++i)
        {
            wetNow.step(wetCoefficient);
        }
        passThrough(inputs[0], outputs[0], count);
        passThrough(inputs[1], outputs[1], count);
    }
    wet.end(wetNow);
}

void Delay::renderEchoes(float** inputs, float** outputs, int count, GlideStep& wetNow)
{
    const float coefficient = wetCoefficient;
    const float fb = feedback.getReal();
    const bool crossed = pingPong.getBool();
    const float* leftDelaySamples = leftDelay.getOutput();
    const float* rightDelaySamples = rightDelay.getOutput();
    const float* inLeft = inputs[0];
    const float* inRight = inputs[1];
    float* outLeft = outputs[0];
    float* outRight = outputs[1];
    const int lineLength = len;
    int position = writePosition;
    // Ping-pong: the left input and the left line's feedback go into the right line, and the
    // other way round.
    float* leftDestination = crossed ? right : left;
    float* rightDestination = crossed ? left : right;

    for (int i = 0; i < count; ++i)
    {
        wetNow.step(coefficient);
        const float dryLeft = inLeft[i];
        const float dryRight = inRight[i];

        // Whole samples: each delay is rounded up.
        const int leftRead = tapLine(position, leftDelaySamples[i], 0.0f, lineLength).index;
        leftDestination[position] = fb * left[leftRead] + dryLeft + kAntiDenormal;
        const int rightRead = tapLine(position, rightDelaySamples[i], 0.0f, lineLength).index;
        rightDestination[position] = fb * right[rightRead] + dryRight + kAntiDenormal;

        // Read after this sample's writes: a delay of 0 hears the sample just written.
        outLeft[i] = left[leftRead] * wetNow.value + dryLeft;
        outRight[i] = right[rightRead] * wetNow.value + dryRight;

        position = position + 1 == lineLength ? 0 : position + 1;
    }
    writePosition = position;
}
