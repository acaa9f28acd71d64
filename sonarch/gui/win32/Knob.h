// A knob: a 91-frame film strip dragged up and down.
#pragma once

#include "sonarch/gui/KnobModel.h"
#include "sonarch/gui/win32/Control.h"
#include "sonarch/gui/win32/ImageStrip.h"

namespace Sonarch::Gui
{

// The window is one frame of the strip in size. A press captures the mouse (Ctrl without Shift
// first restores the default); moving up while the button is held raises the value, 207 pixels for
// the whole range (Shift: a tenth, Shift+Ctrl: a hundredth); the release ends the drag. Behaviour
// is KnobModel's; this class decodes, paints and posts.
class Knob : public Control
{
public:
    // Returns null when the strip is missing or too short for 91 frames, or no window was made.
    static Knob* create(GpBitmap* strip, int parameterIndex, GpBitmap* background,
                        float defaultValue, int x, int y, HWND parent, HINSTANCE instance);

    int getCount() override { return 1; }
    int getId(int) override { return parameterIndex; }
    float getValue(int) override { return model.getValue(); }
    void setValue(int i, float value) override;

protected:
    void onPaint(HDC dc) override;
    void onLButtonDown(unsigned keys, int x, int y) override;
    void onLButtonUp(unsigned keys, int x, int y) override;
    void onMouseMove(unsigned keys, int x, int y) override;

private:
    Knob(const ImageStrip& strip, int parameterIndex, float defaultValue);

    int parameterIndex;
    KnobModel model;
    // Holds the panel background too.
    ImageStrip strip;
};

} // namespace Sonarch::Gui
