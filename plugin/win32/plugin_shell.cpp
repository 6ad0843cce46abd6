#include "plugin/win32/plugin_shell.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "plugin/win32/config_dialog.h"
#include "plugin/win32/plugin_app.h"

namespace td {

PluginVersion ReadModuleVersion(const std::string& modulePath) {
    if (modulePath.empty()) return {};
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(modulePath.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(modulePath.c_str(), 0, size, data.data())) return {};
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", &value, &length) || !value || length < sizeof(VS_FIXEDFILEINFO)) {
        return {};
    }
    const VS_FIXEDFILEINFO* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    return VersionFromFileVersion(info->dwFileVersionMS, info->dwFileVersionLS);
}

PluginShell::PluginShell(PluginRecord& record) : record_(record) {}

PluginShell::~PluginShell() { static_cast<void>(app_.release()); }

HINSTANCE PluginShell::module() const {
    if (record_.hDllInstance) return record_.hDllInstance;
    // A host that did not fill the handle in: the module holding this code.
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ReadModuleVersion), &self);
    return self;
}

std::string PluginShell::iniPath() const {
    const std::string path = ModulePath(module());
    return path.empty() ? std::string() : ModuleDirectory(path) + kPluginIniName;
}

int PluginShell::init() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;  // 8
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);
    // What the playlist window and its dialogs use besides the list.
    controls.dwICC =
        ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES | ICC_UPDOWN_CLASS;
    InitCommonControlsEx(&controls);

    const std::string modulePath = ModulePath(module());
    const std::string text =
        FormatPluginDescription(ReadModuleVersion(modulePath), ModuleFileName(modulePath));
    std::snprintf(description_, sizeof description_, "%s", text.c_str());
    record_.description = description_;

    readIni();
    if (switches_.activeEnabled != 1 || app_) return 0;
    try {
        app_ = std::make_unique<PluginApp>(module(), record_.hwndParent, switches_);
    } catch (const std::exception&) {
        app_.reset();  // inert, as when disabled
    }
    return 0;
}

void PluginShell::config() {
    if (app_) {
        app_->runConfigDialog();
    } else {
        RunConfigDialog(module(), record_.hwndParent, switches_.activeEnabled);
    }
}

void PluginShell::quit() {
    // plugin.ini first: taking the tray down sets SystrayEnabled to 0.
    writeIni();
    // Whatever the switch says by now, nothing of ours stays behind in the
    // host's window or on screen once the host has said goodbye.
    app_.reset();
}

void PluginShell::readIni() {
    const std::string path = iniPath();
    if (path.empty()) return;
    switches_.activeEnabled = static_cast<int>(
        GetPrivateProfileIntA(kPluginProduct, kActiveEnabledKey, switches_.activeEnabled, path.c_str()));
    switches_.systrayEnabled = GetPrivateProfileIntA(
        kPluginProduct, kSystrayEnabledKey, static_cast<int>(switches_.systrayEnabled), path.c_str());
}

void PluginShell::writeIni() const {
    const std::string path = iniPath();
    if (path.empty()) return;
    char value[16];
    std::snprintf(value, sizeof value, "%d", switches_.activeEnabled);
    WritePrivateProfileStringA(kPluginProduct, kActiveEnabledKey, value, path.c_str());
    std::snprintf(value, sizeof value, "%d", static_cast<int>(switches_.systrayEnabled));
    WritePrivateProfileStringA(kPluginProduct, kSystrayEnabledKey, value, path.c_str());
}

}  // namespace td
