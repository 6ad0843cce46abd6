#include "tools/rating_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/thread.h"
#include "playlist/playlist.h"
#include "settings/lang_table.h"
#include "support/test_support.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/song_record.h"
#include "tests/tools/tool_test_files.h"
#include "tools/tool_run.h"

namespace td {
namespace {

using test::TempDir;
using test::WriteBytes;
using namespace tooltest;

// --- the thread seam -------------------------------------------------------

TEST(ThreadSeam, AutoResetEventIsConsumedByOnePoll) {
    Event event;
    EXPECT_FALSE(event.poll());
    event.set();
    EXPECT_TRUE(event.poll());
    EXPECT_FALSE(event.poll());
    event.set();
    event.reset();
    EXPECT_FALSE(event.poll());
    Event manual(false, true);
    EXPECT_TRUE(manual.poll());
    EXPECT_TRUE(manual.poll());
}

TEST(ThreadSeam, WaitSeesASetFromAnotherThread) {
    Event event;
    Thread thread;
    ASSERT_TRUE(thread.start([&] {
        SleepMilliseconds(20);
        event.set();
    }));
    EXPECT_FALSE(thread.start([] {}));  // one at a time
    EXPECT_TRUE(event.wait(5000));
    thread.join();
    EXPECT_FALSE(thread.joinable());
    EXPECT_FALSE(event.wait(0));
}

TEST(ThreadSeam, NamedEventsOfTheSameNameAreOneObject) {
    std::shared_ptr<Event> a = OpenNamedEvent(kQuitEventName);
    std::shared_ptr<Event> b = OpenNamedEvent("QuitEvent");
    std::shared_ptr<Event> other = OpenNamedEvent("OtherEvent");
    EXPECT_EQ(a.get(), b.get());
    EXPECT_NE(a.get(), other.get());
    a->set();
    EXPECT_TRUE(b->poll());
    EXPECT_FALSE(a->poll());
}

TEST(ThreadSeam, MessagesArriveInPostingOrderAcrossThreads) {
    MessageQueue<int> queue;
    Thread thread;
    ASSERT_TRUE(thread.start([&] {
        for (int i = 0; i < 1000; ++i) queue.post(i);
    }));
    for (int expected = 0; expected < 1000; ++expected) {
        int got = -1;
        ASSERT_TRUE(queue.take(got, 5000));
        ASSERT_EQ(got, expected);
    }
    thread.join();
    int none = 0;
    EXPECT_FALSE(queue.tryTake(none));
    EXPECT_FALSE(queue.take(none, 1));
}

// --- the rating store ------------------------------------------------------

class RatingStoreTest : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }

    std::string File(const std::string& name, bool tagged) {
        const std::string path = dir_.Path(name);
        WriteBytes(path, tagged ? Tag(Frame("TIT2", Text("Title " + name))) + Audio() : Audio());
        return path;
    }

    // Playlist entries for `count` files, each carrying `stars`.
    std::vector<SongRecord*> Entries(int count, int stars, bool tagged = true) {
        std::vector<SongRecord*> entries;
        for (int i = 0; i < count; ++i) {
            const std::string path = File("f" + std::to_string(i) + ".mp3", tagged);
            const int index = playlist_.append(std::make_unique<SongRecord>(path, true));
            SongRecord* entry = playlist_.entryAt(index);
            entry->SetRating(stars);
            entries.push_back(entry);
        }
        return entries;
    }

    static void RunToEnd(RatingStoreSession& session) {
        for (int i = 0; i < 500 && !session.finished(); ++i) session.pump(20);
    }

    TempDir dir_;
    Playlist playlist_;
};

TEST_F(RatingStoreTest, StoreRatingWritesAPopmFrame) {
    const std::string path = File("one.mp3", true);
    std::unique_ptr<SongRecord> written = StoreRating(path, 4);
    ASSERT_NE(written, nullptr);
    SongRecord disk(path, true);
    EXPECT_EQ(disk.GetRating(), 4);
    ASSERT_NE(disk.GetFrame(kPOPM), nullptr);
    EXPECT_EQ(PopmStars(disk.GetFrame(kPOPM)), 4);
    EXPECT_EQ(SongRecord::MainText(disk.GetFrame(kTIT2)), "Title one.mp3");
    // Storing again replaces the frame rather than adding one.
    ASSERT_NE(StoreRating(path, 1), nullptr);
    SongRecord again(path, true);
    EXPECT_EQ(again.GetRating(), 1);
    EXPECT_EQ(again.FindFrame(kPOPM, -1, again.FindFrame(kPOPM, -1, -1)), -1);
}

TEST_F(RatingStoreTest, AnUntaggedFileGetsATagWithOnlyTheRating) {
    const std::string path = File("bare.mp3", false);
    ASSERT_NE(StoreRating(path, 5), nullptr);
    SongRecord disk(path, true);
    EXPECT_TRUE(disk.HasId3v2());
    EXPECT_EQ(disk.GetRating(), 5);
    EXPECT_EQ(disk.GetFrame(kTPE1), nullptr);  // not the file name as artist
}

TEST_F(RatingStoreTest, MissingOrReadOnlyFilesFail) {
    EXPECT_EQ(StoreRating(dir_.Path("gone.mp3"), 3), nullptr);
    EXPECT_FALSE(test::FileExists(dir_.Path("gone.mp3")));
    const std::string path = File("ro.mp3", true);
    ASSERT_TRUE(Fs().SetAttributes(path, kAttrReadOnly));
    EXPECT_EQ(StoreRating(path, 3), nullptr);
    EXPECT_EQ(SongRecord(path, true).GetRating(), 0);
}

TEST_F(RatingStoreTest, SessionStoresEveryFileAndHandsTheDataOverInOrder) {
    std::vector<SongRecord*> entries = Entries(5, 3);
    RatingStoreSession session(entries, &playlist_);
    EXPECT_EQ(session.pathLine(), "Ready");
    EXPECT_EQ(session.countLine(), "0 / 5 Total");
    EXPECT_STREQ(session.buttonText(), "Start");
    ASSERT_TRUE(session.start());
    EXPECT_STREQ(session.buttonText(), "Stop");
    RunToEnd(session);
    ASSERT_TRUE(session.finished());
    EXPECT_FALSE(session.stoppedByUser());
    EXPECT_FALSE(session.running());
    EXPECT_STREQ(session.buttonText(), "Start");
    EXPECT_EQ(session.counter(), 5);
    EXPECT_EQ(session.countLine(), "5 / 5 Total");
    ASSERT_EQ(session.details().size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(session.details()[i].first, entries[i]->GetFileName());
        EXPECT_EQ(session.details()[i].second, "Success");
        EXPECT_EQ(SongRecord(entries[i]->GetFileName(), true).GetRating(), 3);
        // The entry took the file's new data: it now holds the POPM frame.
        EXPECT_NE(entries[i]->GetFrame(kPOPM), nullptr);
        EXPECT_TRUE(entries[i]->HasId3v2());
    }
    EXPECT_EQ(session.pathLine(), entries[4]->GetFileName());
}

TEST_F(RatingStoreTest, AFailingFileIsReportedAndTheRunGoesOn) {
    std::vector<SongRecord*> entries = Entries(3, 2);
    Fs().Remove(entries[1]->GetFileName());
    RatingStoreSession session(entries, &playlist_);
    ASSERT_TRUE(session.start());
    RunToEnd(session);
    ASSERT_EQ(session.details().size(), 3u);
    EXPECT_EQ(session.details()[0].second, "Success");
    EXPECT_EQ(session.details()[1].second, "Failed");
    EXPECT_EQ(session.details()[2].second, "Success");
    EXPECT_EQ(session.failures(), 1);
    EXPECT_EQ(SongRecord(entries[2]->GetFileName(), true).GetRating(), 2);
}

TEST_F(RatingStoreTest, TheQuitEventStopsTheWorkerBetweenFiles) {
    std::vector<SongRecord*> entries = Entries(100, 4);
    RatingStoreSession session(entries, &playlist_);
    std::atomic<int> beeps{0};
    session.worker().setBeep([&] { ++beeps; });
    session.worker().setQuitPause(10);
    ASSERT_TRUE(session.start());
    while (session.counter() < 3) ASSERT_GT(session.pump(5000), 0);
    session.stop();
    EXPECT_FALSE(session.running());
    EXPECT_STREQ(session.buttonText(), "Start");
    EXPECT_TRUE(session.finished());
    EXPECT_TRUE(session.stoppedByUser());
    EXPECT_EQ(beeps.load(), 1);
    const int done = session.counter();
    EXPECT_GE(done, 3);
    EXPECT_LT(done, 100);
    // Exactly the files reported were written.
    int written = 0;
    for (SongRecord* e : entries) written += SongRecord(e->GetFileName(), true).GetRating() == 4;
    EXPECT_EQ(written, done);
    // A new start runs again from the first file.
    ASSERT_TRUE(session.start());
    RunToEnd(session);
    EXPECT_EQ(session.counter(), 100);
    EXPECT_FALSE(session.stoppedByUser());
}

TEST_F(RatingStoreTest, TheRatingsAreTakenWhenStartIsPressed) {
    std::vector<SongRecord*> entries = Entries(2, 1);
    RatingStoreSession session(entries, &playlist_);
    entries[0]->SetRating(5);
    ASSERT_TRUE(session.start());
    // The owner may change its entries while the worker runs: the worker
    // uses its own copy of the jobs.
    entries[1]->SetRating(0);
    RunToEnd(session);
    EXPECT_EQ(SongRecord(entries[0]->GetFileName(), true).GetRating(), 5);
    EXPECT_EQ(SongRecord(entries[1]->GetFileName(), true).GetRating(), 1);
}

TEST_F(RatingStoreTest, NoEntryEndsAtOnce) {
    RatingStoreSession session({}, nullptr);
    EXPECT_EQ(session.countLine(), "0 / 0 Total");
    ASSERT_TRUE(session.start());
    RunToEnd(session);
    EXPECT_TRUE(session.finished());
    EXPECT_EQ(session.counter(), 0);
}

TEST_F(RatingStoreTest, AnEntryGoneFromThePlaylistTakesNothing) {
    std::vector<SongRecord*> entries = Entries(1, 2);
    Playlist other;  // the entry is not in this one
    RatingStoreSession session(entries, &other);
    ASSERT_TRUE(session.start());
    RunToEnd(session);
    EXPECT_EQ(session.details()[0].second, "Success");
    EXPECT_EQ(entries[0]->GetFrame(kPOPM), nullptr);
}

TEST_F(RatingStoreTest, DestroyingARunningSessionStopsTheWorker) {
    std::vector<SongRecord*> entries = Entries(20, 2);
    {
        RatingStoreSession session(entries, &playlist_);
        session.worker().setQuitPause(0);
        ASSERT_TRUE(session.start());
    }
    SUCCEED();
}

}  // namespace
}  // namespace td
