// An envelope segment time with its per-sample coefficient.
#include "parameters/AdsrTimeParameter.h"

#include <cmath>

AdsrTimeParameter::AdsrTimeParameter(const char* prefix, const char* parameterName,
                                     float defaultNorm, float maxSeconds)
    : FloatParameter(prefix, parameterName, "Secs", defaultNorm, 0.0f, maxSeconds, true),
      sampleRate(44100.0f), timeScale(1.0f)
{
}

float AdsrTimeParameter::getCoefficient() const
{
    const float timeConstantSamples = timeScale * sampleRate * getReal() + 1.0f;
    return 1.0f - std::exp(-1.0f / timeConstantSamples);
}
