// Opening Xlib and cairo at run time.
#include "sonarch/gui/x11/XLibraries.h"

#include <dlfcn.h>

namespace Sonarch::X11
{

namespace
{

// Fills the table from the two libraries; false at the first that is missing.
bool fill(XLibraries& table)
{
    // RTLD_LOCAL: the symbols stay out of the host's namespace, where they could meet another
    // copy of the libraries.
    void* const xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (xlib == nullptr)
    {
        return false;
    }
    void* const cairo = dlopen("libcairo.so.2", RTLD_NOW | RTLD_LOCAL);
    if (cairo == nullptr)
    {
        return false;
    }
    bool complete = true;
#define TAVREL_FIND(library, name)                                                                 \
    table.name = reinterpret_cast<decltype(table.name)>(dlsym(library, #name));                    \
    complete = complete && table.name != nullptr;
#define TAVREL_FIND_XLIB(name) TAVREL_FIND(xlib, name)
#define TAVREL_FIND_CAIRO(name) TAVREL_FIND(cairo, name)
    TAVREL_XLIB_FUNCTIONS(TAVREL_FIND_XLIB)
    TAVREL_CAIRO_FUNCTIONS(TAVREL_FIND_CAIRO)
#undef TAVREL_FIND_CAIRO
#undef TAVREL_FIND_XLIB
#undef TAVREL_FIND
    return complete;
}

} // namespace

namespace
{

// The scope's state for the handler, which Xlib calls without a context of its own.
Display* trappedDisplay = nullptr;
int (*forwardedHandler)(Display*, XErrorEvent*) = nullptr;
bool errorTrapped = false;

int trapError(Display* display, XErrorEvent* error)
{
    if (display == trappedDisplay)
    {
        errorTrapped = true;
        return 0;
    }
    return forwardedHandler != nullptr ? forwardedHandler(display, error) : 0;
}

} // namespace

ErrorTrap::ErrorTrap(const XLibraries& libraries, Display* displayIn)
    : x(libraries), display(displayIn), outermost(trappedDisplay == nullptr)
{
    // A scope inside another (a close from the idle call) leaves the outer one in charge, but
    // keeps apart the errors of its own requests.
    if (!outermost)
    {
        x.XSync(display, False);
        outerFailed = errorTrapped;
        errorTrapped = false;
        return;
    }
    trappedDisplay = display;
    errorTrapped = false;
    previous = x.XSetErrorHandler(trapError);
    forwardedHandler = previous;
}

ErrorTrap::~ErrorTrap()
{
    x.XSync(display, False);
    if (!outermost)
    {
        errorTrapped = errorTrapped || outerFailed;
        return;
    }
    x.XSetErrorHandler(previous);
    trappedDisplay = nullptr;
    forwardedHandler = nullptr;
}

bool ErrorTrap::sync()
{
    x.XSync(display, False);
    const bool failed = errorTrapped;
    errorTrapped = false;
    return failed;
}

const XLibraries* loadXLibraries()
{
    static XLibraries table;
    static const bool loaded = fill(table);
    return loaded ? &table : nullptr;
}

} // namespace Sonarch::X11
