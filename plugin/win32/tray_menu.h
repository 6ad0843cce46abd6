// The tray menu: a popup menu owned by the host's main window whose items
// (commands 1124 to 1129) are drawn by the plug-in, each with its icon, in
// the system's menu font. The chosen command reaches the host's window as a
// menu command, where the host-window procedure takes it.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

namespace td {

class TrayMenu {
public:
    explicit TrayMenu(HINSTANCE module);
    ~TrayMenu();
    TrayMenu(const TrayMenu&) = delete;
    TrayMenu& operator=(const TrayMenu&) = delete;

    // Builds the menu and tracks it at the cursor until the user chooses or
    // dismisses it. The owner is brought to the foreground first, so a
    // click anywhere else closes the menu, and gets an empty message after,
    // so that the next click on the tray opens it again. Does nothing while
    // the menu is already open.
    void run(HWND owner);
    bool isOpen() const { return open_; }

    // Measure and draw one item. Only items of this menu while it is open
    // are touched (the host's own owner-drawn menus reach the same window);
    // the result says whether the item was ours.
    bool measure(MEASUREITEMSTRUCT& item);
    bool draw(const DRAWITEMSTRUCT& item);

    // The font the items are measured and drawn in: the system's menu font,
    // made on first use; a stock font when it cannot be made.
    HFONT font();
    // Frees the font (the host's window is going); the next use makes it again.
    void deleteFont();
    // Height of the measured text; 0 before the first measure.
    int textHeight() const { return textHeight_; }

private:
    // True when `data` is the item data of one of this menu's items.
    bool owns(ULONG_PTR data) const;
    HICON itemIcon(UINT command);

    HINSTANCE module_;
    HFONT font_ = nullptr;
    bool ownFont_ = false;  // false for a stock font, never deleted
    int textHeight_ = 0;
    bool open_ = false;
    // The items' texts while the menu is open; each item's data points at one.
    std::vector<std::string> texts_;
    // Icons of commands 1124 to 1129 (resources 106 to 111), then of any
    // other item (147); loaded on first use.
    std::array<HICON, 7> icons_{};
};

}  // namespace td
