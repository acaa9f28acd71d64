// The common part of the parameter classes.
#include "parameters/Parameter.h"

#include <cmath>
#include <cstdio>

float sanitizeNormalised(float value, float fallback)
{
    if (!std::isfinite(value))
    {
        return fallback;
    }
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

Parameter::Parameter(const char* prefix, const char* ownName, const char* ownLabel,
                     float defaultNorm)
    : value(defaultNorm), defaultValue(defaultNorm)
{
    char joined[64];
    if (prefix != nullptr && prefix[0] != '\0')
    {
        std::snprintf(joined, sizeof(joined), "%s %s", prefix, ownName != nullptr ? ownName : "");
    }
    else
    {
        std::snprintf(joined, sizeof(joined), "%s", ownName != nullptr ? ownName : "");
    }
    copyShortText(name, joined);
    copyShortText(label, ownLabel);
}

void Parameter::resetToDefault()
{
    setValue(defaultValue);
}

void Parameter::setValue(float newValue)
{
    value = sanitizeNormalised(newValue, defaultValue);
    update();
    if (storesSteps)
    {
        value = getStepValue();
    }
}

void Parameter::storeSteps()
{
    storesSteps = true;
    setValue(value);
}

void Parameter::getName(char* text) const
{
    copyShortText(text, name);
}

void Parameter::getLabel(char* text) const
{
    copyShortText(text, label);
}
