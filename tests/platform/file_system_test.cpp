#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace td {
namespace {

using namespace test;
using Op = FaultyFileSystem::Op;

TEST(FileSeam, ReadOnlyFilesAreRefusedAndTheAttributeRoundTrips) {
    TempDir dir;
    const std::string path = dir.Path("ro.bin");
    ASSERT_TRUE(WriteBytes(path, "keep me"));
    uint32_t saved = 0;
    ASSERT_TRUE(Fs().GetAttributes(path, saved));
    ASSERT_TRUE(Fs().SetAttributes(path, saved | kAttrReadOnly));
    EXPECT_FALSE(Fs().Open(path, OpenMode::ReadWrite));
    EXPECT_FALSE(Fs().Open(path, OpenMode::Create));
    EXPECT_FALSE(Fs().Remove(path));
    ASSERT_TRUE(WriteBytes(dir.Path("new.tmp"), "new"));
    EXPECT_FALSE(Fs().Replace(dir.Path("new.tmp"), path));
    EXPECT_EQ(ReadBytes(path), "keep me");
    EXPECT_EQ(ReadBytes(dir.Path("new.tmp")), "new");
    FileStatus status;
    ASSERT_TRUE(Fs().GetStatus(path, status));
    EXPECT_EQ(status.size, 7u);
    EXPECT_GT(status.modified, 1500000000u);  // a real clock value
    ASSERT_TRUE(Fs().SetAttributes(path, saved));
    EXPECT_TRUE(Fs().Open(path, OpenMode::ReadWrite));
    EXPECT_FALSE(Fs().GetStatus(dir.Path("missing"), status));
}

// Every step of the atomic write fails in turn: the old content survives and
// no temporary file is left behind.
TEST(FileHelpers, WriteFileAtomicallyKeepsOldContentOnEveryFailure) {
    TempDir dir;
    const std::string path = dir.Path("data.ini");
    ASSERT_TRUE(WriteBytes(path, "old content"));
    const std::string next = "new content that is longer";
    FaultyFileSystem counting;
    {
        test::ScopedFs scoped(counting);
        ASSERT_TRUE(WriteFileAtomically(path, next.data(), next.size()));
    }
    ASSERT_EQ(ReadBytes(path), next);
    std::string read;
    EXPECT_TRUE(ReadWholeFile(path, read));
    EXPECT_EQ(read, next);
    EXPECT_FALSE(ReadWholeFile(dir.Path("missing"), read));
    for (Op op : {Op::Open, Op::Write, Op::Flush, Op::Close, Op::Replace}) {
        const int steps = counting.Count(op);
        ASSERT_GT(steps, 0) << static_cast<int>(op);
        for (int nth = 1; nth <= steps; ++nth) {
            for (bool shortWrites : {false, true}) {
                ASSERT_TRUE(WriteBytes(path, "old content"));
                FaultyFileSystem faulty;
                faulty.SetShortWrites(shortWrites);
                faulty.FailAt(op, nth);
                test::ScopedFs scoped(faulty);
                EXPECT_FALSE(WriteFileAtomically(path, next.data(), next.size()))
                    << "op " << static_cast<int>(op) << " call " << nth;
                EXPECT_EQ(ReadBytes(path), "old content");
                EXPECT_FALSE(HasTemporaryFiles(dir.path()));
                EXPECT_EQ(faulty.Failures(), 1);
            }
        }
    }
}

}  // namespace
}  // namespace td
