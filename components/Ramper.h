// The per-voice delayed fade-in of a global LFO, restarted by every note.
#pragma once

#include "base/Relaxed.h"
#include "engine/ISynthComponent.h"
#include "engine/ITriggerable.h"
#include "parameters/FloatParameter.h"
#include "parameters/ParameterList.h"

// After a trigger the LFO's depth rises as position^4, the position running linearly from 0 to 1
// over Delay seconds (0 .. 4 s): at half the time the depth is 1/16. From then on the ramper
// passes the LFO through without copying: getOutput returns the LFO's own buffer. With Delay 0
// the first sample after a trigger already has full depth.
//
// Threads: process and trigger on the audio thread; setValue on any writer's thread (it only
// writes the increment, read once per block). The LFO is processed before the ramper in every
// block.
class Ramper : public ISynthComponent, public ITriggerable, public ParameterList
{
public:
    // prefixText is "L1" or "L2"; lfo must outlive the ramper.
    Ramper(const char* prefixText, const ISynthComponent& lfo);

    Ramper(const Ramper&) = delete;
    Ramper& operator=(const Ramper&) = delete;

    void reset() override;
    float getSampleRate() const override { return sampleRate; }
    void setSampleRate(float rateHz) override;
    void process(int count) override;
    // The faded signal while a fade runs or has just ended, else the LFO's own buffer.
    const float* getOutput() const override;

    // Every note restarts the fade from silence.
    void trigger(int previousNote, int note, int velocity) override;
    void release(int velocity) override;

    // True while a fade is in progress (from a trigger until the position reaches 1).
    bool isRamping() const { return state == kRamping; }

private:
    enum State
    {
        kRamping = 0,
        kCompleted = 1, // the fade ended in the last block; the next block passes through
        kPassing = 2,
    };

    void parameterChanged(int index) override;
    void updateIncrement();

    // Parameters
    FloatParameter delay;

    // Derived coefficients
    Relaxed<float> sampleRate;
    Relaxed<float> increment; // position per sample, 1 / (sampleRate x Delay + 1)

    // State (audio thread)
    // Summed in double: in float, 176401 steps of 1/176401 would end 174 samples late.
    double position = 0.0;
    State state = kPassing;

    // Sources (borrowed)
    const ISynthComponent& lfo;

    // Buffers (written by every block of a fade, and read only after one; untouched pages never
    // become resident)
    float output[kMaxBlockFrames];
};
