#include "playlist/view.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <unordered_set>
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

    Playlist list_;
    PlaylistView view_;
};

TEST_F(ViewTest, DamagedOrExtremeValuesGiveSafeTexts) {
    SongRecord& song = AddSong(list_, "song.mp3");
    MpegInfo& mpeg = song.GetMpegInfo();
    mpeg.mode = 9;
    EXPECT_EQ(Text(song, kColumnMode), " ");
    mpeg.bitrate = 128;
    EXPECT_EQ(Text(song, kColumnBitrate), "128kb/s");
    mpeg.vbr = 1;  // an average over the file
    EXPECT_EQ(Text(song, kColumnBitrate), "128kb/s (VBR)");
    mpeg.seconds = -40;  // damaged playlist file
    EXPECT_EQ(Text(song, kColumnTime), "00:00");
    EXPECT_EQ(shortTimeText(360000), "100:00:00");
    // Sizes above 2 GB are unsigned, as the field is.
    mpeg.fileSize = static_cast<int32_t>(3000000000u);
    view_.setSizeUnit(0);
    EXPECT_EQ(Text(song, kColumnSize), "3000000000");
    view_.setSizeUnit(2);
    EXPECT_EQ(Text(song, kColumnSize), "2861.02 Mb");
    // A volume label read raw from a playlist file may fill its whole field.
    VolumeRecord volume{};
    std::memset(volume.label, 'L', sizeof volume.label);
    volume.serial = 7;
    list_.appendVolume(&volume);
    song.SetVolumeSerial(7);
    EXPECT_EQ(Text(song, kColumnVolume), std::string(sizeof volume.label, 'L'));
    list_.volumeAt(0)->label[2] = '\0';
    EXPECT_EQ(Text(song, kColumnVolume), "LL");
    song.SetRating(6);
    EXPECT_EQ(Text(song, kColumnRating), "");
    EXPECT_EQ(Text(song, kColumnPath), "");
    EXPECT_EQ(Text(song, kColumnShortFileName), "song.mp3");
    SongRecord& deep = AddSong(list_, "C:\\Music/Band\\x.mp3");
    EXPECT_EQ(Text(deep, kColumnPath), "C:\\Music/Band\\");
    EXPECT_EQ(Text(deep, kColumnShortFileName), "x.mp3");
    EXPECT_EQ(view_.columnText(song, 20, -1), "Nothing");
    EXPECT_EQ(view_.columnText(song, -1, -1), "Nothing");
    // Row numbers, when shown, lead the first column of the list only.
    view_.setShowNumber(true);
    EXPECT_EQ(view_.columnText(deep, 0, 7), "7. " + view_.columnText(deep, 0, -1));
    EXPECT_EQ(view_.columnText(deep, 1, 7), view_.columnText(deep, 1, -1));
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
    // Hidden columns keep their stored order, the first column too.
    for (int i = 0; i < kColumnCount; ++i) order[static_cast<size_t>(i)] = i;
    std::swap(order[0], order[1]);
    visible.fill(0);
    visible[1] = 1;
    view_.buildColumns(order, visible, width, 1234);
    EXPECT_EQ(view_.columnIdAt(0), 1);
    EXPECT_EQ(view_.columnIdAt(1), 0);
}

TEST_F(ViewTest, TiesFollowThePlaylistAfterItChanges) {
    AddSong(list_, "a.mp3");
    SongRecord& b = AddSong(list_, "b.mp3");
    SongRecord& c = AddSong(list_, "c.mp3");
    view_.setRows({&c, &b});
    view_.sortById(kColumnTitle, false);
    EXPECT_EQ(view_.entryAt(0), &b);
    // The record added after a removal may take the removed one's memory.
    ASSERT_EQ(list_.removeEntries({list_.entryAt(0)}), 1);
    SongRecord& d = AddSong(list_, "d.mp3");
    view_.setRows({&d, &c});
    view_.sortById(kColumnTitle, false);
    EXPECT_EQ(view_.entryAt(0), &c);
    EXPECT_EQ(view_.entryAt(1), &d);
    // Rows whose entries are not in the Playlist tie after the others, in row order.
    SongRecord stranger("e.mp3", false);
    SongRecord other("f.mp3", false);
    view_.setRows({&stranger, &other, &c});
    view_.sortById(kColumnBpm, false);
    EXPECT_EQ(view_.entryAt(0), &c);
    EXPECT_EQ(view_.entryAt(1), &stranger);
}

TEST_F(ViewTest, CapitalsAndAccentedLettersSortWithTheirBaseLetters) {
    // Added out of order; the expected order is that of the titles.
    // Two titles alike past the bytes a sort keeps inline; the first two
    // share one letter, which the others do not.
    const std::string alike = "q" + std::string(20, 'x');
    const std::vector<std::string> titles = {"Zz", "Zb", "ab", "Fa", "\xE0z",
                                             "\xC9"
                                             "b",
                                             alike + "b", alike + "a"};
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
                                                "Fa", alike + "a", alike + "b", "Zb", "Zz"}));
    // The entry-by-entry comparison, which checks a sort's order, agrees.
    for (int row = 0; row + 1 < view_.rowCount(); ++row) {
        EXPECT_LT(view_.compareEntries(*view_.entryAt(row), *view_.entryAt(row + 1)), 0) << row;
    }
}

TEST_F(ViewTest, SnapshotSelectsItsEntriesAgainWhereverTheyAre) {
    SongRecord& a = AddSong(list_, "a.mp3");
    SongRecord& b = AddSong(list_, "b.mp3");
    SongRecord& c = AddSong(list_, "c.mp3");
    view_.rebuildFromPlaylist();
    view_.setSelected(1, true);
    view_.takeSnapshot();
    // Another entry's rows going leaves the remembered selection whole.
    view_.removeRowsOf(std::unordered_set<const SongRecord*>{&c});
    view_.setRows({&b, &a});
    view_.restoreSnapshot();
    EXPECT_TRUE(view_.isSelected(0));
    EXPECT_FALSE(view_.isSelected(1));
    EXPECT_EQ(view_.selectEntries({&a, &b}), 0);
    EXPECT_EQ(view_.selectedCount(), 2);
    EXPECT_EQ(view_.rowOf(&a), 1);
    // An entry whose row went is found nowhere, not past the last row.
    ASSERT_TRUE(view_.removeRow(1));
    EXPECT_EQ(view_.selectEntries({&a}), -1);
    EXPECT_EQ(view_.selectedCount(), 0);
    EXPECT_EQ(view_.rowOf(&a), -1);
    // New forgets the remembered entries.
    view_.setSelected(0, true);
    view_.clearSnapshot();
    view_.restoreSnapshot();
    EXPECT_EQ(view_.selectedCount(), 0);
}

// A header click sorts ascending; a second click on it flips the direction.
TEST_F(ViewTest, HeaderClicksSortThenFlipTheDirection) {
    SongRecord& titledB = AddSong(list_, "a.mp3");
    SetV1(titledB, "", "B");
    SongRecord& titledA = AddSong(list_, "b.mp3");
    SetV1(titledA, "", "A");
    view_.rebuildFromPlaylist();
    Settings settings;
    view_.sortByClick(1, &settings);
    EXPECT_EQ(view_.entryAt(0), &titledA);
    view_.sortByClick(1, &settings);
    EXPECT_EQ(view_.entryAt(0), &titledB);
    EXPECT_EQ(settings.getSortKey(), -kColumnTitle);
    EXPECT_EQ(view_.sortPosition(), 1);  // where the header shows its mark
    view_.sortByClick(kColumnCount, &settings);  // past the columns
    EXPECT_EQ(settings.getSortKey(), -kColumnTitle);
    view_.sortByClick(view_.positionOfColumn(0), &settings);  // the first column sorts as well
    EXPECT_EQ(settings.getSortKey(), 0);
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
    EXPECT_EQ(view_.statusText(kStatusFiles), "Total files: 3");
    EXPECT_EQ(view_.statusText(kStatusTotal), "Total length:  1 hours  2 minutes and  5 seconds");
    EXPECT_EQ(longTimeText(125), " 2 minutes and  5 seconds");  // under an hour
    EXPECT_EQ(view_.statusText(kStatusSelected), "Sel length: 01:02:05");
    EXPECT_EQ(view_.statusText(kStatusSource), "ID3v1");
    view_.setViewSource(3);
    EXPECT_EQ(view_.statusText(kStatusSource), "v1->v2");
    EXPECT_STREQ(viewSourceName(4), "ID3v1");
    EXPECT_STREQ(viewSourceName(-1), "ID3v1");
    EXPECT_TRUE(view_.removeRow(0));
    EXPECT_EQ(view_.totalLength(), 3600);
    EXPECT_EQ(view_.selectedLength(), 3600);
    EXPECT_FALSE(view_.removeRow(view_.rowCount()));
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
    EXPECT_EQ(FormatLangText("%f %n %d", {4, 1.5}), "%f %n 4");
    EXPECT_EQ(FormatLangText("%05d %#x|%o|%d%", {42, 255, 8, -3}), "00042 0xff|10|-3%");
    EXPECT_EQ(FormatLangText("%c|%3c", {65, 256 + 66}), "A|  B");  // a character is one byte
    EXPECT_EQ(FormatLangText("%.255f|", {1e300}).size(), 301u + 1u + 255u + 1u);  // not cut
}

}  // namespace
}  // namespace td
