// Joins the parameter index spaces of several programmables end to end.
#pragma once

#include "parameters/ForwardingProgrammable.h"

#include <vector>

// A flat index is routed to the child whose range holds it and to the index local to that
// child. Children are borrowed, appended during construction of the owner and never changed
// afterwards; their counts must not change once appended.
class ProgrammableCollection : public ForwardingProgrammable
{
public:
    ProgrammableCollection() = default;
    ProgrammableCollection(const ProgrammableCollection&) = delete;
    ProgrammableCollection& operator=(const ProgrammableCollection&) = delete;

    // A null child is ignored.
    void append(IProgrammable* child);

    int getParameterCount() const override { return total; }

protected:
    // The one child holding flat index; empty outside 0..total-1.
    std::span<IProgrammable* const> route(int index, int& local) const override;

private:
    std::vector<IProgrammable*> children;
    int total = 0;
};
