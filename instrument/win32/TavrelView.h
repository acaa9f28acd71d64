// The synthesizer's panel: a control for each of the 97 parameters over the panel image, the
// status line in the title bar, and the main menu's import and about box.
#pragma once

#include "sonarch/gui/FontDescription.h"
#include "sonarch/gui/win32/ImageStore.h"
#include "sonarch/gui/win32/Label.h"
#include "sonarch/gui/win32/View.h"

// Built from the panel's table (instrument/TavrelPanel.h): switches, drop-down boxes, knobs and
// sliders, in that order, each at its place and set to the bank's value. Runs on the editor's
// thread; the window owns the object.
class TavrelView : public Sonarch::View
{
public:
    // Makes the panel as a child of the host's window, the size of the panel image. Null when an
    // image the panel draws (panel, knob strip, both thumbs, switch strip) is missing, or a window
    // could not be made: the editor then stays closed.
    static TavrelView* create(Sonarch::Gui::ImageStore& images,
                              Sonarch::Parameters::BankInterface* bank,
                              Sonarch::Midi::MidiLearn* midiLearn, HWND parent, HINSTANCE instance);

    // The images without which no panel opens.
    static bool hasImages(const Sonarch::Gui::ImageStore& images);

protected:
    ~TavrelView() override;

    // Builds the controls and the status line; -1 (no panel) when one could not be made.
    LRESULT onCreate(CREATESTRUCTA* create) override;
    // Deletes the two fonts.
    void onDestroy() override;

    void clearStatusText() override;
    void setStatusText(const char* text) override;
    // The top-left corner, 150 x 33 pixels, where the panel's title and menu mark are drawn.
    void getMenuRect(RECT* rect) override;
    // Chooses a bank file and reads its MIDI-learn bindings; says what went wrong in a message
    // box. A cancelled file dialog does nothing.
    void importMidiLearn() override;
    void showAbout() override;
    // Two lines: the long name with " (CCnn)" when bound, then value and unit.
    void formatParameterText(int index, char* buffer, int size) override;

private:
    TavrelView(Sonarch::Gui::ImageStore& images, Sonarch::Parameters::BankInterface* bank,
               Sonarch::Midi::MidiLearn* midiLearn, Sonarch::Gui::GpBitmap* panel);

    // Creates every control of the table; false at the first that could not be made.
    bool createControls(HINSTANCE instance);

    Sonarch::Gui::ImageStore& images;
    Sonarch::Gui::Label* statusLabel = nullptr;
    Sonarch::Gui::FontDescription dropDownFont;
    COLORREF dropDownColour = RGB(255, 205, 175);
    Sonarch::Gui::FontDescription statusFont;
    COLORREF statusColour = RGB(122, 135, 149);
};
