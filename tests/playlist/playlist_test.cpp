#include "playlist/playlist.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "platform/volume.h"
#include "support/test_support.h"

namespace td {
namespace {

using test::TempDir;
using test::WriteBytes;

// Volumes by drive letter: "A:\..." lies on the volume registered for "A:\".
class FakeVolumes final : public VolumeSystem {
public:
    struct Volume {
        uint32_t driveType;
        bool reachable;
        std::string label;
        uint32_t serial;
        bool readable;
    };
    void Set(const std::string& root, const Volume& volume) { volumes_[root] = volume; }

    std::string RootOf(const std::string& path) override { return path.substr(0, 3); }
    uint32_t DriveType(const std::string& root) override {
        auto it = volumes_.find(root);
        return it == volumes_.end() ? kDriveNoRootDir : it->second.driveType;
    }
    bool IsReachable(const std::string& root) override {
        ++reachabilityChecks;
        auto it = volumes_.find(root);
        return it != volumes_.end() && it->second.reachable;
    }
    bool Information(const std::string& root, std::string& label, uint32_t& serial) override {
        auto it = volumes_.find(root);
        if (it == volumes_.end() || !it->second.readable) return false;
        label = it->second.label;
        serial = it->second.serial;
        return true;
    }
    int reachabilityChecks = 0;

private:
    std::map<std::string, Volume> volumes_;
};

class ScopedVolumes {
public:
    explicit ScopedVolumes(VolumeSystem& volumes) : previous_(SetVolumes(&volumes)) {}
    ~ScopedVolumes() { SetVolumes(previous_); }

private:
    VolumeSystem* previous_;
};

class PlaylistVolumeTest : public ::testing::Test {
protected:
    PlaylistVolumeTest() : scoped_(volumes_) {
        volumes_.Set("C:\\", {kDriveFixed, true, "SYSTEM", 0x11111111, true});
        volumes_.Set("D:\\", {kDriveCdRom, true, "AUDIO_CD", 0x22222222, true});
        volumes_.Set("E:\\", {kDriveRemovable, false, "", 0x33333333, true});
        volumes_.Set("F:\\", {kDriveRemote, true, "", 0, false});
    }
    // Dead entries (no such file): only their name and volume matter here.
    int AddDead(Playlist& list, const std::string& path) { return list.addFile(path); }

    FakeVolumes volumes_;
    ScopedVolumes scoped_;
};

// --- entries ----------------------------------------------------------------

TEST(PlaylistAddFileTest, TakesOnlyMp3AndMp2NamesInAnyCase) {
    Playlist list;
    EXPECT_EQ(list.addFile("Z:\\nowhere\\song.MP3"), 0);
    EXPECT_EQ(list.addFile("Z:\\nowhere\\song.Mp2"), 1);
    EXPECT_EQ(list.addFile("Z:\\nowhere\\song.mp1"), -1);
    EXPECT_EQ(list.addFile("Z:\\nowhere\\song.wav"), -1);
    EXPECT_EQ(list.addFile("Z:\\nowhere\\song"), -1);
    EXPECT_EQ(list.addFile("mp3"), -1);
    EXPECT_EQ(list.addFile(""), -1);
    EXPECT_EQ(list.count(), 2);
}

TEST(PlaylistAddFileTest, MissingFileBecomesDeadEntry) {
    TempDir dir;
    Playlist list;
    const std::string path = dir.Path("gone.mp3");
    ASSERT_EQ(list.addFile(path), 0);
    const SongRecord* entry = list.entryAt(0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->GetFileName(), path);
    EXPECT_EQ(entry->GetTagFlags(), 0u);
    EXPECT_EQ(entry->GetMpegInfo().fileSize, 0);
    EXPECT_EQ(entry->GetMpegInfo().seconds, 0);
    EXPECT_EQ(entry->GetVolumeSerial(), 0u);
}

TEST(PlaylistAddFileTest, ReadsTheFile) {
    TempDir dir;
    std::string frame("\xFF\xFB\x90\x00", 4);
    frame.resize(417, '\0');
    std::string audio;
    while (audio.size() < 41700) audio += frame;
    const std::string path = dir.Path("a.mp3");
    ASSERT_TRUE(WriteBytes(path, audio));
    Playlist list;
    ASSERT_EQ(list.addFile(path), 0);
    EXPECT_EQ(list.entryAt(0)->GetMpegInfo().fileSize, 41700);
    EXPECT_EQ(list.entryAt(0)->GetMpegInfo().bitrate, 128);
}

TEST(PlaylistEntriesTest, AccessByIndexAndIdentity) {
    Playlist list;
    auto owned = std::make_unique<SongRecord>("a.mp3", false);
    SongRecord* first = owned.get();
    EXPECT_EQ(list.add(std::move(owned)), 0);
    EXPECT_EQ(list.append(std::make_unique<SongRecord>("b.mp3", false)), 1);
    EXPECT_EQ(list.add(nullptr), -1);
    EXPECT_EQ(list.append(nullptr), -1);
    EXPECT_EQ(list.entryAt(0), first);
    EXPECT_EQ(list.entryAt(2), nullptr);
    EXPECT_EQ(list.entryAt(-1), nullptr);
    EXPECT_EQ(list.indexOf(first), 0);
    SongRecord stranger("a.mp3", false);
    EXPECT_EQ(list.indexOf(&stranger), -1);
    EXPECT_EQ(list.indexOf(nullptr), -1);
    EXPECT_FALSE(list.removeAt(2));
    EXPECT_TRUE(list.removeAt(0));
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.entryAt(0)->GetFileName(), "b.mp3");
}

// --- volumes ----------------------------------------------------------------

TEST_F(PlaylistVolumeTest, SameDriveRegistersOneVolume) {
    Playlist list;
    EXPECT_EQ(list.registerVolume("C:\\Music\\a.mp3"), 0);
    EXPECT_EQ(list.registerVolume("C:\\Other"), 0);
    ASSERT_EQ(list.volumeCount(), 1);
    const VolumeRecord* volume = list.volumeAt(0);
    EXPECT_STREQ(volume->label, "SYSTEM");
    EXPECT_STREQ(volume->root, "C:\\");
    EXPECT_EQ(volume->serial, 0x11111111u);
    EXPECT_EQ(volume->driveType, kDriveFixed);
    EXPECT_EQ(volume->fileCount, 0);
    EXPECT_EQ(list.currentVolume(), 0);
    // Fixed disks are not probed first.
    EXPECT_EQ(volumes_.reachabilityChecks, 0);
}

TEST_F(PlaylistVolumeTest, RecordIsZeroFilledBeyondItsTexts) {
    Playlist list;
    ASSERT_EQ(list.registerVolume("D:\\x.mp3"), 0);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(list.volumeAt(0));
    for (size_t i = std::strlen("AUDIO_CD"); i < 360; ++i) ASSERT_EQ(bytes[i], 0) << i;
    for (size_t i = 360 + 3; i < 880; ++i) ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(volumes_.reachabilityChecks, 1);
}

TEST_F(PlaylistVolumeTest, SwitchingBackMakesTheFirstVolumeCurrentAgain) {
    Playlist list;
    EXPECT_EQ(list.registerVolume("C:\\a.mp3"), 0);
    EXPECT_EQ(list.registerVolume("D:\\b.mp3"), 1);
    EXPECT_EQ(list.currentVolume(), 1);
    EXPECT_EQ(list.registerVolume("C:\\c.mp3"), 0);
    EXPECT_EQ(list.currentVolume(), 0);
    EXPECT_EQ(list.volumeCount(), 2);
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
    EXPECT_EQ(list.volumeAt(0)->fileCount, 1);
}

TEST_F(PlaylistVolumeTest, AddCountsOnCurrentVolumeOrGivesSerialZero) {
    Playlist list;
    AddDead(list, "C:\\before.mp3");
    EXPECT_EQ(list.entryAt(0)->GetVolumeSerial(), 0u);
    list.registerVolume("C:\\");
    AddDead(list, "C:\\a.mp3");
    AddDead(list, "C:\\b.mp3");
    list.registerVolume("D:\\");
    AddDead(list, "D:\\c.mp3");
    EXPECT_EQ(list.volumeAt(0)->fileCount, 2);
    EXPECT_EQ(list.volumeAt(1)->fileCount, 1);
    EXPECT_EQ(list.entryAt(3)->GetVolumeSerial(), 0x22222222u);
    EXPECT_EQ(list.volumeOf(list.entryAt(1)), list.volumeAt(0));
    EXPECT_EQ(list.volumeOf(list.entryAt(0)), nullptr);
    // append leaves both serial and counts alone.
    auto loaded = std::make_unique<SongRecord>("D:\\d.mp3", false);
    loaded->SetVolumeSerial(0x22222222u);
    list.append(std::move(loaded));
    EXPECT_EQ(list.volumeAt(1)->fileCount, 1);
    EXPECT_EQ(list.entryAt(4)->GetVolumeSerial(), 0x22222222u);
}

TEST_F(PlaylistVolumeTest, RemovingEntriesUncountsAndDropsEmptyVolumes) {
    Playlist list;
    list.registerVolume("C:\\");
    AddDead(list, "C:\\a.mp3");
    AddDead(list, "C:\\b.mp3");
    list.registerVolume("D:\\");
    AddDead(list, "D:\\c.mp3");
    ASSERT_TRUE(list.removeAt(0));
    EXPECT_EQ(list.volumeAt(0)->fileCount, 1);
    ASSERT_TRUE(list.removeAt(0));
    ASSERT_EQ(list.volumeCount(), 1);
    EXPECT_EQ(list.volumeAt(0)->serial, 0x22222222u);
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
}

TEST_F(PlaylistVolumeTest, ClearDropsEverythingAndNoVolumeStaysCurrent) {
    Playlist list;
    list.registerVolume("C:\\");
    AddDead(list, "C:\\a.mp3");
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.volumeCount(), 0);
    // A volume table read from a playlist file does not become current.
    VolumeRecord raw;
    std::memset(&raw, 0, sizeof raw);
    raw.serial = 0x44444444u;
    raw.fileCount = 7;
    ASSERT_EQ(list.appendVolume(&raw), 0);
    AddDead(list, "C:\\b.mp3");
    EXPECT_EQ(list.entryAt(0)->GetVolumeSerial(), 0u);
    EXPECT_EQ(list.volumeAt(0)->fileCount, 7);
}

TEST_F(PlaylistVolumeTest, AppendVolumeKeepsBytesAndDuplicates) {
    Playlist list;
    unsigned char bytes[kVolumeRecordSize];
    for (size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 1);
    EXPECT_EQ(list.appendVolume(bytes), 0);
    EXPECT_EQ(list.appendVolume(bytes), 1);
    EXPECT_EQ(list.appendVolume(nullptr), -1);
    EXPECT_EQ(std::memcmp(list.volumeAt(1), bytes, sizeof bytes), 0);
    EXPECT_EQ(list.volumeAt(2), nullptr);
    EXPECT_EQ(list.volumeAt(-1), nullptr);
}

TEST(PlaylistNativeVolumeTest, RegistersTheVolumeOfATempFile) {
    TempDir dir;
    Playlist list;
    ASSERT_EQ(list.registerVolume(dir.Path("x.mp3")), 0);
    ASSERT_EQ(list.registerVolume(dir.path()), 0);
    EXPECT_EQ(list.volumeCount(), 1);
    const VolumeRecord* volume = list.volumeAt(0);
    EXPECT_EQ(dir.path().compare(0, std::strlen(volume->root), volume->root), 0) << volume->root;
    EXPECT_GE(volume->driveType, kDriveRemovable);
    EXPECT_LE(volume->driveType, kDriveRamDisk);
}

}  // namespace
}  // namespace td
