// A list of borrowed listeners that one thread may notify while another registers or removes.
#pragma once

#include "base/Mutex.h"

#include <atomic>
#include <thread>

namespace Sonarch::Parameters
{

// Two fixed arrays, one published. A change (user-interface thread) writes the spare array, then
// publishes it and waits until every walk that entered the old array has left it, so once add or
// remove returns no notification uses the old contents any more: a removed listener is not called
// again. A notification (any thread, the audio thread included) takes no lock and never waits for
// a change: it counts itself into the published array, walks it and counts itself out. Each array
// has its own count, so a change waits at most for walks already in the old array, never for the
// walks that start after it published (a tight notifying loop cannot hold a change up).
// A listener must not add or remove listeners from inside a notification: the change would wait
// for its own walk.
template <typename Listener, int Capacity = 16>
class ListenerList
{
public:
    ListenerList() = default;
    ListenerList(const ListenerList&) = delete;
    ListenerList& operator=(const ListenerList&) = delete;

    // Appends (a listener may be registered more than once); false when null or the list is full.
    bool add(Listener* listener)
    {
        if (listener == nullptr)
        {
            return false;
        }
        ScopedLock guard(changeLock);
        const int current = published.load();
        const Array& now = arrays[current];
        if (now.count >= Capacity)
        {
            return false;
        }
        Array& next = arrays[1 - current];
        next = now;
        next.entries[next.count++] = listener;
        publish(1 - current);
        return true;
    }

    // Removes every entry equal to listener.
    void remove(Listener* listener)
    {
        ScopedLock guard(changeLock);
        const int current = published.load();
        const Array& now = arrays[current];
        Array& next = arrays[1 - current];
        next.count = 0;
        for (int i = 0; i < now.count; ++i)
        {
            if (now.entries[i] != listener)
            {
                next.entries[next.count++] = now.entries[i];
            }
        }
        publish(1 - current);
    }

    // Calls call(listener) for every listener but except, in registration order.
    template <typename Call>
    void forEach(const Listener* except, Call&& call) const
    {
        const int current = enter();
        const Array& now = arrays[current];
        for (int i = 0; i < now.count; ++i)
        {
            if (now.entries[i] != except)
            {
                call(now.entries[i]);
            }
        }
        readers[current].fetch_sub(1);
    }

    int size() const
    {
        const int current = enter();
        const int count = arrays[current].count;
        readers[current].fetch_sub(1);
        return count;
    }

private:
    struct Array
    {
        Listener* entries[Capacity] = {};
        int count = 0;
    };

    // Counts the caller into the published array and returns its number. The second look at
    // published catches a change that published between the first look and the count: the
    // caller then counts itself out and tries again, since that change may not have waited for
    // it. Retries happen only while a change is publishing, so they end within a few rounds.
    int enter() const
    {
        for (;;)
        {
            const int current = published.load();
            readers[current].fetch_add(1);
            if (published.load() == current)
            {
                return current;
            }
            readers[current].fetch_sub(1);
        }
    }

    // Called with changeLock held once arrays[next] is complete.
    void publish(int next)
    {
        published.store(next);
        // Walks still in the old array finish within one pass over at most Capacity listeners.
        while (readers[1 - next].load() != 0)
        {
            std::this_thread::yield();
        }
    }

    Array arrays[2];
    std::atomic<int> published{0};
    mutable std::atomic<int> readers[2] = {0, 0};
    Mutex changeLock;
};

} // namespace Sonarch::Parameters
