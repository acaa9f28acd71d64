// The editor check's harness: the plug-in hosted as a host would (entry, descriptor, editor in a
// window of the host's own), the panel's windows as the host can find them, the driving of menus
// and dialogs from a timer inside their modal loops, and the groups of checks.
#pragma once

#include "instrument/TavrelPanel.h"
#include "sonarch/gui/win32/GdiPlus.h"
#include "tests/support/CheckHarness.h"
#include "tools/host/HostCallback.h"
#include "tools/host/PluginLibrary.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace EditorCheck
{

// Every check prints on a line of its own, and a section with its time since the first; a failed
// check fails the program. check returns ok.
using CheckHarness::check;
using CheckHarness::section;
// Handles every message waiting on this thread (and the modal loops they start).
void pump();
// Pumps for a while, in steps of 10 ms.
void pumpFor(int milliseconds);

// The check's arguments and the images of the plug-in (loaded by the check from the DLL).
struct Setup
{
    std::string pluginPath;
    std::string artifacts;
    HMODULE pluginModule = nullptr;
    VstPluginEntry entry = nullptr;
    // Parameter indexes by short name, as the host reads them.
    std::map<std::string, int> indexes;
};
extern Setup setup;

// One plug-in instance made through the DLL's entry, opened as a host opens it.
class Instance
{
public:
    explicit Instance(VstPluginEntry entry = setup.entry);
    ~Instance();
    bool isOpen() const { return host.effect() != nullptr; }
    AEffect* effect() const { return host.effect(); }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    // effClose; afterwards the instance is gone.
    VstIntPtr close();

    float getParameter(int index);
    void setParameter(int index, float valueNorm);
    // Sends MIDI bytes through effProcessEvents and renders one block, as the audio thread does.
    void midiAndBlock(int status, int data1, int data2);
    void renderBlock(int frames = 256);
    int findProgram(const char* name);

    HostedPlugin host;
};

// The parameter index of each short name, as the host learns it with effGetParamName.
std::map<std::string, int> parameterIndexes(Instance& instance);

// A borderless top-level window of the host's own, at (x, y), that the editor opens into.
HWND makeHostWindow(int x, int y, int width, int height);

// What the host sees of the open panel: the view (the host window's one child) and its children.
struct PanelWindows
{
    HWND view = nullptr;
    HWND label = nullptr;
    std::map<int, HWND> controls; // by child identifier
    int childCount = 0;
};
PanelWindows findPanel(HWND hostWindow);
int childWindowCount(HWND parent);
// effEditOpen into the host window, counted as a check; false when it failed.
bool openEditor(Instance& instance, HWND hostWindow);
// openEditor, an idle tick, and the panel as the host then sees it (no view when it failed).
PanelWindows openPanel(Instance& instance, HWND hostWindow);
// The status line's text (the label answers WM_GETTEXT).
std::string statusText(const PanelWindows& panel);

// Menus and dialogs run modal loops. A step runs from a timer inside them until it returns true;
// runModal triggers an action, then pumps until every step is done. A step that is not done after
// a few seconds fails, and the menus and dialogs still open are escaped, so the check never hangs.
using Step = std::function<bool()>;
bool runModal(const std::function<void()>& trigger, std::vector<Step> steps,
              const std::string& what);

// The visible popup menu of this thread, or null.
HWND findMenuWindow();
// The texts of the items of the menu shown in a menu window.
std::vector<std::string> menuTexts(HWND menuWindow);
// A step: choose item `position` (from 1; 0 dismisses the menu) of the next menu, after checking
// its texts.
Step chooseMenuItem(int position, std::vector<std::string> expectedTexts, const std::string& what);
// The visible dialog of this thread with that caption, or null.
HWND findDialog(const char* caption);
// The text of the first static control of a dialog with text, e.g. a message box's message.
std::string dialogMessage(HWND dialog);

// Saves the client area of a window as PNG in the artifact directory.
bool saveScreenshot(HWND window, const std::string& fileName);

// Whether the panel's control of a parameter shows value exactly as a control of the same kind,
// made by the check's own toolkit from the panel's table and set to value, shows it.
bool controlShows(const PanelWindows& panel, int index, float value);
// The panel-table entry of a parameter index (from the short names the host read), or null.
const TavrelPanel::Control* placeOf(int index);
// The index of a short name.
int indexOf(const char* shortName);
// The expected status text of a parameter at a value, bound to a controller or not (-1), as the
// panel's own formatting writes it for the synthesizer's texts.
std::string expectedStatus(int index, float value, int controller);

// The groups of checks.
void checkPanel(HWND hostWindow);
void checkChanges(HWND hostWindow);
void checkMidiLearn(HWND hostWindow);
void checkMainMenu(HWND hostWindow);
void checkLifecycle(HWND hostWindow);
void checkConcurrency(HWND hostWindow);
void checkMissingImages(HWND hostWindow);
void checkReentrancy(HWND hostWindow);

} // namespace EditorCheck
