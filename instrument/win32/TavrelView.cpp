// The synthesizer's panel window.
#include "instrument/win32/TavrelView.h"

#include "instrument/MidiLearnImport.h"
#include "instrument/TavrelPanel.h"
#include "instrument/resources/ResourceIds.h"
#include "instrument/win32/AboutDialog.h"
#include "sonarch/gui/win32/DropDownBox.h"
#include "sonarch/gui/win32/EditMidiLearnDialog.h"
#include "sonarch/gui/win32/Fonts.h"
#include "sonarch/gui/win32/ImageDrawing.h"
#include "sonarch/gui/win32/Knob.h"
#include "sonarch/gui/win32/Slider.h"
#include "sonarch/gui/win32/TwoWaySwitch.h"

#include <commdlg.h>

using namespace Sonarch::Gui;

static_assert(TAVREL_DIALOG_EDIT_MIDI_LEARN == kEditMidiLearnDialogId &&
                  TAVREL_CONTROLLER_LIST == kControllerListId,
              "the resource script's MIDI-learn dialog is the one the toolkit runs");

namespace
{

constexpr int kDropDownFontHeight = 14;
constexpr int kStatusFontHeight = 13;

} // namespace

bool TavrelView::hasImages(const ImageStore& images)
{
    for (const int id : {TAVREL_IMAGE_PANEL, TAVREL_IMAGE_KNOB, TAVREL_IMAGE_THUMB_UPRIGHT,
                         TAVREL_IMAGE_THUMB_FLAT, TAVREL_IMAGE_SWITCH})
    {
        if (images.find(id) == nullptr)
        {
            return false;
        }
    }
    return true;
}

TavrelView* TavrelView::create(ImageStore& images, Sonarch::Parameters::BankInterface* bank,
                               Sonarch::Midi::MidiLearn* midiLearn, HWND parent, HINSTANCE instance)
{
    if (!hasImages(images))
    {
        return nullptr;
    }
    GpBitmap* panel = images.find(TAVREL_IMAGE_PANEL);
    auto* view = new TavrelView(images, bank, midiLearn, panel);
    return static_cast<TavrelView*>(createWindow(view, WS_CHILD | WS_VISIBLE, 0, 0,
                                                 imageWidth(panel), imageHeight(panel), parent, 0,
                                                 instance));
}

TavrelView::TavrelView(ImageStore& imagesIn, Sonarch::Parameters::BankInterface* bankIn,
                       Sonarch::Midi::MidiLearn* midiLearnIn, GpBitmap* panel)
    : View(bankIn, midiLearnIn, panel), images(imagesIn)
{
    dropDownFont.height = kDropDownFontHeight;
    statusFont.height = kStatusFontHeight;
}

TavrelView::~TavrelView()
{
    // Also when onCreate failed, which leaves no WM_DESTROY for this object.
    deleteFont(dropDownFont);
    deleteFont(statusFont);
}

LRESULT TavrelView::onCreate(CREATESTRUCTA* create)
{
    View::onCreate(create);
    createFont(dropDownFont);
    createFont(statusFont);
    const HINSTANCE instance = create->hInstance;
    if (!createControls(instance))
    {
        return -1;
    }
    statusLabel = Label::create(background, static_cast<HFONT>(statusFont.font), hwnd, instance);
    if (statusLabel == nullptr)
    {
        return -1;
    }
    statusLabel->textColour = statusColour;
    statusLabel->format = DT_CENTER | DT_WORDBREAK;
    InvalidateRect(statusLabel->getHwnd(), nullptr, TRUE);
    return 0;
}

bool TavrelView::createControls(HINSTANCE instance)
{
    GpBitmap* switchStrip = images.find(TAVREL_IMAGE_SWITCH);
    GpBitmap* knobStrip = images.find(TAVREL_IMAGE_KNOB);
    GpBitmap* uprightThumb = images.find(TAVREL_IMAGE_THUMB_UPRIGHT);
    GpBitmap* flatThumb = images.find(TAVREL_IMAGE_THUMB_FLAT);
    const auto dropDownFontHandle = static_cast<HFONT>(dropDownFont.font);
    return TavrelPanel::buildControls(
        *bank,
        [&](const TavrelPanel::Control& place, int index)
        {
            Control* control = nullptr;
            switch (place.kind)
            {
            case TavrelPanel::Kind::Switch:
                control = TwoWaySwitch::create(switchStrip, index, background, place.defaultValue,
                                               place.x, place.y, hwnd, instance);
                break;
            case TavrelPanel::Kind::DropDown:
                control = DropDownBox::create(place.itemCount, index, background, place.items,
                                              dropDownFontHandle, dropDownColour, place.x, place.y,
                                              place.width, place.height, hwnd, instance);
                break;
            case TavrelPanel::Kind::Knob:
                control = Knob::create(knobStrip, index, background, place.defaultValue, place.x,
                                       place.y, hwnd, instance);
                break;
            case TavrelPanel::Kind::HorizontalSlider:
                control = Slider::create(index, uprightThumb, background,
                                         SliderOrientation::Horizontal, place.defaultValue, place.x,
                                         place.y, place.width, place.height, hwnd, instance);
                break;
            case TavrelPanel::Kind::VerticalSlider:
                control = Slider::create(index, flatThumb, background, SliderOrientation::Vertical,
                                         place.defaultValue, place.x, place.y, place.width,
                                         place.height, hwnd, instance);
                break;
            }
            if (control == nullptr)
            {
                return false;
            }
            registerControl(control);
            return true;
        });
}

void TavrelView::onDestroy()
{
    View::onDestroy();
    // The label goes with the panel's children; the object may outlive them for a while.
    statusLabel = nullptr;
    deleteFont(dropDownFont);
    deleteFont(statusFont);
}

void TavrelView::clearStatusText()
{
    setStatusText("");
}

void TavrelView::setStatusText(const char* text)
{
    if (statusLabel != nullptr)
    {
        statusLabel->setText(text);
    }
}

void TavrelView::getMenuRect(RECT* rect)
{
    if (rect != nullptr)
    {
        *rect = {0, 0, TavrelPanel::kMenuRight, TavrelPanel::kMenuBottom};
    }
}

void TavrelView::formatParameterText(int index, char* buffer, int size)
{
    formatParameterStatus(*bank, *midiLearn, index, buffer, size);
}

void TavrelView::showAbout()
{
    showAboutDialog(getInstance(), hwnd);
}

void TavrelView::importMidiLearn()
{
    char path[MAX_PATH] = "";
    OPENFILENAMEA request = {};
    // The whole structure of every Windows since 2000: the 76 bytes of the older one are its
    // 32-bit size only, which a 64-bit build must not pass.
    request.lStructSize = sizeof(request);
    request.hwndOwner = hwnd;
    request.lpstrFilter = "fxb\0*.fxb\0";
    request.nFilterIndex = 1;
    request.lpstrFile = path;
    request.nMaxFile = sizeof(path);
    // The host's current directory is not ours to change.
    request.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    const HWND self = hwnd;
    if (GetOpenFileNameA(&request) != TRUE || !holds(self, this))
    {
        return;
    }
    const MidiLearnImportResult result = ::importMidiLearn(path, *midiLearn);
    if (result != MidiLearnImportResult::Success)
    {
        MessageBoxA(hwnd, midiLearnImportMessage(result), "Error", MB_ICONERROR);
    }
}
