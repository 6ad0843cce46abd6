#include "window/file_gatherer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/copy_file.h"
#include "platform/directory.h"
#include "platform/folder_walk.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "support/test_support.h"
#include "tags/song_record.h"
#include "window/gather_recorder.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace td {
namespace {

using test::FaultyFileSystem;
using test::ScopedFs;
using test::TempDir;

// An MPEG layer III frame header and some bytes: enough to be read as a song.
std::string SongBytes() {
    std::string bytes("\xFF\xFB\x90\x64", 4);
    bytes.resize(2048, '\0');
    return bytes;
}

// `files` ('/' between levels) under `dir`, with their folders.
void MakeTree(const TempDir& dir, const std::vector<std::string>& files) {
    for (const std::string& name : files) {
        const size_t slash = name.rfind('/');
        const std::string folder =
            slash == std::string::npos ? dir.path() : JoinPath(dir.path(), name.substr(0, slash));
        ASSERT_TRUE(MakeDirectories(folder));
        ASSERT_TRUE(test::WriteBytes(JoinPath(folder, name.substr(slash + 1)), SongBytes()));
    }
}

std::vector<std::string> EntryNames(const Playlist& playlist) {
    std::vector<std::string> names;
    for (int i = 0; i < playlist.count(); ++i) names.push_back(BaseName(playlist.entryAt(i)->GetFileName()));
    return names;
}

class FileGathererTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeTree(dir_, {"b.mp3", "A.MP3", "c.wav", "song.Mp2", "x.mp1", "sub/d.mp3", "sub/deep/e.mp3"});
    }
    TempDir dir_;
    Playlist playlist_;
    test::GatherRecorder recorder_;
};

TEST_F(FileGathererTest, FileListReportsEveryItemAndKeepsMissingSongsAsDeadEntries) {
    const GatherRequest request =
        GatherRequest::Files({dir_.Path("b.mp3"), dir_.Path("x.mp1"), dir_.Path("gone.mp3")});
    FileGatherer gatherer(playlist_);
    ASSERT_EQ(gatherer.run(request, &recorder_), GatherStart::Started);
    EXPECT_EQ(recorder_.files,
              (std::vector<std::string>{dir_.Path("b.mp3"), dir_.Path("x.mp1"), dir_.Path("gone.mp3")}));
    EXPECT_EQ(EntryNames(playlist_), (std::vector<std::string>{"b.mp3", "gone.mp3"}));
    EXPECT_EQ(playlist_.entryAt(1)->GetAudioSize(), 0u);

    // Files of two folders (named alike but for their last character): each
    // file is counted on its own folder's volume.
    test::FakeVolumes volumes;
    volumes.Set(dir_.path(), {kDriveFixed, true, "MUSIC", 0x1234, true});
    volumes.Set(dir_.Path("s2"), {kDriveRemovable, true, "STICK", 0x5678, true});
    test::ScopedVolumes installed(volumes);
    Playlist split;
    FileGatherer twoFolders(split);
    const std::vector<std::string> paths = {dir_.Path("s1/A.MP3"), dir_.Path("s2/d.mp3"), dir_.Path("s1/b.mp3")};
    twoFolders.run(GatherRequest::Files(paths), nullptr);
    ASSERT_EQ(split.count(), 3);
    EXPECT_EQ(split.entryAt(0)->GetVolumeSerial(), 0x1234u);
    EXPECT_EQ(split.entryAt(1)->GetVolumeSerial(), 0x5678u);
    EXPECT_EQ(split.entryAt(2)->GetVolumeSerial(), 0x1234u);

    // Dropped items: a folder is walked to its depths, a song file is added
    // even when missing, anything else is only counted.
    Playlist dropped;
    FileGatherer dropper(dropped);
    test::GatherRecorder seen;
    const std::string folder = dir_.Path("sub") + kPathSeparator;
    dropper.run(GatherRequest::Dropped({folder, dir_.Path("c.wav"), dir_.Path("gone.mp3")}), &seen);
    EXPECT_EQ(EntryNames(dropped), (std::vector<std::string>{"d.mp3", "e.mp3", "gone.mp3"}));
    EXPECT_EQ(seen.files.size(), 4u);
    // A stop between dropped items ends the list with a beep.
    int beeps = 0;
    dropper.setStopBeep([&beeps] { ++beeps; });
    seen.onFile = [&dropper](const std::string&) { dropper.requestStop(); };
    dropper.run(GatherRequest::Dropped({dir_.Path("A.MP3"), dir_.Path("b.mp3")}), &seen);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(EntryNames(dropped).back(), "A.MP3");
    EXPECT_EQ(dropped.count(), 4);
}

TEST_F(FileGathererTest, AbortAtAnyMomentLeavesWholeEntriesOnlyAndTheNextRunComplete) {
    MakeTree(dir_, {"m/01.mp3", "m/02.mp3", "m/03.mp3", "m/04.mp3", "m/05.mp3", "m/06.mp3"});
    for (int stopAfter = 1; stopAfter <= 6; ++stopAfter) {
        Playlist playlist;
        FileGatherer gatherer(playlist);
        test::GatherRecorder recorder;
        std::atomic<int> seen{0};
        // Asked while the worker is between reading a file and the next one,
        // as the dialog's Abort would.
        recorder.onFile = [&](const std::string&) {
            if (++seen == stopAfter) gatherer.requestStop();
        };
        ASSERT_EQ(gatherer.start(GatherRequest::Directory(dir_.Path("m"), false), recorder),
                  GatherStart::Started);
        recorder.waitDone();
        gatherer.stop();
        EXPECT_FALSE(gatherer.running());
        EXPECT_EQ(playlist.count(), stopAfter) << stopAfter;
        EXPECT_EQ(gatherer.summary().stopped, stopAfter < 6) << stopAfter;
        for (int i = 0; i < playlist.count(); ++i) {
            EXPECT_EQ(playlist.entryAt(i)->GetAudioSize(), 2048u) << "half-read entry";
        }
        // The stop of the last run is not left behind for the next one.
        test::GatherRecorder again;
        ASSERT_EQ(gatherer.start(GatherRequest::Directory(dir_.Path("m"), false), again),
                  GatherStart::Started);
        again.waitDone();
        // Started again without stop(): the ended run is joined and its entries taken first.
        test::GatherRecorder third;
        ASSERT_EQ(gatherer.start(GatherRequest::Directory(dir_.Path("m"), false), third),
                  GatherStart::Started);
        third.waitDone();
        // Run at once after it: that run counts only its own entries.
        gatherer.run(GatherRequest::Directory(dir_.Path("m"), false), nullptr);
        EXPECT_EQ(gatherer.summary().added, 6);
        EXPECT_EQ(playlist.count(), stopAfter + 18);
    }
}

TEST_F(FileGathererTest, AStopSignalledThroughTheNamedEventEndsTheRunAndIsConsumed) {
    // The event is polled now and then, not per file: the run ends within
    // one polling interval of the signal, and drops the file in hand whole.
    std::vector<std::string> names;
    const int total = 4 * FileGatherer::kEventPollInterval;
    for (int i = 0; i < total; ++i) names.push_back("many/" + std::to_string(1000 + i) + ".mp3");
    MakeTree(dir_, names);
    FileGatherer gatherer(playlist_);
    std::shared_ptr<Event> quit = OpenNamedEvent(kQuitEventName);
    recorder_.onFile = [&](const std::string& path) {
        if (BaseName(path) == "1000.mp3") quit->set();
    };
    ASSERT_EQ(gatherer.start(GatherRequest::Directory(dir_.Path("many"), false), recorder_),
              GatherStart::Started);
    recorder_.waitDone();
    gatherer.stop();
    EXPECT_TRUE(gatherer.summary().stopped);
    EXPECT_GE(playlist_.count(), 1);
    EXPECT_LE(playlist_.count(), 1 + FileGatherer::kEventPollInterval);
    EXPECT_EQ(gatherer.summary().added, playlist_.count());
    EXPECT_FALSE(quit->poll());
    // With no run going, a stop leaves the event alone for whoever shares it.
    gatherer.requestStop();
    EXPECT_FALSE(quit->poll());
}

TEST_F(FileGathererTest, ClosingWhileTheWorkerRunsEndsItCleanly) {
    std::mutex gate;
    gate.lock();
    Event inFile(false, false);
    {
        FileGatherer gatherer(playlist_);
        recorder_.onFile = [&](const std::string&) {
            inFile.set();
            std::lock_guard<std::mutex> wait(gate);  // held until the "window" closes
        };
        ASSERT_EQ(gatherer.start(GatherRequest::Directory(dir_.path(), true), recorder_),
                  GatherStart::Started);
        ASSERT_TRUE(inFile.wait(-1));
        EXPECT_EQ(gatherer.start(GatherRequest::Directory(dir_.path(), true), recorder_), GatherStart::Busy);
        gatherer.requestStop();
        gate.unlock();
    }  // the destructor waits for the worker
    EXPECT_EQ(recorder_.done, 1);
    EXPECT_EQ(playlist_.count(), 1);
}

TEST_F(FileGathererTest, FilesThatVanishOrCannotBeReadDuringAWalkAreLeftOutAndNamed) {
    FileGatherer gatherer(playlist_);
    // Reading A.MP3 removes b.mp3, which the listing has already seen.
    recorder_.onFile = [&](const std::string& path) {
        if (BaseName(path) == "A.MP3") std::remove(dir_.Path("b.mp3").c_str());
    };
    gatherer.run(GatherRequest::Directory(dir_.path(), false), &recorder_);
    EXPECT_EQ(EntryNames(playlist_), (std::vector<std::string>{"A.MP3", "song.Mp2"}));
    EXPECT_EQ(gatherer.summary().leftOut, std::vector<std::string>{dir_.Path("b.mp3")});

    // A file that cannot be opened, and a subfolder that cannot be listed.
    FaultyFileSystem faulty;
    ScopedFs installed(faulty);
    faulty.FailAt(FaultyFileSystem::Op::Open, 1);
    faulty.FailAt(FaultyFileSystem::Op::List, 2);
    Playlist playlist;
    FileGatherer again(playlist);
    again.run(GatherRequest::Directory(dir_.path(), true), nullptr);
    EXPECT_EQ(EntryNames(playlist), (std::vector<std::string>{"song.Mp2"}));
    EXPECT_EQ(again.summary().leftOut, std::vector<std::string>{dir_.Path("A.MP3")});
    EXPECT_EQ(again.summary().unlisted, std::vector<std::string>{dir_.Path("sub")});
}

#ifndef _WIN32
TEST_F(FileGathererTest, LinksToFoldersAreNotFollowedSoALoopEnds) {
    ASSERT_EQ(symlink(dir_.path().c_str(), dir_.Path("sub/deep/loop").c_str()), 0);
    ASSERT_EQ(symlink(dir_.Path("sub").c_str(), dir_.Path("zlink").c_str()), 0);
    std::vector<std::string> skipped;
    int files = 0;
    EXPECT_TRUE(WalkFolder(dir_.path(), WalkOptions(), [&](WalkEvent event, const std::string& path) {
        if (event == WalkEvent::LinkSkipped) skipped.push_back(BaseName(path));
        if (event == WalkEvent::File) ++files;
        return true;
    }));
    EXPECT_EQ(skipped, (std::vector<std::string>{"loop", "zlink"}));
    EXPECT_EQ(files, 7);
}
#endif

TEST(FolderWalkTest, TheDepthCapStopsDescentAndAVisitorCanEndTheWalk) {
    TempDir dir;
    MakeTree(dir, {"1/2/3/a.mp3", "1/b.mp3"});
    WalkOptions shallow;
    shallow.maxDepth = 1;
    std::vector<std::string> seen;
    EXPECT_TRUE(WalkFolder(dir.path(), shallow, [&](WalkEvent event, const std::string& path) {
        seen.push_back((event == WalkEvent::TooDeep ? "deep:" : "") + BaseName(path));
        return true;
    }));
    EXPECT_EQ(seen, (std::vector<std::string>{"deep:2", "b.mp3"}));
    EXPECT_FALSE(WalkFolder(dir.path(), WalkOptions(), [](WalkEvent, const std::string&) { return false; }));
}

TEST_F(FileGathererTest, ImportReplacesTheListOnlyOnceThePlaylistFileWasRead) {
    PlaylistView view(playlist_);
    FileGatherer gatherer(playlist_, &view);
    playlist_.addFile(dir_.Path("A.MP3"));
    view.rebuildFromPlaylist();

    EXPECT_EQ(gatherer.run(GatherRequest::Import(dir_.Path("none.m3u"), PlaylistFormat::M3u), nullptr),
              GatherStart::NotRead);
    EXPECT_EQ(playlist_.count(), 1);

    ASSERT_TRUE(test::WriteBytes(dir_.Path("list.m3u"),
                                 "#EXTM3U\r\nb.mp3\r\nnotes.txt\r\nsub/d.mp3\r\nmissing.mp3\r\n"));
    EXPECT_EQ(gatherer.run(GatherRequest::Import(dir_.Path("list.m3u"), PlaylistFormat::M3u), &recorder_),
              GatherStart::Started);
    EXPECT_EQ(EntryNames(playlist_), (std::vector<std::string>{"b.mp3", "d.mp3", "missing.mp3"}));
    EXPECT_EQ(playlist_.entryAt(2)->GetAudioSize(), 0u) << "a dead entry";
    EXPECT_EQ(view.rowCount(), 0);

    ASSERT_TRUE(test::WriteBytes(dir_.Path("bad.pls"), "\r\n[playlist]\r\nFile1=b.mp3\r\n"));
    EXPECT_EQ(gatherer.run(GatherRequest::Import(dir_.Path("bad.pls"), PlaylistFormat::Pls), nullptr),
              GatherStart::BadPls);
    EXPECT_EQ(playlist_.count(), 0);
    EXPECT_EQ(gatherStartMessage(GatherStart::BadPls), LangTable::getString(131));

    // The host's list is read as M3U whatever its name, and replaces the list too.
    playlist_.addFile(dir_.Path("A.MP3"));
    ASSERT_TRUE(test::WriteBytes(dir_.Path("host.pls"), "#EXTM3U\r\nb.mp3\r\n"));
    EXPECT_EQ(gatherer.run(GatherRequest::HostReload(dir_.Path("host.pls")), nullptr), GatherStart::Started);
    EXPECT_EQ(EntryNames(playlist_), std::vector<std::string>{"b.mp3"});
}

}  // namespace
}  // namespace td
