// The tray icons: up to eight notification icons owned by the host's main
// window (ids 1024 + i, callback message 1051), shown and hidden by the
// SystrayEnabled mask, put up again when the shell restarts.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "plugin/tray_model.h"

namespace td {

class SystemTray {
public:
    // Loads the eight icons (resources 106 to 113) from `module`. Shows
    // nothing yet.
    SystemTray(HWND owner, HINSTANCE module);
    // Removes every icon still shown and frees the icons.
    ~SystemTray();
    SystemTray(const SystemTray&) = delete;
    SystemTray& operator=(const SystemTray&) = delete;

    // Icon i's tip; an empty text gives the icon no tip. Takes effect when
    // the icon is next added.
    void setTip(int index, const std::string& text);
    // Brings the shown icons in line with `mask` (bits 0 to 7).
    void update(uint32_t mask);
    // The shell came back (its "TaskbarCreated" broadcast) without our
    // icons: every icon of the shown mask is added again.
    void restore();

    uint32_t shownMask() const { return shown_; }
    HICON icon(int index) const;
    // Null where the icon has no tip.
    const char* tip(int index) const;

private:
    bool add(int index);
    bool set(DWORD message, int index);  // NIM_ADD or NIM_MODIFY with icon, tip and callback
    void remove(int index);

    HWND owner_;
    std::array<HICON, kTrayIconCount> icons_{};
    std::array<std::string, kTrayIconCount> tips_;
    uint32_t shown_ = 0;
};

}  // namespace td
