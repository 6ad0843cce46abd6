#include "tools/organize.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "platform/copy_file.h"
#include "platform/directory.h"
#include "platform/volume.h"
#include "tests/tools/tool_test_files.h"
#include "tools/safe_name.h"

namespace td {
namespace {

using namespace tooltest;

const std::string kSep(1, kPathSeparator);

TEST(SafeName, DeviceNamesAndContainment) {
    for (const char* name : {"con", "nul.txt", "com9.mp3", "CON .mp3", "conout$", "COM\xB9"}) {
        EXPECT_TRUE(IsReservedDeviceName(name)) << name;
    }
    for (const char* name : {"CONSOLE", "COM0", "COM10", "NULL"})
        EXPECT_FALSE(IsReservedDeviceName(name)) << name;
    EXPECT_EQ(SafeNameComponent("a<b>c:d\"e/f\\g|h?i*j"), "a_b_c_d_e_f_g_h_i_j");
    // The user's replacement is taken unless it is itself unsafe; a dot would hide a trailing one.
    EXPECT_EQ(SafeNameComponent("AC/DC", '-'), "AC-DC");
    EXPECT_EQ(SafeNameComponent("AC/DC", '.'), "AC_DC");
    EXPECT_EQ(SafeNameComponent("AC/DC", '?'), "AC_DC");
    EXPECT_FALSE(IsInsideDirectory("/music", "/music"));
    EXPECT_FALSE(IsInsideDirectory("/music", "/music/a/../../etc"));
    EXPECT_FALSE(IsInsideDirectory("/music", "/musicx/a"));
    EXPECT_FALSE(IsInsideDirectory("/music", "music/a"));
    EXPECT_TRUE(IsInsideDirectory(".", "..x"));
    EXPECT_FALSE(IsInsideDirectory(".", "../x"));
    EXPECT_EQ(DirectoryOf("x.mp3"), "");
#ifdef _WIN32
    EXPECT_TRUE(IsInsideDirectory("C:\\Music", "c:/music/Band/x.mp3"));
#endif
}

class OrganizeTest : public ToolFilesTest {
protected:
    void SetUp() override {
        ToolFilesTest::SetUp();
        target_ = In("target");
        ASSERT_TRUE(MakeDirectories(target_));
        ASSERT_TRUE(MakeDirectories(In("src")));
    }
    SongRecord* AddV1(const std::string& name, const std::string& artist, const std::string& album = "",
                      uint8_t genre = 255) {
        return Add("src/" + name, Audio() + Id3v1Trailer("Title", artist, album, "", "", genre, 0));
    }
    std::string InTarget(const std::string& relative) const { return In("target/" + relative); }

    std::string target_;
    OrganizeOptions options_;
};

TEST_F(OrganizeTest, SubdirectoriesByLayoutAndSource) {
    SongRecord* v1 = AddV1("a.mp3", "AC/DC", "", 8);
    options_.layout = kLayoutArtistAlbum;
    EXPECT_EQ(subdirectoryFor(v1, options_), "AC" + kSep + "DC" + kSep + "Unkown album");
    options_.layout = kLayoutGenre;
    EXPECT_EQ(subdirectoryFor(v1, options_), "Jazz");
    // A genre byte past the genre list names no genre.
    EXPECT_EQ(subdirectoryFor(AddV1("u.mp3", "Band", "", 200), options_), "Unkown genre");
    options_.layout = kLayoutAlbum;
    EXPECT_EQ(subdirectoryFor(AddV1("b.mp3", "Band", "Live"), options_), "Live");
    SongRecord* v2 = Add("src/c.mp3", Tag(Frame("TPE1", Text("V2 Band"))) + Audio());
    options_.layout = kLayoutArtist;
    EXPECT_EQ(subdirectoryFor(v2, options_), "");  // ID3v1 as the source needs an ID3v1 tag
    SongRecord* bare = Add("src/d.mp3", Audio());
    EXPECT_EQ(subdirectoryFor(bare, options_), "");
    options_.source = 1;
    EXPECT_EQ(subdirectoryFor(v2, options_), "V2 Band");
    EXPECT_EQ(subdirectoryFor(v1, options_), "Unkown artist");
    EXPECT_EQ(subdirectoryFor(bare, options_), "Unkown artist");  // no tag at all
    // What the ID3v2 tag lacks is not taken from the ID3v1 tag.
    const std::string trailer = Id3v1Trailer("T", "V1 Band", "V1 Album", "", "", 8, 0);
    SongRecord* both = Add("src/e.mp3", Tag(Frame("TIT2", Text("T"))) + Audio() + trailer);
    options_.layout = kLayoutArtistAlbum;
    EXPECT_EQ(subdirectoryFor(both, options_), "Unkown artist" + kSep + "Unkown album");
    options_.layout = kLayoutGenre;
    EXPECT_EQ(subdirectoryFor(both, options_), "Unkown genre");
}

#ifndef _WIN32
TEST_F(OrganizeTest, ALinkInsideTheTargetLeadsNoFileOut) {
    ASSERT_TRUE(MakeDirectories(In("outside")));
    ASSERT_EQ(::symlink(In("outside").c_str(), InTarget("Band").c_str()), 0);
    const std::string bytes = SongV1("T", "Band");
    SongRecord* entry = Add("src/a.mp3", bytes);
    EXPECT_FALSE(organizeFile(entry, target_, options_));
    EXPECT_EQ(ReadBytes(In("src/a.mp3")), bytes);
    EXPECT_TRUE(SortedNames(In("outside")).empty());
    options_.layout = kLayoutArtistAlbum;  // a level below the link is never made
    EXPECT_FALSE(organizeFile(entry, target_, options_));
    EXPECT_TRUE(SortedNames(In("outside")).empty());
}
#endif

TEST_F(OrganizeTest, MovesAndNumbersTakenNamesUpToAHundred) {
    const std::string first = SongV1("One", "Band", 0, 1000);
    SongRecord* a = Add("src/x.mp3", first);
    ASSERT_TRUE(organizeFile(a, target_, options_));
    EXPECT_EQ(a->GetFileName(), InTarget("Band/x.mp3"));
    EXPECT_EQ(ReadBytes(a->GetFileName()), first);
    EXPECT_FALSE(FileExists(In("src/x.mp3")));
    // Organized again, a file already in place keeps its name.
    ASSERT_TRUE(organizeFile(a, target_, options_));
    EXPECT_EQ(a->GetFileName(), InTarget("Band/x.mp3"));
    SongRecord* b = Add("src/x.mp3", SongV1("Two", "Band"));
    ASSERT_TRUE(organizeFile(b, target_, options_));
    EXPECT_EQ(b->GetFileName(), InTarget("Band/x(1).mp3"));
    EXPECT_EQ(ReadBytes(InTarget("Band/x.mp3")), first);

    for (int i = 2; i <= 99; ++i)
        ASSERT_TRUE(WriteBytes(InTarget("Band/x(" + std::to_string(i) + ").mp3"), "taken"));
    const std::string bytes = SongV1("T", "Band", 0, 777);
    SongRecord* extra = Add("src/x.mp3", bytes);
    EXPECT_FALSE(organizeFile(extra, target_, options_));
    EXPECT_EQ(extra->GetFileName(), In("src/x.mp3"));
    EXPECT_EQ(ReadBytes(extra->GetFileName()), bytes);
    EXPECT_EQ(SortedNames(InTarget("Band")).size(), 100u);
    EXPECT_EQ(ReadBytes(InTarget("Band/x(50).mp3")), "taken");
}

// Another program takes the name between the look and the move.
struct NameTakenMeanwhileFs : test::ForwardingFs {
    std::string name;
    bool Rename(const std::string& from, const std::string& to) override {
        if (to == name && WriteBytes(to, "theirs")) name.clear();
        return inner_.Rename(from, to);
    }
};

TEST_F(OrganizeTest, ANameTakenMeanwhileIsLeftAloneAndTheNextOneUsed) {
    const std::string bytes = SongV1("T", "Band");
    SongRecord* song = Add("src/x.mp3", bytes);
    NameTakenMeanwhileFs fs;
    fs.name = InTarget("Band/x.mp3");
    {
        ScopedFs scoped(fs);
        ASSERT_TRUE(organizeFile(song, target_, options_));
    }
    EXPECT_EQ(song->GetFileName(), InTarget("Band/x(1).mp3"));
    EXPECT_EQ(ReadBytes(song->GetFileName()), bytes);
    EXPECT_EQ(ReadBytes(InTarget("Band/x.mp3")), "theirs");
}

TEST_F(OrganizeTest, HostileTagsLandInsideTheTarget) {
    const std::pair<const char*, const char*> cases[] = {
        {"../../etc", "_/_/etc"}, {"C:\\x", "C_/x"}, {"CON", "_CON"},
        {"name. ", "name"},       {"/abs", "abs"},   {"\\\\srv\\share", "srv/share"},
    };
    options_.source = 1;  // ID3v2 texts as given, trailing blanks included
    int n = 0;
    for (const auto& [artist, directory] : cases) {
        SCOPED_TRACE(artist);
        const std::string name = "f" + std::to_string(n++) + ".mp3";
        SongRecord* entry = Add("src/" + name, Tag(Frame("TPE1", Text(artist))) + Audio());
        ASSERT_TRUE(organizeFile(entry, target_, options_));
        EXPECT_EQ(entry->GetFileName(), InTarget(std::string(directory) + "/" + name));
        EXPECT_TRUE(FileExists(entry->GetFileName()));
    }
    EXPECT_EQ(SortedNames(dir_.path()), (std::vector<std::string>{"src", "target"}));
    EXPECT_TRUE(SortedNames(In("src")).empty());
}

TEST_F(OrganizeTest, FilesOnACdRomAreCopiedAndItCannotBeTheTarget) {
    test::FakeVolumes volumes;  // every path under src is on a CD-ROM drive
    volumes.Set(In("src"), {kDriveCdRom, true, "", 1, true});
    const std::string bytes = Audio() + Id3v1Trailer("T", "Band", "Album", "", "", 255, 0);
    SongRecord* entry = Add("src/cd.mp3", bytes);
    const std::string source = entry->GetFileName();
    RecordingPrompter prompter;
    {
        test::ScopedVolumes scoped(volumes);
        EXPECT_TRUE(organizeFile(entry, target_, options_));
        EXPECT_FALSE(CheckOrganizeTarget(In("src/dir"), prompter));
        EXPECT_FALSE(CheckOrganizeTarget("", prompter));
        EXPECT_TRUE(CheckOrganizeTarget(target_, prompter));
    }
    EXPECT_EQ(entry->GetFileName(), InTarget("Band/cd.mp3"));
    EXPECT_EQ(ReadBytes(source), bytes);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].text, "Impossible to copy or move to media/folder read-only !!!");
    EXPECT_EQ(prompter.shown[1].text, "Choose a target directory !!!");
}

TEST_F(OrganizeTest, FailuresLeaveTheFileWhereItWas) {
    ASSERT_TRUE(MakeDirectories(InTarget("Band")));
    const std::string bytes = SongV1("T", "Band");
    SongRecord* moved = Add("src/a.mp3", bytes);
    SongRecord* copied = Add("src/b.mp3", bytes);
    FaultyFileSystem faulty;  // a read-only target medium
    faulty.FailFrom(FaultyFileSystem::Op::Rename, 1);
    faulty.FailFrom(FaultyFileSystem::Op::Open, 1);
    {
        ScopedFs scoped(faulty);
        EXPECT_FALSE(organizeFile(moved, target_, options_));
        OrganizeOptions copy = options_;
        copy.copy = true;
        EXPECT_FALSE(organizeFile(copied, target_, copy));
    }
    EXPECT_EQ(moved->GetFileName(), In("src/a.mp3"));
    EXPECT_EQ(ReadBytes(moved->GetFileName()), bytes);
    EXPECT_EQ(ReadBytes(copied->GetFileName()), bytes);
    EXPECT_TRUE(SortedNames(InTarget("Band")).empty());

    ASSERT_TRUE(WriteBytes(InTarget("Blocked"), "file"));  // a file where the directory goes
    SongRecord* blocked = AddV1("c.mp3", "Blocked");
    EXPECT_FALSE(organizeFile(blocked, target_, options_));
    EXPECT_TRUE(FileExists(blocked->GetFileName()));
    EXPECT_EQ(ReadBytes(InTarget("Blocked")), "file");
    EXPECT_EQ(SortedNames(target_), (std::vector<std::string>{"Band", "Blocked"}));
    EXPECT_TRUE(SortedNames(InTarget("Band")).empty());

    // A file gone since it was listed is reported, and nothing is made for it.
    SongRecord* gone = AddV1("d.mp3", "Gone");
    ASSERT_TRUE(Fs().Remove(gone->GetFileName()));
    EXPECT_FALSE(organizeFile(gone, target_, options_));
    EXPECT_EQ(SortedNames(target_), (std::vector<std::string>{"Band", "Blocked"}));
}

}  // namespace
}  // namespace td
