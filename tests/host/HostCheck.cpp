// Drives a built Tavrel plug-in only through its exported entry and AEffect, as a host would.
// Built natively (dlopen on tavrel.so) and for Windows (LoadLibrary on the DLL, run under Wine).
#include "tools/host/HostCallback.h"
#include "tools/host/PluginLibrary.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{

int failures = 0;
int checks = 0;

void check(bool condition, const char* what, const char* file, int line)
{
    ++checks;
    if (!condition)
    {
        ++failures;
        std::printf("FAIL %s:%d: %s\n", file, line, what);
    }
}

#define CHECK(condition) check((condition), #condition, __FILE__, __LINE__)

void checkEntryPoints(PluginLibrary& library)
{
    CHECK(library.findSymbol("VSTPluginMain") != nullptr);
    CHECK(library.findSymbol("main") != nullptr);

    HostedPlugin noHost;
    CHECK(!noHost.create(library.findEntry(), 0)); // version 0 means no host
    CHECK(noHost.versionCalls == 1);
}

void checkDescriptor(HostedPlugin& host)
{
    AEffect* effect = host.effect();
    CHECK(effect->magic == kEffectMagic);
    CHECK(effect->dispatcher != nullptr);
    CHECK(effect->process != nullptr);
    CHECK(effect->processReplacing != nullptr);
    CHECK(effect->processDoubleReplacing != nullptr);
    CHECK(effect->setParameter != nullptr);
    CHECK(effect->getParameter != nullptr);
    CHECK(effect->numPrograms == 128);
    CHECK(effect->numParams == 97);
    CHECK(effect->numOutputs == 2);
    CHECK((effect->flags & effFlagsCanReplacing) != 0);
    CHECK((effect->flags & effFlagsCanDoubleReplacing) == 0);
    CHECK(effect->initialDelay == 0);
    CHECK(effect->ioRatio == 1.0f);
    CHECK(effect->object != nullptr);
}

void checkOpcodes(HostedPlugin& host)
{
    CHECK(host.dispatch(effIdentify) == vstFourCc('N', 'v', 'E', 'f'));
    CHECK(host.dispatch(effGetVstVersion) == 2400);
    const bool synth = (host.effect()->flags & effFlagsIsSynth) != 0;
    CHECK(host.dispatch(effGetPlugCategory) == (synth ? kPlugCategSynth : kPlugCategUnknown));
    CHECK(host.dispatch(effGetCurrentMidiProgram) == -1);
    CHECK(host.dispatch(effSetTotalSampleToProcess, 0, 4096) == 4096);

    host.dispatch(effOpen);
    CHECK(host.dispatch(effGetProgram) == 0);
    host.dispatch(effSetProgram, 0, 128);
    CHECK(host.dispatch(effGetProgram) == 0);
    host.dispatch(effSetProgram, 0, -1);
    CHECK(host.dispatch(effGetProgram) == 0);
    host.dispatch(effSetProgram, 0, 5);
    CHECK(host.dispatch(effGetProgram) == 5);
    host.dispatch(effSetProgram, 0, 0);

    // Without an editor every editor opcode answers 0.
    if ((host.effect()->flags & effFlagsHasEditor) == 0)
    {
        ERect* rect = nullptr;
        CHECK(host.dispatch(effEditGetRect, 0, 0, &rect) == 0);
        CHECK(host.dispatch(effEditOpen) == 0);
        CHECK(host.dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f) == 0);
    }
}

void checkBadInput(HostedPlugin& host)
{
    // Null pointers where the host should pass buffers or records.
    for (VstInt32 opcode :
         {effGetProgramName, effSetProgramName, effGetParamLabel, effGetParamDisplay,
          effGetParamName, effEditGetRect, effGetChunk, effSetChunk, effProcessEvents,
          effGetProgramNameIndexed, effGetEffectName, effGetVendorString, effGetProductString,
          effCanDo, effBeginLoadBank, effBeginLoadProgram})
    {
        CHECK(host.dispatch(opcode, 0, 0, nullptr, 0.0f) == 0);
    }

    // Parameter indexes outside 0..96 leave the buffer untouched.
    for (VstInt32 index : {-1, 97, 1000000})
    {
        char buffer[16];
        std::memset(buffer, 'x', sizeof(buffer));
        host.dispatch(effGetParamName, index, 0, buffer, 0.0f);
        host.dispatch(effGetParamLabel, index, 0, buffer, 0.0f);
        host.dispatch(effGetParamDisplay, index, 0, buffer, 0.0f);
        CHECK(buffer[0] == 'x' && buffer[15] == 'x');
        host.effect()->setParameter(host.effect(), index, 0.5f);
        CHECK(host.effect()->getParameter(host.effect(), index) == 0.0f);
    }

    char name[64];
    std::memset(name, 'x', sizeof(name));
    CHECK(host.dispatch(effGetProgramNameIndexed, 128, 0, name, 0.0f) == 0);
    CHECK(host.dispatch(effGetProgramNameIndexed, -1, 0, name, 0.0f) == 0);
    CHECK(name[0] == 'x');

    // Negative sizes and counts.
    char chunk[16] = {};
    CHECK(host.dispatch(effSetChunk, 0, -5, chunk, 0.0f) == 0);
    VstEvents events{};
    events.numEvents = -3;
    CHECK(host.dispatch(effProcessEvents, 0, 0, &events, 0.0f) == 0);

    // Rates and block sizes a host should never send.
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, std::nanf(""));
    host.dispatch(effSetSampleRate, 0, 0, nullptr, -44100.0f);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 1.0e9f);
    host.dispatch(effSetBlockSize, 0, -64);
    host.dispatch(effSetBlockSize, 0, 0);

    // Text fields never receive more than their published size.
    for (VstInt32 index = 0; index < host.effect()->numParams; ++index)
    {
        for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
        {
            char field[16];
            std::memset(field, 'x', sizeof(field));
            host.dispatch(opcode, index, 0, field, 0.0f);
            CHECK(field[8] == 'x' && std::strlen(field) <= 7);
        }
    }
    char program[32];
    std::memset(program, 'x', sizeof(program));
    host.dispatch(effGetProgramName, 0, 0, program, 0.0f);
    CHECK(program[24] == 'x' && std::strlen(program) <= 23);
}

std::string text(HostedPlugin& host, VstInt32 opcode, VstInt32 index = 0)
{
    char buffer[256];
    std::memset(buffer, 0, sizeof(buffer));
    host.dispatch(opcode, index, 0, buffer, 0.0f);
    return buffer;
}

// Prints the descriptor and the parameter list as a host reads them.
int describe(PluginLibrary& library)
{
    HostedPlugin host;
    if (!host.create(library.findEntry()))
    {
        std::fprintf(stderr, "the entry gave no plug-in\n");
        return 1;
    }
    AEffect* effect = host.effect();
    host.dispatch(effOpen);
    const VstInt32 id = effect->uniqueID;
    std::printf("effect   %s\nvendor   %s\nproduct  %s\n", text(host, effGetEffectName).c_str(),
                text(host, effGetVendorString).c_str(), text(host, effGetProductString).c_str());
    std::printf("id       '%c%c%c%c' (0x%08X)\nversion  %d\nflags    0x%X\n",
                static_cast<char>((id >> 24) & 0xFF), static_cast<char>((id >> 16) & 0xFF),
                static_cast<char>((id >> 8) & 0xFF), static_cast<char>(id & 0xFF),
                static_cast<unsigned>(id), effect->version, static_cast<unsigned>(effect->flags));
    std::printf("inputs   %d\noutputs  %d\nprograms %d\nparams   %d\ncategory %d\n",
                effect->numInputs, effect->numOutputs, effect->numPrograms, effect->numParams,
                static_cast<int>(host.dispatch(effGetPlugCategory)));
    std::printf("\n  #  name     label    display  value\n");
    for (VstInt32 index = 0; index < effect->numParams; ++index)
    {
        std::printf("%3d  %-8s %-8s %-8s %.4f\n", index, text(host, effGetParamName, index).c_str(),
                    text(host, effGetParamLabel, index).c_str(),
                    text(host, effGetParamDisplay, index).c_str(),
                    static_cast<double>(effect->getParameter(effect, index)));
    }
    return host.close() == 1 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const bool describeOnly = argc == 3 && std::strcmp(argv[1], "--describe") == 0;
    if (argc != 2 && !describeOnly)
    {
        std::fprintf(stderr, "usage: %s [--describe] PLUGIN\n", argv[0]);
        return 2;
    }
    const char* path = argv[argc - 1];
    PluginLibrary library;
    if (!library.load(path))
    {
        std::fprintf(stderr, "%s\n", library.error().c_str());
        return 2;
    }
    if (describeOnly)
    {
        return describe(library);
    }

    checkEntryPoints(library);

    HostedPlugin host;
    CHECK(host.create(library.findEntry()));
    if (host.effect() != nullptr)
    {
        checkDescriptor(host);
        checkOpcodes(host);
        checkBadInput(host);
        CHECK(host.close() == 1);
        CHECK(host.effect() == nullptr);
    }

    std::printf("%s: %d checks, %d failed\n", path, checks, failures);
    return failures == 0 ? 0 : 1;
}
