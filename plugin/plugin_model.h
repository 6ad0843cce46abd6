// The portable half of the plug-in shell: its switches, the description it
// gives the host, path rules, and the submenu it adds to the host's main menu.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace td {

// The word that names the product in the description and the plugin.ini
// section.
extern const char kPluginProduct[];      // "Tunedeck"
extern const char kPluginIniName[];      // "plugin.ini"
extern const char kActiveEnabledKey[];   // "ActiveEnabled"
extern const char kSystrayEnabledKey[];  // "SystrayEnabled"

// The module-wide switches kept in the host's plugin.ini.
struct PluginSwitches {
    int activeEnabled = 1;        // active only when exactly 1
    uint32_t systrayEnabled = 1;  // bit i shows tray icon i
};

// The three numbers the description shows, from the file version's most and
// least significant words (the fourth component is not shown).
struct PluginVersion {
    int major = 0;
    int minor = 0;
    int build = 0;
};
PluginVersion VersionFromFileVersion(uint32_t versionMs, uint32_t versionLs);

// "Tunedeck Plug-in v1.61 build 1 (gen_Tunedeck.dll)".
std::string FormatPluginDescription(const PluginVersion& version, const std::string& fileName);

// The directory of a module path: everything up to and including the last
// backslash (or slash); "" when there is none.
std::string ModuleDirectory(const std::string& modulePath);
// The file name after the last backslash (or slash).
std::string ModuleFileName(const std::string& modulePath);
// The path with everything after its last "." replaced by `extension`; a
// path whose file name has no "." gets "." and the extension appended.
std::string WithExtension(const std::string& path, const std::string& extension);

// Ids of the submenu added to the host's main menu.
enum HostMenuCommand : int {
    kMenuShow = 50120,
    kMenuHide = 50121,
    kMenuSystrayConfig = 50122,
    kMenuProperties = 50123,
};
extern const char kHostSubmenuLabel[];  // "&Tunedeck"

// One entry of the added submenu; command 0 is a separator.
struct HostMenuEntry {
    int command;
    int textId;  // LangTable number, 0 for a separator
};
// The submenu as it is built: its first entry follows the playlist window's
// visible flag.
std::vector<HostMenuEntry> HostSubmenuEntries(bool windowVisible);

// Where the submenu goes in the host's main menu, whose top-level item ids
// are `itemIds` in position order: one place before the exit item, and at
// the very end (-1, "append") when the menu has no exit item.
int HostSubmenuPosition(const std::vector<int>& itemIds);

// A menu text as it is set: the "|" before a shortcut becomes a tab.
std::string MenuItemText(const std::string& text);
// The text of an entry of a menu the plug-in builds itself (the submenu in
// the host's menu, the tray menu): LangTable `textId` as a menu text, in
// English where the language leaves it empty, since there is no template
// text to keep.
std::string OwnMenuText(int textId);

}  // namespace td
