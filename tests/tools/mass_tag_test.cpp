#include "tools/mass_tag.h"

#include <gtest/gtest.h>

#include <string>

#include "tags/id3v2/frame_table.h"
#include "tests/tools/tool_test_files.h"

namespace td {
namespace {

using namespace tooltest;

class MassTagTest : public ToolFilesTest {
protected:
    // Both tags: ID3v2 title/album/comment, ID3v1 with genre number 17 (Rock) and track 5.
    std::string Tagged(const std::string& name) {
        return Write(name, Tag(Frame("TIT2", Text("Old Title")) + Frame("TALB", Text("Old Album")) +
                               Frame("COMM", Comment("Old note"))) +
                               Audio() +
                               Id3v1Trailer("V1 Title", "V1 Artist", "V1 Album", "1980", "V1 note", 17, 5));
    }
    MassTagOptions Year(uint32_t versions, const char* year = "1999") {
        MassTagOptions o;
        o.versions = versions;
        o.fields = 1u << kMassYear;
        o.values[kMassYear] = year;
        return o;
    }
};

TEST_F(MassTagTest, OnlyTheCheckedFieldsChange) {
    const std::string path = Tagged("a.mp3");
    SongRecord entry(path, true);
    ASSERT_TRUE(massTagFile(&entry, Year(kMassTagV1 | kMassTagV2)));
    SongRecord disk(path, true);
    EXPECT_STREQ(disk.GetId3v1()->year, "1999");
    EXPECT_STREQ(disk.GetId3v1()->title, "V1 Title");
    EXPECT_EQ(disk.GetId3v1()->track, 5u);
    EXPECT_EQ(disk.GetId3v1()->genre, 18);  // file genre 17 + 1
    EXPECT_EQ(V2(disk, kTYER), "1999");
    EXPECT_EQ(V2(disk, kCOMM), "Old note");
    EXPECT_EQ(V2(entry, kTYER), "1999");  // the entry shows what the file holds

    MassTagOptions o;
    o.versions = kMassTagV1 | kMassTagV2;
    o.fields = 0x7F;  // checked and empty: emptied in ID3v1, the frame removed
    o.values = {
        "A title that is longer than thirty characters", "", "", "20245", "103456", "Chiptune Noise", ""};
    ASSERT_TRUE(massTagFile(&entry, o));
    SongRecord again(path, true);
    const Id3v1Tag* v1 = again.GetId3v1();
    EXPECT_EQ(std::string(v1->title), "A title that is longer than th");
    EXPECT_EQ(std::string(entry.GetId3v1()->title), "A title that is longer than th");
    EXPECT_STREQ(v1->album, "");
    EXPECT_STREQ(v1->year, "2024");
    EXPECT_EQ(v1->track, 103u);  // up to three characters
    EXPECT_EQ(v1->genre, 0);     // no genre name
    EXPECT_EQ(V2(again, kTIT2), "A title that is longer than thirty characters");
    EXPECT_EQ(V2(again, kTRCK), "103456");
    EXPECT_EQ(V2(again, kTCON), "Chiptune Noise");
    EXPECT_EQ(again.GetFrame(kTALB), nullptr);
    EXPECT_EQ(again.GetFrame(kCOMM), nullptr);
    RecordingPrompter prompter;
    EXPECT_FALSE(CheckMassTagVersions(0, prompter));  // no version chosen: said, and nothing runs
    EXPECT_TRUE(CheckMassTagVersions(kMassTagV2, prompter));
    EXPECT_EQ(prompter.shown.size(), 1u);
}

TEST_F(MassTagTest, AnUntaggedFileGetsNoFileNameAsArtist) {
    const std::string path = Write("plain song.mp3", Audio());
    SongRecord entry(path, true);
    ASSERT_NE(entry.GetFrame(kTPE1), nullptr);  // the display-only artist
    ASSERT_TRUE(massTagFile(&entry, Year(kMassTagV1 | kMassTagV2, "2001")));
    SongRecord disk(path, true);
    EXPECT_EQ(V2(disk, kTYER), "2001");
    EXPECT_EQ(disk.GetFrame(kTPE1), nullptr);
    EXPECT_STREQ(disk.GetId3v1()->artist, "");
    EXPECT_EQ(disk.GetId3v1()->genre, 0);
    // Written as ID3v1 only, the file still has no ID3v2 tag: its entry shows
    // the file name as artist, as reading it again does.
    const std::string other = Write("other song.mp3", Audio());
    SongRecord v1Only(other, true);
    ASSERT_TRUE(massTagFile(&v1Only, Year(kMassTagV1, "2001")));
    EXPECT_EQ(V2(v1Only, kTPE1), V2(SongRecord(other, true), kTPE1));
}

TEST_F(MassTagTest, ReadOnlyFileIsForcedOnlyWhenTheUserAnswersOkAndStaysReadOnly) {
    const std::string path = Tagged("ro.mp3");
    const std::string before = ReadBytes(path);
#ifdef _WIN32
    const uint32_t hidden = kAttrHidden;
#else
    const uint32_t hidden = 0;
#endif
    ASSERT_TRUE(Fs().SetAttributes(path, kAttrReadOnly | hidden));
    SongRecord entry(path, true);
    MassTagOptions o = Year(kMassTagV2);
    EXPECT_FALSE(massTagFile(&entry, o));  // no question by default
    EXPECT_EQ(V2(entry, kTYER), "<none>");
    RecordingPrompter prompter;
    prompter.answers = {PromptAnswer::Cancel, PromptAnswer::Ok, PromptAnswer::Ok};
    o.save.askReadOnly = true;
    o.save.prompter = &prompter;
    EXPECT_FALSE(massTagFile(&entry, o));
    EXPECT_EQ(ReadBytes(path), before);
    // Written in place, then a comment too long for the old tag: a rewrite.
    o.fields |= 1u << kMassComment;
    for (const std::string& comment : {std::string("short"), std::string(3000, 'c')}) {
        o.values[kMassComment] = comment;
        EXPECT_TRUE(massTagFile(&entry, o));
        SongRecord disk(path, true);
        EXPECT_EQ(V2(disk, kTYER), "1999");
        EXPECT_EQ(V2(disk, kCOMM), comment);
        uint32_t attributes = 0;
        ASSERT_TRUE(Fs().GetAttributes(path, attributes));
        EXPECT_EQ(attributes & (kAttrReadOnly | kAttrHidden), kAttrReadOnly | hidden);
    }
    EXPECT_EQ(prompter.shown.size(), 3u);
    EXPECT_FALSE(test::HasTemporaryFiles(dir_.path()));
}

TEST_F(MassTagTest, FailuresLeaveFileAndEntryAsTheyWere) {
    const std::string path = Tagged("a.mp3");
    SongRecord entry(path, true);
    ExpectWriteFailureKeeps(path, [&] { return massTagFile(&entry, Year(kMassTagV1 | kMassTagV2)); });
    EXPECT_EQ(V2(entry, kTYER), "<none>");
    EXPECT_STREQ(entry.GetId3v1()->year, "1980");
}

}  // namespace
}  // namespace td
