// Checks of the exported entry, the descriptor, the identity opcodes and the program names.
#include "tests/host/Checks.h"
#include "tests/host/HostSession.h"

#include <cstring>
#include <string>

namespace HostCheck
{

namespace
{

constexpr VstInt32 kPluginVersion = 1510;

std::string text(HostSession& session, VstInt32 opcode, std::size_t fieldSize)
{
    // The field is filled with marks first, so a text that overruns it is seen.
    char buffer[256];
    std::memset(buffer, 'x', sizeof(buffer));
    session.dispatch(opcode, 0, 0, buffer);
    CHECK_MSG(
        std::memchr(buffer, '\0', fieldSize) != nullptr,
        format("opcode %d wrote past its %u-byte field", opcode, static_cast<unsigned>(fieldSize)));
    CHECK(buffer[fieldSize] == 'x');
    return std::string(buffer, strnlen(buffer, fieldSize));
}

VstIntPtr canDo(HostSession& session, const char* question)
{
    std::string copy = question;
    return session.dispatch(effCanDo, 0, 0, copy.data());
}

VstIntPtr beginLoad(HostSession& session, VstInt32 opcode, VstInt32 pluginVersion)
{
    VstPatchChunkInfo info{};
    info.version = 1;
    info.pluginUniqueID = vstFourCc('T', 'v', 'r', 'l');
    info.pluginVersion = pluginVersion;
    info.numElements = opcode == effBeginLoadBank ? 128 : 97;
    return session.dispatch(opcode, 0, 0, &info);
}

void checkIdentity(HostSession& session)
{
    AEffect* effect = session.effect();
    CHECK(effect->magic == kEffectMagic);
    CHECK(effect->dispatcher != nullptr);
    CHECK(effect->process != nullptr);
    CHECK(effect->processReplacing != nullptr);
    CHECK(effect->processDoubleReplacing != nullptr);
    CHECK(effect->setParameter != nullptr);
    CHECK(effect->getParameter != nullptr);
    CHECK(effect->object != nullptr);

    // Replacing, chunks and synth; the editor where the build has one (Windows, and Linux built
    // with the X11 headers).
#if defined(_WIN32) || defined(TAVREL_X11_EDITOR)
    constexpr bool hasEditor = true;
#else
    constexpr bool hasEditor = false;
#endif
    CHECK_MSG(effect->flags == (hasEditor ? 0x131 : 0x130),
              format("flags 0x%X", static_cast<unsigned>(effect->flags)));
    CHECK(effect->uniqueID == vstFourCc('T', 'v', 'r', 'l'));
    CHECK(effect->version == kPluginVersion);
    CHECK(effect->numInputs == 0);
    CHECK(effect->numOutputs == 2);
    CHECK(effect->numParams == 97);
    CHECK(effect->numPrograms == 128);
    CHECK(effect->initialDelay == 0);
    CHECK(effect->ioRatio == 1.0f);

    CHECK(session.dispatch(effGetPlugCategory) == kPlugCategSynth);
    CHECK(session.dispatch(effIdentify) == vstFourCc('N', 'v', 'E', 'f'));
    CHECK(session.dispatch(effGetVstVersion) == 2400);
    CHECK(session.dispatch(effGetVendorVersion) == kPluginVersion);
    CHECK(session.dispatch(effGetNumMidiInputChannels) == 1);
    CHECK(session.dispatch(effGetNumMidiOutputChannels) == 0);
    CHECK(session.dispatch(effGetCurrentMidiProgram) == -1);
    CHECK(session.dispatch(effSetTotalSampleToProcess, 0, 4096) == 4096);
    // The interface promises automation for every index, also one that names no parameter.
    for (VstInt32 index : {36, 0, 96, 97, -1, 100000})
    {
        CHECK(session.dispatch(effCanBeAutomated, index) == 1);
    }

    CHECK_TEXT(text(session, effGetEffectName, kVstMaxEffectNameLen), "Tavrel");
    CHECK_TEXT(text(session, effGetVendorString, kVstMaxVendorStrLen), "Kelmore Sound Design");
    CHECK_TEXT(text(session, effGetProductString, kVstMaxProductStrLen), "Tavrel");

    // The plug-in asks whether it will get time information, and wants MIDI on resume.
    bool askedTime = false;
    for (const std::string& question : session.callbacks().canDoQuestions)
    {
        askedTime = askedTime || question == "sendVstTimeInfo";
    }
    CHECK(askedTime);
    CHECK(session.callbacks().wantMidiCalls >= 1);

    if (hasEditor)
    {
        ERect* rect = nullptr;
        CHECK(session.dispatch(effEditGetRect, 0, 0, &rect) == 1);
        CHECK(rect != nullptr && rect->right - rect->left == 816 &&
              rect->bottom - rect->top == 789);
        // No parent window, no editor.
        CHECK(session.dispatch(effEditOpen) == 0);
    }
    else
    {
        // Without an editor every editor opcode answers 0.
        ERect* rect = nullptr;
        CHECK(session.dispatch(effEditGetRect, 0, 0, &rect) == 0);
        CHECK(session.dispatch(effEditOpen) == 0);
        CHECK(session.dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f) == 0);
    }
}

void checkCanDo(HostSession& session)
{
    for (const char* yes : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo"})
    {
        CHECK_MSG(canDo(session, yes) == 1, yes);
    }
    // Exact, case-sensitive words only.
    for (const char* no :
         {"", "receivevstevents", "ReceiveVstEvents", "RECEIVEVSTMIDIEVENT", "receiveVstEvent",
          "receiveVstEvents ", " receiveVstEvents", "receiveVstTimeInfoX", "sendVstEvents",
          "sendVstMidiEvent", "offline", "bypass", "midiProgramNames", "plugAsChannelInsert"})
    {
        CHECK_MSG(canDo(session, no) == -1, format("\"%s\"", no));
    }
}

void checkLoadVersions(HostSession& session)
{
    for (VstInt32 opcode : {effBeginLoadBank, effBeginLoadProgram})
    {
        CHECK(beginLoad(session, opcode, 1000) == 1);
        CHECK(beginLoad(session, opcode, kPluginVersion) == 1);
        CHECK(beginLoad(session, opcode, kPluginVersion + 1) == 0);
        CHECK(beginLoad(session, opcode, 0x7FFFFFFF) == 0);
    }
}

void checkPrograms(HostSession& session)
{
    CHECK(session.dispatch(effGetProgram) == 0);
    session.selectProgram(128);
    CHECK(session.dispatch(effGetProgram) == 0);
    session.selectProgram(-1);
    CHECK(session.dispatch(effGetProgram) == 0);
    session.selectProgram(5);
    CHECK(session.dispatch(effGetProgram) == 5);

    // Every factory program has a name that fits the 24-byte field.
    for (int index = 0; index < 128; ++index)
    {
        char name[64];
        std::memset(name, 'x', sizeof(name));
        CHECK(session.dispatch(effGetProgramNameIndexed, index, 0, name) == 1);
        CHECK_MSG(std::memchr(name, '\0', kVstMaxProgNameLen) != nullptr && name[0] != '\0',
                  format("program %d", index));
    }

    // A 30-character name comes back cut to 23 characters, from both name opcodes.
    std::string longName = "Thirty Characters Long Name!!!";
    CHECK(longName.size() == 30);
    session.dispatch(effSetProgramName, 0, 0, longName.data());
    const std::string cut = longName.substr(0, 23);
    CHECK_TEXT(text(session, effGetProgramName, kVstMaxProgNameLen), cut);
    CHECK_TEXT(session.programName(5), cut);
    // Other programs keep their names.
    CHECK(session.programName(4) != cut);
    session.selectProgram(0);
    CHECK(session.programName(0) != cut);
    session.selectProgram(5);
    CHECK_TEXT(text(session, effGetProgramName, kVstMaxProgNameLen), cut);
}

} // namespace

void checkEntryPoints(PluginLibrary& library)
{
    CHECK(library.findSymbol("VSTPluginMain") != nullptr);
    CHECK(library.findSymbol("main") != nullptr);
    // Older hosts enter through main: it makes the same instrument.
    HostedPlugin throughMain;
    CHECK(throughMain.create(reinterpret_cast<VstPluginEntry>(library.findSymbol("main"))));
    CHECK(throughMain.effect() != nullptr &&
          throughMain.effect()->uniqueID == vstFourCc('T', 'v', 'r', 'l') &&
          throughMain.effect()->numParams == 97);

    HostedPlugin noHost;
    CHECK(!noHost.create(library.findEntry(), 0)); // version 0 means no host
    CHECK(noHost.versionCalls == 1);

    // Two instances are independent: a parameter of one does not move the other.
    HostSession first;
    HostSession second;
    CHECK(first.isOpen() && second.isOpen());
    if (first.isOpen() && second.isOpen())
    {
        CHECK(first.effect() != second.effect());
        first.setParameter(37, 0.9f);
        CHECK(second.getParameter(37) != 0.9f);
    }

    // effClose answers 1 and the host no longer holds the instance.
    HostedPlugin closing;
    CHECK(closing.create(library.findEntry()));
    CHECK(closing.close() == 1);
    CHECK(closing.effect() == nullptr);
}

void checkDescriptor()
{
    HostSession session;
    CHECK(session.isOpen());
    if (!session.isOpen())
    {
        return;
    }
    checkIdentity(session);
    checkCanDo(session);
    checkLoadVersions(session);
    checkPrograms(session);
}

} // namespace HostCheck
