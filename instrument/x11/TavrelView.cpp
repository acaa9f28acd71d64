// The synthesizer's panel under X11.
// Before Xlib's headers, whose macros (Success among them) would rename its enumerators.
#include "instrument/MidiLearnImport.h"

#include "instrument/x11/TavrelView.h"

#include "instrument/EditorImages.h"
#include "instrument/TavrelPanel.h"
#include "instrument/resources/ResourceIds.h"
#include "instrument/x11/EmbeddedFiles.h"
#include "sonarch/gui/ParameterText.h"
#include "sonarch/gui/x11/Dialog.h"

using namespace Sonarch::X11;
using Sonarch::Gui::PixelRect;

namespace
{

constexpr int kDropDownFontHeight = 14;
constexpr int kStatusFontHeight = 13;
constexpr Rgb kDropDownColour = {255, 205, 175};
constexpr Rgb kStatusColour = {122, 135, 149};

// Decodes one of the carried images; null when it is not carried or does not decode.
cairo_surface_t* decodeImage(const XLibraries& x, int resourceId)
{
    const EditorImage* image = findEditorImage(resourceId);
    const EmbeddedFile* file = image != nullptr ? findEmbeddedFile(image->fileName) : nullptr;
    if (file == nullptr)
    {
        return nullptr;
    }
    return resourceId == TAVREL_BITMAP_ABOUT ? decodeBmp(x, file->bytes, file->size)
                                             : decodePng(x, file->bytes, file->size);
}

} // namespace

std::unique_ptr<TavrelView> TavrelView::create(const XLibraries& x, Display* display, Window parent,
                                               Sonarch::Parameters::BankInterface* bank,
                                               Sonarch::Midi::MidiLearn* midiLearn)
{
    cairo_surface_t* decoded[kImageCount] = {};
    const int ids[kImageCount] = {TAVREL_IMAGE_PANEL,         TAVREL_IMAGE_KNOB,
                                  TAVREL_IMAGE_THUMB_UPRIGHT, TAVREL_IMAGE_THUMB_FLAT,
                                  TAVREL_IMAGE_SWITCH,        TAVREL_BITMAP_ABOUT};
    bool complete = true;
    for (int i = 0; i < kImageCount; ++i)
    {
        decoded[i] = decodeImage(x, ids[i]);
        complete = complete && decoded[i] != nullptr;
    }
    // The view owns the images from here, and frees them also when it is not made.
    std::unique_ptr<TavrelView> view(new TavrelView(x, display, bank, midiLearn, decoded));
    if (!complete || !view->createWindow(parent) || !view->createControls())
    {
        return nullptr;
    }
    return view;
}

TavrelView::TavrelView(const XLibraries& libraries, Display* displayIn,
                       Sonarch::Parameters::BankInterface* bankIn,
                       Sonarch::Midi::MidiLearn* midiLearnIn,
                       cairo_surface_t* const (&decoded)[kImageCount])
    : View(libraries, displayIn, bankIn, midiLearnIn, decoded[kPanel])
{
    for (int i = 0; i < kImageCount; ++i)
    {
        images[i] = decoded[i];
    }
    dropDownFont.height = kDropDownFontHeight;
    statusFont.height = kStatusFontHeight;
}

TavrelView::~TavrelView()
{
    // The windows go before the images they are drawn from.
    closeWindows();
    for (cairo_surface_t* image : images)
    {
        if (image != nullptr)
        {
            x.cairo_surface_destroy(image);
        }
    }
}

bool TavrelView::createControls()
{
    setMenuRect({0, 0, TavrelPanel::kMenuRight, TavrelPanel::kMenuBottom});
    const Sonarch::Gui::StripLayout knobFrames(Sonarch::Gui::KnobModel::kFrameCount,
                                               surfaceWidth(x, images[kKnob]),
                                               surfaceHeight(x, images[kKnob]));
    const Sonarch::Gui::StripLayout switchFrames(Sonarch::Gui::SwitchModel::kFrameCount,
                                                 surfaceWidth(x, images[kSwitch]),
                                                 surfaceHeight(x, images[kSwitch]));
    const bool built = TavrelPanel::buildControls(
        *bank,
        [&](const TavrelPanel::Control& entry, int index)
        {
            const PixelRect place = {entry.x, entry.y, entry.x + entry.width,
                                     entry.y + entry.height};
            std::unique_ptr<Control> control;
            switch (entry.kind)
            {
            case TavrelPanel::Kind::Switch:
                control = std::make_unique<TwoWaySwitch>(index, place, images[kSwitch],
                                                         switchFrames, entry.defaultValue);
                break;
            case TavrelPanel::Kind::DropDown:
                control = std::make_unique<DropDownBox>(index, place, entry.items, entry.itemCount,
                                                        dropDownFont, kDropDownColour);
                break;
            case TavrelPanel::Kind::Knob:
                control = std::make_unique<Knob>(index, place, images[kKnob], knobFrames,
                                                 entry.defaultValue);
                break;
            case TavrelPanel::Kind::HorizontalSlider:
            case TavrelPanel::Kind::VerticalSlider:
            {
                const bool across = entry.kind == TavrelPanel::Kind::HorizontalSlider;
                cairo_surface_t* thumb = across ? images[kUprightThumb] : images[kFlatThumb];
                control = std::make_unique<Slider>(
                    index, place, thumb, surfaceWidth(x, thumb), surfaceHeight(x, thumb),
                    across ? Sonarch::Gui::SliderOrientation::Horizontal
                           : Sonarch::Gui::SliderOrientation::Vertical,
                    entry.defaultValue);
                break;
            }
            }
            addControl(std::move(control));
            return true;
        });
    if (!built)
    {
        return false;
    }
    setStatusLine({TavrelPanel::kStatusX, TavrelPanel::kStatusY,
                   TavrelPanel::kStatusX + TavrelPanel::kStatusWidth,
                   TavrelPanel::kStatusY + TavrelPanel::kStatusHeight},
                  &statusFont, kStatusColour);
    return true;
}

void TavrelView::formatParameterText(int index, char* buffer, int size)
{
    Sonarch::Gui::formatParameterStatus(*bank, *midiLearn, index, buffer, size);
}

void TavrelView::showAbout()
{
    openDialog(std::make_unique<Dialog>(x, display, getWindow(), "About Tavrel", "",
                                        std::vector<std::string>{}, 0, Dialog::kNoButtons, nullptr,
                                        images[kAbout]));
}

void TavrelView::importMidiLearn()
{
    if (chooser.isRunning() || !ownChooserEdit.expired())
    {
        return;
    }
    if (chooser.start("Import MIDI Learn", "*.fxb"))
    {
        importEdit = std::make_unique<Sonarch::Gui::MidiLearnEdit>(*midiLearn);
        return;
    }
    // No chooser program on this machine.
    openOwnChooser();
}

void TavrelView::openOwnChooser()
{
    auto editing = std::make_shared<Sonarch::Gui::MidiLearnEdit>(*midiLearn);
    ownChooserEdit = editing;
    openDialog(makeOwnFileChooser(x, display, getWindow(), "Import MIDI Learn", ".fxb",
                                  [this, editing](const std::string& path) { importFile(path); }));
}

void TavrelView::importFile(const std::string& path)
{
    const MidiLearnImportResult result = ::importMidiLearn(path.c_str(), *midiLearn);
    // MidiLearnImportResult{} is Success, a name Xlib's headers take for a macro.
    if (result != MidiLearnImportResult{})
    {
        showMessage("Error", midiLearnImportMessage(result));
    }
}

void TavrelView::onIdle()
{
    if (!chooser.isRunning())
    {
        return;
    }
    const FileChooser::State state = chooser.poll();
    if (state == FileChooser::State::Running)
    {
        return;
    }
    if (state == FileChooser::State::Chosen)
    {
        importFile(chooser.getPath());
    }
    // A cancelled chooser shows nothing.
    importEdit.reset();
    if (state == FileChooser::State::Failed)
    {
        openOwnChooser();
    }
}
