// The "Edit MIDI Learn" dialog procedure.
#include "sonarch/gui/win32/EditMidiLearnDialog.h"

#include "sonarch/gui/win32/WindowGeometry.h"
#include "sonarch/midi/ControllerNames.h"

namespace Sonarch::Gui
{

namespace
{

// What the dialog is given: the caller's selection and the window it opens over.
struct EditRequest
{
    int* selection;
    HWND over;
};

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
        const auto* request = reinterpret_cast<const EditRequest*>(lParam);
        int* selection = request != nullptr ? request->selection : nullptr;
        // The address of the caller's selection. DWLP_USER holds a whole pointer in 64-bit
        // builds too (SetWindowLongA at byte 8 would cut it, and byte 8 is not DWLP_USER there).
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(selection));
        if (request != nullptr)
        {
            placeDialogOver(dialog, request->over);
        }
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

bool runEditMidiLearnDialog(HINSTANCE instance, HWND owner, HWND over, int& selection)
{
    int chosen = selection;
    EditRequest request = {&chosen, over != nullptr ? over : owner};
    const INT_PTR result =
        DialogBoxParamA(instance, MAKEINTRESOURCEA(kEditMidiLearnDialogId), owner,
                        editMidiLearnProc, reinterpret_cast<LPARAM>(&request));
    // -1: the dialog could not be made.
    if (result <= 0)
    {
        return false;
    }
    selection = chosen;
    return true;
}

} // namespace Sonarch::Gui
