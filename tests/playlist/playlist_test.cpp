#include "playlist/playlist.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/volume.h"
#include "support/test_support.h"

namespace td {
namespace {

using test::FakeVolumes;
using test::ScopedVolumes;

class PlaylistVolumeTest : public ::testing::Test {
protected:
    PlaylistVolumeTest() : scoped_(volumes_) {
        volumes_.Set("C:\\", {kDriveFixed, true, "SYSTEM", 0x11111111, true});
        volumes_.Set("D:\\", {kDriveCdRom, true, "AUDIO_CD", 0x22222222, true});
        volumes_.Set("E:\\", {kDriveRemovable, false, "", 0x33333333, true});
        volumes_.Set("F:\\", {kDriveRemote, true, "", 0, false});
    }
    // Dead entries (no such file): only their name and volume matter here.
    static void AddDead(Playlist& list, const std::string& path) { list.addFile(path); }

    FakeVolumes volumes_;
    ScopedVolumes scoped_;
};

TEST_F(PlaylistVolumeTest, RecordIsZeroFilledBeyondItsTexts) {
    Playlist list;
    ASSERT_EQ(list.registerVolume("D:\\x.mp3"), 0);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(list.volumeAt(0));
    for (size_t i = std::strlen("AUDIO_CD"); i < 360; ++i) ASSERT_EQ(bytes[i], 0) << i;
    for (size_t i = 360 + 3; i < 880; ++i) ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(volumes_.reachabilityChecks, 1);
}

TEST_F(PlaylistVolumeTest, UnreachableOrUnreadableVolumeLeavesCurrentAsItWas) {
    Playlist list;
    ASSERT_EQ(list.registerVolume("C:\\a.mp3"), 0);
    EXPECT_EQ(list.registerVolume("E:\\b.mp3"), -1);  // no medium
    EXPECT_EQ(list.registerVolume("F:\\c.mp3"), -1);  // no information
    EXPECT_EQ(list.registerVolume("Q:\\d.mp3"), -1);  // no such drive
    EXPECT_EQ(list.currentVolume(), 0);
    EXPECT_EQ(list.volumeCount(), 1);
    // Songs added now are counted on the earlier volume.
    AddDead(list, "E:\\b.mp3");
    EXPECT_EQ(list.entryAt(0)->GetVolumeSerial(), 0x11111111u);
    EXPECT_EQ(list.indexOf(list.entryAt(0)), 0);
    EXPECT_EQ(list.volumeAt(0)->fileCount, 1);
    // No entry just past the end, nor before the start.
    EXPECT_EQ(list.entryAt(1), nullptr);
    EXPECT_EQ(list.entryAt(-1), nullptr);
}

TEST_F(PlaylistVolumeTest, CurrentVolumeFollowsItsRecordWhenAnotherIsDropped) {
    Playlist list;
    list.registerVolume("C:\\");
    AddDead(list, "C:\\a.mp3");
    list.registerVolume("D:\\");
    AddDead(list, "D:\\b.mp3");
    ASSERT_TRUE(list.removeAt(0));  // volume C goes, D slides to index 0
    EXPECT_EQ(list.currentVolume(), 0);
    AddDead(list, "D:\\c.mp3");
    EXPECT_EQ(list.entryAt(1)->GetVolumeSerial(), 0x22222222u);
    EXPECT_EQ(list.volumeAt(0)->fileCount, 2);
    // Dropping the current volume itself leaves none current.
    ASSERT_TRUE(list.removeAt(0));
    ASSERT_TRUE(list.removeAt(0));
    EXPECT_EQ(list.volumeCount(), 0);
    EXPECT_EQ(list.currentVolume(), -1);
    AddDead(list, "D:\\d.mp3");
    EXPECT_EQ(list.entryAt(0)->GetVolumeSerial(), 0u);
    // A cleared list has no current volume, whatever volumes come next.
    list.registerVolume("C:\\");
    list.clear();
    VolumeRecord raw{};
    for (uint32_t serial : {7u, 8u, 9u}) {
        raw.serial = serial;
        list.appendVolume(&raw);
    }
    AddDead(list, "D:\\e.mp3");
    EXPECT_EQ(list.entryAt(0)->GetVolumeSerial(), 0u);
}

}  // namespace
}  // namespace td
