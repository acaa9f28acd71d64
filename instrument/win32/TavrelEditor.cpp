// The synthesizer's editor.
#include "instrument/win32/TavrelEditor.h"

#include "instrument/TavrelPanel.h"
#include "instrument/resources/ResourceIds.h"
#include "instrument/win32/TavrelView.h"
#include "sonarch/gui/win32/PngResource.h"
#include "vst/VstEntry.h"

using namespace Sonarch::Gui;

TavrelEditor::TavrelEditor(AudioEffect* effectIn, Sonarch::Parameters::BankInterface* bankIn,
                           Sonarch::Midi::MidiLearn* midiLearnIn)
    : Editor(effectIn, bankIn, midiLearnIn), instance(static_cast<HINSTANCE>(getModuleHandle())),
      images(instance), rect{}
{
    int width = TavrelPanel::kWidth;
    int height = TavrelPanel::kHeight;
    if (!pngResourceSize(TAVREL_IMAGE_PANEL, instance, width, height))
    {
        width = TavrelPanel::kWidth;
        height = TavrelPanel::kHeight;
    }
    rect.bottom = static_cast<VstInt16>(height);
    rect.right = static_cast<VstInt16>(width);
}

TavrelEditor::~TavrelEditor()
{
    // The controls draw with the images: the panel goes first, then the images, then GDI+.
    close();
}

bool TavrelEditor::open(void* parentWindow)
{
    // An open panel goes first, with its images, so that the base's open finds none to close.
    close();
    if (hasGdiplus())
    {
        for (const int id :
             {TAVREL_IMAGE_PANEL, TAVREL_IMAGE_PANEL_SMALL, TAVREL_IMAGE_KNOB,
              TAVREL_IMAGE_KNOB_SMALL, TAVREL_IMAGE_THUMB_UPRIGHT, TAVREL_IMAGE_THUMB_UPRIGHT_SMALL,
              TAVREL_IMAGE_THUMB_FLAT, TAVREL_IMAGE_THUMB_FLAT_SMALL, TAVREL_IMAGE_SWITCH,
              TAVREL_IMAGE_SWITCH_SMALL})
        {
            images.load(id);
        }
    }
    if (Editor::open(parentWindow))
    {
        return true;
    }
    images.clear();
    return false;
}

void TavrelEditor::close()
{
    // The controls draw with the images: the panel goes first.
    Editor::close();
    images.clear();
}

bool TavrelEditor::getRect(ERect** rectOut)
{
    if (rectOut == nullptr)
    {
        return false;
    }
    *rectOut = &rect;
    return true;
}

Sonarch::View* TavrelEditor::createView(HWND parent, Sonarch::Parameters::BankInterface* viewBank,
                                        Sonarch::Midi::MidiLearn* viewMidiLearn)
{
    return TavrelView::create(images, viewBank, viewMidiLearn, parent, instance);
}
