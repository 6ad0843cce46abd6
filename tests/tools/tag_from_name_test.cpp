// Write tag from filename: the pattern compiler, the splitting of names into
// fields, and the tool on real files read back from disk.
#include "tools/tag_from_name.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "settings/lang_table.h"
#include "tags/id3v2/frame_table.h"
#include "tags/song_record.h"
#include "tests/support/test_support.h"
#include "tests/tools/tool_test_files.h"
#include "tools/safe_name.h"
#include "tools/text_convert.h"

namespace td {
namespace {

using test::FaultyFileSystem;
using test::ReadBytes;
using test::ScopedFs;
using test::TempDir;
using test::WriteBytes;
using namespace tooltest;
using Fields = std::vector<std::pair<char, std::string>>;

Fields Split(const std::string& name, const std::string& pattern, int caseMode = 0, int charMode = 0) {
    return SplitNameFields(name, compilePattern(pattern), caseMode, charMode);
}

TEST(CompilePattern, TokensAndTheLiteralsBetweenThem) {
    const CompiledPattern p = compilePattern("%N - %A - %T");
    EXPECT_EQ(p.tokens, "NAT");
    EXPECT_EQ(p.separators, (std::vector<std::string>{" - ", " - "}));
    EXPECT_FALSE(p.leadingSeparator);
}

TEST(CompilePattern, LeadingLiteralIsMarked) {
    const CompiledPattern p = compilePattern("[%N] %T");
    EXPECT_EQ(p.tokens, "NT");
    EXPECT_EQ(p.separators, (std::vector<std::string>{"[", "] "}));
    EXPECT_TRUE(p.leadingSeparator);
}

TEST(CompilePattern, TrailingLiteralIsDropped) {
    const CompiledPattern p = compilePattern("%A - %T (live)");
    EXPECT_EQ(p.tokens, "AT");
    EXPECT_EQ(p.separators, std::vector<std::string>{" - "});
}

TEST(CompilePattern, PercentPairsThatAreNoTokenStandForTheirCharacter) {
    CompiledPattern p = compilePattern("%A%%%T");
    EXPECT_EQ(p.tokens, "AT");
    EXPECT_EQ(p.separators, std::vector<std::string>{"%"});
    p = compilePattern("%a-%T");  // lower case is no token
    EXPECT_EQ(p.tokens, "T");
    EXPECT_EQ(p.separators, std::vector<std::string>{"a-"});
    EXPECT_TRUE(p.leadingSeparator);
    p = compilePattern("%A - %");  // a lone "%" ends the pattern
    EXPECT_EQ(p.tokens, "A");
    EXPECT_TRUE(p.separators.empty());
    p = compilePattern("%A%T - %L");
    EXPECT_EQ(p.tokens, "ATL");
    EXPECT_EQ(p.separators, std::vector<std::string>{" - "});
}

TEST(SplitNameFields, DocumentedNames) {
    EXPECT_EQ(Split("03 - Some Band - A Song", "%N - %A - %T"),
              (Fields{{'N', "03"}, {'A', "Some Band"}, {'T', "A Song"}}));
    // The last field takes the rest of the name.
    EXPECT_EQ(Split("Band - Song - Live", "%A - %T"), (Fields{{'A', "Band"}, {'T', "Song - Live"}}));
    EXPECT_EQ(Split("Band - Song (live)", "%A - %T (live)"),
              (Fields{{'A', "Band"}, {'T', "Song (live)"}}));
    // The leading literal is skipped by its length.
    EXPECT_EQ(Split("[07] Intro", "[%N] %T"), (Fields{{'N', "07"}, {'T', "Intro"}}));
    EXPECT_EQ(Split("x07] Intro", "[%N] %T"), (Fields{{'N', "07"}, {'T', "Intro"}}));
    // Adjacent tokens share one field: album gets nothing.
    EXPECT_EQ(Split("Band - Song", "%A%T - %L"), (Fields{{'A', "Band"}, {'T', "Song"}}));
    EXPECT_EQ(Split("Jazz - Tune", "%G - %T"), (Fields{{'G', "Jazz"}, {'T', "Tune"}}));
}

TEST(SplitNameFields, MissingSeparatorsBlanksAndTrimming) {
    EXPECT_EQ(Split("JustOne", "%A - %T"), (Fields{{'A', "JustOne"}}));
    EXPECT_EQ(Split("Band -    ", "%A -%T"), (Fields{{'A', "Band"}}));  // blank rest: no field
    EXPECT_EQ(Split("  Band  -  Song ", "%A-%T"), (Fields{{'A', "Band"}, {'T', "Song"}}));
    EXPECT_EQ(Split(" - Song", "%A - %T"), (Fields{{'A', ""}, {'T', "Song"}}));  // empty, still a field
    EXPECT_TRUE(Split("", "%A").empty());
    EXPECT_EQ(Split("a-B-c", "%A-%T"), (Fields{{'A', "a"}, {'T', "B-c"}}));  // case-sensitive
    EXPECT_EQ(Split("aXb", "%Ax%T"), (Fields{{'A', "aXb"}}));
}

TEST(SplitNameFields, CaseThenCharacterConversion) {
    EXPECT_EQ(Split("the_big_band - x", "%A - %T", kCaseEachWord, kCharUnderscoreToSpace),
              (Fields{{'A', "The big band"}, {'T', "X"}}));
    EXPECT_EQ(Split("THE END - a b", "%A - %T", kCaseFirstLetter, kCharSpaceToUnderscore),
              (Fields{{'A', "The_end"}, {'T', "A_b"}}));
}

// The tool on files in a temporary directory ----------------------------

class TagFromNameTest : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }

    std::string Make(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.Path(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    // Runs the tool as the page does: on the playlist entry of `path`.
    bool Run(const std::string& path, const std::string& pattern, int version,
             std::unique_ptr<SongRecord>* keep = nullptr) {
        auto entry = std::make_unique<SongRecord>(path, true);
        TagFromNameOptions options;
        options.version = version;
        options.caseMode = caseMode_;
        options.charMode = charMode_;
        const bool ok = tagFileFromName(entry.get(), BaseName(path), compilePattern(pattern), options);
        if (keep) *keep = std::move(entry);
        return ok;
    }
    static std::string V2(const SongRecord& r, int type) {
        const Id3v2Frame* f = r.GetFrame(type);
        return f ? SongRecord::MainText(f) : std::string("<none>");
    }

    TempDir dir_;
    int caseMode_ = 0;
    int charMode_ = 0;
};

TEST_F(TagFromNameTest, BothTagsFromTheDocumentedName) {
    const std::string audio = Audio();
    const std::string path = Make("03 - Some Band - A Song.mp3", audio);
    std::unique_ptr<SongRecord> entry;
    ASSERT_TRUE(Run(path, "%N - %A - %T", kFromNameBoth, &entry));

    SongRecord disk(path, true);
    ASSERT_TRUE(disk.HasId3v1());
    ASSERT_TRUE(disk.HasId3v2());
    const Id3v1Tag* v1 = disk.GetId3v1();
    EXPECT_EQ(Id3v1FieldText(v1->title, sizeof v1->title), "A Song");
    EXPECT_EQ(Id3v1FieldText(v1->artist, sizeof v1->artist), "Some Band");
    EXPECT_EQ(v1->track, 3u);
    EXPECT_EQ(V2(disk, kTIT2), "A Song");
    EXPECT_EQ(V2(disk, kTPE1), "Some Band");
    EXPECT_EQ(V2(disk, kTRCK), "3");
    EXPECT_EQ(V2(disk, kTALB), "<none>");
    // The audio itself is untouched.
    const std::string bytes = ReadBytes(path);
    EXPECT_NE(bytes.find(audio), std::string::npos);
    ASSERT_GT(bytes.size(), audio.size() + 128);
    EXPECT_EQ(bytes.compare(bytes.size() - 128 - audio.size(), audio.size(), audio), 0);
    EXPECT_EQ(bytes.compare(bytes.size() - 128, 3, "TAG"), 0);
    // The playlist entry shows the new data.
    EXPECT_EQ(entry->GetTagFlags(), kTagId3v1 | kTagId3v2);
    EXPECT_EQ(V2(*entry, kTIT2), "A Song");
}

TEST_F(TagFromNameTest, FieldsWithoutATokenKeepTheirValues) {
    const std::string path =
        Make("Jazz - New Title.mp3",
             Tag(Frame("TALB", Text("Old Album")) + Frame("TIT2", Text("Old Title"))) + Audio() +
                 Id3v1("Old Title", "Old Artist", "Old Album", "1999", "note", 8, 4));
    ASSERT_TRUE(Run(path, "%G - %T", kFromNameBoth));
    SongRecord disk(path, true);
    const Id3v1Tag* v1 = disk.GetId3v1();
    ASSERT_NE(v1, nullptr);
    EXPECT_EQ(Id3v1FieldText(v1->title, sizeof v1->title), "New Title");
    EXPECT_EQ(Id3v1FieldText(v1->artist, sizeof v1->artist), "Old Artist");
    EXPECT_EQ(Id3v1FieldText(v1->year, sizeof v1->year), "1999");
    EXPECT_EQ(v1->genre, 9);  // file genre 8 (Jazz): %G writes nothing
    EXPECT_EQ(v1->track, 4u);
    EXPECT_EQ(V2(disk, kTIT2), "New Title");
    EXPECT_EQ(V2(disk, kTALB), "Old Album");
    EXPECT_EQ(V2(disk, kTCON), "<none>");
}

TEST_F(TagFromNameTest, OneTagOnlyLeavesTheOtherAsItWas) {
    const std::string v2tag = Tag(Frame("TALB", Text("Kept")));
    const std::string path = Make("Band - Song.mp3", v2tag + Audio());
    // The entry's flags say "no tag" (a stale list entry): the file's own
    // ID3v2 tag must survive writing ID3v1 alone.
    SongRecord entry(path, false);
    TagFromNameOptions options;
    options.version = kFromNameV1;
    ASSERT_TRUE(tagFileFromName(&entry, "Band - Song.mp3", compilePattern("%A - %T"), options));
    SongRecord disk(path, true);
    EXPECT_TRUE(disk.HasId3v1());
    EXPECT_EQ(V2(disk, kTALB), "Kept");
    EXPECT_EQ(V2(disk, kTIT2), "<none>");

    const std::string other = Make("Other - Name.mp3", Audio());
    ASSERT_TRUE(Run(other, "%A - %T", kFromNameV2));
    SongRecord disk2(other, true);
    EXPECT_FALSE(disk2.HasId3v1());
    EXPECT_EQ(V2(disk2, kTPE1), "Other");
}

TEST_F(TagFromNameTest, UntaggedFileDoesNotGetItsNameAsArtist) {
    // An untagged record shows its file name as the artist; only the title
    // comes from this pattern, so the file must get no artist frame.
    const std::string path = Make("My Title.mp3", Audio());
    ASSERT_TRUE(Run(path, "%T", kFromNameV2));
    SongRecord disk(path, true);
    EXPECT_EQ(V2(disk, kTIT2), "My Title");
    EXPECT_EQ(V2(disk, kTPE1), "<none>");
}

TEST_F(TagFromNameTest, Id3v1LimitsAndNumbers) {
    const std::string longText(40, 'x');
    const std::string path = Make(longText + " - 20011 - seven.mp3", Audio());
    ASSERT_TRUE(Run(path, "%A - %Y - %N", kFromNameBoth));
    SongRecord disk(path, true);
    const Id3v1Tag* v1 = disk.GetId3v1();
    ASSERT_NE(v1, nullptr);
    EXPECT_EQ(Id3v1FieldText(v1->artist, sizeof v1->artist), std::string(30, 'x'));
    EXPECT_EQ(Id3v1FieldText(v1->year, sizeof v1->year), "2001");
    EXPECT_EQ(v1->track, 0u);  // "seven" is no number
    EXPECT_EQ(V2(disk, kTPE1), longText);
    EXPECT_EQ(V2(disk, kTYER), "20011");
    EXPECT_EQ(V2(disk, kTRCK), "0");
}

TEST_F(TagFromNameTest, TheLastFourCharactersAreAlwaysCut) {
    const std::string path = Make("abc.mpeg", Audio());
    ASSERT_TRUE(Run(path, "%T", kFromNameV2));
    SongRecord disk(path, true);
    EXPECT_EQ(V2(disk, kTIT2), "abc.");
}

TEST_F(TagFromNameTest, NativeFileNamesBecomeTagText) {
    const std::string path = Make(AnsiToPathName("Caf\xE9 - Cr\xE8me") + ".mp3", Audio());
    ASSERT_TRUE(Run(path, "%A - %T", kFromNameBoth));
    SongRecord disk(path, true);
    EXPECT_EQ(V2(disk, kTPE1), "Caf\xE9");
    EXPECT_EQ(Id3v1FieldText(disk.GetId3v1()->title, 31), "Cr\xE8me");
#ifndef _WIN32
    // A name the code page cannot show would leave '?' in the tags.
    const std::string bytes = Audio();
    const std::string other = Make("\xC5\x91 - x.mp3", bytes);
    EXPECT_FALSE(Run(other, "%A - %T", kFromNameBoth));
    EXPECT_EQ(ReadBytes(other), bytes);
#endif
}

TEST_F(TagFromNameTest, ConversionsApplyToEveryField) {
    caseMode_ = kCaseEachWord;
    charMode_ = kCharUnderscoreToSpace;
    const std::string path = Make("the_big_band - night_train.mp3", Audio());
    ASSERT_TRUE(Run(path, "%A - %T", kFromNameV2));
    SongRecord disk(path, true);
    EXPECT_EQ(V2(disk, kTPE1), "The big band");
    EXPECT_EQ(V2(disk, kTIT2), "Night train");
}

TEST_F(TagFromNameTest, FailuresLeaveTheFileAndTheEntryAlone) {
    TagFromNameOptions options;
    const CompiledPattern pattern = compilePattern("%A - %T");
    EXPECT_FALSE(tagFileFromName(nullptr, "A - B.mp3", pattern, options));

    SongRecord missing(dir_.Path("gone - away.mp3"), true);
    EXPECT_FALSE(tagFileFromName(&missing, "gone - away.mp3", pattern, options));
    EXPECT_FALSE(test::FileExists(dir_.Path("gone - away.mp3")));

    const std::string bytes = Tag(Frame("TIT2", Text("Old"))) + Audio();
    const std::string readOnly = Make("Locked - Song.mp3", bytes);
    ASSERT_TRUE(Fs().SetAttributes(readOnly, kAttrReadOnly));
    EXPECT_FALSE(Run(readOnly, "%A - %T", kFromNameBoth));
    EXPECT_EQ(ReadBytes(readOnly), bytes);
    ASSERT_TRUE(Fs().SetAttributes(readOnly, 0));

    // The disk refuses the rewrite: the old bytes stay and so does the entry.
    const std::string path = Make("Disk - Full.mp3", bytes);
    SongRecord entry(path, true);
    FaultyFileSystem faulty;
    faulty.FailFrom(FaultyFileSystem::Op::Write, 1);
    {
        ScopedFs scoped(faulty);
        EXPECT_FALSE(tagFileFromName(&entry, "Disk - Full.mp3", pattern, options));
    }
    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_EQ(V2(entry, kTIT2), "Old");
    EXPECT_EQ(V2(entry, kTPE1), "<none>");
}

TEST_F(TagFromNameTest, TextsOfTheRun) {
    EXPECT_EQ(TagFromNameLogHeader(kFromNameBoth, 3), "Write ID3v1+v2 Tag from 3 files (Trace LOG)");
    EXPECT_EQ(TagFromNameLogHeader(kFromNameV1, 1), "Write ID3v1 Tag from 1 files (Trace LOG)");
    EXPECT_EQ(TagFromNameLogHeader(kFromNameV2, 2), "Write ID3v2 Tag from 2 files (Trace LOG)");
    EXPECT_EQ(TagFromNameSummary(4), "Write ID3TAG from filename on 4 file(s)");
    ScriptedPrompter prompter;
    EXPECT_TRUE(CheckTagFromNamePattern("%N", prompter));
    EXPECT_FALSE(CheckTagFromNamePattern("  %a  ", prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Invalid format !!!");
    EXPECT_EQ(prompter.shown[0].caption, "Error");
    EXPECT_EQ(prompter.shown[0].icon, PromptIcon::Error);
}

}  // namespace
}  // namespace td
