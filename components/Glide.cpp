// The glide's hand-over of targets between threads.
#include "components/Glide.h"

Glide::Glide(float initial, float overshootAmount)
    : overshoot(overshootAmount), target(initial), version(0u), value(initial), aim(initial)
{
}

void Glide::setTarget(float goal)
{
    target = goal;
    version = version + 1u;
}

GlideStep Glide::begin()
{
    const std::uint32_t latest = version;
    const float goal = target;
    if (latest != seenVersion)
    {
        seenVersion = latest;
        falling = goal < value;
        aim = falling ? goal - overshoot : goal + overshoot;
        finished = false;
    }
    return {value, aim, goal, falling, finished};
}

void Glide::end(const GlideStep& reached)
{
    value = reached.value;
    finished = reached.finished;
}

void Glide::land()
{
    seenVersion = version;
    value = target;
    finished = true;
}
