// The attack-decay-sustain-release envelope.
#include "components/AdsrEnvelope.h"

#include "base/SampleRate.h"
#include "components/FastMath.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include <emmintrin.h>

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
        // Near the sustain level the step falls below the float resolution of the stored level
        // (1.2e-7 between 1 and 2) and the level would hold short of it, by up to 0.06 for 10 s
        // at 96 kHz; a step that no longer moves the level lands on the target.
        const float next = stored + (aim - stored) * k;
        stored = next == stored ? aim : next;
        output[i] = (stored - kStoredZero) * gain;
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

namespace
{

// One envelope's share of a four-lane decay loop.
struct DecayLane
{
    float* out;
    float level;
    float coefficient;
    float target;
    float gain;
};

// processDecaySustain for four envelopes side by side, one per vector lane: each lane performs the
// scalar loop's operations in the same order, so its samples and final level equal the scalar
// loop's bit for bit (a lane that reaches its sustain level keeps landing on it, as the scalar
// loop's fill would give). Four samples at a time are written through a 4 x 4 transpose.
void runDecayLanes(DecayLane* lanes, int count)
{
    __m128 stored = _mm_setr_ps(lanes[0].level, lanes[1].level, lanes[2].level, lanes[3].level);
    const __m128 k = _mm_setr_ps(lanes[0].coefficient, lanes[1].coefficient, lanes[2].coefficient,
                                 lanes[3].coefficient);
    const __m128 aim =
        _mm_setr_ps(lanes[0].target, lanes[1].target, lanes[2].target, lanes[3].target);
    const __m128 gain = _mm_setr_ps(lanes[0].gain, lanes[1].gain, lanes[2].gain, lanes[3].gain);
    const __m128 storedZero = _mm_set1_ps(kStoredZero);
    auto step = [&]()
    {
        const __m128 next = _mm_add_ps(stored, _mm_mul_ps(_mm_sub_ps(aim, stored), k));
        stored = selectLanes(_mm_cmpeq_ps(next, stored), aim, next);
        return _mm_mul_ps(_mm_sub_ps(stored, storedZero), gain);
    };
    int i = 0;
    for (; i + 4 <= count; i += 4)
    {
        __m128 y0 = step();
        __m128 y1 = step();
        __m128 y2 = step();
        __m128 y3 = step();
        _MM_TRANSPOSE4_PS(y0, y1, y2, y3);
        _mm_storeu_ps(lanes[0].out + i, y0);
        _mm_storeu_ps(lanes[1].out + i, y1);
        _mm_storeu_ps(lanes[2].out + i, y2);
        _mm_storeu_ps(lanes[3].out + i, y3);
    }
    for (; i < count; ++i)
    {
        alignas(16) float samples[4];
        _mm_store_ps(samples, step());
        for (int lane = 0; lane < 4; ++lane)
        {
            lanes[lane].out[i] = samples[lane];
        }
    }
    alignas(16) float levels[4];
    _mm_store_ps(levels, stored);
    for (int lane = 0; lane < 4; ++lane)
    {
        lanes[lane].level = levels[lane];
    }
}

} // namespace

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
                AdsrEnvelope& envelope = *settling[std::min(lane, used - 1)];
                lanes[lane] = {envelope.output, envelope.level, envelope.coefficient,
                               envelope.target, envelope.velocityGain};
            }
            runDecayLanes(lanes, count);
            for (int lane = 0; lane < used; ++lane)
            {
                settling[lane]->level = lanes[lane].level;
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
