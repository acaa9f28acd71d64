// The gliding level control.
#include "components/Smoother.h"

#include "parameters/Parameter.h"
#include "parameters/ParameterFormat.h"

Smoother::Smoother(bool squaredCurve, DisplayMode mode, const char* ownName, const char* ownLabel,
                   float defaultSetting, float initialScale)
    : sampleRate(44100.0f), normalized(defaultSetting), defaultNormalized(defaultSetting),
      current(0.0f), target(0.0f), scale(initialScale), squared(squaredCurve), displayMode(mode),
      targetVersion(0u)
{
    copyShortText(name, ownName);
    copyShortText(label, ownLabel);
    target = mapSetting(defaultSetting);
    current = target;
    fillOutput(current);
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
    seenVersion = targetVersion;
    current = target;
    fillOutput(current);
    state = kSteady;
}

void Smoother::setScale(float newScale)
{
    scale = newScale;
    target = mapSetting(normalized);
    reset();
}

namespace
{
// One step of the glide. Close to the target the step falls below the float resolution of the
// value (at 1.0 below a gap of about 0.00015, at 44100 below about 10) and the value would stop
// short of the target for ever; a step that no longer moves the value lands on the target.
inline float glideStep(float value, float aim, float goal)
{
    const float next = value + (aim - value) * 0.0002f;
    return next == value ? goal : next;
}
} // namespace

void Smoother::process(int count)
{
    const std::uint32_t version = targetVersion;
    const float goal = target;
    if (version != seenVersion)
    {
        seenVersion = version;
        falling = !(goal > current);
        state = kGliding;
    }

    if (state == kSteady)
    {
        return;
    }
    if (state == kFinished)
    {
        fillOutput(goal);
        state = kSteady;
        return;
    }

    float value = current;
    int i = 0;
    if (!falling)
    {
        const float aim = goal + kOvershoot;
        for (; i < count && goal > value; ++i)
        {
            value = glideStep(value, aim, goal);
            output[i] = value < goal ? value : goal;
        }
    }
    else
    {
        const float aim = goal - kOvershoot;
        for (; i < count && goal < value; ++i)
        {
            value = glideStep(value, aim, goal);
            output[i] = value > goal ? value : goal;
        }
    }
    if (i < count)
    {
        // The target is reached: hold it for the rest of the block.
        value = goal;
        for (; i < count; ++i)
        {
            output[i] = goal;
        }
        state = kFinished;
    }
    current = value;
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
    target = mapSetting(setting);
    targetVersion = targetVersion + 1u;
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
        formatDecibels(text, target);
        break;
    case kDisplayPerSampleRate:
        formatShortText(text, "%.3f", static_cast<double>(target / sampleRate));
        break;
    case kDisplayValue:
    default:
        formatShortText(text, "%.3f", static_cast<double>(target));
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
