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
#ifndef _WIN32
    EXPECT_FALSE(label1.empty());  // the mount point stands in for a label
    EXPECT_NE(serial1, 0u);
#endif
}

#ifdef _WIN32
TEST(NativeVolumeTest, NetworkShareRoots) {
    VolumeSystem& volumes = NativeVolumes();
    EXPECT_EQ(volumes.RootOf("\\\\server\\share\\music\\a.mp3"), "\\\\server\\share\\");
    EXPECT_EQ(volumes.RootOf("\\\\server"), "");
    EXPECT_EQ(volumes.RootOf("\\\\\\share\\x"), "");
}
#else
TEST(NativeVolumeTest, RootIsTheMountPointOfThePath) {
    VolumeSystem& volumes = NativeVolumes();
    EXPECT_EQ(volumes.RootOf("/"), "/");
    EXPECT_EQ(volumes.RootOf(""), "");
    EXPECT_EQ(volumes.RootOf("some/relative/name.mp3")[0], '/');
}

TEST(NativeVolumeTest, PathFarLongerThanTheSystemTakesHasTheRootOfItsFolder) {
    // A playlist line can name anything; a 10 MB one of five million
    // folders must be answered as quickly as a short one.
    test::TempDir dir;
    VolumeSystem& volumes = NativeVolumes();
    std::string deep = dir.path();
    deep.reserve(deep.size() + 10000010);
    for (int i = 0; i < 5000000; ++i) deep += "/d";
    deep += "/x.mp3";
    EXPECT_EQ(volumes.RootOf(deep), volumes.RootOf(dir.path()));
    const std::string flat = dir.path() + "/" + std::string(10000000, 'n') + ".mp3";
    EXPECT_EQ(volumes.RootOf(flat), volumes.RootOf(dir.path()));
}
#endif

}  // namespace
}  // namespace td
