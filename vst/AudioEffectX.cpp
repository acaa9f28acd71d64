// The extended opcode table and the extended host calls.
#include "vst/AudioEffectX.h"

#include "base/TextField.h"
#include "vst/AEffEditor.h"

#include <cmath>

namespace
{

constexpr VstInt32 kVstVersion = 2400;

// effEditKeyDown passes the modifier as a float; a damaged value must not reach an integer cast.
unsigned char modifierFrom(float opt)
{
    if (!std::isfinite(opt) || opt < 0.0f || opt >= 256.0f)
    {
        return 0;
    }
    return static_cast<unsigned char>(static_cast<int>(opt) & 0xFF);
}

} // namespace

AudioEffectX::AudioEffectX(audioMasterCallback hostCallback, VstInt32 programCount,
                           VstInt32 parameterCount)
    : AudioEffect(hostCallback, programCount, parameterCount)
{
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt)
{
    switch (opcode)
    {
    case effProcessEvents:
    {
        auto* events = static_cast<VstEvents*>(ptr);
        if (events == nullptr || events->numEvents < 0)
        {
            return 0;
        }
        return processEvents(events);
    }
    case effCanBeAutomated:
        return isParameterIndex(index) && canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
        return 0;
    case effGetProgramNameIndexed:
        if (ptr != nullptr && isProgramIndex(index))
        {
            char scratch[256] = {};
            bool ok = getProgramNameIndexed(static_cast<VstInt32>(value), index, scratch);
            copyText(static_cast<char*>(ptr), scratch, kVstMaxProgNameLen);
            return ok ? 1 : 0;
        }
        return 0;
    case effGetInputProperties:
    case effGetOutputProperties:
        return 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effOfflineNotify:
    case effOfflinePrepare:
    case effOfflineRun:
    case effProcessVarIo:
    case effSetSpeakerArrangement:
    case effSetBypass:
        return 0;
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString:
    {
        if (ptr == nullptr)
        {
            return 0;
        }
        char scratch[256] = {};
        bool ok = opcode == effGetEffectName     ? getEffectName(scratch)
                  : opcode == effGetVendorString ? getVendorString(scratch)
                                                 : getProductString(scratch);
        copyText(static_cast<char*>(ptr), scratch,
                 opcode == effGetEffectName ? kVstMaxEffectNameLen : kVstMaxVendorStrLen);
        return ok ? 1 : 0;
    }
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return 0;
    case effCanDo:
        return ptr != nullptr ? canDo(static_cast<const char*>(ptr)) : 0;
    case effGetTailSize:
    case effGetParameterProperties:
        return 0;
    case effGetVstVersion:
        return kVstVersion;
    case effEditKeyDown:
    case effEditKeyUp:
    {
        if (editor == nullptr)
        {
            return 0;
        }
        VstKeyCode keyCode{};
        keyCode.character = index;
        keyCode.virt = static_cast<unsigned char>(value & 0xFF);
        keyCode.modifier = modifierFrom(opt);
        bool used =
            opcode == effEditKeyDown ? editor->onKeyDown(keyCode) : editor->onKeyUp(keyCode);
        return used ? 1 : 0;
    }
    case effSetEditKnobMode:
        return editor != nullptr && editor->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0;
    case effGetMidiProgramName:
        return 0;
    case effGetCurrentMidiProgram:
        return -1;
    case effGetMidiProgramCategory:
    case effHasMidiProgramsChanged:
    case effGetMidiKeyName:
    case effBeginSetProgram:
    case effEndSetProgram:
        return 0;
    case effGetSpeakerArrangement:
        // Both arguments point to a caller's pointer that receives the arrangement: none here.
        if (value != 0)
        {
            *reinterpret_cast<void**>(value) = nullptr;
        }
        if (ptr != nullptr)
        {
            *static_cast<void**>(ptr) = nullptr;
        }
        return 0;
    case effShellGetNextPlugin:
    case effStartProcess:
    case effStopProcess:
        return 0;
    case effSetTotalSampleToProcess:
        return value;
    case effSetPanLaw:
        return 0;
    case effBeginLoadBank:
    case effBeginLoadProgram:
    {
        auto* info = static_cast<VstPatchChunkInfo*>(ptr);
        if (info == nullptr)
        {
            return 0;
        }
        return opcode == effBeginLoadBank ? beginLoadBank(info) : beginLoadProgram(info);
    }
    case effSetProcessPrecision:
        return 0;
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

void AudioEffectX::resume()
{
    if (hasFlag(effFlagsIsSynth) || canDo("receiveVstMidiEvent") == 1)
    {
        wantEvents(1);
    }
}

VstInt32 AudioEffectX::processEvents(VstEvents* /*events*/)
{
    return 1;
}

bool AudioEffectX::canParameterBeAutomated(VstInt32 /*index*/)
{
    return true;
}

bool AudioEffectX::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 /*index*/, char* text)
{
    text[0] = '\0';
    return false;
}

bool AudioEffectX::getEffectName(char* text)
{
    text[0] = '\0';
    return false;
}

bool AudioEffectX::getVendorString(char* text)
{
    text[0] = '\0';
    return false;
}

bool AudioEffectX::getProductString(char* text)
{
    text[0] = '\0';
    return false;
}

VstInt32 AudioEffectX::canDo(const char* /*text*/)
{
    return 0;
}

VstInt32 AudioEffectX::getPlugCategory()
{
    return hasFlag(effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

VstInt32 AudioEffectX::beginLoadBank(VstPatchChunkInfo* /*info*/)
{
    return 0;
}

VstInt32 AudioEffectX::beginLoadProgram(VstPatchChunkInfo* /*info*/)
{
    return 0;
}

bool AudioEffectX::wantEvents(VstInt32 filter)
{
    return callHost(audioMasterWantMidi, 0, filter) != 0;
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter)
{
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

VstInt32 AudioEffectX::canHostDo(const char* text)
{
    return static_cast<VstInt32>(callHost(audioMasterCanDo, 0, 0, const_cast<char*>(text), 0.0f));
}
