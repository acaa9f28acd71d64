// The label's Win32 window.
#include "sonarch/gui/win32/Label.h"

#include "sonarch/gui/ControlDrawing.h"
#include "sonarch/gui/win32/GdiPainter.h"
#include "sonarch/gui/win32/WindowGeometry.h"

#include <algorithm>
#include <cstring>

namespace Sonarch::Gui
{

namespace
{
constexpr int kLabelX = 625;
constexpr int kLabelY = 2;
constexpr int kLabelWidth = 150;
constexpr int kLabelHeight = 25;
} // namespace

Label* Label::create(GpBitmap* background, HFONT font, HWND parent, HINSTANCE instance)
{
    auto* label = new Label(background, font);
    return static_cast<Label*>(createWindow(label, WS_CHILD | WS_VISIBLE, kLabelX, kLabelY,
                                            kLabelWidth, kLabelHeight, parent, 0, instance));
}

Label::Label(GpBitmap* backgroundIn, HFONT fontIn) : background(backgroundIn), font(fontIn) {}

void Label::setText(const char* newText)
{
    text.set(newText);
    if (hwnd != nullptr)
    {
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

void Label::onPaint(HDC dc)
{
    RECT client = {};
    GetClientRect(hwnd, &client);
    const POINT origin = windowOriginInParent(hwnd);
    GdiPainter painter(dc, format);
    drawLabel(painter, background, text.get(), font, textColour,
              {{0, 0, client.right, client.bottom}, origin.x, origin.y});
}

LRESULT Label::defaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_GETTEXTLENGTH)
    {
        return static_cast<LRESULT>(std::strlen(text.get()));
    }
    if (message == WM_GETTEXT)
    {
        // wParam is the buffer's size in characters, terminator included.
        char* buffer = reinterpret_cast<char*>(lParam);
        if (buffer == nullptr || wParam == 0)
        {
            return 0;
        }
        const std::size_t length = std::min<std::size_t>(std::strlen(text.get()), wParam - 1);
        std::memcpy(buffer, text.get(), length);
        buffer[length] = '\0';
        return static_cast<LRESULT>(length);
    }
    return Window::defaultProc(message, wParam, lParam);
}

} // namespace Sonarch::Gui
