// Reacts to keys.
#pragma once

// Both operations run on the audio thread, inside the voice allocator's lock.
class ITriggerable
{
public:
    virtual ~ITriggerable() = default;
    // note and previousNote are MIDI notes 0..127, velocity 1..127. previousNote is the note the
    // allocator played last (69 before the first note); a glide starts from it.
    virtual void trigger(int previousNote, int note, int velocity) = 0;
    // velocity is the note-off velocity, 0 when the release comes from the sustain pedal or from
    // a repeated note-on of a sounding key.
    virtual void release(int velocity) = 0;
};
