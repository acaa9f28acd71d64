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
    // 1 - exp(-x) as -expm1(-x): for long times at high rates exp(-x) lies within a few float
    // steps of 1, and the subtraction would lose most of the coefficient's digits (12 % at 10 s
    // and 192000 Hz).
    const float timeConstantSamples = timeScale * sampleRate * getReal() + 1.0f;
    return -std::expm1(-1.0f / timeConstantSamples);
}
