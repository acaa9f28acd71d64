// A real-valued parameter on a linear or squared curve between min and max.
#pragma once

#include "parameters/Parameter.h"

class FloatParameter : public Parameter
{
public:
    FloatParameter(const char* prefix, const char* parameterName, const char* unitLabel,
                   float defaultNorm, float minValue, float maxValue, bool squaredCurve);

    // The mapped value: min + range * v, or min + range * v * v on the squared curve.
    float getReal() const { return realValue; }
    // "%.3f" of the mapped value.
    void getDisplay(char* text) const override;

    // A new maximum maps the current value anew (a smoother scaled by a delay line's length).
    void setMaximum(float maxValue);

protected:
    void update() override;

    Relaxed<float> realValue;
    const float min;
    Relaxed<float> range;
    const bool squared;
};
