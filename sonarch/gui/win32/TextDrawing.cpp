// Text drawing for drop-down boxes and labels.
#include "sonarch/gui/win32/TextDrawing.h"

namespace Sonarch::Gui
{

void drawText(HDC dc, const char* text, HFONT font, COLORREF colour, RECT rect, UINT format)
{
    if (dc == nullptr || text == nullptr)
    {
        return;
    }
    const HGDIOBJ previousFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    const COLORREF previousColour = SetTextColor(dc, colour);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, -1, &rect, format);
    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColour);
    if (previousFont != nullptr)
    {
        SelectObject(dc, previousFont);
    }
}

} // namespace Sonarch::Gui
