// A real-valued parameter on a linear or squared curve.
#include "parameters/FloatParameter.h"

#include "parameters/ParameterFormat.h"

FloatParameter::FloatParameter(const char* prefix, const char* parameterName, const char* unitLabel,
                               float defaultNorm, float minValue, float maxValue, bool squaredCurve)
    : Parameter(prefix, parameterName, unitLabel, defaultNorm), realValue(0.0f), min(minValue),
      range(maxValue - minValue), squared(squaredCurve)
{
    update();
}

void FloatParameter::update()
{
    const float v = value;
    const float span = range;
    realValue = squared ? min + span * v * v : min + span * v;
}

void FloatParameter::setMaximum(float maxValue)
{
    range = maxValue - min;
    update();
}

void FloatParameter::getDisplay(char* text) const
{
    formatShortText(text, "%.3f", static_cast<double>(getReal()));
}
