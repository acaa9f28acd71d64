// The window toolkit under a real window system (Wine with Xvfb, or Windows): window lifetimes,
// message dispatch and mouse listeners, the controls' painting and posted messages after
// synthesized mouse input, and the images of the built plug-in. Saves screenshots.
//   tavrel-guicheck PLUGIN.dll ARTIFACT_DIRECTORY
// Prints "gui check passed" at the end when every check passed (Wine may hide a crash behind a
// zero exit status).
#include "tests/sonarch/gui/win32/GuiCheck.h"

#include "sonarch/gui/win32/Window.h"

#include <cstdio>
#include <string>

using namespace Sonarch::Gui;

namespace GuiCheck
{

HINSTANCE testInstance = nullptr;

namespace
{
BOOL CALLBACK countChild(HWND, LPARAM counter)
{
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}
} // namespace

void pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int childCount(HWND parent)
{
    int count = 0;
    EnumChildWindows(parent, countChild, reinterpret_cast<LPARAM>(&count));
    return count;
}

} // namespace GuiCheck

using namespace GuiCheck;

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: tavrel-guicheck PLUGIN.dll ARTIFACT_DIRECTORY\n");
        return 2;
    }
    CheckHarness::setEchoEveryCheck(true);
    const std::string pluginPath = argv[1];
    const std::string artifacts = argv[2];
    CreateDirectoryA(artifacts.c_str(), nullptr);
    testInstance = GetModuleHandleA(nullptr);
    // The pointer rests away from every test window.
    SetCursorPos(1200, 1000);

    ULONG_PTR gdiplusToken = 0;
    const Gdiplus::GdiplusStartupInput startup;
    if (Gdiplus::GdiplusStartup(&gdiplusToken, &startup, nullptr) != Gdiplus::Ok)
    {
        std::printf("GDI+ does not start\n");
        return 1;
    }
    section("window class");
    check(registerWindowClass(testInstance), "TavrelLarge registers for the test program");

    checkRegisteredMessages();
    checkWindowWithoutObject();
    checkLifetimes();
    checkDispatch();

    section("the plug-in library");
    const HMODULE plugin = LoadLibraryA(pluginPath.c_str());
    check(plugin != nullptr, "loads: " + pluginPath);
    WNDCLASSEXA pluginClass = {};
    pluginClass.cbSize = sizeof(pluginClass);
    check(plugin != nullptr && GetClassInfoExA(plugin, kWindowClassName, &pluginClass) != FALSE,
          "registered TavrelLarge for itself when it attached");
    if (plugin != nullptr)
    {
        PanelImages images = {};
        {
            ImageStore store(plugin);
            checkResources(plugin, artifacts, images, store);
            if (images.panel != nullptr && images.knob != nullptr && images.upright != nullptr &&
                images.flat != nullptr && images.onOff != nullptr)
            {
                checkControls(images, artifacts);
            }
            else
            {
                check(false, "the controls need the plug-in's images");
            }
        }
        FreeLibrary(plugin);
        check(GetClassInfoExA(plugin, kWindowClassName, &pluginClass) == FALSE,
              "unregistered its class when it detached");
    }

    unregisterWindowClass(testInstance);
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return CheckHarness::finish("gui check passed");
}
