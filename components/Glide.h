// A one-pole glide that ends exactly on its target, and its target set from another thread.
#pragma once

#include "base/Relaxed.h"

#include <cstdint>

// The working state of a glide, held in locals by a processing loop. Each step moves the value by
// coefficient x (aim - value), where the aim lies a little past the goal in the direction of
// travel. The step that reaches or passes the goal, or that no longer moves the float value (near
// the goal a step can drop below the value's resolution, at 1.0 below about 6e-8), lands exactly
// on the goal. So every glide ends in finite time exactly on its target.
struct GlideStep
{
    float value;
    float aim;
    float goal;
    bool falling;
    bool finished;

    // One sample. A finished glide stays on its goal.
    void step(float coefficient)
    {
        if (finished)
        {
            return;
        }
        const float next = value + (aim - value) * coefficient;
        if (next == value || (falling ? next <= goal : next >= goal))
        {
            value = goal;
            finished = true;
        }
        else
        {
            value = next;
        }
    }
};

// A glide whose target one thread writes while the audio thread follows it. setTarget publishes
// the target and bumps a version; begin notices a new version at the start of the next block and
// starts the glide from where the value is, so no write is lost to a glide that is just ending.
class Glide
{
public:
    // The value starts on initial, finished; overshoot is how far past each target the glide aims
    // (in the value's unit).
    Glide(float initial, float overshoot);

    Glide(const Glide&) = delete;
    Glide& operator=(const Glide&) = delete;

    // Any thread.
    void setTarget(float goal);
    float getTarget() const { return target; }

    // Audio thread, once per block: the state to step through the block (a target written since
    // the last block starts a new glide), and the state it reached.
    GlideStep begin();
    void end(const GlideStep& reached);

    // The value lands on the target at once and the glide is finished. Audio thread, or while the
    // audio thread is held off (the engine's render lock).
    void land();

    float getValue() const { return value; }
    bool isFinished() const { return finished; }
    // Finished, and no target written since the last begin or land (audio thread).
    bool isSettled() const { return finished && seenVersion == version; }

private:
    const float overshoot;
    Relaxed<float> target;
    Relaxed<std::uint32_t> version;
    std::uint32_t seenVersion = 0;

    // Audio thread
    float value;
    float aim;
    bool falling = false;
    bool finished = true;
};
