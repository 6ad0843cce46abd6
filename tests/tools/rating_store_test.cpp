#include "tools/rating_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "playlist/playlist.h"
#include "tags/id3v2/frame_table.h"
#include "tests/tools/tool_test_files.h"
#include "tools/tool_run.h"

namespace td {
namespace {

using namespace tooltest;

class RatingStoreTest : public ToolFilesTest {
protected:
    std::string File(const std::string& name, bool tagged = true) {
        return Write(name, tagged ? Tag(Frame("TIT2", Text("Title " + name))) + Audio() : Audio());
    }
    // Playlist entries for `count` files, each carrying `stars`.
    std::vector<SongRecord*> Entries(int count, int stars) {
        std::vector<SongRecord*> entries;
        for (int i = 0; i < count; ++i) {
            const int index =
                playlist_.append(std::make_unique<SongRecord>(File("f" + std::to_string(i) + ".mp3"), true));
            entries.push_back(playlist_.entryAt(index));
            entries.back()->SetRating(stars);
        }
        return entries;
    }
    static int Stored(const SongRecord* e) { return SongRecord(e->GetFileName(), true).GetRating(); }
    static void RunToEnd(RatingStoreSession& session) {
        for (int i = 0; i < 500 && !session.finished(); ++i) session.pump(20);
    }
    Playlist playlist_;
};

TEST_F(RatingStoreTest, StoreRatingWritesOnePopmFrame) {
    const std::string path = File("one.mp3");
    ASSERT_NE(StoreRating(path, 4), nullptr);
    ASSERT_NE(StoreRating(path, 1), nullptr);
    SongRecord disk(path, true);
    EXPECT_EQ(PopmStars(disk.GetFrame(kPOPM)), 1);
    EXPECT_EQ(disk.FindFrame(kPOPM, disk.FindFrame(kPOPM, -1)), -1);  // replaced, not added
    EXPECT_EQ(V2(disk, kTIT2), "Title one.mp3");                              // the other frames are kept

    const std::string bare = File("bare.mp3", false);
    ASSERT_NE(StoreRating(bare, 6), nullptr);  // more than five stars count as five
    EXPECT_EQ(SongRecord(bare, true).GetRating(), 5);
    EXPECT_EQ(SongRecord(bare, true).GetFrame(kTPE1), nullptr);  // not the file name as artist

    const std::string ro = File("ro.mp3");
    ASSERT_TRUE(Fs().SetAttributes(ro, kAttrReadOnly));
    EXPECT_EQ(StoreRating(ro, 3), nullptr);
    EXPECT_EQ(SongRecord(ro, true).GetRating(), 0);
}

TEST_F(RatingStoreTest, SessionStoresEveryFileAndGoesOnPastAFailure) {
    std::vector<SongRecord*> entries = Entries(4, 3);
    Fs().Remove(entries[1]->GetFileName());
    entries[0]->SetRating(5);
    // An entry no longer in the Playlist gets its file written but is not
    // updated from it.
    SongRecord gone(File("gone.mp3"), true);
    gone.SetRating(2);
    entries.push_back(&gone);
    RatingStoreSession session(entries, &playlist_);
    struct StatusLine : ProgressSink {
        void begin(int) override {}
        void advance(int, int, const std::string& status) override { last = status; }
        void end() override {}
        std::string last;
    } progress;
    session.setProgress(&progress);
    EXPECT_EQ(session.countLine(), "0 / 5 Total");
    ASSERT_TRUE(session.start());
    entries[3]->SetRating(0);  // the worker took its own copy at the start
    RunToEnd(session);
    ASSERT_TRUE(session.finished());
    EXPECT_FALSE(session.stoppedByUser());
    EXPECT_EQ(session.countLine(), "5 / 5 Total");
    EXPECT_EQ(progress.last, "5 / 5 Total: " + gone.GetFileName());
    EXPECT_EQ(session.failures(), 1);
    ASSERT_EQ(session.details().size(), 5u);
    EXPECT_EQ(session.details()[1], std::make_pair(entries[1]->GetFileName(), std::string("Failed")));
    EXPECT_EQ(session.details()[3], std::make_pair(entries[3]->GetFileName(), std::string("Success")));
    EXPECT_EQ(Stored(entries[0]), 5);
    EXPECT_EQ(Stored(entries[3]), 3);
    EXPECT_NE(entries[2]->GetFrame(kPOPM), nullptr);  // the entry took the file's new data
    EXPECT_EQ(Stored(&gone), 2);
    EXPECT_EQ(gone.GetFrame(kPOPM), nullptr);
}

TEST_F(RatingStoreTest, TheQuitEventStopsTheWorkerBetweenFiles) {
    std::vector<SongRecord*> entries = Entries(100, 4);
    RatingStoreSession session(entries, &playlist_);
    std::atomic<int> beeps{0};
    session.worker().setBeep([&] { ++beeps; });
    session.worker().setQuitPause(10);
    ASSERT_TRUE(session.start());
    EXPECT_STREQ(session.buttonText(), "Stop");
    while (session.counter() < 3) ASSERT_GT(session.pump(5000), 0);
    const int counted = session.counter();
    EXPECT_FALSE(session.start());  // a run is going: nothing starts again
    EXPECT_GE(session.counter(), counted);
    session.stop();
    EXPECT_FALSE(session.running());
    EXPECT_STREQ(session.buttonText(), "Start");
    EXPECT_TRUE(session.stoppedByUser());
    EXPECT_EQ(beeps.load(), 1);
    const int done = session.counter();
    EXPECT_LT(done, 100);
    int written = 0;  // exactly the files reported were written
    for (SongRecord* e : entries) written += Stored(e) == 4;
    EXPECT_EQ(written, done);
    ASSERT_TRUE(session.start());  // a new start runs from the first file
    RunToEnd(session);
    EXPECT_EQ(session.counter(), 100);
}

TEST_F(RatingStoreTest, DestroyingARunningSessionStopsTheWorker) {
    RatingStoreSession running(Entries(20, 2), &playlist_);
    running.worker().setQuitPause(0);
    ASSERT_TRUE(running.start());
    RatingStoreSession idle({}, &playlist_);  // never started: nothing to stop
}

}  // namespace
}  // namespace td
