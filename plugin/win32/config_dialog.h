// The plug-in's configuration dialog (template 111): one check box that
// switches the plug-in on or off from the next start.
#pragma once

#include <windows.h>

namespace td {

// Runs the dialog modally. On OK `activeEnabled` becomes 1 or 0 from the
// check box and the result is true; Cancel (or a dialog that cannot be
// created) leaves it as it was and returns false. Nothing is written to disk.
bool RunConfigDialog(HINSTANCE module, HWND owner, int& activeEnabled);

// The dialog procedure, for tests that create the dialog modelessly.
// The creation parameter is a pointer to the int to edit.
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace td
