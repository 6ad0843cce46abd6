#include "plugin/win32/plugin_app.h"

#include <cstring>
#include <vector>

#include "plugin/host_bridge.h"
#include "plugin/win32/config_dialog.h"
#include "plugin/win32/host_channel_win32.h"
#include "plugin/win32/system_tray.h"
#include "plugin/win32/tray_dialog.h"
#include "plugin/win32/tray_menu.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "window/win32/playlist_window.h"

namespace td {

namespace {

// The one live application object (the host-window procedure reaches it
// through this), and the procedure it replaced on the host's window.
PluginApp* g_app = nullptr;
WNDPROC g_previousProc = nullptr;
// The message a restarted shell broadcasts; 0 until registered.
UINT g_taskbarCreated = 0;

// The host's "Plugins\" folder: the language files live there.
std::string HostPluginsDirectory() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return ModuleDirectory(std::string(path, length)) + "Plugins\\";
}

bool MenuHas(HMENU menu, int command) {
    return GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) != static_cast<UINT>(-1);
}

bool KeyHeld(int key) {
    // The shell's click comes while another program has the keyboard: the
    // thread's own key state may lag, the system's does not.
    return GetKeyState(key) < 0 || GetAsyncKeyState(key) < 0;
}

}  // namespace

std::string ModulePath(HINSTANCE module) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return std::string(path, length);
}

PluginApp::PluginApp(HINSTANCE module, HWND hostWindow, PluginSwitches& switches)
    : module_(module), hostWindow_(hostWindow), switches_(switches) {
    const std::string modulePath = ModulePath(module);

    channel_ = std::make_unique<Win32HostChannel>(hostWindow);
    bridge_ = std::make_unique<HostBridge>(*channel_);

    settings_ = std::make_unique<Settings>(ModuleDirectory(modulePath));
    settings_->load();

    lang_ = std::make_unique<LangTable>(HostPluginsDirectory());
    const char* name = settings_->languageName;
    lang_->scanLanguages(std::string(name, strnlen(name, kLanguageNameSize)));

    tray_ = std::make_unique<SystemTray>(hostWindow, module);
    for (int i = 0; i < kTrayIconCount; ++i) tray_->setTip(i, LangTable::getString(TrayTipText(i)));
    trayMenu_ = std::make_shared<TrayMenu>(module);
    if (!g_taskbarCreated) g_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    updateTray();

    playlistWindow_ = std::make_unique<PlaylistWindow>(module, hostWindow, *bridge_, *settings_, *lang_,
                                                       WithExtension(modulePath, "KQ3"));
    playlistWindow_->setConfigureAction([this] { runTrayDialog(); });
    g_app = this;
    subclassHost();
}

PluginApp::~PluginApp() {
    // First of all the host's window stops reaching this object.
    restoreHost();
    if (g_app == this) g_app = nullptr;

    // A tray dialog or menu still open (the host quit from inside one)
    // closes without reaching this object again.
    if (trayDialog_) {
        trayDialog_->apply = nullptr;
        if (trayDialog_->window) EndDialog(trayDialog_->window, IDCANCEL);
    }
    if (trayMenu_->isOpen()) EndMenu();

    switches_.systrayEnabled = 0;
    updateTray();
    tray_.reset();

    if (playlistWindow_) {
        playlistWindow_->destroy();
        playlistWindow_.reset();
    }
    settings_->save();
    settings_.reset();
    bridge_.reset();
    channel_.reset();
    lang_.reset();
}

PluginApp* PluginApp::instance() { return g_app; }

HICON PluginApp::icon(int index) const { return tray_ ? tray_->icon(index) : nullptr; }

const char* PluginApp::tip(int index) const { return tray_ ? tray_->tip(index) : nullptr; }

uint32_t PluginApp::shownMask() const { return tray_ ? tray_->shownMask() : 0; }

// --- the host's window ------------------------------------------------------

void PluginApp::subclassHost() {
    if (!hostWindow_ || !IsWindow(hostWindow_)) return;
    hostUserData_ = GetWindowLongPtrA(hostWindow_, GWLP_USERDATA);
    const LONG_PTR previous = GetWindowLongPtrA(hostWindow_, GWLP_WNDPROC);
    // The previous procedure goes into the slot before ours is installed, so
    // the first message we see can already be passed on.
    SetWindowLongPtrA(hostWindow_, GWLP_USERDATA, previous);
    g_previousProc = reinterpret_cast<WNDPROC>(previous);
    SetWindowLongPtrA(hostWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindowProc));
    subclassed_ = true;
}

void PluginApp::restoreHost() {
    if (!subclassed_) return;
    subclassed_ = false;
    if (!IsWindow(hostWindow_)) return;
    if (GetWindowLongPtrA(hostWindow_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&HostWindowProc)) {
        SetWindowLongPtrA(hostWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previousProc));
        SetWindowLongPtrA(hostWindow_, GWLP_USERDATA, hostUserData_);
        return;
    }
    // Someone subclassed the window after us and still calls our procedure,
    // which from now on only passes messages on. Unloading this module would
    // leave that chain pointing into freed code, so it stays loaded.
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&HostWindowProc), &self);
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!previous || previous == &HostWindowProc) previous = g_previousProc;

    PluginApp* app = g_app;
    if (app && app->hostWindow() == window) {
        switch (message) {
        case kTrayCallbackMessage:
            if (app->onTrayCallback(wParam, lParam)) return 0;
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) == 0 && lParam == 0 && app->onTrayMenuCommand(LOWORD(wParam))) return 0;
            break;
        case WM_INITMENUPOPUP: app->onHostMenuPopup(reinterpret_cast<HMENU>(wParam)); break;
        case WM_SYSCOMMAND: app->onHostSystemCommand(static_cast<int>(LOWORD(wParam))); break;
        case WM_MEASUREITEM:
            if (lParam) app->onMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            break;
        case WM_DRAWITEM:
            if (lParam) app->onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            break;
        case WM_DESTROY: app->onHostDestroy(); break;
        default:
            if (message == g_taskbarCreated && g_taskbarCreated != 0) app->onShellRestarted();
            break;
        }
    }
    if (!previous) return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(previous, window, message, wParam, lParam);
}

void PluginApp::onHostMenuPopup(HMENU menu) {
    if (!menu || !IsMenu(menu)) return;
    const int count = GetMenuItemCount(menu);
    if (count <= 0 || GetMenuItemID(menu, 0) != static_cast<UINT>(kHostMainMenuFirst)) return;

    if (MenuHas(menu, kMenuShow) || MenuHas(menu, kMenuHide)) {
        relabelSubmenu(menu);
        return;
    }
    const bool visible = playlistWindow_->hwnd() && playlistWindow_->visible();
    HMENU submenu = CreatePopupMenu();
    if (!submenu) return;
    for (const HostMenuEntry& entry : HostSubmenuEntries(visible)) {
        if (entry.command == 0) {
            AppendMenuA(submenu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuA(submenu, MF_STRING, static_cast<UINT_PTR>(entry.command),
                        OwnMenuText(entry.textId).c_str());
        }
    }
    std::vector<int> ids;
    for (int i = 0; i < count; ++i) ids.push_back(static_cast<int>(GetMenuItemID(menu, i)));
    const int position = HostSubmenuPosition(ids);
    const UINT where = position < 0 ? static_cast<UINT>(-1) : static_cast<UINT>(position);
    if (!InsertMenuA(menu, where, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu),
                     kHostSubmenuLabel)) {
        DestroyMenu(submenu);
        return;
    }
    submenuPosition_ = position < 0 ? count : position;
}

void PluginApp::relabelSubmenu(HMENU menu) {
    const bool visible = playlistWindow_->hwnd() && playlistWindow_->visible();
    const int from = visible ? kMenuShow : kMenuHide;
    const int to = visible ? kMenuHide : kMenuShow;
    const std::vector<HostMenuEntry> entries = HostSubmenuEntries(visible);
    // The first entry changes its command with the window's state; every
    // label is set again, so a language chosen meanwhile shows here too.
    const UINT current = static_cast<UINT>(MenuHas(menu, from) ? from : to);
    ModifyMenuA(menu, current, MF_BYCOMMAND | MF_STRING, static_cast<UINT_PTR>(to),
                OwnMenuText(entries[0].textId).c_str());
    for (size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].command == 0) continue;
        const UINT id = static_cast<UINT>(entries[i].command);
        ModifyMenuA(menu, id, MF_BYCOMMAND | MF_STRING, id, OwnMenuText(entries[i].textId).c_str());
    }
}

void PluginApp::onHostSystemCommand(int command) {
    switch (command) {
    case kMenuShow: ShowPlaylistWindow(); break;
    case kMenuHide: HidePlaylistWindow(); break;
    case kMenuSystrayConfig: runTrayDialog(); break;
    case kMenuProperties: runConfigDialog(); break;
    default: break;
    }
}

// --- the playlist window ----------------------------------------------------

int PluginApp::ShowPlaylistWindow() {
    PlaylistWindow& window = *playlistWindow_;
    // A second request from inside the first (a tray click handled while the
    // window is being made) finds the window as it is.
    if (showing_) return window.hwnd() ? 1 : 0;
    struct Showing {
        bool& flag;
        explicit Showing(bool& f) : flag(f) { flag = true; }
        ~Showing() { flag = false; }
    } guard(showing_);
    if (!window.hwnd()) {
        if (!window.create() || !window.hwnd()) return 0;
        // The start sequence shows the window with its stored placement; a
        // placement that left it minimised or hidden would defeat "show".
        if (!IsWindowVisible(window.hwnd()) || IsIconic(window.hwnd())) {
            ShowWindow(window.hwnd(), SW_RESTORE);
        }
    } else {
        // A hidden window comes back as it was (maximised stays maximised);
        // a minimised one is restored.
        ShowWindow(window.hwnd(), IsIconic(window.hwnd()) ? SW_RESTORE : SW_SHOW);
    }
    UpdateWindow(window.hwnd());
    SetForegroundWindow(window.hwnd());
    window.setVisible(1);
    return 1;
}

void PluginApp::HidePlaylistWindow() {
    PlaylistWindow& window = *playlistWindow_;
    if (window.hwnd()) ShowWindow(window.hwnd(), SW_HIDE);
    window.setVisible(0);
}

// --- the tray -------------------------------------------------------------------

void PluginApp::updateTray() {
    if (tray_) tray_->update(switches_.systrayEnabled);
}

void PluginApp::onShellRestarted() {
    if (tray_) tray_->restore();
}

bool PluginApp::onTrayCallback(WPARAM iconId, LPARAM mouseMessage) {
    if (mouseMessage != WM_LBUTTONDOWN && mouseMessage != WM_RBUTTONDOWN) return false;
    if (iconId < kTrayIconBaseId || iconId >= kTrayIconBaseId + kTrayIconCount) return false;
    const int index = static_cast<int>(iconId - kTrayIconBaseId);
    runTrayAction(TrayClickAction(index, mouseMessage == WM_RBUTTONDOWN));
    return true;
}

bool PluginApp::onTrayMenuCommand(int command) {
    const TrayAction action = TrayMenuAction(command);
    if (action == TrayAction::None) return false;
    runTrayAction(action);
    return true;
}

void PluginApp::runTrayAction(TrayAction action) {
    if (TrayActionRaisesHost(action)) SetForegroundWindow(hostWindow_);
    switch (action) {
    case TrayAction::None: break;
    case TrayAction::ShowWindow: ShowPlaylistWindow(); break;
    case TrayAction::ConfigDialog: runTrayDialog(); break;
    case TrayAction::Menu: {
        // Kept alive by this copy should the host quit from inside the menu.
        const std::shared_ptr<TrayMenu> menu = trayMenu_;
        menu->run(hostWindow_);
        break;
    }
    default: {
        TrayModifiers keys;
        keys.shift = KeyHeld(VK_SHIFT);
        keys.ctrl = KeyHeld(VK_CONTROL);
        RunTrayHostAction(*bridge_, action, keys);
        break;
    }
    }
}

bool PluginApp::onMeasureItem(MEASUREITEMSTRUCT& item) { return trayMenu_->measure(item); }

bool PluginApp::onDrawItem(const DRAWITEMSTRUCT& item) { return trayMenu_->draw(item); }

void PluginApp::onHostDestroy() { trayMenu_->deleteFont(); }

void PluginApp::runTrayDialog() {
    if (trayDialog_) {
        if (trayDialog_->window) SetForegroundWindow(trayDialog_->window);
        return;
    }
    SetForegroundWindow(hostWindow_);
    TrayDialogData data;
    data.mask = switches_.systrayEnabled;
    data.apply = [this](uint32_t mask) {
        switches_.systrayEnabled = mask;
        updateTray();
    };
    trayDialog_ = &data;
    RunTrayDialog(module_, hostWindow_, data);
    // Gone meanwhile when the host quit from inside the dialog: the
    // destructor has cleared `apply` and nothing of this object is touched.
    if (data.apply) trayDialog_ = nullptr;
}

void PluginApp::runConfigDialog() { RunConfigDialog(module_, hostWindow_, switches_.activeEnabled); }

}  // namespace td
