#include "plugin/plugin_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/host_bridge.h"
#include "plugin/version.h"

namespace td {
namespace {

TEST(PluginDescription, VersionNumbersAndFileName) {
    // The full 16-bit range of each number, and a name that looks like a format.
    const PluginVersion big = VersionFromFileVersion(0xFFFFFFFFu, 0xFFFF0000u);
    EXPECT_EQ(FormatPluginDescription(big, "%s%n.dll"),
              "Tunedeck Plug-in v65535.65535 build 65535 (%s%n.dll)");
}

TEST(PluginPaths, DirectoryFileNameAndExtension) {
    EXPECT_EQ(ModuleDirectory("C:\\Program Files\\Winamp\\Plugins\\gen_Tunedeck.dll"),
              "C:\\Program Files\\Winamp\\Plugins\\");
    EXPECT_EQ(ModuleDirectory("gen_Tunedeck.dll"), "");

    // The host's list and the start file: everything after the last dot.
    EXPECT_EQ(WithExtension("C:\\my.player\\winamp.v5.exe", "m3u"), "C:\\my.player\\winamp.v5.m3u");
    EXPECT_EQ(WithExtension("C:\\my.player\\winamp", "m3u"), "C:\\my.player\\winamp.m3u");
    EXPECT_EQ(WithExtension("C:\\Winamp\\winamp.", "m3u"), "C:\\Winamp\\winamp.m3u");
}

TEST(HostSubmenu, GoesOnePlaceBeforeExit) {
    // The host's main menu: ..., separator, Exit.
    EXPECT_EQ(HostSubmenuPosition({kHostMainMenuFirst, 40002, 0, 40003, 0, kHostExit}), 4);
    EXPECT_EQ(HostSubmenuPosition({kHostExit, kHostMainMenuFirst}), 0);
    // Without an exit item it goes at the end.
    EXPECT_EQ(HostSubmenuPosition({kHostMainMenuFirst, 40002}), -1);
    EXPECT_EQ(HostSubmenuPosition({}), -1);
}

}  // namespace
}  // namespace td
