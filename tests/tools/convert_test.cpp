#include "tools/convert.h"

#include <gtest/gtest.h>

#include <string>

#include "tags/id3v2/frame_table.h"
#include "tests/tools/tool_test_files.h"

namespace td {
namespace {

using namespace tooltest;

class ConvertTest : public ToolFilesTest {
protected:
    std::string OnlyV1(const std::string& name) {
        return Write(name, Audio() + Id3v1Trailer("Song", "Band", "", "1999", "  ", 17, 0));
    }
    std::string OnlyV2(const std::string& name, const std::string& genre) {
        return Write(name, Tag(Frame("TIT2", Text("A title longer than thirty characters")) +
                               Frame("TCON", Text(genre)) + Frame("TRCK", Text("3/12")) +
                               Frame("COMM", Comment("A comment longer than thirty chars"))) +
                               Audio());
    }
    std::string Both(const std::string& name) {
        return Write(name,
                     Tag(Frame("TIT2", Text("Two"))) + Audio() + Id3v1Trailer("One", "", "", "", "", 0, 1));
    }
};

TEST_F(ConvertTest, CopyV1ToV2) {
    const std::string path = OnlyV1("a.mp3");
    SongRecord entry(path, true);
    ASSERT_TRUE(convertFile(&entry, kConvertV1ToV2));
    SongRecord disk(path, true);
    EXPECT_EQ(disk.GetTagFlags(), 3u);
    EXPECT_EQ(V2(disk, kTPE1), "Band");
    EXPECT_EQ(V2(disk, kTYER), "1999");
    EXPECT_EQ(V2(disk, kTCON), "Rock");  // file genre 17
    EXPECT_EQ(V2(entry, kTCON), "Rock");

    // Nothing to copy: refused before the read-only question is asked.
    const std::string noV1 = OnlyV2("b.mp3", "Rock");
    const std::string before = ReadBytes(noV1);
    ASSERT_TRUE(Fs().SetAttributes(noV1, kAttrReadOnly));
    SongRecord other(noV1, true);
    RecordingPrompter prompter;
    ToolSave save;
    save.askReadOnly = true;
    save.prompter = &prompter;
    EXPECT_FALSE(convertFile(&other, kConvertV1ToV2, save));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(ReadBytes(noV1), before);
    Fs().SetAttributes(noV1, 0);
}

TEST_F(ConvertTest, CopyV2ToV1CutsAndParsesTheFields) {
    const std::string path = OnlyV2("c.mp3", "Not a genre name");
    SongRecord entry(path, true);
    ASSERT_TRUE(convertFile(&entry, kConvertV2ToV1));
    SongRecord disk(path, true);
    ASSERT_NE(disk.GetId3v1(), nullptr);
    EXPECT_EQ(disk.GetTagFlags(), 3u);
    EXPECT_EQ(std::string(disk.GetId3v1()->title), "A title longer than thirty cha");
    EXPECT_EQ(std::string(disk.GetId3v1()->comment), "A comment longer than thirty");  // 28 beside the track
    EXPECT_EQ(disk.GetId3v1()->track, 3u);
    EXPECT_EQ(disk.GetId3v1()->genre, 0);
}

TEST_F(ConvertTest, RemovingTags) {
    const std::string r1 = Both("r1.mp3");
    SongRecord e1(r1, true);
    ASSERT_TRUE(convertFile(&e1, kConvertRemoveV1));
    EXPECT_EQ(SongRecord(r1, true).GetTagFlags(), 2u);
    EXPECT_EQ(e1.GetTagFlags(), 2u);
    const std::string r3 = Both("r3.mp3");
    SongRecord e3(r3, true);
    ASSERT_TRUE(convertFile(&e3, kConvertRemoveAll));
    EXPECT_EQ(ReadBytes(r3), Audio());
    EXPECT_EQ(V2(e3, kTPE1), "R3.mp3");  // an untagged record shows its file name
    // Removing an absent tag succeeds and keeps the audio and the other tag.
    const std::string v1 = OnlyV1("v1.mp3");
    const size_t size = ReadBytes(v1).size();
    SongRecord ev1(v1, true);
    EXPECT_TRUE(convertFile(&ev1, kConvertRemoveV2));
    const std::string after = ReadBytes(v1);
    EXPECT_EQ(after.size(), size);
    EXPECT_EQ(after.compare(0, Audio().size(), Audio()), 0);
    EXPECT_STREQ(SongRecord(v1, true).GetId3v1()->title, "Song");
}

TEST_F(ConvertTest, FailuresLeaveFileAndEntry) {
    const std::string path = OnlyV1("f.mp3");
    SongRecord entry(path, true);
    ExpectWriteFailureKeeps(path, [&] { return convertFile(&entry, kConvertV1ToV2); });
    EXPECT_EQ(entry.GetTagFlags(), 1u);
    EXPECT_EQ(entry.GetFrame(kTIT2), nullptr);

    SongRecord gone(In("gone.mp3"), true);
    for (int op = 0; op < kConvertOpCount; ++op) EXPECT_FALSE(convertFile(&gone, op)) << op;
    EXPECT_FALSE(FileExists(In("gone.mp3")));
    EXPECT_FALSE(convertFile(&entry, kConvertOpCount));

    // A read-only file is written only when the user allows it (as for the
    // other tools), and a write that fails then is still reported.
    ASSERT_TRUE(Fs().SetAttributes(path, kAttrReadOnly));
    RecordingPrompter prompter;
    ToolSave save;
    save.askReadOnly = true;
    save.prompter = &prompter;
    ExpectWriteFailureKeeps(path, [&] { return convertFile(&entry, kConvertV1ToV2, save); });
    EXPECT_TRUE(convertFile(&entry, kConvertRemoveV1, save));
    EXPECT_EQ(ReadBytes(path), Audio());
    EXPECT_EQ(prompter.shown.size(), 2u);
    Fs().SetAttributes(path, 0);
}

}  // namespace
}  // namespace td
