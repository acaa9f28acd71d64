// The panner's position glide, modulation and linear pan law.
#include "components/Panner.h"

#include "base/TextField.h"
#include "parameters/ParameterFormat.h"

#include <cmath>

namespace
{
enum Index
{
    kEnabled = 0,
    kPosition = 1,
    kModulationLevel = 2,
    kModulationPolarity = 3,
};

float glideCoefficient(float rateHz, float seconds)
{
    return static_cast<float>(
        1.0 - std::exp(-1.0 / (static_cast<double>(rateHz) * static_cast<double>(seconds) + 1.0)));
}

// One glide step towards aim (target moved 0.0001 past it). Near the target a step can fall
// below the float resolution of the position (at 384000 Hz it is about 5e-9, under half the gap
// of 6e-8 just below 1.0) and the glide would never arrive; a step that no longer moves the
// value lands on the target.
struct Glide
{
    float current;
    float aim;
    float goal;
    bool falling;
    bool finished;

    void step(float coefficient)
    {
        if (finished)
        {
            return;
        }
        const float next = current + (aim - current) * coefficient;
        if (next == current || (falling ? next <= goal : next >= goal))
        {
            current = goal;
            finished = true;
        }
        else
        {
            current = next;
        }
    }
};
} // namespace

Panner::Panner()
    : enabled("P", "On"), position("P", "L/R", "L/R", 0.5f, 0.0f, 1.0f, false),
      modulationLevel("P", "ModL", 0.0f), modulationPolarity("P", "MPol"),
      coefficient(glideCoefficient(44100.0f, kGlideSeconds)), target(0.5f), glideTarget(0.5f),
      current(0.5f), targetVersion(0u)
{
    addParameter(enabled);
    addParameter(position);
    addParameter(modulationLevel);
    addParameter(modulationPolarity);
}

void Panner::reset()
{
    seenVersion = targetVersion;
    current = target;
    finished = true;
}

void Panner::setSampleRate(float rateHz)
{
    sampleRate = rateHz;
    if (rateHz > 0.0f && std::isfinite(rateHz))
    {
        coefficient = glideCoefficient(rateHz, kGlideSeconds);
    }
}

void Panner::setSource(const ISynthComponent* newSource)
{
    ScopedLock held(lock);
    source = newSource;
}

void Panner::parameterChanged(int index)
{
    if (index == kPosition)
    {
        target = position.getReal();
        targetVersion = targetVersion + 1u;
    }
}

void Panner::getDisplay(int index, char* text) const
{
    if (index == kPosition)
    {
        formatShortText(text, "%.2f", static_cast<double>(position.getReal() * 2.0f - 1.0f));
        return;
    }
    ParameterList::getDisplay(index, text);
}

void Panner::process(float** inputs, float** outputs, int count)
{
    count = limitBlockFrames(count);
    if (count == 0)
    {
        return;
    }

    const ISynthComponent* modulation;
    {
        ScopedLock held(lock);
        modulation = source;
    }

    const std::uint32_t version = targetVersion;
    if (version != seenVersion)
    {
        seenVersion = version;
        const float goal = target;
        falling = goal < current;
        glideTarget = falling ? goal - kOvershoot : goal + kOvershoot;
        finished = false;
    }

    Glide glide{current, glideTarget, target, falling, finished};
    const float glideCoefficientNow = coefficient;
    const float* in = inputs[0];
    float* left = outputs[0];
    float* right = outputs[1];

    if (!enabled.getBool())
    {
        for (int i = 0; i < count; ++i)
        {
            glide.step(glideCoefficientNow);
            const float half = in[i] * 0.5f;
            left[i] = half;
            right[i] = half;
        }
    }
    else if (modulation != nullptr)
    {
        const float* modulationSignal = modulation->getOutput();
        const float depth =
            static_cast<float>(modulationPolarity.getSign()) * modulationLevel.getReal();
        for (int i = 0; i < count; ++i)
        {
            glide.step(glideCoefficientNow);
            const float rightGain = (depth * modulationSignal[i] + 1.0f) * 0.5f;
            const float x = in[i];
            left[i] = x * (1.0f - rightGain);
            right[i] = x * rightGain;
        }
    }
    else
    {
        for (int i = 0; i < count; ++i)
        {
            glide.step(glideCoefficientNow);
            const float x = in[i];
            left[i] = x * (1.0f - glide.current);
            right[i] = x * glide.current;
        }
    }

    current = glide.current;
    finished = glide.finished;
}
