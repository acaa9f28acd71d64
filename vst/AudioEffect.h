// The root of the plug-in base: the AEffect descriptor, the base opcode table and the host calls.
#pragma once

#include "base/KeepAlive.h"
#include "vst/VstAbi.h"

#include <atomic>

class AEffEditor;

// A host reaches the plug-in only through the descriptor's C entry functions, which forward to
// the virtual operations below. The dispatcher range-checks everything the host passes (indexes,
// pointers, sizes, rates) before a virtual operation sees it, so derived classes may rely on
// valid arguments. Threads: processReplacing and processEvents run on the host's audio thread,
// every other operation on its user-interface thread.
//
// Lifetime: effClose deletes the instance, but not under code of its own. Every dispatcher entry
// and every handler of the editor's panel holds the instance (KeepAlive); an effClose that
// arrives while it is held (a host that closes the plug-in from inside the automation call of a
// knob turn, or from a timer while a menu of the editor is open) closes the editor at once, makes
// the instance refuse every further host call, and leaves the deletion to the last release.
class AudioEffect : public KeepAlive
{
public:
    AudioEffect(audioMasterCallback hostCallback, VstInt32 programCount, VstInt32 parameterCount);
    virtual ~AudioEffect();

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // KeepAlive: the user-interface thread's holds.
    void retain() override;
    void release() override;
    // effClose: closes the editor and marks the instance closing; the last release deletes it.
    void beginClose();
    bool isClosing() const { return closing.load(); }

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float newSampleRate) { sampleRate = newSampleRate; }
    virtual void setBlockSize(VstInt32 newBlockSize) { blockSize = newBlockSize; }

    // Accumulating process: deprecated by the interface, left without effect here.
    virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames);
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames);
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames);

    // index lies in 0..numParams-1 for all parameter operations.
    virtual void setParameter(VstInt32 index, float value);
    virtual float getParameter(VstInt32 index);
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram() { return curProgram; }
    // index lies in 0..numPrograms-1.
    virtual void setProgram(VstInt32 index) { curProgram = index; }
    // name is a zero-terminated text of any length.
    virtual void setProgramName(const char* name);
    // text has room for kVstMaxProgNameLen bytes.
    virtual void getProgramName(char* text);
    // text has room for kVstMaxParamStrLen bytes.
    virtual void getParameterLabel(VstInt32 index, char* text);
    virtual void getParameterDisplay(VstInt32 index, char* text);
    virtual void getParameterName(VstInt32 index, char* text);
    // Sets *data to a buffer the plug-in keeps and returns its size in bytes.
    virtual VstInt32 getChunk(void** data, bool isPreset);
    // data holds byteSize readable bytes; returns 1 on success and 0 on failure.
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset);

    // Descriptor fields.
    AEffect* getAeffect() { return &cEffect; }
    void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
    void setVersion(VstInt32 version) { cEffect.version = version; }
    void setFlag(VstInt32 flag, bool on);
    bool hasFlag(VstInt32 flag) const { return (cEffect.flags & flag) != 0; }
    void isSynth(bool on = true) { setFlag(effFlagsIsSynth, on); }
    void programsAreChunks(bool on = true) { setFlag(effFlagsProgramChunks, on); }
    void canProcessReplacing(bool on = true) { setFlag(effFlagsCanReplacing, on); }

    // Takes ownership of the editor (or none) and sets effFlagsHasEditor to match.
    void setEditor(AEffEditor* newEditor);
    AEffEditor* getEditor() const { return editor; }

    float getSampleRate() const { return sampleRate; }
    VstInt32 getBlockSize() const { return blockSize; }
    VstInt32 getNumPrograms() const { return numPrograms; }
    VstInt32 getNumParams() const { return numParams; }

    // Host calls. Each returns 0 (null for getTimeInfo) without calling when there is no host.
    VstInt32 getMasterVersion();
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

protected:
    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram = 0;
    AEffect cEffect;

    bool isParameterIndex(VstInt32 index) const { return index >= 0 && index < numParams; }
    bool isProgramIndex(VstIntPtr index) const { return index >= 0 && index < numPrograms; }

private:
    std::atomic<int> holds{0};
    std::atomic<bool> closing{false};
};
