// An envelope segment time in seconds (0..max, squared curve) with its per-sample coefficient.
#pragma once

#include "parameters/FloatParameter.h"

class AdsrTimeParameter : public FloatParameter
{
public:
    AdsrTimeParameter(const char* prefix, const char* parameterName, float defaultNorm,
                      float maxSeconds);

    // The one-pole coefficient of a segment lasting getReal() seconds:
    // 1 - exp(-1 / (timeScale * sampleRate * seconds + 1)). The + 1 keeps a time of 0 at about
    // one sample.
    float getCoefficient() const;
    void setSampleRate(float rateHz) { sampleRate = rateHz; }
    // The key-tracking factor applied to the time (1 leaves it unchanged).
    void setTimeScale(float scale) { timeScale = scale; }
    float getTimeScale() const { return timeScale; }

private:
    Relaxed<float> sampleRate;
    Relaxed<float> timeScale;
};
