// Presents the single parameter of a self-contained programmable (a Smoother) as a parameter.
#pragma once

#include "parameters/IParameter.h"
#include "parameters/IProgrammable.h"

// Every operation calls the same operation of the target's index 0. The target is borrowed.
class SmoothParameter : public IParameter
{
public:
    explicit SmoothParameter(IProgrammable& programmable) : target(programmable) {}

    SmoothParameter(const SmoothParameter&) = delete;
    SmoothParameter& operator=(const SmoothParameter&) = delete;

    void resetToDefault() override { target.resetParameter(0); }
    float getValue() const override { return target.getValue(0); }
    void setValue(float value) override { target.setValue(0, value); }
    void getName(char* text) const override { target.getName(0, text); }
    void getLabel(char* text) const override { target.getLabel(0, text); }
    void getDisplay(char* text) const override { target.getDisplay(0, text); }

private:
    IProgrammable& target;
};
