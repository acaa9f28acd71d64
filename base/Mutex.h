// A recursive lock (a critical section on Windows), held through ScopedLock.
#pragma once

#ifndef _WIN32
#include <mutex>
#endif

// The thread that holds the lock may enter it again. Hold it only briefly on the audio thread:
// the longest hold is one rendered block (the dispatcher).
class Mutex
{
public:
    Mutex();
    virtual ~Mutex();

    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void lock();
    void unlock();
    // Enters when no other thread holds the lock; returns whether it did.
    bool tryLock();

private:
#ifdef _WIN32
    // Room for a CRITICAL_SECTION, kept opaque so that <windows.h> stays out of this header.
    alignas(void*) unsigned char criticalSection[64];
#else
    std::recursive_mutex mutex;
#endif
};

// Enters at construction and leaves on every way out of the scope.
class ScopedLock
{
public:
    explicit ScopedLock(Mutex& lockToHold) : mutex(lockToHold) { mutex.lock(); }
    ~ScopedLock() { mutex.unlock(); }

    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    Mutex& mutex;
};
