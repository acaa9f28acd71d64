// A two-way switch: a 2-frame film strip toggled by a click.
#pragma once

#include "sonarch/gui/SwitchModel.h"
#include "sonarch/gui/win32/Control.h"
#include "sonarch/gui/win32/ImageStrip.h"

namespace Sonarch::Gui
{

// The window is one frame of the strip in size; frame 0 shows off, frame 1 on. A click toggles it
// (Ctrl+click restores the default); it does not capture the mouse. Behaviour is SwitchModel's.
class TwoWaySwitch : public Control
{
public:
    // Returns null when the strip is missing or too short for 2 frames, or no window was made.
    static TwoWaySwitch* create(GpBitmap* strip, int parameterIndex, GpBitmap* background,
                                float defaultValue, int x, int y, HWND parent, HINSTANCE instance);

    int getCount() override { return 1; }
    int getId(int) override { return parameterIndex; }
    float getValue(int) override { return model.getValue(); }
    void setValue(int i, float value) override;

protected:
    void onPaint(HDC dc) override;
    void onLButtonDown(unsigned keys, int x, int y) override;

private:
    TwoWaySwitch(const ImageStrip& strip, int parameterIndex, float defaultValue);

    int parameterIndex;
    SwitchModel model;
    // Holds the panel background too.
    ImageStrip strip;
};

} // namespace Sonarch::Gui
