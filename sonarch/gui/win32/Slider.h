// A slider: a thumb image dragged along a horizontal or vertical track.
#pragma once

#include "sonarch/gui/SliderModel.h"
#include "sonarch/gui/win32/Control.h"
#include "sonarch/gui/win32/GdiPlus.h"

namespace Sonarch::Gui
{

// The window has the size given; the thumb is drawn at its own size over the panel background
// behind the window, and only the strip it swept is repainted after a move. Dragging follows the
// mouse's movement along the track (not its place); Ctrl without Shift restores the default. A
// missing thumb image is not drawn (the slider still works). Behaviour is SliderModel's.
class Slider : public Control
{
public:
    static Slider* create(int parameterIndex, GpBitmap* thumb, GpBitmap* background,
                          SliderOrientation orientation, float defaultValue, int x, int y,
                          int width, int height, HWND parent, HINSTANCE instance);

    int getCount() override { return 1; }
    int getId(int) override { return parameterIndex; }
    float getValue(int) override { return model.getValue(); }
    void setValue(int i, float value) override;

protected:
    LRESULT onCreate(CREATESTRUCTA* create) override;
    void onPaint(HDC dc) override;
    void onLButtonDown(unsigned keys, int x, int y) override;
    void onLButtonUp(unsigned keys, int x, int y) override;
    void onMouseMove(unsigned keys, int x, int y) override;

private:
    Slider(int parameterIndex, GpBitmap* thumb, GpBitmap* background, SliderOrientation orientation,
           float defaultValue);

    void invalidateThumbMove(float fromPosition, float toPosition);

    int parameterIndex;
    GpBitmap* thumb;
    GpBitmap* background;
    SliderModel model;
};

} // namespace Sonarch::Gui
