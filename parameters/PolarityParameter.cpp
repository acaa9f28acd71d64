// A sign of -1 or +1.
#include "parameters/PolarityParameter.h"

PolarityParameter::PolarityParameter(const char* prefix, const char* parameterName)
    : Parameter(prefix, parameterName, "+/-", 1.0f), sign(1)
{
    update();
}

void PolarityParameter::update()
{
    sign = value < 0.5f ? -1 : 1;
}

void PolarityParameter::getDisplay(char* text) const
{
    copyShortText(text, getSign() > 0 ? "+" : "-");
}
