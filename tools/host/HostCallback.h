// A host side of the VST 2.4 interface: answers the plug-in's callbacks for one instance.
#pragma once

#include "vst/VstAbi.h"

#include <functional>
#include <string>
#include <vector>

// Owns one plug-in instance made through a library's entry function. The host callback finds the
// instance by its AEffect pointer; calls made from inside the entry (before that pointer is known)
// go to the instance being created on this thread.
class HostedPlugin
{
public:
    struct Automation
    {
        int index;
        float value;
    };

    HostedPlugin();
    ~HostedPlugin();
    HostedPlugin(const HostedPlugin&) = delete;
    HostedPlugin& operator=(const HostedPlugin&) = delete;

    // Calls the entry; returns false when it gives no valid instance. hostVersion is what the
    // host answers to audioMasterVersion (0 plays a missing host).
    bool create(AEffect*(VSTCALLBACK* entry)(audioMasterCallback), VstIntPtr hostVersion = 2400);
    // effClose; returns the dispatcher's answer (1 from a conforming plug-in).
    VstIntPtr close();

    AEffect* effect() const { return plugin; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    // The time information handed out for audioMasterGetTime; null answers no transport.
    void setTimeInfo(const VstTimeInfo* info) { timeInfo = info; }
    double sampleRate = 44100.0;
    VstInt32 blockSize = 512;

    // What the plug-in did through the callback.
    std::vector<Automation> automations;
    // Called after an automation is recorded, from inside the plug-in's call (a host that reacts
    // at once: it may close the editor or the plug-in from there).
    std::function<void(const Automation&)> onAutomate;
    std::vector<std::string> canDoQuestions;
    int wantMidiCalls = 0;
    int getTimeCalls = 0;
    int versionCalls = 0;

    VstIntPtr answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt);

private:
    AEffect* plugin = nullptr;
    VstIntPtr version = 2400;
    const VstTimeInfo* timeInfo = nullptr;
};
