// A fine detune shown in cents.
#include "parameters/DetuneParameter.h"

#include "parameters/ParameterFormat.h"

DetuneParameter::DetuneParameter(const char* prefix, const char* parameterName, float defaultNorm)
    : FloatParameter(prefix, parameterName, "Cents", defaultNorm, -1.0f, 1.0f, false)
{
}

void DetuneParameter::getDisplay(char* text) const
{
    formatShortText(text, "%.2f", static_cast<double>(getReal() * 100.0f));
}
