// The editor's life: opening twice, closing and reopening, a host that destroys its window first,
// effClose with the panel open, many instances; the panel open while another thread processes and
// automates; and plug-ins whose images are missing or damaged.
#include "tests/instrument/win32/EditorCheck.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <random>
#include <thread>

namespace EditorCheck
{

namespace
{

bool showsBank(Instance& instance, const PanelWindows& panel)
{
    if (panel.controls.size() != 97)
    {
        return false;
    }
    for (const auto& [index, window] : panel.controls)
    {
        if (!controlShows(panel, index, instance.getParameter(index)))
        {
            return false;
        }
    }
    return true;
}

// The bytes in use on all of the process's heaps, where the C++ runtime and GDI+ allocate.
std::size_t heapBytesInUse()
{
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    std::size_t inUse = 0;
    for (DWORD i = 0; i < count && i < 64; ++i)
    {
        if (HeapLock(heaps[i]) == FALSE)
        {
            continue;
        }
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry) != FALSE)
        {
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0)
            {
                inUse += entry.cbData;
            }
        }
        HeapUnlock(heaps[i]);
    }
    return inUse;
}

// The number of toolkit windows under a window (the panel and its controls).
int toolkitWindows(HWND parent)
{
    int count = 0;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
    {
        char name[64] = {};
        GetClassNameA(child, name, sizeof(name));
        count += std::string(name) == "TavrelLarge" ? 1 : 0;
        count += toolkitWindows(child);
    }
    return count;
}

BOOL CALLBACK firstLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found)
{
    *reinterpret_cast<WORD*>(found) = language;
    return FALSE;
}

// A copy of the plug-in whose PNG resources `damaged` hold bytes that are no image.
std::string damagedCopy(const char* name, const std::vector<int>& damaged)
{
    char directory[MAX_PATH] = {};
    GetTempPathA(sizeof(directory), directory);
    const std::string path = std::string(directory) + name;
    if (CopyFileA(setup.pluginPath.c_str(), path.c_str(), FALSE) == FALSE)
    {
        return "";
    }
    // The resources' language, as the resource compiler wrote it.
    WORD language = 0;
    EnumResourceLanguagesA(setup.pluginModule, "PNG", MAKEINTRESOURCEA(101), firstLanguage,
                           reinterpret_cast<LONG_PTR>(&language));
    const HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    if (update == nullptr)
    {
        return "";
    }
    static char notAnImage[] = "this is no PNG image";
    bool ok = true;
    for (const int id : damaged)
    {
        ok = ok && UpdateResourceA(update, "PNG", MAKEINTRESOURCEA(id), language, notAnImage,
                                   sizeof(notAnImage));
    }
    return EndUpdateResourceA(update, FALSE) != FALSE && ok ? path : "";
}

} // namespace

void checkLifecycle(HWND hostWindow)
{
    section("opening, closing and reopening");
    Instance instance;
    if (!openEditor(instance, hostWindow))
    {
        return;
    }
    const HWND first = findPanel(hostWindow).view;
    check(instance.dispatch(effEditOpen, 0, 0, hostWindow) == 1, "a second effEditOpen answers 1");
    instance.dispatch(effEditIdle);
    pump();
    PanelWindows panel = findPanel(hostWindow);
    check(panel.view != nullptr && panel.view != first && IsWindow(first) == FALSE,
          "and replaces the panel: one panel in the host's window, the old one gone");
    check(showsBank(instance, panel), "the new panel shows the bank");

    instance.dispatch(effEditClose);
    check(childWindowCount(hostWindow) == 0 && IsWindow(panel.view) == FALSE,
          "effEditClose destroys the panel");
    instance.dispatch(effEditIdle);
    instance.dispatch(effEditClose);
    pump();
    check(true, "idle and close with the editor closed do nothing");
    instance.setParameter(indexOf("F Cut"), 0.25f);
    check(instance.dispatch(effEditOpen, 0, 0, hostWindow) == 1, "it opens again");
    instance.dispatch(effEditIdle);
    pump();
    panel = findPanel(hostWindow);
    check(showsBank(instance, panel), "showing a change made while it was closed");

    // Hosts may close the editor from inside one of its modal loops (a timer of theirs runs
    // there): a menu ends with the panel, a dialog when the user ends it, and the panel's code
    // after either must not touch what is gone.
    const int cutoff = indexOf("F Cut");
    auto closeEditorWhen = [&instance](std::function<bool()> open)
    {
        return [&instance, open]
        {
            if (!open())
            {
                return false;
            }
            instance.dispatch(effEditClose);
            return true;
        };
    };
    auto nothingLeftOpen = []
    {
        EndMenu();
        return findMenuWindow() == nullptr && findDialog("Edit MIDI Learn") == nullptr;
    };
    runModal([&] { SendMessageA(panel.controls.at(cutoff), WM_RBUTTONDOWN, MK_RBUTTON, 0); },
             {closeEditorWhen([] { return findMenuWindow() != nullptr; }), nothingLeftOpen},
             "the editor closed while a control's menu is open");
    check(childWindowCount(hostWindow) == 0, "the menu ended with the panel");
    instance.dispatch(effEditOpen, 0, 0, hostWindow);
    panel = findPanel(hostWindow);
    runModal([&] { SendMessageA(panel.controls.at(cutoff), WM_RBUTTONDOWN, MK_RBUTTON, 0); },
             {[]
              {
                  const HWND menu = findMenuWindow();
                  if (menu != nullptr)
                  {
                      PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
                      PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
                      PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
                  }
                  return menu != nullptr;
              },
              closeEditorWhen([] { return findDialog("Edit MIDI Learn") != nullptr; }),
              // The dialog belongs to the host's window and outlives the panel; the user ends it.
              []
              {
                  const HWND dialog = findDialog("Edit MIDI Learn");
                  if (dialog != nullptr)
                  {
                      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                  }
                  return true;
              },
              nothingLeftOpen},
             "the editor closed while the Edit MIDI Learn dialog is open, then the dialog");
    check(childWindowCount(hostWindow) == 0, "the panel is gone");
    check(instance.dispatch(effEditOpen, 0, 0, hostWindow) == 1 &&
              findPanel(hostWindow).controls.size() == 97,
          "and the editor opens again");

    // Hosts may destroy their window before they close the editor.
    const HWND ownWindow = makeHostWindow(0, 0, TavrelPanel::kWidth, TavrelPanel::kHeight);
    check(instance.dispatch(effEditOpen, 0, 0, ownWindow) == 1, "the editor opens in a new window");
    DestroyWindow(ownWindow);
    pump();
    std::thread audio(
        [&]
        {
            for (int block = 0; block < 20; ++block)
            {
                instance.setParameter(indexOf("F Res"), 0.05f * static_cast<float>(block));
                instance.midiAndBlock(0xB0, 1, block);
            }
        });
    audio.join();
    instance.dispatch(effEditIdle);
    pump();
    instance.dispatch(effEditClose);
    check(true, "after the host destroyed it, changes, idle and close do no harm");
    check(instance.dispatch(effEditOpen, 0, 0, hostWindow) == 1 &&
              findPanel(hostWindow).view != nullptr,
          "and the editor opens again");

    section("effClose with the editor open");
    const HWND openPanel = findPanel(hostWindow).view;
    check(instance.close() == 1, "effClose answers 1");
    pump();
    check(IsWindow(openPanel) == FALSE && toolkitWindows(hostWindow) == 0,
          "the panel and all its controls are gone");

    // Many instances made, opened and closed: memory comes back.
    auto cycle = [hostWindow]
    {
        Instance each;
        each.dispatch(effEditOpen, 0, 0, hostWindow);
        each.dispatch(effEditIdle);
        pump();
        each.renderBlock();
    };
    for (int warmUp = 0; warmUp < 2; ++warmUp)
    {
        cycle();
    }
    const std::size_t before = heapBytesInUse();
    constexpr int kCycles = 5;
    for (int round = 0; round < kCycles; ++round)
    {
        cycle();
    }
    const std::size_t after = heapBytesInUse();
    const long long grownKb =
        (static_cast<long long>(after) - static_cast<long long>(before)) / 1024;
    // One instance's images alone take over 3 MB once decoded, its synthesizer more.
    check(before > 4 * 1024 * 1024 && grownKb < 4 * 1024,
          std::to_string(kCycles) +
              " instances opened and closed with the editor open: the heaps' bytes in use went "
              "from " +
              std::to_string(before / 1024) + " KB to " + std::to_string(after / 1024) + " KB");
    check(toolkitWindows(hostWindow) == 0, "and left no window behind");
}

void checkConcurrency(HWND hostWindow)
{
    section("the editor while another thread processes and automates");
    Instance instance;
    if (!openEditor(instance, hostWindow))
    {
        return;
    }
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::atomic<long> blocks{0};
    std::thread audio(
        [&]
        {
            std::mt19937 random(20240611);
            std::uniform_int_distribution<int> parameter(0, 96);
            std::uniform_real_distribution<float> value(0.0f, 1.0f);
            int note = 48;
            while (!stop.load())
            {
                instance.midiAndBlock(0x90, note, 100);
                instance.setParameter(parameter(random), value(random));
                instance.midiAndBlock(0x80, note, 0);
                instance.midiAndBlock(0xE0, 0, 32 + (note % 64));
                note = 48 + (note - 47) % 24;
                blocks += 3;
                // Some ten times faster than a host's audio thread, leaving the editor's thread
                // (and Wine's server) room to run on a machine of two cores.
                Sleep(1);
            }
            finished.store(true);
        });

    // Meanwhile the editor's thread ticks, opens, reopens and closes the panel and changes
    // programs.
    const auto start = std::chrono::steady_clock::now();
    int opens = 0;
    int ticks = 0;
    for (int round = 0; std::chrono::steady_clock::now() - start < std::chrono::seconds(2); ++round)
    {
        instance.dispatch(effEditIdle);
        pump();
        ++ticks;
        if (round % 15 == 0)
        {
            opens += instance.dispatch(effEditOpen, 0, 0, hostWindow) == 1 ? 1 : 0;
        }
        else if (round % 15 == 7)
        {
            instance.dispatch(effEditClose);
        }
        if (round % 40 == 20)
        {
            instance.dispatch(effSetProgram, 0, round % 128);
        }
        Sleep(5);
    }
    stop.store(true);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!finished.load() && std::chrono::steady_clock::now() < deadline)
    {
        pump();
        Sleep(5);
    }
    const bool ended = finished.load();
    check(ended, "the processing thread ended (no deadlock): " + std::to_string(blocks.load()) +
                     " blocks, " + std::to_string(opens) + " opens, " + std::to_string(ticks) +
                     " idle ticks");
    if (!ended)
    {
        std::printf("FAIL deadlock: the processing thread is stuck\n");
        std::fflush(stdout);
        ExitProcess(4);
    }
    audio.join();
    instance.dispatch(effEditOpen, 0, 0, hostWindow);
    instance.dispatch(effEditIdle);
    pump();
    check(showsBank(instance, findPanel(hostWindow)),
          "afterwards the panel shows the bank as the processing thread left it");
    instance.dispatch(effEditClose);
}

void checkMissingImages(HWND hostWindow)
{
    section("missing and damaged images");
    struct Case
    {
        const char* file;
        std::vector<int> damaged;
        const char* what;
    };
    // Bytes that are no image: the image is left out of the editor's store, as a missing one is
    // (Wine's resource updater cannot delete a resource to show the missing case itself).
    const Case cases[] = {
        {"TavrelNoPanel.dll", {101}, "with a damaged panel image"},
        {"TavrelNoKnob.dll", {103, 105}, "with a damaged knob strip and upright thumb"},
        {"TavrelNoSwitch.dll", {113}, "with a damaged switch strip"},
    };
    for (const Case& each : cases)
    {
        const std::string path = damagedCopy(each.file, each.damaged);
        if (!check(!path.empty(), std::string("a copy of the plug-in ") + each.what))
        {
            continue;
        }
        {
            PluginLibrary library;
            check(library.load(path), "loads");
            const HMODULE copy = GetModuleHandleA(each.file);
            bool changed = copy != nullptr;
            for (const int id : each.damaged)
            {
                const HRSRC found = FindResourceA(copy, MAKEINTRESOURCEA(id), "PNG");
                changed = changed && found != nullptr && SizeofResource(copy, found) < 64;
            }
            check(changed, "with its resources changed as asked");
            Instance instance(library.findEntry());
            check(instance.isOpen() && (instance.effect()->flags & effFlagsHasEditor) != 0,
                  "makes instances with an editor");
            ERect* rect = nullptr;
            check(instance.dispatch(effEditGetRect, 0, 0, &rect) == 1 && rect != nullptr &&
                      rect->right == 816 && rect->bottom == 789,
                  "whose rectangle is still 816 x 789");
            check(instance.dispatch(effEditOpen, 0, 0, hostWindow) == 0 &&
                      childWindowCount(hostWindow) == 0,
                  "but whose editor refuses to open, leaving no window");
            instance.dispatch(effEditIdle);
            instance.dispatch(effEditClose);
            pump();
            instance.renderBlock();
            check(instance.close() == 1, "the instance plays and closes");
        }
        DeleteFileA(path.c_str());
    }
}

} // namespace EditorCheck
