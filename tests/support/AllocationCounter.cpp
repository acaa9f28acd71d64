// Replaces the global operator new of the test binary with a counting one.
#include "tests/support/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace
{
std::atomic<long> counter{0};
}

namespace TestAllocation
{
long allocations()
{
    return counter.load();
}
} // namespace TestAllocation

void* operator new(std::size_t size)
{
    counter.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size > 0 ? size : 1))
    {
        return p;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

// The nothrow forms must be replaced too: library code that calls them would otherwise pair the
// runtime's allocation with the free above.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    counter.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size > 0 ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}

void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
