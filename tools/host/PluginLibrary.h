// Loads a VST 2.4 plug-in library (a .so with dlopen, a .dll with LoadLibrary) and finds its entry.
#pragma once

#include "vst/VstAbi.h"

#include <string>

using VstPluginEntry = AEffect*(VSTCALLBACK*)(audioMasterCallback);

class PluginLibrary
{
public:
    PluginLibrary() = default;
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Loads the file; on failure returns false and error() says why.
    bool load(const std::string& path);
    void unload();
    bool isLoaded() const { return handle != nullptr; }

    // The exported function of that name, or null.
    void* findSymbol(const char* name) const;
    // VSTPluginMain, else main: the names hosts look for, newest first.
    VstPluginEntry findEntry() const;

    const std::string& error() const { return lastError; }

private:
    void* handle = nullptr;
    std::string lastError;
};
