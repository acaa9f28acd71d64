// The synthesizer's editor.
#include "instrument/win32/TavrelEditor.h"

#include "instrument/TavrelPanel.h"
#include "instrument/resources/ResourceIds.h"
#include "instrument/win32/TavrelView.h"
#include "sonarch/gui/win32/ImageDrawing.h"
#include "vst/VstEntry.h"

using namespace Sonarch::Gui;

TavrelEditor::TavrelEditor(AudioEffect* effectIn, Sonarch::Parameters::BankInterface* bankIn,
                           Sonarch::Midi::MidiLearn* midiLearnIn)
    : Editor(effectIn, bankIn, midiLearnIn), instance(static_cast<HINSTANCE>(getModuleHandle())),
      images(instance), rect{}
{
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
    GpBitmap* panel = images.find(TAVREL_IMAGE_PANEL);
    rect.bottom =
        static_cast<VstInt16>(panel != nullptr ? imageHeight(panel) : TavrelPanel::kHeight);
    rect.right = static_cast<VstInt16>(panel != nullptr ? imageWidth(panel) : TavrelPanel::kWidth);
}

TavrelEditor::~TavrelEditor()
{
    // The controls draw with the images: the panel goes first, then the images, then GDI+.
    close();
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
