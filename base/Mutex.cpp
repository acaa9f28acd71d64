// The recursive lock: a Windows critical section, or a recursive standard mutex elsewhere.
#include "base/Mutex.h"

#ifdef _WIN32
#include <windows.h>

static_assert(sizeof(CRITICAL_SECTION) <= 64, "the critical section must fit its storage");

namespace
{
CRITICAL_SECTION* section(unsigned char* storage)
{
    return reinterpret_cast<CRITICAL_SECTION*>(storage);
}
} // namespace

Mutex::Mutex()
{
    InitializeCriticalSection(section(criticalSection));
}

Mutex::~Mutex()
{
    DeleteCriticalSection(section(criticalSection));
}

void Mutex::lock()
{
    EnterCriticalSection(section(criticalSection));
}

void Mutex::unlock()
{
    LeaveCriticalSection(section(criticalSection));
}

bool Mutex::tryLock()
{
    return TryEnterCriticalSection(section(criticalSection)) != 0;
}

#else

Mutex::Mutex() = default;

Mutex::~Mutex() = default;

void Mutex::lock()
{
    mutex.lock();
}

void Mutex::unlock()
{
    mutex.unlock();
}

bool Mutex::tryLock()
{
    return mutex.try_lock();
}

#endif
