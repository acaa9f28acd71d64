// The editor of the built plug-in under a real window system (Wine with Xvfb, or Windows), driven
// as a host drives it: VSTPluginMain, effEditGetRect, effEditOpen into a window of the host's own,
// effEditIdle, effEditClose, effClose; the panel's controls, synthesized mouse input, the
// MIDI-learn menus and dialogs, the import and the about box, open and close while another thread
// processes, and damaged images. Saves screenshots.
//   tavrel-editorcheck PLUGIN.dll ARTIFACT_DIRECTORY
// Prints "editor check passed" at the end when every check passed (Wine may hide a crash behind a
// zero exit status).
#include "tests/instrument/win32/EditorCheck.h"

#include "tests/sonarch/gui/win32/Pixels.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace EditorCheck
{

Setup setup;

namespace
{

// The label sits in the title bar at (625, 2), 150 x 25; it has no child identifier.
constexpr RECT kLabelRect = {TavrelPanel::kStatusX, TavrelPanel::kStatusY,
                             TavrelPanel::kStatusX + TavrelPanel::kStatusWidth,
                             TavrelPanel::kStatusY + TavrelPanel::kStatusHeight};

// A step that is not done after this long fails.
constexpr int kStepMilliseconds = 8000;
// The whole check never runs longer than this (a deadlock ends it with a failure).
constexpr int kWatchdogSeconds = 420;

std::vector<Step> pendingSteps;
std::size_t nextStep = 0;
std::chrono::steady_clock::time_point stepStarted;
bool stepTimedOut = false;

LRESULT CALLBACK hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

BOOL CALLBACK collectChild(HWND child, LPARAM collected)
{
    reinterpret_cast<std::vector<HWND>*>(collected)->push_back(child);
    return TRUE;
}

std::vector<HWND> threadWindows()
{
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), collectChild, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string classOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string textOf(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// Ends whatever modal loop is open: menus first, then dialogs.
void escapeModalLoops()
{
    EndMenu();
    for (HWND window : threadWindows())
    {
        if (classOf(window) == "#32770" && IsWindowVisible(window))
        {
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
    }
}

void CALLBACK driveSteps(HWND, UINT, UINT_PTR, DWORD)
{
    if (nextStep >= pendingSteps.size())
    {
        return;
    }
    if (pendingSteps[nextStep]())
    {
        ++nextStep;
        stepStarted = std::chrono::steady_clock::now();
        return;
    }
    if (std::chrono::steady_clock::now() - stepStarted >
        std::chrono::milliseconds(kStepMilliseconds))
    {
        stepTimedOut = true;
        nextStep = pendingSteps.size();
        escapeModalLoops();
    }
}

} // namespace

void pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void pumpFor(int milliseconds)
{
    for (int waited = 0; waited < milliseconds; waited += 10)
    {
        pump();
        Sleep(10);
    }
    pump();
}

Instance::Instance(VstPluginEntry entry)
{
    if (entry != nullptr && host.create(entry))
    {
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(effSetBlockSize, 0, 512);
        dispatch(effMainsChanged, 0, 1);
    }
}

Instance::~Instance()
{
    close();
}

VstIntPtr Instance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return host.dispatch(opcode, index, value, ptr, opt);
}

VstIntPtr Instance::close()
{
    return host.close();
}

float Instance::getParameter(int index)
{
    return isOpen() ? effect()->getParameter(effect(), index) : 0.0f;
}

void Instance::setParameter(int index, float valueNorm)
{
    if (isOpen())
    {
        effect()->setParameter(effect(), index, valueNorm);
    }
}

void Instance::midiAndBlock(int status, int data1, int data2)
{
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&event);
    dispatch(effProcessEvents, 0, 0, &events);
    renderBlock();
}

void Instance::renderBlock(int frames)
{
    std::vector<float> left(static_cast<std::size_t>(frames));
    std::vector<float> right(static_cast<std::size_t>(frames));
    float* outputs[2] = {left.data(), right.data()};
    if (isOpen())
    {
        effect()->processReplacing(effect(), nullptr, outputs, frames);
    }
}

int Instance::findProgram(const char* name)
{
    for (int index = 0; isOpen() && index < effect()->numPrograms; ++index)
    {
        char text[kVstMaxProgNameLen + 8] = {};
        dispatch(effGetProgramNameIndexed, index, 0, text);
        if (std::strcmp(text, name) == 0)
        {
            return index;
        }
    }
    return -1;
}

std::map<std::string, int> parameterIndexes(Instance& instance)
{
    std::map<std::string, int> indexes;
    for (int index = 0; instance.isOpen() && index < instance.effect()->numParams; ++index)
    {
        char name[kVstMaxParamStrLen + 8] = {};
        instance.dispatch(effGetParamName, index, 0, name);
        indexes[name] = index;
    }
    return indexes;
}

HWND makeHostWindow(int x, int y, int width, int height)
{
    static bool registered = false;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered)
    {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = hostWindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = "TavrelEditorCheckHost";
        registered = RegisterClassExA(&windowClass) != 0;
    }
    return CreateWindowExA(0, "TavrelEditorCheckHost", "host", WS_POPUP | WS_VISIBLE, x, y, width,
                           height, nullptr, nullptr, instance, nullptr);
}

int childWindowCount(HWND parent)
{
    int count = 0;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
    {
        ++count;
    }
    return count;
}

bool openEditor(Instance& instance, HWND hostWindow)
{
    return check(instance.isOpen() && instance.dispatch(effEditOpen, 0, 0, hostWindow) == 1,
                 "the editor opens");
}

PanelWindows openPanel(Instance& instance, HWND hostWindow)
{
    if (!openEditor(instance, hostWindow))
    {
        return PanelWindows{};
    }
    instance.dispatch(effEditIdle);
    pump();
    PanelWindows panel = findPanel(hostWindow);
    check(panel.view != nullptr, "the host's window holds the panel");
    return panel;
}

PanelWindows findPanel(HWND hostWindow)
{
    PanelWindows panel;
    // A host can use exactly one panel in its window.
    if (childWindowCount(hostWindow) != 1)
    {
        return panel;
    }
    panel.view = GetWindow(hostWindow, GW_CHILD);
    for (HWND child = GetWindow(panel.view, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
    {
        ++panel.childCount;
        RECT rect = {};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, panel.view, reinterpret_cast<POINT*>(&rect), 2);
        if (EqualRect(&rect, &kLabelRect) != FALSE)
        {
            panel.label = child;
        }
        else
        {
            panel.controls[GetDlgCtrlID(child)] = child;
        }
    }
    return panel;
}

std::string statusText(const PanelWindows& panel)
{
    return panel.label != nullptr ? textOf(panel.label) : std::string("(no status line)");
}

bool runModal(const std::function<void()>& trigger, std::vector<Step> steps,
              const std::string& what)
{
    pendingSteps = std::move(steps);
    nextStep = 0;
    stepTimedOut = false;
    stepStarted = std::chrono::steady_clock::now();
    const UINT_PTR timer = SetTimer(nullptr, 0, 25, driveSteps);
    trigger();
    // The trigger usually only posted; the modal loops start when the messages are handled.
    while (nextStep < pendingSteps.size())
    {
        pump();
        Sleep(10);
        driveSteps(nullptr, 0, 0, 0);
    }
    pumpFor(50);
    KillTimer(nullptr, timer);
    const bool ok = !stepTimedOut;
    pendingSteps.clear();
    return check(ok, what);
}

HWND findMenuWindow()
{
    for (HWND window : threadWindows())
    {
        if (classOf(window) == "#32768" && IsWindowVisible(window))
        {
            return window;
        }
    }
    return nullptr;
}

std::vector<std::string> menuTexts(HWND menuWindow)
{
    std::vector<std::string> texts;
    const auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    for (int item = 0; menu != nullptr && item < GetMenuItemCount(menu); ++item)
    {
        char text[128] = {};
        GetMenuStringA(menu, static_cast<UINT>(item), text, sizeof(text), MF_BYPOSITION);
        texts.emplace_back(text);
    }
    return texts;
}

Step chooseMenuItem(int position, std::vector<std::string> expectedTexts, const std::string& what)
{
    return [position, expectedTexts, what]
    {
        const HWND menu = findMenuWindow();
        if (menu == nullptr)
        {
            return false;
        }
        const std::vector<std::string> texts = menuTexts(menu);
        std::string shown;
        for (const std::string& text : texts)
        {
            shown += (shown.empty() ? "" : ", ") + text;
        }
        check(texts == expectedTexts, what + " [" + shown + "]");
        // The menu's loop takes keys from the thread's queue: down to the item, then Enter;
        // Escape for position 0.
        if (position == 0)
        {
            PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            return true;
        }
        for (int i = 0; i < position; ++i)
        {
            PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        }
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        return true;
    };
}

HWND findDialog(const char* caption)
{
    for (HWND window : threadWindows())
    {
        if (classOf(window) == "#32770" && IsWindowVisible(window) && textOf(window) == caption)
        {
            return window;
        }
    }
    return nullptr;
}

std::string dialogMessage(HWND dialog)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
    {
        const std::string text = textOf(child);
        if (classOf(child) == "Static" && !text.empty())
        {
            return text;
        }
    }
    return "";
}

bool saveScreenshot(HWND window, const std::string& fileName)
{
    RECT client = {};
    GetClientRect(window, &client);
    const GuiCheck::Pixels pixels = GuiCheck::readWindow(window, client.right, client.bottom);
    const std::string path = setup.artifacts + "/" + fileName;
    return check(GuiCheck::savePixels(pixels, path), "screenshot saved: " + path);
}

} // namespace EditorCheck

using namespace EditorCheck;

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: tavrel-editorcheck PLUGIN.dll ARTIFACT_DIRECTORY\n");
        return 2;
    }
    CheckHarness::setEchoEveryCheck(true);
    CheckHarness::setSectionTimes(true);
    setup.pluginPath = argv[1];
    setup.artifacts = argv[2];
    CreateDirectoryA(setup.artifacts.c_str(), nullptr);
    SetCursorPos(1650, 1000);

    // A deadlock must end the check with a verdict rather than hang the test run.
    std::thread(
        []
        {
            std::this_thread::sleep_for(std::chrono::seconds(kWatchdogSeconds));
            std::printf("FAIL the check did not end within %d s\n", kWatchdogSeconds);
            std::fflush(stdout);
            ExitProcess(3);
        })
        .detach();

    ULONG_PTR gdiplusToken = 0;
    const Gdiplus::GdiplusStartupInput startup;
    if (Gdiplus::GdiplusStartup(&gdiplusToken, &startup, nullptr) != Gdiplus::Ok)
    {
        std::printf("GDI+ does not start\n");
        return 1;
    }

    section("the plug-in library");
    PluginLibrary library;
    check(library.load(setup.pluginPath), "loads: " + setup.pluginPath);
    setup.entry = library.findEntry();
    setup.pluginModule = GetModuleHandleA(setup.pluginPath.c_str());
    check(setup.entry != nullptr, "exports VSTPluginMain");
    if (setup.entry != nullptr)
    {
        {
            Instance instance;
            setup.indexes = parameterIndexes(instance);
        }
        const HWND hostWindow = makeHostWindow(0, 0, TavrelPanel::kWidth, TavrelPanel::kHeight);
        check(hostWindow != nullptr, "the host's window opens");
        checkPanel(hostWindow);
        checkChanges(hostWindow);
        checkMidiLearn(hostWindow);
        checkMainMenu(hostWindow);
        checkLifecycle(hostWindow);
        checkConcurrency(hostWindow);
        checkMissingImages(hostWindow);
        checkReentrancy(hostWindow);
        DestroyWindow(hostWindow);
    }

    Gdiplus::GdiplusShutdown(gdiplusToken);
    return CheckHarness::finish("editor check passed");
}
