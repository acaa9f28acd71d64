// MIDI learn from the panel: a control's menu starts a learn that a controller from the audio
// thread ends, the status line meanwhile, the Edit MIDI Learn dialog; the main menu's items, Clear
// All with its question, the import from bank files with its error messages, the about box.
#include "tests/instrument/win32/EditorCheck.h"
#include "tests/sonarch/gui/win32/Pixels.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace EditorCheck
{

namespace
{

constexpr std::size_t kBankImageBytes = 98948;
constexpr const char* kLearning = "Learning...";

// The MIDI-learn table at the end of the bank chunk: the controller of each bound parameter.
std::map<int, int> bindings(Instance& instance)
{
    std::map<int, int> controllerOf;
    void* data = nullptr;
    const VstIntPtr size = instance.dispatch(effGetChunk, 0, 0, &data);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::size_t at = kBankImageBytes;
    auto readInt = [&](std::int32_t& value)
    {
        if (bytes == nullptr || at + 4 > static_cast<std::size_t>(size))
        {
            return false;
        }
        std::memcpy(&value, bytes + at, 4);
        at += 4;
        return true;
    };
    for (int controller = 0; controller < 128; ++controller)
    {
        std::int32_t count = 0;
        if (!readInt(count))
        {
            break;
        }
        for (std::int32_t i = 0; i < count; ++i)
        {
            std::int32_t parameter = 0;
            if (readInt(parameter))
            {
                controllerOf[parameter] = controller;
            }
        }
    }
    return controllerOf;
}

std::string describe(const std::map<int, int>& controllerOf)
{
    std::string text;
    for (const auto& [parameter, controller] : controllerOf)
    {
        text += (text.empty() ? "" : ", ") + std::to_string(parameter) + "->CC" +
                std::to_string(controller);
    }
    return "{" + text + "}";
}

// A controller message and one block, on a thread of its own as the host's audio thread.
void controllerFromAudioThread(Instance& instance, int controller, int value)
{
    std::thread audio([&] { instance.midiAndBlock(0xB0, controller, value); });
    audio.join();
}

void rightClick(HWND control)
{
    SendMessageA(control, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
}

const std::vector<std::string> kControlMenu = {"Start MIDI Learn", "Edit MIDI Learn"};
const std::vector<std::string> kMainMenu = {"Clear All MIDI Learn", "Import MIDI Learn",
                                            "About..."};
const std::vector<std::string> kMainMenuLearning = {"Clear All MIDI Learn", "Import MIDI Learn",
                                                    "Cancel MIDI Learn", "About..."};

void startLearn(HWND control, const std::string& what)
{
    runModal([&] { rightClick(control); },
             {chooseMenuItem(1, kControlMenu, "the control's menu: Start and Edit MIDI Learn")},
             what);
    pump();
}

// A step: the Edit MIDI Learn dialog is open with `selected` chosen; choose `choice` and press the
// button (IDOK or IDCANCEL), or close the dialog (0).
Step editDialog(int selected, int choice, int button, const std::string& what,
                const std::string& screenshot = "", HWND over = nullptr)
{
    return [=]
    {
        const HWND dialog = findDialog("Edit MIDI Learn");
        if (dialog == nullptr)
        {
            return false;
        }
        const HWND list = GetDlgItem(dialog, 1000);
        const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        char first[64] = {};
        char second[64] = {};
        char last[64] = {};
        SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
        SendMessageA(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(second));
        SendMessageA(list, LB_GETTEXT, 128, reinterpret_cast<LPARAM>(last));
        check(count == 129 && std::string(first) == "None" &&
                  std::string(second) == "0   Bank Select (coarse)" &&
                  std::string(last) == "127 Poly Operation",
              "the dialog lists None and the 128 controllers (" + std::to_string(count) + ")");
        const int current = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
        check(current == selected, what + ": entry " + std::to_string(current) + " is selected");
        if (!screenshot.empty())
        {
            saveScreenshot(dialog, screenshot);
        }
        if (over != nullptr)
        {
            // Over the middle of the control that asked, unless the screen's edge moved it.
            RECT box = {};
            RECT control = {};
            GetWindowRect(dialog, &box);
            GetWindowRect(over, &control);
            const bool inside = box.left > 0 && box.top > 0 &&
                                box.right < GetSystemMetrics(SM_CXSCREEN) &&
                                box.bottom < GetSystemMetrics(SM_CYSCREEN);
            check(inside &&
                      std::abs((box.left + box.right) - (control.left + control.right)) <= 2 &&
                      std::abs((box.top + box.bottom) - (control.top + control.bottom)) <= 2,
                  what + ": the dialog opens over the control");
            saveScreenshot(GetParent(over), "edit-midi-learn-over-panel.png");
        }
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(choice), 0);
        if (button == 0)
        {
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        }
        else
        {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
        }
        return true;
    };
}

void editBinding(HWND control, Step dialogStep, const std::string& what)
{
    runModal([&] { rightClick(control); },
             {chooseMenuItem(2, kControlMenu, "the control's menu again"), std::move(dialogStep)},
             what);
    pump();
}

// A step: a message box of that caption shows a message; press a button.
Step messageBox(const char* caption, std::string message, int button, const std::string& what)
{
    return [=]
    {
        const HWND box = findDialog(caption);
        if (box == nullptr)
        {
            return false;
        }
        check(dialogMessage(box) == message, what + ": \"" + dialogMessage(box) + "\"");
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        return true;
    };
}

// A step that waits a moment and fails if a menu or dialog turned up meanwhile.
Step nothingOpensWithin(int milliseconds, const std::string& what)
{
    auto started = std::make_shared<DWORD>(0);
    return [=]
    {
        if (*started == 0)
        {
            *started = GetTickCount();
        }
        if (findMenuWindow() != nullptr || findDialog("Error") != nullptr)
        {
            check(false, what);
            EndMenu();
            return true;
        }
        if (GetTickCount() - *started < static_cast<DWORD>(milliseconds))
        {
            return false;
        }
        check(true, what);
        return true;
    };
}

void openMainMenu(HWND view, int x = 20, int y = 12)
{
    SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

// A bank file of the chunk kind as hosts write it: a big-endian header, the chunk at byte 160.
bool writeBankFile(const std::string& path, const std::vector<std::uint8_t>& chunk)
{
    std::vector<std::uint8_t> file(160, 0);
    auto putBig = [&](std::size_t at, std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
        {
            file[at + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(value >> (24 - 8 * i));
        }
    };
    std::memcpy(file.data(), "CcnK", 4);
    putBig(4, static_cast<std::uint32_t>(152 + chunk.size()));
    std::memcpy(file.data() + 8, "FBCh", 4);
    putBig(12, 2);
    std::memcpy(file.data() + 16, "Tvrl", 4);
    putBig(20, 1510);
    putBig(24, 128);
    putBig(156, static_cast<std::uint32_t>(chunk.size()));
    file.insert(file.end(), chunk.begin(), chunk.end());
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
    {
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

std::vector<std::uint8_t> bankChunk(Instance& instance)
{
    void* data = nullptr;
    const VstIntPtr size = instance.dispatch(effGetChunk, 0, 0, &data);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return bytes != nullptr ? std::vector<std::uint8_t>(bytes, bytes + size)
                            : std::vector<std::uint8_t>();
}

HWND findChild(HWND parent, const char* className)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
    {
        char name[64] = {};
        GetClassNameA(child, name, sizeof(name));
        if (std::strcmp(name, className) == 0 && IsWindowVisible(child))
        {
            return child;
        }
        if (HWND inner = findChild(child, className))
        {
            return inner;
        }
    }
    return nullptr;
}

// A step: the file dialog is open; type a path and press Open, or cancel it (empty path).
Step chooseFile(const std::string& path, const std::string& what)
{
    return [=]
    {
        HWND dialog = findDialog("Open");
        if (dialog == nullptr)
        {
            return false;
        }
        const HWND edit = findChild(dialog, "Edit");
        if (path.empty() || edit == nullptr)
        {
            check(!path.empty() || edit != nullptr, what);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return true;
        }
        check(true, what);
        SetWindowTextA(edit, path.c_str());
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        return true;
    };
}

std::string temporaryPath(const char* name)
{
    char directory[MAX_PATH] = {};
    GetTempPathA(sizeof(directory), directory);
    return std::string(directory) + name;
}

} // namespace

void checkMidiLearn(HWND hostWindow)
{
    section("MIDI learn from a control's menu");
    Instance instance;
    const PanelWindows panel = openPanel(instance, hostWindow);
    if (panel.view == nullptr)
    {
        return;
    }
    const int cutoff = indexOf("F Cut");
    const int resonance = indexOf("F Res");
    const HWND knob = panel.controls.at(cutoff);
    const float cutoffBefore = instance.getParameter(cutoff);

    startLearn(knob, "\"Start MIDI Learn\" was chosen on the cutoff knob");
    check(statusText(panel) == kLearning, "the status line shows \"Learning...\"");
    {
        // One line of text stands in the middle of the two-line box: as many empty rows above
        // the ink as below it (within a row).
        const GuiCheck::Pixels label = GuiCheck::readWindow(panel.label, 150, 25);
        const std::uint32_t ground = label.at(0, 0);
        int top = -1;
        int bottom = -1;
        for (int y = 0; y < label.height; ++y)
        {
            for (int x = 0; x < label.width; ++x)
            {
                if (GuiCheck::largestDifference({1, 1, {label.at(x, y)}}, {1, 1, {ground}}) > 40)
                {
                    top = top < 0 ? y : top;
                    bottom = y;
                }
            }
        }
        check(top >= 0 && std::abs(top - (label.height - 1 - bottom)) <= 1,
              "\"Learning...\" stands in the middle of the status box (ink rows " +
                  std::to_string(top) + " to " + std::to_string(bottom) + " of 25)");
        saveScreenshot(panel.label, "status-learning.png");
    }
    // Neither resting on another control nor leaving it replaces the text.
    RECT other = {};
    GetWindowRect(panel.controls.at(resonance), &other);
    SetCursorPos(other.left + 8, other.top + 8);
    SendMessageA(panel.controls.at(resonance), WM_MOUSEMOVE, 0, MAKELPARAM(8, 8));
    pumpFor(500);
    SetCursorPos(1650, 1000);
    pumpFor(300);
    check(statusText(panel) == kLearning, "hovering and leaving while learning keep it");

    instance.host.automations.clear();
    controllerFromAudioThread(instance, 74, 100);
    check(statusText(panel) == kLearning,
          "the audio thread's controller ends the learn without touching the window");
    pump();
    check(statusText(panel).empty(),
          "the posted end clears the status line on the editor's thread");
    check(instance.getParameter(cutoff) == cutoffBefore && instance.host.automations.empty(),
          "the learning message's value is not applied");
    check(bindings(instance) == std::map<int, int>{{cutoff, 74}},
          "controller 74 now drives the cutoff " + describe(bindings(instance)));

    controllerFromAudioThread(instance, 74, 127);
    check(instance.getParameter(cutoff) == 1.0f && instance.host.automations.size() == 1 &&
              instance.host.automations[0].index == cutoff,
          "the next controller 74 sets it to 1 and tells the host once");
    instance.dispatch(effEditIdle);
    pump();
    check(controlShows(panel, cutoff, 1.0f), "the knob shows it after the idle tick");

    // The status line names the controller while the pointer rests on the knob.
    RECT rect = {};
    GetWindowRect(knob, &rect);
    SetCursorPos(rect.left + 16, rect.top + 16);
    SendMessageA(knob, WM_MOUSEMOVE, 0, MAKELPARAM(16, 16));
    const std::string expected = expectedStatus(cutoff, 1.0f, 74);
    for (int waited = 0; waited < 2000 && statusText(panel) != expected; waited += 10)
    {
        pumpFor(10);
    }
    check(statusText(panel) == expected,
          "hovering shows the binding: \"" + statusText(panel) + "\"");
    saveScreenshot(panel.view, "editor-status.png");
    SetCursorPos(1650, 1000);
    pumpFor(300);

    section("the Edit MIDI Learn dialog");
    editBinding(knob,
                editDialog(75, 0, IDOK, "it opens with controller 74 selected",
                           "edit-midi-learn.png", knob),
                "Edit MIDI Learn, None, OK");
    check(bindings(instance).empty(), "None and OK unbind the cutoff");
    editBinding(knob, editDialog(0, 3, IDOK, "an unbound parameter opens at None"),
                "Edit MIDI Learn, controller 2, OK");
    check(bindings(instance) == std::map<int, int>{{cutoff, 2}}, "choosing controller 2 binds it");
    editBinding(knob, editDialog(3, 0, IDCANCEL, "the dialog opens at controller 2"),
                "Edit MIDI Learn, None, Cancel");
    editBinding(knob, editDialog(3, 0, 0, "and again at controller 2"),
                "Edit MIDI Learn, None, closed");
    check(bindings(instance) == std::map<int, int>{{cutoff, 2}},
          "Cancel and closing the dialog change nothing");

    // Edit ends a learn that is running.
    startLearn(panel.controls.at(resonance), "a learn was started on the resonance knob");
    check(statusText(panel) == kLearning, "learning");
    editBinding(knob, editDialog(3, 3, IDCANCEL, "Edit opens during the learn"),
                "Edit MIDI Learn during a learn");
    check(statusText(panel).empty(), "which it ended");
    controllerFromAudioThread(instance, 20, 64);
    check(bindings(instance) == std::map<int, int>{{cutoff, 2}},
          "so the next controller binds nothing");

    // The longest name with a three-digit controller still leaves its value in view.
    const int pressure = indexOf("F CPrss");
    const HWND pressureSwitch = panel.controls.at(pressure);
    startLearn(pressureSwitch, "a learn was started on the pressure switch");
    controllerFromAudioThread(instance, 127, 0);
    pump();
    GetWindowRect(pressureSwitch, &rect);
    SetCursorPos(rect.left + 10, rect.top + 16);
    SendMessageA(pressureSwitch, WM_MOUSEMOVE, 0, MAKELPARAM(10, 16));
    const std::string longest = expectedStatus(pressure, instance.getParameter(pressure), 127);
    for (int waited = 0; waited < 2000 && statusText(panel) != longest; waited += 10)
    {
        pumpFor(10);
    }
    check(statusText(panel) == longest, "a long bound name: \"" + statusText(panel) + "\"");
    saveScreenshot(panel.label, "status-long-name.png");
    SetCursorPos(1650, 1000);
    pumpFor(300);

    instance.dispatch(effEditClose);
}

void checkMainMenu(HWND hostWindow)
{
    section("the main menu");
    Instance instance;
    const PanelWindows panel = openPanel(instance, hostWindow);
    if (panel.view == nullptr)
    {
        return;
    }
    const int cutoff = indexOf("F Cut");
    const int resonance = indexOf("F Res");

    runModal([&] { openMainMenu(panel.view, 400, 12); },
             {nothingOpensWithin(300, "a click outside the top-left corner opens nothing")},
             "a click outside the menu corner");
    runModal([&] { openMainMenu(panel.view); },
             {chooseMenuItem(0, kMainMenu, "a click in the corner offers three items")},
             "the main menu, dismissed");

    startLearn(panel.controls.at(cutoff), "a learn was started");
    runModal([&] { openMainMenu(panel.view); },
             {chooseMenuItem(3, kMainMenuLearning, "while learning it offers four")},
             "Cancel MIDI Learn");
    check(statusText(panel).empty(), "Cancel MIDI Learn ends the learn");
    controllerFromAudioThread(instance, 74, 10);
    check(bindings(instance).empty(), "and the next controller binds nothing");

    // Two bindings, learned, then Clear All with its question.
    startLearn(panel.controls.at(cutoff), "learn the cutoff");
    controllerFromAudioThread(instance, 74, 0);
    startLearn(panel.controls.at(resonance), "learn the resonance");
    controllerFromAudioThread(instance, 71, 0);
    pump();
    const std::map<int, int> learned = {{cutoff, 74}, {resonance, 71}};
    check(bindings(instance) == learned, "two controllers learned " + describe(bindings(instance)));
    const std::vector<std::uint8_t> chunkWithBindings = bankChunk(instance);

    const std::string question =
        "This will erase all MIDI Learn data for this bank. Are you sure you want to do this?";
    runModal([&] { openMainMenu(panel.view); },
             {chooseMenuItem(1, kMainMenu, "the main menu"),
              messageBox("Warning!", question, IDCANCEL, "Clear All asks first")},
             "Clear All MIDI Learn, Cancel");
    check(bindings(instance) == learned, "Cancel keeps the bindings");
    runModal([&] { openMainMenu(panel.view); },
             {chooseMenuItem(1, kMainMenu, "the main menu"),
              messageBox("Warning!", question, IDOK, "the same question")},
             "Clear All MIDI Learn, OK");
    check(bindings(instance).empty(), "OK erases them all");

    section("importing MIDI learn from a bank file");
    const std::string good = temporaryPath("tavrel-editor-check.fxb");
    std::vector<std::uint8_t> old = chunkWithBindings;
    old[0] = 0xDB; // version 1499, little-endian
    old[1] = 0x05;
    const std::string oldPath = temporaryPath("tavrel-editor-check-1499.fxb");
    check(writeBankFile(good, chunkWithBindings) && writeBankFile(oldPath, old),
          "bank files written: " + good + ", " + oldPath);
    runModal([&] { openMainMenu(panel.view); },
             {chooseMenuItem(2, kMainMenu, "the main menu"),
              chooseFile("", "the file dialog opens"),
              nothingOpensWithin(300, "a cancelled file dialog shows nothing")},
             "Import MIDI Learn, cancelled");
    runModal([&] { openMainMenu(panel.view); },
             {chooseMenuItem(2, kMainMenu, "the main menu"),
              chooseFile(good, "the file dialog takes the bank file"),
              nothingOpensWithin(300, "a good file shows no message")},
             "Import MIDI Learn from a bank file of the plug-in's own");
    check(bindings(instance) == learned,
          "the import brings the bindings back " + describe(bindings(instance)));
    runModal([&] { openMainMenu(panel.view); },
             {chooseMenuItem(2, kMainMenu, "the main menu"),
              chooseFile(oldPath, "the file dialog takes the old bank file"),
              messageBox("Error", "Wrong Tavrel bank version; must be v1.5 or greater.", IDOK,
                         "a bank of version 1499 is refused")},
             "Import MIDI Learn from an old bank file");
    check(bindings(instance) == learned, "and the bindings stay as they were");
    DeleteFileA(good.c_str());
    DeleteFileA(oldPath.c_str());

    section("the about box");
    // Opens over the middle of the panel; Esc, Enter, a click on the picture and the close button
    // each close it, and a click opens nothing.
    struct Closer
    {
        const char* what;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    const Closer closers[] = {
        {"Esc", WM_KEYDOWN, VK_ESCAPE, 0},
        {"Enter", WM_KEYDOWN, VK_RETURN, 0},
        {"a click on the picture", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 112)},
        {"the close button", WM_CLOSE, 0, 0}};
    for (const Closer& closer : closers)
    {
        const bool first = &closer == &closers[0];
        bool stillOpen = false;
        runModal(
            [&] { openMainMenu(panel.view); },
            {chooseMenuItem(3, kMainMenu, "the main menu"),
             [&]
             {
                 const HWND about = findDialog("About Tavrel");
                 if (about == nullptr)
                 {
                     return false;
                 }
                 if (first)
                 {
                     const HWND picture = findChild(about, "Static");
                     const auto bitmap = reinterpret_cast<HBITMAP>(
                         SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
                     BITMAP facts = {};
                     check(bitmap != nullptr && GetObjectA(bitmap, sizeof(facts), &facts) != 0 &&
                               facts.bmWidth == 537 && facts.bmHeight == 288,
                           "it shows the 537 x 288 picture");
                     RECT client = {};
                     GetClientRect(about, &client);
                     check(client.right == 537 && client.bottom == 288,
                           "in a box that fits it (" + std::to_string(client.right) + " x " +
                               std::to_string(client.bottom) + ")");
                     RECT box = {};
                     RECT over = {};
                     GetWindowRect(about, &box);
                     GetWindowRect(panel.view, &over);
                     check(std::abs((box.left + box.right) - (over.left + over.right)) <= 2 &&
                               std::abs((box.top + box.bottom) - (over.top + over.bottom)) <= 2,
                           "over the middle of the panel");
                     saveScreenshot(about, "about.png");
                 }
                 PostMessageA(about, closer.message, closer.wParam, closer.lParam);
                 return true;
             },
             nothingOpensWithin(300, std::string(closer.what) + " opens nothing"),
             [&]
             {
                 // A box left open would hold the check's loop: closed here, and failed.
                 const HWND about = findDialog("About Tavrel");
                 stillOpen = about != nullptr;
                 if (stillOpen)
                 {
                     PostMessageA(about, WM_CLOSE, 0, 0);
                 }
                 return true;
             }},
            std::string("About..., then ") + closer.what);
        check(!stillOpen && findDialog("About Tavrel") == nullptr,
              std::string(closer.what) + " closes the box");
    }

    instance.dispatch(effEditClose);
}

} // namespace EditorCheck
