// A stream of host calls decoded from the input: any dispatcher opcode with any index, value and
// option, setParameter and getParameter with any float, MIDI events of any bytes and offsets, and
// blocks of 0 to 20000 frames whose output must stay finite.
//
// Pointers follow the interface's rules, as a host must: texts the plug-in writes get buffers of
// at least the interface's field sizes (64 bytes here); data the plug-in reads (chunks, program
// names, canDo strings) come in buffers of any size with their size where the interface passes
// one, and strings are zero-terminated; pointer-to-pointer arguments point at pointer storage.
#include "tests/fuzz/FuzzHost.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace
{

// At most this many frames per input, so that an input runs in milliseconds.
constexpr int kFrameBudget = 60000;

struct EventList
{
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[64];
};

void dispatch(AEffect* effect, FuzzedDataProvider& input)
{
    VstInt32 opcode = input.ConsumeIntegralInRange<VstInt32>(0, 90);
    if (input.ConsumeBool())
    {
        opcode = input.ConsumeIntegral<VstInt32>(); // any number at all, now and then
    }
    if (opcode == effClose)
    {
        return; // the end of the instance, done once after the stream
    }
    const VstInt32 index = input.ConsumeBool() ? input.ConsumeIntegralInRange<VstInt32>(-2, 130)
                                               : input.ConsumeIntegral<VstInt32>();
    VstIntPtr value = input.ConsumeBool() ? input.ConsumeIntegralInRange<VstIntPtr>(-2, 130)
                                          : input.ConsumeIntegral<VstIntPtr>();
    const float opt = input.ConsumeFloatingPoint<float>();
    // Data the plug-in may read: any size, zero-terminated; at least 64 bytes for texts it writes.
    std::vector<std::uint8_t> bytes =
        input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 4096));
    const std::size_t dataSize = bytes.size();
    bytes.resize(dataSize < 64 ? 64 : dataSize + 1, 0);
    void* ptr = input.ConsumeBool() ? nullptr : bytes.data();
    void* pointerSlots[2] = {};
    switch (opcode)
    {
    case effSetChunk:
        value = input.ConsumeBool() ? static_cast<VstIntPtr>(dataSize) : value;
        if (value < 0 || static_cast<std::size_t>(value) > dataSize)
        {
            value = static_cast<VstIntPtr>(dataSize); // never more than was given
        }
        break;
    case effGetChunk:
    case effEditGetRect:
        ptr = input.ConsumeBool() ? nullptr : pointerSlots;
        break;
    case effGetSpeakerArrangement:
        value = input.ConsumeBool() ? 0 : reinterpret_cast<VstIntPtr>(&pointerSlots[0]);
        ptr = input.ConsumeBool() ? nullptr : &pointerSlots[1];
        break;
    case effProcessEvents:
    case effEditOpen:
        return; // events have their own command; no parent window exists here
    default:
        break;
    }
    effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void sendEvents(AEffect* effect, FuzzedDataProvider& input)
{
    VstMidiEvent events[64] = {};
    EventList list{};
    list.numEvents = input.ConsumeIntegralInRange<VstInt32>(0, 64);
    for (VstInt32 i = 0; i < list.numEvents; ++i)
    {
        VstMidiEvent& event = events[i];
        event.type = input.ConsumeBool() ? kVstMidiType : input.ConsumeIntegral<VstInt32>();
        event.byteSize = input.ConsumeBool() ? static_cast<VstInt32>(sizeof(VstMidiEvent))
                                             : input.ConsumeIntegral<VstInt32>();
        event.deltaFrames = input.ConsumeBool() ? input.ConsumeIntegralInRange<VstInt32>(0, 20000)
                                                : input.ConsumeIntegral<VstInt32>();
        for (char& byte : event.midiData)
        {
            byte = static_cast<char>(input.ConsumeIntegral<std::uint8_t>());
        }
        list.events[i] = reinterpret_cast<VstEvent*>(&event);
    }
    effect->dispatcher(effect, effProcessEvents, 0, 0, &list, 0.0f);
}

float anyFloat(FuzzedDataProvider& input)
{
    std::uint32_t bits = input.ConsumeIntegral<std::uint32_t>();
    float value;
    std::memcpy(&value, &bits, sizeof value); // NaNs, infinities and huge values included
    return input.ConsumeBool() ? value : input.ConsumeFloatingPointInRange<float>(0.0f, 1.0f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    AEffect* effect = FuzzHost::open();
    int frames = 0;
    while (input.remaining_bytes() > 0)
    {
        switch (input.ConsumeIntegralInRange<int>(0, 5))
        {
        case 0:
            dispatch(effect, input);
            break;
        case 1:
        {
            const VstInt32 index = input.ConsumeIntegralInRange<VstInt32>(-1, 97);
            effect->setParameter(effect, index, anyFloat(input));
            break;
        }
        case 2:
            (void)effect->getParameter(effect, input.ConsumeIntegralInRange<VstInt32>(-1, 97));
            break;
        case 3:
            sendEvents(effect, input);
            break;
        case 4:
        {
            const int block = input.ConsumeIntegralInRange<int>(0, FuzzHost::kMaxFrames);
            if (frames + block <= kFrameBudget)
            {
                FuzzHost::renderChecked(effect, block);
                frames += block;
            }
            break;
        }
        default:
        {
            // The host's transport: tempo and position of any value, valid or not.
            VstTimeInfo& time = FuzzHost::timeInfo();
            time.tempo = static_cast<double>(anyFloat(input)) * 300.0;
            time.ppqPos = static_cast<double>(anyFloat(input)) * 1000.0;
            time.flags = input.ConsumeIntegral<VstInt32>();
            break;
        }
        }
    }
    FuzzHost::renderChecked(effect, 256);
    FuzzHost::close(effect);
    return 0;
}
