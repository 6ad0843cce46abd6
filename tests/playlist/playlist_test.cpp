#include "playlist/playlist.h"

#include <gtest/gtest.h>

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
    }
    // Dead entries (no such file): only their name and volume matter here.
    static void AddDead(Playlist& list, const std::string& path) { list.addFile(path); }

    FakeVolumes volumes_;
    ScopedVolumes scoped_;
};

TEST_F(PlaylistVolumeTest, CurrentVolumeFollowsItsRecordWhenAnotherIsDropped) {
    Playlist list;
    list.registerVolume("C:\\");
    AddDead(list, "C:\\a.mp3");
    list.registerVolume("D:\\");
    AddDead(list, "D:\\b.mp3");
    list.registerVolume("C:\\");  // known already: made current, not added again
    EXPECT_EQ(list.volumeCount(), 2);
    EXPECT_EQ(list.currentVolume(), 0);
    list.registerVolume("D:\\");
    ASSERT_EQ(list.removeEntries({list.entryAt(0)}), 1);  // volume C goes, D slides to index 0
    EXPECT_EQ(list.currentVolume(), 0);
    AddDead(list, "D:\\c.mp3");
    EXPECT_EQ(list.entryAt(1)->GetVolumeSerial(), 0x22222222u);
    const VolumeRecord* volume = list.volumeOf(list.entryAt(1));
    ASSERT_NE(volume, nullptr);
    EXPECT_STREQ(volume->label, "AUDIO_CD");
    EXPECT_EQ(list.volumeAt(0)->fileCount, 2);
    // Dropping the current volume itself leaves none current.
    ASSERT_EQ(list.removeEntries({list.entryAt(0)}), 1);
    ASSERT_EQ(list.removeEntries({list.entryAt(0)}), 1);
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
    // Dropping a volume after the first leaves the first in place.
    Playlist two;
    two.registerVolume("C:\\");
    AddDead(two, "C:\\a.mp3");
    two.registerVolume("D:\\");
    AddDead(two, "D:\\b.mp3");
    ASSERT_EQ(two.removeEntries({two.entryAt(1)}), 1);
    ASSERT_EQ(two.volumeCount(), 1);
    EXPECT_EQ(two.volumeAt(0)->serial, 0x11111111u);
}

}  // namespace
}  // namespace td
