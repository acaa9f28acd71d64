// The opcode tables of the plug-in base: which virtual operation each opcode reaches, and what
// the base does with arguments a host should never pass.
#include "vst/AEffEditor.h"
#include "vst/AudioEffectX.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{

// Records every virtual operation the dispatcher reaches, with its arguments.
class RecordingEffect : public AudioEffectX
{
public:
    explicit RecordingEffect(audioMasterCallback master) : AudioEffectX(master, 128, 97)
    {
        isSynth();
    }
    ~RecordingEffect() override { destroyed = true; }

    static bool destroyed;
    std::vector<std::string> calls;
    VstInt32 lastIndex = -1;
    float lastRate = 0.0f;
    VstInt32 lastBlock = 0;
    bool lastPreset = false;
    VstInt32 lastSize = -1;

    void open() override { calls.push_back("open"); }
    void close() override { calls.push_back("close"); }
    void suspend() override { calls.push_back("suspend"); }
    void resume() override
    {
        calls.push_back("resume");
        AudioEffectX::resume();
    }
    void setSampleRate(float rate) override
    {
        calls.push_back("setSampleRate");
        lastRate = rate;
    }
    void setBlockSize(VstInt32 size) override
    {
        calls.push_back("setBlockSize");
        lastBlock = size;
    }
    void setProgram(VstInt32 index) override
    {
        calls.push_back("setProgram");
        AudioEffectX::setProgram(index);
    }
    void setProgramName(const char* name) override
    {
        calls.push_back(std::string("setProgramName:") + name);
    }
    void getProgramName(char* text) override
    {
        calls.push_back("getProgramName");
        // Longer than the host's 24-byte field: the base must cut it.
        std::strcpy(text, "A program name far longer than twenty-three characters");
    }
    void getParameterLabel(VstInt32 index, char* text) override
    {
        calls.push_back("getParameterLabel");
        lastIndex = index;
        std::strcpy(text, "Label");
    }
    void getParameterDisplay(VstInt32 index, char* text) override
    {
        calls.push_back("getParameterDisplay");
        lastIndex = index;
        std::strcpy(text, "123456789012"); // more than 7 characters
    }
    void getParameterName(VstInt32 index, char* text) override
    {
        calls.push_back("getParameterName");
        lastIndex = index;
        std::strcpy(text, "Name");
    }
    VstInt32 getChunk(void** data, bool isPreset) override
    {
        calls.push_back("getChunk");
        lastPreset = isPreset;
        *data = chunk;
        return isPreset ? 772 : 98948;
    }
    VstInt32 setChunk(void* /*data*/, VstInt32 byteSize, bool isPreset) override
    {
        calls.push_back("setChunk");
        lastPreset = isPreset;
        lastSize = byteSize;
        return 1;
    }
    VstInt32 processEvents(VstEvents* events) override
    {
        calls.push_back("processEvents:" + std::to_string(events->numEvents));
        return 1;
    }
    bool getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text) override
    {
        calls.push_back("getProgramNameIndexed");
        lastIndex = index;
        std::strcpy(text, "Indexed");
        return true;
    }
    VstInt32 canDo(const char* text) override
    {
        calls.push_back(std::string("canDo:") + text);
        return std::strcmp(text, "receiveVstEvents") == 0 ? 1 : -1;
    }
    VstInt32 beginLoadBank(VstPatchChunkInfo* info) override
    {
        calls.push_back("beginLoadBank");
        return info->pluginVersion <= 1510 ? 1 : 0;
    }

    char chunk[4] = {};
};

bool RecordingEffect::destroyed = false;

class FakeEditor : public AEffEditor
{
public:
    bool getRect(ERect** rect) override
    {
        *rect = &area;
        return true;
    }
    bool open(void* /*parent*/) override { return true; }
    void close() override {}
    void idle() override { ++idles; }
    bool onKeyDown(VstKeyCode& keyCode) override
    {
        lastKey = keyCode;
        return true;
    }
    bool onKeyUp(VstKeyCode& keyCode) override
    {
        lastKey = keyCode;
        return false;
    }
    bool setKnobMode(VstInt32 mode) override { return mode == 2; }

    ERect area{0, 0, 789, 816};
    VstKeyCode lastKey{};
    int idles = 0;
};

std::vector<VstInt32> hostOpcodes;

VstIntPtr VSTCALLBACK recordingHost(AEffect* /*effect*/, VstInt32 opcode, VstInt32 /*index*/,
                                    VstIntPtr /*value*/, void* /*ptr*/, float /*opt*/)
{
    hostOpcodes.push_back(opcode);
    return opcode == audioMasterVersion ? 2400 : 0;
}

class AudioEffectDispatch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        hostOpcodes.clear();
        RecordingEffect::destroyed = false;
        effect = new RecordingEffect(recordingHost);
        aeffect = effect->getAeffect();
    }
    void TearDown() override
    {
        if (!RecordingEffect::destroyed)
        {
            delete effect;
        }
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f)
    {
        return aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
    }

    RecordingEffect* effect = nullptr;
    AEffect* aeffect = nullptr;
};

} // namespace

TEST_F(AudioEffectDispatch, DescriptorHoldsTheBaseValues)
{
    EXPECT_EQ(aeffect->magic, 0x56737450);
    EXPECT_EQ(aeffect->numPrograms, 128);
    EXPECT_EQ(aeffect->numParams, 97);
    EXPECT_EQ(aeffect->numInputs, 1);
    EXPECT_EQ(aeffect->numOutputs, 2);
    EXPECT_EQ(aeffect->flags, effFlagsCanReplacing | effFlagsIsSynth);
    EXPECT_EQ(aeffect->ioRatio, 1.0f);
    EXPECT_EQ(aeffect->object, effect);
}

TEST_F(AudioEffectDispatch, BaseOpcodesReachTheirOperations)
{
    dispatch(effOpen);
    dispatch(effMainsChanged, 0, 1);
    dispatch(effMainsChanged, 0, 0);
    dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(effSetBlockSize, 0, 256);
    dispatch(effSetProgram, 0, 7);
    char name[] = "Lead";
    dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(effect->calls,
              (std::vector<std::string>{"open", "resume", "suspend", "setSampleRate",
                                        "setBlockSize", "setProgram", "setProgramName:Lead"}));
    EXPECT_EQ(effect->lastRate, 48000.0f);
    EXPECT_EQ(effect->lastBlock, 256);
    EXPECT_EQ(dispatch(effGetProgram), 7);
    // An instrument's resume asks the host for MIDI.
    EXPECT_EQ(std::count(hostOpcodes.begin(), hostOpcodes.end(), audioMasterWantMidi), 1);
}

TEST_F(AudioEffectDispatch, TextOpcodesNeverWritePastTheHostField)
{
    char field[32];
    std::memset(field, 'x', sizeof(field));
    dispatch(effGetParamDisplay, 5, 0, field);
    EXPECT_STREQ(field, "1234567");
    EXPECT_EQ(field[8], 'x');
    EXPECT_EQ(effect->lastIndex, 5);

    std::memset(field, 'x', sizeof(field));
    dispatch(effGetProgramName, 0, 0, field);
    EXPECT_EQ(std::strlen(field), 23u);
    EXPECT_EQ(field[24], 'x');

    dispatch(effGetParamName, 96, 0, field);
    EXPECT_STREQ(field, "Name");
    dispatch(effGetParamLabel, 0, 0, field);
    EXPECT_STREQ(field, "Label");
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 127, 3, field), 1);
    EXPECT_STREQ(field, "Indexed");
}

TEST_F(AudioEffectDispatch, ChunkOpcodesPassKindAndSize)
{
    void* data = nullptr;
    EXPECT_EQ(dispatch(effGetChunk, 1, 0, &data), 772);
    EXPECT_TRUE(effect->lastPreset);
    EXPECT_EQ(data, effect->chunk);
    EXPECT_EQ(dispatch(effGetChunk, 0, 0, &data), 98948);
    EXPECT_FALSE(effect->lastPreset);

    char bytes[8] = {};
    EXPECT_EQ(dispatch(effSetChunk, 0, 8, bytes), 1);
    EXPECT_EQ(effect->lastSize, 8);
    EXPECT_FALSE(effect->lastPreset);
}

TEST_F(AudioEffectDispatch, ExtendedOpcodesAnswerTheirTable)
{
    EXPECT_EQ(dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(dispatch(effCanBeAutomated, 3), 1);
    EXPECT_EQ(dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(dispatch(effSetTotalSampleToProcess, 0, 12345), 12345);
    for (VstInt32 zero : {effString2Parameter,
                          effGetInputProperties,
                          effGetOutputProperties,
                          effOfflineNotify,
                          effOfflinePrepare,
                          effOfflineRun,
                          effProcessVarIo,
                          effSetSpeakerArrangement,
                          effSetBypass,
                          effVendorSpecific,
                          effGetTailSize,
                          effGetParameterProperties,
                          effGetMidiProgramName,
                          effGetMidiProgramCategory,
                          effHasMidiProgramsChanged,
                          effGetMidiKeyName,
                          effBeginSetProgram,
                          effEndSetProgram,
                          effShellGetNextPlugin,
                          effStartProcess,
                          effStopProcess,
                          effSetPanLaw,
                          effSetProcessPrecision,
                          effGetNumMidiOutputChannels})
    {
        EXPECT_EQ(dispatch(zero), 0) << zero;
    }

    char question[] = "receiveVstEvents";
    EXPECT_EQ(dispatch(effCanDo, 0, 0, question), 1);

    VstEvents events{};
    events.numEvents = 0;
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, &events), 1);
    EXPECT_EQ(effect->calls.back(), "processEvents:0");

    VstPatchChunkInfo info{};
    info.pluginVersion = 1511;
    EXPECT_EQ(dispatch(effBeginLoadBank, 0, 0, &info), 0);
    info.pluginVersion = 1510;
    EXPECT_EQ(dispatch(effBeginLoadBank, 0, 0, &info), 1);

    void* inputArrangement = &info;
    void* outputArrangement = &info;
    dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&inputArrangement),
             &outputArrangement);
    EXPECT_EQ(inputArrangement, nullptr);
    EXPECT_EQ(outputArrangement, nullptr);
}

TEST_F(AudioEffectDispatch, EditorOpcodesNeedAnEditor)
{
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(dispatch(effEditOpen), 0);
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0), 0);
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2), 0);

    auto* editor = new FakeEditor;
    effect->setEditor(editor);
    EXPECT_EQ(aeffect->flags & effFlagsHasEditor, effFlagsHasEditor);
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect, &editor->area);
    EXPECT_EQ(dispatch(effEditOpen), 1);
    dispatch(effEditIdle);
    EXPECT_EQ(editor->idles, 1);
    EXPECT_EQ(dispatch(effEditKeyDown, 'q', 0x1234, nullptr, 3.7f), 1);
    EXPECT_EQ(editor->lastKey.character, 'q');
    EXPECT_EQ(editor->lastKey.virt, 0x34);
    EXPECT_EQ(editor->lastKey.modifier, 3);
    EXPECT_EQ(dispatch(effEditKeyUp, 'q', 0, nullptr, std::nanf("")), 0);
    EXPECT_EQ(editor->lastKey.modifier, 0);
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2), 1);

    effect->setEditor(nullptr);
    EXPECT_EQ(aeffect->flags & effFlagsHasEditor, 0);
}

TEST_F(AudioEffectDispatch, BadHostArgumentsChangeNothing)
{
    dispatch(effSetProgram, 0, 128);
    dispatch(effSetProgram, 0, -1);
    dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);
    dispatch(effSetSampleRate, 0, 0, nullptr, std::nanf(""));
    dispatch(effSetSampleRate, 0, 0, nullptr, -48000.0f);
    dispatch(effSetSampleRate, 0, 0, nullptr, 999.0f);
    dispatch(effSetSampleRate, 0, 0, nullptr, 768001.0f);
    dispatch(effSetBlockSize, 0, -1);
    dispatch(effSetBlockSize, 0, 0);
    char field[16];
    std::memset(field, 'x', sizeof(field));
    for (VstInt32 opcode : {effGetParamLabel, effGetParamDisplay, effGetParamName})
    {
        EXPECT_EQ(dispatch(opcode, -1, 0, field), 0);
        EXPECT_EQ(dispatch(opcode, 97, 0, field), 0);
        EXPECT_EQ(dispatch(opcode, 0, 0, nullptr), 0);
    }
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 128, 0, field), 0);
    EXPECT_EQ(dispatch(effGetChunk, 0, 0, nullptr), 0);
    char bytes[4] = {};
    EXPECT_EQ(dispatch(effSetChunk, 0, -1, bytes), 0);
    EXPECT_EQ(dispatch(effSetChunk, 0, 4, nullptr), 0);
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, nullptr), 0);
    VstEvents events{};
    events.numEvents = -1;
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, &events), 0);
    EXPECT_EQ(dispatch(effCanDo, 0, 0, nullptr), 0);
    EXPECT_EQ(dispatch(effBeginLoadBank, 0, 0, nullptr), 0);
    // The interface promises automation for every index.
    EXPECT_EQ(dispatch(effCanBeAutomated, 97), 1);
    EXPECT_EQ(dispatch(effCanBeAutomated, -1), 1);

    EXPECT_TRUE(effect->calls.empty());
    EXPECT_EQ(field[0], 'x');
    EXPECT_EQ(dispatch(effGetProgram), 0);

    aeffect->setParameter(aeffect, -1, 0.5f);
    aeffect->setParameter(aeffect, 97, 0.5f);
    EXPECT_EQ(aeffect->getParameter(aeffect, 1000), 0.0f);
}

TEST_F(AudioEffectDispatch, CloseDeletesTheObjectAndAnswersOne)
{
    EXPECT_EQ(dispatch(effClose), 1);
    EXPECT_TRUE(RecordingEffect::destroyed);
}

// A host that answers the plug-in's automation call by closing it, as some close plug-ins while
// handling a parameter change. The object must outlive the call that led there, then go; while
// it waits it answers nothing and calls the host no more.
struct ClosingHost
{
    static std::vector<std::string> log;
    static VstIntPtr VSTCALLBACK answer(AEffect* from, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                        float)
    {
        if (opcode == audioMasterAutomate)
        {
            log.push_back("automate");
            log.push_back("close " +
                          std::to_string(from->dispatcher(from, effClose, 0, 0, nullptr, 0.0f)));
            log.push_back(RecordingEffect::destroyed ? "gone" : "kept");
            log.push_back("then " + std::to_string(from->dispatcher(from, effGetProgram, 0, 0,
                                                                    nullptr, 0.0f)));
        }
        return opcode == audioMasterVersion ? 2400 : 0;
    }
};
std::vector<std::string> ClosingHost::log;

class AutomatingEffect : public RecordingEffect
{
public:
    using RecordingEffect::RecordingEffect;
    // A program change that reports a parameter, then goes on using the object.
    void setProgram(VstInt32 index) override
    {
        setParameterAutomated(3, 0.5f);
        setParameterAutomated(4, 0.5f); // not passed to the closed host
        calls.push_back("after automate");
        ClosingHost::log.push_back(std::to_string(calls.size()));
        RecordingEffect::setProgram(index);
    }
};

TEST(AudioEffectHost, ClosingFromInsideAHostCallDeletesTheObjectWhenTheOuterCallReturns)
{
    RecordingEffect::destroyed = false;
    ClosingHost::log.clear();
    auto* effect = new AutomatingEffect(ClosingHost::answer);
    AEffect* aeffect = effect->getAeffect();
    EXPECT_EQ(aeffect->dispatcher(aeffect, effSetProgram, 0, 7, nullptr, 0.0f), 0);
    EXPECT_TRUE(RecordingEffect::destroyed);
    EXPECT_EQ(ClosingHost::log,
              (std::vector<std::string>{"automate", "close 1", "kept", "then 0", "2"}));
}

TEST(AudioEffectHost, NullHostCallbackMakesEveryHostCallAnswerZero)
{
    AudioEffectX effect(nullptr, 128, 97);
    EXPECT_EQ(effect.getMasterVersion(), 0);
    EXPECT_EQ(effect.getTimeInfo(0x602), nullptr);
    EXPECT_EQ(effect.canHostDo("sendVstTimeInfo"), 0);
    EXPECT_FALSE(effect.wantEvents());
    effect.setParameterAutomated(3, 0.5f); // must not crash
    effect.resume();
}

TEST(AudioEffectHost, AccumulatingProcessLeavesOutputsUntouched)
{
    AudioEffectX effect(recordingHost, 1, 1);
    float left[4] = {1, 2, 3, 4};
    float right[4] = {5, 6, 7, 8};
    float* outputs[2] = {left, right};
    AEffect* aeffect = effect.getAeffect();
    aeffect->process(aeffect, nullptr, outputs, 4);
    aeffect->processReplacing(aeffect, nullptr, outputs, 4);
    EXPECT_EQ(left[3], 4.0f);
    EXPECT_EQ(right[0], 5.0f);
}

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>

namespace
{
// Records the floating-point control state seen inside the process calls.
class MxcsrProbe : public AudioEffectX
{
public:
    MxcsrProbe() : AudioEffectX(recordingHost, 1, 1) {}
    void processReplacing(float**, float**, VstInt32) override { inside = _mm_getcsr(); }
    void process(float**, float**, VstInt32) override { inside = _mm_getcsr(); }
    unsigned inside = 0;
};
} // namespace

TEST(AudioEffectHost, ProcessFlushesDenormalsAndRestoresTheHostsState)
{
    constexpr unsigned kFlushToZero = 0x8000;
    constexpr unsigned kDenormalsAreZero = 0x0040;
    const unsigned hostState = _mm_getcsr();
    _mm_setcsr(hostState & ~(kFlushToZero | kDenormalsAreZero));
    const unsigned before = _mm_getcsr();

    MxcsrProbe probe;
    float left[4] = {};
    float right[4] = {};
    float* outputs[2] = {left, right};
    AEffect* aeffect = probe.getAeffect();
    aeffect->processReplacing(aeffect, nullptr, outputs, 4);
    EXPECT_EQ(probe.inside & (kFlushToZero | kDenormalsAreZero), kFlushToZero | kDenormalsAreZero);
    EXPECT_EQ(_mm_getcsr(), before);

    probe.inside = 0;
    aeffect->process(aeffect, nullptr, outputs, 4);
    EXPECT_EQ(probe.inside & kFlushToZero, kFlushToZero);
    EXPECT_EQ(_mm_getcsr(), before);
    _mm_setcsr(hostState);
}
#endif
