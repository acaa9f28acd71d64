// The descriptor's C entry functions, the base opcode table and the host calls.
#include "vst/AudioEffect.h"

#include "base/SampleRate.h"
#include "base/TextField.h"
#include "vst/AEffEditor.h"
#include "vst/ScopedDenormalFlush.h"

#include <cstdint>
#include <cstring>

namespace
{

constexpr VstInt32 kIdentifyMagic = vstFourCc('N', 'v', 'E', 'f');

// Text operations write into a scratch field first and hand the host at most its field size, so
// that no derived class can write past the host's buffer.
constexpr int kScratchSize = 256;

AudioEffect* objectOf(AEffect* effect)
{
    return effect != nullptr ? static_cast<AudioEffect*>(effect->object) : nullptr;
}

// Holds an instance for one entry from the host. The instance may be closed from inside (a host
// that answers a call of ours with effClose); it is then deleted when the outermost entry
// returns.
class EntryHold
{
public:
    explicit EntryHold(AudioEffect* held) : object(held) { object->retain(); }
    ~EntryHold() { object->release(); }
    EntryHold(const EntryHold&) = delete;
    EntryHold& operator=(const EntryHold&) = delete;

private:
    AudioEffect* object;
};

// Exceptions must not cross into the host: an allocation failure inside a host call is answered
// with 0. A closed instance answers nothing any more, also while its deletion waits.
VstIntPtr VSTCALLBACK dispatchEntry(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                    VstIntPtr value, void* ptr, float opt)
{
    AudioEffect* object = objectOf(effect);
    if (object == nullptr || object->isClosing())
    {
        return 0;
    }
    const EntryHold hold(object);
    try
    {
        if (opcode == effClose)
        {
            object->beginClose();
            object->dispatcher(opcode, index, value, ptr, opt);
            return 1;
        }
        return object->dispatcher(opcode, index, value, ptr, opt);
    }
    catch (...)
    {
        return 0;
    }
}

void VSTCALLBACK processEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames)
{
    AudioEffect* object = objectOf(effect);
    if (object != nullptr && !object->isClosing() && outputs != nullptr && frames > 0)
    {
        const EntryHold hold(object);
        ScopedDenormalFlush flush;
        object->process(inputs, outputs, frames);
    }
}

void VSTCALLBACK processReplacingEntry(AEffect* effect, float** inputs, float** outputs,
                                       VstInt32 frames)
{
    AudioEffect* object = objectOf(effect);
    if (object != nullptr && !object->isClosing() && outputs != nullptr && frames > 0)
    {
        const EntryHold hold(object);
        ScopedDenormalFlush flush;
        object->processReplacing(inputs, outputs, frames);
    }
}

void VSTCALLBACK processDoubleReplacingEntry(AEffect* effect, double** inputs, double** outputs,
                                             VstInt32 frames)
{
    AudioEffect* object = objectOf(effect);
    if (object != nullptr && !object->isClosing() && outputs != nullptr && frames > 0)
    {
        const EntryHold hold(object);
        ScopedDenormalFlush flush;
        object->processDoubleReplacing(inputs, outputs, frames);
    }
}

void VSTCALLBACK setParameterEntry(AEffect* effect, VstInt32 index, float value)
{
    AudioEffect* object = objectOf(effect);
    if (object != nullptr && !object->isClosing() && index >= 0 && index < object->getNumParams())
    {
        object->setParameter(index, value);
    }
}

float VSTCALLBACK getParameterEntry(AEffect* effect, VstInt32 index)
{
    AudioEffect* object = objectOf(effect);
    if (object != nullptr && !object->isClosing() && index >= 0 && index < object->getNumParams())
    {
        return object->getParameter(index);
    }
    return 0.0f;
}

} // namespace

AudioEffect::AudioEffect(audioMasterCallback hostCallback, VstInt32 programCount,
                         VstInt32 parameterCount)
    : audioMaster(hostCallback), numPrograms(programCount), numParams(parameterCount)
{
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEntry;
    cEffect.process = processEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.numPrograms = programCount;
    cEffect.numParams = parameterCount;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = vstFourCc('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEntry;
    cEffect.processDoubleReplacing = processDoubleReplacingEntry;
}

AudioEffect::~AudioEffect()
{
    delete editor;
}

void AudioEffect::retain()
{
    holds.fetch_add(1);
}

void AudioEffect::release()
{
    if (holds.fetch_sub(1) == 1 && closing.load())
    {
        delete this;
    }
}

void AudioEffect::beginClose()
{
    closing.store(true);
    // The editor closes at once (its windows go now), whatever still runs below.
    if (editor != nullptr)
    {
        editor->close();
    }
}

void AudioEffect::setFlag(VstInt32 flag, bool on)
{
    if (on)
    {
        cEffect.flags |= flag;
    }
    else
    {
        cEffect.flags &= ~flag;
    }
}

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    if (newEditor != editor)
    {
        delete editor;
        editor = newEditor;
    }
    setFlag(effFlagsHasEditor, editor != nullptr);
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt)
{
    char scratch[kScratchSize] = {};
    switch (opcode)
    {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (isProgramIndex(value))
        {
            setProgram(static_cast<VstInt32>(value));
        }
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr != nullptr)
        {
            setProgramName(static_cast<const char*>(ptr));
        }
        return 0;
    case effGetProgramName:
        if (ptr != nullptr)
        {
            getProgramName(scratch);
            copyText(static_cast<char*>(ptr), scratch, kVstMaxProgNameLen);
        }
        return 0;
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
        if (ptr != nullptr && isParameterIndex(index))
        {
            if (opcode == effGetParamLabel)
            {
                getParameterLabel(index, scratch);
            }
            else if (opcode == effGetParamDisplay)
            {
                getParameterDisplay(index, scratch);
            }
            else
            {
                getParameterName(index, scratch);
            }
            copyText(static_cast<char*>(ptr), scratch, kVstMaxParamStrLen);
        }
        return 0;
    case effSetSampleRate:
        if (isSupportedSampleRate(opt))
        {
            setSampleRate(opt);
        }
        return 0;
    case effSetBlockSize:
        if (value > 0 && value <= INT32_MAX)
        {
            setBlockSize(static_cast<VstInt32>(value));
        }
        return 0;
    case effMainsChanged:
        if (value == 0)
        {
            suspend();
        }
        else
        {
            resume();
        }
        return 0;
    case effEditGetRect:
        if (editor != nullptr && ptr != nullptr)
        {
            return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        }
        return 0;
    case effEditOpen:
        return editor != nullptr && editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor != nullptr)
        {
            editor->close();
        }
        return 0;
    case effEditIdle:
        if (editor != nullptr)
        {
            editor->idle();
        }
        return 0;
    case effIdentify:
        return kIdentifyMagic;
    case effGetChunk:
        if (ptr != nullptr)
        {
            return getChunk(static_cast<void**>(ptr), index != 0);
        }
        return 0;
    case effSetChunk:
        if (ptr != nullptr && value >= 0 && value <= INT32_MAX)
        {
            return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
        }
        return 0;
    default:
        return 0;
    }
}

void AudioEffect::process(float** /*inputs*/, float** /*outputs*/, VstInt32 /*sampleFrames*/) {}

void AudioEffect::processReplacing(float** /*inputs*/, float** /*outputs*/,
                                   VstInt32 /*sampleFrames*/)
{
}

void AudioEffect::processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                         VstInt32 /*sampleFrames*/)
{
}

void AudioEffect::setParameter(VstInt32 /*index*/, float /*value*/) {}

float AudioEffect::getParameter(VstInt32 /*index*/)
{
    return 0.0f;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::setProgramName(const char* /*name*/) {}

void AudioEffect::getProgramName(char* text)
{
    text[0] = '\0';
}

void AudioEffect::getParameterLabel(VstInt32 /*index*/, char* text)
{
    text[0] = '\0';
}

void AudioEffect::getParameterDisplay(VstInt32 /*index*/, char* text)
{
    text[0] = '\0';
}

void AudioEffect::getParameterName(VstInt32 /*index*/, char* text)
{
    text[0] = '\0';
}

VstInt32 AudioEffect::getChunk(void** /*data*/, bool /*isPreset*/)
{
    return 0;
}

VstInt32 AudioEffect::setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/)
{
    return 0;
}

VstInt32 AudioEffect::getMasterVersion()
{
    // The version question is the one host call made before the descriptor is handed out, so
    // it passes no effect.
    if (audioMaster == nullptr)
    {
        return 0;
    }
    return static_cast<VstInt32>(audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f));
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt)
{
    // The host has closed a closing instance: it is not called with it any more.
    if (audioMaster == nullptr || closing.load())
    {
        return 0;
    }
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}
