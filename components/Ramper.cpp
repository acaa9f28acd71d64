// The per-voice delayed fade-in of a global LFO.
#include "components/Ramper.h"

#include "base/SampleRate.h"

Ramper::Ramper(const char* prefixText, const ISynthComponent& source)
    : delay(prefixText, "Dela", "Secs", 0.0f, 0.0f, 4.0f, false), sampleRate(44100.0f),
      increment(0.0f), lfo(source)
{
    addParameter(delay);
    updateIncrement();
}

void Ramper::updateIncrement()
{
    increment = 1.0f / (sampleRate * delay.getReal() + 1.0f);
}

void Ramper::reset()
{
    state = kPassing;
    position = 0.0;
}

void Ramper::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    sampleRate = rateHz;
    updateIncrement();
}

const float* Ramper::getOutput() const
{
    return state == kPassing ? lfo.getOutput() : output;
}

void Ramper::process(int count)
{
    if (state == kCompleted)
    {
        state = kPassing;
        return;
    }
    count = limitBlockFrames(count);
    if (state != kRamping || count == 0)
    {
        return;
    }
    const float* in = lfo.getOutput();
    const double step = static_cast<double>(increment);
    // The sample whose position lies within half a step of 1 is the last of the fade: summing
    // rounds by far less than that, and a fade whose length is not a whole number of samples
    // ends on the nearest sample instead of overshooting 1 (a short Delay would otherwise give
    // up to (1 + step)^4, several times the LFO's depth, on its last sample).
    const double end = 1.0 - 0.5 * step;
    double ramp = position;
    int i = 0;
    while (i < count && ramp < 1.0)
    {
        ramp += step;
        if (ramp >= end)
        {
            ramp = 1.0;
        }
        const float gain = static_cast<float>(ramp);
        const float gainSquared = gain * gain;
        output[i] = gainSquared * gainSquared * in[i];
        ++i;
    }
    if (ramp >= 1.0)
    {
        for (; i < count; ++i)
        {
            output[i] = in[i];
        }
        state = kCompleted;
    }
    position = ramp;
}

void Ramper::trigger(int /*previousNote*/, int /*note*/, int /*velocity*/)
{
    state = kRamping;
    position = 0.0;
}

void Ramper::release(int /*velocity*/) {}

void Ramper::parameterChanged(int /*index*/)
{
    updateIncrement();
}
