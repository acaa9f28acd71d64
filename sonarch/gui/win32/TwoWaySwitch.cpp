// The two-way switch's Win32 window.
#include "sonarch/gui/win32/TwoWaySwitch.h"

#include "sonarch/gui/win32/DcGraphics.h"

namespace Sonarch::Gui
{

TwoWaySwitch* TwoWaySwitch::create(GpBitmap* stripImage, int parameterIndex, GpBitmap* background,
                                   float defaultValue, int x, int y, HWND parent,
                                   HINSTANCE instance)
{
    const ImageStrip strip(background, SwitchModel::kFrameCount, stripImage);
    if (!strip.isDrawable())
    {
        return nullptr;
    }
    auto* control = new TwoWaySwitch(strip, parameterIndex, defaultValue);
    return static_cast<TwoWaySwitch*>(createWindow(control, WS_CHILD | WS_VISIBLE, x, y,
                                                   strip.getFrameWidth(), strip.getFrameHeight(),
                                                   parent, parameterIndex, instance));
}

TwoWaySwitch::TwoWaySwitch(const ImageStrip& stripIn, int parameterIndexIn, float defaultValue)
    : parameterIndex(parameterIndexIn), model(defaultValue), strip(stripIn)
{
}

void TwoWaySwitch::setValue(int, float value)
{
    if (model.setValue(value))
    {
        InvalidateRect(hwnd, nullptr, FALSE);
    }
}

void TwoWaySwitch::onPaint(HDC dc)
{
    const POINT origin = originInParent();
    const DcGraphics graphics(dc);
    strip.drawFrame(model.getFrame(), origin.x, origin.y, graphics.get());
}

void TwoWaySwitch::onLButtonDown(unsigned keys, int, int)
{
    if (model.click(keys))
    {
        InvalidateRect(hwnd, nullptr, FALSE);
        postValueChanged();
    }
}

} // namespace Sonarch::Gui
