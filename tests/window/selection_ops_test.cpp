#include "window/selection_ops.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playlist/playlist.h"
#include "playlist/view.h"
#include "support/test_support.h"
#include "tags/song_record.h"
#include "window/status_progress.h"
#include "window/test_songs.h"

namespace td {
namespace {

using test::AddSong;
using test::SetV1;
using test::SetV2;

std::vector<std::string> RowNames(const PlaylistView& view) {
    std::vector<std::string> names;
    for (const ViewRow& row : view.rows()) names.push_back(row.entry->GetFileName());
    return names;
}

std::vector<std::string> EntryNames(const Playlist& playlist) {
    std::vector<std::string> names;
    for (int i = 0; i < playlist.count(); ++i) names.push_back(playlist.entryAt(i)->GetFileName());
    return names;
}

std::vector<int> SelectedRows(const PlaylistView& view) {
    std::vector<int> rows;
    for (int row = 0; row < view.rowCount(); ++row) {
        if (view.isSelected(row)) rows.push_back(row);
    }
    return rows;
}

class SelectionOpsTest : public ::testing::Test {
protected:
    // Songs "0".."n-1" of 10 seconds each, all shown.
    void Fill(int n) {
        for (int i = 0; i < n; ++i) AddSong(playlist_, std::to_string(i), 10);
        view_.rebuildFromPlaylist();
    }
    void Select(const std::vector<int>& rows) {
        for (int row : rows) view_.setSelected(row, true);
    }

    Playlist playlist_;
    PlaylistView view_{playlist_};
};

TEST_F(SelectionOpsTest, RemoveTakesTheSelectedRowsAndEntriesAndPointsAtTheRowAfterTheLastIfAny) {
    Fill(10);
    EXPECT_EQ(removeSelectedRows(playlist_, view_), -1);  // nothing selected: nothing goes
    EXPECT_EQ(view_.rowCount(), 10);
    Select({0, 4, 6});
    view_.takeSnapshot();
    int steps = 0;
    const int next = removeSelectedRows(playlist_, view_, [&steps](int, int) { ++steps; });
    EXPECT_EQ(view_.snapshotCount(), 0);  // the freed entries are not remembered
    EXPECT_EQ(RowNames(view_), (std::vector<std::string>{"1", "2", "3", "5", "7", "8", "9"}));
    EXPECT_EQ(EntryNames(playlist_), RowNames(view_));
    ASSERT_GE(next, 0);
    EXPECT_EQ(view_.entryAt(next)->GetFileName(), "7");
    EXPECT_EQ(view_.totalLength(), 70);
    EXPECT_EQ(view_.selectedLength(), 0);
    EXPECT_GT(steps, 0);
    Select({5, 6});  // the last two: no row after them
    EXPECT_EQ(removeSelectedRows(playlist_, view_), -1);
    EXPECT_EQ(RowNames(view_), (std::vector<std::string>{"1", "2", "3", "5", "7"}));
}

TEST_F(SelectionOpsTest, CropKeepsOnlyTheSelectedRowsAndNothingChangesWhenAllOrNoneAreSelected) {
    Fill(5);
    EXPECT_EQ(cropToSelection(playlist_, view_), 0);
    EXPECT_EQ(view_.rowCount(), 5);
    view_.selectAll(true);
    EXPECT_EQ(cropToSelection(playlist_, view_), 0);
    EXPECT_EQ(playlist_.count(), 5);

    view_.selectAll(false);
    Select({1, 3});
    EXPECT_EQ(cropToSelection(playlist_, view_), 3);
    EXPECT_EQ(RowNames(view_), (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(EntryNames(playlist_), (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(SelectedRows(view_), (std::vector<int>{0, 1}));
    EXPECT_EQ(view_.selectedLength(), 20);
}

TEST(SelectionDeadFilesTest, SelectsExactlyTheRowsWhoseFileIsGone) {
    test::TempDir dir;
    Playlist playlist;
    PlaylistView view(playlist);
    ASSERT_TRUE(test::WriteBytes(dir.Path("here.mp3"), test::MpegAudio(2048)));
    playlist.addFile(dir.Path("here.mp3"));
    playlist.addFile(dir.Path("gone.mp3"));
    playlist.addFile(dir.Path("here.mp3"));
    view.rebuildFromPlaylist();
    view.setSelected(0, true);
    EXPECT_EQ(selectDeadFiles(view), 1);
    EXPECT_EQ(SelectedRows(view), (std::vector<int>{1}));
    // Deleting the files of rows 0 and 1: the file present goes with its
    // row, the missing one is named as a failure and its row stays.
    view.setSelected(0, true);
    std::vector<std::string> failed;
    EXPECT_EQ(deleteSelectedFiles(playlist, view, [&](const DeleteFailure& f) { failed.push_back(f.path); }),
              1);
    EXPECT_EQ(failed, std::vector<std::string>{dir.Path("gone.mp3")});
    EXPECT_FALSE(test::FileExists(dir.Path("here.mp3")));
    EXPECT_EQ(RowNames(view), (std::vector<std::string>{dir.Path("gone.mp3"), dir.Path("here.mp3")}));
    EXPECT_EQ(playlist.count(), 2);
}

TEST_F(SelectionOpsTest, SelectWithSameComparesTheFieldAsTheViewShowsIt) {
    SongRecord& a = AddSong(playlist_, "a", 100, 5000, 1);
    SongRecord& b = AddSong(playlist_, "b", 100, 6000, 1);
    SongRecord& c = AddSong(playlist_, "c", 200, 5000, 0);
    SongRecord& d = AddSong(playlist_, "d", 300, 7000, 3);
    const auto setMpeg = [](SongRecord& song, int bitrate, int frequency, int lsf) {
        song.GetMpegInfo().bitrate = bitrate;
        song.GetMpegInfo().frequency = frequency;
        song.GetMpegInfo().lsf = lsf;
    };
    setMpeg(a, 128, 44100, 0);
    setMpeg(b, 128, 48000, 1);
    setMpeg(c, 192, 44100, 0);
    setMpeg(d, 128, 32000, 0);
    SetV1(a, "Band", "One");
    SetV1(b, "band", "Two");
    SetV2(b, kTPE1, "Band");
    SetV1(c, "Band", "Three");
    view_.rebuildFromPlaylist();
    Select({0});

    EXPECT_EQ(selectWithSame(view_, kSameArtist), 2);  // ID3v1: case counts
    EXPECT_EQ(SelectedRows(view_), (std::vector<int>{0, 2}));
    view_.setViewSource(2);  // ID3v2, then ID3v1
    EXPECT_EQ(selectWithSame(view_, kSameArtist), 3);
    const struct {
        int field;
        std::vector<int> rows;
    } kSameCases[] = {{kSameTime, {0, 1}},      {kSameMode, {0, 1}},     {kSameBitrate, {0, 1, 3}},
                      {kSameFrequency, {0, 2}}, {kSameLayer, {0, 2, 3}}, {kSameSize, {0, 2}},
                      {kSameFileName, {0}}};
    for (const auto& same : kSameCases) {
        EXPECT_EQ(selectWithSame(view_, same.field), static_cast<int>(same.rows.size())) << same.field;
        EXPECT_EQ(SelectedRows(view_), same.rows) << same.field;
    }
    EXPECT_EQ(selectWithSame(view_, kSameFieldCount), -1);
    // Rating the selection: stars beyond five are five, other rows keep theirs.
    Select({2});
    EXPECT_EQ(setSelectionRating(view_, 9), 2);
    EXPECT_EQ(a.GetRating(), 5);
    EXPECT_EQ(b.GetRating(), 0);
    EXPECT_EQ(c.GetRating(), 5);
    EXPECT_EQ(setSelectionRating(view_, 0), 2);  // no stars: the rating is cleared
    EXPECT_EQ(a.GetRating(), 0);
    view_.selectAll(false);
    EXPECT_EQ(selectWithSame(view_, kSameArtist), -1);
}

TEST(StatusProgressPlanTest, ALongListMovesTheBarAboutAHundredTimesAndEndsAtAHundredPercent) {
    const StatusProgressPlan big(100000);
    int updates = 0;
    for (int done = 0; done <= 100000; ++done) {
        if (big.due(done)) ++updates;
    }
    EXPECT_EQ(updates, 101);
    EXPECT_EQ(big.percent(50000), 50);
    EXPECT_EQ(big.percent(100000), 100);
    EXPECT_EQ(StatusProgressPlan(4).percent(0), 0);
    const StatusProgressPlan empty(0);
    EXPECT_TRUE(empty.due(0));
    EXPECT_EQ(empty.percent(1), 100);
}

}  // namespace
}  // namespace td
