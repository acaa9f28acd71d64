// Off-screen composition bitmap.
#include "sonarch/gui/win32/OffscreenBitmap.h"

#include "sonarch/gui/win32/ImageDrawing.h"

namespace Sonarch::Gui
{

OffscreenBitmap::OffscreenBitmap(int widthIn, int heightIn) : width(widthIn), height(heightIn)
{
    if (width <= 0 || height <= 0 ||
        Gdip::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) !=
            Gdiplus::Ok)
    {
        bitmap = nullptr;
        return;
    }
    if (Gdip::GdipGetImageGraphicsContext(bitmap, &graphics) != Gdiplus::Ok)
    {
        graphics = nullptr;
        return;
    }
    useExactPixels(graphics);
}

OffscreenBitmap::~OffscreenBitmap()
{
    if (graphics != nullptr)
    {
        Gdip::GdipDeleteGraphics(graphics);
    }
    if (bitmap != nullptr)
    {
        Gdip::GdipDisposeImage(bitmap);
    }
}

void OffscreenBitmap::drawTo(GpGraphics* target) const
{
    if (isValid() && target != nullptr)
    {
        Gdip::GdipDrawImageRectI(target, bitmap, 0, 0, width, height);
    }
}

} // namespace Sonarch::Gui
