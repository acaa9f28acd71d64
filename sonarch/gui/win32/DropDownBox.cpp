// The drop-down box's Win32 window and menu.
#include "sonarch/gui/win32/DropDownBox.h"

#include "sonarch/gui/ControlDrawing.h"
#include "sonarch/gui/win32/GdiPainter.h"

namespace Sonarch::Gui
{

DropDownBox* DropDownBox::create(int itemCount, int parameterIndex, GpBitmap* background,
                                 const char* const* items, HFONT font, COLORREF textColour, int x,
                                 int y, int width, int height, HWND parent, HINSTANCE instance)
{
    auto* box = new DropDownBox(itemCount, parameterIndex, background, items, font, textColour);
    return static_cast<DropDownBox*>(createWindow(box, WS_CHILD | WS_VISIBLE, x, y, width, height,
                                                  parent, parameterIndex, instance));
}

DropDownBox::DropDownBox(int itemCount, int parameterIndexIn, GpBitmap* backgroundIn,
                         const char* const* itemsIn, HFONT fontIn, COLORREF textColourIn)
    : parameterIndex(parameterIndexIn), background(backgroundIn), items(itemsIn), font(fontIn),
      textColour(textColourIn), menu(CreatePopupMenu()), model(itemsIn != nullptr ? itemCount : 0)
{
    if (menu == nullptr)
    {
        return;
    }
    for (int item = 0; item < model.getCount(); ++item)
    {
        const char* text = items[item] != nullptr ? items[item] : "";
        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(DropDownModel::commandForItem(item)),
                    text);
    }
}

DropDownBox::~DropDownBox()
{
    if (menu != nullptr)
    {
        DestroyMenu(menu);
    }
}

void DropDownBox::setValue(int, float value)
{
    if (model.setValue(value))
    {
        InvalidateRect(hwnd, nullptr, FALSE);
    }
}

void DropDownBox::onPaint(HDC dc)
{
    RECT client = {};
    GetClientRect(hwnd, &client);
    const POINT origin = originInParent();
    GdiPainter painter(dc);
    const char* item = model.getCount() > 0 ? items[model.getSelected()] : nullptr;
    drawDropDown(painter, background, item, font, textColour,
                 {{0, 0, client.right, client.bottom}, origin.x, origin.y});
}

void DropDownBox::onDestroy()
{
    if (menuOpen)
    {
        EndMenu();
    }
}

void DropDownBox::onLButtonDown(unsigned, int, int)
{
    if (menu == nullptr)
    {
        return;
    }
    RECT box = {};
    GetWindowRect(hwnd, &box);
    const HWND self = hwnd;
    // The current item carries the menu's check mark.
    if (model.getCount() > 0)
    {
        CheckMenuRadioItem(menu, DropDownModel::commandForItem(0),
                           DropDownModel::commandForItem(model.getCount() - 1),
                           DropDownModel::commandForItem(model.getSelected()), MF_BYCOMMAND);
    }
    menuOpen = true;
    const int command = static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD, box.left, box.bottom, 0, self, nullptr));
    menuOpen = false;
    // The menu's message loop may have seen the panel closed, and this box deleted.
    if (!holds(self, this))
    {
        return;
    }
    if (model.choose(command))
    {
        InvalidateRect(hwnd, nullptr, FALSE);
        postValueChanged();
    }
}

} // namespace Sonarch::Gui
