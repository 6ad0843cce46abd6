// Rename file from tag: names built from patterns and tag fields, and
// renames of real files, with hostile tags and refused renames.
#include "tools/rename.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "platform/file_system.h"
#include "settings/lang_table.h"
#include "tags/song_record.h"
#include "tests/support/test_support.h"
#include "tests/tools/tool_test_files.h"
#include "tools/safe_name.h"
#include "tools/text_convert.h"

namespace td {
namespace {

using test::FaultyFileSystem;
using test::FileExists;
using test::SortedNames;
using test::ReadBytes;
using test::ScopedFs;
using test::TempDir;
using test::WriteBytes;
using namespace tooltest;

class RenameTest : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }

    // A file with the given tags; the entry is read from it.
    SongRecord* Add(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.Path(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        entries_.push_back(std::make_unique<SongRecord>(path, true));
        return entries_.back().get();
    }
    std::string Name(const SongRecord* entry, const std::string& pattern) {
        std::string name;
        if (!buildNewName(entry, pattern, options_, name)) return "<failed>";
        return name;
    }

    TempDir dir_;
    RenameOptions options_;
    std::vector<std::unique_ptr<SongRecord>> entries_;
};

TEST_F(RenameTest, DocumentedNames) {
    SongRecord* acdc = Add("a.mp3", Audio() + Id3v1("Why?", "AC/DC", "", "", "", 255, 3));
    EXPECT_EQ(Name(acdc, "%N - %A - %T"), "03 - AC DC - Why ");
    EXPECT_EQ(Name(acdc, "%T%x"), "Why ");  // "%x" is dropped
    EXPECT_EQ(Name(acdc, "%T%"), "Why ");
    options_.caseMode = kCaseUpper;
    EXPECT_EQ(Name(acdc, "%A - %T live"), "AC DC - WHY  LIVE");

    options_ = RenameOptions();
    SongRecord* noTrack = Add("b.mp3", Audio() + Id3v1("T", "A", "", "", "", 255, 0));
    EXPECT_EQ(Name(noTrack, "%N-%T"), "0-T");
    SongRecord* track12 = Add("c.mp3", Audio() + Id3v1("T", "A", "", "", "", 255, 12));
    EXPECT_EQ(Name(track12, "%N"), "12");
}

TEST_F(RenameTest, SourcesAndFallbacks) {
    SongRecord* both = Add("a.mp3", Tag(Frame("TIT2", Text("")) + Frame("TPE1", Text("V2 Artist"))) +
                                        Audio() + Id3v1("Song", "V1 Artist", "", "", "", 255, 0));
    options_.source = 2;  // ID3v2 / ID3v1: the empty title comes from ID3v1
    EXPECT_EQ(Name(both, "%A - %T"), "V2 Artist - Song");
    options_.source = 3;
    EXPECT_EQ(Name(both, "%A - %T"), "V1 Artist - Song");
    options_.source = 1;
    EXPECT_EQ(Name(both, "%A - %T"), "V2 Artist - ");
    options_.source = 0;
    EXPECT_EQ(Name(both, "%A - %T"), "V1 Artist - Song");

    SongRecord* none = Add("untagged.mp3", Audio());
    EXPECT_EQ(Name(none, "%A - %T"), "<failed>");
    EXPECT_EQ(Name(nullptr, "%A"), "<failed>");
}

TEST_F(RenameTest, HostileTagsStayOneNameInTheSameDirectory) {
    struct Case {
        const char* title;
        const char* expected;
    };
    const Case cases[] = {
        {"../../etc", ".. .. etc"},
        {"C:\\x", "C  x"},
        {"CON", "_CON"},
        {"nul", "_nul"},
        {"a/b", "a b"},
        {"name. ", "name. "},
        {"tab\there\x01", "tab here "},
        {"<|>*?\"", "      "},  // blank: refused below
    };
    options_.source = 1;  // ID3v2 keeps texts exactly as given
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        SongRecord* entry = Add("x.mp3", Tag(Frame("TIT2", Text(c.title))) + Audio());
        std::string name;
        const bool built = buildNewName(entry, "%T", options_, name);
        if (std::string(c.expected).find_first_not_of(' ') == std::string::npos) {
            EXPECT_FALSE(built);
            EXPECT_FALSE(renameFile(entry, "%T", options_));
            std::remove(entry->GetFileName().c_str());
            continue;
        }
        ASSERT_TRUE(built);
        EXPECT_EQ(name, c.expected);
        ASSERT_TRUE(renameFile(entry, "%T", options_));
        EXPECT_EQ(entry->GetFileName(), dir_.Path(std::string(c.expected) + ".mp3"));
        EXPECT_TRUE(FileExists(entry->GetFileName()));
        std::remove(entry->GetFileName().c_str());
    }
    EXPECT_TRUE(SortedNames(dir_.path()).empty());
}

TEST_F(RenameTest, RenamesOnDiskWithTheMp3Extension) {
    const std::string bytes = Audio() + Id3v1("Song", "Band", "", "", "", 255, 7);
    SongRecord* entry = Add("track.mp2", bytes);
    ASSERT_TRUE(renameFile(entry, "%N - %A - %T", options_));
    EXPECT_EQ(entry->GetFileName(), dir_.Path("07 - Band - Song.mp3"));
    EXPECT_EQ(SortedNames(dir_.path()), std::vector<std::string>{"07 - Band - Song.mp3"});
    EXPECT_EQ(ReadBytes(entry->GetFileName()), bytes);
    // Already so named: nothing to do, and no failure.
    EXPECT_TRUE(renameFile(entry, "%N - %A - %T", options_));
    EXPECT_EQ(ReadBytes(dir_.Path("07 - Band - Song.mp3")), bytes);
}

TEST_F(RenameTest, TagTextBecomesANativeFileName) {
    SongRecord* entry = Add("a.mp3", Audio() + Id3v1("Caf\xE9 cr\xE8me", "", "", "", "", 255, 0));
    std::string name;
    ASSERT_TRUE(buildNewName(entry, "%T", options_, name));
    EXPECT_EQ(name, "Caf\xE9 cr\xE8me");  // the preview shows tag text
    ASSERT_TRUE(renameFile(entry, "%T", options_));
#ifndef _WIN32
    EXPECT_EQ(entry->GetFileName(), dir_.Path("Caf\xC3\xA9 cr\xC3\xA8me.mp3"));
#endif
    EXPECT_EQ(entry->GetFileName(), dir_.Path(AnsiToPathName(name) + ".mp3"));
    EXPECT_TRUE(FileExists(entry->GetFileName()));
}

TEST_F(RenameTest, ReadOnlyFileIsRenamedIntact) {
    const std::string bytes = Audio() + Id3v1("Song", "Band", "", "", "", 255, 0);
    SongRecord* entry = Add("ro.mp3", bytes);
    ASSERT_TRUE(Fs().SetAttributes(entry->GetFileName(), kAttrReadOnly));
    ASSERT_TRUE(renameFile(entry, "%A - %T", options_));
    EXPECT_EQ(ReadBytes(dir_.Path("Band - Song.mp3")), bytes);
    Fs().SetAttributes(entry->GetFileName(), 0);
}

TEST_F(RenameTest, AnExistingTargetFailsThatFileAlone) {
    const std::string first = Audio(1000) + Id3v1("Same", "Band", "", "", "", 255, 0);
    const std::string second = Audio(2000) + Id3v1("Same", "Band", "", "", "", 255, 0);
    const std::string other = Audio(500) + Id3v1("Other", "Band", "", "", "", 255, 0);
    SongRecord* a = Add("a.mp3", first);
    SongRecord* b = Add("b.mp3", second);
    SongRecord* c = Add("c.mp3", other);
    EXPECT_TRUE(renameFile(a, "%A - %T", options_));
    EXPECT_FALSE(renameFile(b, "%A - %T", options_));
    EXPECT_TRUE(renameFile(c, "%A - %T", options_));
    EXPECT_EQ(b->GetFileName(), dir_.Path("b.mp3"));
    EXPECT_EQ(ReadBytes(dir_.Path("Band - Same.mp3")), first);
    EXPECT_EQ(ReadBytes(dir_.Path("b.mp3")), second);
    EXPECT_EQ(ReadBytes(dir_.Path("Band - Other.mp3")), other);
}

TEST_F(RenameTest, UntaggedMissingAndRefusedFilesFail) {
    SongRecord* untagged = Add("untagged.mp3", Audio());
    EXPECT_FALSE(renameFile(untagged, "%A", options_));
    EXPECT_TRUE(FileExists(dir_.Path("untagged.mp3")));

    const std::string bytes = Audio() + Id3v1("Song", "Band", "", "", "", 255, 0);
    SongRecord* gone = Add("gone.mp3", bytes);
    std::remove(gone->GetFileName().c_str());
    EXPECT_FALSE(renameFile(gone, "%T", options_));
    EXPECT_EQ(gone->GetFileName(), dir_.Path("gone.mp3"));

    // A read-only medium refuses the rename.
    SongRecord* locked = Add("locked.mp3", bytes);
    FaultyFileSystem faulty;
    faulty.FailFrom(FaultyFileSystem::Op::Rename, 1);
    {
        ScopedFs scoped(faulty);
        EXPECT_FALSE(renameFile(locked, "%T", options_));
    }
    EXPECT_EQ(locked->GetFileName(), dir_.Path("locked.mp3"));
    EXPECT_EQ(ReadBytes(dir_.Path("locked.mp3")), bytes);
    EXPECT_EQ(SortedNames(dir_.path()), (std::vector<std::string>{"locked.mp3", "untagged.mp3"}));
}

TEST_F(RenameTest, PreviewShowsFourNamesThenDots) {
    std::vector<SongRecord*> entries;
    for (int i = 1; i <= 5; ++i) {
        entries.push_back(Add("f" + std::to_string(i) + ".mp3",
                              Audio() + Id3v1("T" + std::to_string(i), "A", "", "", "", 255, 0)));
    }
    entries[1]->SetTagFlags(0);  // cannot be named: an empty line
    ToolFileList list = FileListFromEntries(entries, false);
    EXPECT_EQ(RenamePreview("%A-%T", list, false, options_), "Preview: \nA-T1\n\nA-T3\nA-T4\n...");
    EXPECT_EQ(RenamePreview("%a", list, false, options_), "Preview: Invalid format !!!");
    list.selectAll(false);
    EXPECT_EQ(RenamePreview("%T", list, true, options_), "Preview: ");
    list.selected[4] = true;
    EXPECT_EQ(RenamePreview("%T", list, true, options_), "Preview: \nT5");
}

TEST_F(RenameTest, TextsOfTheRun) {
    EXPECT_EQ(RenameLogHeader(3), "Rename 3 files from ID3Tag (Trace LOG)");
    EXPECT_EQ(RenameSummary(2), "Rename filename from ID3TAG on 2 file(s)");
    ScriptedPrompter prompter;
    EXPECT_FALSE(CheckRenamePattern("   ", prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Invalid format !!!");
    EXPECT_TRUE(CheckRenamePattern("%N", prompter));
}

}  // namespace
}  // namespace td
