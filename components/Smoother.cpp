// The gliding level control.
#include "components/Smoother.h"

#include "base/SampleRate.h"
#include "parameters/ParameterFormat.h"

Smoother::Smoother(bool squaredCurve, DisplayMode mode, const char* ownName, const char* ownLabel,
                   float defaultSetting, float initialScale)
    : ParameterList(true), sampleRate(44100.0f),
      setting("", ownName, ownLabel, defaultSetting, 0.0f, initialScale, squaredCurve),
      displayMode(mode), glide(setting.getReal(), kOvershoot)
{
    addParameter(setting);
    fillOutput(glide.getValue());
}

void Smoother::fillOutput(float value)
{
    for (float& sample : output)
    {
        sample = value;
    }
}

void Smoother::reset()
{
    glide.land();
    fillOutput(glide.getValue());
    state = kSteady;
}

void Smoother::settle()
{
    if (state != kSteady || !glide.isSettled())
    {
        reset();
    }
}

void Smoother::setScale(float newScale)
{
    setting.setMaximum(newScale);
    glide.setTarget(setting.getReal());
    reset();
}

void Smoother::process(int count)
{
    count = limitBlockFrames(count);
    GlideStep working = glide.begin();
    if (working.finished)
    {
        // A glide that ended in the last block leaves the target in the whole buffer once.
        if (state == kFinished)
        {
            fillOutput(working.goal);
            state = kSteady;
        }
        return;
    }

    int i = 0;
    for (; i < count && !working.finished; ++i)
    {
        working.step(kCoefficient);
        output[i] = working.value;
    }
    // The target is reached: hold it for the rest of the block.
    for (; i < count; ++i)
    {
        output[i] = working.goal;
    }
    state = working.finished ? kFinished : kGliding;
    glide.end(working);
}

void Smoother::parameterChanged(int /*index*/)
{
    glide.setTarget(setting.getReal());
}

void Smoother::getDisplay(int index, char* text) const
{
    if (index != 0)
    {
        return;
    }
    switch (displayMode)
    {
    case kDisplayDecibels:
        formatDecibels(text, setting.getReal());
        break;
    case kDisplayMilliseconds:
        formatShortText(text, "%.1f",
                        1000.0 * static_cast<double>(setting.getReal()) /
                            static_cast<double>(sampleRate));
        break;
    case kDisplayValue:
    default:
        setting.getDisplay(text);
        break;
    }
}

void Smoother::setSampleRate(float rateHz)
{
    if (isSupportedSampleRate(rateHz))
    {
        sampleRate = rateHz;
    }
}
