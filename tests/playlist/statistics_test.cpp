#include "playlist/statistics.h"

#include <gtest/gtest.h>

#include <string>

#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "window/test_songs.h"

namespace td {
namespace {

using namespace test;

const std::string kSep = "________________________________________________\r\n";

std::string TagLines(int none, int v1, int v2, int both) {
    return "\t" + std::to_string(none) + ":\tNo Tag\r\n\t" + std::to_string(v1) + ":\tID3v1\r\n\t" +
           std::to_string(v2) + ":\tID3v2\r\n\t" + std::to_string(both) + ":\tID3v1+v2\r\n";
}

std::string ModeLines(int stereo, int joint, int dual, int single) {
    return "\t" + std::to_string(stereo) + ":\tStereo\r\n\t" + std::to_string(joint) +
           ":\tJoint-Stereo\r\n\t" + std::to_string(dual) + ":\tDual-Channel\r\n\t" + std::to_string(single) +
           ":\tSingle-Channel\r\n";
}

class StatisticsTest : public ::testing::Test {
protected:
    StatisticsTest() : view_(list_) {
        LangTable::useBuiltinEnglish();
        view_.setViewSource(1);
    }

    std::string Whole() {
        recountGenres(list_, view_.viewSource(), genres_);
        return playlistReport(list_, view_, true, genres_);
    }

    Playlist list_;
    PlaylistView view_;
    GenreTable genres_;
};

TEST_F(StatisticsTest, WholePlaylistReportIsExact) {
    SongRecord& a = AddSong(list_, "/m/a.mp3", 65, 1500, 0);
    SetV2(a, kTPE1, "Beta");
    SetV2(a, kTCON, "Rock");
    SongRecord& b = AddSong(list_, "/m/b.mp3", 0, 4100, 1);
    SetV2(b, kTPE1, "alpha");
    SetV2(b, kTCON, "rock");
    AddSong(list_, "/m/c.mp3", 10, 0, 3);  // no tag: genre 0, no artist

    // 1 + 4 + 0 whole kilobytes: 5 / 1024 prints as 0.00, one more would print 0.01.
    const std::string expected =
        "GENERAL\r\n\tTotal files: 3\r\n\tTotal size: 0.00 MB\r\n"
        "\tAvg file size: 0.00 MB\r\n\tTotal length: 01:15\r\n" +
        kSep + "ID3TAG\r\n" + TagLines(1, 0, 2, 0) + kSep + "GENRE\r\n" + "\t2:\tRock\r\n\t1:\t???\r\n" +
        kSep + "MODE\r\n" + ModeLines(1, 1, 0, 1) + kSep + "ARTIST\r\n\tBeta\r\n\talpha\r\n";
    EXPECT_EQ(Whole(), expected);
}

TEST_F(StatisticsTest, SelectionCountsOnlySelectedRowsShownAndHasNoGenreBreakdown) {
    SongRecord& a = AddSong(list_, "/m/a.mp3", 100, 4096, 2);
    SetV2(a, kTPE1, "One");
    SongRecord& b = AddSong(list_, "/m/b.mp3", 200, 8192, 0);
    SetV2(b, kTPE1, "Two");
    SongRecord& c = AddSong(list_, "/m/c.mp3", 300, 8192, 0);
    SetV1(c, "Three", "t");
    // A filtered view showing b and c, with c selected; a is not shown.
    view_.setRows({&b, &c});
    view_.setSelected(1, true);
    view_.setViewSource(3);
    recountGenres(list_, 3, genres_);
    const std::string report = playlistReport(list_, view_, false, genres_);
    const std::string expected =
        "GENERAL\r\n\tTotal files: 1\r\n\tTotal size: 0.01 MB\r\n"
        "\tAvg file size: 0.01 MB\r\n\tTotal length: 05:00\r\n" +
        kSep + "ID3TAG\r\n" + TagLines(0, 1, 0, 0) + kSep + "MODE\r\n" + ModeLines(1, 0, 0, 0) + kSep +
        "ARTIST\r\n\tThree\r\n";
    EXPECT_EQ(report, expected);
    EXPECT_EQ(playlistReportCaption(false), "Properties of the selection");
    EXPECT_EQ(playlistReportCaption(true), "Playlist information");
}

TEST_F(StatisticsTest, NothingToCountGivesZerosWithoutDividing) {
    const std::string expected =
        "GENERAL\r\n\tTotal files: 0\r\n\tTotal size: 0.00 MB\r\n"
        "\tAvg file size: 0.00 MB\r\n\tTotal length: 00:00\r\n" +
        kSep + "ID3TAG\r\n" + TagLines(0, 0, 0, 0) + kSep + "GENRE\r\n" + kSep + "MODE\r\n" +
        ModeLines(0, 0, 0, 0) + kSep + "ARTIST\r\n";
    EXPECT_EQ(Whole(), expected);
    AddSong(list_, "/m/a.mp3", -50, 2048, 7);  // negative length, mode 7: out of the counts
    const std::string report = Whole();
    EXPECT_NE(report.find("Total length: 00:00\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("MODE\r\n" + ModeLines(0, 0, 0, 0)), std::string::npos) << report;
    view_.rebuildFromPlaylist();  // nothing selected
    EXPECT_NE(playlistReport(list_, view_, false, genres_).find("Total files: 0\r\n"), std::string::npos);
}

}  // namespace
}  // namespace td
