// The editor: GDI+ for the images, the view's life from open to close, idle ticks.
#include "sonarch/vst/win32/Editor.h"

#include "sonarch/gui/win32/GdiPlus.h"
#include "sonarch/gui/win32/RegisteredMessages.h"
#include "sonarch/midi/MidiLearn.h"
#include "vst/AudioEffect.h"

namespace Sonarch::Vst
{

Editor::Editor(AudioEffect* effectIn, Parameters::BankInterface* bankIn,
               Midi::MidiLearn* midiLearnIn)
    : effect(effectIn), bank(bankIn), midiLearn(midiLearnIn)
{
    // Version 1, no debug callback, GDI+'s own background thread, the external codecs.
    const Gdiplus::GdiplusStartupInput startup;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &startup, nullptr) == Gdiplus::Ok)
    {
        gdiplusToken = token;
    }
}

Editor::~Editor()
{
    close();
    if (gdiplusToken != 0)
    {
        Gdiplus::GdiplusShutdown(gdiplusToken);
    }
}

bool Editor::getRect(ERect** rect)
{
    if (rect != nullptr)
    {
        *rect = nullptr;
    }
    return false;
}

bool Editor::open(void* parentWindow)
{
    if (view != nullptr)
    {
        close();
    }
    systemWindow = static_cast<HWND>(parentWindow);
    view = systemWindow != nullptr ? createView(systemWindow, bank, midiLearn) : nullptr;
    if (view == nullptr)
    {
        systemWindow = nullptr;
        return false;
    }
    view->setOwner(this);
    // The panel's handlers hold the instance, which a host may close from inside one.
    view->setKeeper(effect);
    bank->addListener(view);
    midiLearn->addListener(view);
    // A change made between the controls' creation and the listening reached no control.
    view->refreshAllLater();
    ShowWindow(view->getHwnd(), SW_SHOWNORMAL);
    UpdateWindow(view->getHwnd());
    return true;
}

void Editor::close()
{
    systemWindow = nullptr;
    View* closing = view;
    view = nullptr;
    if (closing == nullptr)
    {
        return;
    }
    // Once the listeners are removed no callback runs in the view; its window then deletes it.
    closing->stopListening();
    closing->setOwner(nullptr);
    const HWND window = closing->getHwnd();
    if (window != nullptr)
    {
        DestroyWindow(window);
    }
}

void Editor::idle()
{
    if (view != nullptr && view->getHwnd() != nullptr)
    {
        PostMessageA(view->getHwnd(), Gui::UWM_IDLE, 0, 0);
    }
}

void Editor::viewDestroyed(View* destroyed)
{
    if (destroyed == view)
    {
        view = nullptr;
        systemWindow = nullptr;
    }
}

} // namespace Sonarch::Vst
