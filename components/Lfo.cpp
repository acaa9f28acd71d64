// The global low-frequency oscillator.
#include "components/Lfo.h"

#include "base/SampleRate.h"
#include "base/TextField.h"
#include "components/ExactRun.h"
#include "parameters/Parameter.h"

#include <cmath>

namespace
{

const char* const kShapeNames[Lfo::kShapeCount] = {"Sine",  "Tri",    "DRamp",
                                                   "URamp", "Square", "SAndH"};
const char* const kNoteValueNames[Lfo::kNoteValueCount] = {"16/1", "8/1", "4/1", "3/1",
                                                           "2/1",  "1/1", "1/2", "1/4"};
// LFO cycles per quarter note for each note value: "16/1" is one cycle over 16 bars of 4/4.
const double kCyclesPerQuarter[Lfo::kNoteValueCount] = {0.0625, 0.125, 0.25, 1.0 / 3.0,
                                                        0.5,    1.0,   2.0,  4.0};

constexpr float kTwoPi = 6.28318531f;
// Beyond 2^52 cycles a double has no fraction left, so there is no phase to lock to.
constexpr double kMaxLockCycles = 4503599627370496.0;
// At most half a cycle per sample: the phase then wraps at most once per sample and cannot run
// away, whatever rate a host reports. Real settings stay far below (20 Hz at 8000 Hz is 0.0025).
constexpr float kMaxIncrement = 0.5f;

float limitIncrement(float cyclesPerSample)
{
    return cyclesPerSample < kMaxIncrement ? cyclesPerSample : kMaxIncrement;
}

struct Running
{
    float phase;
    float previousPhase;
    float held;
};

// One block of one shape on local copies of the state.
template <int shape>
void render(float* out, int count, float increment, float depth, Running& state,
            RandomGenerator& random)
{
    float p = state.phase;
    float previous = state.previousPhase;
    float value = state.held;
    for (int i = 0; i < count; ++i)
    {
        if constexpr (shape == Lfo::kSine)
        {
            out[i] = std::sin(kTwoPi * p) * depth;
        }
        else if constexpr (shape == Lfo::kTriangle)
        {
            // +1 at phase 0, -1 at phase 0.5.
            const float b = p < 0.5f ? p : 1.0f - p;
            out[i] = (1.0f - 4.0f * b) * depth;
        }
        else if constexpr (shape == Lfo::kDownRamp)
        {
            out[i] = (1.0f - 2.0f * p) * depth;
        }
        else if constexpr (shape == Lfo::kUpRamp)
        {
            out[i] = -(1.0f - 2.0f * p) * depth;
        }
        else if constexpr (shape == Lfo::kSquare)
        {
            out[i] = p < 0.5f ? depth : -depth;
        }
        else
        {
            out[i] = value * depth;
        }

        if (p >= 1.0f)
        {
            p -= 1.0f;
        }
        // The phase only falls from one sample to the next when it has wrapped.
        const bool wrapped = previous > p;
        previous = p;
        p += increment;
        if constexpr (shape == Lfo::kSampleHold)
        {
            if (wrapped)
            {
                value = random.nextBipolar();
            }
        }
    }
    state.phase = p;
    state.previousPhase = previous;
    state.held = value;
}

// The state render leaves after count samples, without the output: the same phase, previous
// phase, held value and draws. While the phase stays below 1 (no wrap) and in one binade, and
// has not been set back below the previous one (no draw), samples are taken in runs at once.
void advance(Running& state, int count, float increment, bool sampleHold, RandomGenerator& random)
{
    float p = state.phase;
    float previous = state.previousPhase;
    float value = state.held;
    int i = 0;
    while (i < count)
    {
        float delta = 0.0f;
        const int run =
            p < 1.0f && !(previous > p) ? exactSumRun(p, increment, count - i, delta) : 0;
        if (run > 0)
        {
            previous = p + static_cast<float>(run - 1) * delta;
            p = p + static_cast<float>(run) * delta;
            i += run;
            continue;
        }
        if (p >= 1.0f)
        {
            p -= 1.0f;
        }
        const bool wrapped = previous > p;
        previous = p;
        p += increment;
        if (sampleHold && wrapped)
        {
            value = random.nextBipolar();
        }
        ++i;
    }
    state = {p, previous, value};
}

} // namespace

Lfo::Lfo(const char* prefixText, RandomGenerator& randomSource)
    : speed(prefixText, "Spd", "Hz", 0.2f, 0.0f, 20.0f, true),
      shape(prefixText, "Shpe", "Shape", 0.2f, kShapeCount - 1, kShapeNames, kShapeLongNames),
      modWheel(prefixText, "MW"), sync(prefixText, "Sync"),
      syncResolution(prefixText, "SyRe", "Res", 0.2f, kNoteValueCount - 1, kNoteValueNames),
      sampleRate(44100.0f), increment(0.0f), depth(1.0f), random(randomSource)
{
    addParameter(speed);
    addParameter(shape);
    addParameter(modWheel);
    addParameter(sync);
    increment = freeIncrement();
}

const char* const Lfo::kShapeLongNames[kShapeCount] = {"Sine",    "Triangle", "Down Ramp",
                                                       "Up Ramp", "Square",   "Sample/Hold"};

const char* Lfo::getShapeLongName(int shapeIndex)
{
    return shapeIndex >= 0 && shapeIndex < kShapeCount ? kShapeLongNames[shapeIndex] : "";
}

float Lfo::freeIncrement() const
{
    return limitIncrement(speed.getReal() / sampleRate);
}

void Lfo::reset()
{
    phase = 0.0f;
    previousPhase = 0.0f;
}

void Lfo::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    sampleRate = rateHz;
    increment = freeIncrement();
}

void Lfo::process(int count)
{
    count = limitBlockFrames(count);
    if (count == 0)
    {
        return;
    }
    block = {phase,     previousPhase, held,           random.getState(),
             increment, depth,         shape.getInt(), count};
    outputCurrent = false;
    Running state{phase, previousPhase, held};
    advance(state, count, block.increment, block.shape == kSampleHold, random);
    phase = state.phase;
    previousPhase = state.previousPhase;
    held = state.held;
}

const float* Lfo::getOutput() const
{
    if (outputCurrent)
    {
        return output;
    }
    // The block again from its start, with a generator that draws what the block drew.
    RandomGenerator replay(block.randomState);
    Running state{block.phase, block.previousPhase, block.held};
    const int count = block.count;
    switch (block.shape)
    {
    case kSine:
        render<kSine>(output, count, block.increment, block.depth, state, replay);
        break;
    case kTriangle:
        render<kTriangle>(output, count, block.increment, block.depth, state, replay);
        break;
    case kDownRamp:
        render<kDownRamp>(output, count, block.increment, block.depth, state, replay);
        break;
    case kUpRamp:
        render<kUpRamp>(output, count, block.increment, block.depth, state, replay);
        break;
    case kSquare:
        render<kSquare>(output, count, block.increment, block.depth, state, replay);
        break;
    default:
        render<kSampleHold>(output, count, block.increment, block.depth, state, replay);
        break;
    }
    outputCurrent = true;
    return output;
}

void Lfo::controlChange(int controller, float value)
{
    if (controller != 1 || !modWheel.getBool())
    {
        return;
    }
    const float wheel = sanitizeNormalised(value, 0.0f);
    depth = wheel * wheel;
}

void Lfo::updateTimeInfo(bool playing, double tempo, double ppqPosition)
{
    const bool positionValid = std::isfinite(ppqPosition);
    if (positionValid)
    {
        songPosition = ppqPosition;
    }
    if (!sync.getBool())
    {
        return;
    }
    const double cyclesPerQuarter = kCyclesPerQuarter[syncResolution.getInt()];
    if (tempo > 0.0 && tempo <= kMaxTempoBpm)
    {
        const double cyclesPerSecond = tempo * cyclesPerQuarter * (1.0 / 60.0);
        increment =
            limitIncrement(static_cast<float>(cyclesPerSecond / static_cast<double>(sampleRate)));
    }
    if (!playing || !positionValid)
    {
        return;
    }
    const double cycles = ppqPosition * cyclesPerQuarter;
    if (!(std::fabs(cycles) < kMaxLockCycles))
    {
        return;
    }
    double fraction = cycles - std::trunc(cycles);
    if (fraction < 0.0)
    {
        // Before the song start (a count-in): the phase still lies in 0..1.
        fraction += 1.0;
    }
    const float lockedPhase = static_cast<float>(fraction);
    // Locking once per host block mostly nudges the phase by rounding differences. A nudge
    // backwards is not a new cycle: without this the sample-and-hold would see a wrap and draw.
    if (lockedPhase < phase && phase - lockedPhase < 0.5f && lockedPhase < previousPhase)
    {
        previousPhase = lockedPhase;
    }
    phase = lockedPhase;
}

void Lfo::resetParameter(int index)
{
    const Parameter* const ownParameters[] = {&speed, &shape, &modWheel, &sync};
    if (isIndex(index))
    {
        setValue(index, ownParameters[index]->getDefaultValue());
    }
}

void Lfo::setValue(int index, float value)
{
    switch (index)
    {
    case kSpd:
        speed.setValue(value);
        syncResolution.setValue(value);
        if (!sync.getBool())
        {
            increment = freeIncrement();
        }
        break;
    case kShpe:
        shape.setValue(value);
        break;
    case kMw:
        modWheel.setValue(value);
        if (modWheel.getBool() != wheelDepth)
        {
            // Switched on, the LFO is silent until the wheel moves; switched off, it is at full
            // depth whatever the wheel did.
            wheelDepth = modWheel.getBool();
            depth = wheelDepth ? 0.0f : 1.0f;
        }
        break;
    case kSync:
        sync.setValue(value);
        if (!sync.getBool())
        {
            increment = freeIncrement();
        }
        break;
    default:
        break;
    }
}

void Lfo::getLabel(int index, char* text) const
{
    if (showsNoteValue(index))
    {
        syncResolution.getLabel(text);
        return;
    }
    ParameterList::getLabel(index, text);
}

void Lfo::getDisplay(int index, char* text) const
{
    if (showsNoteValue(index))
    {
        syncResolution.getDisplay(text);
        return;
    }
    ParameterList::getDisplay(index, text);
}

void Lfo::getLongDisplay(int index, char* text) const
{
    if (index == kShpe)
    {
        shape.getLongDisplay(text);
        return;
    }
    ParameterList::getLongDisplay(index, text);
}
