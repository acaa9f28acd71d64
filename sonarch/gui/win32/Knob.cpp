// The knob's Win32 window.
#include "sonarch/gui/win32/Knob.h"

#include "sonarch/gui/win32/DcGraphics.h"

namespace Sonarch::Gui
{

Knob* Knob::create(GpBitmap* stripImage, int parameterIndex, GpBitmap* background,
                   float defaultValue, int x, int y, HWND parent, HINSTANCE instance)
{
    const ImageStrip strip(background, KnobModel::kFrameCount, stripImage);
    if (!strip.isDrawable())
    {
        return nullptr;
    }
    auto* knob = new Knob(strip, parameterIndex, defaultValue);
    return static_cast<Knob*>(createWindow(knob, WS_CHILD | WS_VISIBLE, x, y, strip.getFrameWidth(),
                                           strip.getFrameHeight(), parent, parameterIndex,
                                           instance));
}

Knob::Knob(const ImageStrip& stripIn, int parameterIndexIn, float defaultValue)
    : parameterIndex(parameterIndexIn), model(defaultValue), strip(stripIn)
{
}

void Knob::setValue(int, float value)
{
    if (model.setValue(value))
    {
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

void Knob::onPaint(HDC dc)
{
    const POINT origin = originInParent();
    const DcGraphics graphics(dc);
    strip.drawFrame(model.getFrame(), origin.x, origin.y, graphics.get());
}

void Knob::onLButtonDown(unsigned keys, int, int y)
{
    if (model.press(keys, y))
    {
        InvalidateRect(hwnd, nullptr, FALSE);
        postValueChanged();
    }
    SetCapture(hwnd);
}

void Knob::onLButtonUp(unsigned, int, int)
{
    if (hasCapture())
    {
        ReleaseCapture();
    }
}

void Knob::onMouseMove(unsigned keys, int x, int y)
{
    Control::onMouseMove(keys, x, y);
    if (model.move(keys, y, hasCapture()))
    {
        InvalidateRect(hwnd, nullptr, FALSE);
        postValueChanged();
    }
}

} // namespace Sonarch::Gui
