// IProgrammable over a component's own parameters, held as a list of pointers in index order.
#pragma once

#include "parameters/IParameter.h"
#include "parameters/IProgrammable.h"

// Components derive from this, add their parameter members in index order from their
// constructor, and react to writes in parameterChanged. The parameters are owned by the derived
// component; the list only borrows them.
class ParameterList : public IProgrammable
{
public:
    // A list that reacts to a reset as to a write of the default (parameterChanged runs too);
    // otherwise a reset changes the parameter only.
    explicit ParameterList(bool reactToReset = false) : reactsToReset(reactToReset) {}
    ParameterList(const ParameterList&) = delete;
    ParameterList& operator=(const ParameterList&) = delete;

    // Resets the parameter; the component is told only if it reacts to resets (otherwise nothing
    // it derived is redone).
    void resetParameter(int index) override;
    float getValue(int index) const override;
    // Stores the value in the parameter, then calls parameterChanged(index).
    void setValue(int index, float value) override;
    void getName(int index, char* text) const override;
    void getLabel(int index, char* text) const override;
    void getDisplay(int index, char* text) const override;
    // The display text unless a component has long item texts of its own.
    void getLongDisplay(int index, char* text) const override;
    int getParameterCount() const override { return listed; }

protected:
    static constexpr int kMaxParameters = 16;

    void addParameter(IParameter& parameter);
    bool isIndex(int index) const { return index >= 0 && index < listed; }
    // Runs on the writer's thread after the parameter holds the new value.
    virtual void parameterChanged(int /*index*/) {}

private:
    IParameter* parameters[kMaxParameters] = {};
    int listed = 0;
    const bool reactsToReset;
};
