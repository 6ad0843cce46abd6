// The native volume system on the machine's own file systems.
#include "platform/volume.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace td {
namespace {

TEST(NativeVolumeTest, RootSerialAndLabelOfATempDirectory) {
    test::TempDir dir;
    VolumeSystem& volumes = NativeVolumes();
    const std::string root = volumes.RootOf(dir.path());
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(dir.path().compare(0, root.size(), root), 0) << root;
    EXPECT_TRUE(root.back() == '\\' || root.back() == '/') << root;
    EXPECT_EQ(volumes.RootOf(dir.Path("not yet.mp3")), root);  // a name not yet made
    ASSERT_TRUE(volumes.IsReachable(root));
    std::string label1, label2;
    uint32_t serial1 = 0, serial2 = 0;
    ASSERT_TRUE(volumes.Information(root, label1, serial1));
    ASSERT_TRUE(volumes.Information(root, label2, serial2));
    EXPECT_EQ(serial1, serial2);
    EXPECT_LE(label1.size(), kVolumeLabelMax);
#ifndef _WIN32
    EXPECT_FALSE(label1.empty());  // the mount point stands in for a label
    EXPECT_NE(serial1, 0u);
#endif
}

#ifdef _WIN32
TEST(NativeVolumeTest, NetworkShareAndMissingDrive) {
    VolumeSystem& volumes = NativeVolumes();
    EXPECT_EQ(volumes.RootOf("\\\\server\\share\\music\\a.mp3"), "\\\\server\\share\\");
    EXPECT_EQ(volumes.RootOf("\\\\server"), "");
    EXPECT_EQ(volumes.RootOf("\\\\\\share\\x"), "");
    std::string root;
    for (char letter = 'Q'; letter <= 'Y' && root.empty(); ++letter) {
        const std::string candidate = std::string(1, letter) + ":\\";
        if (volumes.DriveType(candidate) == kDriveNoRootDir) root = candidate;
    }
    if (root.empty()) GTEST_SKIP() << "every drive letter is in use";
    EXPECT_FALSE(volumes.IsReachable(root));
    std::string label;
    uint32_t serial = 0;
    EXPECT_FALSE(volumes.Information(root, label, serial));
}
#else
TEST(NativeVolumeTest, RootIsTheMountPointOfThePath) {
    VolumeSystem& volumes = NativeVolumes();
    EXPECT_EQ(volumes.RootOf("/"), "/");
    EXPECT_EQ(volumes.RootOf(""), "");
    EXPECT_EQ(volumes.RootOf("some/relative/name.mp3")[0], '/');
    if (volumes.RootOf("/proc/self/status") == "/proc/") {
        std::string label, rootLabel;
        uint32_t serial = 0, rootSerial = 0;
        ASSERT_TRUE(volumes.Information("/proc/", label, serial));
        ASSERT_TRUE(volumes.Information("/", rootLabel, rootSerial));
        EXPECT_EQ(label, "/proc");
        EXPECT_NE(serial, rootSerial);
    }
}
#endif

}  // namespace
}  // namespace td
