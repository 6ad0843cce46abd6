#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace td {
namespace {

using test::FaultyFileSystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::string ReadAll(File& file) {
    std::string out;
    char buffer[7];  // odd size: exercises several reads
    size_t got;
    while ((got = file.Read(buffer, sizeof(buffer))) > 0) out.append(buffer, got);
    return out;
}

// Restores write permission so that the temporary directory can be removed
// on Windows too.
void MakeWritable(const std::string& path) { NativeFs().SetAttributes(path, 0); }

TEST(FileSeam, CreateWriteSeekReadAndSize) {
    TempDir dir;
    const std::string path = dir.Path("a.bin");
    auto file = Fs().Open(path, OpenMode::Create);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Write("hello world", 11), 11u);
    EXPECT_EQ(file->Tell(), 11u);
    uint64_t size = 0;
    ASSERT_TRUE(file->GetSize(size));
    EXPECT_EQ(size, 11u);
    ASSERT_TRUE(file->Seek(6));
    EXPECT_EQ(file->Tell(), 6u);
    EXPECT_EQ(ReadAll(*file), "world");
    ASSERT_TRUE(file->Seek(0));
    EXPECT_EQ(file->Write("J", 1), 1u);
    EXPECT_TRUE(file->Flush());
    EXPECT_TRUE(file->Close());
    EXPECT_TRUE(file->Close()) << "closing twice is harmless";
    EXPECT_EQ(ReadBytes(path), "Jello world");
}

TEST(FileSeam, SeekPastEndThenWriteFillsWithZeros) {
    TempDir dir;
    const std::string path = dir.Path("gap.bin");
    auto file = Fs().Open(path, OpenMode::Create);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->Seek(4));
    EXPECT_EQ(file->Write("x", 1), 1u);
    ASSERT_TRUE(file->Close());
    EXPECT_EQ(ReadBytes(path), std::string("\0\0\0\0x", 5));
}

TEST(FileSeam, TruncateShortensAndKeepsPosition) {
    TempDir dir;
    const std::string path = dir.Path("t.bin");
    ASSERT_TRUE(WriteBytes(path, std::string("0123456789")));
    auto file = Fs().Open(path, OpenMode::ReadWrite);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->Seek(2));
    ASSERT_TRUE(file->Truncate(4));
    EXPECT_EQ(file->Tell(), 2u);
    uint64_t size = 0;
    ASSERT_TRUE(file->GetSize(size));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(ReadAll(*file), "23");
    ASSERT_TRUE(file->Truncate(6));
    ASSERT_TRUE(file->Close());
    EXPECT_EQ(ReadBytes(path), std::string("0123\0\0", 6));
}

TEST(FileSeam, OpenModesOnExistingAndMissingFiles) {
    TempDir dir;
    const std::string path = dir.Path("m.bin");
    EXPECT_FALSE(Fs().Open(path, OpenMode::Read));
    EXPECT_FALSE(Fs().Open(path, OpenMode::ReadWrite));
    ASSERT_TRUE(WriteBytes(path, std::string("old content")));

    EXPECT_FALSE(Fs().Open(path, OpenMode::CreateNew)) << "CreateNew must not touch a file";
    EXPECT_EQ(ReadBytes(path), "old content");

    auto rw = Fs().Open(path, OpenMode::ReadWrite);
    ASSERT_TRUE(rw);
    EXPECT_EQ(rw->Tell(), 0u);
    EXPECT_EQ(ReadAll(*rw), "old content");
    rw.reset();

    auto created = Fs().Open(path, OpenMode::Create);
    ASSERT_TRUE(created);
    uint64_t size = 99;
    ASSERT_TRUE(created->GetSize(size));
    EXPECT_EQ(size, 0u) << "Create truncates";
    created.reset();

    const std::string fresh = dir.Path("new.bin");
    auto made = Fs().Open(fresh, OpenMode::CreateNew);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->Write("n", 1), 1u);
    EXPECT_TRUE(made->Close());
    EXPECT_EQ(ReadBytes(fresh), "n");
}

TEST(FileSeam, ReadOnlyFileIsRefusedForWriting) {
    TempDir dir;
    const std::string path = dir.Path("ro.bin");
    ASSERT_TRUE(WriteBytes(path, std::string("keep me")));
    ASSERT_TRUE(Fs().SetAttributes(path, kAttrReadOnly));

    EXPECT_FALSE(Fs().Open(path, OpenMode::ReadWrite));
    EXPECT_FALSE(Fs().Open(path, OpenMode::Create));
    EXPECT_FALSE(Fs().Open(path, OpenMode::CreateNew));
    EXPECT_FALSE(Fs().Remove(path));
    auto reader = Fs().Open(path, OpenMode::Read);
    ASSERT_TRUE(reader);
    EXPECT_EQ(ReadAll(*reader), "keep me");
    reader.reset();
    EXPECT_EQ(ReadBytes(path), "keep me");
    MakeWritable(path);
}

TEST(FileSeam, DirectoriesAreNotFiles) {
    TempDir dir;
    EXPECT_FALSE(Fs().Open(dir.path(), OpenMode::Read));
    EXPECT_FALSE(Fs().Open(dir.path(), OpenMode::ReadWrite));
    uint32_t attributes = 0;
    ASSERT_TRUE(Fs().GetAttributes(dir.path(), attributes));
    EXPECT_TRUE(attributes & kAttrDirectory);
}

TEST(FileSeam, AttributesRoundTrip) {
    TempDir dir;
    const std::string path = dir.Path("attr.bin");
    ASSERT_TRUE(WriteBytes(path, std::string("12345")));

    uint32_t attributes = 0;
    ASSERT_TRUE(Fs().GetAttributes(path, attributes));
    EXPECT_FALSE(attributes & kAttrReadOnly);
    EXPECT_FALSE(attributes & kAttrDirectory);

    ASSERT_TRUE(Fs().SetAttributes(path, attributes | kAttrReadOnly));
    uint32_t read_only = 0;
    ASSERT_TRUE(Fs().GetAttributes(path, read_only));
    EXPECT_TRUE(read_only & kAttrReadOnly);

    FileStatus status;
    ASSERT_TRUE(Fs().GetStatus(path, status));
    EXPECT_EQ(status.size, 5u);
    EXPECT_TRUE(status.attributes & kAttrReadOnly);
    EXPECT_GT(status.modified, 1500000000u);  // after 2017: a real clock value

    // Restoring the saved attributes gives back a writable file.
    ASSERT_TRUE(Fs().SetAttributes(path, attributes));
    uint32_t restored = 0;
    ASSERT_TRUE(Fs().GetAttributes(path, restored));
    EXPECT_EQ(restored & kAttrReadOnly, 0u);
    EXPECT_TRUE(Fs().Open(path, OpenMode::ReadWrite));

    EXPECT_FALSE(Fs().GetAttributes(dir.Path("missing"), attributes));
    EXPECT_FALSE(Fs().GetStatus(dir.Path("missing"), status));
    EXPECT_FALSE(Fs().SetAttributes(dir.Path("missing"), 0));
}

TEST(FileSeam, RemoveDeletesFiles) {
    TempDir dir;
    const std::string path = dir.Path("gone.bin");
    ASSERT_TRUE(WriteBytes(path, std::string("x")));
    EXPECT_TRUE(Fs().Remove(path));
    EXPECT_FALSE(test::FileExists(path));
    EXPECT_FALSE(Fs().Remove(path));
}

TEST(FileSeam, RenameMovesAndNeverReplaces) {
    TempDir dir;
    const std::string a = dir.Path("a.mp3");
    const std::string b = dir.Path("b.mp3");
    const std::string c = dir.Path("c.mp3");
    ASSERT_TRUE(WriteBytes(a, std::string("AAA")));
    ASSERT_TRUE(WriteBytes(b, std::string("BBB")));

    EXPECT_FALSE(Fs().Rename(a, b));
    EXPECT_EQ(ReadBytes(a), "AAA");
    EXPECT_EQ(ReadBytes(b), "BBB");

    EXPECT_TRUE(Fs().Rename(a, c));
    EXPECT_FALSE(test::FileExists(a));
    EXPECT_EQ(ReadBytes(c), "AAA");
    EXPECT_FALSE(Fs().Rename(a, dir.Path("d.mp3"))) << "source is gone";
}

TEST(FileSeam, ReplacePutsSourceInPlaceOfTarget) {
    TempDir dir;
    const std::string source = dir.Path("new.tmp");
    const std::string target = dir.Path("song.mp3");
    ASSERT_TRUE(WriteBytes(source, std::string("new content")));
    ASSERT_TRUE(WriteBytes(target, std::string("old")));
    EXPECT_TRUE(Fs().Replace(source, target));
    EXPECT_EQ(ReadBytes(target), "new content");
    EXPECT_FALSE(test::FileExists(source));

    const std::string missing = dir.Path("fresh.mp3");
    ASSERT_TRUE(WriteBytes(source, std::string("fresh")));
    EXPECT_TRUE(Fs().Replace(source, missing));
    EXPECT_EQ(ReadBytes(missing), "fresh");
    EXPECT_FALSE(test::FileExists(source));

    EXPECT_FALSE(Fs().Replace(dir.Path("nothing"), target));
    EXPECT_EQ(ReadBytes(target), "new content");
}

TEST(FileSeam, ReplaceRefusesReadOnlyTarget) {
    TempDir dir;
    const std::string source = dir.Path("new.tmp");
    const std::string target = dir.Path("locked.mp3");
    ASSERT_TRUE(WriteBytes(source, std::string("new")));
    ASSERT_TRUE(WriteBytes(target, std::string("old")));
    ASSERT_TRUE(Fs().SetAttributes(target, kAttrReadOnly));
    EXPECT_FALSE(Fs().Replace(source, target));
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(ReadBytes(source), "new");
    MakeWritable(target);
}

TEST(FileHelpers, ReadWholeFile) {
    TempDir dir;
    const std::string path = dir.Path("whole.bin");
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(WriteBytes(path, big));
    std::string out = "stale";
    ASSERT_TRUE(ReadWholeFile(path, out));
    EXPECT_EQ(out, big);
    EXPECT_FALSE(ReadWholeFile(dir.Path("missing"), out));
    EXPECT_TRUE(out.empty());
}

TEST(FileHelpers, WriteFileAtomicallyReplacesContent) {
    TempDir dir;
    const std::string path = dir.Path("settings.ini");
    ASSERT_TRUE(WriteFileAtomically(path, "first", 5));
    EXPECT_EQ(ReadBytes(path), "first");
    ASSERT_TRUE(WriteFileAtomically(path, "second!", 7));
    EXPECT_EQ(ReadBytes(path), "second!");
    EXPECT_FALSE(test::FileExists(path + ".tmp~"));
}

// Every step of the atomic write is made to fail in turn: the old content must
// survive each failure, and no temporary file may be left behind.
TEST(FileHelpers, WriteFileAtomicallyKeepsOldContentOnEveryFailure) {
    using Op = FaultyFileSystem::Op;
    TempDir dir;
    const std::string path = dir.Path("data.ini");
    ASSERT_TRUE(WriteBytes(path, std::string("old content")));
    const std::string next = "new content that is longer";

    FaultyFileSystem counting;
    {
        test::ScopedFs scoped(counting);
        ASSERT_TRUE(WriteFileAtomically(path, next.data(), next.size()));
    }
    ASSERT_EQ(ReadBytes(path), next);

    for (Op op : {Op::Open, Op::Write, Op::Flush, Op::Close, Op::Replace}) {
        const int steps = counting.Count(op);
        ASSERT_GT(steps, 0) << static_cast<int>(op);
        for (int nth = 1; nth <= steps; ++nth) {
            for (bool short_writes : {false, true}) {
                ASSERT_TRUE(WriteBytes(path, std::string("old content")));
                FaultyFileSystem faulty;
                faulty.SetShortWrites(short_writes);
                faulty.FailAt(op, nth);
                test::ScopedFs scoped(faulty);
                EXPECT_FALSE(WriteFileAtomically(path, next.data(), next.size()))
                    << "op " << static_cast<int>(op) << " call " << nth;
                EXPECT_EQ(ReadBytes(path), "old content");
                EXPECT_FALSE(test::FileExists(path + ".tmp~"));
                EXPECT_EQ(faulty.Failures(), 1);
            }
        }
    }
}

TEST(FileHelpers, BaseName) {
    EXPECT_EQ(BaseName("C:\\Music\\a.mp3"), "a.mp3");
    EXPECT_EQ(BaseName("/music/b.mp3"), "b.mp3");
    EXPECT_EQ(BaseName("C:\\Music/mixed\\c.mp3"), "c.mp3");
    EXPECT_EQ(BaseName("plain.mp3"), "plain.mp3");
    EXPECT_EQ(BaseName("dir\\"), "");
}

TEST(FaultyFileSystem, CountsAndFailsTheChosenCall) {
    using Op = FaultyFileSystem::Op;
    TempDir dir;
    const std::string path = dir.Path("f.bin");
    ASSERT_TRUE(WriteBytes(path, std::string("abcdef")));
    FaultyFileSystem faulty;
    test::ScopedFs scoped(faulty);
    EXPECT_EQ(&Fs(), &faulty);

    auto file = Fs().Open(path, OpenMode::ReadWrite);
    ASSERT_TRUE(file);
    char buffer[2];
    faulty.FailAt(Op::Read, 2);
    EXPECT_EQ(file->Read(buffer, 2), 2u);
    EXPECT_EQ(file->Read(buffer, 2), 0u);
    EXPECT_EQ(file->Read(buffer, 2), 2u);
    EXPECT_EQ(faulty.Count(Op::Read), 3);

    faulty.SetShortWrites(true);
    faulty.FailFrom(Op::Write, 1);
    EXPECT_EQ(file->Write("wxyz", 4), 2u);
    EXPECT_EQ(file->Write("wxyz", 4), 2u);
    faulty.FailAt(Op::Write, 0);
    EXPECT_EQ(file->Write("q", 1), 1u);

    faulty.FailAt(Op::Close, 1);
    EXPECT_FALSE(file->Close());
    EXPECT_EQ(faulty.Failures(), 4);

    faulty.FailAt(Op::Rename, 1);
    EXPECT_FALSE(Fs().Rename(path, dir.Path("g.bin")));
    EXPECT_TRUE(Fs().Rename(path, dir.Path("g.bin")));

    faulty.Reset();
    EXPECT_EQ(faulty.Count(Op::Read), 0);
    EXPECT_EQ(faulty.Failures(), 0);
}

TEST(FaultyFileSystem, ScopedFsRestoresThePreviousFileSystem) {
    FaultyFileSystem outer;
    FaultyFileSystem inner;
    {
        test::ScopedFs a(outer);
        {
            test::ScopedFs b(inner);
            EXPECT_EQ(&Fs(), &inner);
        }
        EXPECT_EQ(&Fs(), &outer);
    }
    EXPECT_EQ(&Fs(), &NativeFs());
}

}  // namespace
}  // namespace td
