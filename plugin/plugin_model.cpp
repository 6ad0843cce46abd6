#include "plugin/plugin_model.h"

#include <cstdio>

#include "plugin/host_bridge.h"
#include "settings/lang_table.h"

namespace td {

const char kPluginProduct[] = "Tunedeck";
const char kPluginIniName[] = "plugin.ini";
const char kActiveEnabledKey[] = "ActiveEnabled";
const char kSystrayEnabledKey[] = "SystrayEnabled";
const char kHostSubmenuLabel[] = "&Tunedeck";

namespace {

constexpr int kLangShow = 343;
constexpr int kLangHide = 344;
constexpr int kLangSystrayConfig = 345;
constexpr int kLangProperties = 346;

size_t LastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

}  // namespace

PluginVersion VersionFromFileVersion(uint32_t versionMs, uint32_t versionLs) {
    PluginVersion version;
    version.major = static_cast<int>(versionMs >> 16);
    version.minor = static_cast<int>(versionMs & 0xFFFFu);
    version.build = static_cast<int>(versionLs >> 16);
    return version;
}

std::string FormatPluginDescription(const PluginVersion& version, const std::string& fileName) {
    // The product word and the numbers are ours; only the file name varies,
    // and it goes in as an argument, never as part of the format.
    char head[96];
    std::snprintf(head, sizeof head, "%s Plug-in v%d.%d build %d (", kPluginProduct, version.major,
                  version.minor, version.build);
    return head + fileName + ")";
}

std::string ModuleDirectory(const std::string& modulePath) {
    const size_t slash = LastSeparator(modulePath);
    return slash == std::string::npos ? std::string() : modulePath.substr(0, slash + 1);
}

std::string ModuleFileName(const std::string& modulePath) {
    const size_t slash = LastSeparator(modulePath);
    return slash == std::string::npos ? modulePath : modulePath.substr(slash + 1);
}

std::string WithExtension(const std::string& path, const std::string& extension) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = LastSeparator(path);
    // A dot in a directory name is not the file's extension.
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path + "." + extension;
    }
    return path.substr(0, dot + 1) + extension;
}

std::vector<HostMenuEntry> HostSubmenuEntries(bool windowVisible) {
    return {
        windowVisible ? HostMenuEntry{kMenuHide, kLangHide} : HostMenuEntry{kMenuShow, kLangShow},
        {0, 0},
        {kMenuSystrayConfig, kLangSystrayConfig},
        {kMenuProperties, kLangProperties},
    };
}

int HostSubmenuPosition(const std::vector<int>& itemIds) {
    for (size_t i = 0; i < itemIds.size(); ++i) {
        if (itemIds[i] == kHostExit) return i == 0 ? 0 : static_cast<int>(i) - 1;
    }
    return -1;
}

std::string MenuItemText(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c == '|') c = '\t';
    }
    return out;
}

std::string OwnMenuText(int textId) {
    const char* text = LangTable::getString(textId);
    if (!*text) text = LangTable::builtinString(textId);
    return MenuItemText(text);
}

}  // namespace td
