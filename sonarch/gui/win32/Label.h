// A label: a line or two of text over the panel background (the editor's status line).
#pragma once

#include "sonarch/gui/LabelText.h"
#include "sonarch/gui/win32/GdiPlus.h"
#include "sonarch/gui/win32/Window.h"

namespace Sonarch::Gui
{

// Not a control: it shows text and takes no input. The font is borrowed. A text that would wrap
// to more lines than fit is drawn a line per line of the text, narrowed where a line is too wide.
// Its text is also its window text (WM_GETTEXT), so that screen readers and tests can read the
// status line.
class Label : public Window
{
public:
    // Always at (625, 2), 150 by 25 pixels, in the panel's title bar; null when no window was made.
    static Label* create(GpBitmap* background, HFONT font, HWND parent, HINSTANCE instance);

    // Keeps at most 1023 characters (null is empty) and repaints the whole label.
    void setText(const char* text);
    const char* getText() const { return text.get(); }

    // Set by the owner after creation.
    COLORREF textColour = RGB(255, 255, 255);
    UINT format = DT_WORDBREAK;

protected:
    void onPaint(HDC dc) override;
    LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    Label(GpBitmap* background, HFONT font);

    GpBitmap* background;
    HFONT font;
    LabelText text;
};

} // namespace Sonarch::Gui
