// Joins the parameter index spaces of several programmables end to end.
#pragma once

#include "parameters/IProgrammable.h"

#include <vector>

// A flat index is routed to the child whose range holds it and to the index local to that
// child. Children are borrowed, appended during construction of the owner and never changed
// afterwards; their counts must not change once appended.
class ProgrammableCollection : public IProgrammable
{
public:
    ProgrammableCollection() = default;
    ProgrammableCollection(const ProgrammableCollection&) = delete;
    ProgrammableCollection& operator=(const ProgrammableCollection&) = delete;

    void append(IProgrammable* child);

    void resetParameter(int index) override;
    float getValue(int index) const override;
    void setValue(int index, float value) override;
    void getName(int index, char* text) const override;
    void getLabel(int index, char* text) const override;
    void getDisplay(int index, char* text) const override;
    void getLongDisplay(int index, char* text) const override;
    int getParameterCount() const override { return total; }

private:
    // The child holding flat index, and the index local to it; null outside 0..total-1.
    IProgrammable* route(int index, int& local) const;

    std::vector<IProgrammable*> children;
    int total = 0;
};
