// The stereo echo.
#include "components/Delay.h"

#include "base/TextField.h"
#include "components/FastMath.h"

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

float glideCoefficient(float rateHz, float seconds)
{
    return static_cast<float>(
        1.0 - std::exp(-1.0 / (static_cast<double>(rateHz) * static_cast<double>(seconds) + 1.0)));
}

// The read index delaySamples behind writePos, the delay rounded up to whole samples. The delay
// is held inside 0 .. lineLength - 1 samples: the line holds no older sample, and a whole line
// back would wrap onto the sample just written (a full-scale setting would sound like 0).
inline int readIndex(int writePos, float delaySamples, int lineLength)
{
    const float longest = static_cast<float>(lineLength - 1);
    if (!(delaySamples >= 0.0f))
    {
        delaySamples = 0.0f;
    }
    else if (delaySamples > longest)
    {
        delaySamples = longest;
    }
    const float position = static_cast<float>(writePos) - delaySamples;
    int index = static_cast<int>(position);
    if (static_cast<float>(index) > position)
    {
        --index; // floor, also below zero, so the rounding is the same on both sides of the wrap
    }
    if (index < 0)
    {
        index += lineLength;
    }
    return index < 0 ? 0 : index;
}
} // namespace

Delay::Delay()
    : leftDelay(false, Smoother::kDisplayPerSampleRate, "D LDly", "ms", 0.25f, 44100.0f),
      rightDelay(false, Smoother::kDisplayPerSampleRate, "D RDly", "ms", 0.5f, 44100.0f),
      wetTarget(0.0f), wetCoefficient(glideCoefficient(44100.0f, kGlideSeconds)), wetVersion(0u),
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
    for (int i = 0; i < len; ++i)
    {
        left[i] = 0.0f;
        right[i] = 0.0f;
    }
    leftDelay.reset();
    rightDelay.reset();
    seenWetVersion = wetVersion;
    wet = wetTarget;
    wetFinished = true;
}

void Delay::setSampleRate(float rateHz)
{
    sampleRate = rateHz;
    // Rates outside any host's range only keep the arithmetic defined.
    float usableRate = rateHz;
    if (!(usableRate >= 1.0f))
    {
        usableRate = 1.0f;
    }
    else if (usableRate > 1.0e7f)
    {
        usableRate = 1.0e7f;
    }
    len = usableRate < static_cast<float>(kMaxLineLength) ? static_cast<int>(usableRate)
                                                          : kMaxLineLength;

    leftDelay.setSampleRate(rateHz);
    leftDelay.setScale(static_cast<float>(len));
    rightDelay.setSampleRate(rateHz);
    rightDelay.setScale(static_cast<float>(len));

    wetSampleRate = usableRate;
    wetCoefficient = glideCoefficient(wetSampleRate, kGlideSeconds);
    // A shorter line must not leave the write position past its end, where nothing is cleared.
    if (writePosition >= len)
    {
        writePosition = 0;
    }
    reset();
}

void Delay::setWetTarget(float level)
{
    wetTarget = level;
    wetVersion = wetVersion + 1u;
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
        setWetTarget(mixLevel.getReal());
        break;
    case kSync:
        if (!sync.getBool())
        {
            setDelaySetting(leftDelay, leftTime.getValue());
            setDelaySetting(rightDelay, rightTime.getValue());
        }
        clearRequested = true;
        setWetTarget(mixLevel.getReal());
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
    const double lineSeconds = static_cast<double>(len) / static_cast<double>(wetSampleRate);
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

    const std::uint32_t version = wetVersion;
    if (version != seenWetVersion)
    {
        seenWetVersion = version;
        const float goal = wetTarget;
        wetFalling = goal < wet;
        wetOvershoot = wetFalling ? goal - kOvershoot : goal + kOvershoot;
        wetFinished = false;
    }

    // The wet glide lands on its target when it passes it, or when a step no longer moves the
    // value (near 1.0 at high rates the step drops below the float resolution).
    const float goal = wetTarget;
    const float aim = wetOvershoot;
    const bool falling = wetFalling;
    const float coefficient = wetCoefficient;
    bool finished = wetFinished;
    float wetNow = wet;
    auto glideStep = [&]()
    {
        const float next = wetNow + (aim - wetNow) * coefficient;
        if (next == wetNow || (falling ? next <= goal : next >= goal))
        {
            wetNow = goal;
            finished = true;
        }
        else
        {
            wetNow = next;
        }
    };

    const float* inLeft = inputs[0];
    const float* inRight = inputs[1];
    float* outLeft = outputs[0];
    float* outRight = outputs[1];

    if (!enabled.getBool())
    {
        for (int i = 0; i < count && !finished; ++i)
        {
            glideStep();
        }
        wet = wetNow;
        wetFinished = finished;
        for (int i = 0; i < count && inLeft != outLeft; ++i)
        {
            outLeft[i] = inLeft[i];
        }
        for (int i = 0; i < count && inRight != outRight; ++i)
        {
            outRight[i] = inRight[i];
        }
        return;
    }

    const float fb = feedback.getReal();
    const bool crossed = pingPong.getBool();
    const float* leftDelaySamples = leftDelay.getOutput();
    const float* rightDelaySamples = rightDelay.getOutput();
    const int lineLength = len;
    int position = writePosition;
    // Ping-pong: the left input and the left line's feedback go into the right line, and the
    // other way round.
    float* leftDestination = crossed ? right : left;
    float* rightDestination = crossed ? left : right;

    for (int i = 0; i < count; ++i)
    {
        if (!finished)
        {
            glideStep();
        }
        const float dryLeft = inLeft[i];
        const float dryRight = inRight[i];

        const int leftRead = readIndex(position, leftDelaySamples[i], lineLength);
        leftDestination[position] = fb * left[leftRead] + dryLeft + kAntiDenormal;
        const int rightRead = readIndex(position, rightDelaySamples[i], lineLength);
        rightDestination[position] = fb * right[rightRead] + dryRight + kAntiDenormal;

        // Read after this sample's writes: a delay of 0 hears the sample just written.
        outLeft[i] = left[leftRead] * wetNow + dryLeft;
        outRight[i] = right[rightRead] * wetNow + dryRight;

        position = position + 1 == lineLength ? 0 : position + 1;
    }

    wet = wetNow;
    wetFinished = finished;
    writePosition = position;
}
