// Drives the playlist window's modal dialogs: a command (or a key) opens the
// dialog, and a thread timer, which the dialog's own modal loop dispatches,
// hands it to the test's code, which must close it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win32/window_fixture.h"

namespace td {
namespace test {

// The visible dialog (class "#32770") owned by `owner`, or null.
inline HWND FindOwnedDialog(HWND owner) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
        if (GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

inline std::string DialogText(HWND dialog, int control) {
    char text[512] = {};
    GetDlgItemTextA(dialog, control, text, sizeof text);
    return text;
}

inline void Press(HWND dialog, int control) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED), 0);
}

// Clicks a button as the mouse does: the button changes its state, then
// tells its dialog.
inline void Click(HWND dialog, int control) { SendDlgItemMessageA(dialog, control, BM_CLICK, 0, 0); }

// Sets the text of an edit box as typing would (the dialog hears EN_CHANGE).
inline void Type(HWND dialog, int control, const char* text) { SetDlgItemTextA(dialog, control, text); }

// `act` gets the next dialog (or message box) owned by `owner` once it
// shows, from inside its modal loop, and must close it.
inline void WhenDialogShows(HWND owner, std::function<void(HWND)> act) {
    WhenShows([owner] { return FindOwnedDialog(owner); }, std::move(act));
}

class DialogWindowTest : public PlaylistWindowTest {
protected:
    // Runs `command`; `act` gets its dialog once it shows and must close it.
    void run(int command, std::function<void(HWND)> act) {
        WhenDialogShows(window_->hwnd(), std::move(act));
        EXPECT_TRUE(window_->command(command));
        EXPECT_TRUE(AllShown()) << "the dialog of command " << command << " never showed";
        ForgetWaits();
    }
};

}  // namespace test
}  // namespace td
