// The extended plug-in base: the opcodes added by VST 2.x and their host calls.
#pragma once

#include "vst/AudioEffect.h"

class AudioEffectX : public AudioEffect
{
public:
    AudioEffectX(audioMasterCallback hostCallback, VstInt32 programCount, VstInt32 parameterCount);

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;

    // Asks the host for MIDI whenever this is an instrument (or it can receive MIDI events).
    void resume() override;

    // events is not null and numEvents is not negative. Returns 1.
    virtual VstInt32 processEvents(VstEvents* events);
    // index lies in 0..numParams-1; every other index answers 1 without asking.
    virtual bool canParameterBeAutomated(VstInt32 index);
    // category is ignored by most plug-ins; index lies in 0..numPrograms-1; text holds 24 bytes.
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text);
    // text holds kVstMaxEffectNameLen bytes; vendor and product kVstMaxVendorStrLen.
    virtual bool getEffectName(char* text);
    virtual bool getVendorString(char* text);
    virtual bool getProductString(char* text);
    virtual VstInt32 getVendorVersion() { return 0; }
    // 1 yes, -1 no, 0 don't know.
    virtual VstInt32 canDo(const char* text);
    virtual VstInt32 getNumMidiInputChannels() { return 0; }
    virtual VstInt32 getNumMidiOutputChannels() { return 0; }
    virtual VstInt32 getPlugCategory();
    virtual VstInt32 beginLoadBank(VstPatchChunkInfo* info);
    virtual VstInt32 beginLoadProgram(VstPatchChunkInfo* info);

    // Host calls.
    bool wantEvents(VstInt32 filter = 1);
    VstTimeInfo* getTimeInfo(VstInt32 filter);
    VstInt32 canHostDo(const char* text);

private:
    // The opcodes with arguments to check or texts to cut to the host's field.
    VstIntPtr dispatchProgramName(VstInt32 index, VstIntPtr category, void* ptr);
    VstIntPtr dispatchPluginText(VstInt32 opcode, void* ptr);
    VstIntPtr dispatchKey(VstInt32 opcode, VstInt32 character, VstIntPtr virtualKey,
                          float modifier);
};
