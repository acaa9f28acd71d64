// A list of borrowed listeners that one thread may notify while another registers or removes.
#pragma once

#include "base/Mutex.h"

#include <atomic>
#include <thread>

namespace Sonarch::Parameters
{

// Two fixed arrays, one published. A change writes the spare array, publishes it and waits until
// every walk of another thread that entered the old array has left it, so once add or remove
// returns no notification uses the old contents any more: a removed listener is not called
// again. A notification (any thread, the audio thread included) takes no lock, allocates nothing
// and never waits for a change: it records itself in a walk slot with the array it reads, walks
// a copy of that array and clears the slot.
//
// Re-entrancy: a listener may add or remove listeners (its own registration included) from
// inside a notification, on the notifying thread, as a host does that closes the editor from the
// automation call a knob turn sends. The change does not wait for the walks of its own thread,
// which are suspended below it; each of them notices the change when the listener returns and
// calls only those of its remaining listeners that are still registered. A listener may thus be
// destroyed as soon as its removal returns, even by a call made from inside a walk.
// A listener of another thread's walk must not wait for a change that waits for that walk.
template <typename Listener, int Capacity = 16, int Walks = 32>
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

    // Calls call(listener) for every listener but except, in registration order. A listener
    // removed by one of the calls is not called afterwards.
    template <typename Call>
    void forEach(const Listener* except, Call&& call) const
    {
        Walk& walk = claimWalk();
        unsigned seen = version.load();
        int current = enter(walk);
        const Array snapshot = arrays[current];
        bool changed = false;
        for (int i = 0; i < snapshot.count; ++i)
        {
            Listener* const listener = snapshot.entries[i];
            const unsigned now = version.load();
            if (now != seen)
            {
                // A change published since the copy: read the array now published instead.
                seen = now;
                current = enter(walk);
                changed = true;
            }
            if (listener != except && (!changed || contains(arrays[current], listener)))
            {
                call(listener);
            }
        }
        leave(walk);
    }

    int size() const
    {
        Walk& walk = claimWalk();
        const int count = arrays[enter(walk)].count;
        leave(walk);
        return count;
    }

private:
    struct Array
    {
        Listener* entries[Capacity] = {};
        int count = 0;
    };

    // One notification in progress: its thread and the array it reads (-1 while between arrays).
    struct Walk
    {
        std::atomic<bool> used{false};
        std::atomic<int> array{-1};
        std::atomic<std::thread::id> thread{};
    };

    static bool contains(const Array& array, const Listener* listener)
    {
        for (int i = 0; i < array.count; ++i)
        {
            if (array.entries[i] == listener)
            {
                return true;
            }
        }
        return false;
    }

    // Takes a free slot. Slots are held only for the length of one walk, and there are more of
    // them than threads times nesting depth, so the search ends at once in practice.
    Walk& claimWalk() const
    {
        for (;;)
        {
            for (Walk& walk : walks)
            {
                bool expected = false;
                if (!walk.used.load() && walk.used.compare_exchange_strong(expected, true))
                {
                    walk.thread.store(std::this_thread::get_id());
                    return walk;
                }
            }
            std::this_thread::yield();
        }
    }

    // Records the walk in the published array and returns its number. The second look at
    // published catches a change that published between the first look and the record: the walk
    // then tries again, since that change may not have waited for it.
    int enter(Walk& walk) const
    {
        for (;;)
        {
            const int current = published.load();
            walk.array.store(current);
            if (published.load() == current)
            {
                return current;
            }
        }
    }

    static void leave(Walk& walk)
    {
        walk.array.store(-1);
        walk.used.store(false);
    }

    // Whether a walk of another thread still reads arrays[array].
    bool readByOtherThreads(int array) const
    {
        const std::thread::id self = std::this_thread::get_id();
        for (const Walk& walk : walks)
        {
            if (walk.used.load() && walk.array.load() == array && walk.thread.load() != self)
            {
                return true;
            }
        }
        return false;
    }

    // Called with changeLock held once arrays[next] is complete.
    void publish(int next)
    {
        version.fetch_add(1);
        published.store(next);
        // Walks of other threads still in the old array finish within one pass over at most
        // Capacity listeners.
        while (readByOtherThreads(1 - next))
        {
            std::this_thread::yield();
        }
    }

    Array arrays[2];
    std::atomic<int> published{0};
    // Counts publications, so that a walk notices a change even when two of them bring the same
    // array back.
    std::atomic<unsigned> version{0};
    mutable Walk walks[Walks];
    Mutex changeLock;
};

} // namespace Sonarch::Parameters
