// The per-voice portamento glide.
#include "components/SlewLimiter.h"

#include "base/SampleRate.h"
#include "components/FastMath.h"

#include <cmath>

namespace
{
constexpr float kOvershoot = 0.995f; // octaves past zero that a glide aims at
}

SlewLimiter::SlewLimiter()
    : time("Pr", "Time", "Secs", 0.25f, 0.0f, 3.0f, true), sampleRate(44100.0f), coefficient(0.0f)
{
    addParameter(time);
    updateCoefficient();
}

void SlewLimiter::updateCoefficient()
{
    // In double: 1 - exp(-1 / frames) in float keeps few significant bits of a small
    // coefficient (3 s at 384000 Hz is 8.7e-7, off by several per cent), and the glide time
    // with it.
    const double frames =
        static_cast<double>(sampleRate) * static_cast<double>(time.getReal()) + 1.0;
    coefficient = static_cast<float>(-std::expm1(-1.0 / frames));
}

void SlewLimiter::parameterChanged(int /*index*/)
{
    updateCoefficient();
}

void SlewLimiter::reset()
{
    glide.finished = false;
    glide.value = 0.0f;
    glide.aim = 0.0f;
}

void SlewLimiter::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    sampleRate = rateHz;
    updateCoefficient();
}

void SlewLimiter::process(int count)
{
    count = limitBlockFrames(count);
    if (count == 0)
    {
        return;
    }
    int i = 0;
    if (!glide.finished)
    {
        const float step = coefficient;
        GlideStep working = glide;
        for (; i < count && !working.finished; ++i)
        {
            working.step(step);
            output[i] = working.value;
        }
        glide = working;
    }
    for (; i < count; ++i)
    {
        output[i] = 0.0f;
    }
}

void SlewLimiter::trigger(int previousNote, int note, int /*velocity*/)
{
    glide.value += static_cast<float>(previousNote - note) * kOneTwelfth;
    glide.falling = glide.value >= 0.0f;
    glide.aim = glide.falling ? -kOvershoot : kOvershoot;
    glide.finished = false;
}

void SlewLimiter::release(int /*velocity*/) {}
