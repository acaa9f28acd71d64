// The plug-in's editor as the host sees it: starts GDI+, makes the panel window inside the host's
// window, and forwards the host's idle calls.
#pragma once

#include "sonarch/gui/win32/View.h"
#include "vst/AEffEditor.h"

#include <windows.h>

class AudioEffect;

namespace Sonarch::Vst
{

// Owned by the plug-in object, which deletes it before the synthesizer: the bank and the
// MIDI-learn table are borrowed, and the open view listens to both. Every operation runs on the
// host's user-interface thread, the one that owns the windows.
class Editor : public AEffEditor, private ViewOwner
{
public:
    Editor(AudioEffect* effect, Parameters::BankInterface* bank, Midi::MidiLearn* midiLearn);
    // Closes the editor, then shuts GDI+ down; a derived class releases its images before.
    ~Editor() override;

    AudioEffect* getEffect() const { return effect; }
    // No rectangle here: the concrete editor knows its size.
    bool getRect(ERect** rect) override;
    // Makes the view as a child of the host's window (an HWND), closing an open one first; the
    // view then listens to the bank and to MIDI learn. False, with the editor closed, when no view
    // could be made (a window or an image missing).
    bool open(void* parentWindow) override;
    // Stops the view's listening, then destroys its window, which deletes the view and its
    // controls.
    void close() override;
    bool isOpen() const { return systemWindow != nullptr; }
    // Posts UWM_IDLE to the view, which then shows the changes made elsewhere.
    void idle() override;
    bool onKeyDown(VstKeyCode&) override { return false; }
    bool onKeyUp(VstKeyCode&) override { return false; }
    bool setKnobMode(VstInt32) override { return false; }

    // The open view, or null.
    View* getView() const { return view; }

protected:
    // Builds the panel in parent; null when it could not.
    virtual View* createView(HWND parent, Parameters::BankInterface* bank,
                             Midi::MidiLearn* midiLearn) = 0;

    // Whether GDI+ started; without it no image loads and no view opens.
    bool hasGdiplus() const { return gdiplusToken != 0; }

private:
    void viewDestroyed(View* destroyed) override;

    AudioEffect* effect;
    HWND systemWindow = nullptr;
    View* view = nullptr;
    Parameters::BankInterface* bank;
    Midi::MidiLearn* midiLearn;
    ULONG_PTR gdiplusToken = 0;
};

} // namespace Sonarch::Vst
