// Listener bookkeeping shared by banks of programs.
#pragma once

#include "sonarch/parameters/BankInterface.h"
#include "sonarch/parameters/BankListener.h"
#include "sonarch/parameters/ListenerList.h"

namespace Sonarch::Parameters
{

// Keeps the listeners (borrowed, in registration order) and tells them of changes. Registration
// runs on the user-interface thread while the audio thread may be notifying (MIDI learn): the
// notifying thread never waits for a registration, and once removeListener returns the listener
// is not called any more. At most kMaxListeners registrations are kept; further ones are
// dropped. lock and unlock do nothing: the bank's own data need no lock.
class BankBase : public BankInterface
{
public:
    static constexpr int kMaxListeners = 16;

    BankBase() = default;
    BankBase(const BankBase&) = delete;
    BankBase& operator=(const BankBase&) = delete;

    void addListener(BankListener* listener) override;
    void removeListener(BankListener* listener) override;
    void notifyProgramChanged(BankListener* except) override;
    // Passes the live value getParameter(index).
    void notifyParameterChanged(BankListener* except, int index) override;
    void notifyProgramUpdated(BankListener* except) override;
    void notifyBankUpdated(BankListener* except) override;

    void lock() override {}
    void unlock() override {}

private:
    ListenerList<BankListener, kMaxListeners> listeners;
};

} // namespace Sonarch::Parameters
