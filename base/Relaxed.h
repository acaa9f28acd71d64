// A value shared between threads whose races the design tolerates: relaxed atomic loads and stores.
#pragma once

#include <atomic>

// The user-interface thread writes parameter values and derived coefficients while the audio
// thread reads them. Each read sees either the old or the new value, never a torn one; no
// ordering with other memory is promised or needed.
template <typename T>
class Relaxed
{
public:
    static_assert(std::atomic<T>::is_always_lock_free, "shared values must be lock-free");

    Relaxed() : value(T()) {}
    Relaxed(T initial) : value(initial) {}
    Relaxed(const Relaxed&) = delete;

    Relaxed& operator=(T newValue)
    {
        value.store(newValue, std::memory_order_relaxed);
        return *this;
    }
    Relaxed& operator=(const Relaxed& other)
    {
        store(other.load());
        return *this;
    }

    operator T() const { return value.load(std::memory_order_relaxed); }
    T load() const { return value.load(std::memory_order_relaxed); }
    void store(T newValue) { value.store(newValue, std::memory_order_relaxed); }

private:
    std::atomic<T> value;
};
