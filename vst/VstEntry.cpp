// The exported entry VSTPluginMain (also exported as main) and, on Windows, the DLL entry.
#include "vst/VstEntry.h"

#include "vst/AudioEffect.h"

#include <new>

#ifdef _WIN32
#include <windows.h>
// The exported names come from the module-definition file alone.
#define TAVREL_EXPORT extern "C"
#else
#define TAVREL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace
{
void* moduleHandle = nullptr;
} // namespace

void* getModuleHandle()
{
    return moduleHandle;
}

TAVREL_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster)
{
    if (audioMaster == nullptr ||
        audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
    {
        return nullptr;
    }
    // A host cannot catch a C++ exception: failing to build the instance is answered with null.
    try
    {
        AudioEffect* effect = createEffectInstance(audioMaster);
        return effect != nullptr ? effect->getAeffect() : nullptr;
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

#ifdef _WIN32
// The export name main is given by the module-definition file. What the product keeps for the
// library's whole life (the editor's window class) is set up here; its failure refuses the load.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH)
    {
        moduleHandle = instance;
        return attachLibrary(instance) ? TRUE : FALSE;
    }
    if (reason == DLL_PROCESS_DETACH)
    {
        detachLibrary(instance);
    }
    return TRUE;
}
#elif !defined(TAVREL_ENTRY_WITHOUT_MAIN)
// Older hosts look for the entry under the name main; an assembler name gives it a second symbol.
// Programs that link the entry into themselves (the fuzz harnesses) have a main of their own and
// leave the alias out.
TAVREL_EXPORT AEffect* VSTPluginMainAlias(audioMasterCallback audioMaster) __asm__("main");
TAVREL_EXPORT AEffect* VSTPluginMainAlias(audioMasterCallback audioMaster)
{
    return VSTPluginMain(audioMaster);
}
#endif
