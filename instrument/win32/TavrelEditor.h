// The synthesizer's editor: the panel's images, its 816 x 789 rectangle, and the panel itself.
#pragma once

#include "sonarch/gui/win32/ImageStore.h"
#include "sonarch/vst/win32/Editor.h"

// Made by the instance factory with the plug-in object, the synthesizer's bank and its MIDI-learn
// table. The ten PNG images of the plug-in's resources are decoded when the editor opens and
// deleted when it closes, so that an instance whose editor is closed holds none of their 4.5 MB
// of bitmaps (and making an instance decodes nothing). An image that is missing or does not
// decode is left out, and a panel without one of the images it draws does not open (open returns
// false and the host keeps its own view).
class TavrelEditor : public Sonarch::Vst::Editor
{
public:
    TavrelEditor(AudioEffect* effect, Sonarch::Parameters::BankInterface* bank,
                 Sonarch::Midi::MidiLearn* midiLearn);
    // Closes the panel and deletes the images while GDI+ still runs.
    ~TavrelEditor() override;

    // The panel image's size (816 x 789) as its header states it; the panel table's size if that
    // image is missing or has no PNG header.
    bool getRect(ERect** rect) override;
    // Decodes the images, then opens the panel; without one of them it does not open.
    bool open(void* parentWindow) override;
    // Closes the panel, then deletes the images.
    void close() override;

protected:
    Sonarch::View* createView(HWND parent, Sonarch::Parameters::BankInterface* bank,
                              Sonarch::Midi::MidiLearn* midiLearn) override;

private:
    HINSTANCE instance;
    Sonarch::Gui::ImageStore images;
    ERect rect;
};
