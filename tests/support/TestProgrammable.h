// A parameter space for bank and MIDI-learn tests, recording every write it receives.
#pragma once

#include "parameters/IProgrammable.h"

#include <string>
#include <utility>
#include <vector>

// count plain parameters named "P<i>" (index 36 is "F Cut"), with display "%.3f" of the value,
// label "u<i>" and long display "long <i>". Index 1 quantises like a MIDI channel: a write keeps
// the nearest of the 16 steps 0, 1/15, .. 1 and reads back that step. Values are kept as written
// otherwise; indexes outside 0..count-1 are ignored and counted.
class TestProgrammable : public IProgrammable
{
public:
    static constexpr int kQuantisedIndex = 1;
    static constexpr int kQuantisedSteps = 15;

    explicit TestProgrammable(int parameterCount = 97);

    void resetParameter(int index) override;
    float getValue(int index) const override;
    void setValue(int index, float value) override;
    void getName(int index, char* text) const override;
    void getLabel(int index, char* text) const override;
    void getDisplay(int index, char* text) const override;
    void getLongDisplay(int index, char* text) const override;
    int getParameterCount() const override { return static_cast<int>(values.size()); }

    void setName(int index, const std::string& text) { names[index] = text; }

    // Every write that reached a valid index, in order.
    std::vector<std::pair<int, float>> writes;
    // Calls of any operation with an index outside 0..count-1.
    mutable int invalidIndexCalls = 0;

private:
    bool check(int index) const;

    std::vector<float> values;
    std::vector<std::string> names;
};
