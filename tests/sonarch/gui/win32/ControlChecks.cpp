// Controls on a panel: the frames, thumbs and texts they paint over the panel, their answers to
// synthesized mouse input, the messages they post to their parent, and missing images.
#include "tests/sonarch/gui/win32/GuiCheck.h"
#include "tests/sonarch/gui/win32/Pixels.h"

#include "components/Filter.h"
#include "components/WaveData.h"
#include "parameters/ModulationSources.h"
#include "sonarch/gui/ValueBits.h"
#include "sonarch/gui/win32/DcGraphics.h"
#include "sonarch/gui/win32/DropDownBox.h"
#include "sonarch/gui/win32/Fonts.h"
#include "sonarch/gui/win32/ImageDrawing.h"
#include "sonarch/gui/win32/Knob.h"
#include "sonarch/gui/win32/Label.h"
#include "sonarch/gui/win32/RegisteredMessages.h"
#include "sonarch/gui/win32/Slider.h"
#include "sonarch/gui/win32/TwoWaySwitch.h"
#include "sonarch/gui/win32/Window.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using namespace Sonarch::Gui;

namespace GuiCheck
{

namespace
{

struct Posted
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The parent of the controls: paints the panel image and keeps what the controls post.
class TestPanel : public Window
{
public:
    static TestPanel* make(GpBitmap* background, int width, int height)
    {
        return static_cast<TestPanel*>(createWindow(new TestPanel(background),
                                                    WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                                    nullptr, 0, testInstance));
    }

    std::vector<Posted> posted;

    // The value messages posted since the last call.
    std::vector<Posted> takeValues()
    {
        pump();
        std::vector<Posted> values;
        for (const Posted& message : posted)
        {
            if (message.message == UWM_CONTROL_VALUE_CHANGED)
            {
                values.push_back(message);
            }
        }
        posted.clear();
        return values;
    }

    // The messages posted by one control, naming it in lParam, since the last call; waits up to
    // two seconds for `expected` of them (the system checks the pointer for a leave on a timer).
    std::vector<UINT> takeFrom(const Control* control, std::size_t expected = 0)
    {
        pump();
        for (int waited = 0; waited < 2000 && countFrom(control) < expected; waited += 10)
        {
            Sleep(10);
            pump();
        }
        std::vector<UINT> messages;
        for (const Posted& message : posted)
        {
            if (message.message != UWM_CONTROL_VALUE_CHANGED &&
                message.lParam == reinterpret_cast<LPARAM>(control))
            {
                messages.push_back(message.message);
            }
        }
        posted.clear();
        return messages;
    }

private:
    std::size_t countFrom(const Control* control) const
    {
        return static_cast<std::size_t>(
            std::count_if(posted.begin(), posted.end(),
                          [control](const Posted& message)
                          { return message.lParam == reinterpret_cast<LPARAM>(control); }));
    }

protected:
    void onPaint(HDC dc) override
    {
        const DcGraphics graphics(dc);
        drawImagePart(graphics.get(), background, 0, 0, 0, 0, imageWidth(background),
                      imageHeight(background));
    }
    LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (isRegisteredMessage(message, UWM_CONTROL_VALUE_CHANGED) ||
            isRegisteredMessage(message, UWM_CONTROL_RBUTTONDOWN) ||
            isRegisteredMessage(message, UWM_CONTROL_HOVERING) ||
            isRegisteredMessage(message, UWM_CONTROL_LEAVE))
        {
            posted.push_back({message, wParam, lParam});
            return 0;
        }
        return Window::defaultProc(message, wParam, lParam);
    }

private:
    explicit TestPanel(GpBitmap* backgroundIn) : background(backgroundIn) {}
    GpBitmap* background;
};

// The synthesizer's own item texts, as its panel's boxes show them.
const char* const* const kWaveforms = getWaveLongNames();
const char* const* const kSources = kModulationSourceNames;
const char* const* const kFilterTypes = Filter::kTypeLongNames;

bool sameValueBits(LPARAM lParam, float value)
{
    return valueToBits(valueFromBits(static_cast<std::uint64_t>(lParam))) == valueToBits(value) &&
           (static_cast<std::uint64_t>(lParam) >> 32) == 0;
}

} // namespace

void checkControls(const PanelImages& images, const std::string& artifacts)
{
    section("controls on the panel");
    TestPanel* panel = TestPanel::make(images.panel, 816, 789);
    check(panel != nullptr, "the test panel opens (816 x 789)");
    if (panel == nullptr)
    {
        return;
    }
    const HWND parent = panel->getHwnd();

    FontDescription boxFont;
    boxFont.height = 14;
    FontDescription statusFont;
    statusFont.height = 13;
    createFont(boxFont);
    createFont(statusFont);
    const COLORREF boxColour = RGB(255, 205, 175);

    // The knob under test: "F Cut" (parameter 8 here) at its panel place.
    Knob* knob = Knob::create(images.knob, 8, images.panel, 0.5f, 190, 491, parent, testInstance);
    check(knob != nullptr, "a knob is created from the 91-frame strip");
    if (knob == nullptr)
    {
        return;
    }
    RECT knobRect = {};
    GetClientRect(knob->getHwnd(), &knobRect);
    check(knobRect.right == 32 && knobRect.bottom == 33, "the knob is one frame in size (32 x 33)");
    check(GetDlgCtrlID(knob->getHwnd()) == 8, "its child identifier is its parameter index");

    // A vertical slider ("E1 S"), a switch ("Poly"), a drop-down box and the status label.
    Slider* slider = Slider::create(17, images.flat, images.panel, SliderOrientation::Vertical,
                                    0.5f, 627, 509, 29, 89, parent, testInstance);
    TwoWaySwitch* onOff =
        TwoWaySwitch::create(images.onOff, 0, images.panel, 1.0f, 337, 61, parent, testInstance);
    DropDownBox* waves =
        DropDownBox::create(26, 2, images.panel, kWaveforms, static_cast<HFONT>(boxFont.font),
                            boxColour, 71, 124, 93, 15, parent, testInstance);
    Label* status =
        Label::create(images.panel, static_cast<HFONT>(statusFont.font), parent, testInstance);
    check(slider != nullptr && onOff != nullptr && waves != nullptr && status != nullptr,
          "a slider, a switch, a drop-down box and a label are created");
    if (slider == nullptr || onOff == nullptr || waves == nullptr || status == nullptr)
    {
        return;
    }

    // More controls at their panel places, for the screenshot.
    const int knobPlaces[][2] = {{72, 156},  {23, 156},  {121, 156}, {201, 253}, {337, 156},
                                 {288, 156}, {386, 156}, {467, 253}, {254, 491}, {533, 59},
                                 {548, 317}, {591, 317}, {633, 317}, {676, 317}, {549, 402},
                                 {633, 402}, {673, 402}};
    int index = 20;
    for (const auto& place : knobPlaces)
    {
        Knob* extra = Knob::create(images.knob, index, images.panel, 0.5f, place[0], place[1],
                                   parent, testInstance);
        if (extra != nullptr)
        {
            extra->setValue(0, static_cast<float>(index % 11) / 10.0f);
        }
        ++index;
    }
    const int switchPlaces[][2] = {{208, 61},  {104, 349}, {104, 432}, {12, 219},  {536, 120},
                                   {536, 152}, {536, 192}, {536, 289}, {536, 375}, {717, 584}};
    for (const auto& place : switchPlaces)
    {
        TwoWaySwitch* extra = TwoWaySwitch::create(images.onOff, index, images.panel, 0.0f,
                                                   place[0], place[1], parent, testInstance);
        if (extra != nullptr)
        {
            extra->setValue(0, static_cast<float>(index % 2));
        }
        ++index;
    }
    const int verticalPlaces[][2] = {{551, 509}, {588, 509}, {665, 509}, {551, 667},
                                     {588, 667}, {627, 667}, {665, 667}};
    for (const auto& place : verticalPlaces)
    {
        Slider* extra =
            Slider::create(index, images.flat, images.panel, SliderOrientation::Vertical, 0.1f,
                           place[0], place[1], 29, 89, parent, testInstance);
        if (extra != nullptr)
        {
            extra->setValue(0, static_cast<float>(index % 7) / 6.0f);
        }
        ++index;
    }
    const int horizontalPlaces[][2] = {{711, 375}, {711, 291}, {711, 153}, {184, 307},
                                       {184, 117}, {446, 117}, {446, 497}, {196, 662}};
    for (const auto& place : horizontalPlaces)
    {
        Slider* extra =
            Slider::create(index, images.upright, images.panel, SliderOrientation::Horizontal, 0.1f,
                           place[0], place[1], 71, 29, parent, testInstance);
        if (extra != nullptr)
        {
            extra->setValue(0, static_cast<float>(index % 5) / 4.0f);
        }
        ++index;
    }
    Slider* master =
        Slider::create(index++, images.upright, images.panel, SliderOrientation::Horizontal, 0.5f,
                       605, 59, 153, 29, parent, testInstance);
    DropDownBox* filter = DropDownBox::create(4, index++, images.panel, kFilterTypes,
                                              static_cast<HFONT>(boxFont.font), boxColour, 71, 505,
                                              93, 15, parent, testInstance);
    DropDownBox* source =
        DropDownBox::create(5, index++, images.panel, kSources, static_cast<HFONT>(boxFont.font),
                            boxColour, 333, 314, 93, 15, parent, testInstance);
    if (filter != nullptr && source != nullptr && master != nullptr)
    {
        filter->setValue(0, 1.0f / 3.0f);
        source->setValue(0, 0.5f);
    }
    status->textColour = RGB(122, 135, 149);
    status->format = DT_CENTER | DT_WORDBREAK;
    status->setText("Filter Cutoff\n2.51 kHz");

    UpdateWindow(parent);
    pump();
    panel->takeValues();

    // --- The knob: frames painted for values, dragged by synthesized mouse input.
    knob->setValue(0, 0.0f);
    const Pixels atZero = readWindow(knob->getHwnd(), 32, 33);
    const Pixels frameZero =
        expectedPicture(images.panel, 190, 491, 32, 33, images.knob, 0, 0, 0, 0, 32, 33);
    check(largestDifference(atZero, frameZero) <= kColourTolerance,
          "at 0 the knob shows frame 0 over the panel behind it (largest difference " +
              std::to_string(largestDifference(atZero, frameZero)) + ")");
    check(panel->takeValues().empty(), "setValue posts nothing");

    SendMessageA(knob->getHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(16, 20));
    check(GetCapture() == knob->getHwnd(), "a press captures the mouse");
    SendMessageA(knob->getHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(16, -83));
    SendMessageA(knob->getHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(16, -83));
    check(GetCapture() == nullptr, "the release frees the capture");
    const float dragged = 103.0f / 207.0f;
    check(knob->getValue(0) == dragged, "103 pixels up give 103/207");
    const Pixels afterDrag = readWindow(knob->getHwnd(), 32, 33);
    const Pixels frame45 =
        expectedPicture(images.panel, 190, 491, 32, 33, images.knob, 0, 0, 0, 45 * 33, 32, 33);
    check(largestDifference(afterDrag, frame45) <= kColourTolerance,
          "the knob then shows frame 45 (largest difference " +
              std::to_string(largestDifference(afterDrag, frame45)) + ")");
    check(largestDifference(atZero, afterDrag) > 40, "and frames 0 and 45 differ visibly");

    std::vector<Posted> values = panel->takeValues();
    check(values.size() == 1,
          "one change was posted to the parent (" + std::to_string(values.size()) + ")");
    if (values.size() == 1)
    {
        check(values[0].wParam == 8, "with the parameter index in wParam");
        check(sameValueBits(values[0].lParam, dragged), "and the value's float bits in lParam");
    }

    SendMessageA(knob->getHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(16, 20));
    SendMessageA(knob->getHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(16, 20));
    SendMessageA(knob->getHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 20));
    SendMessageA(knob->getHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(40, 20));
    check(panel->takeValues().empty(), "movement that changes nothing posts nothing");

    SendMessageA(knob->getHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(16, -300));
    check(knob->getValue(0) == dragged && panel->takeValues().empty(),
          "without the capture the knob does not follow");

    SendMessageA(knob->getHwnd(), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(16, 20));
    SendMessageA(knob->getHwnd(), WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(16, 20));
    values = panel->takeValues();
    check(values.size() == 1 && sameValueBits(values[0].lParam, 0.5f),
          "Ctrl+click restores the default 0.5 and posts it");
    SendMessageA(knob->getHwnd(), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(16, 20));
    SendMessageA(knob->getHwnd(), WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(16, 20));
    check(panel->takeValues().empty(), "Ctrl+click at the default posts nothing");
    const Pixels atHalf = readWindow(knob->getHwnd(), 32, 33);
    check(largestDifference(atHalf, frame45) <= kColourTolerance, "0.5 shows frame 45 as well");

    // --- The vertical slider: its thumb drawn where the drag put it.
    slider->setValue(0, 1.0f);
    SendMessageA(slider->getHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 40));
    SendMessageA(slider->getHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 73));
    SendMessageA(slider->getHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 73));
    check(slider->getValue(0) == 0.5f, "33 pixels down halve a vertical slider at the top");
    values = panel->takeValues();
    check(values.size() == 1 && values[0].wParam == 17 && sameValueBits(values[0].lParam, 0.5f),
          "the slider posts its index and 0.5");
    const Pixels sliderShown = readWindow(slider->getHwnd(), 29, 89);
    const Pixels sliderExpected =
        expectedPicture(images.panel, 627, 509, 29, 89, images.flat, 0, 33, 0, 0, 31, 23);
    check(largestDifference(sliderShown, sliderExpected) <= kColourTolerance,
          "the thumb is painted at 33 over the panel (largest difference " +
              std::to_string(largestDifference(sliderShown, sliderExpected)) + ")");

    // --- The switch: a value below one half shows off, a click turns it on.
    onOff->setValue(0, 0.3f);
    const Pixels switchOff = readWindow(onOff->getHwnd(), 20, 32);
    check(largestDifference(switchOff, expectedPicture(images.panel, 337, 61, 20, 32, images.onOff,
                                                       0, 0, 0, 0, 20, 32)) <= kColourTolerance,
          "a switch at 0.3 shows frame 0 (off)");
    SendMessageA(onOff->getHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    check(GetCapture() == nullptr, "a switch does not capture the mouse");
    values = panel->takeValues();
    check(values.size() == 1 && values[0].wParam == 0 && sameValueBits(values[0].lParam, 1.0f),
          "a click turns it to 1 and posts it");
    const Pixels switchOn = readWindow(onOff->getHwnd(), 20, 32);
    check(largestDifference(switchOn, expectedPicture(images.panel, 337, 61, 20, 32, images.onOff,
                                                      0, 0, 0, 32, 20, 32)) <= kColourTolerance,
          "and it shows frame 1 (on)");
    SendMessageA(onOff->getHwnd(), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(5, 5));
    check(panel->takeValues().empty(), "Ctrl+click on a switch showing its default posts nothing");

    // --- The drop-down box: the selected text over its piece of the panel.
    waves->setValue(0, 0.5f);
    check(waves->getSelected() == 13, "26 items at 0.5 select item 13");
    const Pixels boxShown = readWindow(waves->getHwnd(), 93, 15);
    const Pixels boxBackground =
        expectedPicture(images.panel, 71, 124, 93, 15, nullptr, 0, 0, 0, 0, 0, 0);
    check(largestDifference(boxShown, boxBackground) > 60, "the box draws its item's text");
    check(boxShown.at(0, 0) == boxBackground.at(0, 0) &&
              boxShown.at(92, 14) == boxBackground.at(92, 14),
          "over the panel's own box");
    check(panel->takeValues().empty(), "showing a value posts nothing");

    // --- The label.
    const Pixels labelShown = readWindow(status->getHwnd(), 150, 25);
    check(largestDifference(labelShown, expectedPicture(images.panel, 625, 2, 150, 25, nullptr, 0,
                                                        0, 0, 0, 0, 0)) > 40,
          "the label draws its text");

    // --- A status text whose first line is too wide to wrap into the label keeps its second line
    // in view: the line is narrowed rather than wrapped onto the second line's place.
    auto lowerHalfDiffers = [](const Pixels& a, const Pixels& b)
    {
        for (int y = 14; y < a.height && y < b.height; ++y)
        {
            for (int x = 0; x < a.width && x < b.width; ++x)
            {
                if (a.at(x, y) != b.at(x, y))
                {
                    return true;
                }
            }
        }
        return false;
    };
    status->setText("Filter: Pressure Enabled (CC127)\nOn On/Off");
    const Pixels bothLines = readWindow(status->getHwnd(), 150, 25);
    status->setText("Filter: Pressure Enabled (CC127)");
    const Pixels firstLineOnly = readWindow(status->getHwnd(), 150, 25);
    check(lowerHalfDiffers(bothLines, firstLineOnly),
          "a first line too wide for the label leaves its second line visible");
    status->setText("Filter Cutoff\n2.51 kHz");

    // --- Right button, hover and leave, reported to the parent naming the control. The hover and
    // the leave come from the system: the pointer rests on the switch, then leaves it.
    SendMessageA(onOff->getHwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    check(panel->takeFrom(onOff) == std::vector<UINT>{UWM_CONTROL_RBUTTONDOWN},
          "a right click posts UWM_CONTROL_RBUTTONDOWN");
    SendMessageA(onOff->getHwnd(), WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
    SendMessageA(onOff->getHwnd(), WM_MOUSELEAVE, 0, 0);
    check(panel->takeFrom(onOff).empty(), "a hover or leave nobody asked for is not reported");
    SendMessageA(onOff->getHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(onOff->getHwnd(), WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
    check(panel->takeFrom(onOff).empty(), "a move with a button held asks for no tracking");

    POINT onSwitch = {10, 16};
    ClientToScreen(onOff->getHwnd(), &onSwitch);
    SetCursorPos(onSwitch.x, onSwitch.y);
    SendMessageA(onOff->getHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 16));
    const std::vector<UINT> hovered = panel->takeFrom(onOff, 1);
    check(hovered == std::vector<UINT>{UWM_CONTROL_HOVERING},
          "resting on the switch after a move without buttons posts UWM_CONTROL_HOVERING (" +
              std::to_string(hovered.size()) + " messages)");
    SetCursorPos(1200, 1000);
    const std::vector<UINT> left = panel->takeFrom(onOff, 1);
    check(!left.empty() && left.back() == UWM_CONTROL_LEAVE &&
              std::count(left.begin(), left.end(), UWM_CONTROL_LEAVE) == 1,
          "leaving it posts UWM_CONTROL_LEAVE once (" + std::to_string(left.size()) + " messages)");
    SendMessageA(onOff->getHwnd(), WM_MOUSELEAVE, 0, 0);
    check(panel->takeFrom(onOff).empty(), "a second leave is not reported");

    // --- Missing images never crash: controls sized by a strip are refused, others draw less.
    const int children = childCount(parent);
    GpBitmap* tiny = nullptr;
    Gdip::GdipCreateBitmapFromScan0(4, 1, 0, PixelFormat32bppARGB, nullptr, &tiny);
    check(Knob::create(nullptr, 90, images.panel, 0.5f, 0, 0, parent, testInstance) == nullptr &&
              TwoWaySwitch::create(tiny, 91, images.panel, 0.0f, 0, 0, parent, testInstance) ==
                  nullptr,
          "a knob without a strip and a switch whose strip has no room for 2 frames are refused");
    check(childCount(parent) == children, "and make no window");
    Slider* bare = Slider::create(92, nullptr, images.panel, SliderOrientation::Horizontal, 0.5f,
                                  20, 700, 71, 29, parent, testInstance);
    DropDownBox* empty =
        DropDownBox::create(26, 93, images.panel, nullptr, static_cast<HFONT>(boxFont.font),
                            boxColour, 20, 650, 93, 15, parent, testInstance);
    check(bare != nullptr && empty != nullptr,
          "a slider without a thumb and a box without items are made");
    if (bare != nullptr && empty != nullptr)
    {
        check(largestDifference(readWindow(bare->getHwnd(), 71, 29),
                                expectedPicture(images.panel, 20, 700, 71, 29, nullptr, 0, 0, 0, 0,
                                                0, 0)) <= kColourTolerance &&
                  largestDifference(readWindow(empty->getHwnd(), 93, 15),
                                    expectedPicture(images.panel, 20, 650, 93, 15, nullptr, 0, 0, 0,
                                                    0, 0, 0)) <= kColourTolerance,
              "and show only the panel behind them");
        SendMessageA(bare->getHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 10));
        SendMessageA(bare->getHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 10));
        SendMessageA(bare->getHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(40, 10));
        check(std::abs(bare->getValue(0) - (0.5f + 10.0f / 71.0f)) < 1e-6f,
              "the thumbless slider still drags over the whole window");
        DestroyWindow(bare->getHwnd());
        DestroyWindow(empty->getHwnd());
    }
    if (tiny != nullptr)
    {
        Gdip::GdipDisposeImage(tiny);
    }
    panel->takeValues();

    const Pixels screenshot = readWindow(parent, 816, 789);
    check(savePixels(screenshot, artifacts + "/toolkit-panel.png"),
          "screenshot saved: " + artifacts + "/toolkit-panel.png");

    DestroyWindow(parent);
    deleteFont(boxFont);
    deleteFont(statusFont);
    check(!IsWindow(parent), "destroying the panel destroys it with all its controls");
}

} // namespace GuiCheck
