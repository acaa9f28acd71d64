// An on/off switch: on from 0.5 upwards.
#pragma once

#include "parameters/Parameter.h"

class BooleanParameter : public Parameter
{
public:
    // Label "On/Off", default off, shown "On" and "Off".
    BooleanParameter(const char* prefix, const char* parameterName);
    // A switch with a label, default and texts of its own ("Mono" and "Poly" for the polyphony).
    BooleanParameter(const char* prefix, const char* parameterName, const char* unitLabel,
                     float defaultNorm, const char* offName, const char* onName);

    bool getBool() const { return boolValue; }
    // The on or the off text.
    void getDisplay(char* text) const override;

protected:
    void update() override;
    // 0 or 1.
    float getStepValue() const override { return getBool() ? 1.0f : 0.0f; }

private:
    Relaxed<bool> boolValue;
    char onText[kShortTextSize] = "On";
    char offText[kShortTextSize] = "Off";
};
