// The soft-clipping overdrive at the head of the effects chain, run at four times the sample rate.
#pragma once

#include "components/Smoother.h"
#include "engine/IEffectComponent.h"
#include "parameters/BooleanParameter.h"
#include "parameters/ParameterList.h"
#include "parameters/SmoothParameter.h"

// Works on the first channel only (the summed voices are mono here; the panner after it makes
// the stereo image). Each input sample is zero-stuffed to four, low-passed by eight one-pole
// stages, driven by 4 x (level x 25 + 1) into a clipper that is linear up to +-0.63 and
// approaches +-1, low-passed again by eight stages and decimated back. The factor 4 makes up for
// the zero-stuffing, so at level 0 a small signal passes with unit gain in the passband.
//
// Parameters: 0 "OD On", 1 "OD Lvl" (the level smoother, squared, 0..1). setValue only stores.
class Overdrive : public IEffectComponent, public ParameterList
{
public:
    static constexpr int kOversampling = 4;
    static constexpr int kFilterStages = 8;

    Overdrive();

    Overdrive(const Overdrive&) = delete;
    Overdrive& operator=(const Overdrive&) = delete;

    // Zeroes both filter chains; the level keeps gliding where it was.
    void reset() override;
    // Lands the gliding level on its target (audio thread, between blocks, while nothing sounds).
    void settle() { levelSmoother.settle(); }
    float getSampleRate() const override { return sampleRate; }
    // Stored only: the filters sit at fixed fractions of the oversampled rate.
    void setSampleRate(float rateHz) override;
    // Reads inputs[0], writes outputs[0] (the same buffer in the chain); count 1..kMaxBlockFrames.
    // With "OD On" off the signal passes unchanged, but the level still advances.
    void process(float** inputs, float** outputs, int count) override;

private:
    // Parameters
    Smoother levelSmoother;
    BooleanParameter enabled;
    SmoothParameter levelParameter;
    float sampleRate = 44100.0f;

    // State
    float upsamplingState[kFilterStages] = {};
    float downsamplingState[kFilterStages] = {};

    // Derived coefficients
    // 1 - exp(-pi/8): a one-pole stage with its corner at 1/16 of the oversampled rate, that is
    // a quarter of the original sample rate. Fixed, since both rates scale together.
    static constexpr float kCoefficient = 0.32476809f;
};
