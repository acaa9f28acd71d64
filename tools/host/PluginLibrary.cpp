// Loading plug-in libraries on Linux and Windows.
#include "tools/host/PluginLibrary.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

PluginLibrary::~PluginLibrary()
{
    unload();
}

bool PluginLibrary::load(const std::string& path)
{
    unload();
#ifdef _WIN32
    handle = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
    if (handle == nullptr)
    {
        const DWORD code = GetLastError();
        lastError = "cannot load " + path + " (Windows error " + std::to_string(code) + ")";
        if (code == ERROR_BAD_EXE_FORMAT)
        {
            lastError += sizeof(void*) == 8 ? ": not a 64-bit DLL" : ": not a 32-bit DLL";
        }
        return false;
    }
#else
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
    {
        const char* reason = dlerror();
        lastError = "cannot load " + path + ": " + (reason != nullptr ? reason : "unknown error");
        return false;
    }
#endif
    lastError.clear();
    return true;
}

void PluginLibrary::unload()
{
    if (handle == nullptr)
    {
        return;
    }
#ifdef _WIN32
    FreeLibrary(reinterpret_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
    handle = nullptr;
}

void* PluginLibrary::findSymbol(const char* name) const
{
    if (handle == nullptr)
    {
        return nullptr;
    }
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle), name));
#else
    return dlsym(handle, name);
#endif
}

VstPluginEntry PluginLibrary::findEntry() const
{
    void* symbol = findSymbol("VSTPluginMain");
    if (symbol == nullptr)
    {
        symbol = findSymbol("main");
    }
    return reinterpret_cast<VstPluginEntry>(symbol);
}
