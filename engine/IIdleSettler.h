// The engine's question before it renders or dispatches: may settings land because nothing sounds?
#pragma once

// A change of a smoothed setting glides so that sounding notes and echoes do not click; while
// nothing sounds there is nothing to protect, and the new value should hold from the first sample
// of the next note.
class IIdleSettler
{
public:
    virtual ~IIdleSettler() = default;

    // Called by the dispatcher on the audio thread, with its render lock held, at the start of
    // each block and before each message it dispatches. When no voice sounds and no effect holds
    // a tail, every smoothed setting lands on its target; otherwise nothing changes. Must not
    // allocate or block.
    virtual void settleIfIdle() = 0;
};
