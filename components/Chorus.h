// The stereo chorus: two short delay lines read at a delay swept by a sine and a cosine.
#pragma once

#include "base/Relaxed.h"
#include "components/LineTail.h"
#include "components/Smoother.h"
#include "engine/IEffectComponent.h"
#include "parameters/BooleanParameter.h"
#include "parameters/DecibelParameter.h"
#include "parameters/FloatParameter.h"
#include "parameters/ParameterList.h"
#include "parameters/SmoothParameter.h"

// Each channel has its own line. The read point lies centreDelay x 2^(depth x sweep) samples
// back, with sweep the sine (left) or cosine (right) of one slow oscillator, so at full depth it
// moves between half and twice the centre delay; the delayed sample is interpolated linearly,
// fed back into its line and added to the dry signal at the Mix level (which glides at 4.41 Hz).
// The centre delay runs up to a quarter of the line: about 23 ms at any rate up to 176400 Hz.
//
// Parameters: 0 "Ch On", 1 "Ch Dly" (centre delay, shown in seconds under the label "ms"),
// 2 "Ch Dpth", 3 "Ch FB" (0..0.99), 4 "Ch Freq" (0..4 Hz), 5 "Ch Mix".
// Threads: writes store values and targets only. Switching on asks for a clear of the lines,
// which the audio thread performs at its next process; reset and setSampleRate clear directly
// and must not run during a process (the engine holds its render lock around them).
class Chorus : public IEffectComponent, public ParameterList
{
public:
    static constexpr int kMaxLineLength = 16384;

    Chorus();

    Chorus(const Chorus&) = delete;
    Chorus& operator=(const Chorus&) = delete;

    // Empties the lines (for the next block that runs the chorus), restarts the sweep, and lets
    // the smoothed settings jump to their targets.
    void reset() override;
    float getSampleRate() const override { return sampleRate; }
    // Sizes the line (4095 samples at 44100 Hz, 4458 at 48000, at most 16384), then resets.
    void setSampleRate(float rateHz) override;
    // Adds the wet signal to both channels (in place; separate outputs get dry plus wet);
    // count 1..kMaxBlockFrames. While off only the Mix glide advances.
    void process(float** inputs, float** outputs, int count) override;

    int getLineLength() const { return len; }

    // Lands the smoothed delay, depth and Mix on their targets (audio thread, between blocks,
    // while nothing sounds).
    void settle();
    // On, and one of the last line-length writes into the lines was above -100 dBFS.
    bool holdsTail() const { return enabled.getBool() && tail.holds(len); }

protected:
    void parameterChanged(int index) override;

private:
    static constexpr float kMixFrequencyHz = 4.41f;

    void updateSweepRate();

    int len = 4096;

    // Parameters
    Smoother centreDelay;
    Smoother depth;

    // Mix smoothing (the wet level), at 4.41 Hz
    Relaxed<float> mixTarget;
    float mix = 0.0f;
    float mixCoefficient = 0.00062812131f; // 1 - exp(-2 pi 4.41 / 44100)

    BooleanParameter enabled;
    SmoothParameter centreDelayParameter;
    SmoothParameter depthParameter;
    FloatParameter feedback;
    FloatParameter frequency;
    DecibelParameter mixLevel;

    float sampleRate = 44100.0f;

    // Buffers: only the first len samples are used. A reset empties them at the next block that
    // runs the chorus, so lines of a chorus that stays off are never written and never become
    // resident.
    float left[kMaxLineLength];
    float right[kMaxLineLength];

    // State
    int writePosition = 0;
    bool linesCleared = false;
    float sine = 0.0f;
    float cosine = 1.0f;
    Relaxed<float> sweepRate; // radians per sample
    Relaxed<bool> clearRequested;
    LineTail tail;
};
