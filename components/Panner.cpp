// The panner's position glide, modulation and linear pan law.
#include "components/Panner.h"

#include "base/SampleRate.h"
#include "base/TextField.h"
#include "components/OnePole.h"
#include "parameters/ParameterFormat.h"

namespace
{
enum Index
{
    kEnabled = 0,
    kPosition = 1,
    kModulationLevel = 2,
    kModulationPolarity = 3,
};
} // namespace

Panner::Panner()
    : enabled("P", "On"), position("P", "L/R", "L/R", 0.5f, 0.0f, 1.0f, false),
      modulationLevel("P", "ModL", 0.0f), modulationPolarity("P", "MPol"),
      coefficient(glideCoefficient(44100.0f, kGlideSeconds)), glide(0.5f, kOvershoot)
{
    addParameter(enabled);
    addParameter(position);
    addParameter(modulationLevel);
    addParameter(modulationPolarity);
}

void Panner::reset()
{
    glide.land();
}

void Panner::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    sampleRate = rateHz;
    coefficient = glideCoefficient(rateHz, kGlideSeconds);
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
        glide.setTarget(position.getReal());
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

void Panner::processSettled(const float* in, float* left, float* right, int count,
                            const ISynthComponent* modulation, float positionNow)
{
    // In place, left is the input buffer: each sample is read before either output is written.
    if (!enabled.getBool())
    {
        for (int i = 0; i < count; ++i)
        {
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
            const float x = in[i];
            left[i] = x * (1.0f - positionNow);
            right[i] = x * positionNow;
        }
    }
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

    GlideStep working = glide.begin();
    const float glideCoefficientNow = coefficient;
    const float* in = inputs[0];
    float* left = outputs[0];
    float* right = outputs[1];

    if (working.finished)
    {
        // The position rests on its target for the whole block: the same samples, from loops
        // without a glide step in them, which vectorise.
        processSettled(in, left, right, count, modulation, working.value);
    }
    else if (!enabled.getBool())
    {
        for (int i = 0; i < count; ++i)
        {
            working.step(glideCoefficientNow);
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
            working.step(glideCoefficientNow);
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
            working.step(glideCoefficientNow);
            const float x = in[i];
            left[i] = x * (1.0f - working.value);
            right[i] = x * working.value;
        }
    }

    glide.end(working);
}
