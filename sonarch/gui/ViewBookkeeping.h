// The view's record of which control shows which parameter, and of what the next idle tick must
// bring up to date.
#pragma once

#include "sonarch/parameters/BankInterface.h"
#include "sonarch/parameters/BankListener.h"

#include <array>
#include <atomic>
#include <cmath>
#include <deque>
#include <map>

namespace Sonarch::Gui
{

// Display is the view's control type: getCount() parameters, getId(i) the index of each,
// setValue(i, value) shows a value without telling anybody.
//
// Changes made elsewhere (host, MIDI learn) arrive as window messages and are only recorded here;
// the idle tick then reads the live values from the bank, so a control never shows a value older
// than the last tick. A parameter changed many times between two ticks is queued once and updated
// once with its latest value, which keeps the queue no longer than the number of controls. A
// change of program or bank replaces the queue by one full refresh.
//
// The notices themselves are coalesced too: of many changes of one parameter on another thread
// (a host automating on its audio thread), only the first since its last notice arrived is
// posted, so a busy automation costs the notifying thread one post per parameter until the view
// takes it, and never floods the window's message queue.
//
// Everything runs on the view's thread, except needsNotice, noteLostNotice and
// noteLostNotification, which any thread may call.
template <typename Display>
class ViewBookkeeping
{
public:
    // Records the control under each of its parameters (a later control for the same index
    // replaces an earlier one) and shows the bank's current values.
    void registerControl(Display* display, Parameters::BankInterface& bank)
    {
        if (display == nullptr)
        {
            return;
        }
        for (int i = 0; i < display->getCount(); ++i)
        {
            const int index = display->getId(i);
            controls[index] = {display, false};
            display->setValue(index, bank.getParameter(index));
        }
    }

    // The control that shows a parameter, or null.
    Display* find(int index) const
    {
        const auto entry = controls.find(index);
        return entry != controls.end() ? entry->second.display : nullptr;
    }

    // Whether display is one of the registered controls (a control message names its sender by
    // address, which is only trusted once found here).
    bool holds(const Display* display) const
    {
        if (display == nullptr)
        {
            return false;
        }
        for (const auto& entry : controls)
        {
            if (entry.second.display == display)
            {
                return true;
            }
        }
        return false;
    }

    int controlCount() const { return static_cast<int>(controls.size()); }

    // A program or bank change: every control is set from the bank at the next tick.
    void refreshAllLater() { refreshAll = true; }

    static constexpr int kMaxIndexes = 128;

    // Any thread: whether a change of index needs a notice posted. True for the first change
    // since the last notice of that index arrived; false for indexes outside 0..127, which no
    // control shows.
    bool needsNotice(int index)
    {
        return index >= 0 && index < kMaxIndexes &&
               !noticePending[static_cast<std::size_t>(index)].exchange(true);
    }

    // A parameter changed elsewhere: the notice arrived. Indexes that no control shows are
    // ignored. Changes from now on post a new notice.
    void parameterChangedElsewhere(int index)
    {
        if (index >= 0 && index < kMaxIndexes)
        {
            noticePending[static_cast<std::size_t>(index)].store(false);
        }
        const auto entry = controls.find(index);
        if (entry == controls.end() || entry->second.queued)
        {
            return;
        }
        entry->second.queued = true;
        pendingParameters.push_back(index);
    }

    // A platform without a queue to post notices through takes them here instead, on the view's
    // thread: every parameter whose notice is pending arrives now, as parameterChangedElsewhere.
    void collectNotices()
    {
        for (int index = 0; index < kMaxIndexes; ++index)
        {
            if (noticePending[static_cast<std::size_t>(index)].load())
            {
                parameterChangedElsewhere(index);
            }
        }
    }

    // A change notice could not be delivered (the window's message queue was full): the next
    // tick refreshes everything. Any thread.
    void noteLostNotification() { lostNotification.store(true); }
    // The same for a parameter's notice: later changes of it post again.
    void noteLostNotice(int index)
    {
        noteLostNotification();
        if (index >= 0 && index < kMaxIndexes)
        {
            noticePending[static_cast<std::size_t>(index)].store(false);
        }
    }

    // The idle tick. Returns whether it was a full refresh.
    bool idle(Parameters::BankInterface& bank)
    {
        if (lostNotification.exchange(false))
        {
            refreshAll = true;
        }
        if (refreshAll)
        {
            refreshAll = false;
            clearPending();
            for (int index = 0; index < bank.getParameterCount(); ++index)
            {
                updateControl(index, bank);
            }
            return true;
        }
        while (!pendingParameters.empty())
        {
            const int index = pendingParameters.front();
            pendingParameters.pop_front();
            controls[index].queued = false;
            updateControl(index, bank);
        }
        return false;
    }

    // Shows the bank's live value on the control of a parameter, if there is one.
    void updateControl(int index, Parameters::BankInterface& bank)
    {
        bank.lock();
        if (Display* display = find(index))
        {
            display->setValue(index, bank.getParameter(index));
        }
        bank.unlock();
    }

    // The user changed a control: the value goes into the bank, and every listener but self (the
    // view, whose control already shows it) hears of it. A value for a parameter no control
    // shows, or one that is not a number, is refused (false); values outside 0..1 are clamped.
    bool controlValueChanged(int index, float valueNorm, Parameters::BankInterface& bank,
                             Parameters::BankListener* self)
    {
        if (find(index) == nullptr || std::isnan(valueNorm))
        {
            return false;
        }
        const float clamped = valueNorm < 0.0f ? 0.0f : (valueNorm > 1.0f ? 1.0f : valueNorm);
        bank.lock();
        bank.setParameter(index, clamped);
        bank.notifyParameterChanged(self, index);
        bank.unlock();
        return true;
    }

    bool isRefreshAllPending() const { return refreshAll || lostNotification.load(); }
    int pendingCount() const { return static_cast<int>(pendingParameters.size()); }

private:
    struct Entry
    {
        Display* display = nullptr;
        bool queued = false;
    };

    void clearPending()
    {
        for (const int index : pendingParameters)
        {
            controls[index].queued = false;
        }
        pendingParameters.clear();
    }

    // Not owned: the controls are child windows and die with the panel.
    std::map<int, Entry> controls;
    std::deque<int> pendingParameters;
    bool refreshAll = false;
    std::atomic<bool> lostNotification{false};
    std::array<std::atomic<bool>, kMaxIndexes> noticePending{};
};

} // namespace Sonarch::Gui
