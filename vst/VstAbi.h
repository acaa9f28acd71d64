// The VST 2.4 binary interface as this project declares it: records, constants, opcodes and
// function types, with their layouts checked for 32-bit and 64-bit targets.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

using VstInt16 = std::int16_t;
using VstInt32 = std::int32_t;
using VstIntPtr = std::intptr_t;

// Four-character constants are stored as big-endian integers ('VstP' = 0x56737450).
constexpr VstInt32 vstFourCc(char a, char b, char c, char d)
{
    return static_cast<VstInt32>((static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
                                 (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
                                 (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
                                 static_cast<std::uint32_t>(static_cast<unsigned char>(d)));
}

constexpr VstInt32 kEffectMagic = vstFourCc('V', 's', 't', 'P');

#pragma pack(push, 8)

struct AEffect;

using audioMasterCallback = VstIntPtr(VSTCALLBACK*)(AEffect* effect, VstInt32 opcode,
                                                    VstInt32 index, VstIntPtr value, void* ptr,
                                                    float opt);
using AEffectDispatcherProc = VstIntPtr(VSTCALLBACK*)(AEffect* effect, VstInt32 opcode,
                                                      VstInt32 index, VstIntPtr value, void* ptr,
                                                      float opt);
using AEffectProcessProc = void(VSTCALLBACK*)(AEffect* effect, float** inputs, float** outputs,
                                              VstInt32 sampleFrames);
using AEffectProcessDoubleProc = void(VSTCALLBACK*)(AEffect* effect, double** inputs,
                                                    double** outputs, VstInt32 sampleFrames);
using AEffectSetParameterProc = void(VSTCALLBACK*)(AEffect* effect, VstInt32 index,
                                                   float parameter);
using AEffectGetParameterProc = float(VSTCALLBACK*)(AEffect* effect, VstInt32 index);

struct AEffect
{
    VstInt32 magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process; // accumulating, deprecated
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;
    VstIntPtr resvd1;
    VstIntPtr resvd2;
    VstInt32 initialDelay;
    VstInt32 realQualities; // deprecated
    VstInt32 offQualities;  // deprecated
    float ioRatio;          // deprecated
    void* object;
    void* user;
    VstInt32 uniqueID;
    VstInt32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

enum VstAEffectFlags : VstInt32
{
    effFlagsHasEditor = 1,
    effFlagsHasClip = 2,
    effFlagsHasVu = 4,
    effFlagsCanMono = 8,
    effFlagsCanReplacing = 16,
    effFlagsProgramChunks = 32,
    effFlagsIsSynth = 256,
    effFlagsNoSoundInStop = 512,
    effFlagsCanDoubleReplacing = 4096,
};

enum VstPlugCategory : VstInt32
{
    kPlugCategUnknown = 0,
    kPlugCategEffect = 1,
    kPlugCategSynth = 2,
    kPlugCategAnalysis = 3,
    kPlugCategMastering = 4,
    kPlugCategSpacializer = 5,
    kPlugCategRoomFx = 6,
    kPlugSurroundFx = 7,
    kPlugCategRestoration = 8,
    kPlugCategOfflineProcess = 9,
    kPlugCategShell = 10,
    kPlugCategGenerator = 11,
};

// Dispatcher opcodes, plug-in side.
enum AEffectOpcodes : VstInt32
{
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effGetVu = 9,
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditDraw = 16,
    effEditMouse = 17,
    effEditKey = 18,
    effEditIdle = 19,
    effEditTop = 20,
    effEditSleep = 21,
    effIdentify = 22,
    effGetChunk = 23,
    effSetChunk = 24,
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetNumProgramCategories = 28,
    effGetProgramNameIndexed = 29,
    effCopyProgram = 30,
    effConnectInput = 31,
    effConnectOutput = 32,
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effGetCurrentPosition = 36,
    effGetDestinationBuffer = 37,
    effOfflineNotify = 38,
    effOfflinePrepare = 39,
    effOfflineRun = 40,
    effProcessVarIo = 41,
    effSetSpeakerArrangement = 42,
    effSetBlockSizeAndSampleRate = 43,
    effSetBypass = 44,
    effGetEffectName = 45,
    effGetErrorText = 46,
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetTailSize = 52,
    effIdle = 53,
    effGetIcon = 54,
    effSetViewPosition = 55,
    effGetParameterProperties = 56,
    effKeysRequired = 57,
    effGetVstVersion = 58,
    effEditKeyDown = 59,
    effEditKeyUp = 60,
    effSetEditKnobMode = 61,
    effGetMidiProgramName = 62,
    effGetCurrentMidiProgram = 63,
    effGetMidiProgramCategory = 64,
    effHasMidiProgramsChanged = 65,
    effGetMidiKeyName = 66,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effGetSpeakerArrangement = 69,
    effShellGetNextPlugin = 70,
    effStartProcess = 71,
    effStopProcess = 72,
    effSetTotalSampleToProcess = 73,
    effSetPanLaw = 74,
    effBeginLoadBank = 75,
    effBeginLoadProgram = 76,
    effSetProcessPrecision = 77,
    effGetNumMidiInputChannels = 78,
    effGetNumMidiOutputChannels = 79,
};

// Host callback opcodes.
enum AudioMasterOpcodes : VstInt32
{
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterWantMidi = 6,
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterIOChanged = 13,
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterCanDo = 37,
    audioMasterGetLanguage = 38,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
};

// Text buffer sizes that hosts provide, terminator included.
enum VstStringConstants : VstInt32
{
    kVstMaxParamStrLen = 8,
    kVstMaxProgNameLen = 24,
    kVstMaxEffectNameLen = 32,
    kVstMaxVendorStrLen = 64,
    kVstMaxProductStrLen = 64,
};

struct VstTimeInfo
{
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos; // quarter notes since song start
    double tempo;  // beats per minute
    double barStartPos;
    double cycleStartPos;
    double cycleEndPos;
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;
    VstInt32 smpteOffset;
    VstInt32 smpteFrameRate;
    VstInt32 samplesToNextClock;
    VstInt32 flags;
};

enum VstTimeInfoFlags : VstInt32
{
    kVstTransportChanged = 0x1,
    kVstTransportPlaying = 0x2,
    kVstTransportCycleActive = 0x4,
    kVstTransportRecording = 0x8,
    kVstAutomationWriting = 0x40,
    kVstAutomationReading = 0x80,
    kVstNanosValid = 0x100,
    kVstPpqPosValid = 0x200,
    kVstTempoValid = 0x400,
    kVstBarsValid = 0x800,
    kVstCyclePosValid = 0x1000,
    kVstTimeSigValid = 0x2000,
    kVstSmpteValid = 0x4000,
    kVstClockValid = 0x8000,
};

enum VstEventTypes : VstInt32
{
    kVstMidiType = 1,
    kVstSysExType = 6,
};

struct VstEvent
{
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    char data[16];
};

struct VstEvents
{
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[2]; // really numEvents pointers long
};

enum VstMidiEventFlags : VstInt32
{
    kVstMidiEventIsRealtime = 1,
};

struct VstMidiEvent
{
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 noteLength;
    VstInt32 noteOffset;
    char midiData[4]; // status, data 1, data 2, 0
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

struct VstMidiSysexEvent
{
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 dumpBytes;
    VstIntPtr resvd1;
    char* sysexDump;
    VstIntPtr resvd2;
};

struct ERect
{
    VstInt16 top;
    VstInt16 left;
    VstInt16 bottom;
    VstInt16 right;
};

struct VstKeyCode
{
    VstInt32 character;
    unsigned char virt;
    unsigned char modifier;
};

struct VstPatchChunkInfo
{
    VstInt32 version; // format version, 1
    VstInt32 pluginUniqueID;
    VstInt32 pluginVersion;
    VstInt32 numElements; // programs of a bank or parameters of a program
    char future[48];
};

#pragma pack(pop)

// Layout checks: every offset of the published records, for both pointer widths.
#define TAVREL_CHECK_OFFSET(type, field, off32, off64)                                             \
    static_assert(offsetof(type, field) == (sizeof(void*) == 4 ? (off32) : (off64)),               \
                  #type "::" #field " is misplaced")

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "unsupported pointer width");
static_assert(sizeof(VstIntPtr) == sizeof(void*), "VstIntPtr must be pointer wide");

TAVREL_CHECK_OFFSET(AEffect, magic, 0, 0);
TAVREL_CHECK_OFFSET(AEffect, dispatcher, 4, 8);
TAVREL_CHECK_OFFSET(AEffect, process, 8, 16);
TAVREL_CHECK_OFFSET(AEffect, setParameter, 12, 24);
TAVREL_CHECK_OFFSET(AEffect, getParameter, 16, 32);
TAVREL_CHECK_OFFSET(AEffect, numPrograms, 20, 40);
TAVREL_CHECK_OFFSET(AEffect, numParams, 24, 44);
TAVREL_CHECK_OFFSET(AEffect, numInputs, 28, 48);
TAVREL_CHECK_OFFSET(AEffect, numOutputs, 32, 52);
TAVREL_CHECK_OFFSET(AEffect, flags, 36, 56);
TAVREL_CHECK_OFFSET(AEffect, resvd1, 40, 64);
TAVREL_CHECK_OFFSET(AEffect, resvd2, 44, 72);
TAVREL_CHECK_OFFSET(AEffect, initialDelay, 48, 80);
TAVREL_CHECK_OFFSET(AEffect, realQualities, 52, 84);
TAVREL_CHECK_OFFSET(AEffect, offQualities, 56, 88);
TAVREL_CHECK_OFFSET(AEffect, ioRatio, 60, 92);
TAVREL_CHECK_OFFSET(AEffect, object, 64, 96);
TAVREL_CHECK_OFFSET(AEffect, user, 68, 104);
TAVREL_CHECK_OFFSET(AEffect, uniqueID, 72, 112);
TAVREL_CHECK_OFFSET(AEffect, version, 76, 116);
TAVREL_CHECK_OFFSET(AEffect, processReplacing, 80, 120);
TAVREL_CHECK_OFFSET(AEffect, processDoubleReplacing, 84, 128);
TAVREL_CHECK_OFFSET(AEffect, future, 88, 136);
static_assert(sizeof(AEffect) == (sizeof(void*) == 4 ? 144 : 192), "AEffect size");

TAVREL_CHECK_OFFSET(VstTimeInfo, samplePos, 0, 0);
TAVREL_CHECK_OFFSET(VstTimeInfo, sampleRate, 8, 8);
TAVREL_CHECK_OFFSET(VstTimeInfo, nanoSeconds, 16, 16);
TAVREL_CHECK_OFFSET(VstTimeInfo, ppqPos, 24, 24);
TAVREL_CHECK_OFFSET(VstTimeInfo, tempo, 32, 32);
TAVREL_CHECK_OFFSET(VstTimeInfo, barStartPos, 40, 40);
TAVREL_CHECK_OFFSET(VstTimeInfo, cycleStartPos, 48, 48);
TAVREL_CHECK_OFFSET(VstTimeInfo, cycleEndPos, 56, 56);
TAVREL_CHECK_OFFSET(VstTimeInfo, timeSigNumerator, 64, 64);
TAVREL_CHECK_OFFSET(VstTimeInfo, timeSigDenominator, 68, 68);
TAVREL_CHECK_OFFSET(VstTimeInfo, smpteOffset, 72, 72);
TAVREL_CHECK_OFFSET(VstTimeInfo, smpteFrameRate, 76, 76);
TAVREL_CHECK_OFFSET(VstTimeInfo, samplesToNextClock, 80, 80);
TAVREL_CHECK_OFFSET(VstTimeInfo, flags, 84, 84);
static_assert(sizeof(VstTimeInfo) == 88, "VstTimeInfo size");

TAVREL_CHECK_OFFSET(VstEvent, type, 0, 0);
TAVREL_CHECK_OFFSET(VstEvent, byteSize, 4, 4);
TAVREL_CHECK_OFFSET(VstEvent, deltaFrames, 8, 8);
TAVREL_CHECK_OFFSET(VstEvent, flags, 12, 12);
TAVREL_CHECK_OFFSET(VstEvent, data, 16, 16);
static_assert(sizeof(VstEvent) == 32, "VstEvent size");

TAVREL_CHECK_OFFSET(VstEvents, numEvents, 0, 0);
TAVREL_CHECK_OFFSET(VstEvents, reserved, 4, 8);
TAVREL_CHECK_OFFSET(VstEvents, events, 8, 16);

TAVREL_CHECK_OFFSET(VstMidiEvent, type, 0, 0);
TAVREL_CHECK_OFFSET(VstMidiEvent, byteSize, 4, 4);
TAVREL_CHECK_OFFSET(VstMidiEvent, deltaFrames, 8, 8);
TAVREL_CHECK_OFFSET(VstMidiEvent, flags, 12, 12);
TAVREL_CHECK_OFFSET(VstMidiEvent, noteLength, 16, 16);
TAVREL_CHECK_OFFSET(VstMidiEvent, noteOffset, 20, 20);
TAVREL_CHECK_OFFSET(VstMidiEvent, midiData, 24, 24);
TAVREL_CHECK_OFFSET(VstMidiEvent, detune, 28, 28);
TAVREL_CHECK_OFFSET(VstMidiEvent, noteOffVelocity, 29, 29);
TAVREL_CHECK_OFFSET(VstMidiEvent, reserved1, 30, 30);
TAVREL_CHECK_OFFSET(VstMidiEvent, reserved2, 31, 31);
static_assert(sizeof(VstMidiEvent) == 32, "VstMidiEvent size");

TAVREL_CHECK_OFFSET(VstMidiSysexEvent, type, 0, 0);
TAVREL_CHECK_OFFSET(VstMidiSysexEvent, byteSize, 4, 4);
TAVREL_CHECK_OFFSET(VstMidiSysexEvent, deltaFrames, 8, 8);
TAVREL_CHECK_OFFSET(VstMidiSysexEvent, flags, 12, 12);
TAVREL_CHECK_OFFSET(VstMidiSysexEvent, dumpBytes, 16, 16);
TAVREL_CHECK_OFFSET(VstMidiSysexEvent, resvd1, 20, 24);
TAVREL_CHECK_OFFSET(VstMidiSysexEvent, sysexDump, 24, 32);
TAVREL_CHECK_OFFSET(VstMidiSysexEvent, resvd2, 28, 40);
static_assert(sizeof(VstMidiSysexEvent) == (sizeof(void*) == 4 ? 32 : 48), "sysex event size");

TAVREL_CHECK_OFFSET(ERect, top, 0, 0);
TAVREL_CHECK_OFFSET(ERect, left, 2, 2);
TAVREL_CHECK_OFFSET(ERect, bottom, 4, 4);
TAVREL_CHECK_OFFSET(ERect, right, 6, 6);
static_assert(sizeof(ERect) == 8, "ERect size");

TAVREL_CHECK_OFFSET(VstKeyCode, character, 0, 0);
TAVREL_CHECK_OFFSET(VstKeyCode, virt, 4, 4);
TAVREL_CHECK_OFFSET(VstKeyCode, modifier, 5, 5);
static_assert(sizeof(VstKeyCode) == 8, "VstKeyCode size");

TAVREL_CHECK_OFFSET(VstPatchChunkInfo, version, 0, 0);
TAVREL_CHECK_OFFSET(VstPatchChunkInfo, pluginUniqueID, 4, 4);
TAVREL_CHECK_OFFSET(VstPatchChunkInfo, pluginVersion, 8, 8);
TAVREL_CHECK_OFFSET(VstPatchChunkInfo, numElements, 12, 12);
TAVREL_CHECK_OFFSET(VstPatchChunkInfo, future, 16, 16);
static_assert(sizeof(VstPatchChunkInfo) == 64, "VstPatchChunkInfo size");

#undef TAVREL_CHECK_OFFSET
