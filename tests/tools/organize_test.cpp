// Organize files: directory names from tags made safe, files moved or copied
// into the target on disk, numbered names, and every way a file could be
// lost, replaced or placed outside the target.
#include "tools/organize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/copy_file.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/volume.h"
#include "settings/lang_table.h"
#include "tags/song_record.h"
#include "tests/support/test_support.h"
#include "tests/tools/tool_test_files.h"
#include "tools/safe_name.h"

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
using Levels = std::vector<std::string>;

const std::string kSep(1, kPathSeparator);

// Safe names ----------------------------------------------------------------

TEST(SafeName, ReservedDeviceNames) {
    for (const char* name : {"CON", "con", "PRN", "AUX", "NUL", "nul.txt", "COM1", "com9.mp3",
                             "LPT1", "lpt9", "CON .mp3", "CONIN$", "conout$", "COM\xB9"}) {
        EXPECT_TRUE(IsReservedDeviceName(name)) << name;
    }
    for (const char* name : {"CONSOLE", "COM", "COM0", "COM10", "LPT", "xCON", "NULL", "AC", ""}) {
        EXPECT_FALSE(IsReservedDeviceName(name)) << name;
    }
}

TEST(SafeName, ComponentsAreNeutralised) {
    EXPECT_EQ(SafeNameComponent("Band"), "Band");
    EXPECT_EQ(SafeNameComponent(".."), "_");
    EXPECT_EQ(SafeNameComponent("."), "_");
    EXPECT_EQ(SafeNameComponent(""), "_");
    EXPECT_EQ(SafeNameComponent("   "), "_");
    EXPECT_EQ(SafeNameComponent("name. "), "name");
    EXPECT_EQ(SafeNameComponent("C:"), "C_");
    EXPECT_EQ(SafeNameComponent("CON"), "_CON");
    EXPECT_EQ(SafeNameComponent("aux.txt"), "_aux.txt");
    EXPECT_EQ(SafeNameComponent("a<b>c:d\"e/f\\g|h?i*j"), "a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(SafeNameComponent(std::string("x\x01y\x1f", 4)), "x_y_");
    EXPECT_EQ(SafeNameComponent("a:b", ' '), "a b");
    EXPECT_EQ(SafeNameComponent("...x..."), "...x");
    EXPECT_EQ(SafeNameComponent("Caf\xE9"), "Caf\xE9");  // ANSI letters stay
}

TEST(SafeName, RelativeDirectoriesNeverClimb) {
    EXPECT_EQ(SafeRelativeComponents("AC/DC"), (Levels{"AC", "DC"}));
    EXPECT_EQ(SafeRelativeComponents("../../etc"), (Levels{"_", "_", "etc"}));
    EXPECT_EQ(SafeRelativeComponents("C:\\x"), (Levels{"C_", "x"}));
    EXPECT_EQ(SafeRelativeComponents("/abs//path/"), (Levels{"abs", "path"}));
    EXPECT_EQ(SafeRelativeComponents("\\\\server\\share"), (Levels{"server", "share"}));
    EXPECT_EQ(SafeRelativeComponents("/"), (Levels{"_"}));
    EXPECT_EQ(SafeRelativeComponents("a/./b"), (Levels{"a", "_", "b"}));
    EXPECT_EQ(SafeRelativeComponents("NUL/name. "), (Levels{"_NUL", "name"}));
}

TEST(SafeName, NormalisationAndContainment) {
    const std::string root = kSep + "music";
    EXPECT_EQ(NormalizePath("/music/./a//b/../c"), root + kSep + "a" + kSep + "c");
    EXPECT_EQ(NormalizePath("/.."), kSep);
    EXPECT_EQ(NormalizePath("a/../.."), "..");
    EXPECT_EQ(NormalizePath(""), ".");
    EXPECT_TRUE(IsInsideDirectory("/music", "/music/a/b.mp3"));
    EXPECT_TRUE(IsInsideDirectory("/music/", "/music/./a"));
    EXPECT_FALSE(IsInsideDirectory("/music", "/music"));
    EXPECT_FALSE(IsInsideDirectory("/music", "/music/.."));
    EXPECT_FALSE(IsInsideDirectory("/music", "/music/a/../../etc"));
    EXPECT_FALSE(IsInsideDirectory("/music", "/musicx/a"));
    EXPECT_TRUE(IsInsideDirectory("/", "/a"));
    EXPECT_TRUE(IsInsideDirectory("music", "music/a"));
    EXPECT_FALSE(IsInsideDirectory(".", ".."));
    EXPECT_TRUE(IsInsideDirectory(".", "..x"));
    EXPECT_TRUE(SamePath("/a/b/../c", "/a/c"));
#ifdef _WIN32
    EXPECT_TRUE(IsInsideDirectory("C:\\Music", "c:/music/Band/x.mp3"));
    EXPECT_FALSE(IsInsideDirectory("C:\\Music", "D:\\Music\\x.mp3"));
    EXPECT_FALSE(IsInsideDirectory("C:\\Music", "C:\\Music\\..\\Windows"));
    EXPECT_EQ(NormalizePath("\\\\srv\\share\\..\\x"), "\\\\srv\\share\\x");
    EXPECT_EQ(NormalizePath("C:/a/../.."), "C:\\");
#else
    // A backslash is an ordinary character of a POSIX name.
    EXPECT_TRUE(IsInsideDirectory("/music", "/music/..\\x"));
#endif
}

// A volume system that puts every path under `cdRoot` on a CD-ROM drive.
class FakeVolumes : public VolumeSystem {
public:
    explicit FakeVolumes(std::string cdRoot) : cdRoot_(std::move(cdRoot)) {}
    std::string RootOf(const std::string& path) override {
        return path.compare(0, cdRoot_.size(), cdRoot_) == 0 ? cdRoot_ : std::string(kSep);
    }
    uint32_t DriveType(const std::string& root) override {
        return root == cdRoot_ ? kDriveCdRom : kDriveFixed;
    }
    bool IsReachable(const std::string&) override { return true; }
    bool Information(const std::string&, std::string&, uint32_t&) override { return false; }

private:
    std::string cdRoot_;
};

class ScopedVolumes {
public:
    explicit ScopedVolumes(VolumeSystem& v) : previous_(SetVolumes(&v)) {}
    ~ScopedVolumes() { SetVolumes(previous_); }

private:
    VolumeSystem* previous_;
};

// The tool on files -----------------------------------------------------

class OrganizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        LangTable::useBuiltinEnglish();
        target_ = dir_.Path("target");
        ASSERT_TRUE(MakeDirectories(target_));
        ASSERT_TRUE(MakeDirectories(dir_.Path("src")));
    }
    SongRecord* Add(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.Path("src") + kSep + name;
        EXPECT_TRUE(WriteBytes(path, bytes));
        entries_.push_back(std::make_unique<SongRecord>(path, true));
        return entries_.back().get();
    }
    // A file tagged in ID3v1 (genre is the file's number, 255 none).
    SongRecord* AddV1(const std::string& name, const std::string& artist, const std::string& album,
                      uint8_t genre = 255) {
        return Add(name, Audio() + Id3v1("Title", artist, album, "", "", genre, 0));
    }
    SongRecord* AddV2(const std::string& name, const std::string& artist) {
        return Add(name, Tag(Frame("TPE1", Text(artist))) + Audio());
    }
    std::string InTarget(const std::string& relative) const {
        std::string path = target_;
        for (char c : relative) path.push_back(c == '/' ? kPathSeparator : c);
        return path.insert(target_.size(), kSep);
    }

    TempDir dir_;
    std::string target_;
    OrganizeOptions options_;
    std::vector<std::unique_ptr<SongRecord>> entries_;
};

TEST_F(OrganizeTest, SubdirectoriesByLayoutAndSource) {
    SongRecord* v1 = AddV1("a.mp3", "Band", "", 255);
    options_.layout = kLayoutArtistAlbum;
    EXPECT_EQ(subdirectoryFor(v1, options_), "Band" + kSep + "Unkown album");
    options_.layout = kLayoutGenre;
    EXPECT_EQ(subdirectoryFor(v1, options_), "Unkown genre");
    options_.layout = kLayoutAlbum;
    EXPECT_EQ(subdirectoryFor(v1, options_), "Unkown album");

    SongRecord* accented = AddV1("e.mp3", "Caf\xE9", "");
    options_.layout = kLayoutArtist;
    EXPECT_EQ(subdirectoryFor(accented, options_), AnsiToPathName("Caf\xE9"));

    SongRecord* jazz = AddV1("b.mp3", "AC/DC", "Live", 8);
    options_.layout = kLayoutArtist;
    EXPECT_EQ(subdirectoryFor(jazz, options_), "AC" + kSep + "DC");
    options_.layout = kLayoutGenre;
    EXPECT_EQ(subdirectoryFor(jazz, options_), "Jazz");

    // ID3v1 as the source needs an ID3v1 tag; ID3v2 falls back to "Unkown".
    SongRecord* v2 = AddV2("c.mp3", "V2 Band");
    options_.layout = kLayoutArtist;
    EXPECT_EQ(subdirectoryFor(v2, options_), "");
    options_.source = 1;
    EXPECT_EQ(subdirectoryFor(v2, options_), "V2 Band");
    EXPECT_EQ(subdirectoryFor(v1, options_), "Unkown artist");
    EXPECT_EQ(subdirectoryFor(Add("d.mp3", Audio()), options_), "");
    EXPECT_EQ(subdirectoryFor(nullptr, options_), "");
}

TEST_F(OrganizeTest, MovesIntoTheArtistDirectoryAndNumbersTakenNames) {
    const std::string first = Audio(1000) + Id3v1("One", "Band", "", "", "", 255, 0);
    SongRecord* a = Add("01.mp3", first);
    ASSERT_TRUE(organizeFile(a, target_, options_));
    EXPECT_EQ(a->GetFileName(), InTarget("Band/01.mp3"));
    EXPECT_EQ(ReadBytes(a->GetFileName()), first);
    EXPECT_FALSE(FileExists(dir_.Path("src") + kSep + "01.mp3"));

    const std::string second = Audio(2000) + Id3v1("Two", "Band", "", "", "", 255, 0);
    SongRecord* b = Add("01.mp3", second);
    ASSERT_TRUE(organizeFile(b, target_, options_));
    EXPECT_EQ(b->GetFileName(), InTarget("Band/01(1).mp3"));
    EXPECT_EQ(ReadBytes(InTarget("Band/01.mp3")), first);
    EXPECT_EQ(ReadBytes(InTarget("Band/01(1).mp3")), second);

    SongRecord* mp2 = AddV1("song.mp2", "Band", "");
    ASSERT_TRUE(organizeFile(mp2, target_, options_));
    EXPECT_EQ(mp2->GetFileName(), InTarget("Band/song.mp3"));

    // Organizing again leaves files that are in place where they are.
    ASSERT_TRUE(organizeFile(b, target_, options_));
    EXPECT_EQ(b->GetFileName(), InTarget("Band/01(1).mp3"));
    EXPECT_EQ(SortedNames(InTarget("Band")), (std::vector<std::string>{"01(1).mp3", "01.mp3", "song.mp3"}));
}

TEST_F(OrganizeTest, AHundredTakenNamesFail) {
    ASSERT_TRUE(MakeDirectories(InTarget("Band")));
    ASSERT_TRUE(WriteBytes(InTarget("Band/x.mp3"), "taken"));
    for (int i = 1; i <= 98; ++i) {
        ASSERT_TRUE(WriteBytes(InTarget("Band/x(" + std::to_string(i) + ").mp3"), "taken"));
    }
    SongRecord* last = AddV1("x.mp3", "Band", "");
    ASSERT_TRUE(organizeFile(last, target_, options_));
    EXPECT_EQ(last->GetFileName(), InTarget("Band/x(99).mp3"));

    const std::string bytes = Audio(777) + Id3v1("T", "Band", "", "", "", 255, 0);
    SongRecord* extra = Add("x.mp3", bytes);
    EXPECT_FALSE(organizeFile(extra, target_, options_));
    EXPECT_EQ(extra->GetFileName(), dir_.Path("src") + kSep + "x.mp3");
    EXPECT_EQ(ReadBytes(extra->GetFileName()), bytes);
    EXPECT_EQ(SortedNames(InTarget("Band")).size(), 100u);
    EXPECT_EQ(ReadBytes(InTarget("Band/x(50).mp3")), "taken");
}

TEST_F(OrganizeTest, HostileTagsLandInsideTheTarget) {
    struct Case {
        const char* artist;
        const char* directory;
    };
    const Case cases[] = {
        {"../../etc", "_/_/etc"},
        {"..", "_"},
        {"C:\\x", "C_/x"},
        {"CON", "_CON"},
        {"a/b", "a/b"},
        {"name. ", "name"},
        {"/abs", "abs"},
        {"\\\\srv\\share", "srv/share"},
        {"lpt1.mp3", "_lpt1.mp3"},
    };
    options_.source = 1;  // ID3v2 texts as given, trailing blanks included
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.artist);
        const std::string name = "f" + std::to_string(n++) + ".mp3";
        SongRecord* entry = AddV2(name, c.artist);
        ASSERT_TRUE(organizeFile(entry, target_, options_));
        EXPECT_EQ(entry->GetFileName(), InTarget(std::string(c.directory) + "/" + name));
        EXPECT_TRUE(FileExists(entry->GetFileName()));
        EXPECT_TRUE(IsInsideDirectory(target_, entry->GetFileName()));
    }
    // Nothing appeared beside the target or the sources.
    EXPECT_EQ(SortedNames(dir_.path()), (std::vector<std::string>{"src", "target"}));
    EXPECT_TRUE(SortedNames(dir_.Path("src")).empty());
}

TEST_F(OrganizeTest, CopyKeepsTheSourceAndPointsTheEntryAtTheCopy) {
    const std::string bytes = Audio() + Id3v1("T", "Band", "Album", "", "", 255, 0);
    SongRecord* entry = Add("song.mp3", bytes);
    const std::string source = entry->GetFileName();
    options_.copy = true;
    options_.layout = kLayoutArtistAlbum;
    ASSERT_TRUE(organizeFile(entry, target_, options_));
    EXPECT_EQ(entry->GetFileName(), InTarget("Band/Album/song.mp3"));
    EXPECT_EQ(ReadBytes(entry->GetFileName()), bytes);
    EXPECT_EQ(ReadBytes(source), bytes);
    // Copying again makes no second copy of what is already there.
    SongRecord again(source, true);
    ASSERT_TRUE(organizeFile(&again, target_, options_));
    EXPECT_EQ(again.GetFileName(), InTarget("Band/Album/song(1).mp3"));
    ASSERT_TRUE(organizeFile(entry, target_, options_));
    EXPECT_EQ(SortedNames(InTarget("Band/Album")).size(), 2u);
}

TEST_F(OrganizeTest, FilesOnACdRomAreCopied) {
    FakeVolumes volumes(dir_.Path("src"));
    ScopedVolumes scoped(volumes);
    const std::string bytes = Audio() + Id3v1("T", "Band", "", "", "", 255, 0);
    SongRecord* entry = Add("cd.mp3", bytes);
    const std::string source = entry->GetFileName();
    EXPECT_TRUE(IsOnCdRom(source));
    ASSERT_TRUE(organizeFile(entry, target_, options_));
    EXPECT_EQ(entry->GetFileName(), InTarget("Band/cd.mp3"));
    EXPECT_EQ(ReadBytes(source), bytes);
    EXPECT_EQ(ReadBytes(entry->GetFileName()), bytes);

    ScriptedPrompter prompter;
    EXPECT_FALSE(CheckOrganizeTarget(dir_.Path("src") + kSep + "dir", prompter));
    EXPECT_FALSE(CheckOrganizeTarget("", prompter));
    EXPECT_TRUE(CheckOrganizeTarget(target_, prompter));
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].text, "Impossible to copy or move to media/folder read-only !!!");
    EXPECT_EQ(prompter.shown[1].text, "Choose a target directory !!!");
    EXPECT_EQ(prompter.shown[1].caption, "Error");
}

TEST_F(OrganizeTest, AReadOnlyTargetMediumLeavesTheFileWhereItWas) {
    ASSERT_TRUE(MakeDirectories(InTarget("Band")));
    const std::string bytes = Audio() + Id3v1("T", "Band", "", "", "", 255, 0);
    SongRecord* moved = Add("a.mp3", bytes);
    SongRecord* copied = Add("b.mp3", bytes);
    FaultyFileSystem faulty;
    faulty.FailFrom(FaultyFileSystem::Op::Rename, 1);
    faulty.FailFrom(FaultyFileSystem::Op::Open, 1);
    {
        ScopedFs scoped(faulty);
        EXPECT_FALSE(organizeFile(moved, target_, options_));
        OrganizeOptions copy = options_;
        copy.copy = true;
        EXPECT_FALSE(organizeFile(copied, target_, copy));
    }
    EXPECT_EQ(moved->GetFileName(), dir_.Path("src") + kSep + "a.mp3");
    EXPECT_EQ(ReadBytes(moved->GetFileName()), bytes);
    EXPECT_EQ(ReadBytes(copied->GetFileName()), bytes);
    EXPECT_TRUE(SortedNames(InTarget("Band")).empty());
}

TEST_F(OrganizeTest, OtherFailures) {
    // A file where the directory should be.
    ASSERT_TRUE(WriteBytes(InTarget("Blocked"), "file"));
    SongRecord* blocked = AddV1("a.mp3", "Blocked", "");
    EXPECT_FALSE(organizeFile(blocked, target_, options_));
    EXPECT_TRUE(FileExists(blocked->GetFileName()));
    EXPECT_EQ(ReadBytes(InTarget("Blocked")), "file");

    SongRecord* untagged = Add("b.mp3", Audio());
    EXPECT_FALSE(organizeFile(untagged, target_, options_));
    SongRecord* gone = AddV1("c.mp3", "Band", "");
    std::remove(gone->GetFileName().c_str());
    EXPECT_FALSE(organizeFile(gone, target_, options_));
    EXPECT_FALSE(organizeFile(nullptr, target_, options_));
    EXPECT_FALSE(organizeFile(AddV1("d.mp3", "Band", ""), "", options_));
    EXPECT_EQ(SortedNames(target_), std::vector<std::string>{"Blocked"});

    // A read-only file moves, intact.
    SongRecord* readOnly = AddV1("e.mp3", "Band", "");
    const std::string bytes = ReadBytes(readOnly->GetFileName());
    ASSERT_TRUE(Fs().SetAttributes(readOnly->GetFileName(), kAttrReadOnly));
    ASSERT_TRUE(organizeFile(readOnly, target_, options_));
    EXPECT_EQ(ReadBytes(InTarget("Band/e.mp3")), bytes);
    Fs().SetAttributes(InTarget("Band/e.mp3"), 0);
}

TEST_F(OrganizeTest, TextsOfTheRun) {
    EXPECT_EQ(OrganizeLogHeader(3), "Organize 3 files (Trace LOG)");
    EXPECT_EQ(OrganizeSummary(2, "/music"), "Organize 2 file(s) to target directory: /music");
}

}  // namespace
}  // namespace td
