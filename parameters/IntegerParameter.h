// An integer parameter between min and max, rounded half away from zero.
#pragma once

#include "parameters/Parameter.h"

class IntegerParameter : public Parameter
{
public:
    // defaultValue is normalised.
    IntegerParameter(const char* prefix, const char* parameterName, const char* unitLabel,
                     float defaultNorm, int minValue, int maxValue);

    int getInt() const { return intValue; }
    // "%d" of the integer.
    void getDisplay(char* text) const override;

protected:
    void update() override;

    Relaxed<int> intValue;
    const int min;
    const int range;
};

// Rounds half away from zero in single precision: the integer part of |x| + 0.5, signed as x.
int roundHalfAway(float x);
