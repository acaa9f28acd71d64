// The extended opcode table and the extended host calls.
#include "vst/AudioEffectX.h"

#include "base/TextField.h"
#include "vst/AEffEditor.h"

#include <cmath>

namespace
{

constexpr VstInt32 kVstVersion = 2400;
// Text operations write into a scratch field first and hand the host at most its field size.
constexpr int kScratchSize = 256;

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
    // Every opcode not named here, among them all that a synthesizer without audio inputs,
    // offline processing, speaker arrangements or MIDI programs has nothing to say to, goes to
    // the base, which answers 0 to those it does not know either.
    switch (opcode)
    {
    case effProcessEvents:
    {
        auto* events = static_cast<VstEvents*>(ptr);
        return events != nullptr && events->numEvents >= 0 ? processEvents(events) : 0;
    }
    case effCanBeAutomated:
        // The interface promises automation for every index; only a parameter of this plug-in
        // is asked whether it may be automated.
        return !isParameterIndex(index) || canParameterBeAutomated(index) ? 1 : 0;
    case effGetProgramNameIndexed:
        return dispatchProgramName(index, value, ptr);
    case effGetPlugCategory:
        return getPlugCategory();
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString:
        return dispatchPluginText(opcode, ptr);
    case effGetVendorVersion:
        return getVendorVersion();
    case effCanDo:
        return ptr != nullptr ? canDo(static_cast<const char*>(ptr)) : 0;
    case effGetVstVersion:
        return kVstVersion;
    case effEditKeyDown:
    case effEditKeyUp:
        return dispatchKey(opcode, index, value, opt);
    case effSetEditKnobMode:
        return editor != nullptr && editor->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0;
    case effGetCurrentMidiProgram:
        return -1;
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
    case effSetTotalSampleToProcess:
        return value;
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
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

VstIntPtr AudioEffectX::dispatchProgramName(VstInt32 index, VstIntPtr category, void* ptr)
{
    if (ptr == nullptr || !isProgramIndex(index))
    {
        return 0;
    }
    char scratch[kScratchSize] = {};
    const bool ok = getProgramNameIndexed(static_cast<VstInt32>(category), index, scratch);
    copyText(static_cast<char*>(ptr), scratch, kVstMaxProgNameLen);
    return ok ? 1 : 0;
}

VstIntPtr AudioEffectX::dispatchPluginText(VstInt32 opcode, void* ptr)
{
    if (ptr == nullptr)
    {
        return 0;
    }
    char scratch[kScratchSize] = {};
    const bool ok = opcode == effGetEffectName     ? getEffectName(scratch)
                    : opcode == effGetVendorString ? getVendorString(scratch)
                                                   : getProductString(scratch);
    copyText(static_cast<char*>(ptr), scratch,
             opcode == effGetEffectName ? kVstMaxEffectNameLen : kVstMaxVendorStrLen);
    return ok ? 1 : 0;
}

VstIntPtr AudioEffectX::dispatchKey(VstInt32 opcode, VstInt32 character, VstIntPtr virtualKey,
                                    float modifier)
{
    if (editor == nullptr)
    {
        return 0;
    }
    VstKeyCode keyCode{};
    keyCode.character = character;
    keyCode.virt = static_cast<unsigned char>(virtualKey & 0xFF);
    keyCode.modifier = modifierFrom(modifier);
    const bool used =
        opcode == effEditKeyDown ? editor->onKeyDown(keyCode) : editor->onKeyUp(keyCode);
    return used ? 1 : 0;
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
