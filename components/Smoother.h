// A self-contained level control whose value glides to each new setting; its own single parameter.
#pragma once

#include "base/Relaxed.h"
#include "components/Glide.h"
#include "engine/ISynthComponent.h"
#include "parameters/FloatParameter.h"
#include "parameters/ParameterList.h"

// The one parameter (index 0) is the setting, 0..1 on a linear or squared curve times the scale;
// a reset of it is a write of the default. The output buffer holds one value per sample. A new
// setting glides with a fixed one-pole coefficient of 0.0002 per sample (a time constant of 5000
// samples at any rate) aimed 0.00001 past the target, so every glide ends exactly on the target in
// finite time (a step too small to move the float value lands on the target).
//
// Threads: setValue runs on any writer's thread and only publishes the new target; the audio
// thread notices it at its next process and starts the glide there, so a write can never be lost
// to a glide that is just finishing. reset and setScale write the buffer and must not run while
// the audio thread processes (the engine holds its render lock around them).
class Smoother : public ISynthComponent, public ParameterList
{
public:
    enum DisplayMode
    {
        kDisplayValue = 0,        // "%.3f" of the target
        kDisplayDecibels = 1,     // the target in dB, "-oo" for 0
        kDisplayMilliseconds = 2, // the target, in samples, as milliseconds: "%.1f"
    };

    Smoother(bool squared, DisplayMode displayMode, const char* name, const char* label,
             float defaultSetting, float scale);

    Smoother(const Smoother&) = delete;
    Smoother& operator=(const Smoother&) = delete;

    // Fills the buffer with the target and stops any glide.
    void reset() override;
    // Lands a glide in progress, or a target written since the last block, at once; costs one
    // comparison when the value already rests on its target. Audio thread, between pieces.
    void settle();
    float getSampleRate() const override { return sampleRate; }
    void setSampleRate(float rateHz) override;
    void process(int count) override;
    const float* getOutput() const override { return output; }

    // A new scale maps the current setting anew; the value jumps there without a glide.
    void setScale(float newScale);
    // The value the glide is heading for (setting mapped through the curve and the scale).
    float getTarget() const { return glide.getTarget(); }
    // The last value the glide produced.
    float getCurrent() const { return glide.getValue(); }

    // The display mode's text of the target.
    void getDisplay(int index, char* text) const override;

protected:
    // A new setting: the glide heads for it from the next block on.
    void parameterChanged(int index) override;

private:
    enum State
    {
        kGliding = 0,
        kFinished = 1, // the glide ended in the last block; the next one refreshes the buffer
        kSteady = 2,
    };

    // Every glide steps by this fraction of the way to a point this far past its target.
    static constexpr float kCoefficient = 0.0002f;
    static constexpr float kOvershoot = 0.00001f;

    void fillOutput(float value);

    // Parameters
    Relaxed<float> sampleRate;
    FloatParameter setting;
    const DisplayMode displayMode;

    // The glide of the value; the output buffer's state (audio thread, or the engine with its
    // render lock held).
    Glide glide;
    State state = kSteady;

    // Buffers
    float output[kMaxBlockFrames];
};
