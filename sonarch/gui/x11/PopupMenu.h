// A menu drawn by the plug-in itself: an override-redirect window of text rows under the pointer's
// grab, for the drop-down lists and the MIDI-learn menus.
#pragma once

#include "sonarch/gui/FontDescription.h"
#include "sonarch/gui/MidiLearnMenus.h"
#include "sonarch/gui/x11/Painter.h"

#include <string>
#include <vector>

namespace Sonarch::X11
{

// X11 has no menus of its own. The menu holds the pointer and keyboard grabs while open: a button
// released on a row chooses its command, a press outside the menu or Escape dismisses it
// (command 0); Up and Down move the highlight and Enter chooses the highlighted row. The owner
// feeds it every event of the display and asks whether it has finished. Destroying the window
// ends the grabs with it.
class PopupMenu
{
public:
    static constexpr int kRowHeight = 20;

    // Opens at (rootX, rootY) of the screen, at least minimumWidth wide; the row whose command is
    // checkedCommand carries a mark. The menu shows nothing if its window could not be made.
    PopupMenu(const XLibraries& libraries, Display* display, int rootX, int rootY,
              const std::vector<Gui::MenuItem>& items, int checkedCommand, int minimumWidth);
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    // Takes an event; true when it was the menu's own.
    bool handleEvent(const XEvent& event);
    bool isFinished() const { return finished; }
    // The chosen command, 0 when dismissed.
    int getCommand() const { return command; }
    Window getWindow() const { return window; }

private:
    struct Row
    {
        int command;
        std::string text;
    };

    void paint();
    int rowAt(int x, int y) const;
    void finish(int chosen);
    void keyPressed(XKeyEvent& event);

    const XLibraries& x;
    Display* display;
    std::vector<Row> rows;
    int checkedCommand;
    int width = 0;
    int height = 0;
    Window window = 0;
    cairo_surface_t* surface = nullptr;
    Gui::FontDescription font;
    int highlighted = -1;
    bool finished = false;
    int command = 0;
};

} // namespace Sonarch::X11
