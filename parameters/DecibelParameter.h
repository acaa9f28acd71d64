// A linear gain 0..1 on a squared curve, shown in decibels.
#pragma once

#include "parameters/FloatParameter.h"

class DecibelParameter : public FloatParameter
{
public:
    DecibelParameter(const char* prefix, const char* parameterName, float defaultNorm);

    // "-oo" for a gain of 0, else "%.2f" of 20 log10(gain).
    void getDisplay(char* text) const override;
};
