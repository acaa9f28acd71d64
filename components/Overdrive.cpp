// The four-times oversampled soft-clipping overdrive.
#include "components/Overdrive.h"

#include "base/SampleRate.h"
#include "components/FastMath.h"
#include "components/Lanes.h"

#include <cmath>

namespace
{
constexpr float kKnee = 0.63f;            // the clipper is linear inside +-0.63
constexpr float kHeadroom = 1.0f - kKnee; // and approaches +-1 beyond it
constexpr float kDriveRange = 25.0f;      // level 1 drives 26 times harder than level 0

// The clipper: linear inside +-kKnee, beyond it (1 - kKnee / |c|) x kHeadroom + kKnee with the
// sign of c. Both sides are computed and one is chosen, as the signal crosses the knee too often
// for a branch to be predicted; (-kKnee) / c of a negative c is kKnee / |c| exactly, so both
// signs take the same steps as the curve written out for each side.
inline float softClip(float c)
{
    const float magnitude = std::fabs(c);
    const float curved = (1.0f - kKnee / magnitude) * kHeadroom + kKnee;
    return magnitude > kKnee ? std::copysign(curved, c) : c;
}

// Four stages of a chain, one per vector lane, in the one-pole step state += (input - state) x k.
inline FloatLanes stepStages(FloatLanes state, FloatLanes input, FloatLanes coefficient)
{
    return state + (input - state) * coefficient;
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

    // Each input sample becomes four oversampled steps (itself and three zeros), each run through
    // the eight stages of the first chain, the clipper and the eight of the second; the first of
    // every four results is kept. Every stage of a step needs the stage before it at the same
    // step and itself at the step before, so the stages run as a wavefront: at iteration t,
    // first-chain stage s takes step t - s and second-chain stage s step t - 7 - s, four stages to
    // a vector. Each stage performs the same operations on the same values as in a plain loop
    // over steps and stages, so the result is the same bit for bit; but its sixteen dependent
    // chains now overlap. The first 16 iterations of a block and the 14 after its last step hold
    // back the stages without a step of this block, so that every stage ends the block at its
    // last step. Each chain's input carries the anti-denormal offset, so that on silence the
    // stages settle on a tiny constant instead of decaying into denormal numbers.
    const float* level = levelSmoother.getOutput();
    const FloatLanes coefficient(kCoefficient);
    FloatLanes upLow = FloatLanes::load(upsamplingState);
    FloatLanes upHigh = FloatLanes::load(upsamplingState + 4);
    FloatLanes downLow = FloatLanes::load(downsamplingState);
    FloatLanes downHigh = FloatLanes::load(downsamplingState + 4);

    constexpr int kStages = kFilterStages;
    constexpr int kDelay = 2 * kStages - 2; // second-chain stage 7 takes step t at iteration t + 14
    const int steps = count * kOversampling;

    auto iterate = [&](int t, bool holdBack)
    {
        const float x = t % kOversampling == 0 && t < steps ? in[t / kOversampling] : 0.0f;
        FloatLanes newUpLow = stepStages(upLow, shiftUp(upLow, x + kAntiDenormal), coefficient);
        FloatLanes newUpHigh = stepStages(upHigh, shiftUp(upHigh, highestLane(upLow)), coefficient);

        // The first chain's result for step t - 7, clipped, enters the second chain.
        const int clipped = t - (kStages - 1);
        float shaped = 0.0f;
        if (clipped >= 0 && clipped < steps)
        {
            const int sample = clipped / kOversampling;
            const float drive =
                (level[sample] * kDriveRange + 1.0f) * static_cast<float>(kOversampling);
            shaped = softClip(drive * highestLane(newUpHigh));
        }
        FloatLanes newDownLow =
            stepStages(downLow, shiftUp(downLow, shaped + kAntiDenormal), coefficient);
        FloatLanes newDownHigh =
            stepStages(downHigh, shiftUp(downHigh, highestLane(downLow)), coefficient);

        if (holdBack)
        {
            // Only the stages whose step lies inside the block move: stage s of the first
            // chain at step t - s, of the second at step t - 7 - s.
            const IntLanes lane = IntLanes::make(0, 1, 2, 3);
            auto active = [&](int firstStep)
            {
                const IntLanes step = IntLanes(firstStep) - lane;
                return (step > IntLanes(-1)) & (step < IntLanes(steps));
            };
            newUpLow = select(active(t), newUpLow, upLow);
            newUpHigh = select(active(t - 4), newUpHigh, upHigh);
            newDownLow = select(active(clipped), newDownLow, downLow);
            newDownHigh = select(active(clipped - 4), newDownHigh, downHigh);
        }
        upLow = newUpLow;
        upHigh = newUpHigh;
        downLow = newDownLow;
        downHigh = newDownHigh;

        // The second chain's result for the first step of a sample is that sample's output.
        const int finished = t - kDelay;
        if (finished >= 0 && finished < steps && finished % kOversampling == 0)
        {
            out[finished / kOversampling] = highestLane(downHigh);
        }
    };

    // Iterations from 16 up to the block's last step have every stage inside the block; the
    // input is read at iteration 4k and written back at 4k + 14, after it, so in and out may be
    // the same buffer.
    constexpr int kFull = 16;
    int t = 0;
    for (; t < kFull && t < steps + kDelay; ++t)
    {
        iterate(t, true);
    }
    for (; t + kOversampling <= steps; t += kOversampling)
    {
        iterate(t, false);
        iterate(t + 1, false);
        iterate(t + 2, false);
        iterate(t + 3, false);
    }
    for (; t < steps + kDelay; ++t)
    {
        iterate(t, true);
    }

    upLow.store(upsamplingState);
    upHigh.store(upsamplingState + 4);
    downLow.store(downsamplingState);
    downHigh.store(downsamplingState + 4);
}
