// Drawing a text with a font and a colour over what is already painted.
#pragma once

#include <windows.h>

namespace Sonarch::Gui
{

// Draws text (null draws nothing) into rect with DrawTextA's format flags, in the colour, with a
// transparent background; the device context's font, colour and mode are restored afterwards. A
// null font leaves the device context's own.
void drawText(HDC dc, const char* text, HFONT font, COLORREF colour, RECT rect, UINT format);

} // namespace Sonarch::Gui
