// The Win32 controls' painter: parts of GDI+ images and lines of GDI text.
#pragma once

#include "sonarch/gui/PixelRect.h"
#include "sonarch/gui/win32/GdiPlus.h"

#include <windows.h>

namespace Sonarch::Gui
{

// A Gui::Painter, so the controls are drawn through the portable ControlDrawing. Made on a
// graphics context (a control's offscreen bitmap), images go there and texts are not drawn (a
// bitmap has no device context). Made on a device context, each image gets a GDI+ context of its
// own that is deleted at once: GDI+ has then flushed it to the device before a text is drawn over
// it.
class GdiPainter
{
public:
    using Image = GpImage*;
    using Font = HFONT;
    using Colour = COLORREF;

    explicit GdiPainter(GpGraphics* graphicsIn) : graphics(graphicsIn) {}
    // boxFormat: DrawTextA's flags for fittedLines (DT_WORDBREAK wraps; DT_CENTER centres).
    explicit GdiPainter(HDC dcIn, UINT boxFormatIn = DT_CENTER | DT_WORDBREAK)
        : dc(dcIn), boxFormat(boxFormatIn)
    {
    }

    void image(GpImage* image, int targetX, int targetY, int sourceX, int sourceY, int width,
               int height);
    // One line centred in rect, transparent over what is there.
    void text(const char* text, HFONT font, COLORREF colour, const PixelRect& rect);
    // A text of a few lines fitted into rect (drawTextFitted with the box format).
    void fittedLines(const char* text, HFONT font, COLORREF colour, const PixelRect& rect);

private:
    GpGraphics* graphics = nullptr;
    HDC dc = nullptr;
    UINT boxFormat = 0;
};

} // namespace Sonarch::Gui
