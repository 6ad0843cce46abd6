#include "platform/volume.h"

#include <gtest/gtest.h>

#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/posix/posix_volume.h"
#endif
#include "tests/support/test_support.h"

namespace td {
namespace {

#ifdef _WIN32
TEST(NativeVolumeTest, NetworkShareRoots) {
    VolumeSystem& volumes = NativeVolumes();
    EXPECT_EQ(volumes.RootOf("\\\\server\\share\\music\\a.mp3"), "\\\\server\\share\\");
    EXPECT_EQ(volumes.RootOf("\\\\server"), "");
    EXPECT_EQ(volumes.RootOf("\\\\\\share\\x"), "");
}
#else
// The lookup over a fixture of the system's state: a mount table that mounts
// folders of a temporary directory, the label and UUID link folders, and the
// block devices' folders.
TEST(PosixVolumeTest, KindsLabelsAndSerialsFromTheMountTable) {
    test::TempDir dir;
    char real[PATH_MAX];
    ASSERT_NE(::realpath(dir.path().c_str(), real), nullptr);
    const std::string d = real;
    for (const char* name :
         {"nfs share", "usb", "dev", "by-label", "by-uuid", "sys", "sys/sdb", "sys/sdb/sdb1"}) {
        ASSERT_EQ(::mkdir((d + "/" + name).c_str(), 0755), 0) << name;
    }
    ASSERT_TRUE(test::WriteBytes(d + "/sys/sdb/removable", "1\n"));
    ASSERT_EQ(::symlink("sdb/sdb1", (d + "/sys/8:17").c_str()), 0);
    const std::string table =
        "1 0 259:1 / / rw - ext4 /dev/root rw\n"
        "2 1 0:40 / " +
        d +
        "/nfs\\040share rw shared:5 master:1 - nfs4 srv:/export rw\n"
        "3 1 8:25 / " +
        d +
        "/usb rw - ext4 /dev/sdb9 rw\n"
        "4 1 8:17 / " +
        d +
        "/usb rw - vfat /dev/sdb1 rw\n"
        "5 1 8:18 / " +
        d +
        "/usb rw ext4 /dev/sdb2\n"
        "6 1 x:y / " +
        d + "/usb rw - ext4 /dev/sdb3 rw\n";
    ASSERT_TRUE(test::WriteBytes(d + "/mountinfo", table));
    PosixVolumeSources sources;
    sources.mountTable = d + "/mountinfo";
    sources.labelLinks = d + "/by-label";
    sources.uuidLinks = d + "/by-uuid";
    sources.blockDevices = d + "/sys";
    const std::unique_ptr<VolumeSystem> volumes = MakePosixVolumes(sources);

    EXPECT_EQ(volumes->RootOf(d + "/nfs share/album/a.mp3"), d + "/nfs share/");
    EXPECT_EQ(volumes->DriveType(d + "/nfs share/"), kDriveRemote);
    // The last of the mounts on a folder is the one seen there; lines
    // without the separator or with no device numbers are no mounts.
    EXPECT_EQ(volumes->DriveType(d + "/usb/"), kDriveRemovable);
    EXPECT_EQ(volumes->DriveType(d + "/"), kDriveFixed);
    EXPECT_EQ(volumes->RootOf(""), "");

    std::string label;
    uint32_t share = 0;
    ASSERT_TRUE(volumes->Information(d + "/nfs share/", label, share));
    EXPECT_EQ(label, d + "/nfs share");
    // A memory or network file system gets new device numbers at each mount;
    // its serial must not change with them.
    std::string remounted = table;
    remounted.replace(remounted.find("0:40"), 4, "0:77");
    ASSERT_TRUE(test::WriteBytes(d + "/mountinfo", remounted));
    uint32_t again = 0;
    ASSERT_TRUE(MakePosixVolumes(sources)->Information(d + "/nfs share/", label, again));
    EXPECT_EQ(again, share);

    // Without a mount table the folder where the device changes is the root.
    sources.mountTable = d + "/none";
    const std::string root = MakePosixVolumes(sources)->RootOf(d + "/usb");
    EXPECT_FALSE(root.empty());
    EXPECT_EQ((d + "/usb").rfind(root, 0), 0u) << root;

    if (::mknod((d + "/dev/sdb1").c_str(), S_IFBLK | 0600, makedev(8, 17)) != 0) {
        GTEST_SKIP() << "no device nodes here: labels and UUIDs left unchecked";
    }
    ASSERT_EQ(::symlink("../dev/sdb1", (d + "/by-label/MY\\x20MUSIC").c_str()), 0);
    ASSERT_EQ(::symlink("../dev/sdb1", (d + "/by-uuid/ABCD-1234").c_str()), 0);
    uint32_t serial = 0;
    ASSERT_TRUE(volumes->Information(d + "/usb/", label, serial));
    EXPECT_EQ(label, "MY MUSIC");
    EXPECT_EQ(serial, 0xABCD1234u);  // a FAT serial is kept as the system shows it
}
#endif

}  // namespace
}  // namespace td
