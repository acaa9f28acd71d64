// The toolkit check's harness, and the groups of checks it runs.
#pragma once

#include "sonarch/gui/win32/ImageStore.h"
#include "tests/support/CheckHarness.h"

#include <string>

namespace GuiCheck
{

// The test program's own module, for which it registers the window class.
extern HINSTANCE testInstance;

// Every check prints on a line of its own; a failed check fails the program.
using CheckHarness::check;
using CheckHarness::section;
// Handles every message waiting on this thread.
void pump();
int childCount(HWND parent);

// The plug-in's images that the controls are made with (kept by an ImageStore).
struct PanelImages
{
    Sonarch::Gui::GpBitmap* panel;
    Sonarch::Gui::GpBitmap* knob;
    Sonarch::Gui::GpBitmap* upright;
    Sonarch::Gui::GpBitmap* flat;
    Sonarch::Gui::GpBitmap* onOff;
};

// Window class, registered messages, lifetimes, dispatch and listeners (WindowChecks.cpp).
void checkRegisteredMessages();
void checkWindowWithoutObject();
void checkLifetimes();
void checkDispatch();

// The built plug-in's resources, loaded into the store (ResourceChecks.cpp).
void checkResources(HMODULE plugin, const std::string& artifacts, PanelImages& images,
                    Sonarch::Gui::ImageStore& store);

// Controls on a panel: painting, synthesized mouse input, posted messages (ControlChecks.cpp).
void checkControls(const PanelImages& images, const std::string& artifacts);

} // namespace GuiCheck
