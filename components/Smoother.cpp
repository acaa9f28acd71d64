// The gliding level control.
#include "components/Smoother.h"

#include "parameters/Parameter.h"
#include "parameters/ParameterFormat.h"

Smoother::Smoother(bool squaredCurve, DisplayMode mode, const char* ownName, const char* ownLabel,
                   float defaultSetting, float initialScale)
    : sampleRate(44100.0f), normalized(defaultSetting), defaultNormalized(defaultSetting),
      glide(0.0f, kOvershoot), scale(initialScale), squared(squaredCurve), displayMode(mode)
{
    copyShortText(name, ownName);
    copyShortText(label, ownLabel);
    glide.setTarget(mapSetting(defaultSetting));
    glide.land();
    fillOutput(glide.getValue());
}

float Smoother::mapSetting(float setting) const
{
    return squared ? setting * setting * scale : setting * scale;
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

void Smoother::setScale(float newScale)
{
    scale = newScale;
    glide.setTarget(mapSetting(normalized));
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

void Smoother::resetParameter(int index)
{
    setValue(index, defaultNormalized);
}

float Smoother::getValue(int index) const
{
    return index == 0 ? static_cast<float>(normalized) : 0.0f;
}

void Smoother::setValue(int index, float value)
{
    if (index != 0)
    {
        return;
    }
    const float setting = sanitizeNormalised(value, defaultNormalized);
    normalized = setting;
    glide.setTarget(mapSetting(setting));
}

void Smoother::getName(int index, char* text) const
{
    if (index == 0)
    {
        copyShortText(text, name);
    }
}

void Smoother::getLabel(int index, char* text) const
{
    if (index == 0)
    {
        copyShortText(text, label);
    }
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
        formatDecibels(text, glide.getTarget());
        break;
    case kDisplayPerSampleRate:
        formatShortText(text, "%.3f", static_cast<double>(glide.getTarget() / sampleRate));
        break;
    case kDisplayValue:
    default:
        formatShortText(text, "%.3f", static_cast<double>(glide.getTarget()));
        break;
    }
}

void Smoother::getLongDisplay(int index, char* text) const
{
    if (index == 0)
    {
        char shortText[kShortTextSize] = {};
        getDisplay(0, shortText);
        copyText(text, shortText, kLongTextSize);
    }
}
