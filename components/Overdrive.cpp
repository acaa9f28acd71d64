// The four-times oversampled soft-clipping overdrive.
#include "components/Overdrive.h"

#include "base/SampleRate.h"
#include "components/FastMath.h"

namespace
{
constexpr float kKnee = 0.63f;            // the clipper is linear inside +-0.63
constexpr float kHeadroom = 1.0f - kKnee; // and approaches +-1 beyond it
constexpr float kDriveRange = 25.0f;      // level 1 drives 26 times harder than level 0

// Eight one-pole low-pass stages in a row. The input carries the anti-denormal offset so that
// the chain settles on a tiny constant instead of decaying into denormal numbers on silence.
inline float filterChain(float* state, float x, float coefficient)
{
    float value = x + kAntiDenormal;
    for (int stage = 0; stage < Overdrive::kFilterStages; ++stage)
    {
        state[stage] += (value - state[stage]) * coefficient;
        value = state[stage];
    }
    return value;
}

inline float softClip(float c)
{
    if (c > kKnee)
    {
        return (1.0f - kKnee / c) * kHeadroom + kKnee;
    }
    if (c < -kKnee)
    {
        return -((1.0f - (-kKnee) / c) * kHeadroom + kKnee);
    }
    return c;
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

    const float* level = levelSmoother.getOutput();
    float up[kFilterStages];
    float down[kFilterStages];
    for (int stage = 0; stage < kFilterStages; ++stage)
    {
        up[stage] = upsamplingState[stage];
        down[stage] = downsamplingState[stage];
    }

    // Each input sample becomes four oversampled ones (itself and three zeros); all four run
    // through both chains in order, and the first of the four downsampled results is kept.
    for (int k = 0; k < count; ++k)
    {
        const float drive = (level[k] * kDriveRange + 1.0f) * static_cast<float>(kOversampling);
        float kept = 0.0f;
        for (int phase = 0; phase < kOversampling; ++phase)
        {
            const float x = phase == 0 ? in[k] : 0.0f;
            const float y = filterChain(up, x, kCoefficient);
            const float shaped = softClip(drive * y);
            const float z = filterChain(down, shaped, kCoefficient);
            if (phase == 0)
            {
                kept = z;
            }
        }
        out[k] = kept;
    }

    for (int stage = 0; stage < kFilterStages; ++stage)
    {
        upsamplingState[stage] = up[stage];
        downsamplingState[stage] = down[stage];
    }
}
