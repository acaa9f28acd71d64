// Hosts that call back in. From inside the automation call a knob drag sends, and from inside each
// menu and dialog of the editor, the host closes or reopens the editor, closes the plug-in,
// destroys its own window, writes a parameter, changes the program or loads a bank chunk. Each
// case must return (a watchdog ends the check if one hangs), and the plug-in must work on (or be
// gone cleanly, with a new instance working).
#include "tests/instrument/win32/EditorCheck.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace EditorCheck
{

namespace
{

enum class Reaction
{
    CloseEditor,
    ReopenEditor,
    ClosePlugin,
    DestroyHostWindow,
    SetParameter,
    SetProgram,
    SetChunk,
};

struct ReactionInfo
{
    Reaction reaction;
    const char* name;
};

constexpr ReactionInfo kReactions[] = {
    {Reaction::CloseEditor, "effEditClose"},
    {Reaction::ReopenEditor, "effEditOpen"},
    {Reaction::ClosePlugin, "effClose"},
    {Reaction::DestroyHostWindow, "destroying the host's window"},
    {Reaction::SetParameter, "setParameter"},
    {Reaction::SetProgram, "a program change"},
    {Reaction::SetChunk, "effSetChunk"},
};

constexpr float kHostValue = 0.75f;
constexpr int kHostProgram = 5;

// One case's plug-in, window and what the host did.
struct Scene
{
    Instance instance;
    HWND hostWindow = nullptr;
    std::vector<char> bank;
    int reactions = 0;

    void react(Reaction reaction)
    {
        ++reactions;
        switch (reaction)
        {
        case Reaction::CloseEditor:
            instance.dispatch(effEditClose);
            break;
        case Reaction::ReopenEditor:
            instance.dispatch(effEditOpen, 0, 0, hostWindow);
            break;
        case Reaction::ClosePlugin:
            instance.close();
            break;
        case Reaction::DestroyHostWindow:
            DestroyWindow(hostWindow);
            hostWindow = nullptr;
            break;
        case Reaction::SetParameter:
            instance.setParameter(indexOf("F Res"), kHostValue);
            break;
        case Reaction::SetProgram:
            instance.dispatch(effSetProgram, 0, kHostProgram);
            break;
        case Reaction::SetChunk:
            instance.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(bank.size()), bank.data());
            break;
        }
    }
};

// The last time a case made progress; the watchdog ends the program when none comes for long.
std::atomic<long long> lastProgress{0};
// The case running, for the watchdog's verdict (read only while the main thread is stuck).
char currentCase[256] = "";

long long now()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void progress(const std::string& name)
{
    std::snprintf(currentCase, sizeof(currentCase), "%s", name.c_str());
    lastProgress.store(now());
}

bool anyModalOpen()
{
    return findMenuWindow() != nullptr || findDialog("About Tavrel") != nullptr ||
           findDialog("Warning!") != nullptr || findDialog("Edit MIDI Learn") != nullptr;
}

// A step that waits for `open` to be shown, then reacts from inside its modal loop.
Step reactWhen(std::function<bool()> open, Scene& scene, Reaction reaction)
{
    return [open, &scene, reaction]
    {
        if (!open())
        {
            return false;
        }
        scene.react(reaction);
        return true;
    };
}

// The last step: what the reaction did not close is escaped; done when nothing is open. The
// first look counts whether the plug-in ended its own loops.
Step allClosed(bool& closedByItself)
{
    return [&closedByItself, looks = 0]() mutable
    {
        const bool open = anyModalOpen();
        if (looks++ == 0)
        {
            closedByItself = !open;
        }
        if (open && looks % 20 == 1)
        {
            EndMenu();
            for (const char* caption : {"About Tavrel", "Warning!", "Edit MIDI Learn"})
            {
                if (const HWND dialog = findDialog(caption))
                {
                    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                }
            }
        }
        return !open;
    };
}

const std::vector<std::string> kMainMenu = {"Clear All MIDI Learn", "Import MIDI Learn",
                                            "About..."};
const std::vector<std::string> kControlMenu = {"Start MIDI Learn", "Edit MIDI Learn"};

enum class Place
{
    KnobAutomation,
    MainMenu,
    ControlMenu,
    AboutBox,
    ClearAllQuestion,
    EditDialog,
};

struct PlaceInfo
{
    Place place;
    const char* name;
};

constexpr PlaceInfo kPlaces[] = {
    {Place::KnobAutomation, "the automation call of a knob drag"},
    {Place::MainMenu, "the main menu"},
    {Place::ControlMenu, "a control's MIDI-learn menu"},
    {Place::AboutBox, "the about box"},
    {Place::ClearAllQuestion, "the Clear All question"},
    {Place::EditDialog, "the Edit MIDI Learn dialog"},
};

// Runs one reaction in one place and checks the plug-in afterwards.
void runCase(const PlaceInfo& place, const ReactionInfo& reaction)
{
    const std::string what = std::string(reaction.name) + " from inside " + place.name;
    progress(what);
    Scene scene;
    scene.hostWindow = makeHostWindow(40, 40, TavrelPanel::kWidth, TavrelPanel::kHeight);
    {
        void* data = nullptr;
        const auto size = scene.instance.dispatch(effGetChunk, 0, 0, &data);
        if (data != nullptr && size > 0)
        {
            scene.bank.assign(static_cast<char*>(data), static_cast<char*>(data) + size);
        }
    }
    const PanelWindows panel = openPanel(scene.instance, scene.hostWindow);
    const int cutoff = indexOf("F Cut");
    if (panel.view == nullptr || panel.controls.count(cutoff) == 0)
    {
        check(false, what + ": no panel");
        return;
    }
    const HWND knob = panel.controls.at(cutoff);
    const HWND view = panel.view;
    bool closedByItself = true;
    bool completed = true;

    if (place.place == Place::KnobAutomation)
    {
        scene.instance.host.onAutomate = [&](const HostedPlugin::Automation&)
        {
            scene.instance.host.onAutomate = nullptr;
            scene.react(reaction.reaction);
        };
        // Up from a low value, down from a high one: the drag must change the value.
        const int to = scene.instance.getParameter(cutoff) < 0.5f ? 60 : 140;
        SendMessageA(knob, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(16, 100));
        SendMessageA(knob, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(16, to));
        if (IsWindow(knob) != FALSE)
        {
            SendMessageA(knob, WM_LBUTTONUP, 0, MAKELPARAM(16, to));
        }
        pumpFor(50);
        scene.instance.host.onAutomate = nullptr;
        completed = check(scene.reactions == 1, what + ": returns");
    }
    else
    {
        const auto menuOpen = [] { return findMenuWindow() != nullptr; };
        std::function<void()> trigger;
        std::vector<Step> steps;
        const bool onMainMenu = place.place == Place::MainMenu || place.place == Place::AboutBox ||
                                place.place == Place::ClearAllQuestion;
        if (onMainMenu)
        {
            trigger = [view]
            { SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10)); };
        }
        else
        {
            trigger = [knob] { SendMessageA(knob, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4)); };
        }
        switch (place.place)
        {
        case Place::MainMenu:
        case Place::ControlMenu:
            steps.push_back(reactWhen(menuOpen, scene, reaction.reaction));
            break;
        case Place::AboutBox:
            steps.push_back(chooseMenuItem(3, kMainMenu, what + ": the main menu"));
            steps.push_back(reactWhen([] { return findDialog("About Tavrel") != nullptr; }, scene,
                                      reaction.reaction));
            break;
        case Place::ClearAllQuestion:
            steps.push_back(chooseMenuItem(1, kMainMenu, what + ": the main menu"));
            steps.push_back(reactWhen([] { return findDialog("Warning!") != nullptr; }, scene,
                                      reaction.reaction));
            break;
        case Place::EditDialog:
            steps.push_back(chooseMenuItem(2, kControlMenu, what + ": the control's menu"));
            steps.push_back(reactWhen([] { return findDialog("Edit MIDI Learn") != nullptr; },
                                      scene, reaction.reaction));
            break;
        case Place::KnobAutomation:
            break;
        }
        steps.push_back(allClosed(closedByItself));
        completed = runModal(trigger, std::move(steps), what + ": returns");
    }
    progress(what + " (afterwards)");

    // What closes the panel also ends the panel's menus and dialogs.
    const bool panelGone = reaction.reaction == Reaction::CloseEditor ||
                           reaction.reaction == Reaction::ClosePlugin ||
                           reaction.reaction == Reaction::DestroyHostWindow ||
                           reaction.reaction == Reaction::ReopenEditor;
    if (place.place != Place::KnobAutomation && panelGone)
    {
        check(closedByItself, what + ": the panel's menus and dialogs closed with it");
    }

    if (reaction.reaction == Reaction::ClosePlugin)
    {
        check(!scene.instance.isOpen(), what + ": the plug-in is closed");
        Instance fresh;
        const HWND window = makeHostWindow(40, 40, TavrelPanel::kWidth, TavrelPanel::kHeight);
        check(openPanel(fresh, window).controls.size() == 97 && completed,
              what + ": a new instance opens its panel");
        fresh.dispatch(effEditClose);
        DestroyWindow(window);
        return;
    }
    if (reaction.reaction == Reaction::SetParameter)
    {
        check(scene.instance.getParameter(indexOf("F Res")) == kHostValue,
              what + ": the host's value holds");
    }
    if (reaction.reaction == Reaction::SetProgram)
    {
        check(scene.instance.dispatch(effGetProgram) == kHostProgram,
              what + ": the host's program holds");
    }
    // The instance goes on: its editor closes and opens again, it renders, and it closes
    // cleanly.
    scene.instance.dispatch(effEditClose);
    if (scene.hostWindow == nullptr)
    {
        scene.hostWindow = makeHostWindow(40, 40, TavrelPanel::kWidth, TavrelPanel::kHeight);
    }
    const PanelWindows again = openPanel(scene.instance, scene.hostWindow);
    scene.instance.renderBlock();
    check(again.controls.size() == 97, what + ": the editor opens again");
    scene.instance.dispatch(effEditClose);
    check(scene.instance.close() == 1, what + ": the plug-in closes");
    DestroyWindow(scene.hostWindow);
}

} // namespace

void checkReentrancy(HWND)
{
    section("hosts that call back in");
    lastProgress.store(now());
    std::atomic<bool> finished{false};
    std::thread watchdog(
        [&finished]
        {
            while (!finished.load())
            {
                Sleep(200);
                if (now() - lastProgress.load() > 30000)
                {
                    std::printf("  FAIL %s: hangs\n", currentCase);
                    std::fflush(stdout);
                    ExitProcess(3);
                }
            }
        });
    for (const PlaceInfo& place : kPlaces)
    {
        for (const ReactionInfo& reaction : kReactions)
        {
            runCase(place, reaction);
        }
    }
    finished.store(true);
    watchdog.join();
}

} // namespace EditorCheck
