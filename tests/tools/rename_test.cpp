#include "tools/rename.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/tools/tool_test_files.h"
#include "tools/safe_name.h"
#include "tools/text_convert.h"

namespace td {
namespace {

using namespace tooltest;

class RenameTest : public ToolFilesTest {
protected:
    std::string Name(const SongRecord* entry, const std::string& pattern) {
        std::string name;
        if (!buildNewName(entry, pattern, options_, name)) return "<failed>";
        return name;
    }
    RenameOptions options_;
};

TEST_F(RenameTest, NamesFromPatternsAndSources) {
    SongRecord* acdc = Add("a.mp3", SongV1("Why?", "AC/DC", 3));
    EXPECT_EQ(Name(acdc, "%N - %A - %T%x%"), "03 - AC DC - Why ");
    // A file directly in the root folder is renamed in the root folder.
    const std::string root(1, kPathSeparator);
    acdc->SetFileName(root + "a.mp3");
    std::string path;
    ASSERT_TRUE(NewPathFor(acdc, "%T", options_, path));
    EXPECT_EQ(path, root + "Why .mp3");
    EXPECT_EQ(Name(Add("b.mp3", SongV1("Why?", "AC/DC", 12)), "%N"), "12");  // padded to two digits only
    options_.caseMode = kCaseUpper;
    EXPECT_EQ(Name(acdc, "%A - %T live"), "AC DC - WHY  LIVE");
    options_ = RenameOptions();

    SongRecord* both = Add("c.mp3", Tag(Frame("TIT2", Text("")) + Frame("TPE1", Text("V2 Artist"))) +
                                        SongV1("Song", "V1 Artist"));
    options_.source = 2;  // ID3v2 / ID3v1: the empty title comes from ID3v1
    EXPECT_EQ(Name(both, "%A - %T"), "V2 Artist - Song");
    options_.source = 1;
    EXPECT_EQ(Name(both, "%A - %T"), "V2 Artist - ");
    EXPECT_EQ(Name(Add("untagged.mp3", Audio()), "%A - %T"), "<failed>");
    SongRecord* full = Add("d.mp3", Tag(Frame("TALB", Text("Album")) + Frame("TYER", Text("1999")) +
                                        Frame("TCON", Text("Rock")) + Frame("COMM", Text("eng") + Text("Nice"))) +
                                        Audio());
    EXPECT_EQ(Name(full, "%L %Y %G %C"), "Album 1999 Rock Nice");
    // A bare name stays bare.
    full->SetFileName("d.mp3");
    ASSERT_TRUE(NewPathFor(full, "%Y", options_, path));
    EXPECT_EQ(path, "1999.mp3");
}

TEST_F(RenameTest, HostileTagsStayOneNameInTheSameDirectory) {
    const std::pair<const char*, const char*> cases[] = {
        {"../../etc", ".. .. etc"},     {"C:\\x", "C  x"},    {"nul", "_nul"},
        {"tab\there\x01", "tab here "}, {"<|>*?\"", nullptr},  // blank: refused
    };
    options_.source = 1;  // ID3v2 keeps texts exactly as given
    for (const auto& [title, expected] : cases) {
        SCOPED_TRACE(title);
        SongRecord* entry = Add("x.mp3", Tag(Frame("TIT2", Text(title))) + Audio());
        if (!expected) {
            EXPECT_EQ(Name(entry, "%T"), "<failed>");
            EXPECT_FALSE(renameFile(entry, "%T", options_));
        } else {
            EXPECT_EQ(Name(entry, "%T"), expected);
            ASSERT_TRUE(renameFile(entry, "%T", options_));
            EXPECT_EQ(entry->GetFileName(), dir_.Path(std::string(expected) + ".mp3"));
        }
        EXPECT_TRUE(FileExists(entry->GetFileName()));
        std::remove(entry->GetFileName().c_str());
    }
    EXPECT_TRUE(SortedNames(dir_.path()).empty());
}

TEST_F(RenameTest, RenamesOnDiskWithTheMp3ExtensionAndANativeName) {
    const std::string bytes = SongV1("Caf\xE9", "Band", 7);
    SongRecord* entry = Add("track.mp2", bytes);
    ASSERT_TRUE(Fs().SetAttributes(entry->GetFileName(), kAttrReadOnly));
    ASSERT_TRUE(renameFile(entry, "%N - %A - %T", options_));
    EXPECT_EQ(entry->GetFileName(), dir_.Path(AnsiToPathName("07 - Band - Caf\xE9") + ".mp3"));
#ifndef _WIN32
    EXPECT_EQ(entry->GetFileName(), dir_.Path("07 - Band - Caf\xC3\xA9.mp3"));
#endif
    EXPECT_EQ(SortedNames(dir_.path()).size(), 1u);
    EXPECT_EQ(ReadBytes(entry->GetFileName()), bytes);
    EXPECT_TRUE(renameFile(entry, "%N - %A - %T", options_));  // already so named
    EXPECT_EQ(ReadBytes(entry->GetFileName()), bytes);
    Fs().SetAttributes(entry->GetFileName(), 0);
}

TEST_F(RenameTest, FailuresLeaveEveryFileAsItWas) {
    const std::string first = SongV1("Same", "Band", 0, 1000);
    const std::string second = SongV1("Same", "Band", 0, 2000);
    SongRecord* a = Add("a.mp3", first);
    SongRecord* b = Add("b.mp3", second);
    EXPECT_TRUE(renameFile(a, "%A - %T", options_));
    EXPECT_FALSE(renameFile(b, "%A - %T", options_));  // the target exists
    EXPECT_EQ(b->GetFileName(), dir_.Path("b.mp3"));
    EXPECT_EQ(ReadBytes(dir_.Path("Band - Same.mp3")), first);
    EXPECT_EQ(ReadBytes(dir_.Path("b.mp3")), second);

    SongRecord* gone = Add("gone.mp3", first);
    std::remove(gone->GetFileName().c_str());
    EXPECT_FALSE(renameFile(gone, "%T", options_));
    EXPECT_EQ(gone->GetFileName(), dir_.Path("gone.mp3"));
    SongRecord* locked = Add("locked.mp3", first);
    FaultyFileSystem faulty;  // a read-only medium
    faulty.FailFrom(FaultyFileSystem::Op::Rename, 1);
    {
        ScopedFs scoped(faulty);
        EXPECT_FALSE(renameFile(locked, "%T", options_));
    }
    EXPECT_EQ(locked->GetFileName(), dir_.Path("locked.mp3"));
    EXPECT_EQ(ReadBytes(dir_.Path("locked.mp3")), first);
    EXPECT_EQ(SortedNames(dir_.path()), (std::vector<std::string>{"Band - Same.mp3", "b.mp3", "locked.mp3"}));

    RecordingPrompter prompter;
    EXPECT_TRUE(CheckRenamePattern(" %T ", prompter));
    EXPECT_FALSE(CheckRenamePattern("%t", prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Invalid format !!!");
}

TEST_F(RenameTest, PreviewShowsFourNamesThenDots) {
    std::vector<SongRecord*> entries;
    for (int i = 1; i <= 5; ++i) {
        entries.push_back(Add("f" + std::to_string(i) + ".mp3", SongV1("T" + std::to_string(i), "A")));
    }
    entries[1]->SetTagFlags(0);  // cannot be named: an empty line
    ToolFileList list = FileListFromEntries(entries, false);
    EXPECT_EQ(RenamePreview("%A-%T", list, false, options_), "Preview: \nA-T1\n\nA-T3\nA-T4\n...");
    EXPECT_EQ(RenamePreview("%a", list, false, options_), "Preview: Invalid format !!!");
    EXPECT_EQ(RenamePreview("%T", FileListFromEntries({entries[0], entries[2]}, false), false, options_),
              "Preview: \nT1\nT3");
    list.selectAll(false);
    list.selected[4] = true;
    EXPECT_EQ(RenamePreview("%T", list, true, options_), "Preview: \nT5");
}

}  // namespace
}  // namespace td
