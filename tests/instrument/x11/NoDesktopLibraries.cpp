// Preloaded into the headless check: dlopen refuses Xlib and cairo, as on a machine without them.
#include <cstring>
#include <dlfcn.h>

extern "C" void* dlopen(const char* file, int mode)
{
    using Open = void* (*)(const char*, int);
    static const Open next = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "dlopen"));
    if (file != nullptr &&
        (std::strstr(file, "libX11") != nullptr || std::strstr(file, "libcairo") != nullptr))
    {
        return nullptr;
    }
    return next(file, mode);
}
