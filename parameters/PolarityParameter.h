// A sign, -1 below 0.5 and +1 from 0.5 upwards.
#pragma once

#include "parameters/Parameter.h"

class PolarityParameter : public Parameter
{
public:
    // Label "+/-", default +1.
    PolarityParameter(const char* prefix, const char* parameterName);

    int getSign() const { return sign; }
    // "+" or "-".
    void getDisplay(char* text) const override;

protected:
    void update() override;

private:
    Relaxed<int> sign;
};
