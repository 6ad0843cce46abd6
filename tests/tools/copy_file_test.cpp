// Copy, move and directory creation on real files, with failures injected at
// every step of a copy: whatever fails, the destination holds either nothing
// or the complete file, and no other file is ever replaced.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/copy_file.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "tests/support/test_support.h"

namespace td {
namespace {

using test::FaultyFileSystem;
using test::FileExists;
using test::SortedNames;
using test::ReadBytes;
using test::ScopedFs;
using test::TempDir;
using test::WriteBytes;
using Op = FaultyFileSystem::Op;

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    return bytes;
}

class CopyFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_ = dir_.Path("src.mp3");
        target_ = dir_.Path("out") + kPathSeparator + "dst.mp3";
        content_ = Pattern(700 * 1024 + 13);  // several copy blocks and a tail
        ASSERT_TRUE(WriteBytes(source_, content_));
        ASSERT_TRUE(MakeDirectories(dir_.Path("out")));
    }
    // The destination directory holds nothing: no partial file, no temporary.
    void ExpectNothingLeft() {
        EXPECT_FALSE(FileExists(target_));
        EXPECT_TRUE(SortedNames(dir_.Path("out")).empty());
        EXPECT_EQ(ReadBytes(source_), content_);
    }

    TempDir dir_;
    std::string source_;
    std::string target_;
    std::string content_;
};

TEST_F(CopyFileTest, CopiesEveryByteAndKeepsTheSource) {
    ASSERT_TRUE(CopyFileNoReplace(source_, target_));
    EXPECT_EQ(ReadBytes(target_), content_);
    EXPECT_EQ(ReadBytes(source_), content_);
    EXPECT_EQ(SortedNames(dir_.Path("out")), std::vector<std::string>{"dst.mp3"});
}

TEST_F(CopyFileTest, EmptyFileIsCopied) {
    ASSERT_TRUE(WriteBytes(source_, std::string()));
    content_.clear();
    ASSERT_TRUE(CopyFileNoReplace(source_, target_));
    EXPECT_TRUE(FileExists(target_));
    EXPECT_EQ(ReadBytes(target_), "");
}

TEST_F(CopyFileTest, NeverReplacesAnExistingTarget) {
    ASSERT_TRUE(WriteBytes(target_, "precious"));
    EXPECT_FALSE(CopyFileNoReplace(source_, target_));
    EXPECT_EQ(ReadBytes(target_), "precious");
    EXPECT_EQ(SortedNames(dir_.Path("out")), std::vector<std::string>{"dst.mp3"});
}

TEST_F(CopyFileTest, MissingSourceOrDirectoryFails) {
    EXPECT_FALSE(CopyFileNoReplace(dir_.Path("none.mp3"), target_));
    EXPECT_FALSE(CopyFileNoReplace(dir_.Path("out"), target_));
    ExpectNothingLeft();
}

// Each step of the copy fails once; nothing may be left at the destination.
TEST_F(CopyFileTest, FailureAtAnyStepLeavesNoPartialFile) {
    struct Case {
        Op op;
        int nth;
        const char* what;
    };
    const Case cases[] = {
        {Op::Open, 1, "opening the source"},
        {Op::Open, 2, "creating the temporary (read-only medium)"},
        {Op::Read, 2, "reading midway"},
        {Op::Write, 2, "writing midway (full disk)"},
        {Op::Flush, 1, "flushing"},
        {Op::Close, 1, "closing the temporary"},
        {Op::Rename, 1, "the final rename"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FaultyFileSystem faulty;
        faulty.SetShortWrites(true);
        faulty.FailAt(c.op, c.nth);
        {
            ScopedFs scoped(faulty);
            EXPECT_FALSE(CopyFileNoReplace(source_, target_));
        }
        EXPECT_EQ(faulty.Failures(), 1);
        ExpectNothingLeft();
    }
}

TEST_F(CopyFileTest, TakenTemporaryNameIsSkipped) {
    // Whatever temporary names are tried first, files of those names survive.
    for (int i = 0; i < 5; ++i) {
        const std::string name = dir_.Path("out") + kPathSeparator + "~tdcopy" + std::to_string(i) + ".tmp";
        ASSERT_TRUE(WriteBytes(name, "other"));
    }
    ASSERT_TRUE(CopyFileNoReplace(source_, target_));
    EXPECT_EQ(ReadBytes(target_), content_);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ReadBytes(dir_.Path("out") + kPathSeparator + "~tdcopy" + std::to_string(i) + ".tmp"),
                  "other");
    }
    EXPECT_EQ(SortedNames(dir_.Path("out")).size(), 6u);
}

TEST_F(CopyFileTest, MoveRenamesAndRefusesAnExistingTarget) {
    ASSERT_TRUE(MoveFileNoReplace(source_, target_));
    EXPECT_FALSE(FileExists(source_));
    EXPECT_EQ(ReadBytes(target_), content_);

    ASSERT_TRUE(WriteBytes(source_, "second"));
    EXPECT_FALSE(MoveFileNoReplace(source_, target_));
    EXPECT_EQ(ReadBytes(source_), "second");
    EXPECT_EQ(ReadBytes(target_), content_);
}

// A rename the system refuses (another volume) falls back to copy and remove.
TEST_F(CopyFileTest, MoveAcrossVolumesCopiesThenRemoves) {
    FaultyFileSystem faulty;
    faulty.FailAt(Op::Rename, 1);
    {
        ScopedFs scoped(faulty);
        ASSERT_TRUE(MoveFileNoReplace(source_, target_));
    }
    EXPECT_FALSE(FileExists(source_));
    EXPECT_EQ(ReadBytes(target_), content_);
    EXPECT_EQ(SortedNames(dir_.Path("out")), std::vector<std::string>{"dst.mp3"});
}

TEST_F(CopyFileTest, MoveWhoseSourceCannotBeRemovedTakesTheCopyBack) {
    FaultyFileSystem faulty;
    faulty.FailAt(Op::Rename, 1);
    faulty.FailAt(Op::Remove, 1);
    {
        ScopedFs scoped(faulty);
        EXPECT_FALSE(MoveFileNoReplace(source_, target_));
    }
    ExpectNothingLeft();
}

TEST_F(CopyFileTest, MoveOntoAReadOnlyMediumLeavesTheSource) {
    FaultyFileSystem faulty;
    faulty.FailFrom(Op::Rename, 1);
    faulty.FailFrom(Op::Open, 1);
    {
        ScopedFs scoped(faulty);
        EXPECT_FALSE(MoveFileNoReplace(source_, target_));
    }
    ExpectNothingLeft();
}

TEST(MakeDirectoriesTest, CreatesEveryMissingLevel) {
    TempDir dir;
    const std::string deep = dir.Path("a") + kPathSeparator + "b" + kPathSeparator + "c";
    ASSERT_TRUE(MakeDirectories(deep));
    FileStatus status;
    ASSERT_TRUE(Fs().GetStatus(deep, status));
    EXPECT_NE(status.attributes & kAttrDirectory, 0u);
    EXPECT_TRUE(MakeDirectories(deep));                      // exists: fine
    EXPECT_TRUE(MakeDirectories(deep + kPathSeparator));     // trailing separator
    EXPECT_TRUE(MakeDirectories(dir.path()));
}

TEST(MakeDirectoriesTest, AFileInTheWayFails) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir.Path("file"), "x"));
    EXPECT_FALSE(MakeDirectories(dir.Path("file")));
    EXPECT_FALSE(MakeDirectories(dir.Path("file") + kPathSeparator + "sub"));
    EXPECT_EQ(ReadBytes(dir.Path("file")), "x");
    EXPECT_FALSE(MakeDirectories(""));
}

}  // namespace
}  // namespace td
