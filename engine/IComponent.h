// The root interface of every audio component.
#pragma once

// reset runs on the audio thread (engine reset) or on the user-interface thread (after a chunk
// load, a sample-rate change); setSampleRate on the user-interface thread.
class IComponent
{
public:
    virtual ~IComponent() = default;
    // Brings the component to its silent starting state (buffers, phases, stages).
    virtual void reset() = 0;
    virtual float getSampleRate() const = 0;
    // Stores the rate in Hz and recomputes what depends on it. A rate that isSupportedSampleRate
    // (base/SampleRate.h) refuses is ignored: the component keeps its rate.
    virtual void setSampleRate(float rateHz) = 0;
};

// No component is asked for more frames at once; every component buffer holds this many values.
constexpr int kMaxBlockFrames = 8192;

// A frame count held to 0..kMaxBlockFrames: components guard their buffers with it even though
// the engine never asks for more.
inline int limitBlockFrames(int count)
{
    return count < 0 ? 0 : (count > kMaxBlockFrames ? kMaxBlockFrames : count);
}
