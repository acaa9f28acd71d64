// The plug-in object.
#include "plugin/SynthEffect.h"

#include "base/TextField.h"
#include "engine/MessageDispatcher.h"
#include "engine/MidiEvent.h"
#include "instrument/BankImage.h"
#include "instrument/FactoryBankImage.h"
#include "sonarch/midi/MidiLearn.h"
#include "sonarch/parameters/BankInterface.h"
#include "sonarch/parameters/ChunkReader.h"

#include <cstring>
#include <vector>

namespace
{

using Sonarch::Parameters::BankInterface;
using Sonarch::Parameters::ChunkReader;

// Time information wanted from the host: transport playing, song position and tempo.
constexpr VstInt32 kTimeInfoFilter = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid;

BankInterface* bankOf(ISynthesizer* synthesizer)
{
    return synthesizer->getBank();
}

// Holds the bank's lock for a scope, also when the scope is left by an exception.
class BankLock
{
public:
    explicit BankLock(BankInterface* lockedBank) : bank(lockedBank) { bank->lock(); }
    ~BankLock() { bank->unlock(); }
    BankLock(const BankLock&) = delete;
    BankLock& operator=(const BankLock&) = delete;

private:
    BankInterface* bank;
};

} // namespace

SynthEffect::SynthEffect(ISynthesizer* ownedSynthesizer, audioMasterCallback hostCallback)
    : AudioEffectX(hostCallback, bankOf(ownedSynthesizer)->getProgramCount(),
                   bankOf(ownedSynthesizer)->getParameterCount()),
      synthesizer(ownedSynthesizer), messageDispatcher(ownedSynthesizer->getMessageDispatcher()),
      bank(ownedSynthesizer->getBank()), midiLearn(ownedSynthesizer->getMidiLearn()),
      info(ownedSynthesizer->getPluginInfo()), programChunk(kProgramRecordBytes),
      bankChunk(kBankImageBytes)
{
    setFlag(effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth, true);
    setUniqueID(info.uniqueID);
    setNumInputs(0);
    setNumOutputs(2);
    setVersion(info.version);

    // Every instance loads the same factory image (it starts from a new synthesizer's values), so
    // it is assembled once per process, by the first instance; hosts open many instances.
    static const std::vector<std::uint8_t> factory = buildFactoryBankImage(*bank);
    setChunk(const_cast<std::uint8_t*>(factory.data()), static_cast<VstInt32>(factory.size()),
             false);

    canHostDo("sendVstTimeInfo");
    bank->addListener(this);
}

SynthEffect::~SynthEffect()
{
    // The editor borrows the bank and the MIDI-learn table (its open view listens to both), so it
    // goes first, while they exist; the base would delete it only after the synthesizer.
    setEditor(nullptr);
    bank->removeListener(this);
    delete synthesizer;
}

void SynthEffect::processReplacing(float** /*inputs*/, float** outputs, VstInt32 sampleFrames)
{
    if (outputs[0] == nullptr || outputs[1] == nullptr)
    {
        return;
    }
    if (const VstTimeInfo* time = getTimeInfo(kTimeInfoFilter))
    {
        if ((time->flags & kVstPpqPosValid) != 0 && (time->flags & kVstTempoValid) != 0)
        {
            synthesizer->setTimeInfo(time->tempo, time->ppqPos,
                                     (time->flags & kVstTransportPlaying) != 0);
        }
    }
    std::memset(outputs[0], 0, sizeof(float) * static_cast<std::size_t>(sampleFrames));
    std::memset(outputs[1], 0, sizeof(float) * static_cast<std::size_t>(sampleFrames));
    messageDispatcher->render(outputs, sampleFrames);
}

VstInt32 SynthEffect::processEvents(VstEvents* events)
{
    // The list is declared with two slots but holds numEvents: it is read through a pointer.
    VstEvent* const* list = events->events;
    for (VstInt32 i = 0; i < events->numEvents; ++i)
    {
        const VstEvent* event = list[i];
        // Hosts send MIDI events with a byteSize of 24 as well as 32: the type alone decides.
        if (event == nullptr || event->type != kVstMidiType)
        {
            continue;
        }
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        MidiEvent message;
        message.deltaFrames = midi->deltaFrames;
        // Widened as signed bytes; the dispatcher masks and range-checks them.
        message.status = static_cast<signed char>(midi->midiData[0]);
        message.firstData = static_cast<signed char>(midi->midiData[1]);
        message.secondData = static_cast<signed char>(midi->midiData[2]);
        messageDispatcher->enqueue(message);
    }
    return 1;
}

void SynthEffect::setParameter(VstInt32 index, float value)
{
    bank->setParameter(index, value);
    bank->notifyParameterChanged(this, index);
}

float SynthEffect::getParameter(VstInt32 index)
{
    return bank->getParameter(index);
}

void SynthEffect::getParameterName(VstInt32 index, char* text)
{
    BankLock lock(bank);
    copyShortText(text, bank->getParameterName(index));
}

void SynthEffect::getParameterLabel(VstInt32 index, char* text)
{
    copyShortText(text, bank->getParameterLabel(index));
}

void SynthEffect::getParameterDisplay(VstInt32 index, char* text)
{
    BankLock lock(bank);
    copyShortText(text, bank->getParameterDisplay(index));
}

void SynthEffect::setProgram(VstInt32 index)
{
    BankLock lock(bank);
    curProgram = index;
    bank->setCurrentProgram(index);
    messageDispatcher->reset();
    bank->notifyProgramChanged(this);
}

void SynthEffect::setProgramName(const char* name)
{
    BankLock lock(bank);
    bank->setCurrentProgramName(name);
}

void SynthEffect::getProgramName(char* text)
{
    copyText(text, bank->getCurrentProgramName(), kVstMaxProgNameLen);
}

bool SynthEffect::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text)
{
    copyText(text, bank->getProgramName(index), kVstMaxProgNameLen);
    return true;
}

VstInt32 SynthEffect::getChunk(void** data, bool isPreset)
{
    Sonarch::Parameters::ChunkWriter& writer = isPreset ? programChunk : bankChunk;
    writer.clear();
    if (isPreset)
    {
        bank->getProgramChunk(writer);
    }
    else
    {
        bank->getBankChunk(writer);
        midiLearn->write(writer);
    }
    *data = writer.getData();
    return static_cast<VstInt32>(writer.getLength());
}

VstInt32 SynthEffect::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    // The host's memory is not kept: the reader holds its own copy for the duration of the load.
    ChunkReader reader(data, static_cast<std::size_t>(byteSize));
    if (isPreset)
    {
        if (!bank->setProgramChunk(reader))
        {
            return 0;
        }
        synthesizer->reset();
        bank->notifyProgramUpdated(this);
        return 1;
    }

    std::int32_t version = 0;
    reader.readInt32(version);
    reader.setPosition(0);
    if (!bank->setBankChunk(reader))
    {
        return 0;
    }
    synthesizer->reset();
    if (version >= kFirstVersionWithMidiLearn)
    {
        // A short or damaged table keeps what was read; the bank itself has loaded.
        midiLearn->read(reader);
    }
    bank->notifyBankUpdated(this);
    return 1;
}

void SynthEffect::setSampleRate(float rateHz)
{
    AudioEffectX::setSampleRate(rateHz);
    synthesizer->setSampleRate(rateHz);
}

void SynthEffect::setBlockSize(VstInt32 frames)
{
    AudioEffectX::setBlockSize(frames);
    messageDispatcher->reset();
}

bool SynthEffect::getEffectName(char* text)
{
    copyText(text, info.effectName, kVstMaxEffectNameLen);
    return true;
}

bool SynthEffect::getVendorString(char* text)
{
    copyText(text, info.vendor, kVstMaxVendorStrLen);
    return true;
}

bool SynthEffect::getProductString(char* text)
{
    copyText(text, info.product, kVstMaxProductStrLen);
    return true;
}

VstInt32 SynthEffect::getVendorVersion()
{
    return info.version;
}

VstInt32 SynthEffect::canDo(const char* text)
{
    static const char* const kCanDo[] = {"receiveVstEvents", "receiveVstMidiEvent",
                                         "receiveVstTimeInfo"};
    for (const char* answer : kCanDo)
    {
        if (std::strcmp(text, answer) == 0)
        {
            return 1;
        }
    }
    return -1;
}

VstInt32 SynthEffect::beginLoadBank(VstPatchChunkInfo* patchInfo)
{
    return patchInfo->pluginVersion <= kChunkVersion ? 1 : 0;
}

VstInt32 SynthEffect::beginLoadProgram(VstPatchChunkInfo* patchInfo)
{
    return patchInfo->pluginVersion <= kChunkVersion ? 1 : 0;
}

void SynthEffect::parameterChanged(Sonarch::Parameters::BankInterface* /*changedBank*/, int index,
                                   float value)
{
    setParameterAutomated(index, value);
}
