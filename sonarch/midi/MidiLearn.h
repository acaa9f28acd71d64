// Bindings of MIDI continuous controllers to parameters, learned or chosen from a list.
#pragma once

#include "base/Mutex.h"
#include "base/Relaxed.h"
#include "sonarch/midi/MidiLearnListener.h"
#include "sonarch/parameters/ChunkReader.h"
#include "sonarch/parameters/ChunkWriter.h"
#include "sonarch/parameters/ListenerList.h"

#include <atomic>

namespace Sonarch::Parameters
{
class BankInterface;
}

namespace Sonarch::Midi
{

// A parameter is bound to at most one controller; a controller drives any number of parameters,
// in binding order. The tables are fixed arrays: binding and unbinding never allocate, because a
// learned controller binds on the audio thread.
//
// Threads: controlChange runs on the audio thread and never waits. Every operation of the editor
// takes the table's lock only for the moment it reads or changes the tables, never across a
// menu or dialog, so bound controllers keep playing while one is open. A controller that arrives
// in such a moment is kept (the latest value of each controller) and applied as soon as the lock
// is free: by the editor when it leaves the lock, or by the next control change. A dialog that
// edits the bindings (the Edit MIDI Learn dialog, the question before Clear All, the import)
// runs between beginEdit and endEdit: a controller learned meanwhile is bound when the last edit
// ends, after what the dialog did, so the dialog cannot undo it unseen.
class MidiLearn
{
public:
    static constexpr int kControllerCount = 128;
    // Parameter indexes that can be bound: 0..kMaxParameters-1, and below the bank's count.
    static constexpr int kMaxParameters = 128;
    static constexpr int kNone = -1;

    explicit MidiLearn(Parameters::BankInterface* bank);
    virtual ~MidiLearn();
    MidiLearn(const MidiLearn&) = delete;
    MidiLearn& operator=(const MidiLearn&) = delete;

    // Every control-change message of any channel: controller and value are the raw data bytes
    // 0..127 (anything else is ignored). While learning, binds the learn target to the
    // controller and ends learning without applying the value; otherwise writes value / 127 into
    // every parameter bound to the controller through the bank and tells every bank listener.
    void controlChange(int controller, int value);

    void setLearnTarget(int parameter) { learnTarget = parameter; }
    int getLearnTarget() const { return learnTarget; }
    // Turns learning on (listeners hear learnBegan) unless it is on already.
    void beginLearn();
    // Turns learning off (listeners hear learnEnded) if it is on. The audio thread (a learned
    // controller) and the editor may both end learning at once: only one of them tells the
    // listeners.
    void endLearn();
    bool isLearning() const { return learning; }

    // Binds parameter to controller after unbinding it; invalid indexes are ignored.
    void map(int parameter, int controller);
    void unmap(int parameter);
    void clearAll();
    // The bound controller, or kNone.
    int getController(int parameter) const;
    // The parameters bound to a controller, in binding order.
    int getBindingCount(int controller) const;
    int getBoundParameter(int controller, int position) const;

    // The table: for controller 0..127 an int32 count and that many int32 parameter indexes,
    // little-endian.
    void write(Parameters::ChunkWriter& writer);
    // Clears all bindings and reads a table. Stops at the end of the data or at a damaged count
    // (negative, or above kMaxParameters, more than one controller can drive) and returns false;
    // what was read until then stays. Indexes that cannot be bound are skipped, so no invalid
    // index ever reaches the bank.
    bool read(Parameters::ChunkReader& reader);

    void addListener(MidiLearnListener* listener) { listeners.add(listener); }
    void removeListener(MidiLearnListener* listener) { listeners.remove(listener); }

    // Held by the editor while it reads the tables (recursive, user-interface thread only, and
    // briefly: never across a modal loop). Leaving the outermost hold applies what the audio
    // thread could not apply meanwhile.
    void lock();
    void unlock();

    // Holds the lock (lock/unlock) for a scope.
    class Hold
    {
    public:
        explicit Hold(MidiLearn& held) : table(held) { table.lock(); }
        ~Hold() { table.unlock(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        MidiLearn& table;
    };

    // Around a dialog that edits the bindings (user-interface thread; may nest).
    void beginEdit();
    void endEdit();

private:
    bool isBindable(int parameter) const;
    // Writes value / 127 into every parameter of the controller; with the lock held.
    void applyLocked(int controller, int value);
    // Applies the kept controller values, and a kept learned binding unless an edit runs; with
    // the lock held.
    void applyPendingLocked();
    // Learning: binds the target to the controller (now, or when the edits end) and ends
    // learning; with the lock held.
    void learnLocked(int controller);
    void mapLocked(int parameter, int controller);
    void unmapLocked(int parameter);
    void clearLocked();

    std::atomic<bool> learning;
    Relaxed<int> learnTarget;
    Parameters::ListenerList<MidiLearnListener> listeners;
    // controllerParameters[c][0..controllerCounts[c]-1]: parameters of controller c in order.
    int controllerParameters[kControllerCount][kMaxParameters];
    int controllerCounts[kControllerCount];
    // parameterController[p]: the controller of parameter p, or kNone.
    int parameterController[kMaxParameters];
    Parameters::BankInterface* bank;
    Mutex tableLock;
    // Editor holds of the lock (user-interface thread only).
    int editorHolds = 0;
    // Dialogs that edit the bindings, open now.
    std::atomic<int> edits{0};
    // Kept by the audio thread when the lock was taken: the latest value of each controller
    // (kNone for none), and a learned binding (target * 256 + controller, or kNone).
    std::atomic<int> pendingValues[kControllerCount];
    std::atomic<bool> valuesPending{false};
    std::atomic<int> pendingLearn{kNone};
};

} // namespace Sonarch::Midi
