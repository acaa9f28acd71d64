// An integer parameter between min and max, rounded half away from zero.
#pragma once

#include "parameters/Parameter.h"

class IntegerParameter : public Parameter
{
public:
    // defaultNorm is normalised. The integer is shown plus displayOffset (a MIDI channel 0..15
    // shows as 1..16).
    IntegerParameter(const char* prefix, const char* parameterName, const char* unitLabel,
                     float defaultNorm, int minValue, int maxValue, int displayOffset = 0);

    int getInt() const { return intValue; }
    // "%d" of the integer plus the display offset.
    void getDisplay(char* text) const override;

protected:
    void update() override;
    // (integer - min) / range.
    float getStepValue() const override;

    Relaxed<int> intValue;
    const int min;
    const int range;
    const int shownOffset;
};

// Rounds half away from zero in single precision: the integer part of |x| + 0.5, signed as x.
int roundHalfAway(float x);
