// Counts heap allocations made by the test binary, to check that processing allocates nothing.
#pragma once

#include <atomic>

namespace TestAllocation
{

// Number of calls of the global operator new since the start of the program.
long allocations();

// Counts the allocations made while it lives.
class Scope
{
public:
    Scope() : start(allocations()) {}
    long count() const { return allocations() - start; }

private:
    long start;
};

} // namespace TestAllocation
