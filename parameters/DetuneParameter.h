// A fine detune of -1..+1 semitone, shown in cents.
#pragma once

#include "parameters/FloatParameter.h"

class DetuneParameter : public FloatParameter
{
public:
    DetuneParameter(const char* prefix, const char* parameterName, float defaultNorm);

    // "%.2f" of the detune in cents.
    void getDisplay(char* text) const override;
};
