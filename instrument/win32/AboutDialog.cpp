// The about box's dialog procedure.
#include "instrument/win32/AboutDialog.h"

#include "instrument/resources/ResourceIds.h"
#include "sonarch/gui/win32/WindowGeometry.h"

namespace
{

// The dialog's size is given in dialog units, which follow the dialog font's metrics; the picture
// is drawn at its own pixel size. Where the font is smaller than the one the size was chosen for,
// the box would cut off the bottom of the picture, so the box is fitted to the picture.
void fitToPicture(HWND dialog)
{
    const HWND picture = GetWindow(dialog, GW_CHILD);
    RECT pictureRect = {};
    if (picture == nullptr || GetWindowRect(picture, &pictureRect) == FALSE)
    {
        return;
    }
    RECT frame = {0, 0, pictureRect.right - pictureRect.left, pictureRect.bottom - pictureRect.top};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(picture, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Esc, Enter (the dialog manager's IDCANCEL and IDOK), the close button and a click anywhere on
// the picture close the box.
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CLOSE:
        EndDialog(dialog, 1);
        return TRUE;
    case WM_INITDIALOG:
        fitToPicture(dialog);
        // lParam: the panel the box opens over.
        Sonarch::Gui::placeDialogOver(dialog, reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        {
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    case WM_LBUTTONDOWN:
        // Tavrel has no web page: the picture names no address, so a click only closes the box.
        EndDialog(dialog, 1);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void showAboutDialog(HINSTANCE instance, HWND owner)
{
    DialogBoxParamA(instance, MAKEINTRESOURCEA(TAVREL_DIALOG_ABOUT), owner, aboutDialogProc,
                    reinterpret_cast<LPARAM>(owner));
}
