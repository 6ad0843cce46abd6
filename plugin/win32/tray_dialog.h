// The tray configuration dialog (template 100): one box per tray icon, the
// "Group in systray menu" box that puts every control behind the menu icon,
// and OK, Cancel and Apply. The dialog changes nothing on disk: the mask
// reaches plugin.ini when the host quits.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>

namespace td {

struct TrayDialogData {
    // The SystrayEnabled mask the boxes open with; after OK or Apply, the
    // mask of the checked boxes.
    uint32_t mask = 0;
    // Called by OK and Apply with the checked boxes' mask, to bring the tray
    // in line. May be cleared while the dialog runs (its owner went away).
    std::function<void(uint32_t)> apply;
    // The dialog's window while it runs.
    HWND window = nullptr;
    // The boxes' small icons (resources 125 to 131), owned by the dialog.
    std::array<HICON, 7> icons{};
};

// Runs the dialog modally, owned by `owner`. True when it closed with OK.
bool RunTrayDialog(HINSTANCE module, HWND owner, TrayDialogData& data);

// The dialog procedure, for tests that create the dialog modelessly; the
// creation parameter is the TrayDialogData.
INT_PTR CALLBACK TrayDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace td
