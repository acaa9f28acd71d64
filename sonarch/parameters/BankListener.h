// Callbacks of the bank of programs.
#pragma once

namespace Sonarch::Parameters
{

class BankInterface;

// Notifications are synchronous and run on the thread that made the change: the host's thread,
// the editor's thread, or the audio thread (MIDI learn). A listener must not block, allocate or
// touch windows from them; the editor only posts a message to itself.
class BankListener
{
public:
    virtual ~BankListener() = default;
    virtual void programChanged(BankInterface* /*bank*/, int /*program*/) {}
    virtual void parameterChanged(BankInterface* /*bank*/, int /*index*/, float /*value*/) {}
    // The current program's contents were replaced (a program chunk was loaded).
    virtual void programUpdated(BankInterface* /*bank*/) {}
    // All programs were replaced (a bank chunk was loaded).
    virtual void bankUpdated(BankInterface* /*bank*/) {}
};

} // namespace Sonarch::Parameters
