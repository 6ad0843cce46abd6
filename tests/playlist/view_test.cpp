#include "playlist/view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "playlist/text_format.h"
#include "settings/settings.h"
#include "settings/lang_table.h"
#include "window/test_songs.h"

namespace td {
namespace {

using namespace test;

class ViewTest : public ::testing::Test {
protected:
    ViewTest() : view_(list_) { LangTable::useBuiltinEnglish(); }

    std::string Text(const SongRecord& entry, int id) const { return view_.columnTextById(entry, id); }
    void AddVolume(const char* label, uint32_t serial) {
        VolumeRecord raw;
        std::memset(&raw, 0, sizeof raw);
        std::snprintf(raw.label, sizeof raw.label, "%s", label);
        raw.serial = serial;
        list_.appendVolume(&raw);
    }

    Playlist list_;
    PlaylistView view_;
};

TEST_F(ViewTest, EachSourceFillsEmptyFieldsFromTheOtherTag) {
    SongRecord& song = AddSong(list_, "/m/x.mp3");
    SetV2(song, kTIT2, "V2 Title");
    SetV2(song, kTALB, "");
    SetV2(song, kTBPM, "120");
    SetV1(song, "V1 Artist", "V1 Title", "V1 Album", "", "", 18);
    song.SetTagFlags(3);
    view_.setViewSource(0);
    EXPECT_EQ(Text(song, kColumnGenre), "Rock");
    EXPECT_EQ(Text(song, kColumnBpm), " ");  // ID3v1 has no BPM: the blank stays
    view_.setViewSource(1);
    EXPECT_EQ(Text(song, kColumnAlbum), "");
    view_.setViewSource(2);  // ID3v2, empty fields from ID3v1
    EXPECT_EQ(Text(song, kColumnAlbum), "V1 Album");
    EXPECT_EQ(Text(song, kColumnTitle), "V2 Title");
    view_.setViewSource(3);  // ID3v1, empty fields from ID3v2
    EXPECT_EQ(Text(song, kColumnBpm), "120");
    EXPECT_EQ(Text(song, kColumnTitle), "V1 Title");
}

TEST_F(ViewTest, DamagedOrExtremeValuesGiveSafeTexts) {
    SongRecord& song = AddSong(list_, "song.mp3");
    MpegInfo& mpeg = song.GetMpegInfo();
    mpeg.mode = 9;
    EXPECT_EQ(Text(song, kColumnMode), " ");
    mpeg.seconds = -40;  // damaged playlist file
    EXPECT_EQ(Text(song, kColumnTime), "00:00");
    EXPECT_EQ(shortTimeText(360000), "100:00:00");
    // Sizes above 2 GB are unsigned, as the field is.
    mpeg.fileSize = static_cast<int32_t>(3000000000u);
    view_.setSizeUnit(0);
    EXPECT_EQ(Text(song, kColumnSize), "3000000000");
    song.SetRating(6);
    EXPECT_EQ(Text(song, kColumnRating), "");
    EXPECT_EQ(Text(song, kColumnPath), "");
    EXPECT_EQ(Text(song, kColumnShortFileName), "song.mp3");
    SongRecord& deep = AddSong(list_, "C:\\Music/Band\\x.mp3");
    EXPECT_EQ(Text(deep, kColumnPath), "C:\\Music/Band\\");
    EXPECT_EQ(Text(deep, kColumnShortFileName), "x.mp3");
    EXPECT_EQ(view_.columnText(song, 20, -1), "Nothing");
    EXPECT_EQ(view_.columnText(song, -1, -1), "Nothing");
}

TEST_F(ViewTest, VolumeLabelWithoutTerminatorStopsAtTheField) {
    AddVolume("MUSIC", 77);
    VolumeRecord raw;
    std::memset(&raw, 'L', sizeof raw.label);
    raw.serial = 78;
    list_.appendVolume(&raw);
    const std::pair<uint32_t, std::string> cases[] = {{77, "MUSIC"}, {78, std::string(360, 'L')}, {99, ""}};
    for (const auto& [serial, label] : cases) {
        SongRecord& song = AddSong(list_, "a.mp3");
        song.SetVolumeSerial(serial);
        EXPECT_EQ(Text(song, kColumnVolume), label) << serial;
    }
}

TEST_F(ViewTest, DamagedColumnOrderStillPlacesEveryIdOnce) {
    // A new view shows the columns of a new settings record, at their widths.
    const Settings defaults;
    int shown = 0;
    for (int id = 0; id < kColumnCount; ++id) shown += defaults.isColumnVisible(id) ? 1 : 0;
    EXPECT_EQ(view_.columnCount(), shown);
    for (int i = 0; i < kColumnCount; ++i) {
        EXPECT_EQ(view_.columnWidthAt(i), defaults.columnWidthOf(view_.columnIdAt(i))) << i;
    }
    Settings stored;
    stored.columnWidth[kColumnArtist] = 77;
    view_.buildColumns(stored);
    EXPECT_EQ(view_.columnWidthAt(0), 77);
    std::array<int32_t, kColumnCount> order{}, visible{}, width{};
    order.fill(3);  // every position names column 3
    order[1] = 99;
    visible.fill(1);
    view_.buildColumns(order, visible, width, 1234);
    EXPECT_EQ(view_.columnCount(), 1);
    view_.setColumnWidthAt(kColumnCount, 50);  // no such position: nothing written
    EXPECT_EQ(view_.columnCount(), 1);
    std::vector<bool> seen(kColumnCount, false);
    for (int i = 0; i < kColumnCount; ++i) {
        const int id = view_.columnIdAt(i);
        ASSERT_GE(id, 0);
        ASSERT_LT(id, kColumnCount);
        EXPECT_FALSE(seen[id]);
        seen[id] = true;
    }
    EXPECT_EQ(view_.sortColumnId(), 0);
}

TEST_F(ViewTest, RandomRowsSortLikeCompareEntriesInEveryColumn) {
    // Texts over a few letters, accents and cases, often sharing long heads,
    // so that keys tie beyond their inline bytes.
    std::mt19937 rng(7);
    const char* pieces[] = {"a", "A", "e", "\xE9", "\xC9", "b", " ", "-", "z", "prefix prefix "};
    auto text = [&] {
        std::string t;
        const int n = static_cast<int>(rng() % 6);
        for (int i = 0; i < n; ++i) t += pieces[rng() % 10];
        return t;
    };
    for (uint32_t serial = 1; serial <= 3; ++serial) AddVolume(text().c_str(), serial);
    for (int i = 0; i < 600; ++i) {
        SongRecord& s = AddSong(list_, "C:\\Music\\" + text() + "\\" + text() + ".mp3");
        for (int type : {kTPE1, kTIT2, kTCON, kTYER, kTALB, kCOMM}) {
            if (rng() % 4) SetV2(s, type, text());
        }
        if (rng() % 2) SetV2(s, kTRCK, std::to_string(rng() % 30));
        if (rng() % 2) SetV2(s, kTBPM, std::to_string(rng() % 200) + text());
        MpegInfo& m = s.GetMpegInfo();
        m.bitrate = static_cast<int>(rng() % 5) * 32;
        m.frequency = static_cast<int>(rng() % 3) * 16000;
        m.layer = static_cast<int>(rng() % 4);
        m.mode = static_cast<int>(rng() % 5);
        m.seconds = static_cast<int>(rng() % 50) - 5;
        m.fileSize = static_cast<int32_t>(rng());
        s.SetTagFlags(rng() % 4);
        s.SetRating(static_cast<int>(rng() % 8));
        s.SetVolumeSerial(rng() % 5);
    }
    // A shuffled subset, so that rows and Playlist differ.
    std::vector<SongRecord*> subset;
    for (int i = 0; i < list_.count(); ++i) {
        if (rng() % 5) subset.push_back(list_.entryAt(i));
    }
    std::shuffle(subset.begin(), subset.end(), rng);
    for (int source = 0; source < 4; ++source) {
        view_.setViewSource(source);
        view_.setRows(subset);
        for (int id = 0; id < kColumnCount; ++id) {
            for (bool descending : {false, true}) {
                view_.sortById(id, descending);
                ASSERT_EQ(view_.rowCount(), static_cast<int>(subset.size()));
                for (int row = 0; row + 1 < view_.rowCount(); ++row) {
                    const SongRecord& a = *view_.entryAt(row);
                    const SongRecord& b = *view_.entryAt(row + 1);
                    const int c = view_.compareEntries(a, b);
                    ASSERT_LE(c, 0) << "column " << id << " source " << source << " row " << row;
                    if (c == 0) {
                        ASSERT_LT(list_.indexOf(&a), list_.indexOf(&b)) << "column " << id;
                    }
                }
            }
        }
    }
}

TEST_F(ViewTest, TiesFollowThePlaylistAfterItChanges) {
    AddSong(list_, "a.mp3");
    SongRecord& b = AddSong(list_, "b.mp3");
    SongRecord& c = AddSong(list_, "c.mp3");
    view_.setRows({&c, &b});
    view_.sortById(kColumnTitle, false);
    EXPECT_EQ(view_.entryAt(0), &b);
    // The record added after a removal may take the removed one's memory.
    ASSERT_TRUE(list_.removeAt(0));
    SongRecord& d = AddSong(list_, "d.mp3");
    view_.setRows({&d, &c});
    view_.sortById(kColumnTitle, false);
    EXPECT_EQ(view_.entryAt(0), &c);
    EXPECT_EQ(view_.entryAt(1), &d);
    // A row whose entry is not in the Playlist ties after the others.
    SongRecord stranger("e.mp3", false);
    view_.setRows({&stranger, &c});
    view_.sortById(kColumnBpm, false);
    EXPECT_EQ(view_.entryAt(0), &c);
}

TEST_F(ViewTest, CapitalsAndAccentedLettersSortWithTheirBaseLetters) {
    // Added out of order; the expected order is that of the titles.
    const std::vector<std::string> titles = {"g", "ab", "Fa", "\xE0z",
                                             "\xC9"
                                             "b"};
    for (const std::string& title : titles) SetV2(AddSong(list_, title + ".mp3"), kTIT2, title);
    view_.setViewSource(1);
    view_.rebuildFromPlaylist();
    view_.sortById(kColumnTitle, false);
    std::vector<std::string> sorted;
    for (int row = 0; row < view_.rowCount(); ++row)
        sorted.push_back(Text(*view_.entryAt(row), kColumnTitle));
    EXPECT_EQ(sorted, (std::vector<std::string>{"ab", "\xE0z",
                                                "\xC9"
                                                "b",
                                                "Fa", "g"}));
}

TEST_F(ViewTest, SnapshotSelectsItsEntriesAgainWhereverTheyAre) {
    SongRecord& a = AddSong(list_, "a.mp3");
    SongRecord& b = AddSong(list_, "b.mp3");
    AddSong(list_, "c.mp3");
    view_.rebuildFromPlaylist();
    view_.setSelected(1, true);
    view_.takeSnapshot();
    view_.setRows({&b, &a});
    EXPECT_EQ(view_.restoreSnapshot(), 0);
    EXPECT_TRUE(view_.isSelected(0));
    EXPECT_FALSE(view_.isSelected(1));
    // The focus stays on its row while other rows go, and goes with it. An
    // entry whose row went is found nowhere, not past the last row.
    ASSERT_TRUE(view_.removeRow(1));
    EXPECT_EQ(view_.focusRow(), 0);
    EXPECT_EQ(view_.selectEntries({&a}), -1);
    EXPECT_EQ(view_.selectedCount(), 0);
    ASSERT_TRUE(view_.removeRow(0));
    EXPECT_EQ(view_.focusRow(), -1);
}

TEST_F(ViewTest, TotalsAndSelectedLengthFollowTheRows) {
    view_.rebuildFromPlaylist();
    EXPECT_EQ(view_.statusText(kStatusAverage), "Avg length: 00:00");  // no division by zero
    SongRecord& a = AddSong(list_, "a.mp3", 3600);
    SongRecord& b = AddSong(list_, "b.mp3", 125);
    SongRecord& c = AddSong(list_, "c.mp3", -5);  // counts as 0
    EXPECT_EQ(view_.appendRow(&a), 0);
    EXPECT_EQ(view_.insertRow(0, &b), 0);
    EXPECT_EQ(view_.insertRow(99, &c), 2);
    EXPECT_EQ(view_.appendRow(nullptr), -1);
    EXPECT_EQ(view_.totalLength(), 3725);
    EXPECT_EQ(view_.statusText(kStatusAverage), "Avg length: 20:41");
    view_.setSelected(0, true);
    view_.setSelected(0, true);  // no change, no double count
    view_.suspendSelectionUpdates(true);
    view_.setSelected(1, true);
    EXPECT_EQ(view_.selectedLength(), 125);
    view_.suspendSelectionUpdates(false);
    view_.recomputeSelectedLength();
    EXPECT_EQ(view_.selectedLength(), 3725);
    EXPECT_TRUE(view_.removeRow(0));
    EXPECT_EQ(view_.totalLength(), 3600);
    EXPECT_EQ(view_.selectedLength(), 3600);
    EXPECT_FALSE(view_.removeRow(5));
    view_.removeRowsOf(view_.entryAt(0));
    EXPECT_EQ(view_.rowCount(), 1);
    EXPECT_EQ(view_.entryAt(1), nullptr);
    EXPECT_EQ(view_.entryAt(-1), nullptr);
}

TEST(FormatLangTextTest, ConversionsTakeOnlyArgumentsOfTheirKind) {
    EXPECT_EQ(FormatLangText("%i files, %u kb, %-3d|", {4, 5u, 6}), "4 files, 5 kb, 6  |");
    EXPECT_EQ(FormatLangText("%s: %s", {"a"}), "a: %s");
    EXPECT_EQ(FormatLangText("%s %d", {7, "x"}), "%s 7");
    EXPECT_EQ(FormatLangText("%999999999d|", {1}), "%999999999d|");
    // The widest field a text may ask for is 255 characters.
    EXPECT_EQ(FormatLangText("%255d|", {1}), std::string(254, ' ') + "1|");
    EXPECT_EQ(FormatLangText("%256d|", {1}), "%256d|");
    EXPECT_EQ(FormatLangText(nullptr, {1}), "");
    // Length modifiers of language files are read past, whichever they are.
    EXPECT_EQ(FormatLangText("%lu s, %hd, %zd, %I64d", {60, 1, 2, 3}), "60 s, 1, 2, 3");
    EXPECT_EQ(FormatLangText("%d songs, %.1f MB", {3, 2.25}), "3 songs, 2.2 MB");
    EXPECT_EQ(FormatLangText("%f %d", {4, 1.5}), "%f 4");
    EXPECT_EQ(FormatLangText("%x|%o|%d", {255, 8, -3}), "ff|10|-3");
    EXPECT_EQ(FormatLangText("%.255f|", {1e300}).size(), 301u + 1u + 255u + 1u);  // not cut
}

}  // namespace
}  // namespace td
