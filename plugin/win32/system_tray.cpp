#include "plugin/win32/system_tray.h"

#include <shellapi.h>

#include <cstring>

namespace td {

namespace {

// The oldest record layout: every shell takes it, and its 64-character tip
// buffer is why tips are cut to 63.
NOTIFYICONDATAA IconData(HWND owner, int index) {
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = owner;
    data.uID = kTrayIconBaseId + static_cast<UINT>(index);
    return data;
}

}  // namespace

SystemTray::SystemTray(HWND owner, HINSTANCE module) : owner_(owner) {
    const int size = GetSystemMetrics(SM_CXSMICON);
    for (int i = 0; i < kTrayIconCount; ++i) {
        icons_[i] = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(kFirstTrayIconResource + i),
                                                  IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    }
}

SystemTray::~SystemTray() {
    update(0);
    for (HICON& icon : icons_) {
        if (icon) DestroyIcon(icon);
        icon = nullptr;
    }
}

void SystemTray::setTip(int index, const std::string& text) {
    if (index >= 0 && index < kTrayIconCount) tips_[index] = TrayTip(text);
}

HICON SystemTray::icon(int index) const {
    return index >= 0 && index < kTrayIconCount ? icons_[index] : nullptr;
}

const char* SystemTray::tip(int index) const {
    if (index < 0 || index >= kTrayIconCount || tips_[index].empty()) return nullptr;
    return tips_[index].c_str();
}

void SystemTray::update(uint32_t mask) {
    const uint32_t wanted = mask & kTrayAllIcons;
    for (const TrayChange& step : TrayUpdateSteps(shown_, wanted)) {
        if (step.add) {
            add(step.index);
        } else {
            remove(step.index);
        }
    }
    // An icon the shell refused now comes back with the shell's restart.
    shown_ = wanted;
}

void SystemTray::restore() {
    for (int i = 0; i < kTrayIconCount; ++i) {
        // An icon the shell still has (the broadcast also comes for other
        // reasons) is brought up to date instead.
        if ((shown_ & (1u << i)) && !add(i)) set(NIM_MODIFY, i);
    }
}

bool SystemTray::add(int index) { return set(NIM_ADD, index); }

bool SystemTray::set(DWORD message, int index) {
    if (!owner_) return false;
    NOTIFYICONDATAA data = IconData(owner_, index);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icons_[index];
    // tips_ are already cut to the buffer.
    std::memcpy(data.szTip, tips_[index].c_str(), tips_[index].size() + 1);
    return Shell_NotifyIconA(message, &data) != FALSE;
}

void SystemTray::remove(int index) {
    if (!owner_) return;
    NOTIFYICONDATAA data = IconData(owner_, index);
    Shell_NotifyIconA(NIM_DELETE, &data);
}

}  // namespace td
