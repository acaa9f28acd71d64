// The synthesizer's editor under X11.
#include "instrument/x11/TavrelEditor.h"

#include "instrument/EditorImages.h"
#include "instrument/TavrelPanel.h"
#include "instrument/resources/ResourceIds.h"
#include "instrument/x11/EmbeddedFiles.h"
#include "sonarch/gui/PngHeader.h"
#include "sonarch/midi/MidiLearn.h"
#include "sonarch/parameters/BankInterface.h"

#include <cstdint>

TavrelEditor::TavrelEditor(AudioEffect*, Sonarch::Parameters::BankInterface* bankIn,
                           Sonarch::Midi::MidiLearn* midiLearnIn)
    : bank(bankIn), midiLearn(midiLearnIn), rect{}
{
    int width = TavrelPanel::kWidth;
    int height = TavrelPanel::kHeight;
    const EditorImage* panel = findEditorImage(TAVREL_IMAGE_PANEL);
    const EmbeddedFile* file = panel != nullptr ? findEmbeddedFile(panel->fileName) : nullptr;
    if (file == nullptr || !Sonarch::Gui::pngHeaderSize(file->bytes, file->size, width, height))
    {
        width = TavrelPanel::kWidth;
        height = TavrelPanel::kHeight;
    }
    rect.right = static_cast<VstInt16>(width);
    rect.bottom = static_cast<VstInt16>(height);
}

TavrelEditor::~TavrelEditor()
{
    close();
    retired.reset();
    if (display != nullptr)
    {
        libraries->XCloseDisplay(display);
    }
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

bool TavrelEditor::open(void* parentWindow)
{
    close();
    const auto parent = static_cast<Window>(reinterpret_cast<std::uintptr_t>(parentWindow));
    if (parent == 0)
    {
        return false;
    }
    if (libraries == nullptr)
    {
        libraries = Sonarch::X11::loadXLibraries();
        if (libraries == nullptr)
        {
            return false;
        }
    }
    if (display == nullptr)
    {
        display = libraries->XOpenDisplay(nullptr);
        if (display == nullptr)
        {
            return false;
        }
    }
    Sonarch::X11::ErrorTrap trap(*libraries, display);
    view = TavrelView::create(*libraries, display, parent, bank, midiLearn);
    // A parent id that names no window shows here.
    if (view != nullptr && trap.sync())
    {
        view.reset();
    }
    if (view == nullptr)
    {
        return false;
    }
    bank->addListener(view.get());
    midiLearn->addListener(view.get());
    // A change made between the controls' creation and the listening reached no control.
    view->refreshAllLater();
    view->idle();
    return true;
}

void TavrelEditor::close()
{
    if (view == nullptr)
    {
        return;
    }
    // Once the listeners are removed no callback runs in the view.
    view->stopListening();
    {
        // The host may have destroyed its window, and the panel's with it.
        const Sonarch::X11::ErrorTrap trap(*libraries, display);
        view->closeWindows();
    }
    if (inIdle)
    {
        retired = std::move(view);
    }
    view.reset();
}

void TavrelEditor::idle()
{
    if (display == nullptr || inIdle)
    {
        return;
    }
    inIdle = true;
    Sonarch::X11::ErrorTrap trap(*libraries, display);
    // Events of windows already gone are taken too, and dropped.
    while (libraries->XPending(display) > 0)
    {
        XEvent event = {};
        libraries->XNextEvent(display, &event);
        if (view != nullptr)
        {
            view->handleEvent(event);
        }
    }
    if (view != nullptr)
    {
        view->idle();
        if (trap.sync() || view->isClosed())
        {
            // The host's window went, and the panel with it.
            close();
        }
    }
    inIdle = false;
    retired.reset();
}
