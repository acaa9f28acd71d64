// The open panel as the host sees it: its size, its 97 controls at their places with the
// parameter indexes as child identifiers, each showing the bank's value; changes made on the panel
// (one automation each), by the host (shown at the next idle tick) and the status texts.
#include "tests/instrument/win32/EditorCheck.h"

#include "instrument/TavrelSynth.h"
#include "sonarch/gui/FontDescription.h"
#include "sonarch/gui/ParameterText.h"
#include "sonarch/gui/win32/DcGraphics.h"
#include "sonarch/gui/win32/DropDownBox.h"
#include "sonarch/gui/win32/Fonts.h"
#include "sonarch/gui/win32/ImageDrawing.h"
#include "sonarch/gui/win32/ImageStore.h"
#include "sonarch/gui/win32/Knob.h"
#include "sonarch/gui/win32/Slider.h"
#include "sonarch/gui/win32/TwoWaySwitch.h"
#include "sonarch/gui/win32/Window.h"
#include "sonarch/midi/MidiLearn.h"
#include "tests/sonarch/gui/win32/Pixels.h"

#include <cmath>
#include <memory>

using namespace Sonarch::Gui;

namespace EditorCheck
{

namespace
{

// A panel of reference controls beside the host's window, made by the check's own toolkit from the
// panel's table: what each control of the plug-in's panel must look like at a value.
class ReferencePanel : public Window
{
public:
    static ReferencePanel* make()
    {
        static bool registered = registerWindowClass(GetModuleHandleA(nullptr));
        if (!registered)
        {
            return nullptr;
        }
        auto* panel = static_cast<ReferencePanel*>(
            createWindow(new ReferencePanel, WS_POPUP | WS_VISIBLE, 850, 0, TavrelPanel::kWidth,
                         TavrelPanel::kHeight, nullptr, 0, GetModuleHandleA(nullptr)));
        if (panel != nullptr && !panel->build())
        {
            DestroyWindow(panel->getHwnd());
            return nullptr;
        }
        return panel;
    }

    Control* find(int index) const
    {
        const auto entry = controls.find(index);
        return entry != controls.end() ? entry->second : nullptr;
    }

protected:
    ~ReferencePanel() override { deleteFont(font); }

    void onPaint(HDC dc) override
    {
        const DcGraphics graphics(dc);
        GpBitmap* panel = images.find(101);
        drawImagePart(graphics.get(), panel, 0, 0, 0, 0, imageWidth(panel), imageHeight(panel));
    }

private:
    ReferencePanel() : images(setup.pluginModule) {}

    bool build()
    {
        for (const int id : {101, 103, 105, 107, 113})
        {
            if (!images.load(id))
            {
                return false;
            }
        }
        font.height = 14;
        createFont(font);
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        GpBitmap* panel = images.find(101);
        for (const TavrelPanel::Control& place : TavrelPanel::controls())
        {
            const int index = indexOf(place.shortName);
            Control* control = nullptr;
            switch (place.kind)
            {
            case TavrelPanel::Kind::Switch:
                control = TwoWaySwitch::create(images.find(113), index, panel, place.defaultValue,
                                               place.x, place.y, hwnd, instance);
                break;
            case TavrelPanel::Kind::DropDown:
                control =
                    DropDownBox::create(place.itemCount, index, panel, place.items,
                                        static_cast<HFONT>(font.font), RGB(255, 205, 175), place.x,
                                        place.y, place.width, place.height, hwnd, instance);
                break;
            case TavrelPanel::Kind::Knob:
                control = Knob::create(images.find(103), index, panel, place.defaultValue, place.x,
                                       place.y, hwnd, instance);
                break;
            case TavrelPanel::Kind::HorizontalSlider:
            case TavrelPanel::Kind::VerticalSlider:
            {
                const bool across = place.kind == TavrelPanel::Kind::HorizontalSlider;
                control = Slider::create(index, images.find(across ? 105 : 107), panel,
                                         across ? SliderOrientation::Horizontal
                                                : SliderOrientation::Vertical,
                                         place.defaultValue, place.x, place.y, place.width,
                                         place.height, hwnd, instance);
                break;
            }
            }
            if (control == nullptr)
            {
                return false;
            }
            controls[index] = control;
        }
        return true;
    }

    ImageStore images;
    FontDescription font;
    std::map<int, Control*> controls;
};

ReferencePanel* reference()
{
    static ReferencePanel* panel = ReferencePanel::make();
    return panel;
}

std::string decimal(float value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.4f", static_cast<double>(value));
    return text;
}

// Waits for the status line to become (or stay) a text, pumping, up to two seconds.
bool statusBecomes(const PanelWindows& panel, const std::string& expected)
{
    for (int waited = 0; waited < 2000 && statusText(panel) != expected; waited += 10)
    {
        pump();
        Sleep(10);
    }
    return statusText(panel) == expected;
}

// The pointer rests on a control until it reports its hover; the status line then shows the text.
std::string hoverText(const PanelWindows& panel, HWND control)
{
    RECT rect = {};
    GetWindowRect(control, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
    const std::string before = statusText(panel);
    for (int waited = 0; waited < 2000 && statusText(panel) == before; waited += 10)
    {
        pump();
        Sleep(10);
    }
    return statusText(panel);
}

void moveAway()
{
    SetCursorPos(1650, 1000);
}

} // namespace

const TavrelPanel::Control* placeOf(int index)
{
    for (const TavrelPanel::Control& place : TavrelPanel::controls())
    {
        if (indexOf(place.shortName) == index)
        {
            return &place;
        }
    }
    return nullptr;
}

int indexOf(const char* shortName)
{
    const auto entry = setup.indexes.find(shortName);
    return entry != setup.indexes.end() ? entry->second : -1;
}

std::string expectedStatus(int index, float value, int controller)
{
    static const auto synth = std::make_unique<TavrelSynth>();
    Sonarch::Parameters::BankInterface& bank = *synth->getBank();
    Sonarch::Midi::MidiLearn& midiLearn = *synth->getMidiLearn();
    bank.setParameter(index, value);
    midiLearn.clearAll();
    if (controller >= 0)
    {
        midiLearn.map(index, controller);
    }
    char text[kStatusTextSize];
    formatParameterStatus(bank, midiLearn, index, text, kStatusTextSize);
    return text;
}

bool controlShows(const PanelWindows& panel, int index, float value)
{
    ReferencePanel* panelOfReference = reference();
    const TavrelPanel::Control* place = placeOf(index);
    const auto shown = panel.controls.find(index);
    if (panelOfReference == nullptr || place == nullptr || shown == panel.controls.end())
    {
        return false;
    }
    Control* expected = panelOfReference->find(index);
    expected->setValue(0, value);
    const GuiCheck::Pixels wanted =
        GuiCheck::readWindow(expected->getHwnd(), place->width, place->height);
    const GuiCheck::Pixels got = GuiCheck::readWindow(shown->second, place->width, place->height);
    return GuiCheck::largestDifference(wanted, got) <= GuiCheck::kColourTolerance;
}

void checkPanel(HWND hostWindow)
{
    section("the panel as the host opens it");
    Instance instance;
    if (!check(instance.isOpen(), "VSTPluginMain gives an instance"))
    {
        return;
    }
    check(instance.effect()->flags == 0x131, "flags 0x131: editor, replacing, chunks, synth (" +
                                                 std::to_string(instance.effect()->flags) + ")");
    ERect* rect = nullptr;
    check(instance.dispatch(effEditGetRect, 0, 0, &rect) == 1 && rect != nullptr &&
              rect->top == 0 && rect->left == 0 && rect->right == 816 && rect->bottom == 789,
          "effEditGetRect: 816 x 789");
    check(reference() != nullptr, "the check's reference panel is made from the DLL's images");

    check(instance.dispatch(effEditOpen, 0, 0, hostWindow) == 1, "effEditOpen answers 1");
    pump();
    instance.dispatch(effEditIdle);
    pump();
    const PanelWindows panel = findPanel(hostWindow);
    check(panel.view != nullptr, "the host's window holds one panel");
    if (panel.view == nullptr)
    {
        instance.dispatch(effEditClose);
        return;
    }
    RECT client = {};
    GetClientRect(panel.view, &client);
    char className[64] = {};
    GetClassNameA(panel.view, className, sizeof(className));
    check(client.right == 816 && client.bottom == 789 && std::string(className) == "TavrelLarge",
          "the panel is a TavrelLarge window of 816 x 789");
    check(panel.childCount == 98 && panel.label != nullptr && panel.controls.size() == 97,
          "it holds 97 controls and the status line (" + std::to_string(panel.childCount) +
              " children)");

    int misplaced = 0;
    int wrongValue = 0;
    for (const TavrelPanel::Control& place : TavrelPanel::controls())
    {
        const int index = indexOf(place.shortName);
        const auto control = panel.controls.find(index);
        RECT shownAt = {};
        if (control != panel.controls.end())
        {
            GetWindowRect(control->second, &shownAt);
            MapWindowPoints(nullptr, panel.view, reinterpret_cast<POINT*>(&shownAt), 2);
        }
        const RECT wanted = {place.x, place.y, place.x + place.width, place.y + place.height};
        if (index < 0 || control == panel.controls.end() || EqualRect(&shownAt, &wanted) == FALSE)
        {
            ++misplaced;
            check(false, std::string(place.shortName) + " has its window at its place");
            continue;
        }
        if (!controlShows(panel, index, instance.getParameter(index)))
        {
            ++wrongValue;
            check(false, std::string(place.shortName) + " shows the bank's value " +
                             decimal(instance.getParameter(index)));
        }
    }
    check(misplaced == 0, "every control's child identifier is its parameter index, at its place");
    check(wrongValue == 0, "every control shows the bank's value (factory program)");
    check(statusText(panel).empty(), "the status line starts empty");
    saveScreenshot(panel.view, "editor-factory.png");
    // The status line shows a parameter's text, which a program change must not leave behind.
    SendMessageA(panel.controls.at(indexOf("OMNI")), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(panel.controls.at(indexOf("OMNI")), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    pump();
    check(!statusText(panel).empty(), "a change on the panel shows its text: " + statusText(panel));

    const int program = instance.findProgram("S&H Bleeps");
    check(program >= 0, "the factory bank has \"S&H Bleeps\"");
    if (program >= 0)
    {
        instance.dispatch(effSetProgram, 0, program);
        pump();
        instance.dispatch(effEditIdle);
        pump();
        int away = 0;
        wrongValue = 0;
        for (const TavrelPanel::Control& place : TavrelPanel::controls())
        {
            const int index = indexOf(place.shortName);
            const float value = instance.getParameter(index);
            away += std::fabs(value - place.defaultValue) > 1e-3f ? 1 : 0;
            wrongValue += controlShows(panel, index, value) ? 0 : 1;
        }
        check(wrongValue == 0, "after a program change and one idle tick every control shows the "
                               "new program (" +
                                   std::to_string(away) + " controls away from their defaults)");
        // The text of the last parameter changed belongs to the program before.
        check(statusText(panel).empty(), "and the status line is cleared");
        saveScreenshot(panel.label, "status-after-program-change.png");
        saveScreenshot(panel.view, "editor-sh-bleeps.png");
    }
    instance.dispatch(effEditClose);
    check(childWindowCount(hostWindow) == 0, "effEditClose removes the panel");
}

void checkChanges(HWND hostWindow)
{
    section("changes on the panel and from the host");
    Instance instance;
    const PanelWindows panel = openPanel(instance, hostWindow);
    if (panel.view == nullptr)
    {
        return;
    }
    const int cutoff = indexOf("F Cut");
    const int resonance = indexOf("F Res");
    if (!check(panel.controls.count(cutoff) == 1 && panel.controls.count(resonance) == 1,
               "the filter's knobs are there"))
    {
        instance.dispatch(effEditClose);
        return;
    }
    const HWND knob = panel.controls.at(cutoff);

    // A drag of 50 pixels, up from a low value or down from a high one.
    const float before = instance.getParameter(cutoff);
    const int pixels = before > 0.5f ? -50 : 50;
    instance.host.automations.clear();
    SendMessageA(knob, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(16, 100));
    SendMessageA(knob, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(16, 100 - pixels));
    SendMessageA(knob, WM_LBUTTONUP, 0, MAKELPARAM(16, 100 - pixels));
    pump();
    const float after = instance.getParameter(cutoff);
    const float wanted = (before * 207.0f + static_cast<float>(pixels)) / 207.0f;
    check(std::fabs(after - wanted) < 1e-5f,
          "a drag of " + std::to_string(pixels) + " pixels moves \"F Cut\" from " +
              decimal(before) + " to " + decimal(after) + " (" + decimal(wanted) + ")");
    const auto& automations = instance.host.automations;
    check(automations.size() == 1 && automations[0].index == cutoff &&
              automations[0].value == after,
          "and gives exactly one audioMasterAutomate with the new value (" +
              std::to_string(automations.size()) + ")");
    check(statusText(panel) == expectedStatus(cutoff, after, -1),
          "the status line shows the changed parameter: \"" + statusText(panel) + "\"");
    instance.dispatch(effEditIdle);
    pump();
    check(controlShows(panel, cutoff, after) && instance.host.automations.size() == 1,
          "an idle tick leaves the knob as dragged and tells the host nothing more");

    // Ctrl+click restores the panel's default, once.
    SendMessageA(knob, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(16, 16));
    SendMessageA(knob, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(16, 16));
    pump();
    check(instance.getParameter(cutoff) == 0.5f && automations.size() == 2 &&
              automations[1].value == 0.5f,
          "Ctrl+click restores the default 0.5 and tells the host");

    // The host's changes: shown at the next idle tick, not before; ten changes show the last.
    const float resonanceBefore = instance.getParameter(resonance);
    const float resonanceAfter = resonanceBefore < 0.5f ? 0.8f : 0.2f;
    instance.setParameter(resonance, resonanceAfter);
    pump();
    check(controlShows(panel, resonance, resonanceBefore),
          "a host setParameter is not shown before the next idle tick");
    instance.dispatch(effEditIdle);
    pump();
    check(controlShows(panel, resonance, resonanceAfter), "and is shown at the next idle tick");
    for (int change = 1; change <= 10; ++change)
    {
        instance.setParameter(resonance, 0.05f * static_cast<float>(change));
    }
    instance.dispatch(effEditIdle);
    pump();
    check(controlShows(panel, resonance, 0.5f),
          "ten host changes between two ticks show the last value");
    check(automations.size() == 2, "host changes are never reported back to the host");

    // The hover text: name, value and unit; leaving clears it.
    const std::string hovered = hoverText(panel, panel.controls.at(resonance));
    check(hovered == expectedStatus(resonance, instance.getParameter(resonance), -1),
          "resting on a control shows its text: \"" + hovered + "\"");
    moveAway();
    check(statusBecomes(panel, ""), "leaving the control clears it");

    // A drop-down box: its menu chooses an item, which reaches the bank and the host.
    const int waveform = indexOf("O1 Wave");
    const TavrelPanel::Control* place = placeOf(waveform);
    std::vector<std::string> waves;
    for (int item = 0; place != nullptr && item < place->itemCount; ++item)
    {
        waves.emplace_back(place->items[item]);
    }
    const int shown = static_cast<int>(std::lround(instance.getParameter(waveform) * 25.0f));
    runModal([&] { SendMessageA(panel.controls.at(waveform), WM_LBUTTONDOWN, MK_LBUTTON, 0); },
             {[&]
              {
                  const HWND menuWindow = findMenuWindow();
                  if (menuWindow == nullptr)
                  {
                      return false;
                  }
                  const auto menu =
                      reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
                  int checked = 0;
                  bool shownChecked = false;
                  for (int item = 0; menu != nullptr && item < GetMenuItemCount(menu); ++item)
                  {
                      const bool on = (GetMenuState(menu, static_cast<UINT>(item), MF_BYPOSITION) &
                                       MF_CHECKED) != 0;
                      checked += on ? 1 : 0;
                      shownChecked = shownChecked || (on && item == shown);
                  }
                  check(checked == 1 && shownChecked,
                        "the list marks the box's item, and only it: " + waves.at(shown));
                  saveScreenshot(menuWindow, "waveform-menu.png");
                  return true;
              },
              chooseMenuItem(3, waves, "the waveform box offers the 26 waveforms")},
             "the waveform menu was driven");
    check(std::fabs(instance.getParameter(waveform) - 2.0f / 25.0f) < 1e-6f &&
              automations.size() == 3 && automations[2].index == waveform,
          "choosing \"Sine\" sets the waveform to 2/25 and tells the host");
    check(controlShows(panel, waveform, 2.0f / 25.0f), "and the box shows it");

    // A switch toggles.
    const int poly = indexOf("Poly");
    const float polyBefore = instance.getParameter(poly);
    SendMessageA(panel.controls.at(poly), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    pump();
    check(instance.getParameter(poly) == (polyBefore < 0.5f ? 1.0f : 0.0f) &&
              automations.size() == 4,
          "a click on the polyphony switch toggles it and tells the host");

    instance.dispatch(effEditClose);
}

} // namespace EditorCheck
