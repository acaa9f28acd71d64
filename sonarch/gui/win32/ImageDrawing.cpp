// Exact image drawing with GDI+.
#include "sonarch/gui/win32/ImageDrawing.h"

namespace Sonarch::Gui
{

int imageWidth(GpImage* image)
{
    UINT width = 0;
    if (image == nullptr || Gdip::GdipGetImageWidth(image, &width) != Gdiplus::Ok)
    {
        return 0;
    }
    return static_cast<int>(width);
}

int imageHeight(GpImage* image)
{
    UINT height = 0;
    if (image == nullptr || Gdip::GdipGetImageHeight(image, &height) != Gdiplus::Ok)
    {
        return 0;
    }
    return static_cast<int>(height);
}

void useExactPixels(GpGraphics* graphics)
{
    if (graphics != nullptr)
    {
        Gdip::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeNearestNeighbor);
        Gdip::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
    }
}

void drawImagePart(GpGraphics* graphics, GpImage* image, int x, int y, int sourceX, int sourceY,
                   int width, int height)
{
    if (graphics == nullptr || image == nullptr || width <= 0 || height <= 0)
    {
        return;
    }
    Gdip::GdipDrawImageRectRectI(graphics, image, x, y, width, height, sourceX, sourceY, width,
                                 height, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
}

} // namespace Sonarch::Gui
