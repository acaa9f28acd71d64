// A linear gain shown in decibels.
#include "parameters/DecibelParameter.h"

#include "parameters/ParameterFormat.h"

DecibelParameter::DecibelParameter(const char* prefix, const char* parameterName, float defaultNorm)
    : FloatParameter(prefix, parameterName, "dB", defaultNorm, 0.0f, 1.0f, true)
{
}

void DecibelParameter::getDisplay(char* text) const
{
    formatDecibels(text, getReal());
}
