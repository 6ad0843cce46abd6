#include "tools/convert.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "settings/lang_table.h"
#include "support/test_support.h"
#include "tags/id3v1/id3v1.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/song_record.h"
#include "tests/tools/tool_test_files.h"

namespace td {
namespace {

using test::FaultyFileSystem;
using test::ReadBytes;
using test::ScopedFs;
using test::TempDir;
using test::WriteBytes;
using namespace tooltest;

class ConvertTest : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.Path(name);
        WriteBytes(path, bytes);
        return path;
    }
    std::string OnlyV1(const std::string& name, uint8_t fileGenre = 17) {
        return Write(name, Audio() + Id3v1("Song", "Band", "", "1999", "  ", fileGenre, 0));
    }
    std::string OnlyV2(const std::string& name, const std::string& genre, const std::string& track) {
        return Write(name, Tag(Frame("TIT2", Text("Title")) + Frame("TPE1", Text("Artist")) +
                               Frame("TCON", Text(genre)) + Frame("TRCK", Text(track)) +
                               Frame("COMM", Comment("A comment longer than thirty chars"))) +
                               Audio());
    }
    std::string Both(const std::string& name) {
        return Write(name, Tag(Frame("TIT2", Text("Two"))) + Audio() +
                               Id3v1("One", "", "", "", "", 0, 1));
    }
    static std::string V2(const SongRecord& r, int type) { return SongRecord::MainText(r.GetFrame(type)); }

    TempDir dir_;
};

TEST_F(ConvertTest, CopyV1ToV2MakesTheSevenFrames) {
    const std::string path = OnlyV1("a.mp3", 17);
    SongRecord entry(path, true);
    ASSERT_TRUE(convertFile(&entry, kConvertV1ToV2));
    SongRecord disk(path, true);
    EXPECT_EQ(disk.GetTagFlags(), 3u);
    EXPECT_EQ(V2(disk, kTIT2), "Song");
    EXPECT_EQ(V2(disk, kTPE1), "Band");
    EXPECT_EQ(V2(disk, kTYER), "1999");
    EXPECT_EQ(V2(disk, kTCON), GenreName(18));
    EXPECT_EQ(V2(disk, kTCON), "Rock");
    EXPECT_EQ(V2(entry, kTCON), "Rock");
    EXPECT_EQ(entry.GetTagFlags(), 3u);
}

TEST_F(ConvertTest, CopyV1ToV2WithoutV1FailsAndChangesNothing) {
    const std::string path = OnlyV2("b.mp3", "Rock", "3");
    const std::string before = ReadBytes(path);
    SongRecord entry(path, true);
    EXPECT_FALSE(convertFile(&entry, kConvertV1ToV2));
    EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(ConvertTest, CopyV2ToV1CutsAndParsesTheFields) {
    const std::string path = OnlyV2("c.mp3", "Not a genre name", "3/12");
    SongRecord entry(path, true);
    ASSERT_TRUE(convertFile(&entry, kConvertV2ToV1));
    SongRecord disk(path, true);
    ASSERT_NE(disk.GetId3v1(), nullptr);
    EXPECT_EQ(disk.GetTagFlags(), 3u);
    EXPECT_STREQ(disk.GetId3v1()->title, "Title");
    EXPECT_EQ(std::string(disk.GetId3v1()->comment), std::string("A comment longer than thirty chars").substr(0, 28))
        << "ID3v1.1 keeps 28 comment characters beside the track";
    EXPECT_EQ(disk.GetId3v1()->track, 3u);
    EXPECT_EQ(disk.GetId3v1()->genre, 0);
    EXPECT_EQ(V2(disk, kTIT2), "Title");  // ID3v2 stays
}

TEST_F(ConvertTest, CopyV2ToV1TakesAKnownGenre) {
    const std::string path = OnlyV2("c.mp3", "Jazz", "");
    SongRecord entry(path, true);
    ASSERT_TRUE(convertFile(&entry, kConvertV2ToV1));
    EXPECT_STREQ(GenreName(SongRecord(path, true).GetId3v1()->genre), "Jazz");
}

TEST_F(ConvertTest, RemovingEachTag) {
    const std::string audio = Audio();
    {
        const std::string path = Both("r1.mp3");
        SongRecord entry(path, true);
        ASSERT_TRUE(convertFile(&entry, kConvertRemoveV1));
        SongRecord disk(path, true);
        EXPECT_EQ(disk.GetTagFlags(), 2u);
        EXPECT_EQ(entry.GetTagFlags(), 2u);
    }
    {
        const std::string path = Both("r2.mp3");
        SongRecord entry(path, true);
        ASSERT_TRUE(convertFile(&entry, kConvertRemoveV2));
        EXPECT_EQ(SongRecord(path, true).GetTagFlags(), 1u);
    }
    {
        const std::string path = Both("r3.mp3");
        SongRecord entry(path, true);
        ASSERT_TRUE(convertFile(&entry, kConvertRemoveAll));
        EXPECT_EQ(ReadBytes(path), audio);
        // A record left without tags shows its file name as artist.
        EXPECT_EQ(entry.GetTagFlags(), 0u);
        EXPECT_EQ(V2(entry, kTPE1), "R3.mp3");
    }
}

TEST_F(ConvertTest, RemovingAnAbsentTagStillSucceeds) {
    const std::string path = OnlyV1("v1.mp3");
    const size_t size = ReadBytes(path).size();
    SongRecord entry(path, true);
    EXPECT_TRUE(convertFile(&entry, kConvertRemoveV2));
    const std::string after = ReadBytes(path);
    EXPECT_EQ(after.size(), size);
    EXPECT_EQ(after.compare(0, Audio().size(), Audio()), 0);
    SongRecord disk(path, true);
    EXPECT_EQ(disk.GetTagFlags(), 1u);
    EXPECT_STREQ(disk.GetId3v1()->title, "Song");
}

TEST_F(ConvertTest, AFailedWriteLeavesTheEntryShowingTheFile) {
    const std::string path = OnlyV1("f.mp3");
    const std::string before = ReadBytes(path);
    SongRecord entry(path, true);
    FaultyFileSystem faulty;
    {
        ScopedFs scoped(faulty);
        faulty.FailFrom(FaultyFileSystem::Op::Write, 1);
        EXPECT_FALSE(convertFile(&entry, kConvertV1ToV2));
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(entry.GetTagFlags(), 1u);
    EXPECT_EQ(entry.GetFrame(kTIT2), nullptr);
}

TEST_F(ConvertTest, MissingFileUnknownOpAndNoEntryFail) {
    SongRecord gone(dir_.Path("gone.mp3"), true);
    for (int op = 0; op < kConvertOpCount; ++op) EXPECT_FALSE(convertFile(&gone, op)) << op;
    EXPECT_FALSE(test::FileExists(dir_.Path("gone.mp3")));
    const std::string path = Both("x.mp3");
    SongRecord entry(path, true);
    EXPECT_FALSE(convertFile(&entry, 5));
    EXPECT_FALSE(convertFile(&entry, -1));
    EXPECT_FALSE(convertFile(nullptr, 0));
}

TEST_F(ConvertTest, ReadOnlyFileAsksAndRestoresTheAttribute) {
    const std::string path = Both("ro.mp3");
    const std::string before = ReadBytes(path);
    ASSERT_TRUE(Fs().SetAttributes(path, kAttrReadOnly));
    SongRecord entry(path, true);
    EXPECT_FALSE(convertFile(&entry, kConvertRemoveV1));  // no question by default
    EXPECT_EQ(ReadBytes(path), before);

    ScriptedPrompter prompter;
    ToolSave save;
    save.askReadOnly = true;
    save.prompter = &prompter;
    prompter.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(convertFile(&entry, kConvertRemoveV1, save));
    EXPECT_EQ(ReadBytes(path), before);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Do you want to force save tag (file " + path + " is read only) ?");
    EXPECT_EQ(prompter.shown[0].caption, "Question");

    prompter.answers = {PromptAnswer::Ok};
    EXPECT_TRUE(convertFile(&entry, kConvertRemoveV1, save));
    EXPECT_EQ(SongRecord(path, true).GetTagFlags(), 2u);
    uint32_t attributes = 0;
    ASSERT_TRUE(Fs().GetAttributes(path, attributes));
    EXPECT_TRUE(attributes & kAttrReadOnly);
}

TEST_F(ConvertTest, TextsOfTheFiveOperations) {
    EXPECT_EQ(ConvertLogHeader(kConvertV1ToV2, 2), "Copy ID3v1 to ID3v2 TAG 2 files (Trace LOG)");
    EXPECT_EQ(ConvertLogHeader(kConvertV2ToV1, 2), "Copy ID3v2 to ID3v1 TAG 2 files (Trace LOG)");
    EXPECT_EQ(ConvertLogHeader(kConvertRemoveV1, 2), "Remove ID3v1 TAG 2 files (Trace LOG)");
    EXPECT_EQ(ConvertLogHeader(kConvertRemoveV2, 2), "Remove ID3v2 TAG 2 files (Trace LOG)");
    EXPECT_EQ(ConvertLogHeader(kConvertRemoveAll, 2), "Remove ID3v1+ID3v2 TAG 2 files (Trace LOG)");
    EXPECT_EQ(ConvertSummary(kConvertV1ToV2, 4), "Copy ID3v1 --> ID3v2 on 4 file(s)");
    EXPECT_EQ(ConvertSummary(kConvertV2ToV1, 4), "Copy ID3v2 --> ID3v1 on 4 file(s)");
    EXPECT_EQ(ConvertSummary(kConvertRemoveV1, 4), "Remove ID3v1 TAG on 4 file(s)");
    EXPECT_EQ(ConvertSummary(kConvertRemoveV2, 4), "Remove ID3v2 TAG on 4 file(s)");
    EXPECT_EQ(ConvertSummary(kConvertRemoveAll, 4), "Remove ID3v1+ID3v2 TAG on 4 file(s)");
    EXPECT_EQ(ConvertKind(kConvertV1ToV2), ToolKind::CopyV1ToV2);
    EXPECT_EQ(ConvertKind(kConvertRemoveAll), ToolKind::RemoveAll);
}

}  // namespace
}  // namespace td
