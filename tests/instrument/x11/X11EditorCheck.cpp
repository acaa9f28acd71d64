// The Linux editor's check under Xvfb: the built plug-in hosted through its entry, its panel opened
// in a top-level window of the check's own and driven with XTest input; screenshots of the panel.
//   tavrel-x11check PLUGIN.so ARTIFACTS-FOLDER   the whole check (needs an X display)
//   tavrel-x11check --headless PLUGIN.so         effEditOpen fails cleanly, the plug-in still plays
#include "instrument/TavrelPanel.h"
#include "tests/host/HostSession.h"
#include "tests/support/CheckHarness.h"
#include "tools/render/FxPreset.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cairo/cairo.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace CheckHarness;
using namespace HostCheck;

namespace
{

Display* display = nullptr;
Window host = 0;
std::string artifacts;

// Idle calls as a host makes them from its user-interface thread, for a while.
void pump(HostSession& session, int milliseconds = 40)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do
    {
        XSync(display, False);
        session.dispatch(effEditIdle);
        usleep(2000);
    } while (std::chrono::steady_clock::now() < end);
}

void moveTo(HostSession& session, int x, int y)
{
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    pump(session, 10);
}

void button(HostSession& session, unsigned number, bool down)
{
    XTestFakeButtonEvent(display, number, down ? True : False, CurrentTime);
    pump(session, 15);
}

void key(KeySym symbol, bool down)
{
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, symbol), down ? True : False, CurrentTime);
}

// A key pressed and released, then idle calls.
void press(HostSession& session, KeySym symbol)
{
    key(symbol, true);
    key(symbol, false);
    pump(session, 30);
}

// Types printable ASCII text, with Shift where the keymap puts a character on the shifted level.
void type(HostSession& session, const std::string& text)
{
    for (const char character : text)
    {
        const KeySym symbol = static_cast<unsigned char>(character);
        const KeyCode code = XKeysymToKeycode(display, symbol);
        CHECK_MSG(code != 0, format("no key for '%c'", character));
        const bool shifted = XkbKeycodeToKeysym(display, code, 0, 0) != symbol;
        if (shifted)
        {
            key(XK_Shift_L, true);
        }
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        if (shifted)
        {
            key(XK_Shift_L, false);
        }
        pump(session, 5);
    }
}

Window focused()
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus;
}

void click(HostSession& session, int x, int y, unsigned number = 1)
{
    moveTo(session, x, y);
    button(session, number, true);
    button(session, number, false);
}

std::vector<Window> children(Window parent)
{
    Window root = 0;
    Window up = 0;
    Window* list = nullptr;
    unsigned count = 0;
    std::vector<Window> found;
    if (XQueryTree(display, parent, &root, &up, &list, &count) != 0)
    {
        found.assign(list, list + count);
        XFree(list);
    }
    return found;
}

// The viewable windows of the screen other than the host's: menus (override-redirect) or dialogs.
Window topWindow(bool overrideRedirect, XWindowAttributes* geometry = nullptr)
{
    for (const Window window : children(DefaultRootWindow(display)))
    {
        XWindowAttributes attributes = {};
        if (window != host && XGetWindowAttributes(display, window, &attributes) != 0 &&
            attributes.map_state == IsViewable &&
            (attributes.override_redirect != 0) == overrideRedirect)
        {
            if (geometry != nullptr)
            {
                // The window's own pixel (0, 0), inside its border (x and y are the border's).
                attributes.x += attributes.border_width;
                attributes.y += attributes.border_width;
                *geometry = attributes;
            }
            return window;
        }
    }
    return 0;
}

// The pixels of a screen rectangle as 0x00RRGGBB.
std::vector<std::uint32_t> pixels(int x, int y, int width, int height)
{
    std::vector<std::uint32_t> out;
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr)
    {
        return out;
    }
    for (int row = 0; row < height; ++row)
    {
        for (int column = 0; column < width; ++column)
        {
            out.push_back(static_cast<std::uint32_t>(XGetPixel(image, column, row)) & 0xffffff);
        }
    }
    XDestroyImage(image);
    return out;
}

void screenshot(const char* name, int x, int y, int width, int height)
{
    const std::vector<std::uint32_t> data = pixels(x, y, width, height);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(surface);
    auto* target = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int row = 0; row < height && !data.empty(); ++row)
    {
        std::memcpy(target + row * stride, &data[static_cast<std::size_t>(row * width)],
                    static_cast<std::size_t>(width) * 4);
    }
    cairo_surface_mark_dirty(surface);
    const std::string path = artifacts + "/" + name;
    CHECK_MSG(cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS, path);
    cairo_surface_destroy(surface);
}

// The indexes of the parameters by their short names, as the host lists them.
std::map<std::string, int> parameterIndexes(HostSession& session)
{
    std::map<std::string, int> indexes;
    for (int index = 0; index < session.effect()->numParams; ++index)
    {
        indexes[session.parameterName(index)] = index;
    }
    return indexes;
}

// Opens the editor in the host's window and returns the panel's window.
Window openEditor(HostSession& session)
{
    CHECK(session.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)) == 1);
    pump(session);
    const std::vector<Window> panels = children(host);
    CHECK_MSG(panels.size() == 1, format("%zu panels", panels.size()));
    return panels.empty() ? 0 : panels.front();
}

void checkOpen(HostSession& session)
{
    CHECK((session.effect()->flags & effFlagsHasEditor) != 0);
    ERect* rect = nullptr;
    CHECK(session.dispatch(effEditGetRect, 0, 0, &rect) == 1 && rect != nullptr);
    CHECK(rect != nullptr && rect->right - rect->left == TavrelPanel::kWidth &&
          rect->bottom - rect->top == TavrelPanel::kHeight);
    const Window focus = focused();
    const Window panel = openEditor(session);
    XWindowAttributes attributes = {};
    XGetWindowAttributes(display, panel, &attributes);
    CHECK(attributes.width == TavrelPanel::kWidth && attributes.height == TavrelPanel::kHeight &&
          attributes.map_state == IsViewable);
    // The host keeps its keys: the panel neither takes the focus nor listens to the keyboard.
    CHECK(focused() == focus);
    CHECK((attributes.all_event_masks & (KeyPressMask | KeyReleaseMask)) == 0);
}

// Every control of the table answers at its place for its own parameter: a click on a switch, a
// drag on a knob or slider, a choice from a box's list each make automation of that parameter.
void checkPlaces(HostSession& session)
{
    const std::map<std::string, int> indexes = parameterIndexes(session);
    int answered = 0;
    for (const TavrelPanel::Control& control : TavrelPanel::controls())
    {
        const int index = indexes.at(control.shortName);
        const int x = control.x + control.width / 2;
        const int y = control.y + control.height / 2;
        const bool high = session.getParameter(index) > 0.5f;
        session.callbacks().automations.clear();
        switch (control.kind)
        {
        case TavrelPanel::Kind::Switch:
            click(session, x, y);
            break;
        case TavrelPanel::Kind::DropDown:
        {
            click(session, x, y);
            XWindowAttributes list = {};
            const Window menu = topWindow(true, &list);
            CHECK_MSG(menu != 0 && list.x == control.x && list.y == control.y + control.height,
                      control.shortName);
            const int row =
                std::lround(session.getParameter(index) * (control.itemCount - 1)) == 0 ? 1 : 0;
            click(session, list.x + 30, list.y + 1 + row * 20 + 10);
            break;
        }
        case TavrelPanel::Kind::Knob:
        case TavrelPanel::Kind::HorizontalSlider:
        case TavrelPanel::Kind::VerticalSlider:
        {
            // Towards the middle: up raises a knob and a vertical slider, right a horizontal one.
            const bool vertical = control.kind != TavrelPanel::Kind::HorizontalSlider;
            const int step = (control.kind == TavrelPanel::Kind::HorizontalSlider) == high ? -8 : 8;
            moveTo(session, x, y);
            button(session, 1, true);
            moveTo(session, vertical ? x : x + step, vertical ? y + step : y);
            button(session, 1, false);
            break;
        }
        }
        const auto& automations = session.callbacks().automations;
        const bool ok = !automations.empty() && automations.back().index == index &&
                        automations.front().index == index;
        CHECK_MSG(ok, format("%s at %d, %d: %zu automations", control.shortName, x, y,
                             automations.size()));
        answered += ok ? 1 : 0;
    }
    CHECK(answered == TavrelPanel::kControlCount);
    note(format("%d controls answered at their places", answered));
}

const TavrelPanel::Control& tableEntry(const char* shortName)
{
    for (const TavrelPanel::Control& control : TavrelPanel::controls())
    {
        if (std::strcmp(control.shortName, shortName) == 0)
        {
            return control;
        }
    }
    return TavrelPanel::controls().front();
}

// One drag on the cutoff knob, at the three speeds, and Ctrl+click back to the default.
void checkDrag(HostSession& session)
{
    const int cutoff = parameterIndexes(session).at("F Cut");
    const TavrelPanel::Control& knob = tableEntry("F Cut");
    const int x = knob.x + 16;
    const int y = knob.y + 16;
    struct Case
    {
        KeySym held[2];
        float expectedStep;
    };
    const Case cases[] = {{{0, 0}, 20.0f / 207.0f},
                          {{XK_Shift_L, 0}, 2.0f / 207.0f},
                          {{XK_Shift_L, XK_Control_L}, 0.2f / 207.0f}};
    for (const Case& test : cases)
    {
        session.setParameter(cutoff, 0.5f);
        pump(session);
        moveTo(session, x, y);
        for (const KeySym held : test.held)
        {
            if (held != 0)
            {
                key(held, true);
            }
        }
        button(session, 1, true);
        session.callbacks().automations.clear();
        moveTo(session, x, y - 20);
        const auto automations = session.callbacks().automations;
        button(session, 1, false);
        for (const KeySym held : test.held)
        {
            if (held != 0)
            {
                key(held, false);
            }
        }
        CHECK_MSG(automations.size() == 1, format("%zu automations", automations.size()));
        if (automations.size() == 1)
        {
            CHECK(automations[0].index == cutoff);
            CHECK_NEAR(automations[0].value, 0.5f + test.expectedStep, 1e-4);
            CHECK_NEAR(session.getParameter(cutoff), automations[0].value, 1e-6);
        }
    }
    key(XK_Control_L, true);
    session.setParameter(cutoff, 0.9f);
    pump(session);
    click(session, x, y);
    key(XK_Control_L, false);
    CHECK_NEAR(session.getParameter(cutoff), knob.defaultValue, 1e-6);
}

// A host's setParameter shows at the next idle call, not before.
void checkHostValueShown(HostSession& session)
{
    const int cutoff = parameterIndexes(session).at("F Cut");
    const TavrelPanel::Control& knob = tableEntry("F Cut");
    moveTo(session, 5, 400);
    session.setParameter(cutoff, 0.0f);
    pump(session);
    const auto before = pixels(knob.x, knob.y, knob.width, knob.height);
    session.setParameter(cutoff, 1.0f);
    XSync(display, False);
    CHECK(pixels(knob.x, knob.y, knob.width, knob.height) == before);
    session.dispatch(effEditIdle);
    XSync(display, False);
    CHECK(pixels(knob.x, knob.y, knob.width, knob.height) != before);

    // Resting on the knob shows its text in the status line after 200 ms; leaving it clears it.
    using TavrelPanel::kStatusX, TavrelPanel::kStatusY, TavrelPanel::kStatusWidth,
        TavrelPanel::kStatusHeight;
    const auto empty = pixels(kStatusX, kStatusY, kStatusWidth, kStatusHeight);
    moveTo(session, knob.x + 10, knob.y + 10);
    moveTo(session, knob.x + 12, knob.y + 12);
    CHECK(pixels(kStatusX, kStatusY, kStatusWidth, kStatusHeight) == empty);
    pump(session, 300);
    CHECK(pixels(kStatusX, kStatusY, kStatusWidth, kStatusHeight) != empty);
    moveTo(session, 5, 400);
    pump(session);
    CHECK(pixels(kStatusX, kStatusY, kStatusWidth, kStatusHeight) == empty);
}

// Sends a controller (74 unless named) and tells whether it moved the cutoff.
bool controllerMovesCutoff(HostSession& session, int value, int controller = 74)
{
    const int cutoff = parameterIndexes(session).at("F Cut");
    session.setParameter(cutoff, 0.0f);
    session.controlChange(0, controller, value);
    session.render(64);
    return std::fabs(session.getParameter(cutoff) - value / 127.0f) < 0.01f;
}

// Chooses a row of the main menu (0 Clear All, 1 Import, 2 About while not learning); the dialog
// it opened, 0 for none.
Window fromMainMenu(HostSession& session, int row, XWindowAttributes* dialog)
{
    click(session, 20, 15);
    XWindowAttributes menu = {};
    CHECK(topWindow(true, &menu) != 0);
    click(session, menu.x + 30, menu.y + 11 + 20 * row);
    pump(session, 100);
    return topWindow(false, dialog);
}

// Right-click menu, MIDI learn, the Edit MIDI Learn dialog, the main menu, Clear All, import.
void checkMenus(HostSession& session)
{
    const TavrelPanel::Control& knob = tableEntry("F Cut");
    const int x = knob.x + 16;
    const int y = knob.y + 16;
    click(session, x, y, 3);
    XWindowAttributes menu = {};
    CHECK(topWindow(true, &menu) != 0 && menu.height == 2 * 20 + 2);
    screenshot("x11-control-menu.png", knob.x - 10, knob.y - 10, 200, 100);
    click(session, menu.x + 30, menu.y + 11); // Start MIDI Learn
    session.controlChange(0, 74, 64);
    session.render(64);
    pump(session);
    CHECK(controllerMovesCutoff(session, 100));

    // The bank file a host would save now, for the import below.
    FxBank bank;
    bank.isChunk = true;
    bank.fxID = session.effect()->uniqueID;
    bank.fxVersion = session.effect()->version;
    bank.numPrograms = session.effect()->numPrograms;
    bank.chunk = session.getChunk(false);
    const std::string fxb = artifacts + "/x11-import.fxb";
    const std::vector<std::uint8_t> bytes = FxPreset::writeBank(bank);
    std::ofstream(fxb, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));

    // Edit MIDI Learn: "None" (the list's first row) and OK unbinds.
    click(session, x, y, 3);
    CHECK(topWindow(true, &menu) != 0);
    click(session, menu.x + 30, menu.y + 31);
    pump(session, 100);
    XWindowAttributes dialog = {};
    CHECK(topWindow(false, &dialog) != 0);
    screenshot("x11-edit-midi-learn.png", dialog.x, dialog.y, dialog.width, dialog.height);
    // The list opens at the binding (CC74); the wheel takes it back to its top, "None".
    moveTo(session, dialog.x + 40, dialog.y + 40);
    for (int i = 0; i < 30; ++i)
    {
        button(session, 4, true);
        button(session, 4, false);
    }
    click(session, dialog.x + 40, dialog.y + 12 + 9);
    click(session, dialog.x + dialog.width - 12 - 75 - 8 - 75 + 30, dialog.y + dialog.height - 20);
    pump(session);
    CHECK(topWindow(false) == 0);
    // Unbound, not moved to another controller of the list's first page.
    for (int controller = 0; controller < 128; ++controller)
    {
        CHECK_MSG(!controllerMovesCutoff(session, 90, controller), format("CC%d", controller));
    }

    // The main menu: three items while not learning; import binds controller 74 again.
    click(session, 20, 15);
    CHECK(topWindow(true, &menu) != 0 && menu.height == 3 * 20 + 2);
    screenshot("x11-main-menu.png", 0, 0, 300, 120);
    click(session, menu.x + 30, menu.y + 31); // Import MIDI Learn
    pump(session, 400);
    CHECK(controllerMovesCutoff(session, 80));

    // Escape closes the main menu with nothing chosen.
    click(session, 20, 15);
    CHECK(topWindow(true) != 0);
    press(session, XK_Escape);
    CHECK(topWindow(true) == 0 && topWindow(false) == 0);

    // Clear All asks first, with the keyboard's focus, given back when it closes: Escape cancels,
    // Enter is OK and clears. The pointer rests outside the question meanwhile.
    const Window focusBefore = focused();
    for (const KeySym answer : {XK_Escape, XK_Return})
    {
        const Window question = fromMainMenu(session, 0, &dialog);
        CHECK(question != 0 && focused() == question);
        if (answer == XK_Escape)
        {
            screenshot("x11-clear-all.png", dialog.x, dialog.y, dialog.width, dialog.height);
        }
        moveTo(session, 5, 400);
        press(session, answer);
        CHECK(topWindow(false) == 0 && focused() == focusBefore);
        CHECK(controllerMovesCutoff(session, 70) == (answer == XK_Escape));
    }

    // A chooser program that fails (here: ends with status 3, as a broken desktop one would) opens
    // the plug-in's own chooser; Escape closes it with nothing imported.
    const std::string ownChooser = getenv("TAVREL_FILE_CHOOSER");
    const std::string failing = artifacts + "/x11-failing-chooser.sh";
    std::ofstream(failing) << "#!/bin/sh\nexit 3\n";
    chmod(failing.c_str(), 0755);
    setenv("TAVREL_FILE_CHOOSER", failing.c_str(), 1);
    click(session, 20, 15);
    XWindowAttributes shown = {};
    CHECK(topWindow(true, &shown) != 0);
    click(session, shown.x + 30, shown.y + 11 + 20);
    pump(session, 400);
    const Window fallback = topWindow(false);
    CHECK(fallback != 0 && focused() == fallback);
    press(session, XK_Escape);
    CHECK(topWindow(false) == 0 && !controllerMovesCutoff(session, 60));

    // Without a chooser program the import opens the plug-in's own chooser: the artifacts' folder
    // typed and entered, then the bank file's name typed, and Enter imports it.
    const char* const pathVariable = getenv("PATH");
    const std::string path = pathVariable != nullptr ? pathVariable : "/usr/bin:/bin";
    unsetenv("TAVREL_FILE_CHOOSER");
    setenv("PATH", (artifacts + "/no-programs").c_str(), 1);
    const Window chooser = fromMainMenu(session, 1, &dialog);
    CHECK(chooser != 0 && focused() == chooser);
    moveTo(session, 5, 400);
    type(session, artifacts);
    press(session, XK_Return);
    screenshot("x11-file-chooser.png", dialog.x, dialog.y, dialog.width, dialog.height);
    CHECK(topWindow(false) == chooser && !controllerMovesCutoff(session, 60));
    type(session, "x11-import.fxb");
    press(session, XK_Return);
    CHECK(topWindow(false) == 0);
    CHECK(controllerMovesCutoff(session, 60));
    setenv("TAVREL_FILE_CHOOSER", ownChooser.c_str(), 1);
    setenv("PATH", path.c_str(), 1);

    // The about box closes with a click.
    CHECK(fromMainMenu(session, 2, &dialog) != 0 && dialog.width == 537 && dialog.height == 288);
    screenshot("x11-about.png", dialog.x, dialog.y, dialog.width, dialog.height);
    click(session, dialog.x + 100, dialog.y + 100);
    CHECK(topWindow(false) == 0);
}

void checkScreenshots(HostSession& session)
{
    moveTo(session, 5, 400);
    session.selectProgram(0);
    pump(session);
    screenshot("x11-panel-program-0.png", 0, 0, TavrelPanel::kWidth, TavrelPanel::kHeight);
    const int program = session.findProgram("S&H Bleeps");
    session.selectProgram(program >= 0 ? program : 1);
    pump(session);
    screenshot("x11-panel-program-2.png", 0, 0, TavrelPanel::kWidth, TavrelPanel::kHeight);
    const TavrelPanel::Control& box = tableEntry("O1 Wave");
    click(session, box.x + 40, box.y + 7);
    XWindowAttributes list = {};
    CHECK(topWindow(true, &list) != 0 && list.height == 26 * 20 + 2);
    screenshot("x11-drop-down.png", 0, 0, 400, 700);
    click(session, 900, 900); // outside: dismissed
    CHECK(topWindow(true) == 0);
    // Escape dismisses the list too, and nothing is chosen.
    session.callbacks().automations.clear();
    click(session, box.x + 40, box.y + 7);
    CHECK(topWindow(true) != 0);
    press(session, XK_Escape);
    CHECK(topWindow(true) == 0 && session.callbacks().automations.empty());
}

void checkLifecycle(HostSession& session)
{
    session.dispatch(effEditClose);
    pump(session);
    CHECK(children(host).empty());
    openEditor(session);
    // A second open without a close replaces the panel.
    openEditor(session);
    // effClose with the editor open, on an instance of its own.
    {
        HostSession other;
        CHECK(other.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)) == 1);
        pump(other);
    }
    pump(session);
    CHECK(children(host).size() == 1);
    // The panel driven while another thread renders.
    std::atomic<bool> stop{false};
    std::thread audio(
        [&session, &stop]
        {
            while (!stop.load())
            {
                session.render(256);
            }
        });
    const TavrelPanel::Control& knob = tableEntry("Ch Dly");
    for (int i = 0; i < 20; ++i)
    {
        session.setParameter(0, (i % 2) * 1.0f);
        moveTo(session, knob.x + 16, knob.y + 16);
        button(session, 1, true);
        moveTo(session, knob.x + 16, knob.y + 16 - i);
        button(session, 1, false);
    }
    stop.store(true);
    audio.join();
    // The host destroys its window under the open panel, then closes the editor.
    XDestroyWindow(display, host);
    pump(session);
    session.dispatch(effEditClose);
    host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, TavrelPanel::kWidth,
                               TavrelPanel::kHeight, 0, 0, 0);
    XMapWindow(display, host);
    XSync(display, False);
    openEditor(session);
    session.dispatch(effEditClose);
}

// Without a display or without the libraries, effEditOpen says no and the instrument plays.
int checkHeadless()
{
    HostSession session;
    CHECK((session.effect()->flags & effFlagsHasEditor) != 0);
    CHECK(session.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(std::uintptr_t{0x400001})) ==
          0);
    session.dispatch(effEditIdle);
    session.noteOn(0, 60);
    const Stereo sound = session.render(4410);
    float peak = 0.0f;
    for (const float sample : sound.left)
    {
        peak = std::max(peak, std::fabs(sample));
    }
    CHECK(peak > 0.01f);
    session.dispatch(effEditClose);
    std::printf("x11 headless: %d checks, %d failures\n", checkCount(), failureCount());
    return failureCount() == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const bool headless = argc == 3 && std::strcmp(argv[1], "--headless") == 0;
    if (!headless && argc != 3)
    {
        std::fprintf(stderr, "usage: %s PLUGIN ARTIFACTS | --headless PLUGIN\n", argv[0]);
        return 2;
    }
    PluginLibrary library;
    if (!library.load(argv[headless ? 2 : 1]))
    {
        std::fprintf(stderr, "cannot load the plug-in\n");
        return 1;
    }
    HostSession::setEntry(library.findEntry());
    if (headless)
    {
        return checkHeadless();
    }
    artifacts = argv[2];
    display = XOpenDisplay(nullptr);
    if (display == nullptr)
    {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    // The host's top-level window at the screen's corner (Xvfb runs no window manager).
    host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, TavrelPanel::kWidth,
                               TavrelPanel::kHeight, 0, 0, 0);
    XMapWindow(display, host);
    XSync(display, False);
    // The import's chooser: a script that names the bank file written by the menu check.
    const std::string chooser = artifacts + "/x11-chooser.sh";
    std::ofstream(chooser) << "#!/bin/sh\necho '" << artifacts << "/x11-import.fxb'\n";
    chmod(chooser.c_str(), 0755);
    setenv("TAVREL_FILE_CHOOSER", chooser.c_str(), 1);
    {
        HostSession session;
        runGroup("open", [&session] { checkOpen(session); });
        runGroup("places", [&session] { checkPlaces(session); });
        runGroup("drag", [&session] { checkDrag(session); });
        runGroup("host value", [&session] { checkHostValueShown(session); });
        runGroup("menus", [&session] { checkMenus(session); });
        runGroup("screenshots", [&session] { checkScreenshots(session); });
        runGroup("lifecycle", [&session] { checkLifecycle(session); });
    }
    XCloseDisplay(display);
    std::printf("x11 editor: %d checks, %d failures\n", checkCount(), failureCount());
    return failureCount() == 0 ? 0 : 1;
}
