// The slider's Win32 window.
#include "sonarch/gui/win32/Slider.h"

#include "sonarch/gui/ControlDrawing.h"
#include "sonarch/gui/win32/DcGraphics.h"
#include "sonarch/gui/win32/GdiPainter.h"
#include "sonarch/gui/win32/ImageDrawing.h"
#include "sonarch/gui/win32/OffscreenBitmap.h"

namespace Sonarch::Gui
{

Slider* Slider::create(int parameterIndex, GpBitmap* thumb, GpBitmap* background,
                       SliderOrientation orientation, float defaultValue, int x, int y, int width,
                       int height, HWND parent, HINSTANCE instance)
{
    auto* slider = new Slider(parameterIndex, thumb, background, orientation, defaultValue);
    return static_cast<Slider*>(createWindow(slider, WS_CHILD | WS_VISIBLE, x, y, width, height,
                                             parent, parameterIndex, instance));
}

Slider::Slider(int parameterIndexIn, GpBitmap* thumbIn, GpBitmap* backgroundIn,
               SliderOrientation orientation, float defaultValue)
    : parameterIndex(parameterIndexIn), thumb(thumbIn), background(backgroundIn),
      model(orientation, defaultValue)
{
}

LRESULT Slider::onCreate(CREATESTRUCTA* create)
{
    Control::onCreate(create);
    model.layout(create->cx, create->cy, imageWidth(thumb), imageHeight(thumb));
    return 0;
}

void Slider::invalidateThumbMove(float fromPosition, float toPosition)
{
    const PixelRect swept = model.sweptRect(fromPosition, toPosition);
    const RECT rect = {swept.left, swept.top, swept.right, swept.bottom};
    InvalidateRect(hwnd, &rect, FALSE);
}

void Slider::setValue(int, float value)
{
    const float before = model.getPosition();
    if (model.setValue(value))
    {
        invalidateThumbMove(before, model.getPosition());
    }
}

void Slider::onPaint(HDC dc)
{
    RECT client = {};
    GetClientRect(hwnd, &client);
    OffscreenBitmap composed(client.right, client.bottom);
    if (!composed.isValid())
    {
        return;
    }
    const POINT origin = originInParent();
    GdiPainter painter(composed.getGraphics());
    drawSlider(painter, background, thumb, model.thumbRect(),
               {{0, 0, client.right, client.bottom}, origin.x, origin.y});
    const DcGraphics graphics(dc);
    composed.drawTo(graphics.get());
}

void Slider::onLButtonDown(unsigned keys, int x, int y)
{
    const float before = model.getPosition();
    if (model.press(keys, x, y))
    {
        invalidateThumbMove(before, model.getPosition());
        postValueChanged();
    }
    SetCapture(hwnd);
}

void Slider::onLButtonUp(unsigned, int, int)
{
    if (hasCapture())
    {
        ReleaseCapture();
    }
}

void Slider::onMouseMove(unsigned keys, int x, int y)
{
    Control::onMouseMove(keys, x, y);
    const float before = model.getPosition();
    if (model.move(keys, x, y, hasCapture()))
    {
        invalidateThumbMove(before, model.getPosition());
        postValueChanged();
    }
}

} // namespace Sonarch::Gui
