// A list of borrowed listeners that one thread may notify while another registers or removes.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

namespace Sonarch::Parameters
{

// Registration (user-interface thread) copies the list into the spare of two fixed arrays and
// publishes it; notification (any thread, the audio thread included) walks the published array
// without a lock and never waits. A change waits until notifications in flight have finished
// with the old array, so once remove returns the removed listener is not called any more. A
// listener must therefore not add or remove listeners from inside a notification.
template <typename Listener, int Capacity = 16>
class ListenerList
{
public:
    ListenerList() = default;
    ListenerList(const ListenerList&) = delete;
    ListenerList& operator=(const ListenerList&) = delete;

    // Appends; returns false when the list is full.
    bool add(Listener* listener)
    {
        if (listener == nullptr)
        {
            return false;
        }
        std::lock_guard<std::mutex> guard(changeMutex);
        const Array& now = arrays[published.load()];
        if (now.count >= Capacity)
        {
            return false;
        }
        Array& next = arrays[1 - published.load()];
        next = now;
        next.entries[next.count++] = listener;
        publish();
        return true;
    }

    // Removes every entry equal to listener.
    void remove(Listener* listener)
    {
        std::lock_guard<std::mutex> guard(changeMutex);
        const Array& now = arrays[published.load()];
        Array& next = arrays[1 - published.load()];
        next.count = 0;
        for (int i = 0; i < now.count; ++i)
        {
            if (now.entries[i] != listener)
            {
                next.entries[next.count++] = now.entries[i];
            }
        }
        publish();
    }

    // Calls call(listener) for every listener but except, in registration order.
    template <typename Call>
    void forEach(const Listener* except, Call&& call) const
    {
        inFlight.fetch_add(1);
        const Array& now = arrays[published.load()];
        for (int i = 0; i < now.count; ++i)
        {
            if (now.entries[i] != except)
            {
                call(now.entries[i]);
            }
        }
        inFlight.fetch_sub(1);
    }

    int size() const { return arrays[published.load()].count; }

private:
    struct Array
    {
        Listener* entries[Capacity] = {};
        int count = 0;
    };

    void publish()
    {
        published.store(1 - published.load());
        // Notifiers that may still read the old array finish within one walk of the list.
        while (inFlight.load() != 0)
        {
            std::this_thread::yield();
        }
    }

    Array arrays[2];
    std::atomic<int> published{0};
    mutable std::atomic<int> inFlight{0};
    std::mutex changeMutex;
};

} // namespace Sonarch::Parameters
