// The common part of the parameter classes: value, default, short name and label.
#pragma once

#include "base/Relaxed.h"
#include "base/TextField.h"
#include "parameters/IParameter.h"

// Stores the normalised value and derives the typed value from it in update(). Values that are
// not finite fall back to the default and the rest are limited to 0..1 before the typed value is
// derived: such values only arrive from damaged or foreign chunks, and they must not reach the
// components (an enumeration index past its table, a NaN in the audio).
class Parameter : public IParameter
{
public:
    // The short name is prefix, a blank and name ("%s %s"), cut to 7 characters; an empty or
    // null prefix gives the name alone.
    Parameter(const char* prefix, const char* parameterName, const char* unitLabel,
              float defaultNorm);

    Parameter(const Parameter&) = delete;
    Parameter& operator=(const Parameter&) = delete;

    void resetToDefault() override;
    float getValue() const override { return value; }
    void setValue(float newValue) override;
    void getName(char* text) const override;
    void getLabel(char* text) const override;

    float getDefaultValue() const { return defaultValue; }

    // From now on every write stores the normalised value of the step it selects instead of the
    // value written, so that the parameter reads back the setting in use (a switch written 0.7
    // reads back 1). For parameters that a component keeps as a quantised setting of its own.
    void storeSteps();

protected:
    // Recomputes the typed value from the normalised value. Runs on the writer's thread.
    virtual void update() = 0;
    // The normalised value of the step the typed value selects; stepless parameters have none.
    virtual float getStepValue() const { return value; }

    Relaxed<float> value;
    const float defaultValue;
    char name[kShortTextSize];
    char label[kShortTextSize];

private:
    bool storesSteps = false;
};

// Limits a normalised value from outside to 0..1; values that are not finite become fallback.
float sanitizeNormalised(float value, float fallback);
