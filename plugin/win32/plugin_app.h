// The application object: everything the running plug-in owns, from its
// construction by init to its destruction by quit. It talks to the host
// through the HostBridge, keeps the Settings and the LangTable, shows the
// tray icons, holds the playlist window object, and subclasses the host's
// main window so that the tray's clicks, the tray menu and the submenu it
// adds to the host's menu reach it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "plugin/plugin_model.h"
#include "plugin/tray_model.h"

namespace td {

class HostBridge;
class LangTable;
class PlaylistWindow;
class Settings;
class SystemTray;
class TrayMenu;
class Win32HostChannel;
struct TrayDialogData;

class PluginApp {
public:
    // `module` is the plug-in's module (resources, settings, start file);
    // `hostWindow` the host's main window from the plug-in record;
    // `switches` the module-wide plugin.ini switches, which must outlive the
    // object. Builds, in this order: the bridge, the settings (loaded), the
    // language table (scanned and loaded), the tray tips and icons, the tray,
    // the playlist window object (no window yet), the host-window subclass.
    PluginApp(HINSTANCE module, HWND hostWindow, PluginSwitches& switches);
    // Undoes the subclass, removes the tray icons, destroys the playlist
    // window, saves the settings, then deletes the bridge and the language
    // table.
    virtual ~PluginApp();
    PluginApp(const PluginApp&) = delete;
    PluginApp& operator=(const PluginApp&) = delete;

    // The one live object, or null.
    static PluginApp* instance();

    // Creates the playlist window on first use, otherwise restores it; brings
    // it to the front and marks it visible. 1 on success, 0 when the window
    // cannot be created (the next call tries again).
    int ShowPlaylistWindow();
    // Hides the playlist window (if any) and marks it not visible.
    void HidePlaylistWindow();

    // Brings the tray icons in line with SystrayEnabled.
    void updateTray();
    uint32_t shownMask() const;

    // The configuration dialog, owned by the host's main window.
    void runConfigDialog();
    // The tray configuration dialog, owned by the host's main window, which
    // comes to the foreground first. While it is open a second request
    // brings it forward instead.
    void runTrayDialog();

    // Called by the host-window procedure.
    void onHostMenuPopup(HMENU menu);
    void onHostSystemCommand(int command);
    // A mouse message on tray icon `iconId`; true when it was a click on
    // one of ours, which the host does not see.
    bool onTrayCallback(WPARAM iconId, LPARAM mouseMessage);
    // A tray menu command (1124 to 1129); false for any other id.
    bool onTrayMenuCommand(int command);
    // Owner-drawn items of the tray menu; false for items not ours.
    bool onMeasureItem(MEASUREITEMSTRUCT& item);
    bool onDrawItem(const DRAWITEMSTRUCT& item);
    // The host's window is being destroyed.
    void onHostDestroy();
    // The shell restarted: the icons go up again.
    void onShellRestarted();

    HINSTANCE module() const { return module_; }
    HWND hostWindow() const { return hostWindow_; }
    HostBridge& bridge() { return *bridge_; }
    Settings& settings() { return *settings_; }
    LangTable& lang() { return *lang_; }
    PlaylistWindow& playlistWindow() { return *playlistWindow_; }
    HICON icon(int index) const;
    // Null where the language has no tip text.
    const char* tip(int index) const;
    TrayMenu& trayMenu() { return *trayMenu_; }
    // True while the host-window procedure is installed by this object.
    bool subclassed() const { return subclassed_; }
    // The position at which the submenu went into the host's menu; -1 before.
    int submenuPosition() const { return submenuPosition_; }

private:
    void subclassHost();
    void restoreHost();
    void relabelSubmenu(HMENU menu);
    void runTrayAction(TrayAction action);

    HINSTANCE module_;
    HWND hostWindow_;
    PluginSwitches& switches_;
    std::unique_ptr<Win32HostChannel> channel_;
    std::unique_ptr<HostBridge> bridge_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<LangTable> lang_;
    std::unique_ptr<SystemTray> tray_;
    // Shared with a run of the menu in progress, which outlives this object
    // when the host quits from inside the menu.
    std::shared_ptr<TrayMenu> trayMenu_;
    TrayDialogData* trayDialog_ = nullptr;  // while the tray dialog runs
    std::unique_ptr<PlaylistWindow> playlistWindow_;
    bool showing_ = false;  // inside ShowPlaylistWindow
    bool subclassed_ = false;
    LONG_PTR hostUserData_ = 0;  // the slot's value before we put the host's procedure there
    int submenuPosition_ = -1;
};

// The procedure installed on the host's main window.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The running module's own file path ("" when unknown).
std::string ModulePath(HINSTANCE module);

}  // namespace td
