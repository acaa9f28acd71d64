// The X11 and cairo functions the editor calls, reached through pointers filled at run time.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo/cairo-xlib.h>
#include <cairo/cairo.h>

namespace Sonarch::X11
{

// Xlib (libX11.so.6) and cairo (libcairo.so.2) are opened with dlopen when the first editor opens,
// never at load time, so that the plug-in loads and plays on a machine that has neither (a render
// server). The libraries are never closed: a window may exist until the process ends.
#define TAVREL_XLIB_FUNCTIONS(F)                                                                   \
    F(XOpenDisplay)                                                                                \
    F(XCloseDisplay)                                                                               \
    F(XDefaultScreen)                                                                              \
    F(XDefaultVisual)                                                                              \
    F(XDefaultDepth)                                                                               \
    F(XRootWindow)                                                                                 \
    F(XBlackPixel)                                                                                 \
    F(XWhitePixel)                                                                                 \
    F(XCreateSimpleWindow)                                                                         \
    F(XCreateWindow)                                                                               \
    F(XDestroyWindow)                                                                              \
    F(XMapWindow)                                                                                  \
    F(XMapRaised)                                                                                  \
    F(XSelectInput)                                                                                \
    F(XStoreName)                                                                                  \
    F(XSetTransientForHint)                                                                        \
    F(XInternAtom)                                                                                 \
    F(XSetWMProtocols)                                                                             \
    F(XTranslateCoordinates)                                                                       \
    F(XGetWindowAttributes)                                                                        \
    F(XGrabPointer)                                                                                \
    F(XUngrabPointer)                                                                              \
    F(XGrabKeyboard)                                                                               \
    F(XUngrabKeyboard)                                                                             \
    F(XSetInputFocus)                                                                              \
    F(XGetInputFocus)                                                                              \
    F(XLookupString)                                                                               \
    F(XPending)                                                                                    \
    F(XNextEvent)                                                                                  \
    F(XFlush)                                                                                      \
    F(XSync)                                                                                       \
    F(XSetErrorHandler)

#define TAVREL_CAIRO_FUNCTIONS(F)                                                                  \
    F(cairo_xlib_surface_create)                                                                   \
    F(cairo_image_surface_create)                                                                  \
    F(cairo_image_surface_create_from_png_stream)                                                  \
    F(cairo_image_surface_get_width)                                                               \
    F(cairo_image_surface_get_height)                                                              \
    F(cairo_surface_status)                                                                        \
    F(cairo_surface_flush)                                                                         \
    F(cairo_surface_mark_dirty)                                                                    \
    F(cairo_image_surface_get_data)                                                                \
    F(cairo_image_surface_get_stride)                                                              \
    F(cairo_surface_destroy)                                                                       \
    F(cairo_create)                                                                                \
    F(cairo_destroy)                                                                               \
    F(cairo_save)                                                                                  \
    F(cairo_restore)                                                                               \
    F(cairo_set_source_surface)                                                                    \
    F(cairo_set_source_rgb)                                                                        \
    F(cairo_rectangle)                                                                             \
    F(cairo_clip)                                                                                  \
    F(cairo_fill)                                                                                  \
    F(cairo_paint)                                                                                 \
    F(cairo_stroke)                                                                                \
    F(cairo_set_line_width)                                                                        \
    F(cairo_arc)                                                                                   \
    F(cairo_scale)                                                                                 \
    F(cairo_select_font_face)                                                                      \
    F(cairo_set_font_size)                                                                         \
    F(cairo_font_extents)                                                                          \
    F(cairo_text_extents)                                                                          \
    F(cairo_move_to)                                                                               \
    F(cairo_show_text)

struct XLibraries
{
#define TAVREL_DECLARE_POINTER(name) decltype(&::name) name = nullptr;
    TAVREL_XLIB_FUNCTIONS(TAVREL_DECLARE_POINTER)
    TAVREL_CAIRO_FUNCTIONS(TAVREL_DECLARE_POINTER)
#undef TAVREL_DECLARE_POINTER
};

// Catches the X errors of one display connection for a scope, so that a bad window id from a
// host, or a window the host destroyed under the panel, fails an operation instead of reaching
// Xlib's default handler, which ends the process. Errors of other connections (the host's own) go
// on to the handler that was installed before. The scope ends with a round trip, so the errors
// of its requests arrive inside it. On the user-interface thread. A scope opened inside another
// takes only the errors of its own requests in sync(); those it leaves untaken go on to the outer
// scope when it ends.
class ErrorTrap
{
public:
    ErrorTrap(const XLibraries& libraries, Display* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits for the answers to the requests made so far; true when one of them was an error.
    bool sync();

private:
    const XLibraries& x;
    Display* display;
    bool outermost;
    // In a nested scope: whether the outer one had caught an error before this one began.
    bool outerFailed = false;
    int (*previous)(Display*, XErrorEvent*) = nullptr;
};

// The table, loaded at the first call (on the user-interface thread); null when a library or one
// of its functions is missing, which the later calls repeat without trying again.
const XLibraries* loadXLibraries();

} // namespace Sonarch::X11
