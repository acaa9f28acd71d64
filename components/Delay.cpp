// The stereo echo.
#include "components/Delay.h"

#include "base/SampleRate.h"
#include "base/TextField.h"
#include "components/DelayLine.h"
#include "components/FastMath.h"
#include "components/OnePole.h"
#include "parameters/ParameterFormat.h"

#include <cmath>
#include <numbers>

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

struct SincTable;
const SincTable& sincTable();
} // namespace

Delay::Delay()
    : leftDelay(false, Smoother::kDisplayMilliseconds, "D LDly", "ms", 0.25f, 44100.0f),
      rightDelay(false, Smoother::kDisplayMilliseconds, "D RDly", "ms", 0.5f, 44100.0f),
      wet(0.0f, kOvershoot), wetCoefficient(glideCoefficient(44100.0f, kGlideSeconds)),
      enabled("D", "On"), feedback("D", "FB", "Level", 0.0f, 0.0f, 1.0f, false),
      leftTime("D", "LDly", "ms", 0.25f, 0.0f, 1.0f, false), pingPong("D", "PanD"),
      rightTime("D", "RDly", "ms", 0.5f, 0.0f, 1.0f, false), mixLevel("D", "Mix", 0.0f),
      sync("D", "Sync"), leftSync("D", "LSync", "Res", 0.25f, kLastNoteValue, kNoteValues),
      rightSync("D", "RSync", "Res", 0.25f, kLastNoteValue, kNoteValues), clearRequested(false),
      tempoJumpPending(true)
{
    sincTable(); // built here, never first on the audio thread
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
    tail.clear();
    tempoJumpPending = true;
}

void Delay::settle()
{
    leftDelay.settle();
    rightDelay.settle();
    if (!wet.isSettled())
    {
        wet.land();
    }
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
        else
        {
            tempoJumpPending = true;
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
    if (tempoJumpPending)
    {
        tempoJumpPending = false;
        leftDelay.reset();
        rightDelay.reset();
    }
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
    if (index == kLeftTime || index == kRightTime)
    {
        if (sync.getBool())
        {
            (index == kLeftTime ? leftSync : rightSync).getDisplay(text);
            return;
        }
        // The setting is a fraction of the line; shown in the milliseconds its label names.
        const double lineMilliseconds =
            1000.0 * static_cast<double>(len) / static_cast<double>(sampleRate);
        const float setting = (index == kLeftTime ? leftTime : rightTime).getValue();
        formatShortText(text, "%.1f", static_cast<double>(setting) * lineMilliseconds);
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
        const int firstWrite = writePosition;
        renderEchoes(inputs, outputs, count, wetNow);
        tail.noteWrites(left, right, firstWrite, count, len);
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

namespace
{

// Where the echo delaySamples behind the write position falls (held inside 0 .. lineLength - 1,
// NaN reading at 0). The fraction is taken from the delay's own fractional part, which is exact,
// rather than from the write position minus the delay, whose float keeps only about 1/256 of a
// sample near the end of a one-second line: the phase of a gliding echo would carry that error.
// A whole number of samples gives the same sample as the chorus's tapLine.
inline LineTap tapEcho(int writePosition, float delaySamples, int lineLength)
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
    const int whole = static_cast<int>(delaySamples); // not negative: truncation is the floor
    const float part = delaySamples - static_cast<float>(whole);
    int index = writePosition - whole - (part > 0.0f ? 1 : 0);
    index = index < 0 ? index + lineLength : index;
    return {index, index + 1 == lineLength ? 0 : index + 1, part > 0.0f ? 1.0f - part : 0.0f};
}

// The echo tap.fraction of the way from line[tap.index] to the newer sample after it, for delays
// too short or too near the line's end for readEcho's sixteen points. A whole number of samples
// reads that sample alone. Between samples the six around the position (two older, the pair, two
// newer) are joined by the fifth-degree polynomial through them (Lagrange): a sine is read back
// within -90 dB up to a fifteenth of the rate (3 kHz at 44100 Hz) and -58 dB at a seventh. The
// newest of the six must already be written and the oldest must not wrap onto it: delays from 1
// to 3 samples, and within 4 of the line's end, take the straight line between the pair instead;
// below 1 sample the read is rounded up to the newest written sample.
inline float readNearEcho(const float* line, const LineTap& tap, float delaySamples, int lineLength)
{
    const float t = tap.fraction;
    const float here = line[tap.index];
    if (t == 0.0f || delaySamples < 1.0f)
    {
        return here;
    }
    const float newer = line[tap.next];
    if (!(delaySamples > 3.0f && delaySamples < static_cast<float>(lineLength - 4)))
    {
        return here + t * (newer - here);
    }
    auto at = [&](int offset)
    {
        int index = tap.index + offset;
        index = index < 0 ? index + lineLength : (index >= lineLength ? index - lineLength : index);
        return line[index];
    };
    // The factors (t - m) for the points m = -2 .. 3, and the products of all but one of them.
    const float a = t + 2.0f;
    const float b = t + 1.0f;
    const float d = t - 1.0f;
    const float e = t - 2.0f;
    const float f = t - 3.0f;
    const float ab = a * b;
    const float de = d * e;
    const float ef = e * f;
    const float abt = ab * t;
    const float def = de * f;
    return at(-2) * (b * t * def * (-1.0f / 120.0f)) + at(-1) * (a * t * def * (1.0f / 24.0f)) +
           here * (ab * def * (-1.0f / 12.0f)) + newer * (abt * ef * (1.0f / 12.0f)) +
           at(2) * (abt * d * f * (-1.0f / 24.0f)) + at(3) * (abt * de * (1.0f / 120.0f));
}

// Sixteen points around a read position, from 7 older than line[tap.index] to 8 newer.
constexpr int kSincPoints = 16;
constexpr int kSincOldest = -7;
// Kernels for fractions 0, 1/512 .. 1 of a sample; a fraction between two is read on the straight
// line between their kernels (within -100 dB of the exact kernel).
constexpr int kSincPhases = 512;

// The windowed sinc kernels: sin(pi x) / (pi x) at each point's distance x from the position,
// under a Kaiser window (beta 9) eight samples wide either side, scaled to sum to 1 so that a
// constant reads back exactly. A sine is read back within -85 dB up to 10 kHz at 44100 Hz (0.227
// of the rate).
struct SincTable
{
    float kernel[kSincPhases + 1][kSincPoints];

    SincTable()
    {
        constexpr double kBeta = 9.0;
        constexpr double kHalfWidth = kSincPoints / 2;
        auto besselI0 = [](double x)
        {
            double sum = 1.0;
            double term = 1.0;
            for (int k = 1; k < 40; ++k)
            {
                const double half = x / (2.0 * k);
                term *= half * half;
                sum += term;
            }
            return sum;
        };
        for (int phase = 0; phase <= kSincPhases; ++phase)
        {
            const double t = static_cast<double>(phase) / kSincPhases;
            double taps[kSincPoints];
            double sum = 0.0;
            for (int point = 0; point < kSincPoints; ++point)
            {
                const double x = static_cast<double>(point + kSincOldest) - t;
                const double inside = 1.0 - (x / kHalfWidth) * (x / kHalfWidth);
                const double window =
                    besselI0(kBeta * std::sqrt(inside > 0.0 ? inside : 0.0)) / besselI0(kBeta);
                const double sinc =
                    x == 0.0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
                taps[point] = sinc * window;
                sum += taps[point];
            }
            for (int point = 0; point < kSincPoints; ++point)
            {
                kernel[phase][point] = static_cast<float>(taps[point] / sum);
            }
        }
    }
};

const SincTable& sincTable()
{
    static const SincTable table;
    return table;
}

// The echo tap.fraction of the way from line[tap.index] to the newer sample after it. A whole
// number of samples reads that sample alone; between samples the sixteen around the position are
// weighed by the windowed sinc, so that a gliding delay time bends the pitch without the buzz of
// stepping from sample to sample. The newest of the sixteen must already be written and the
// oldest must not wrap onto it: shorter delays, and those within 9 of the line's end, are read by
// readNearEcho.
inline float readEcho(const float* line, const LineTap& tap, float delaySamples, int lineLength)
{
    const float t = tap.fraction;
    if (t == 0.0f || !(delaySamples > 8.0f && delaySamples < static_cast<float>(lineLength - 9)))
    {
        return readNearEcho(line, tap, delaySamples, lineLength);
    }
    const float scaled = t * static_cast<float>(kSincPhases);
    int phase = static_cast<int>(scaled);
    phase = phase < kSincPhases ? phase : kSincPhases - 1;
    const float between = scaled - static_cast<float>(phase);
    const float* before = sincTable().kernel[phase];
    const float* after = sincTable().kernel[phase + 1];
    int index = tap.index + kSincOldest;
    index = index < 0 ? index + lineLength : index;
    float sum = 0.0f;
    if (index + kSincPoints <= lineLength)
    {
        const float* points = line + index;
        for (int point = 0; point < kSincPoints; ++point)
        {
            sum += points[point] * (before[point] + between * (after[point] - before[point]));
        }
        return sum;
    }
    for (int point = 0; point < kSincPoints; ++point)
    {
        const float weight = before[point] + between * (after[point] - before[point]);
        sum += line[index] * weight;
        index = index + 1 == lineLength ? 0 : index + 1;
    }
    return sum;
}

} // namespace

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

        // The echoes are read before this sample's writes; a fractional delay only reaches
        // samples written before.
        const LineTap leftTap = tapEcho(position, leftDelaySamples[i], lineLength);
        const float leftEcho = readEcho(left, leftTap, leftDelaySamples[i], lineLength);
        leftDestination[position] = fb * leftEcho + dryLeft + kAntiDenormal;
        const LineTap rightTap = tapEcho(position, rightDelaySamples[i], lineLength);
        const float rightEcho = readEcho(right, rightTap, rightDelaySamples[i], lineLength);
        rightDestination[position] = fb * rightEcho + dryRight + kAntiDenormal;

        // A whole-sample read is taken after this sample's writes: a delay of 0 hears the
        // sample just written.
        outLeft[i] =
            (leftTap.fraction != 0.0f ? leftEcho : left[leftTap.index]) * wetNow.value + dryLeft;
        outRight[i] =
            (rightTap.fraction != 0.0f ? rightEcho : right[rightTap.index]) * wetNow.value +
            dryRight;

        position = position + 1 == lineLength ? 0 : position + 1;
    }
    writePosition = position;
}
