// The Win32 controls' painter.
#include "sonarch/gui/win32/GdiPainter.h"

#include "sonarch/gui/win32/DcGraphics.h"
#include "sonarch/gui/win32/ImageDrawing.h"
#include "sonarch/gui/win32/TextDrawing.h"

namespace Sonarch::Gui
{

void GdiPainter::image(GpImage* image, int targetX, int targetY, int sourceX, int sourceY,
                       int width, int height)
{
    if (graphics != nullptr)
    {
        drawImagePart(graphics, image, targetX, targetY, sourceX, sourceY, width, height);
        return;
    }
    const DcGraphics onDevice(dc);
    drawImagePart(onDevice.get(), image, targetX, targetY, sourceX, sourceY, width, height);
}

void GdiPainter::text(const char* text, HFONT font, COLORREF colour, const PixelRect& rect)
{
    drawText(dc, text, font, colour, {rect.left, rect.top, rect.right, rect.bottom},
             DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

void GdiPainter::fittedLines(const char* text, HFONT font, COLORREF colour, const PixelRect& rect)
{
    drawTextFitted(dc, text, font, colour, {rect.left, rect.top, rect.right, rect.bottom},
                   boxFormat);
}

} // namespace Sonarch::Gui
