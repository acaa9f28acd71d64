// Assignment of keys to voices.
#include "engine/VoiceAllocator.h"

#include <algorithm>

namespace
{
bool isNote(int note)
{
    return note >= 0 && note < VoiceAllocator::kNoteCount;
}

Voice* popFront(std::vector<Voice*>& list)
{
    Voice* voice = list.front();
    list.erase(list.begin());
    return voice;
}

void remove(std::vector<Voice*>& list, Voice* voice)
{
    const auto found = std::find(list.begin(), list.end(), voice);
    if (found != list.end())
    {
        list.erase(found);
    }
}
} // namespace

VoiceAllocator::VoiceAllocator(VoiceCollection* collection)
    : ParameterList(true), polyphony("", "Poly", "Poly", 1.0f, "Mono", "Poly"), mode(kPoly),
      voiceCollection(collection)
{
    polyphony.storeSteps();
    addParameter(polyphony);
    // Room for every voice, so that moving voices between lists never allocates.
    freeVoices.reserve(VoiceCollection::kVoiceCount);
    activeVoices.reserve(VoiceCollection::kVoiceCount);
    sustainedVoices.reserve(VoiceCollection::kVoiceCount);
    // The default setting, applied at once: nothing renders yet.
    reset();
}

void VoiceAllocator::clearAssignments()
{
    freeVoices.clear();
    activeVoices.clear();
    sustainedVoices.clear();
    heldNoteCount = 0;
    sustain = false;
    const int used = mode == kPoly ? voiceCollection->getVoiceCount() : 1;
    for (int i = 0; i < used; ++i)
    {
        freeVoices.push_back(voiceCollection->getVoice(i));
    }
    noteVoices.fill(nullptr);
}

void VoiceAllocator::reset()
{
    ScopedLock guard(lock);
    clearAssignments();
    resetPending = false;
    voiceCollection->reset();
}

void VoiceAllocator::applyPendingReset()
{
    ScopedLock guard(lock);
    applyPendingResetLocked();
}

void VoiceAllocator::applyPendingResetLocked()
{
    if (resetPending)
    {
        resetPending = false;
        voiceCollection->reset();
    }
}

Voice* VoiceAllocator::takeVoice()
{
    if (!freeVoices.empty())
    {
        return popFront(freeVoices);
    }
    if (!sustainedVoices.empty())
    {
        return popFront(sustainedVoices);
    }
    if (!activeVoices.empty())
    {
        // The oldest sounding key loses its voice without a release.
        Voice* voice = popFront(activeVoices);
        const int stolenNote = voice->getCurrentNote();
        if (isNote(stolenNote) && noteVoices[static_cast<std::size_t>(stolenNote)] == voice)
        {
            noteVoices[static_cast<std::size_t>(stolenNote)] = nullptr;
        }
        return voice;
    }
    return nullptr;
}

void VoiceAllocator::pushHeldNote(int note, int velocity)
{
    if (heldNoteCount == kMaxHeldNotes)
    {
        std::copy(heldNotes.begin() + 1, heldNotes.end(), heldNotes.begin());
        --heldNoteCount;
    }
    heldNotes[static_cast<std::size_t>(heldNoteCount++)] = HeldNote{note, velocity};
}

void VoiceAllocator::removeHeldNote(int note)
{
    const auto end = heldNotes.begin() + heldNoteCount;
    const auto found = std::find_if(heldNotes.begin(), end,
                                    [note](const HeldNote& held) { return held.note == note; });
    if (found != end)
    {
        std::copy(found + 1, end, found);
        --heldNoteCount;
    }
}

void VoiceAllocator::noteOn(int note, int velocity)
{
    if (!isNote(note))
    {
        return;
    }
    ScopedLock guard(lock);
    applyPendingResetLocked();
    const auto slot = static_cast<std::size_t>(note);
    if (noteVoices[slot] != nullptr)
    {
        noteOff(note, 0);
    }
    Voice* voice = takeVoice();
    if (voice == nullptr)
    {
        return;
    }
    voice->trigger(lastNote, note, velocity);
    activeVoices.push_back(voice);
    lastNote = note;
    lastVelocity = velocity;
    pushHeldNote(note, velocity);
    noteVoices[slot] = voice;
}

void VoiceAllocator::noteOff(int note, int velocity)
{
    if (!isNote(note))
    {
        return;
    }
    ScopedLock guard(lock);
    applyPendingResetLocked();
    removeHeldNote(note);
    if (heldNoteCount > 0)
    {
        const HeldNote& newest = heldNotes[static_cast<std::size_t>(heldNoteCount - 1)];
        lastNote = newest.note;
        lastVelocity = newest.velocity;
    }
    const auto slot = static_cast<std::size_t>(note);
    Voice* voice = noteVoices[slot];
    if (voice == nullptr)
    {
        return;
    }
    noteVoices[slot] = nullptr;
    if (mode == kMono && heldNoteCount > 0)
    {
        // Back to the newest key still held, gliding from the released one; the pedal plays no
        // part here.
        voice->trigger(note, lastNote, lastVelocity);
        noteVoices[static_cast<std::size_t>(lastNote)] = voice;
        return;
    }
    remove(activeVoices, voice);
    if (sustain)
    {
        sustainedVoices.push_back(voice);
    }
    else
    {
        voice->release(velocity);
        freeVoices.push_back(voice);
    }
}

void VoiceAllocator::controlChange(int controller, float value)
{
    ScopedLock guard(lock);
    applyPendingResetLocked();
    if (controller != kSustainController)
    {
        voiceCollection->controlChange(controller, value);
        return;
    }
    if (value >= 0.5f)
    {
        sustain = true;
        return;
    }
    sustain = false;
    for (Voice* voice : sustainedVoices)
    {
        voice->release(0);
        freeVoices.push_back(voice);
    }
    sustainedVoices.clear();
}

void VoiceAllocator::parameterChanged(int /*index*/)
{
    ScopedLock guard(lock);
    mode = polyphony.getBool() ? kPoly : kMono;
    clearAssignments();
    resetPending = true;
}
