#include "playlist/view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "playlist/text_format.h"
#include "settings/lang_table.h"
#include "support/test_support.h"
#include "tags/id3v2/frame.h"

namespace td {
namespace {

using test::TempDir;
using test::WriteBytes;

// --- building entries -------------------------------------------------------

// A record built in memory, as a playlist file gives them.
std::unique_ptr<SongRecord> Song(const std::string& path) {
    auto record = std::make_unique<SongRecord>(path, false);
    std::memset(&record->GetMpegInfo(), 0, sizeof(MpegInfo));
    return record;
}

void SetV2(SongRecord& record, int type, const std::string& text) {
    record.AddFrame(new Id3v2FieldFrame(type, text), true);
    record.SetTagFlags(record.GetTagFlags() | kTagId3v2);
}

Id3v1Tag Block(const char* title, const char* artist, const char* album, const char* year,
               const char* comment, uint8_t genre, uint32_t track) {
    Id3v1Tag block;
    std::memset(&block, 0, sizeof block);
    // The fields are zero-filled above, so copying at most their width keeps them terminated.
    auto put = [](char* field, const char* text, size_t width) {
        std::memcpy(field, text, std::min(std::strlen(text), width));
    };
    put(block.title, title, 30);
    put(block.artist, artist, 30);
    put(block.album, album, 30);
    put(block.year, year, 4);
    put(block.comment, comment, 30);
    block.genre = genre;
    block.track = track;
    return block;
}

// `size` bytes of MPEG audio frames starting with the 4-byte `header`.
std::string Audio(const std::string& header, size_t frameSize, size_t size) {
    std::string frame = header;
    frame.resize(frameSize, '\0');
    std::string audio;
    while (audio.size() < size) audio += frame;
    audio.resize(size);
    return audio;
}

class ViewTest : public ::testing::Test {
protected:
    ViewTest() : view_(list_) { LangTable::useBuiltinEnglish(); }

    SongRecord& Add(std::unique_ptr<SongRecord> record) {
        SongRecord& ref = *record;
        list_.append(std::move(record));
        return ref;
    }
    std::string Text(const SongRecord& entry, int id) const {
        return view_.columnTextById(entry, id);
    }
    std::vector<std::string> RowNames() const {
        std::vector<std::string> names;
        for (const ViewRow& row : view_.rows()) names.push_back(row.entry->GetFileName());
        return names;
    }

    Playlist list_;
    PlaylistView view_;
};

// --- column table -----------------------------------------------------------

TEST_F(ViewTest, ColumnTableTitlesKeysAndDefaults) {
    const char* titles[kColumnCount] = {"Artist", "Title", "Genre", "Year", "Album",
                                        "Comment", "Mode", "Bitrate", "Freq.", "Layer",
                                        "Time", "Size", "File name", "Track#", "ID3Tag",
                                        "BPM", "Volume", "Path", "Filename (short)", "Rating"};
    const char* keys[kColumnCount] = {"ARTIST", "TITLE", "GENRE", "YEAR", "ALBUM",
                                      "COMMENT", "MODE", "BITRATE", "FREQ", "LAYER",
                                      "TIME", "SIZE", "FILENAME", "TRACK", "ID3TAG",
                                      "BPM", "HEADER_VOLUMENAME", "PATH", "SHORT_FILENAME",
                                      "RATING"};
    for (int id = 0; id < kColumnCount; ++id) {
        EXPECT_STREQ(columnTitle(id), titles[id]) << id;
        EXPECT_STREQ(columnDef(id).key, keys[id]) << id;
        EXPECT_EQ(columnDef(id).id, id);
        EXPECT_EQ(columnDef(id).shown, kDefaultColumnVisible[id]) << id;
        EXPECT_EQ(columnDef(id).width, kDefaultColumnWidth[id]) << id;
        EXPECT_LE(std::strlen(columnDef(id).key), 27u);
    }
    EXPECT_EQ(columnDef(kColumnBitrate).align, 1);
    EXPECT_EQ(columnDef(kColumnTrack).align, 1);
    EXPECT_EQ(columnDef(kColumnArtist).align, 0);
    EXPECT_EQ(columnDef(kColumnBpm).tag, 1);
    EXPECT_EQ(columnDef(kColumnPath).tag, 0);
}

TEST_F(ViewTest, TitlesFollowTheLanguage) {
    const char french[] = "#87 \"Artiste\"\r\n#339 \"Nom court\"\r\n";
    LangTable::useLanguageImage(french, sizeof french - 1);
    EXPECT_STREQ(columnTitle(kColumnArtist), "Artiste");
    EXPECT_STREQ(columnTitle(kColumnShortFileName), "Nom court");
    EXPECT_STREQ(columnTitle(kColumnTitle), "");
    LangTable::useBuiltinEnglish();
    EXPECT_STREQ(columnTitle(kColumnArtist), "Artist");
}

// --- column texts -----------------------------------------------------------

TEST_F(ViewTest, EveryColumnOfTaggedFilesReadFromDisk) {
    TempDir dir;
    // MPEG-1 layer III, 128 kbit/s, 44100 Hz, joint stereo: 10 seconds.
    const std::string path = dir.Path("tagged.mp3");
    ASSERT_TRUE(WriteBytes(path, Audio(std::string("\xFF\xFB\x90\x40", 4), 417, 160000)));
    {
        SongRecord writer(path, true);
        SetV2(writer, kTPE1, "V2 Artist");
        SetV2(writer, kTIT2, "V2 Title");
        SetV2(writer, kTCON, "Jazz");
        SetV2(writer, kTYER, "2001");
        SetV2(writer, kTALB, "");
        SetV2(writer, kCOMM, "V2 comment");
        SetV2(writer, kTRCK, "7/12");
        SetV2(writer, kTBPM, "120");
        const Id3v1Tag block = Block("V1 Title", "V1 Artist", "V1 Album", "1999", "V1 c", 18, 3);
        writer.SetId3v1(&block);
        writer.SetTagFlags(3);
        ASSERT_EQ(writer.SaveTags(), 0);
    }
    // MPEG-2.5 layer III, 64 kbit/s, 11025 Hz, single channel, no tags.
    const std::string plain = dir.Path("plain song.MP3");
    ASSERT_TRUE(WriteBytes(plain, Audio(std::string("\xFF\xE3\x80\xC0", 4), 417, 50000)));

    ASSERT_EQ(list_.addFile(path), 0);
    ASSERT_EQ(list_.addFile(plain), 1);
    const SongRecord& tagged = *list_.entryAt(0);
    const SongRecord& untagged = *list_.entryAt(1);

    view_.setViewSource(1);
    EXPECT_EQ(Text(tagged, kColumnArtist), "V2 Artist");
    EXPECT_EQ(Text(tagged, kColumnTitle), "V2 Title");
    EXPECT_EQ(Text(tagged, kColumnGenre), "Jazz");
    EXPECT_EQ(Text(tagged, kColumnYear), "2001");
    EXPECT_EQ(Text(tagged, kColumnAlbum), "");
    EXPECT_EQ(Text(tagged, kColumnComment), "V2 comment");
    EXPECT_EQ(Text(tagged, kColumnTrack), "7/12");
    EXPECT_EQ(Text(tagged, kColumnBpm), "120");
    EXPECT_EQ(Text(tagged, kColumnMode), "Joint-Stereo");
    EXPECT_EQ(Text(tagged, kColumnBitrate), "128kb/s");
    EXPECT_EQ(Text(tagged, kColumnFrequency), "44100Hz");
    EXPECT_EQ(Text(tagged, kColumnLayer), "MPEG 1, layer 3");
    EXPECT_EQ(Text(tagged, kColumnTime), "00:10");
    const uint32_t size = static_cast<uint32_t>(tagged.GetMpegInfo().fileSize);
    EXPECT_GT(size, 160000u + 128u);
    EXPECT_EQ(Text(tagged, kColumnSize), std::to_string(size / 1024) + " kb");
    EXPECT_EQ(Text(tagged, kColumnFileName), path);
    EXPECT_EQ(Text(tagged, kColumnId3Tag), "ID3v1+v2");
    EXPECT_EQ(Text(tagged, kColumnVolume), "");
    EXPECT_EQ(Text(tagged, kColumnPath), dir.path() + kPathSeparator);
    EXPECT_EQ(Text(tagged, kColumnShortFileName), "tagged.mp3");
    EXPECT_EQ(Text(tagged, kColumnRating), "");

    view_.setViewSource(0);
    EXPECT_EQ(Text(tagged, kColumnArtist), "V1 Artist");
    EXPECT_EQ(Text(tagged, kColumnAlbum), "V1 Album");
    EXPECT_EQ(Text(tagged, kColumnGenre), "Rock");
    EXPECT_EQ(Text(tagged, kColumnTrack), "3");
    EXPECT_EQ(Text(tagged, kColumnBpm), " ");  // ID3v1 has no BPM: the blank stays
    view_.setViewSource(2);                    // ID3v2, empty fields from ID3v1
    EXPECT_EQ(Text(tagged, kColumnAlbum), "V1 Album");
    EXPECT_EQ(Text(tagged, kColumnTitle), "V2 Title");
    view_.setViewSource(3);                    // ID3v1, empty fields from ID3v2
    EXPECT_EQ(Text(tagged, kColumnBpm), "120");
    EXPECT_EQ(Text(tagged, kColumnTitle), "V1 Title");

    view_.setViewSource(1);
    EXPECT_EQ(Text(untagged, kColumnArtist), "Plain song.MP3");  // the file-name artist
    EXPECT_EQ(Text(untagged, kColumnTitle), " ");
    EXPECT_EQ(Text(untagged, kColumnMode), "Single-Channel");
    EXPECT_EQ(Text(untagged, kColumnBitrate), "64kb/s");
    EXPECT_EQ(Text(untagged, kColumnFrequency), "11025Hz");
    EXPECT_EQ(Text(untagged, kColumnLayer), "MPEG 2.5, layer 3");
    EXPECT_EQ(Text(untagged, kColumnSize), "48 kb");
    EXPECT_EQ(Text(untagged, kColumnId3Tag), "None");
}

TEST_F(ViewTest, DeadEntryShowsZeroTimeAndNoTag) {
    TempDir dir;
    ASSERT_EQ(list_.addFile(dir.Path("missing.mp3")), 0);
    const SongRecord& dead = *list_.entryAt(0);
    EXPECT_EQ(Text(dead, kColumnTime), "00:00");
    EXPECT_EQ(Text(dead, kColumnId3Tag), "None");
    EXPECT_EQ(Text(dead, kColumnSize), "0 kb");
    EXPECT_EQ(Text(dead, kColumnMode), "Stereo");
}

TEST_F(ViewTest, StreamTexts) {
    SongRecord& song = Add(Song("x.mp3"));
    MpegInfo& mpeg = song.GetMpegInfo();
    const char* modes[] = {"Stereo", "Joint-Stereo", "Dual-Channel", "Single-Channel"};
    for (int mode = 0; mode < 4; ++mode) {
        mpeg.mode = mode;
        EXPECT_EQ(Text(song, kColumnMode), modes[mode]);
    }
    mpeg.mode = 9;
    EXPECT_EQ(Text(song, kColumnMode), " ");
    mpeg.bitrate = 187;
    mpeg.vbr = 1;
    EXPECT_EQ(Text(song, kColumnBitrate), "187kb/s (VBR)");
    mpeg.lsf = 1;
    mpeg.layer = 2;
    EXPECT_EQ(Text(song, kColumnLayer), "MPEG 2, layer 2");
}

TEST_F(ViewTest, TimeTextsShortLongAndInSeconds) {
    SongRecord& song = Add(Song("x.mp3"));
    song.GetMpegInfo().seconds = 3725;
    EXPECT_EQ(Text(song, kColumnTime), "01:02:05");
    view_.setSecondsOnly(true);
    EXPECT_EQ(Text(song, kColumnTime), "3725");
    view_.setSecondsOnly(false);
    song.GetMpegInfo().seconds = 65;
    EXPECT_EQ(Text(song, kColumnTime), "01:05");
    song.GetMpegInfo().seconds = -40;  // damaged playlist file
    EXPECT_EQ(Text(song, kColumnTime), "00:00");

    EXPECT_EQ(ShortTimeText(0), "00:00");
    EXPECT_EQ(ShortTimeText(360000), "100:00:00");
    EXPECT_EQ(LongTimeText(3725), " 1 hours  2 minutes and  5 seconds");
    EXPECT_EQ(LongTimeText(65), " 1 minutes and  5 seconds");
}

TEST_F(ViewTest, SizeInEachUnit) {
    SongRecord& song = Add(Song("x.mp3"));
    song.GetMpegInfo().fileSize = 5000000;
    EXPECT_EQ(Text(song, kColumnSize), "4882 kb");
    view_.setSizeUnit(2);
    EXPECT_EQ(Text(song, kColumnSize), "4.77 Mb");
    view_.setSizeUnit(0);
    EXPECT_EQ(Text(song, kColumnSize), "5000000");
    // Sizes above 2 GB are unsigned, as the field is.
    song.GetMpegInfo().fileSize = static_cast<int32_t>(3000000000u);
    EXPECT_EQ(Text(song, kColumnSize), "3000000000");
}

TEST_F(ViewTest, NameParts) {
    SongRecord& windows = Add(Song("C:\\Music\\Band\\song.mp3"));
    SongRecord& bare = Add(Song("song.mp3"));
    EXPECT_EQ(Text(windows, kColumnPath), "C:\\Music\\Band\\");
    EXPECT_EQ(Text(windows, kColumnShortFileName), "song.mp3");
    EXPECT_EQ(Text(bare, kColumnPath), "");
    EXPECT_EQ(Text(bare, kColumnShortFileName), "song.mp3");
    EXPECT_EQ(Text(bare, kColumnFileName), "song.mp3");
}

TEST_F(ViewTest, RatingAndTagKindTexts) {
    SongRecord& song = Add(Song("x.mp3"));
    const char* stars[] = {"", "*", "**", "***", "****", "*****", "", ""};
    for (int rating = 0; rating < 8; ++rating) {
        song.SetRating(rating);
        EXPECT_EQ(Text(song, kColumnRating), stars[rating]) << rating;
    }
    const char* kinds[] = {"None", "ID3v1", "ID3v2", "ID3v1+v2"};
    for (uint32_t flags = 0; flags < 4; ++flags) {
        song.SetTagFlags(flags);
        EXPECT_EQ(Text(song, kColumnId3Tag), kinds[flags]);
    }
}

TEST_F(ViewTest, VolumeLabelOfTheEntry) {
    VolumeRecord raw;
    std::memset(&raw, 0, sizeof raw);
    std::strcpy(raw.label, "MUSIC");
    raw.serial = 77;
    list_.appendVolume(&raw);
    std::memset(raw.label, 'L', sizeof raw.label);  // no terminator at all
    raw.serial = 78;
    list_.appendVolume(&raw);
    SongRecord& on = Add(Song("a.mp3"));
    on.SetVolumeSerial(77);
    SongRecord& unterminated = Add(Song("b.mp3"));
    unterminated.SetVolumeSerial(78);
    SongRecord& off = Add(Song("c.mp3"));
    off.SetVolumeSerial(99);
    EXPECT_EQ(Text(on, kColumnVolume), "MUSIC");
    EXPECT_EQ(Text(unterminated, kColumnVolume), std::string(360, 'L'));
    EXPECT_EQ(Text(off, kColumnVolume), "");
}

TEST_F(ViewTest, RowNumberOnlyInTheFirstColumnOfTheList) {
    SongRecord& song = Add(Song("x.mp3"));
    SetV2(song, kTPE1, "Band");
    view_.setViewSource(1);
    EXPECT_EQ(view_.columnText(song, 0, 5), "Band");
    view_.setShowNumber(true);
    EXPECT_EQ(view_.columnText(song, 0, 5), "5. Band");
    EXPECT_EQ(view_.columnText(song, 0, -1), "Band");  // exports
    EXPECT_EQ(view_.columnText(song, 1, 5), " ");
    // A position that shows no column.
    EXPECT_EQ(view_.columnText(song, 20, -1), "Nothing");
    EXPECT_EQ(view_.columnText(song, -1, -1), "Nothing");
}

// --- columns ----------------------------------------------------------------

TEST_F(ViewTest, DefaultColumnsAreTheFirstSixteen) {
    Settings settings;
    view_.buildColumns(settings);
    EXPECT_EQ(view_.columnCount(), 16);
    EXPECT_EQ(settings.visibleColumnCount, 16);
    for (int i = 0; i < kColumnCount; ++i) EXPECT_EQ(view_.columnIdAt(i), i);
    EXPECT_EQ(view_.columnWidthAt(12), 400);
    EXPECT_EQ(view_.columnIdAt(20), -1);
}

TEST_F(ViewTest, ShownColumnsInOrderThenHiddenOnes) {
    std::array<int32_t, kColumnCount> order{}, visible{}, width{};
    const int32_t wanted[kColumnCount] = {19, 12, 0, 5, 1, 2, 3, 4, 6, 7,
                                          8, 9, 10, 11, 13, 14, 15, 16, 17, 18};
    for (int i = 0; i < kColumnCount; ++i) {
        order[i] = wanted[i];
        width[i] = 10 + i;
    }
    visible[19] = visible[12] = visible[0] = 1;
    view_.buildColumns(order, visible, width, -12);
    EXPECT_EQ(view_.columnCount(), 3);
    EXPECT_EQ(view_.columnIdAt(0), 19);
    EXPECT_EQ(view_.columnIdAt(1), 12);
    EXPECT_EQ(view_.columnIdAt(2), 0);
    EXPECT_EQ(view_.columnIdAt(3), 5);
    EXPECT_EQ(view_.columnWidthAt(0), 29);
    // Rebuilding sorts ascending by the stored column.
    EXPECT_EQ(view_.sortColumnId(), 12);
    EXPECT_FALSE(view_.sortDescending());
    EXPECT_EQ(view_.sortPosition(), 1);
}

TEST_F(ViewTest, DamagedColumnOrderStillPlacesEveryIdOnce) {
    std::array<int32_t, kColumnCount> order{}, visible{}, width{};
    order.fill(3);  // every position names column 3
    order[1] = 99;
    visible.fill(1);
    view_.buildColumns(order, visible, width, 1234);
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

TEST_F(ViewTest, SavingTheLayoutAfterTheUserMovedAndResizedColumns) {
    Settings settings;
    view_.buildColumns(settings);
    view_.moveColumn(2, 0);  // Genre to the front
    view_.setColumnWidthAt(0, 33);
    view_.saveColumns(settings);
    EXPECT_EQ(settings.columnOrder[0], 2);
    EXPECT_EQ(settings.columnOrder[1], 0);
    EXPECT_EQ(settings.columnOrder[2], 1);
    EXPECT_EQ(settings.columnOrder[16], 16);
    EXPECT_EQ(settings.columnWidth[2], 33);
    EXPECT_EQ(settings.visibleColumnCount, 16);
    // Still every id once.
    std::vector<int> ids(settings.columnOrder, settings.columnOrder + kColumnCount);
    std::sort(ids.begin(), ids.end());
    for (int i = 0; i < kColumnCount; ++i) EXPECT_EQ(ids[i], i);
}

// --- sorting ----------------------------------------------------------------

class ViewSortTest : public ViewTest {
protected:
    // Four songs with ties in most columns; insertion order a, b, c, d.
    void SetUp() override {
        SongRecord& a = Add(Song("C:\\B\\a.mp3"));
        SongRecord& b = Add(Song("C:\\A\\b.mp3"));
        SongRecord& c = Add(Song("C:\\B\\C.mp3"));
        SongRecord& d = Add(Song("C:\\A\\d.mp3"));
        SongRecord* songs[] = {&a, &b, &c, &d};
        const char* artists[] = {"beta", "Alpha", "BETA", "gamma"};
        const char* titles[] = {"Song", "song", "Zed", "\xC9lan"};
        const char* tracks[] = {"10", "2", "2/9", ""};
        const char* bpms[] = {"120", "95", "abc", "120"};
        const int rates[] = {128, 96, 320, 128};
        const int freqs[] = {44100, 32000, 48000, 44100};
        const int seconds[] = {200, 100, 200, 50};
        const uint32_t sizes[] = {3000000000u, 5000, 40000, 5000};
        const int ratings[] = {3, 0, 5, 3};
        const uint32_t flags[] = {2, 0, 3, 2};
        const int layers[] = {3, 2, 3, 1};
        const int modes[] = {1, 0, 3, 1};
        for (int i = 0; i < 4; ++i) {
            SongRecord& s = *songs[i];
            SetV2(s, kTPE1, artists[i]);
            SetV2(s, kTIT2, titles[i]);
            if (*tracks[i]) SetV2(s, kTRCK, tracks[i]);
            SetV2(s, kTBPM, bpms[i]);
            SetV2(s, kTCON, "Pop");
            s.SetTagFlags(flags[i]);
            MpegInfo& m = s.GetMpegInfo();
            m.bitrate = rates[i];
            m.frequency = freqs[i];
            m.seconds = seconds[i];
            m.fileSize = static_cast<int32_t>(sizes[i]);
            m.layer = layers[i];
            m.mode = modes[i];
            s.SetRating(ratings[i]);
        }
        VolumeRecord raw;
        std::memset(&raw, 0, sizeof raw);
        std::strcpy(raw.label, "zeta");
        raw.serial = 1;
        list_.appendVolume(&raw);
        std::strcpy(raw.label, "Eta");
        raw.serial = 2;
        list_.appendVolume(&raw);
        a.SetVolumeSerial(1);
        c.SetVolumeSerial(2);
        view_.setViewSource(1);
        view_.rebuildFromPlaylist();
    }
    using Names = std::vector<std::string>;
    Names Sorted(int id, bool descending) {
        view_.sortById(id, descending);
        Names short_names;
        for (const std::string& name : RowNames()) short_names.push_back(name.substr(5));
        return short_names;
    }
};

TEST_F(ViewSortTest, EachColumnBothWaysWithTiesInInsertionOrder) {
    struct Case {
        int id;
        Names ascending;
        Names descending;
    };
    const Case cases[] = {
        {kColumnArtist, {"b.mp3", "a.mp3", "C.mp3", "d.mp3"}, {"d.mp3", "a.mp3", "C.mp3", "b.mp3"}},
        {kColumnTitle, {"d.mp3", "a.mp3", "b.mp3", "C.mp3"}, {"C.mp3", "a.mp3", "b.mp3", "d.mp3"}},
        {kColumnGenre, {"a.mp3", "b.mp3", "C.mp3", "d.mp3"}, {"a.mp3", "b.mp3", "C.mp3", "d.mp3"}},
        {kColumnMode, {"a.mp3", "d.mp3", "C.mp3", "b.mp3"}, {"b.mp3", "C.mp3", "a.mp3", "d.mp3"}},
        {kColumnBitrate, {"b.mp3", "a.mp3", "d.mp3", "C.mp3"}, {"C.mp3", "a.mp3", "d.mp3", "b.mp3"}},
        {kColumnFrequency, {"b.mp3", "a.mp3", "d.mp3", "C.mp3"}, {"C.mp3", "a.mp3", "d.mp3", "b.mp3"}},
        {kColumnLayer, {"d.mp3", "b.mp3", "a.mp3", "C.mp3"}, {"a.mp3", "C.mp3", "b.mp3", "d.mp3"}},
        {kColumnTime, {"d.mp3", "b.mp3", "a.mp3", "C.mp3"}, {"a.mp3", "C.mp3", "b.mp3", "d.mp3"}},
        {kColumnSize, {"b.mp3", "d.mp3", "C.mp3", "a.mp3"}, {"a.mp3", "C.mp3", "b.mp3", "d.mp3"}},
        {kColumnFileName, {"b.mp3", "d.mp3", "a.mp3", "C.mp3"}, {"C.mp3", "a.mp3", "d.mp3", "b.mp3"}},
        {kColumnTrack, {"d.mp3", "b.mp3", "C.mp3", "a.mp3"}, {"a.mp3", "b.mp3", "C.mp3", "d.mp3"}},
        {kColumnId3Tag, {"b.mp3", "a.mp3", "d.mp3", "C.mp3"}, {"C.mp3", "a.mp3", "d.mp3", "b.mp3"}},
        {kColumnBpm, {"C.mp3", "b.mp3", "a.mp3", "d.mp3"}, {"a.mp3", "d.mp3", "b.mp3", "C.mp3"}},
        {kColumnVolume, {"b.mp3", "d.mp3", "C.mp3", "a.mp3"}, {"a.mp3", "C.mp3", "b.mp3", "d.mp3"}},
        {kColumnPath, {"b.mp3", "d.mp3", "a.mp3", "C.mp3"}, {"a.mp3", "C.mp3", "b.mp3", "d.mp3"}},
        {kColumnShortFileName, {"a.mp3", "b.mp3", "C.mp3", "d.mp3"}, {"d.mp3", "C.mp3", "b.mp3", "a.mp3"}},
        {kColumnRating, {"b.mp3", "a.mp3", "d.mp3", "C.mp3"}, {"C.mp3", "a.mp3", "d.mp3", "b.mp3"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sorted(c.id, false), c.ascending) << "column " << c.id;
        EXPECT_EQ(Sorted(c.id, true), c.descending) << "column " << c.id << " descending";
    }
}

TEST_F(ViewSortTest, EveryColumnAgreesWithCompareEntries) {
    for (int id = 0; id < kColumnCount; ++id) {
        for (bool descending : {false, true}) {
            view_.sortById(id, descending);
            for (int row = 0; row + 1 < view_.rowCount(); ++row) {
                const SongRecord& a = *view_.entryAt(row);
                const SongRecord& b = *view_.entryAt(row + 1);
                const int c = view_.compareEntries(a, b);
                EXPECT_LE(c, 0) << id;
                if (c == 0) {
                    EXPECT_LT(list_.indexOf(&a), list_.indexOf(&b)) << id;
                }
            }
        }
    }
}

TEST_F(ViewSortTest, CompareEntriesResults) {
    const SongRecord& a = *list_.entryAt(0);
    const SongRecord& b = *list_.entryAt(1);
    view_.sortById(kColumnTitle, false);
    EXPECT_EQ(view_.compareEntries(a, b), 0);  // "Song" and "song"
    view_.sortById(kColumnTrack, false);
    EXPECT_EQ(view_.compareEntries(b, a), -1);  // 2 before 10
    view_.sortById(kColumnFrequency, true);
    EXPECT_EQ(view_.compareEntries(b, a), 1);  // 32000 Hz after 44100 Hz, descending
    EXPECT_EQ(view_.compareById(b, a, kColumnFrequency), -1);
}

TEST_F(ViewSortTest, AccentedLettersSortBesideTheirBaseLetter) {
    const SongRecord& d = *list_.entryAt(3);
    SetV2(*list_.entryAt(3), kTIT2, "\xC9lan");  // Élan in Windows-1252
    SetV2(*list_.entryAt(2), kTIT2, "Fable");
    SetV2(*list_.entryAt(1), kTIT2, "elan");
    SetV2(*list_.entryAt(0), kTIT2, "Dune");
    EXPECT_EQ(Sorted(kColumnTitle, false), (Names{"a.mp3", "b.mp3", "d.mp3", "C.mp3"}));
    EXPECT_NE(view_.compareById(d, *list_.entryAt(1), kColumnTitle), 0);
}

TEST_F(ViewSortTest, HeaderClicksFlipTheDirectionAndStoreTheKey) {
    Settings settings;
    view_.buildColumns(settings);
    const int timePosition = view_.positionOfColumn(kColumnTime);
    view_.sortByClick(timePosition, &settings);
    EXPECT_EQ(view_.sortColumnId(), kColumnTime);
    EXPECT_FALSE(view_.sortDescending());
    EXPECT_EQ(settings.getSortKey(), kColumnTime);
    view_.sortByClick(timePosition, &settings);
    EXPECT_TRUE(view_.sortDescending());
    EXPECT_EQ(settings.getSortKey(), -kColumnTime);
    EXPECT_EQ(view_.sortKey(), -kColumnTime);
    EXPECT_EQ(view_.entryAt(0)->GetMpegInfo().seconds, 200);
    view_.sortByClick(view_.positionOfColumn(kColumnSize), &settings);
    EXPECT_FALSE(view_.sortDescending());
    EXPECT_EQ(settings.getSortKey(), kColumnSize);
}

TEST_F(ViewSortTest, SelectionAndFocusTravelWithTheRows) {
    view_.setSelected(1, true);  // b
    const SongRecord* b = view_.entryAt(1);
    view_.sortById(kColumnTime, false);
    EXPECT_EQ(view_.selectedEntries(), std::vector<SongRecord*>{const_cast<SongRecord*>(b)});
    EXPECT_TRUE(view_.isSelected(view_.rowOf(b)));
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
    for (uint32_t serial = 1; serial <= 3; ++serial) {
        VolumeRecord raw;
        std::memset(&raw, 0, sizeof raw);
        std::snprintf(raw.label, sizeof raw.label, "%s", text().c_str());
        raw.serial = serial;
        list_.appendVolume(&raw);
    }
    for (int i = 0; i < 600; ++i) {
        SongRecord& s = Add(Song("C:\\Music\\" + text() + "\\" + text() + ".mp3"));
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

TEST_F(ViewTest, OptionsFromTheSettings) {
    Settings settings;
    settings.viewInfoFrom = 3;
    settings.showNumber = 1;
    view_.applyOptions(settings);
    EXPECT_EQ(view_.viewSource(), 3);
    EXPECT_TRUE(view_.showNumber());
    settings.viewInfoFrom = 42;  // out of range in a damaged file
    settings.showNumber = 0;
    view_.applyOptions(settings);
    EXPECT_EQ(view_.viewSource(), 0);
    EXPECT_FALSE(view_.showNumber());
    view_.setSizeUnit(5);
    EXPECT_EQ(view_.sizeUnit(), 1);
}

// --- rows, totals and status ------------------------------------------------

TEST_F(ViewTest, EmptyViewStatus) {
    view_.rebuildFromPlaylist();
    EXPECT_EQ(view_.statusText(kStatusFiles), "Total files: 0");
    EXPECT_EQ(view_.statusText(kStatusAverage), "Avg length: 00:00");
    EXPECT_EQ(view_.statusText(kStatusTotal), "Total length:  0 minutes and  0 seconds");
    EXPECT_EQ(view_.statusText(kStatusSelected), "Sel length: 00:00");
    EXPECT_EQ(view_.statusText(kStatusSource), "ID3v1");
    EXPECT_EQ(view_.statusText(5), "");
    EXPECT_EQ(view_.averageLength(), 0);
}

TEST_F(ViewTest, StatusTextsOfEachSourceAndTotals) {
    const char* names[] = {"ID3v1", "ID3v2", "v2->v1", "v1->v2"};
    for (int source = 0; source < 4; ++source) {
        view_.setViewSource(source);
        EXPECT_EQ(view_.statusText(kStatusSource), names[source]);
    }
    view_.setViewSource(7);
    EXPECT_EQ(view_.viewSource(), 0);

    Add(Song("a.mp3")).GetMpegInfo().seconds = 3600;
    Add(Song("b.mp3")).GetMpegInfo().seconds = 125;
    Add(Song("c.mp3")).GetMpegInfo().seconds = 0;
    view_.rebuildFromPlaylist();
    EXPECT_EQ(view_.totalLength(), 3725);
    EXPECT_EQ(view_.averageLength(), 1241);
    EXPECT_EQ(view_.statusText(kStatusFiles), "Total files: 3");
    EXPECT_EQ(view_.statusText(kStatusTotal), "Total length:  1 hours  2 minutes and  5 seconds");
    EXPECT_EQ(view_.statusText(kStatusAverage), "Avg length: 20:41");
}

TEST_F(ViewTest, TotalsFollowAppendedInsertedAndRemovedRows) {
    SongRecord& a = Add(Song("a.mp3"));
    a.GetMpegInfo().seconds = 10;
    SongRecord& b = Add(Song("b.mp3"));
    b.GetMpegInfo().seconds = 20;
    SongRecord& c = Add(Song("c.mp3"));
    c.GetMpegInfo().seconds = -5;  // counts as 0
    EXPECT_EQ(view_.appendRow(&a), 0);
    EXPECT_EQ(view_.insertRow(0, &b), 0);
    EXPECT_EQ(view_.insertRow(99, &c), 2);
    EXPECT_EQ(view_.appendRow(nullptr), -1);
    EXPECT_EQ(view_.totalLength(), 30);
    EXPECT_EQ(view_.imageAt(0), 0);
    view_.setSelected(0, true);
    EXPECT_EQ(view_.selectedLength(), 20);
    EXPECT_TRUE(view_.removeRow(0));
    EXPECT_EQ(view_.totalLength(), 10);
    EXPECT_EQ(view_.selectedLength(), 0);
    EXPECT_FALSE(view_.removeRow(5));
    view_.removeRowsOf(&a);
    EXPECT_EQ(view_.rowCount(), 1);
    view_.clearRows();
    EXPECT_EQ(view_.totalLength(), 0);
}

TEST_F(ViewTest, SelectedLengthPerRowAndWhenRecomputed) {
    for (int i = 1; i <= 4; ++i) Add(Song(std::to_string(i) + ".mp3")).GetMpegInfo().seconds = 60 * i;
    view_.rebuildFromPlaylist();
    view_.setSelected(1, true);
    view_.setSelected(3, true);
    view_.setSelected(3, true);  // no change, no double count
    EXPECT_EQ(view_.selectedLength(), 360);
    EXPECT_EQ(view_.statusText(kStatusSelected), "Sel length: 06:00");
    view_.setSelected(1, false);
    EXPECT_EQ(view_.selectedLength(), 240);
    view_.suspendSelectionUpdates(true);
    view_.setSelected(0, true);
    EXPECT_EQ(view_.selectedLength(), 240);
    view_.suspendSelectionUpdates(false);
    view_.recomputeSelectedLength();
    EXPECT_EQ(view_.selectedLength(), 300);
    view_.selectAll(true);
    EXPECT_EQ(view_.selectedLength(), view_.totalLength());
    EXPECT_EQ(view_.selectedCount(), 4);
    view_.selectAll(false);
    EXPECT_EQ(view_.selectedLength(), 0);
}

TEST_F(ViewTest, StatusTextsFromALanguageFileCannotMisreadArguments) {
    Add(Song("a.mp3"));
    view_.rebuildFromPlaylist();
    const char texts[] = "#115 \"Fichiers : %s %d %i\"#121 \"Dur\xE9" "e : %s %s %n\"";
    LangTable::useLanguageImage(texts, sizeof texts - 1);
    EXPECT_EQ(view_.statusText(kStatusFiles), "Fichiers : %s 1 %i");
    // The long time text's own format (123) is missing from this file.
    EXPECT_EQ(view_.statusText(kStatusTotal), "Dur\xE9" "e :  %s %n");
    LangTable::useBuiltinEnglish();
}

// --- selection snapshot -----------------------------------------------------

TEST_F(ViewTest, SnapshotCarriesTheSelectionAcrossARebuild) {
    for (int i = 0; i < 5; ++i) Add(Song(std::to_string(i) + ".mp3")).GetMpegInfo().seconds = 10;
    view_.rebuildFromPlaylist();
    view_.setSelected(3, true);
    view_.setSelected(1, true);
    view_.takeSnapshot();
    EXPECT_EQ(view_.snapshotCount(), 2);
    ASSERT_EQ(view_.snapshotList().size(), 2u);
    EXPECT_EQ(view_.snapshotList()[0], list_.entryAt(1));

    // Rebuild in another order, without entry 1.
    view_.setRows({list_.entryAt(4), list_.entryAt(3), list_.entryAt(0)});
    EXPECT_EQ(view_.selectedCount(), 0);
    view_.setSelected(2, true);
    EXPECT_EQ(view_.restoreSnapshot(), 1);
    EXPECT_EQ(view_.focusRow(), 1);
    EXPECT_EQ(view_.selectedEntries(), std::vector<SongRecord*>{list_.entryAt(3)});
    EXPECT_EQ(view_.selectedLength(), 10);
}

TEST_F(ViewTest, EmptySelectionKeepsTheOldListButRestoresNothing) {
    for (int i = 0; i < 3; ++i) Add(Song(std::to_string(i) + ".mp3"));
    view_.rebuildFromPlaylist();
    view_.setSelected(0, true);
    view_.takeSnapshot();
    view_.selectAll(false);
    view_.takeSnapshot();
    EXPECT_EQ(view_.snapshotCount(), 0);
    EXPECT_EQ(view_.snapshotList().size(), 1u);
    view_.setSelected(2, true);
    EXPECT_EQ(view_.restoreSnapshot(), -1);
    EXPECT_EQ(view_.selectedCount(), 0);
    view_.clearSnapshot();
    EXPECT_TRUE(view_.snapshotList().empty());
}

// --- language text formatting -----------------------------------------------

TEST(FormatLangTextTest, ConversionsTakeOnlyArgumentsOfTheirKind) {
    EXPECT_EQ(FormatLangText("%2d hours %2d", {1, 22}), " 1 hours 22");
    EXPECT_EQ(FormatLangText("%i files, %u kb, %-3d|", {4, 5u, 6}), "4 files, 5 kb, 6  |");
    EXPECT_EQ(FormatLangText("%s: %s", {"a"}), "a: %s");
    EXPECT_EQ(FormatLangText("%s %d", {7, "x"}), "%s 7");
    EXPECT_EQ(FormatLangText("100%% %q %", {}), "100% %q %");
    EXPECT_EQ(FormatLangText("%ld %lu %I64d", {1, 2, 3}), "1 2 3");
    EXPECT_EQ(FormatLangText("%999999999d|", {1}), "%999999999d|");
    EXPECT_EQ(FormatLangText("%*d", {1, 2}), "%*d");
    EXPECT_EQ(FormatLangText(nullptr, {1}), "");
    EXPECT_EQ(FormatLangText("%05.2d", {-3}), "  -03");
    // Reals only for real conversions, and integers never for them.
    EXPECT_EQ(FormatLangText("%d songs, %.1f MB", {3, 2.25}), "3 songs, 2.2 MB");
    EXPECT_EQ(FormatLangText("%f %d", {4, 1.5}), "%f 4");
    EXPECT_EQ(FormatLangText("%.255f|", {1e300}).size(), 301u + 1u + 255u + 1u);  // not cut
}

}  // namespace
}  // namespace td
