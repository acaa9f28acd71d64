// The plug-in's own dialog window.
#include "sonarch/gui/x11/Dialog.h"

#include <X11/keysym.h>
#include <algorithm>

namespace Sonarch::X11
{

namespace
{

constexpr Rgb kButtonFrame = {173, 173, 173};
constexpr Rgb kButtonFace = {225, 225, 225};
constexpr Rgb kListFace = {255, 255, 255};
constexpr int kMargin = 12;
constexpr int kLineHeight = 18;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kMessageWidth = 320;
constexpr int kListWidth = 200;
constexpr int kWideListWidth = 400;
constexpr int kTextHeight = 22;
// Enough for any path a user types; more is ignored.
constexpr std::size_t kMaximumTextBytes = 4096;
// Two clicks on one row within this time are a double click.
constexpr Time kDoubleClickMilliseconds = 500;

// The end of text that fits in widthPixels, so that the end of a long path stays in sight.
std::string tailThatFits(TextMeasure& measure, const std::string& text, int widthPixels)
{
    std::size_t start = 0;
    while (start < text.size() && measure.width(text.c_str() + start) > widthPixels)
    {
        ++start;
        // Not inside a UTF-8 sequence.
        while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xc0) == 0x80)
        {
            ++start;
        }
    }
    return text.substr(start);
}

} // namespace

Dialog::Dialog(const XLibraries& libraries, Display* displayIn, Window over, const char* title,
               const char* message, std::vector<std::string> listIn, int selectionIn,
               Buttons buttonSet, Answer answerIn, cairo_surface_t* pictureIn)
    : x(libraries), display(displayIn), list(std::move(listIn)), selection(selectionIn),
      picture(pictureIn), answerFunction(std::move(answerIn))
{
    font.height = 15;
    typing = buttonSet == kOpenCancel;
    if (typing)
    {
        buttons.push_back({"Open", true});
    }
    else if (buttonSet != kNoButtons)
    {
        buttons.push_back({"OK", true});
    }
    if (buttonSet == kOkCancel || typing)
    {
        buttons.push_back({"Cancel", false});
    }
    if (list.empty() || selection < 0 || selection >= static_cast<int>(list.size()))
    {
        selection = list.empty() ? -1 : 0;
    }
    layout(message != nullptr ? message : "");

    const int screen = x.XDefaultScreen(display);
    const Window root = x.XRootWindow(display, screen);
    // Centred over the window it belongs to.
    int overX = 0;
    int overY = 0;
    Window child = 0;
    x.XTranslateCoordinates(display, over, root, 0, 0, &overX, &overY, &child);
    XWindowAttributes overAttributes = {};
    x.XGetWindowAttributes(display, over, &overAttributes);
    const int left = std::max(0, overX + (overAttributes.width - width) / 2);
    const int top = std::max(0, overY + (overAttributes.height - height) / 3);
    window = x.XCreateSimpleWindow(display, root, left, top, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), 1, x.XBlackPixel(display, screen),
                                   x.XWhitePixel(display, screen));
    if (window == 0)
    {
        finished = true;
        return;
    }
    x.XGetInputFocus(display, &focusBefore, &revertBefore);
    x.XStoreName(display, window, title != nullptr ? title : "");
    x.XSetTransientForHint(display, window, over);
    deleteWindow = x.XInternAtom(display, "WM_DELETE_WINDOW", False);
    x.XSetWMProtocols(display, window, &deleteWindow, 1);
    x.XSelectInput(display, window,
                   ExposureMask | ButtonPressMask | KeyPressMask | StructureNotifyMask);
    surface = x.cairo_xlib_surface_create(display, window, x.XDefaultVisual(display, screen), width,
                                          height);
    scrollTo(selection);
    x.XMapRaised(display, window);
    x.XFlush(display);
}

Dialog::~Dialog()
{
    if (surface != nullptr)
    {
        x.cairo_surface_destroy(surface);
    }
    if (window != 0)
    {
        giveFocusBack();
        x.XDestroyWindow(display, window);
        x.XFlush(display);
    }
}

void Dialog::giveFocusBack()
{
    // Only when the dialog still has the focus: the user may have given it to another window.
    // The window it came from may be gone; the error of that stays in this scope.
    ErrorTrap trap(x, display);
    Window focus = 0;
    int revert = 0;
    x.XGetInputFocus(display, &focus, &revert);
    if (focus == window)
    {
        x.XSetInputFocus(display, focusBefore, revertBefore, CurrentTime);
    }
    trap.sync();
}

void Dialog::setList(std::vector<std::string> rows, int selectionIn)
{
    list = std::move(rows);
    selection = list.empty() ? -1 : std::clamp(selectionIn, 0, static_cast<int>(list.size()) - 1);
    firstRow = 0;
    scrollTo(selection);
    paint();
}

void Dialog::setMessage(const std::string& line)
{
    lines = {line};
    paint();
}

void Dialog::setText(const std::string& typed)
{
    typedText = typed.substr(0, kMaximumTextBytes);
    paint();
}

void Dialog::confirm()
{
    if (acceptFunction && !acceptFunction(*this, selection, typedText))
    {
        paint();
        return;
    }
    finished = true;
    ok = true;
}

void Dialog::keyPressed(XKeyEvent& event)
{
    KeySym symbol = NoSymbol;
    char typed[16] = {};
    const int count = x.XLookupString(&event, typed, sizeof(typed) - 1, &symbol, nullptr);
    const int rows = static_cast<int>(list.size());
    switch (symbol)
    {
    case XK_Escape:
        finished = true;
        ok = false;
        return;
    case XK_Return:
    case XK_KP_Enter:
        if (picture != nullptr)
        {
            finished = true;
            ok = true;
        }
        else if (!buttons.empty())
        {
            confirm();
        }
        return;
    case XK_Up:
    case XK_Down:
    case XK_Page_Up:
    case XK_Page_Down:
        if (rows > 0)
        {
            const int step = symbol == XK_Up        ? -1
                             : symbol == XK_Down    ? 1
                             : symbol == XK_Page_Up ? -kListRows
                                                    : kListRows;
            selection = std::clamp(selection + step, 0, rows - 1);
            scrollTo(selection);
            paint();
        }
        return;
    case XK_BackSpace:
        if (typing && !typedText.empty())
        {
            // One character, all the bytes of its UTF-8 sequence.
            while (typedText.size() > 1 &&
                   (static_cast<unsigned char>(typedText.back()) & 0xc0) == 0x80)
            {
                typedText.pop_back();
            }
            typedText.pop_back();
            paint();
        }
        return;
    default:
        break;
    }
    if (!typing || count <= 0)
    {
        return;
    }
    for (int i = 0; i < count && typedText.size() < kMaximumTextBytes; ++i)
    {
        const auto byte = static_cast<unsigned char>(typed[i]);
        // Control characters (Tab, Delete, ...) are no part of a path typed here.
        if (byte >= 0x20 && byte != 0x7f)
        {
            typedText.push_back(static_cast<char>(byte));
        }
    }
    paint();
}

void Dialog::layout(const char* message)
{
    // Words wrapped greedily into the message width, measured with the dialog's font.
    TextMeasure measure(x, font);
    const std::string text = message;
    std::size_t start = 0;
    if (typing)
    {
        // The chooser's folder: one line, its end shown when it is long.
        lines = {text};
        start = text.size();
    }
    while (start < text.size())
    {
        std::size_t end = text.find('\n', start);
        const std::string paragraph =
            text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string line;
        std::size_t word = 0;
        while (word < paragraph.size())
        {
            std::size_t next = paragraph.find(' ', word);
            const std::string piece =
                paragraph.substr(word, next == std::string::npos ? std::string::npos : next - word);
            const std::string candidate = line.empty() ? piece : line + " " + piece;
            if (measure.width(candidate.c_str()) > kMessageWidth - 2 * kMargin && !line.empty())
            {
                lines.push_back(line);
                line = piece;
            }
            else
            {
                line = candidate;
            }
            word = next == std::string::npos ? paragraph.size() : next + 1;
        }
        lines.push_back(line);
        start = end == std::string::npos ? text.size() : end + 1;
    }

    width = list.empty() && !typing ? kMessageWidth
                                    : (typing ? kWideListWidth : kListWidth) + 2 * kMargin;
    int y = kMargin;
    y += static_cast<int>(lines.size()) * kLineHeight;
    if (!list.empty() || typing)
    {
        listPlace = {kMargin, y, width - kMargin, y + kListRows * kRowHeight + 2};
        y = listPlace.bottom + kMargin;
    }
    if (typing)
    {
        textPlace = {kMargin, y, width - kMargin, y + kTextHeight};
        y = textPlace.bottom + kMargin;
    }
    else
    {
        y += kMargin;
    }
    const int count = static_cast<int>(buttons.size());
    int left = width - kMargin - count * kButtonWidth - (count - 1) * 8;
    for (int i = 0; i < count; ++i)
    {
        buttonPlaces.push_back({left, y, left + kButtonWidth, y + kButtonHeight});
        left += kButtonWidth + 8;
    }
    height = y + kButtonHeight + kMargin;
    if (picture != nullptr)
    {
        width = surfaceWidth(x, picture);
        height = surfaceHeight(x, picture);
    }
}

void Dialog::scrollTo(int row)
{
    const int count = static_cast<int>(list.size());
    if (row < firstRow)
    {
        firstRow = std::max(0, row);
    }
    else if (row >= firstRow + kListRows)
    {
        firstRow = row - kListRows + 1;
    }
    firstRow = std::clamp(firstRow, 0, std::max(0, count - kListRows));
}

int Dialog::buttonAt(int pointerX, int pointerY) const
{
    for (std::size_t i = 0; i < buttonPlaces.size(); ++i)
    {
        const Gui::PixelRect& place = buttonPlaces[i];
        if (pointerX >= place.left && pointerX < place.right && pointerY >= place.top &&
            pointerY < place.bottom)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Dialog::press(int pointerX, int pointerY, unsigned button, Time time)
{
    const int count = static_cast<int>(list.size());
    if (button == Button4 || button == Button5)
    {
        firstRow =
            std::clamp(firstRow + (button == Button4 ? -3 : 3), 0, std::max(0, count - kListRows));
        paint();
        return;
    }
    if (button != Button1)
    {
        return;
    }
    if (picture != nullptr)
    {
        finished = true;
        ok = true;
        return;
    }
    const int pressed = buttonAt(pointerX, pointerY);
    if (pressed >= 0)
    {
        if (buttons[static_cast<std::size_t>(pressed)].second)
        {
            confirm();
        }
        else
        {
            finished = true;
            ok = false;
        }
        return;
    }
    if (!list.empty() && pointerX >= listPlace.left && pointerX < listPlace.right &&
        pointerY > listPlace.top && pointerY < listPlace.bottom - 1)
    {
        const int row = firstRow + (pointerY - listPlace.top - 1) / kRowHeight;
        if (row < count)
        {
            const bool twice = row == lastClickRow && time - lastClick < kDoubleClickMilliseconds;
            selection = row;
            lastClickRow = row;
            lastClick = time;
            if (typing)
            {
                typedText.clear();
            }
            if (twice)
            {
                // A second click on the row the first one made is not a double click again.
                lastClickRow = -1;
                confirm();
                return;
            }
            paint();
        }
    }
}

bool Dialog::handleEvent(const XEvent& event)
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
    case ButtonPress:
        press(event.xbutton.x, event.xbutton.y, event.xbutton.button, event.xbutton.time);
        break;
    case KeyPress:
    {
        XKeyEvent key = event.xkey;
        keyPressed(key);
        break;
    }
    case MapNotify:
    {
        // Viewable now, which the focus needs; a window manager may have unmapped it again.
        ErrorTrap trap(x, display);
        x.XSetInputFocus(display, window, RevertToParent, CurrentTime);
        trap.sync();
        break;
    }
    case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
        {
            finished = true;
            ok = false;
        }
        break;
    default:
        break;
    }
    return true;
}

void Dialog::answer()
{
    if (answerFunction)
    {
        const Answer function = std::move(answerFunction);
        answerFunction = nullptr;
        function(ok, ok ? selection : -1);
    }
}

void Dialog::paint()
{
    if (surface == nullptr)
    {
        return;
    }
    cairo_t* cr = x.cairo_create(surface);
    Painter painter(x, cr);
    painter.fill({0, 0, width, height}, kFaceColour);
    painter.image(picture, 0, 0, 0, 0, width, height);
    TextMeasure measure(x, font);
    int y = kMargin;
    for (const std::string& line : lines)
    {
        const std::string shown = typing ? tailThatFits(measure, line, width - 2 * kMargin) : line;
        painter.text(shown.c_str(), font, kTextColour,
                     {kMargin, y, width - kMargin, y + kLineHeight}, true);
        y += kLineHeight;
    }
    if (typing)
    {
        painter.fill(textPlace, kListFace);
        painter.frame(textPlace, kButtonFrame);
        const int room = textPlace.width() - 10;
        const std::string shown = tailThatFits(measure, typedText, room);
        painter.text(shown.c_str(), font, kTextColour,
                     {textPlace.left + 4, textPlace.top, textPlace.right - 4, textPlace.bottom},
                     true);
        // The caret after the text.
        const int caret = textPlace.left + 4 + static_cast<int>(measure.width(shown.c_str())) + 1;
        painter.fill({caret, textPlace.top + 4, caret + 1, textPlace.bottom - 4}, kTextColour);
    }
    if (!list.empty() || typing)
    {
        painter.fill(listPlace, kListFace);
        painter.frame(listPlace, kButtonFrame);
        const int count = static_cast<int>(list.size());
        for (int row = firstRow; row < std::min(count, firstRow + kListRows); ++row)
        {
            const int top = listPlace.top + 1 + (row - firstRow) * kRowHeight;
            const Gui::PixelRect place = {listPlace.left + 1, top, listPlace.right - 1,
                                          top + kRowHeight};
            if (row == selection)
            {
                painter.fill(place, kHighlightColour);
            }
            painter.text(list[static_cast<std::size_t>(row)].c_str(), font,
                         row == selection ? kHighlightTextColour : kTextColour,
                         {place.left + 3, place.top, place.right, place.bottom}, true);
        }
    }
    for (std::size_t i = 0; i < buttons.size(); ++i)
    {
        painter.fill(buttonPlaces[i], kButtonFace);
        painter.frame(buttonPlaces[i], kButtonFrame);
        painter.text(buttons[i].first.c_str(), font, kTextColour, buttonPlaces[i]);
    }
    x.cairo_destroy(cr);
    x.cairo_surface_flush(surface);
    x.XFlush(display);
}

} // namespace Sonarch::X11
