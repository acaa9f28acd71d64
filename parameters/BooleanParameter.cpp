// An on/off switch.
#include "parameters/BooleanParameter.h"

BooleanParameter::BooleanParameter(const char* prefix, const char* parameterName)
    : Parameter(prefix, parameterName, "On/Off", 0.0f), boolValue(false)
{
    update();
}

BooleanParameter::BooleanParameter(const char* prefix, const char* parameterName,
                                   const char* unitLabel, float defaultNorm, const char* offName,
                                   const char* onName)
    : Parameter(prefix, parameterName, unitLabel, defaultNorm), boolValue(false)
{
    copyShortText(offText, offName);
    copyShortText(onText, onName);
    update();
}

void BooleanParameter::update()
{
    boolValue = value >= 0.5f;
}

void BooleanParameter::getDisplay(char* text) const
{
    copyShortText(text, getBool() ? onText : offText);
}
