// Time-ordered MIDI dispatch and the block-rendering loop.
#include "engine/MessageDispatcher.h"

#include "sonarch/midi/MidiLearn.h"

#include <algorithm>

namespace
{
constexpr int kNoteOff = 0x80;
constexpr int kNoteOn = 0x90;
constexpr int kControlChange = 0xB0;
constexpr int kChannelPressure = 0xD0;
constexpr int kPitchBend = 0xE0;

constexpr int kAllSoundOff = 120;
constexpr int kAllNotesOff = 123;
constexpr int kOmniOff = 124;
constexpr int kOmniOn = 125;

constexpr float kDataByteToNormalised = 1.0f / 127.0f;
// 14-bit bend values 0..16383 with the rest position 8192.
constexpr int kBendCentre = 8192;
constexpr float kBendScale = 1.0f / 8192.0f;

constexpr int kLastChannel = 15;

bool isDataByte(int value)
{
    return value >= 0 && value <= 127;
}
} // namespace

MessageDispatcher::MessageDispatcher(VoiceCollection* voiceCollection,
                                     VoiceAllocator* voiceAllocator,
                                     SynthComponentCollection* globalCollection,
                                     EffectComponentCollection* effectCollection,
                                     Sonarch::Midi::MidiLearn* learn)
    : channel("", "MIDI CH", "1-16", 0.0f, 0, kLastChannel, 1),
      omni("", "OMNI", "On/Off", 1.0f, "Off", "On"), voices(voiceCollection),
      allocator(voiceAllocator), globalComponents(globalCollection), effects(effectCollection),
      midiLearn(learn)
{
    channel.storeSteps();
    omni.storeSteps();
    addParameter(channel);
    addParameter(omni);
}

void MessageDispatcher::addControllable(IControllable* controllable)
{
    if (controllable != nullptr)
    {
        controllables.push_back(controllable);
    }
}

void MessageDispatcher::enqueue(const MidiEvent& event)
{
    if ((event.status & 0xF0) == kControlChange &&
        (event.firstData == kAllSoundOff || event.firstData == kAllNotesOff))
    {
        reset();
        return;
    }
    MidiEvent queued = event;
    queued.deltaFrames = std::max(queued.deltaFrames, 0);
    ScopedLock guard(lock);
    events.insert(queued);
}

void MessageDispatcher::render(float** outputs, int frames)
{
    ScopedLock guard(lock);
    // A write of "Poly" since the last block asked for the voices to be reset.
    allocator->applyPendingReset();
    if (frames <= 0)
    {
        return;
    }
    settleIfIdle();
    int position = 0;
    for (;;)
    {
        if (events.empty())
        {
            renderFrames(outputs, position, frames - position);
            return;
        }
        const MidiEvent event = events.front();
        events.popFront();
        if (event.deltaFrames <= frames)
        {
            if (event.deltaFrames > position)
            {
                renderFrames(outputs, position, event.deltaFrames - position);
                position = event.deltaFrames;
                settleIfIdle();
            }
            dispatch(event);
        }
        else
        {
            // The next event lies beyond the block: it and all after it take effect here.
            dispatch(event);
            while (!events.empty())
            {
                const MidiEvent later = events.front();
                events.popFront();
                dispatch(later);
            }
        }
    }
}

void MessageDispatcher::settleIfIdle()
{
    if (idleSettler != nullptr)
    {
        idleSettler->settleIfIdle();
    }
}

void MessageDispatcher::renderFrames(float** outputs, int offset, int count)
{
    while (count > 0)
    {
        const int pieceFrames = std::min(count, kMaxBlockFrames);
        float* channels[2] = {outputs[0] + offset, outputs[1] + offset};
        if (globalComponents != nullptr)
        {
            globalComponents->process(pieceFrames);
        }
        voices->process(channels[0], pieceFrames);
        if (effects != nullptr)
        {
            effects->process(channels, channels, pieceFrames);
        }
        count -= pieceFrames;
        offset += pieceFrames;
    }
}

void MessageDispatcher::dispatch(const MidiEvent& event)
{
    const int status = event.status & 0xFF;
    const int messageChannel = status & 0x0F;
    const bool channelMatches = omni.getBool() || messageChannel == channel.getInt();
    const int first = event.firstData;
    const int second = event.secondData;
    switch (status & 0xF0)
    {
    case kNoteOn:
        if (channelMatches && isDataByte(first) && isDataByte(second))
        {
            if (second != 0)
            {
                allocator->noteOn(first, second);
            }
            else
            {
                allocator->noteOff(first, 0);
            }
        }
        break;
    case kNoteOff:
        if (channelMatches && isDataByte(first))
        {
            allocator->noteOff(first, isDataByte(second) ? second : 0);
        }
        break;
    case kControlChange:
        if (isDataByte(first) && isDataByte(second))
        {
            dispatchControlChange(messageChannel, channelMatches, first, second);
        }
        break;
    case kChannelPressure:
        if (channelMatches && isDataByte(first))
        {
            voices->press(static_cast<float>(first) * kDataByteToNormalised);
        }
        break;
    case kPitchBend:
        if (channelMatches && isDataByte(first) && isDataByte(second))
        {
            voices->bend(static_cast<float>(second * 128 + first - kBendCentre) * kBendScale);
        }
        break;
    default:
        break;
    }
}

void MessageDispatcher::dispatchControlChange(int messageChannel, bool channelMatches,
                                              int controller, int value)
{
    // MIDI learn hears every channel, also what the channel filter drops below.
    if (midiLearn != nullptr)
    {
        midiLearn->controlChange(controller, value);
    }
    // Omni off and on are obeyed on the listened channel only, whatever the omni setting; the
    // bank and the editor are not told.
    if (controller == kOmniOff || controller == kOmniOn)
    {
        if (messageChannel == channel.getInt())
        {
            omni.setValue(controller == kOmniOn ? 1.0f : 0.0f);
        }
        return;
    }
    if (!channelMatches)
    {
        return;
    }
    const float valueNorm = static_cast<float>(value) * kDataByteToNormalised;
    for (IControllable* controllable : controllables)
    {
        controllable->controlChange(controller, valueNorm);
    }
}

void MessageDispatcher::reset()
{
    ScopedLock guard(lock);
    events.clear();
    voices->reset();
    allocator->reset();
    if (globalComponents != nullptr)
    {
        globalComponents->reset();
    }
    if (effects != nullptr)
    {
        effects->reset();
    }
}
