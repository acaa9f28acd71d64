// The "Edit MIDI Learn" dialog procedure.
#include "sonarch/gui/win32/EditMidiLearnDialog.h"

#include "sonarch/midi/ControllerNames.h"

namespace Sonarch::Gui
{

namespace
{

INT_PTR CALLBACK editMidiLearnProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_INITDIALOG:
    {
        // Entry k + 1 is controller k, so entry 0 means unbound.
        SendDlgItemMessageA(dialog, kControllerListId, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>("None"));
        for (const char* name : Midi::ControllerNames)
        {
            SendDlgItemMessageA(dialog, kControllerListId, LB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(name));
        }
        // The address of the caller's selection. DWLP_USER holds a whole pointer in 64-bit
        // builds too (SetWindowLongA at byte 8 would cut it, and byte 8 is not DWLP_USER there).
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const int* selection = reinterpret_cast<const int*>(lParam);
        SendDlgItemMessageA(dialog, kControllerListId, LB_SETCURSEL,
                            static_cast<WPARAM>(selection != nullptr ? *selection : 0), 0);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
        {
            auto* selection = reinterpret_cast<int*>(GetWindowLongPtrA(dialog, DWLP_USER));
            if (selection != nullptr)
            {
                *selection = static_cast<int>(
                    SendDlgItemMessageA(dialog, kControllerListId, LB_GETCURSEL, 0, 0));
            }
            EndDialog(dialog, 1);
        }
        else if (LOWORD(wParam) == IDCANCEL)
        {
            EndDialog(dialog, 0);
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

bool runEditMidiLearnDialog(HINSTANCE instance, HWND owner, int& selection)
{
    int chosen = selection;
    const INT_PTR result =
        DialogBoxParamA(instance, MAKEINTRESOURCEA(kEditMidiLearnDialogId), owner,
                        editMidiLearnProc, reinterpret_cast<LPARAM>(&chosen));
    // -1: the dialog could not be made.
    if (result <= 0)
    {
        return false;
    }
    selection = chosen;
    return true;
}

} // namespace Sonarch::Gui
