// The host callback and the instance registry behind it.
#include "tools/host/HostCallback.h"

#include <cstring>
#include <mutex>
#include <utility>

namespace
{

std::mutex registryMutex;
std::vector<std::pair<AEffect*, HostedPlugin*>> registry;
thread_local HostedPlugin* creating = nullptr;

HostedPlugin* find(AEffect* effect)
{
    if (effect != nullptr)
    {
        std::lock_guard<std::mutex> guard(registryMutex);
        for (const auto& entry : registry)
        {
            if (entry.first == effect)
            {
                return entry.second;
            }
        }
    }
    return creating;
}

VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                   VstIntPtr value, void* ptr, float opt)
{
    HostedPlugin* host = find(effect);
    if (host == nullptr)
    {
        return opcode == audioMasterVersion ? 2400 : 0;
    }
    return host->answer(effect, opcode, index, value, ptr, opt);
}

void copyString(void* ptr, const char* text, std::size_t size)
{
    if (ptr != nullptr)
    {
        std::strncpy(static_cast<char*>(ptr), text, size - 1);
        static_cast<char*>(ptr)[size - 1] = '\0';
    }
}

} // namespace

HostedPlugin::HostedPlugin() = default;

HostedPlugin::~HostedPlugin()
{
    close();
}

bool HostedPlugin::create(AEffect*(VSTCALLBACK* entry)(audioMasterCallback), VstIntPtr hostVersion)
{
    close();
    if (entry == nullptr)
    {
        return false;
    }
    version = hostVersion;
    creating = this;
    AEffect* made = entry(hostCallback);
    creating = nullptr;
    if (made == nullptr || made->magic != kEffectMagic || made->dispatcher == nullptr)
    {
        return false;
    }
    plugin = made;
    std::lock_guard<std::mutex> guard(registryMutex);
    registry.emplace_back(plugin, this);
    return true;
}

VstIntPtr HostedPlugin::close()
{
    if (plugin == nullptr)
    {
        return 0;
    }
    VstIntPtr result = plugin->dispatcher(plugin, effClose, 0, 0, nullptr, 0.0f);
    {
        std::lock_guard<std::mutex> guard(registryMutex);
        for (auto it = registry.begin(); it != registry.end(); ++it)
        {
            if (it->first == plugin)
            {
                registry.erase(it);
                break;
            }
        }
    }
    plugin = nullptr;
    return result;
}

VstIntPtr HostedPlugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt)
{
    return plugin != nullptr ? plugin->dispatcher(plugin, opcode, index, value, ptr, opt) : 0;
}

VstIntPtr HostedPlugin::answer(AEffect* /*effect*/, VstInt32 opcode, VstInt32 index,
                               VstIntPtr value, void* ptr, float opt)
{
    switch (opcode)
    {
    case audioMasterAutomate:
        automations.push_back({index, opt});
        if (onAutomate)
        {
            // A copy: the reaction may replace the hook.
            const std::function<void(const Automation&)> react = onAutomate;
            react(automations.back());
        }
        return 0;
    case audioMasterVersion:
        ++versionCalls;
        return version;
    case audioMasterCurrentId:
        return plugin != nullptr ? plugin->uniqueID : 0;
    case audioMasterIdle:
        return 0;
    case audioMasterWantMidi:
        ++wantMidiCalls;
        return 1;
    case audioMasterGetTime:
        ++getTimeCalls;
        (void)value;
        return reinterpret_cast<VstIntPtr>(timeInfo);
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(sampleRate);
    case audioMasterGetBlockSize:
        return blockSize;
    case audioMasterGetCurrentProcessLevel:
        return 0;
    case audioMasterGetVendorString:
        copyString(ptr, "Tavrel developers", 64);
        return 1;
    case audioMasterGetProductString:
        copyString(ptr, "tavrel host", 64);
        return 1;
    case audioMasterGetVendorVersion:
        return 1000;
    case audioMasterCanDo:
    {
        const char* question = static_cast<const char*>(ptr);
        if (question == nullptr)
        {
            return 0;
        }
        canDoQuestions.emplace_back(question);
        static const char* const yes[] = {"sendVstEvents",       "sendVstMidiEvent",
                                          "sendVstTimeInfo",     "receiveVstEvents",
                                          "receiveVstMidiEvent", "sizeWindow"};
        for (const char* answerYes : yes)
        {
            if (std::strcmp(question, answerYes) == 0)
            {
                return 1;
            }
        }
        return -1;
    }
    case audioMasterGetLanguage:
        return 1; // English
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterIOChanged:
    case audioMasterSizeWindow:
        return 0;
    default:
        (void)opt;
        return 0;
    }
}
