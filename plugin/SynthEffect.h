// The plug-in object: maps every host operation onto the synthesizer, the bank and MIDI learn.
#pragma once

#include "engine/ISynthesizer.h"
#include "engine/PluginInfo.h"
#include "sonarch/parameters/BankListener.h"
#include "sonarch/parameters/ChunkWriter.h"
#include "vst/AudioEffectX.h"

class MessageDispatcher;
namespace Sonarch::Midi
{
class MidiLearn;
}

// Owns the synthesizer. Host parameter writes go to the bank and are announced to every bank
// listener but this object, so they are never echoed to the host; changes made elsewhere (the
// editor, MIDI learn) reach the host once as automation. Threads: processEvents and
// processReplacing run on the host's audio thread, everything else on its user-interface thread;
// the dispatcher's render lock keeps a program change or chunk load from landing in the middle
// of a block.
class SynthEffect : public AudioEffectX, public Sonarch::Parameters::BankListener
{
public:
    // Takes ownership of the synthesizer, completes the descriptor, loads the factory bank and
    // listens to the bank. The entry builds instances only for a host that answers the version
    // question, so hostCallback is never null here (the base's host calls would answer 0).
    SynthEffect(ISynthesizer* synthesizer, audioMasterCallback hostCallback);
    // Deletes the editor first, then the synthesizer.
    ~SynthEffect() override;

    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    VstInt32 processEvents(VstEvents* events) override;

    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;

    void setProgram(VstInt32 index) override;
    void setProgramName(const char* name) override;
    void getProgramName(char* text) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    void setSampleRate(float rateHz) override;
    void setBlockSize(VstInt32 frames) override;

    bool getEffectName(char* text) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 canDo(const char* text) override;
    VstInt32 getNumMidiInputChannels() override { return 1; }
    VstInt32 beginLoadBank(VstPatchChunkInfo* patchInfo) override;
    VstInt32 beginLoadProgram(VstPatchChunkInfo* patchInfo) override;

    // Bank notifications: a parameter change that did not come from the host becomes automation.
    void parameterChanged(Sonarch::Parameters::BankInterface* changedBank, int index,
                          float value) override;

    ISynthesizer* getSynthesizer() const { return synthesizer; }
    Sonarch::Parameters::BankInterface* getBank() const { return bank; }
    Sonarch::Midi::MidiLearn* getMidiLearn() const { return midiLearn; }

private:
    ISynthesizer* synthesizer;
    MessageDispatcher* messageDispatcher;
    Sonarch::Parameters::BankInterface* bank;
    Sonarch::Midi::MidiLearn* midiLearn;
    PluginInfo info;
    Sonarch::Parameters::ChunkWriter programChunk;
    Sonarch::Parameters::ChunkWriter bankChunk;
};
