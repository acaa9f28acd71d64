// A dialog drawn by the plug-in itself: a small top-level window with a message or a list, and
// buttons; its answer is handed to a function when the user gives it.
#pragma once

#include "sonarch/gui/FontDescription.h"
#include "sonarch/gui/PixelRect.h"
#include "sonarch/gui/x11/Painter.h"

#include <functional>
#include <string>
#include <vector>

namespace Sonarch::X11
{

// Transient for the panel, centred over it. A list (when given) shows 14 rows, scrolls with the
// wheel, and selects with a click or Up and Down; a double click on a row is OK. Enter is the
// default button (OK, Open, or closing a picture), Escape and closing the window by the window
// manager are Cancel. The dialog takes the keyboard focus once it is mapped and gives it back to
// where it was when it goes, if it still has it. Everything runs on the user-interface thread
// from the owner's event feed.
class Dialog
{
public:
    enum Buttons
    {
        kOk,
        kOkCancel,
        // A picture alone (the about box): a click anywhere closes it.
        kNoButtons,
        // A wider list with a line of typed text under it, Open and Cancel (the file chooser).
        // A click on a row empties the text, so that Open then takes the row.
        kOpenCancel,
    };
    // ok is true for OK; selection is the list row chosen (-1 when the list has none).
    using Answer = std::function<void(bool ok, int selection)>;
    // Asked when the user gives OK, with the row and the typed text; false keeps the dialog open
    // (it may have changed the list or the message meanwhile).
    using Accept = std::function<bool(Dialog& dialog, int selection, const std::string& text)>;

    Dialog(const XLibraries& libraries, Display* display, Window over, const char* title,
           const char* message, std::vector<std::string> list, int selection, Buttons buttons,
           Answer answer, cairo_surface_t* picture = nullptr);
    ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Takes an event; true when it was the dialog's own.
    bool handleEvent(const XEvent& event);
    bool isFinished() const { return finished; }
    // Hands the answer on (once).
    void answer();
    Window getWindow() const { return window; }

    void setAccept(Accept accept) { acceptFunction = std::move(accept); }
    // New rows, scrolled to the selection; the window keeps its size.
    void setList(std::vector<std::string> rows, int selection);
    // Replaces the message by one line; the window keeps its size.
    void setMessage(const std::string& line);
    void setText(const std::string& typed);

private:
    static constexpr int kListRows = 14;
    static constexpr int kRowHeight = 16;

    void layout(const char* message);
    void paint();
    void press(int pointerX, int pointerY, unsigned button, Time time);
    int buttonAt(int pointerX, int pointerY) const;
    void scrollTo(int row);
    void confirm();
    void keyPressed(XKeyEvent& event);
    void giveFocusBack();

    const XLibraries& x;
    Display* display;
    std::vector<std::string> lines;
    std::vector<std::string> list;
    int selection;
    int firstRow = 0;
    std::vector<std::pair<std::string, bool>> buttons; // text, is OK
    std::vector<Gui::PixelRect> buttonPlaces;
    Gui::PixelRect listPlace;
    Gui::PixelRect textPlace;
    bool typing = false;
    std::string typedText;
    Accept acceptFunction;
    // Where the keyboard focus was before the dialog took it.
    Window focusBefore = 0;
    int revertBefore = RevertToParent;
    int width = 0;
    int height = 0;
    Gui::FontDescription font;
    Window window = 0;
    Atom deleteWindow = 0;
    cairo_surface_t* surface = nullptr;
    cairo_surface_t* picture;
    Answer answerFunction;
    bool finished = false;
    bool ok = false;
    Time lastClick = 0;
    int lastClickRow = -1;
};

} // namespace Sonarch::X11
