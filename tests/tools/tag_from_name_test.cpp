#include "tools/tag_from_name.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tags/id3v2/frame_table.h"
#include "tests/tools/tool_test_files.h"
#include "tools/safe_name.h"
#include "tools/text_convert.h"

namespace td {
namespace {

using namespace tooltest;
using Fields = std::vector<std::pair<char, std::string>>;

Fields Split(const std::string& name, const std::string& pattern, int caseMode = 0, int charMode = 0) {
    return SplitNameFields(name, compilePattern(pattern), caseMode, charMode);
}

TEST(SplitNameFields, NamesIntoFields) {
    EXPECT_EQ(Split("03 - Some Band - A Song", "%N - %A - %T"),
              (Fields{{'N', "03"}, {'A', "Some Band"}, {'T', "A Song"}}));
    EXPECT_EQ(Split("Band - Song - Live", "%A - %T"), (Fields{{'A', "Band"}, {'T', "Song - Live"}}));
    EXPECT_EQ(Split("x07] Intro", "[%N] %T"), (Fields{{'N', "07"}, {'T', "Intro"}}));  // skipped by length
    EXPECT_EQ(Split("Band -    ", "%A -%T"), (Fields{{'A', "Band"}}));                 // blank rest: no field
    EXPECT_EQ(Split(" - Song", "%A - %T"), (Fields{{'A', ""}, {'T', "Song"}}));
    EXPECT_EQ(Split("aXb", "%Ax%T"), (Fields{{'A', "aXb"}}));  // case-sensitive
    EXPECT_EQ(Split("Band 100% Song", "%A 100%% %T"), (Fields{{'A', "Band"}, {'T', "Song"}}));
    EXPECT_EQ(Split("the_big_band - x", "%A - %T", kCaseEachWord, kCharUnderscoreToSpace),
              (Fields{{'A', "The big band"}, {'T', "X"}}));
}

class TagFromNameTest : public ToolFilesTest {
protected:
    // Runs the tool as the page does: on the playlist entry of `path`.
    bool Run(const std::string& path, const std::string& pattern, int version) {
        last_ = std::make_unique<SongRecord>(path, true);
        TagFromNameOptions options;
        options.version = version;
        return tagFileFromName(last_.get(), BaseName(path), compilePattern(pattern), options);
    }
    std::unique_ptr<SongRecord> last_;
};

TEST_F(TagFromNameTest, BothTagsFromTheNameAroundUntouchedAudio) {
    const std::string audio = Audio();
    const std::string path = Write("03 - Some Band - A Song.mp3", audio);
    ASSERT_TRUE(Run(path, "%N - %A - %T", kFromNameBoth));
    SongRecord disk(path, true);
    const Id3v1Tag* v1 = disk.GetId3v1();
    ASSERT_NE(v1, nullptr);
    EXPECT_EQ(Id3v1FieldText(v1->title, sizeof v1->title), "A Song");
    EXPECT_EQ(v1->track, 3u);
    EXPECT_EQ(V2(disk, kTPE1), "Some Band");
    EXPECT_EQ(V2(disk, kTRCK), "3");
    EXPECT_EQ(V2(disk, kTALB), "<none>");
    const std::string bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), audio.size() + 128);
    EXPECT_EQ(bytes.compare(bytes.size() - 128 - audio.size(), audio.size(), audio), 0);
    EXPECT_EQ(bytes.compare(bytes.size() - 128, 3, "TAG"), 0);
    EXPECT_EQ(last_->GetTagFlags(), kTagId3v1 | kTagId3v2);  // the entry shows the new data
    EXPECT_EQ(V2(*last_, kTIT2), "A Song");

    ASSERT_TRUE(Run(Write("1999 - Nice.mp3", audio), "%Y - %C", kFromNameBoth));
    EXPECT_EQ(Id3v1FieldText(last_->GetId3v1()->year, 4), "1999");
    EXPECT_EQ(Id3v1FieldText(last_->GetId3v1()->comment, 30), "Nice");
    EXPECT_EQ(V2(*last_, kTYER), "1999");
    EXPECT_EQ(V2(*last_, kCOMM), "Nice");
}

TEST_F(TagFromNameTest, FieldsWithoutATokenKeepTheirValues) {
    const std::string path =
        Write("Jazz - New Title.mp3", Tag(Frame("TALB", Text("Old Album"))) + Audio() +
                                          Id3v1Trailer("Old", "Old Artist", "", "1999", "", 8, 4));
    ASSERT_TRUE(Run(path, "%G - %T", kFromNameBoth));
    SongRecord disk(path, true);
    const Id3v1Tag* v1 = disk.GetId3v1();
    ASSERT_NE(v1, nullptr);
    EXPECT_EQ(Id3v1FieldText(v1->title, sizeof v1->title), "New Title");
    EXPECT_EQ(Id3v1FieldText(v1->artist, sizeof v1->artist), "Old Artist");
    EXPECT_EQ(v1->genre, 9);  // file genre 8 (Jazz): %G writes nothing
    EXPECT_EQ(v1->track, 4u);
    EXPECT_EQ(V2(disk, kTALB), "Old Album");
    EXPECT_EQ(V2(disk, kTCON), "<none>");
    // Texts longer than the ID3v1 fields are cut to their thirty characters.
    const std::string longName = std::string(40, 't') + " - " + std::string(40, 'a') + ".mp3";
    ASSERT_TRUE(Run(Write(longName, Audio()), "%T - %L", kFromNameV1));
    EXPECT_EQ(std::string(last_->GetId3v1()->title), std::string(30, 't'));
    EXPECT_EQ(std::string(last_->GetId3v1()->album), std::string(30, 'a'));
}

TEST_F(TagFromNameTest, OneTagOnlyLeavesTheOtherAndAddsNoFileNameArtist) {
    const std::string path = Write("Band - Song.mp3", Tag(Frame("TALB", Text("Kept"))) + Audio());
    // A stale entry says "no tag": the file's own ID3v2 tag must survive.
    SongRecord entry(path, false);
    TagFromNameOptions options;
    options.version = kFromNameV1;
    ASSERT_TRUE(tagFileFromName(&entry, "Band - Song.mp3", compilePattern("%A - %T"), options));
    SongRecord disk(path, true);
    EXPECT_TRUE(disk.HasId3v1());
    EXPECT_EQ(V2(disk, kTALB), "Kept");
    EXPECT_EQ(V2(disk, kTIT2), "<none>");
    // An untagged record shows its file name as artist; that is no tag text.
    const std::string other = Write("My Title.mpeg", Audio());
    ASSERT_TRUE(Run(other, "%T", kFromNameV2));
    SongRecord disk2(other, true);
    EXPECT_FALSE(disk2.HasId3v1());
    EXPECT_EQ(V2(disk2, kTIT2), "My Title.");  // the last four characters are cut
    EXPECT_EQ(V2(disk2, kTPE1), "<none>");
}

TEST_F(TagFromNameTest, NativeFileNamesBecomeTagText) {
    const std::string cafe = Write(AnsiToPathName("Caf\xE9 - x") + ".mp3", Audio());
    ASSERT_TRUE(Run(cafe, "%A - %T", kFromNameV2));
    EXPECT_EQ(V2(SongRecord(cafe, true), kTPE1), "Caf\xE9");
#ifndef _WIN32
    // A name the code page cannot show would leave '?' in the tags.
    const std::string bytes = Audio();
    const std::string other = Write("\xC5\x91 - x.mp3", bytes);
    EXPECT_FALSE(Run(other, "%A - %T", kFromNameBoth));
    EXPECT_EQ(ReadBytes(other), bytes);
#endif
}

TEST_F(TagFromNameTest, FailuresLeaveTheFileAndTheEntryAlone) {
    TagFromNameOptions options;
    const CompiledPattern pattern = compilePattern("%A - %T");
    EXPECT_FALSE(tagFileFromName(nullptr, "A - B.mp3", pattern, options));
    EXPECT_FALSE(Run(In("gone - away.mp3"), "%A - %T", kFromNameBoth));
    EXPECT_FALSE(FileExists(In("gone - away.mp3")));

    const std::string bytes = Tag(Frame("TIT2", Text("Old"))) + Audio();
    const std::string path = Write("Disk - Full.mp3", bytes);
    SongRecord entry(path, true);
    ExpectWriteFailureKeeps(path,
                            [&] { return tagFileFromName(&entry, "Disk - Full.mp3", pattern, options); });
    EXPECT_EQ(V2(entry, kTIT2), "Old");
    EXPECT_EQ(V2(entry, kTPE1), "<none>");

    RecordingPrompter prompter;
    EXPECT_TRUE(CheckTagFromNamePattern("%N", prompter));
    EXPECT_FALSE(CheckTagFromNamePattern("   ", prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Invalid format !!!");
}

}  // namespace
}  // namespace td
