// Copy To and Move To on the gathering worker, with real files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "playlist/playlist.h"
#include "support/test_support.h"
#include "window/file_gatherer.h"
#include "window/gather_recorder.h"

namespace td {
namespace {

using test::FaultyFileSystem;
using test::ScopedFs;
using test::TempDir;

class FileTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteBytes(source_.Path("a.mp3"), test::MpegAudio(5000));
        test::WriteBytes(source_.Path("b.mp3"), test::MpegAudio(300000));
        test::WriteBytes(source_.Path("c.mp3"), test::MpegAudio(7000));
    }
    std::vector<std::string> Sources() const {
        return {source_.Path("a.mp3"), source_.Path("b.mp3"), source_.Path("c.mp3")};
    }

    TempDir source_;
    TempDir target_;
    Playlist playlist_;
    FileGatherer gatherer_{playlist_};
    test::GatherRecorder recorder_;
};

TEST_F(FileTransferTest, CopyLeavesTheSourcesAndNeverOverwritesAFilePresentAtTheDestination) {
    test::WriteBytes(target_.Path("b.mp3"), "mine");
    gatherer_.run(GatherRequest::Transfer(false, Sources(), target_.path()), &recorder_);

    EXPECT_EQ(test::ReadBytes(target_.Path("a.mp3")), test::MpegAudio(5000));
    EXPECT_EQ(test::ReadBytes(target_.Path("b.mp3")), "mine");
    EXPECT_EQ(test::ReadBytes(target_.Path("c.mp3")), test::MpegAudio(7000));
    EXPECT_TRUE(test::FileExists(source_.Path("b.mp3")));
    EXPECT_EQ(gatherer_.summary().existing, 1);
    EXPECT_TRUE(gatherer_.summary().failed.empty());
    EXPECT_EQ(recorder_.files.size(), 3u);
    EXPECT_TRUE(recorder_.moves.empty());
    EXPECT_EQ(playlist_.count(), 0);

    // A stop between files ends the run with a beep; the files copied stay.
    TempDir other;
    int beeps = 0;
    gatherer_.setStopBeep([&beeps] { ++beeps; });
    recorder_.onFile = [this](const std::string&) { gatherer_.requestStop(); };
    gatherer_.run(GatherRequest::Transfer(false, Sources(), other.path()), &recorder_);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(test::SortedNames(other.path()), std::vector<std::string>{"a.mp3"});
}

TEST_F(FileTransferTest, ADiskThatFillsUpMidCopyLeavesNothingHalfWrittenAndTheRunGoesOn) {
    FaultyFileSystem faulty;
    ScopedFs scoped(faulty);
    faulty.SetShortWrites(true);
    faulty.FailAt(FaultyFileSystem::Op::Write, 2);  // b's first block: a full disk
    gatherer_.run(GatherRequest::Transfer(false, Sources(), target_.path()), &recorder_);

    ASSERT_EQ(gatherer_.summary().failed, std::vector<std::string>{source_.Path("b.mp3")});
    EXPECT_FALSE(test::FileExists(target_.Path("b.mp3")));
    EXPECT_FALSE(test::HasTemporaryFiles(target_.path()));
    EXPECT_TRUE(test::FileExists(target_.Path("c.mp3")));
    EXPECT_EQ(test::ReadBytes(source_.Path("b.mp3")), test::MpegAudio(300000));
}

TEST_F(FileTransferTest, AMoveToAnotherVolumeThatFailsAtAnyStepKeepsTheSourceWholeAndNoCopy) {
    FaultyFileSystem faulty;
    ScopedFs scoped(faulty);
    // No rename across volumes: every move is a copy and a delete.
    faulty.FailFrom(FaultyFileSystem::Op::Rename, 1);
    faulty.FailAt(FaultyFileSystem::Op::Flush, 1);
    gatherer_.run(GatherRequest::Transfer(true, {source_.Path("a.mp3")}, target_.path()), &recorder_);
    EXPECT_EQ(test::ReadBytes(source_.Path("a.mp3")), test::MpegAudio(5000));
    EXPECT_TRUE(test::SortedNames(target_.path()).empty());

    faulty.Reset();
    faulty.FailAt(FaultyFileSystem::Op::Remove, 1);  // the source cannot go
    // The copy lands through a rename of its temporary file, so only the
    // first rename (the move itself) fails.
    faulty.FailAt(FaultyFileSystem::Op::Rename, 1);
    gatherer_.run(GatherRequest::Transfer(true, {source_.Path("a.mp3")}, target_.path()), &recorder_);
    EXPECT_EQ(test::ReadBytes(source_.Path("a.mp3")), test::MpegAudio(5000));
    EXPECT_FALSE(test::FileExists(target_.Path("a.mp3")));
    EXPECT_TRUE(recorder_.moves.empty());
    EXPECT_EQ(gatherer_.summary().failed.size(), 1u);

    faulty.Reset();
    faulty.FailAt(FaultyFileSystem::Op::Rename, 1);
    gatherer_.run(GatherRequest::Transfer(true, {source_.Path("a.mp3")}, target_.path()), &recorder_);
    EXPECT_FALSE(test::FileExists(source_.Path("a.mp3")));
    EXPECT_EQ(test::ReadBytes(target_.Path("a.mp3")), test::MpegAudio(5000));
    EXPECT_EQ(recorder_.moves.size(), 1u);
}

}  // namespace
}  // namespace td
