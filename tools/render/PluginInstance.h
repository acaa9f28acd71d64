// One hosted instance of a VST 2.4 plug-in, driven the way a host drives it.
#pragma once

#include "tools/host/HostCallback.h"
#include "tools/render/FxPreset.h"

#include <string>
#include <vector>

// Wraps HostedPlugin with the host's side of the life cycle (open, sample rate and block size,
// resume, start, process, stop, suspend, close), names and values, programs and preset files.
// Every text the plug-in writes lands in a buffer far larger than the published sizes, since
// plug-ins in the wild overrun them.
class PluginInstance
{
public:
    // Output and input counts the host accepts; beyond this an AEffect is taken as damaged.
    static constexpr int kMaxChannels = 64;

    PluginInstance() = default;
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    // Calls the entry, then effOpen, effSetSampleRate and effSetBlockSize.
    bool open(AEffect*(VSTCALLBACK* entry)(audioMasterCallback), double sampleRate, int blockSize,
              std::string& error);
    // effClose (after stop when still processing); safe to call twice.
    void close();

    // An instrument sets effFlagsIsSynth or answers kPlugCategSynth.
    bool isInstrument();
    bool usesChunks() const;

    AEffect* effect() const { return host.effect(); }
    std::string effectName();
    int numPrograms() const;
    int numParams() const;
    int numOutputs() const;
    int numInputs() const;

    int currentProgram();
    void setProgram(int index);
    std::string programName(int index);
    void setProgramName(const std::string& name);
    std::string paramName(int index);
    std::string paramLabel(int index);
    std::string paramDisplay(int index);
    float param(int index) const;
    void setParam(int index, float value);

    // A number 0..numPrograms-1, else a program name (exact, then ignoring case).
    bool findProgram(const std::string& text, int& index, std::string& error);
    // A parameter index, else a name (exact, then ignoring case); ambiguous names are refused.
    bool findParam(const std::string& text, int& index, std::string& error);

    // Preset files: the plug-in's ID must match; chunks need a plug-in that uses chunks, a
    // parameter list must have the plug-in's parameter count.
    bool loadProgram(const FxProgram& program, std::string& error);
    bool loadBank(const FxBank& bank, std::string& error);
    // asParams writes parameter lists even for a plug-in that keeps its state in chunks.
    bool saveProgram(bool asParams, FxProgram& program, std::string& error);
    bool saveBank(bool asParams, FxBank& bank, std::string& error);

    // effMainsChanged 1 and effStartProcess; stop undoes both in reverse order.
    void start();
    void stop();
    bool isRunning() const { return running; }

    // One block: time information for audioMasterGetTime, effProcessEvents when there are
    // events (sorted, deltaFrames inside 0..frames-1), then processReplacing (or the
    // accumulating process on zeroed outputs). outputs must hold numOutputs() buffers.
    void process(const std::vector<VstMidiEvent>& events, const VstTimeInfo& time, float** outputs,
                 int frames);

    HostedPlugin& hosted() { return host; }

private:
    std::string text(VstInt32 opcode, VstInt32 index);
    void beginProgramChange();
    void endProgramChange();

    HostedPlugin host;
    bool opened = false;
    bool running = false;
    VstTimeInfo timeInfo{};
    std::vector<VstMidiEvent> eventStore;
    std::vector<unsigned char> eventList; // a VstEvents with room for all pointers
    std::vector<std::vector<float>> inputBuffers;
    std::vector<float*> inputPointers;
};
