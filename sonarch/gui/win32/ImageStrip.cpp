// Film-strip drawing.
#include "sonarch/gui/win32/ImageStrip.h"

#include "sonarch/gui/ControlDrawing.h"
#include "sonarch/gui/win32/GdiPainter.h"
#include "sonarch/gui/win32/ImageDrawing.h"
#include "sonarch/gui/win32/OffscreenBitmap.h"

namespace Sonarch::Gui
{

ImageStrip::ImageStrip(GpBitmap* backgroundIn, int frameCount, GpBitmap* stripIn)
    : strip(stripIn), background(backgroundIn),
      layout(frameCount, imageWidth(stripIn), imageHeight(stripIn))
{
}

void ImageStrip::drawFrame(int frame, int x, int y, GpGraphics* graphics) const
{
    if (!isDrawable() || graphics == nullptr)
    {
        return;
    }
    const int width = layout.getFrameWidth();
    const int height = layout.getFrameHeight();
    OffscreenBitmap composed(width, height);
    if (!composed.isValid())
    {
        return;
    }
    GdiPainter painter(composed.getGraphics());
    drawStripFrame(painter, background, strip, layout, frame, {{0, 0, width, height}, x, y});
    composed.drawTo(graphics);
}

} // namespace Sonarch::Gui
