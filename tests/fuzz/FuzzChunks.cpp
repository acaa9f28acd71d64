// Bank and program chunks through effSetChunk: whatever the bytes, the plug-in answers, keeps
// every parameter inside 0..1 on the host's side or as stored, renders finite sound and hands
// back chunks of the sizes it documents.
#include "tests/fuzz/FuzzHost.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

void check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "chunk fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
    {
        return 0;
    }
    // A new instance for every input, so that a finding reproduces from its input alone.
    AEffect* effect = FuzzHost::open();
    // The first byte chooses bank (even) or program (odd); the rest is the chunk, handed over in
    // a buffer of its own size so that any read past it is caught.
    const bool isProgram = (data[0] & 1) != 0;
    std::vector<std::uint8_t> chunk(data + 1, data + size);
    effect->dispatcher(effect, effSetChunk, isProgram ? 1 : 0, static_cast<VstIntPtr>(chunk.size()),
                       chunk.empty() ? nullptr : chunk.data(), 0.0f);

    // A chord, then a block.
    VstMidiEvent notes[3] = {};
    VstEvent* pointers[3];
    for (int i = 0; i < 3; ++i)
    {
        notes[i].type = kVstMidiType;
        notes[i].byteSize = sizeof(VstMidiEvent);
        notes[i].midiData[0] = static_cast<char>(0x90);
        notes[i].midiData[1] = static_cast<char>(48 + 4 * i);
        notes[i].midiData[2] = 100;
        pointers[i] = reinterpret_cast<VstEvent*>(&notes[i]);
    }
    struct
    {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[3];
    } list = {3, 0, {pointers[0], pointers[1], pointers[2]}};
    effect->dispatcher(effect, effProcessEvents, 0, 0, &list, 0.0f);
    FuzzHost::renderChecked(effect, 1024);

    // Every parameter reads back as a number, with texts inside their fields.
    for (VstInt32 index = 0; index < effect->numParams; ++index)
    {
        const float value = effect->getParameter(effect, index);
        check(!std::isnan(value), "a parameter reads back NaN");
        char text[64];
        for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
        {
            for (char& c : text)
            {
                c = '\x7f';
            }
            effect->dispatcher(effect, opcode, index, 0, text, 0.0f);
            check(text[kVstMaxParamStrLen] == '\x7f', "a parameter text overran its field");
        }
    }
    void* saved = nullptr;
    const VstIntPtr bankBytes = effect->dispatcher(effect, effGetChunk, 0, 0, &saved, 0.0f);
    check(bankBytes >= 98948 && saved != nullptr, "the bank chunk shrank");
    const VstIntPtr programBytes = effect->dispatcher(effect, effGetChunk, 1, 0, &saved, 0.0f);
    check(programBytes == 772 && saved != nullptr, "the program chunk changed size");
    FuzzHost::renderChecked(effect, 512);
    FuzzHost::close(effect);
    return 0;
}
