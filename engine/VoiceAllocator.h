// Assigns keys to the sixteen voices: polyphonic or monophonic playing, stealing, sustain pedal.
#pragma once

#include "base/Mutex.h"
#include "engine/IControllable.h"
#include "engine/VoiceCollection.h"
#include "parameters/BooleanParameter.h"
#include "parameters/ParameterList.h"

#include <array>
#include <vector>

// Every voice that the current mode uses is in exactly one of three lists: free (not bound to a
// key, possibly still in its release; least recently freed first), active (bound to a key, oldest
// trigger first) and sustained (key released while the sustain pedal was down, not yet released).
// Monophonic playing uses only the first voice of the collection, with last-note priority over a
// stack of held keys. A new key takes the first free voice, else the first sustained one, else
// the oldest active one (stolen without a release).
//
// The one parameter, "Poly" (index 0): polyphonic from 0.5 upwards, read back as 0 or 1. Every
// write or reset, also one that keeps the mode, ends all notes and silences all voices.
//
// Threads and locks: noteOn, noteOff, controlChange, reset and applyPendingReset run on the audio
// thread inside the dispatcher's lock and then take this allocator's lock (order: dispatcher,
// then allocator). The dispatcher's reset may also come from the user-interface thread, still
// under the dispatcher's lock. A write of "Poly" comes from the user-interface thread (or from
// MIDI learn on the audio thread) and takes only this allocator's lock, so it must not touch the
// voices, which the audio thread renders under the dispatcher's lock alone: the write sets the
// mode, rebuilds the lists and clears the note table and held keys at once, and leaves the reset
// of the voices as a pending request. The audio thread carries it out in applyPendingReset, which
// the dispatcher calls at the start of every block, and before anything else in noteOn, noteOff
// and controlChange, so that no note started after the write is cut by the late reset. The
// voices therefore fall silent from the next block or the next note event, whichever comes first.
class VoiceAllocator : public IControllable, public ParameterList
{
public:
    static constexpr int kNoteCount = 128;
    // Held keys remembered for monophonic returns. A key that is pressed again after its voice was
    // stolen is listed twice, so a host that never sends note-offs could grow the stack without
    // end; beyond this many the oldest key is forgotten.
    static constexpr int kMaxHeldNotes = 256;
    static constexpr int kSustainController = 64;
    static constexpr int kInitialNote = 69;
    static constexpr int kInitialVelocity = 127;

    // All voices free in collection order, polyphonic, voices reset. The collection is borrowed.
    explicit VoiceAllocator(VoiceCollection* collection);
    VoiceAllocator(const VoiceAllocator&) = delete;
    VoiceAllocator& operator=(const VoiceAllocator&) = delete;

    // note 0..127 (others are ignored), velocity 1..127.
    void noteOn(int note, int velocity);
    // Also the note-on with velocity 0 (velocity 0). note 0..127; others are ignored.
    void noteOff(int note, int velocity);
    // Ends all notes, empties the lists and held keys, lifts the pedal, rebuilds the free list for
    // the mode and resets the voices at once, so callers hold the dispatcher's lock (or nothing
    // renders yet). lastNote and lastVelocity are kept.
    void reset();
    // Resets the voices if a write of "Poly" asked for it since the last time. Audio thread.
    void applyPendingReset();

    // Controller 64 is the sustain pedal (down from 0.5); every other controller goes to every
    // voice in collection order.
    void controlChange(int controller, float value) override;

protected:
    // A write of "Poly": the mode changes under the lock and the voices are to be reset.
    void parameterChanged(int index) override;

private:
    static constexpr int kMono = 0;
    static constexpr int kPoly = 1;

    struct HeldNote
    {
        int note;
        int velocity;
    };

    // Empties the lists, held keys and note table, lifts the pedal and refills freeVoices for the
    // mode. Lock held.
    void clearAssignments();
    void applyPendingResetLocked();
    // Removes and returns the voice for a new key, in order of preference; null if none.
    Voice* takeVoice();
    void pushHeldNote(int note, int velocity);
    void removeHeldNote(int note);

    // Parameters
    BooleanParameter polyphony;

    // The mode the lists are built for: the setting, taken over under the lock
    int mode;

    // Voices (borrowed)
    VoiceCollection* voiceCollection;

    // State
    std::vector<Voice*> freeVoices;
    std::vector<Voice*> activeVoices;
    std::vector<Voice*> sustainedVoices;
    std::array<Voice*, kNoteCount> noteVoices{};
    std::array<HeldNote, kMaxHeldNotes> heldNotes{};
    int heldNoteCount = 0;
    int lastNote = kInitialNote;
    int lastVelocity = kInitialVelocity;
    bool sustain = false;
    bool resetPending = false;

    // Lock
    Mutex lock;
};
