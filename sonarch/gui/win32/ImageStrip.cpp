// Film-strip drawing.
#include "sonarch/gui/win32/ImageStrip.h"

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
    drawImagePart(composed.getGraphics(), background, 0, 0, x, y, width, height);
    const PixelRect source = layout.frameRect(frame);
    drawImagePart(composed.getGraphics(), strip, 0, 0, source.left, source.top, width, height);
    composed.drawTo(graphics);
}

} // namespace Sonarch::Gui
