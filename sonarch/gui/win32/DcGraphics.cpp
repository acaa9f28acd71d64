// Graphics on a device context.
#include "sonarch/gui/win32/DcGraphics.h"

#include "sonarch/gui/win32/ImageDrawing.h"

namespace Sonarch::Gui
{

DcGraphics::DcGraphics(HDC dc)
{
    if (dc == nullptr || Gdip::GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok)
    {
        graphics = nullptr;
        return;
    }
    useExactPixels(graphics);
}

DcGraphics::~DcGraphics()
{
    if (graphics != nullptr)
    {
        Gdip::GdipDeleteGraphics(graphics);
    }
}

} // namespace Sonarch::Gui
