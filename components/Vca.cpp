// The master gain stage.
#include "components/Vca.h"

#include "base/SampleRate.h"

Vca::Vca()
    : sampleRate(44100.0f), level(true, Smoother::kDisplayDecibels, "M Lvl", "dB", 0.75f, 1.0f)
{
}

void Vca::process(float** inputs, float** outputs, int count)
{
    count = limitBlockFrames(count);
    if (count == 0 || inputs == nullptr || outputs == nullptr)
    {
        return;
    }
    level.process(count);
    const float* gain = level.getOutput();
    for (int channel = 0; channel < 2; ++channel)
    {
        const float* in = inputs[channel];
        float* out = outputs[channel];
        for (int i = 0; i < count; ++i)
        {
            out[i] = in[i] * gain[i];
        }
    }
}

void Vca::setValue(int index, float value)
{
    level.setValue(index, value);
}

void Vca::setSampleRate(float rateHz)
{
    if (isSupportedSampleRate(rateHz))
    {
        sampleRate = rateHz;
    }
}
