// The attack-decay-sustain-release envelope.
#include "components/AdsrEnvelope.h"

#include "base/SampleRate.h"
#include "components/FastMath.h"
#include "components/Lanes.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace
{

const char* const kTriggerModes[] = {"Legato", "Retrig"};

constexpr float kMaxSeconds = 10.0f;

// The attack aims at 1 / (1 - 1/e) = 1.5819781, stored as 2.5819781: from 0 it reaches 1 after one
// time constant.
constexpr float kAttackTarget = std::bit_cast<float>(std::uint32_t{0x40253F21u});
// The release aims at -0.5819781 (stored 1 + that): from 1 it reaches 0 after one time constant.
constexpr float kReleaseTarget = 1.0f + std::bit_cast<float>(std::uint32_t{0xBF14FC84u});

// Stored levels of the values 0 and 1.
constexpr float kStoredZero = 1.0f;
constexpr float kStoredOne = 2.0f;

// One sample of the decay toward the sustain level, for one envelope (float) or four side by side
// (FloatLanes). Near the sustain level the step falls below the float resolution of the stored
// level (1.2e-7 between 1 and 2) and the level would hold short of it, by up to 0.06 for 10 s at
// 96 kHz; a step that no longer moves the level lands on the target.
template <class T>
inline T stepDecay(T& stored, T aim, T k, T gain)
{
    const T next = stored + (aim - stored) * k;
    stored = select(next == stored, aim, next);
    return (stored - T(kStoredZero)) * gain;
}

// 1 / 127 as the float the velocity is scaled by.
constexpr float kVelocityScale = 0.007874016f;

int clampMidi(int value)
{
    return value < 0 ? 0 : (value > 127 ? 127 : value);
}

} // namespace

AdsrEnvelope::AdsrEnvelope(const char* prefix)
    : attackTime(prefix, "A", 0.0f, kMaxSeconds), decayTime(prefix, "D", 0.5f, kMaxSeconds),
      sustainLevel(prefix, "S", 0.0f), releaseTime(prefix, "R", 0.25f, kMaxSeconds),
      keyTracking(prefix, "KT", "Rate", 0.0f, 0.0f, 1.0f, false),
      velocityDepth(prefix, "VDpt", "Depth", 0.0f, 0.0f, 1.0f, false),
      triggerMode(prefix, "TMod", "Mode", 1.0f, 1, kTriggerModes), coefficient(0.0f),
      target(kStoredZero), stage(kIdle)
{
    addParameter(attackTime);
    addParameter(decayTime);
    addParameter(sustainLevel);
    addParameter(releaseTime);
    addParameter(keyTracking);
    addParameter(velocityDepth);
    addParameter(triggerMode);
}

bool AdsrEnvelope::addObserver(IAdsrEnvelopeObserver* observer)
{
    if (observer == nullptr || observerCount >= kMaxObservers)
    {
        return false;
    }
    observers[observerCount++] = observer;
    return true;
}

void AdsrEnvelope::notifyAttack()
{
    for (int i = 0; i < observerCount; ++i)
    {
        observers[i]->onAttack(this);
    }
}

void AdsrEnvelope::notifyDecay()
{
    for (int i = 0; i < observerCount; ++i)
    {
        observers[i]->onDecay(this);
    }
}

void AdsrEnvelope::notifyRelease()
{
    for (int i = 0; i < observerCount; ++i)
    {
        observers[i]->onRelease(this);
    }
}

void AdsrEnvelope::notifyFinished()
{
    for (int i = 0; i < observerCount; ++i)
    {
        observers[i]->onFinished(this);
    }
}

void AdsrEnvelope::reset()
{
    level = kStoredZero;
    stage = kIdle;
    notifyFinished();
}

void AdsrEnvelope::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    sampleRate = rateHz;
    attackTime.setSampleRate(rateHz);
    decayTime.setSampleRate(rateHz);
    releaseTime.setSampleRate(rateHz);
}

void AdsrEnvelope::trigger(int /*previousNote*/, int note, int velocity)
{
    const int mode = triggerMode.getInt();
    const int running = stage;
    if (mode == kLegato && (running == kAttack || running == kDecaySustain))
    {
        return;
    }

    const float velocityNorm = static_cast<float>(clampMidi(velocity)) * kVelocityScale;
    const float depth = velocityDepth.getReal();
    velocityGain = depth * velocityNorm * velocityNorm + (1.0f - depth);

    // Each semitone above 60 shortens every time by KT / 12 octave; note 60 is the fixed point.
    const float octaves =
        static_cast<float>(60 - clampMidi(note)) * keyTracking.getReal() * kOneTwelfth;
    timeScale = std::pow(2.0f, octaves);
    attackTime.setTimeScale(timeScale);
    decayTime.setTimeScale(timeScale);
    releaseTime.setTimeScale(timeScale);

    coefficient = attackTime.getCoefficient();
    target = kAttackTarget;
    stage = kAttack;
    notifyAttack();
}

void AdsrEnvelope::release(int /*velocity*/)
{
    if (stage == kIdle)
    {
        return;
    }
    coefficient = releaseTime.getCoefficient();
    target = kReleaseTarget;
    stage = kRelease;
    notifyRelease();
}

void AdsrEnvelope::parameterChanged(int index)
{
    const int running = stage;
    switch (index)
    {
    case kA:
        if (running == kAttack)
        {
            coefficient = attackTime.getCoefficient();
        }
        break;
    case kD:
        if (running == kDecaySustain)
        {
            coefficient = decayTime.getCoefficient();
        }
        break;
    case kR:
        if (running == kRelease)
        {
            coefficient = releaseTime.getCoefficient();
        }
        break;
    case kS:
        if (running == kDecaySustain)
        {
            target = sustainLevel.getReal() + kStoredZero;
        }
        break;
    default:
        break;
    }
}

int AdsrEnvelope::processAttack(int first, int count)
{
    float stored = level;
    const float k = coefficient;
    const float aim = target;
    const float gain = velocityGain;
    for (int i = first; i < count; ++i)
    {
        const float next = stored + (aim - stored) * k;
        if (next > kStoredOne || next == stored)
        {
            // Full level: the attack ends exactly on 1 and the decay starts from there, so the
            // overshoot of the last step never reaches the output. A step too small to move the
            // stored level (time constants beyond about 1e7 samples) ends the attack too.
            output[i] = gain;
            level = kStoredOne;
            coefficient = decayTime.getCoefficient();
            target = sustainLevel.getReal() + kStoredZero;
            stage = kDecaySustain;
            notifyDecay();
            return i + 1;
        }
        stored = next;
        output[i] = (stored - kStoredZero) * gain;
    }
    level = stored;
    return count;
}

int AdsrEnvelope::processDecaySustain(int first, int count)
{
    float stored = level;
    const float k = coefficient;
    const float aim = target;
    const float gain = velocityGain;
    for (int i = first; i < count; ++i)
    {
        output[i] = stepDecay(stored, aim, k, gain);
        if (stored == aim && aim + (aim - aim) * k == aim)
        {
            // On the sustain level with a step that keeps it there (any finite coefficient):
            // every later sample of the block is this one, so a held note costs a fill.
            const float sustained = output[i];
            for (int j = i + 1; j < count; ++j)
            {
                output[j] = sustained;
            }
            break;
        }
    }
    level = stored;
    return count;
}

bool AdsrEnvelope::isSettling() const
{
    if (stage != kDecaySustain)
    {
        return false;
    }
    const float aim = target;
    return !(level == aim && aim + (aim - aim) * coefficient.load() == aim);
}

int AdsrEnvelope::processRelease(int first, int count)
{
    float stored = level;
    const float k = coefficient;
    const float aim = target;
    const float gain = velocityGain;
    for (int i = first; i < count; ++i)
    {
        const float next = stored + (aim - stored) * k;
        // A step too small to move the stored level ends the release as well, so that even the
        // longest key-tracked release falls silent.
        if (next < kStoredZero || next == stored)
        {
            output[i] = 0.0f;
            level = kStoredZero;
            stage = kIdle;
            notifyFinished();
            return i + 1;
        }
        stored = next;
        output[i] = (stored - kStoredZero) * gain;
    }
    level = stored;
    return count;
}

int AdsrEnvelope::processIdle(int first, int count)
{
    for (int i = first; i < count; ++i)
    {
        output[i] = 0.0f;
    }
    return count;
}

AdsrEnvelope::DecayLane AdsrEnvelope::loadDecayLane()
{
    return {output, level, coefficient, target, velocityGain};
}

void AdsrEnvelope::storeDecayLane(const DecayLane& lane)
{
    level = lane.level;
}

// processDecaySustain for four envelopes side by side, one per vector lane: each lane performs the
// scalar loop's operations in the same order, so its samples and final level equal the scalar
// loop's bit for bit (a lane that reaches its sustain level keeps landing on it, as the scalar
// loop's fill would give). Four samples at a time are written through a 4 x 4 transpose.
void AdsrEnvelope::runDecayLanes(DecayLane* lanes, int count)
{
    auto gatherField = [lanes](float DecayLane::*field) {
        return FloatLanes::make(lanes[0].*field, lanes[1].*field, lanes[2].*field, lanes[3].*field);
    };
    FloatLanes stored = gatherField(&DecayLane::level);
    const FloatLanes k = gatherField(&DecayLane::coefficient);
    const FloatLanes aim = gatherField(&DecayLane::target);
    const FloatLanes gain = gatherField(&DecayLane::gain);
    int i = 0;
    for (; i + kLanes <= count; i += kLanes)
    {
        FloatLanes y0 = stepDecay(stored, aim, k, gain);
        FloatLanes y1 = stepDecay(stored, aim, k, gain);
        FloatLanes y2 = stepDecay(stored, aim, k, gain);
        FloatLanes y3 = stepDecay(stored, aim, k, gain);
        transpose(y0, y1, y2, y3);
        y0.store(lanes[0].out + i);
        y1.store(lanes[1].out + i);
        y2.store(lanes[2].out + i);
        y3.store(lanes[3].out + i);
    }
    for (; i < count; ++i)
    {
        float samples[kLanes];
        stepDecay(stored, aim, k, gain).store(samples);
        for (int lane = 0; lane < kLanes; ++lane)
        {
            lanes[lane].out[i] = samples[lane];
        }
    }
    float levels[kLanes];
    stored.store(levels);
    for (int lane = 0; lane < kLanes; ++lane)
    {
        lanes[lane].level = levels[lane];
    }
}

void AdsrEnvelope::processGroup(AdsrEnvelope* const* envelopes, int envelopeCount, int count)
{
    count = limitBlockFrames(count);
    AdsrEnvelope* settling[kGroupLanes] = {};
    int used = 0;
    auto runGroup = [&]()
    {
        if (used == 1)
        {
            settling[0]->process(count);
        }
        else if (used > 1)
        {
            // Lanes past the last envelope repeat it: the same samples go to the same places.
            DecayLane lanes[kGroupLanes];
            for (int lane = 0; lane < kGroupLanes; ++lane)
            {
                lanes[lane] = settling[std::min(lane, used - 1)]->loadDecayLane();
            }
            runDecayLanes(lanes, count);
            for (int lane = 0; lane < used; ++lane)
            {
                settling[lane]->storeDecayLane(lanes[lane]);
            }
        }
        used = 0;
    };
    for (int index = 0; index < envelopeCount; ++index)
    {
        AdsrEnvelope* envelope = envelopes[index];
        if (count > 0 && envelope->isSettling())
        {
            settling[used++] = envelope;
            if (used == kGroupLanes)
            {
                runGroup();
            }
        }
        else
        {
            envelope->process(count);
        }
    }
    runGroup();
}

void AdsrEnvelope::process(int count)
{
    count = limitBlockFrames(count);
    // An observer may trigger, release or reset the envelope from a notification; each stage
    // segment reloads the state, so the rest of the block follows whatever it did.
    int i = 0;
    while (i < count)
    {
        switch (stage)
        {
        case kAttack:
            i = processAttack(i, count);
            break;
        case kDecaySustain:
            i = processDecaySustain(i, count);
            break;
        case kRelease:
            i = processRelease(i, count);
            break;
        default:
            i = processIdle(i, count);
            break;
        }
    }
}
