#include "win32/dialog_driver.h"

#include <cstring>

namespace td {
namespace test {
namespace {

struct Search {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND window, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0 && GetWindow(window, GW_OWNER) == search->owner &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void HoldModifiers(unsigned mods) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = (mods & kCtrl) ? 0x80 : 0;
    state[VK_MENU] = (mods & kAlt) ? 0x80 : 0;
    state[VK_SHIFT] = (mods & kShift) ? 0x80 : 0;
    SetKeyboardState(state);
}

HWND FindOwnedDialog(HWND owner) {
    Search search{owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindDialogProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Choose(HWND dialog, int control, int index) {
    SendDlgItemMessageA(dialog, control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(control, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
}

bool PumpUntil(const std::function<bool()>& ready, int ms) {
    const DWORD start = GetTickCount();
    while (!ready()) {
        if (static_cast<int>(GetTickCount() - start) >= ms) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // As the message loops of the window and of its dialogs do: the
            // dialog manager takes its keys first.
            HWND dialog = GetAncestor(msg.hwnd, GA_ROOT);
            char name[16] = {};
            if (dialog) GetClassNameA(dialog, name, sizeof name);
            if (dialog && std::strcmp(name, "#32770") == 0 && IsDialogMessageA(dialog, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
    return true;
}

void DialogWindowTest::run(int command, std::function<void(HWND)> act) {
    WhenDialogShows(window_->hwnd(), std::move(act));
    EXPECT_TRUE(window_->command(command));

    EXPECT_TRUE(AllShown()) << "the dialog of command " << command << " never showed";
    ForgetWaits();
}

Settings DialogWindowTest::reloaded() {
    EXPECT_TRUE(settings_->save());
    Settings again(dir_.path());
    again.load();
    return again;
}

}  // namespace test
}  // namespace td
