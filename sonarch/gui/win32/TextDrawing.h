// Drawing a text with a font and a colour over what is already painted.
#pragma once

#include <windows.h>

namespace Sonarch::Gui
{

// Draws text (null draws nothing) into rect with DrawTextA's format flags, in the colour, with a
// transparent background; the device context's font, colour and mode are restored afterwards. A
// null font leaves the device context's own.
void drawText(HDC dc, const char* text, HFONT font, COLORREF colour, RECT rect, UINT format);

// As drawText, for texts of a few lines in a small box (the status line): when the text, wrapped
// at word breaks (DT_WORDBREAK), would need more room than the box has, each of its lines is
// drawn on one line instead, and a line wider than the box in a narrowed version of the font, so
// that no line is pushed out of the box. Either way the text stands in the middle of the box's
// height (a one-line text in a box of two lines, too).
void drawTextFitted(HDC dc, const char* text, HFONT font, COLORREF colour, RECT rect, UINT format);

} // namespace Sonarch::Gui
