// The synthesizer's editor under X11: the panel as a child of the host's window, driven from the
// host's idle calls.
#pragma once

#include "instrument/x11/TavrelView.h"
#include "vst/AEffEditor.h"

#include <memory>

class AudioEffect;

// Made by the instance factory. The first open loads Xlib and cairo and connects to the display
// ($DISPLAY) on a connection of the editor's own; without them open returns false and the host
// keeps its own view. effEditIdle, which Linux hosts call from their user-interface thread, takes
// the connection's events and runs the panel's idle tick; the plug-in starts no thread.
class TavrelEditor final : public AEffEditor
{
public:
    TavrelEditor(AudioEffect* effect, Sonarch::Parameters::BankInterface* bank,
                 Sonarch::Midi::MidiLearn* midiLearn);
    // Closes the panel, then the display connection.
    ~TavrelEditor() override;

    // The panel image's size (816 x 789) as its header states it.
    bool getRect(ERect** rect) override;
    // parentWindow is the host's X11 window id. Closes an open panel first.
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    bool onKeyDown(VstKeyCode&) override { return false; }
    bool onKeyUp(VstKeyCode&) override { return false; }
    bool setKnobMode(VstInt32) override { return false; }

private:
    Sonarch::Parameters::BankInterface* bank;
    Sonarch::Midi::MidiLearn* midiLearn;
    ERect rect;
    const Sonarch::X11::XLibraries* libraries = nullptr;
    Display* display = nullptr;
    std::unique_ptr<TavrelView> view;
    // A panel closed from inside one of its own handlers (the host answering an automation call
    // by closing the editor), deleted when that idle call returns.
    std::unique_ptr<TavrelView> retired;
    bool inIdle = false;
};
