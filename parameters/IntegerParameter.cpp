// An integer parameter rounded half away from zero.
#include "parameters/IntegerParameter.h"

#include "parameters/ParameterFormat.h"

#include <cmath>

int roundHalfAway(float x)
{
    const int magnitude = static_cast<int>(std::fabs(x) + 0.5f);
    return x < 0.0f ? -magnitude : magnitude;
}

IntegerParameter::IntegerParameter(const char* prefix, const char* parameterName,
                                   const char* unitLabel, float defaultNorm, int minValue,
                                   int maxValue, int displayOffset)
    : Parameter(prefix, parameterName, unitLabel, defaultNorm), intValue(0), min(minValue),
      range(maxValue - minValue), shownOffset(displayOffset)
{
    update();
}

void IntegerParameter::update()
{
    const float x = value * static_cast<float>(range) + static_cast<float>(min);
    intValue = roundHalfAway(x);
}

float IntegerParameter::getStepValue() const
{
    return static_cast<float>(getInt() - min) / static_cast<float>(range);
}

void IntegerParameter::getDisplay(char* text) const
{
    formatShortText(text, "%d", getInt() + shownOffset);
}
