// The plug-in's own popup menu.
#include "sonarch/gui/x11/PopupMenu.h"

#include <X11/keysym.h>
#include <algorithm>

namespace Sonarch::X11
{

namespace
{

constexpr Rgb kFrame = {151, 151, 151};
// Room for the check mark left of the texts, and after them.
constexpr int kTextLeft = 22;
constexpr int kTextRightMargin = 16;
constexpr int kMenuFontHeight = 15;

} // namespace

PopupMenu::PopupMenu(const XLibraries& libraries, Display* displayIn, int rootX, int rootY,
                     const std::vector<Gui::MenuItem>& items, int checkedCommandIn,
                     int minimumWidth)
    : x(libraries), display(displayIn), checkedCommand(checkedCommandIn)
{
    font.height = kMenuFontHeight;
    for (const Gui::MenuItem& item : items)
    {
        rows.push_back({item.command, item.text != nullptr ? item.text : ""});
    }
    // The widest text sets the width.
    TextMeasure measure(x, font);
    double widest = 0.0;
    for (const Row& row : rows)
    {
        widest = std::max(widest, measure.width(row.text.c_str()));
    }
    width = std::max(minimumWidth, kTextLeft + static_cast<int>(widest) + kTextRightMargin);
    height = std::max(1, static_cast<int>(rows.size()) * kRowHeight + 2);

    const int screen = x.XDefaultScreen(display);
    XSetWindowAttributes attributes = {};
    attributes.override_redirect = True;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            LeaveWindowMask | KeyPressMask;
    window = x.XCreateWindow(display, x.XRootWindow(display, screen), rootX, rootY,
                             static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                             CopyFromParent, InputOutput, nullptr, CWOverrideRedirect | CWEventMask,
                             &attributes);
    if (window == 0)
    {
        finished = true;
        return;
    }
    surface = x.cairo_xlib_surface_create(display, window, x.XDefaultVisual(display, screen), width,
                                          height);
    x.XMapRaised(display, window);
    // The grab needs the window viewable; events outside it then come to the menu as well.
    x.XSync(display, False);
    x.XGrabPointer(display, window, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                   GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    // The keys come to the menu while it is open, as a desktop menu takes them; the host has them
    // back when it closes. A refused grab (another client holds the keyboard) leaves the mouse.
    x.XGrabKeyboard(display, window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    x.XFlush(display);
}

PopupMenu::~PopupMenu()
{
    if (surface != nullptr)
    {
        x.cairo_surface_destroy(surface);
    }
    if (window != 0)
    {
        x.XUngrabPointer(display, CurrentTime);
        x.XUngrabKeyboard(display, CurrentTime);
        x.XDestroyWindow(display, window);
        x.XFlush(display);
    }
}

int PopupMenu::rowAt(int pointerX, int pointerY) const
{
    if (pointerX < 0 || pointerX >= width || pointerY < 1)
    {
        return -1;
    }
    const int row = (pointerY - 1) / kRowHeight;
    return row < static_cast<int>(rows.size()) ? row : -1;
}

void PopupMenu::finish(int chosen)
{
    finished = true;
    command = chosen;
}

void PopupMenu::keyPressed(XKeyEvent& event)
{
    KeySym symbol = NoSymbol;
    char text[8];
    x.XLookupString(&event, text, sizeof(text), &symbol, nullptr);
    const int count = static_cast<int>(rows.size());
    switch (symbol)
    {
    case XK_Escape:
        finish(0);
        break;
    case XK_Return:
    case XK_KP_Enter:
        if (highlighted >= 0)
        {
            finish(rows[static_cast<std::size_t>(highlighted)].command);
        }
        break;
    case XK_Up:
    case XK_Down:
        if (count > 0)
        {
            // From no highlight, Down starts at the first row and Up at the last.
            const int step = symbol == XK_Down ? 1 : -1;
            highlighted =
                highlighted < 0 ? (step > 0 ? 0 : count - 1) : (highlighted + step + count) % count;
            paint();
        }
        break;
    default:
        break;
    }
}

bool PopupMenu::handleEvent(const XEvent& event)
{
    if (window == 0 || event.xany.window != window)
    {
        return false;
    }
    switch (event.type)
    {
    case Expose:
        if (event.xexpose.count == 0)
        {
            paint();
        }
        break;
    case MotionNotify:
    {
        const int row = rowAt(event.xmotion.x, event.xmotion.y);
        if (row != highlighted)
        {
            highlighted = row;
            paint();
        }
        break;
    }
    case ButtonPress:
        if (rowAt(event.xbutton.x, event.xbutton.y) < 0)
        {
            finish(0);
        }
        break;
    case KeyPress:
    {
        XKeyEvent key = event.xkey;
        keyPressed(key);
        break;
    }
    case ButtonRelease:
    {
        // The release of the click that opened the menu lands outside it and counts for nothing.
        const int row = rowAt(event.xbutton.x, event.xbutton.y);
        if (row >= 0)
        {
            finish(rows[static_cast<std::size_t>(row)].command);
        }
        break;
    }
    default:
        break;
    }
    return true;
}

void PopupMenu::paint()
{
    if (surface == nullptr)
    {
        return;
    }
    cairo_t* cr = x.cairo_create(surface);
    Painter painter(x, cr);
    painter.fill({0, 0, width, height}, kFaceColour);
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        const int top = 1 + static_cast<int>(i) * kRowHeight;
        const bool lit = static_cast<int>(i) == highlighted;
        if (lit)
        {
            painter.fill({1, top, width - 1, top + kRowHeight}, kHighlightColour);
        }
        const Rgb ink = lit ? kHighlightTextColour : kTextColour;
        if (rows[i].command == checkedCommand)
        {
            painter.disc(kTextLeft / 2.0, top + kRowHeight / 2.0, 3.0, ink);
        }
        painter.text(rows[i].text.c_str(), font, ink, {kTextLeft, top, width, top + kRowHeight},
                     true);
    }
    painter.frame({0, 0, width, height}, kFrame);
    x.cairo_destroy(cr);
    x.cairo_surface_flush(surface);
    x.XFlush(display);
}

} // namespace Sonarch::X11
