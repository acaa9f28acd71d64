// The about box: the product's picture with its title, version and credits.
#pragma once

#include <windows.h>

// Runs the about dialog (resource TAVREL_DIALOG_ABOUT) modally, owned by owner, until the user
// closes it.
void showAboutDialog(HINSTANCE instance, HWND owner);
