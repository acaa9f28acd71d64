// A drop-down box: the selected item's text, and a menu of all items on a click.
#pragma once

#include "sonarch/gui/DropDownModel.h"
#include "sonarch/gui/win32/Control.h"
#include "sonarch/gui/win32/GdiPlus.h"

namespace Sonarch::Gui
{

// The box's frame and arrow are part of the panel background; the control draws the selected text
// centred over its piece of the background. A click opens the item menu below the box; choosing an
// item posts it (even the one already selected); dismissing the menu changes nothing. The item
// texts and the font are borrowed and must outlive the box. Behaviour is DropDownModel's.
class DropDownBox : public Control
{
public:
    static DropDownBox* create(int itemCount, int parameterIndex, GpBitmap* background,
                               const char* const* items, HFONT font, COLORREF textColour, int x,
                               int y, int width, int height, HWND parent, HINSTANCE instance);
    ~DropDownBox() override;

    int getCount() override { return 1; }
    int getId(int) override { return parameterIndex; }
    float getValue(int) override { return model.getValue(); }
    void setValue(int i, float value) override;

    int getSelected() const { return model.getSelected(); }

protected:
    void onPaint(HDC dc) override;
    void onLButtonDown(unsigned keys, int x, int y) override;
    // Ends the box's menu if it is open: the panel is going.
    void onDestroy() override;

private:
    DropDownBox(int itemCount, int parameterIndex, GpBitmap* background, const char* const* items,
                HFONT font, COLORREF textColour);

    int parameterIndex;
    GpBitmap* background;
    const char* const* items;
    HFONT font;
    COLORREF textColour;
    HMENU menu;
    bool menuOpen = false;
    DropDownModel model;
};

} // namespace Sonarch::Gui
