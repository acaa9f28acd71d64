// The per-voice white-noise source.
#include "components/NoiseGenerator.h"

#include "base/SampleRate.h"

NoiseGenerator::NoiseGenerator(RandomGenerator& randomSource)
    : enabled("N", "On"), sampleRate(44100.0f), amplitude(nullptr), random(randomSource),
      clearRequested(false)
{
    addParameter(enabled);
}

void NoiseGenerator::parameterChanged(int /*index*/)
{
    // Only a switch from on to off can leave noise behind; writing off again (every program
    // change does) has nothing to clear.
    const bool on = enabled.getBool();
    if (!on && writtenOn)
    {
        clearRequested = true;
    }
    writtenOn = on;
}

void NoiseGenerator::process(int count)
{
    if (clearRequested)
    {
        // The request is taken back before clearing: a switch-off written meanwhile is either
        // covered by this clearing or asks again for the next block.
        clearRequested = false;
        for (float& sample : output)
        {
            sample = 0.0f;
        }
        zeroedFrames = kMaxBlockFrames;
    }
    count = limitBlockFrames(count);
    if (!enabled.getBool() || count == 0)
    {
        for (; zeroedFrames < count; ++zeroedFrames)
        {
            output[zeroedFrames] = 0.0f;
        }
        return;
    }
    zeroedFrames = 0;
    for (int i = 0; i < count; ++i)
    {
        output[i] = random.nextBipolar();
    }
    if (const ISynthComponent* source = amplitude)
    {
        const float* gain = source->getOutput();
        for (int i = 0; i < count; ++i)
        {
            output[i] *= gain[i];
        }
    }
}

void NoiseGenerator::setSampleRate(float rateHz)
{
    if (isSupportedSampleRate(rateHz))
    {
        sampleRate = rateHz;
    }
}
