// An on/off switch: on from 0.5 upwards.
#pragma once

#include "parameters/Parameter.h"

class BooleanParameter : public Parameter
{
public:
    // Label "On/Off", default off.
    BooleanParameter(const char* prefix, const char* parameterName);

    bool getBool() const { return boolValue; }
    // "On" or "Off".
    void getDisplay(char* text) const override;

protected:
    void update() override;

private:
    Relaxed<bool> boolValue;
    char onText[kShortTextSize] = "On";
    char offText[kShortTextSize] = "Off";
};
