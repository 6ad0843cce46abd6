#include "tools/mass_tag.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
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

class MassTagTest : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }

    // A file with both tags: ID3v2 title/artist/album/comment, ID3v1 with
    // genre number 17 (Rock) and track 5.
    std::string Tagged(const std::string& name) {
        const std::string path = dir_.Path(name);
        const std::string frames = Frame("TIT2", Text("Old Title")) + Frame("TPE1", Text("Old Artist")) +
                                   Frame("TALB", Text("Old Album")) + Frame("COMM", Comment("Old note"));
        WriteBytes(path, Tag(frames) + Audio() +
                             Id3v1("V1 Title", "V1 Artist", "V1 Album", "1980", "V1 note", 17, 5));
        return path;
    }

    std::string Untagged(const std::string& name) {
        const std::string path = dir_.Path(name);
        WriteBytes(path, Audio());
        return path;
    }

    static std::string V2(const SongRecord& r, int type) {
        return SongRecord::MainText(r.GetFrame(type));
    }

    MassTagOptions Options(uint32_t versions) {
        MassTagOptions o;
        o.versions = versions;
        return o;
    }

    TempDir dir_;
};

TEST_F(MassTagTest, OnlyTheYearInBothTagsLeavesTheOtherFields) {
    const std::string path = Tagged("a.mp3");
    SongRecord entry(path, true);
    MassTagOptions o = Options(kMassTagV1 | kMassTagV2);
    o.fields = 1u << kMassYear;
    o.values[kMassYear] = "1999";
    ASSERT_TRUE(massTagFile(&entry, o));

    SongRecord disk(path, true);
    ASSERT_TRUE(disk.HasId3v1());
    ASSERT_TRUE(disk.HasId3v2());
    EXPECT_STREQ(disk.GetId3v1()->year, "1999");
    EXPECT_STREQ(disk.GetId3v1()->title, "V1 Title");
    EXPECT_EQ(disk.GetId3v1()->track, 5u);
    EXPECT_EQ(disk.GetId3v1()->genre, 18);  // file genre 17 + 1
    EXPECT_EQ(V2(disk, kTYER), "1999");
    EXPECT_EQ(V2(disk, kTIT2), "Old Title");
    EXPECT_EQ(V2(disk, kCOMM), "Old note");
    // The entry shows what the file now holds.
    EXPECT_EQ(V2(entry, kTYER), "1999");
    EXPECT_STREQ(entry.GetId3v1()->year, "1999");
}

TEST_F(MassTagTest, EveryFieldIntoBothTags) {
    const std::string path = Tagged("a.mp3");
    SongRecord entry(path, true);
    MassTagOptions o = Options(kMassTagV1 | kMassTagV2);
    o.fields = 0x7F;
    o.values = {"A title that is longer than thirty characters", "Artist", "Album", "20245",
                "123456", "Jazz", "Note"};
    ASSERT_TRUE(massTagFile(&entry, o));
    SongRecord disk(path, true);
    const Id3v1Tag* v1 = disk.GetId3v1();
    ASSERT_NE(v1, nullptr);
    EXPECT_EQ(std::string(v1->title), "A title that is longer than th");
    EXPECT_STREQ(v1->artist, "Artist");
    EXPECT_STREQ(v1->year, "2024");
    EXPECT_EQ(v1->track, 123u);  // up to three characters
    EXPECT_STREQ(GenreName(v1->genre), "Jazz");
    EXPECT_STREQ(v1->comment, "Note");
    EXPECT_EQ(V2(disk, kTIT2), "A title that is longer than thirty characters");
    EXPECT_EQ(V2(disk, kTRCK), "123456");
    EXPECT_EQ(V2(disk, kTCON), "Jazz");
    EXPECT_EQ(V2(disk, kTYER), "20245");
}

TEST_F(MassTagTest, ACheckedEmptyFieldEmptiesItInV1AndRemovesItsFrame) {
    const std::string path = Tagged("a.mp3");
    SongRecord entry(path, true);
    MassTagOptions o = Options(kMassTagV1 | kMassTagV2);
    o.fields = (1u << kMassAlbum) | (1u << kMassComment);
    ASSERT_TRUE(massTagFile(&entry, o));
    SongRecord disk(path, true);
    EXPECT_STREQ(disk.GetId3v1()->album, "");
    EXPECT_STREQ(disk.GetId3v1()->comment, "");
    EXPECT_EQ(disk.GetFrame(kTALB), nullptr);
    EXPECT_EQ(disk.GetFrame(kCOMM), nullptr);
    EXPECT_EQ(V2(disk, kTIT2), "Old Title");
}

TEST_F(MassTagTest, ATypedGenreThatIsNoGenreName) {
    const std::string path = Tagged("a.mp3");
    SongRecord entry(path, true);
    MassTagOptions o = Options(kMassTagV1 | kMassTagV2);
    o.fields = 1u << kMassGenre;
    o.values[kMassGenre] = "Chiptune Noise";
    ASSERT_TRUE(massTagFile(&entry, o));
    SongRecord disk(path, true);
    EXPECT_EQ(disk.GetId3v1()->genre, 0);
    EXPECT_EQ(V2(disk, kTCON), "Chiptune Noise");
}

TEST_F(MassTagTest, AnUntaggedFileGetsAnId3v1TagWithOtherFieldsEmpty) {
    const std::string path = Untagged("plain song.mp3");
    SongRecord entry(path, true);
    MassTagOptions o = Options(kMassTagV1);
    o.fields = 1u << kMassArtist;
    o.values[kMassArtist] = "Band";
    ASSERT_TRUE(massTagFile(&entry, o));
    SongRecord disk(path, true);
    ASSERT_TRUE(disk.HasId3v1());
    EXPECT_FALSE(disk.HasId3v2());
    EXPECT_STREQ(disk.GetId3v1()->artist, "Band");
    EXPECT_STREQ(disk.GetId3v1()->title, "");
    EXPECT_EQ(disk.GetId3v1()->genre, 0);
    EXPECT_EQ(ReadBytes(path).size(), Audio().size() + 128);
}

TEST_F(MassTagTest, AnUntaggedFileDoesNotGetItsNameWrittenAsArtist) {
    const std::string path = Untagged("plain song.mp3");
    SongRecord entry(path, true);
    ASSERT_NE(entry.GetFrame(kTPE1), nullptr);  // the display-only artist
    MassTagOptions o = Options(kMassTagV2);
    o.fields = 1u << kMassYear;
    o.values[kMassYear] = "2001";
    ASSERT_TRUE(massTagFile(&entry, o));
    SongRecord disk(path, true);
    ASSERT_TRUE(disk.HasId3v2());
    EXPECT_EQ(V2(disk, kTYER), "2001");
    EXPECT_EQ(disk.GetFrame(kTPE1), nullptr);
}

TEST_F(MassTagTest, ReadOnlyFileFailsWithoutAskingByDefault) {
    const std::string path = Tagged("ro.mp3");
    const std::string before = ReadBytes(path);
    ASSERT_TRUE(Fs().SetAttributes(path, kAttrReadOnly));
    SongRecord entry(path, true);
    MassTagOptions o = Options(kMassTagV1 | kMassTagV2);
    o.fields = 1u << kMassYear;
    o.values[kMassYear] = "1999";
    EXPECT_FALSE(massTagFile(&entry, o));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(V2(entry, kTYER), "");  // the entry keeps what the file holds
}

TEST_F(MassTagTest, ReadOnlyFileForcedWhenTheUserAnswersOk) {
    const std::string path = Tagged("ro.mp3");
    ASSERT_TRUE(Fs().SetAttributes(path, kAttrReadOnly));
    SongRecord entry(path, true);
    ScriptedPrompter prompter;
    prompter.answers = {PromptAnswer::Ok};
    MassTagOptions o = Options(kMassTagV2);
    o.fields = 1u << kMassYear;
    o.values[kMassYear] = "1999";
    o.save.askReadOnly = true;
    o.save.prompter = &prompter;
    EXPECT_TRUE(massTagFile(&entry, o));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text,
              "Do you want to force save tag (file " + path + " is read only) ?");
    EXPECT_EQ(prompter.shown[0].buttons, PromptButtons::OkCancel);
    EXPECT_EQ(V2(SongRecord(path, true), kTYER), "1999");
    uint32_t attributes = 0;
    ASSERT_TRUE(Fs().GetAttributes(path, attributes));
    EXPECT_TRUE(attributes & kAttrReadOnly);  // restored
}

TEST_F(MassTagTest, ReadOnlyFileLeftAloneWhenTheUserCancels) {
    const std::string path = Tagged("ro.mp3");
    const std::string before = ReadBytes(path);
    ASSERT_TRUE(Fs().SetAttributes(path, kAttrReadOnly));
    SongRecord entry(path, true);
    ScriptedPrompter prompter;
    prompter.answers = {PromptAnswer::Cancel};
    MassTagOptions o = Options(kMassTagV2);
    o.fields = 1u << kMassYear;
    o.values[kMassYear] = "1999";
    o.save.askReadOnly = true;
    o.save.prompter = &prompter;
    EXPECT_FALSE(massTagFile(&entry, o));
    EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(MassTagTest, MissingFileOrEntryFails) {
    MassTagOptions o = Options(kMassTagV1);
    o.fields = 1u << kMassYear;
    SongRecord entry(dir_.Path("gone.mp3"), true);
    EXPECT_FALSE(massTagFile(&entry, o));
    EXPECT_FALSE(test::FileExists(dir_.Path("gone.mp3")));
    EXPECT_FALSE(massTagFile(nullptr, o));
}

TEST_F(MassTagTest, AFailingWriteLeavesFileAndEntryAsTheyWere) {
    const std::string path = Tagged("a.mp3");
    const std::string before = ReadBytes(path);
    SongRecord entry(path, true);
    MassTagOptions o = Options(kMassTagV1 | kMassTagV2);
    o.fields = 1u << kMassTitle;
    o.values[kMassTitle] = "New";
    FaultyFileSystem faulty;
    {
        ScopedFs scoped(faulty);
        faulty.FailFrom(FaultyFileSystem::Op::Write, 1);
        EXPECT_FALSE(massTagFile(&entry, o));
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(V2(entry, kTIT2), "Old Title");
}

TEST_F(MassTagTest, RunOverFilesGoesOnPastAFailure) {
    const std::string a = Tagged("a.mp3");
    const std::string c = Tagged("c.mp3");
    SongRecord ea(a, true), eb(dir_.Path("b.mp3"), true), ec(c, true);
    ToolFileList list = FileListFromEntries({&ea, &eb, &ec}, false);
    ScriptedPrompter prompter;
    ToolRun run(prompter, nullptr);
    MassTagOptions o = Options(kMassTagV1);
    o.fields = 1u << kMassYear;
    o.values[kMassYear] = "2000";
    const ToolRunResult r = run.run(
        list, false, ToolKind::MassTag, false, "",
        [&](int n) { return MassTagLogHeader(o.versions, n); },
        [&](ToolFile& f) { return massTagFile(f.entry, o); }, MassTagSummary);
    EXPECT_EQ(r.succeeded, 2);
    EXPECT_EQ(r.failed, 1);
    EXPECT_STREQ(SongRecord(c, true).GetId3v1()->year, "2000");
    EXPECT_EQ(prompter.shown.back().text, "Mass set ID3TAG on 3 file(s)");
}

TEST_F(MassTagTest, TextsOfTheRun) {
    EXPECT_EQ(MassTagLogHeader(kMassTagV1 | kMassTagV2, 3), "Mass set ID3v1+v2 TAG 3 files (Trace LOG)");
    EXPECT_EQ(MassTagLogHeader(kMassTagV1, 3), "Mass set ID3v1 TAG 3 files (Trace LOG)");
    EXPECT_EQ(MassTagLogHeader(kMassTagV2, 1), "Mass set ID3v2 TAG 1 files (Trace LOG)");
    EXPECT_EQ(MassTagSummary(7), "Mass set ID3TAG on 7 file(s)");
    ScriptedPrompter prompter;
    EXPECT_FALSE(CheckMassTagVersions(0, prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Check before ID3v1 / ID3v2");
    EXPECT_EQ(prompter.shown[0].caption, "Information");
    EXPECT_TRUE(CheckMassTagVersions(kMassTagV2, prompter));
}

}  // namespace
}  // namespace td
