#include "platform/volume.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace td {
namespace {

using test::TempDir;
using test::WriteBytes;

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

TEST(NativeVolumeTest, RootOfATempFileIsAPrefixOfItsPath) {
    TempDir dir;
    const std::string file = dir.Path("song.mp3");
    ASSERT_TRUE(WriteBytes(file, "x"));
    VolumeSystem& volumes = NativeVolumes();
    const std::string root = volumes.RootOf(file);
    ASSERT_FALSE(root.empty());
    EXPECT_TRUE(StartsWith(file, root)) << root << " / " << file;
    EXPECT_TRUE(root.back() == '\\' || root.back() == '/') << root;
    // A name that does not exist yet lies on the same volume as its folder.
    EXPECT_EQ(volumes.RootOf(dir.Path("not yet.mp3")), root);
    EXPECT_EQ(volumes.RootOf(dir.path()), root);
}

TEST(NativeVolumeTest, SerialIsStableAndLabelNotEmpty) {
    TempDir dir;
    VolumeSystem& volumes = NativeVolumes();
    const std::string root = volumes.RootOf(dir.path());
    ASSERT_TRUE(volumes.IsReachable(root));
    const uint32_t type = volumes.DriveType(root);
    EXPECT_GE(type, kDriveRemovable);
    EXPECT_LE(type, kDriveRamDisk);
    std::string label1, label2;
    uint32_t serial1 = 0, serial2 = 0;
    ASSERT_TRUE(volumes.Information(root, label1, serial1));
    ASSERT_TRUE(volumes.Information(root, label2, serial2));
    EXPECT_EQ(serial1, serial2);
    EXPECT_EQ(label1, label2);
    EXPECT_LE(label1.size(), kVolumeLabelMax);
#ifndef _WIN32
    // Without a file system label the mount point stands in.
    EXPECT_FALSE(label1.empty());
    EXPECT_NE(serial1, 0u);
#endif
}

#ifdef _WIN32
TEST(NativeVolumeTest, DriveLetterRoot) {
    TempDir dir;
    VolumeSystem& volumes = NativeVolumes();
    const std::string root = volumes.RootOf(dir.path());
    ASSERT_EQ(root.size(), 3u);
    EXPECT_EQ(root[1], ':');
    EXPECT_EQ(root[2], '\\');
    EXPECT_EQ(volumes.DriveType(root), kDriveFixed);
}

TEST(NativeVolumeTest, NetworkShareRoot) {
    VolumeSystem& volumes = NativeVolumes();
    EXPECT_EQ(volumes.RootOf("\\\\server\\share\\music\\a.mp3"), "\\\\server\\share\\");
    EXPECT_EQ(volumes.RootOf("\\\\server\\share"), "\\\\server\\share\\");
    EXPECT_EQ(volumes.RootOf("\\\\server"), "");
    EXPECT_EQ(volumes.RootOf("\\\\\\share\\x"), "");
    EXPECT_EQ(volumes.RootOf("C:\\Music\\a.mp3"), "C:\\");
}

TEST(NativeVolumeTest, MissingDriveIsNeitherReachableNorReadable) {
    VolumeSystem& volumes = NativeVolumes();
    // Find a letter that names no drive.
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
    // /proc is a file system of its own on every Linux system.
    if (volumes.RootOf("/proc/self/status") == "/proc/") {
        std::string label;
        uint32_t serial = 0;
        ASSERT_TRUE(volumes.Information("/proc/", label, serial));
        EXPECT_EQ(label, "/proc");
        std::string rootLabel;
        uint32_t rootSerial = 0;
        ASSERT_TRUE(volumes.Information("/", rootLabel, rootSerial));
        EXPECT_NE(serial, rootSerial);
    }
    EXPECT_EQ(volumes.RootOf(""), "");
}

TEST(NativeVolumeTest, RelativePathsResolveAgainstTheWorkingDirectory) {
    VolumeSystem& volumes = NativeVolumes();
    const std::string root = volumes.RootOf("some/relative/name.mp3");
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(root[0], '/');
}
#endif

}  // namespace
}  // namespace td
