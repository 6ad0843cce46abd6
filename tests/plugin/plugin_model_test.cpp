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

TEST(PluginPaths, TheExtensionIsAfterTheLastDotOfTheName) {
    // The host's list and the start file, named after the programs' files.
    EXPECT_EQ(WithExtension("C:\\my.player\\host.v5.exe", "m3u"), "C:\\my.player\\host.v5.m3u");
    EXPECT_EQ(WithExtension("C:\\my.player\\host", "m3u"), "C:\\my.player\\host.m3u");
}

TEST(HostSubmenu, GoesFirstOrLastWhereExitIsFirstOrMissing) {
    // Elsewhere it goes one place before Exit, after the host's separator.
    EXPECT_EQ(HostSubmenuPosition({kHostExit, kHostMainMenuFirst}), 0);
    EXPECT_EQ(HostSubmenuPosition({kHostMainMenuFirst, 40002}), -1);
}

}  // namespace
}  // namespace td
