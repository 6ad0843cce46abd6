// Temporary files and commits: unique exclusive temporaries, other writers
// kept out, a newer version never clobbered, attributes and hard links kept,
// left-overs of killed runs cleaned up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_error.h"
#include "tags/id3v2/id3v2_tag.h"
#include "tests/support/test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace td {
namespace {

using namespace test;

const std::string kSong = std::string("\xFF\xFB\x90\x00", 4) + std::string(3000, 'a');

// Writes a title too long for any old tag, so the song is rewritten through a
// temporary file. The result code of the write.
Id3v2Error RewriteTitle(const std::string& path, size_t length = 500) {
    FrameList frames;
    frames.emplace_back(new Id3v2FieldFrame(kTIT2, std::string(length, 't')));
    return WriteId3v2(path, frames, true, 3004);
}

TEST(FileCommit, AWriterKeepsOthersOutAndANewerVersionIsNeverClobbered) {
    TempDir dir;
    const std::string song = dir.Path("song.mp3");
    ASSERT_TRUE(WriteBytes(song, kSong));
    {
        std::unique_ptr<File> other = Fs().Open(song, OpenMode::ReadWrite);
        ASSERT_TRUE(other);
        EXPECT_FALSE(Fs().Open(song, OpenMode::ReadWrite));
        EXPECT_EQ(LastFileError(), kReasonInUse);
        ClearFileError();
        EXPECT_NE(RewriteTitle(song), Id3v2Error::NoError);
        EXPECT_EQ(LastFileError(), kReasonInUse);
        EXPECT_TRUE(Fs().Open(song, OpenMode::Read)) << "readers are let in";
    }
    EXPECT_EQ(ReadBytes(song), kSong);
    EXPECT_FALSE(HasTemporaryFiles(dir.path()));

    // A program that does not take part in the locking replaces the song
    // while our rewrite is under way: the commit sees it and leaves its file.
    std::unique_ptr<File> held = Fs().Open(song, OpenMode::ReadWrite);
    ASSERT_TRUE(held);
    std::string tempPath;
    std::unique_ptr<File> temp = Fs().CreateTemporary(song, tempPath);
    ASSERT_TRUE(temp);
    ASSERT_EQ(temp->Write("mine", 4), 4u);
    ASSERT_TRUE(temp->Flush());
#ifndef _WIN32
    ASSERT_TRUE(WriteBytes(dir.Path("newer"), "newer version"));
    ASSERT_EQ(::rename(dir.Path("newer").c_str(), song.c_str()), 0);
    EXPECT_FALSE(Fs().Commit(*temp, tempPath, song, held.get()));
    EXPECT_EQ(LastFileError(), kReasonChanged);
    EXPECT_EQ(ReadBytes(song), "newer version");
#else
    // Here the open song cannot be replaced at all until it is closed.
    ASSERT_TRUE(WriteBytes(dir.Path("newer"), "newer version"));
    EXPECT_FALSE(Fs().Replace(dir.Path("newer"), song));
    EXPECT_TRUE(Fs().Commit(*temp, tempPath, song, held.get()));
    EXPECT_EQ(ReadBytes(song), "mine");
    Fs().Remove(dir.Path("newer"));
#endif
    EXPECT_FALSE(HasTemporaryFiles(dir.path()));
}

TEST(FileCommit, TemporaryNamesAreTakenOnlyWhenNew) {
    TempDir dir;
    const std::string target = dir.Path("list.m3u");
    ASSERT_TRUE(WriteBytes(target, "old"));
    std::string last;
    std::unique_ptr<File> a = Fs().CreateTemporary(target, last);
    ASSERT_TRUE(a);
    a->Close();
    Fs().Remove(last);
    // Whatever sits at the next names (a file, or on POSIX a link to a victim)
    // is skipped, never opened.
    const std::string next = BaseName(last);
    const size_t dash = next.find('-');
    const unsigned long n = std::strtoul(next.substr(dash + 1).c_str(), nullptr, 16);
    const uint32_t process =
        static_cast<uint32_t>(std::strtoul(next.substr(3, dash - 3).c_str(), nullptr, 16));
    ASSERT_TRUE(WriteBytes(dir.Path("victim"), "victim"));
    for (unsigned long k = n + 1; k <= n + 20; ++k) {
        const std::string taken = TemporaryPathBeside(target, process, static_cast<uint32_t>(k));
#ifndef _WIN32
        ASSERT_EQ(::symlink(dir.Path("victim").c_str(), taken.c_str()), 0);
#else
        ASSERT_TRUE(WriteBytes(taken, "taken"));
#endif
    }
    ASSERT_TRUE(WriteFileAtomically(target, "new", 3));
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(ReadBytes(dir.Path("victim")), "victim");
    EXPECT_EQ(SortedNames(dir.path()).size(), 22u);
}

#ifdef _WIN32
TEST(FileCommit, ARewriteKeepsTheAttributes) {
    TempDir dir;
    const std::string song = dir.Path("hidden.mp3");
    ASSERT_TRUE(WriteBytes(song, kSong));
    ASSERT_TRUE(Fs().SetAttributes(song, kAttrHidden | kAttrArchive));
    ASSERT_EQ(RewriteTitle(song), Id3v2Error::NoError);
    EXPECT_EQ(ReadBytes(song).compare(0, 3, "ID3"), 0);
    uint32_t attributes = 0;
    ASSERT_TRUE(Fs().GetAttributes(song, attributes));
    EXPECT_TRUE(attributes & kAttrHidden);
    EXPECT_FALSE(attributes & kAttrReadOnly);
    EXPECT_FALSE(HasTemporaryFiles(dir.path()));
}
#endif

#ifndef _WIN32
TEST(FileCommit, HardLinkedSongsAreRewrittenOnlyInPlace) {
    // A rewrite through a temporary file would part the names, so it is
    // refused; a change that fits in place reaches both.
    TempDir dir;
    const std::string shared = dir.Path("shared.mp3");
    const std::string other = dir.Path("other name.mp3");
    ASSERT_TRUE(WriteBytes(shared, kSong));
    ASSERT_EQ(::link(shared.c_str(), other.c_str()), 0);
    EXPECT_EQ(RewriteTitle(shared), Id3v2Error::MoveFailed);
    EXPECT_EQ(LastFileError(), kReasonHardLinks);
    EXPECT_EQ(ReadBytes(other), kSong);
    ::unlink(other.c_str());
    ASSERT_EQ(RewriteTitle(shared), Id3v2Error::NoError);
    ASSERT_EQ(::link(shared.c_str(), other.c_str()), 0);
    ASSERT_EQ(RewriteTitle(shared, 100), Id3v2Error::NoError);
    EXPECT_EQ(ReadBytes(other), ReadBytes(shared));
    EXPECT_EQ(ReadBytes(other).compare(0, 3, "ID3"), 0);
    EXPECT_FALSE(HasTemporaryFiles(dir.path()));
}

TEST(FileCommit, StaleTemporariesGoHeldAndForeignOnesStay) {
    TempDir dir;
    const std::string beside = dir.Path("song.mp3");
    std::string heldPath;
    std::unique_ptr<File> held = Fs().CreateTemporary(beside, heldPath);
    ASSERT_TRUE(held);
    const std::string stale = TemporaryPathBeside(beside, 0x7fff, 3);
    ASSERT_TRUE(WriteBytes(stale, "left by a killed run"));
    ASSERT_TRUE(WriteBytes(dir.Path("victim"), "victim"));
    ASSERT_EQ(::symlink(dir.Path("victim").c_str(), TemporaryPathBeside(beside, 0x7fff, 4).c_str()), 0);
    for (const char* name : {"~tdcopy3.tmp", "~td12-zz.tmp", "song.mp3.mp3tmp", "~td1-2.tmp.mp3"}) {
        ASSERT_TRUE(WriteBytes(dir.Path(name), "not ours"));
    }
    ASSERT_EQ(::mkdir(TemporaryPathBeside(beside, 0x7fff, 5).c_str(), 0700), 0);
    RemoveStaleTemporaries(dir.path());
    EXPECT_FALSE(FileExists(stale));
    EXPECT_TRUE(FileExists(heldPath));
    EXPECT_EQ(ReadBytes(dir.Path("victim")), "victim");
    EXPECT_EQ(SortedNames(dir.path()).size(), 8u);
    held->Close();
    RemoveStaleTemporaries(dir.path());
    EXPECT_FALSE(FileExists(heldPath));
}
#endif

}  // namespace
}  // namespace td
