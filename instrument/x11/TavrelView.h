// The synthesizer's panel under X11: a control for each of the 97 parameters over the panel image,
// the status line in the title bar, and the main menu's import and about box.
#pragma once

#include "sonarch/gui/FontDescription.h"
#include "sonarch/gui/MidiLearnMenus.h"
#include "sonarch/gui/x11/FileChooser.h"
#include "sonarch/gui/x11/View.h"

#include <memory>

// Built from the panel's table (instrument/TavrelPanel.h) like the Windows panel, with the images
// the plug-in carries, decoded when the panel is made and freed with it.
class TavrelView final : public Sonarch::X11::View
{
public:
    // Makes the panel in the host's window; null when an image does not decode, a parameter of the
    // table is missing, or the window could not be made.
    static std::unique_ptr<TavrelView> create(const Sonarch::X11::XLibraries& libraries,
                                              Display* display, Window parent,
                                              Sonarch::Parameters::BankInterface* bank,
                                              Sonarch::Midi::MidiLearn* midiLearn);
    ~TavrelView() override;

protected:
    // Two lines: the long name with " (CCnn)" when bound, then value and unit.
    void formatParameterText(int index, char* buffer, int size) override;
    // Starts the desktop's file chooser, else opens the plug-in's own; the file is read when it
    // answers (onIdle, or the own chooser's answer).
    void importMidiLearn() override;
    void showAbout() override;
    void onIdle() override;

private:
    enum Image
    {
        kPanel,
        kKnob,
        kUprightThumb,
        kFlatThumb,
        kSwitch,
        kAbout,
        kImageCount
    };

    TavrelView(const Sonarch::X11::XLibraries& libraries, Display* display,
               Sonarch::Parameters::BankInterface* bank, Sonarch::Midi::MidiLearn* midiLearn,
               cairo_surface_t* const (&images)[kImageCount]);
    // Creates every control of the table; false at the first that could not be made.
    bool createControls();
    // Reads the bindings of a bank file; a failure shows in a message.
    void importFile(const std::string& path);
    // The plug-in's own chooser, where no chooser program is found or the one found fails.
    void openOwnChooser();

    cairo_surface_t* images[kImageCount] = {};
    Sonarch::Gui::FontDescription dropDownFont;
    Sonarch::Gui::FontDescription statusFont;
    Sonarch::X11::FileChooser chooser;
    // The bindings' edit mark while the chooser is open, as on the other platform.
    std::unique_ptr<Sonarch::Gui::MidiLearnEdit> importEdit;
    // The own chooser's edit mark, alive as long as its dialog (which owns it) is open.
    std::weak_ptr<Sonarch::Gui::MidiLearnEdit> ownChooserEdit;
};
