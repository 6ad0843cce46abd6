#include "tags/id3v1/id3v1.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <string>

#include "platform/file_system.h"
#include "support/test_support.h"
#include "tags/mpeg/memory_file.h"

namespace td {
namespace {

using Bytes = std::string;
using Op = test::FaultyFileSystem::Op;

struct Fields {
    Bytes title, artist, album, year, comment;
    int genre = 255;     // the file's genre number
    int byte125 = -1;    // -1: leave the comment's byte
    int byte126 = -1;
};

Bytes Put(Bytes text, size_t width) {
    text.resize(width, '\0');
    return text;
}

Bytes Trailer(const Fields& f) {
    Bytes t = "TAG" + Put(f.title, 30) + Put(f.artist, 30) + Put(f.album, 30) + Put(f.year, 4) +
              Put(f.comment, 30) + Bytes(1, static_cast<char>(f.genre));
    if (f.byte125 >= 0) t[125] = static_cast<char>(f.byte125);
    if (f.byte126 >= 0) t[126] = static_cast<char>(f.byte126);
    return t;
}

std::string Field(const Id3v1Raw& raw, size_t offset, size_t width) {
    const char* p = reinterpret_cast<const char*>(raw.bytes + offset);
    return std::string(p, strnlen(p, width));
}

Bytes Audio(size_t size) {
    Bytes audio(size, '\0');
    for (size_t i = 0; i < size; ++i) audio[i] = static_cast<char>('a' + i % 26);
    return audio;
}

class Id3v1FileTest : public ::testing::Test {
protected:
    std::string Make(const Bytes& content) {
        std::string path = dir_.Path("song" + std::to_string(++count_) + ".mp3");
        EXPECT_TRUE(test::WriteBytes(path, content));
        return path;
    }
    Id3v1Raw RawWith(const char* title, const char* comment, uint8_t genre, uint32_t track) {
        Id3v1Tag block;
        std::memset(&block, 0, sizeof block);
        std::memcpy(block.title, title, std::min<size_t>(std::strlen(title), 30));
        std::memcpy(block.comment, comment, std::min<size_t>(std::strlen(comment), 30));
        std::memcpy(block.year, "1999", 4);
        block.genre = genre;
        block.track = track;
        Id3v1Raw raw;
        BlockToRaw(block, raw);
        return raw;
    }
    test::TempDir dir_;
    int count_ = 0;
};

// --- reading --------------------------------------------------------------

TEST_F(Id3v1FileTest, ReadsTheTrailerFields) {
    Fields f;
    f.title = "Title";
    f.artist = "Artist";
    f.album = "Album";
    f.year = "2001";
    f.comment = "Comment";
    f.genre = 17;
    f.byte126 = 9;
    Id3v1Raw raw;
    ASSERT_EQ(0, ReadId3v1File(Make(Audio(1000) + Trailer(f)), raw));
    EXPECT_EQ("Title", Field(raw, 3, 30));
    EXPECT_EQ("Artist", Field(raw, 33, 30));
    EXPECT_EQ("Album", Field(raw, 63, 30));
    EXPECT_EQ("2001", Field(raw, 93, 4));
    EXPECT_EQ("Comment", Field(raw, 97, 30));
    EXPECT_EQ(18, raw.bytes[127]);  // internal index
    EXPECT_STREQ("Rock", GenreName(raw.bytes[127]));
    EXPECT_EQ(9u, raw.track);
}

TEST_F(Id3v1FileTest, FullCommentMeansNoTrack) {
    Fields f;
    f.comment = Bytes(30, 'c');
    Id3v1Raw raw;
    ASSERT_EQ(0, ReadId3v1File(Make(Trailer(f)), raw));
    EXPECT_EQ(0u, raw.track);
    EXPECT_EQ(Bytes(30, 'c'), Field(raw, 97, 30));
}

TEST_F(Id3v1FileTest, TrimsFieldsWhenReading) {
    Fields f;
    f.title = "  Abc  ";
    f.artist = Bytes(30, ' ');
    f.year = " 99 ";
    f.album = Bytes(30, 'x');  // fills its width: must not run into the year
    Id3v1Raw raw;
    ASSERT_EQ(0, ReadId3v1File(Make(Trailer(f)), raw));
    EXPECT_EQ("Abc", Field(raw, 3, 30));
    EXPECT_EQ("", Field(raw, 33, 30));
    EXPECT_EQ(Bytes(30, 'x'), Field(raw, 63, 30));
    EXPECT_EQ("99", Field(raw, 93, 4));
}

TEST_F(Id3v1FileTest, GenreNumbersAreShiftedByOne) {
    Fields f;
    f.genre = 255;
    Id3v1Raw raw;
    ASSERT_EQ(0, ReadId3v1File(Make(Trailer(f)), raw));
    EXPECT_EQ(0, raw.bytes[127]);
    EXPECT_STREQ("???", GenreName(raw.bytes[127]));

    f.genre = 150;
    std::string path = Make(Audio(300) + Trailer(f));
    ASSERT_EQ(0, ReadId3v1File(path, raw));
    EXPECT_EQ(151, raw.bytes[127]);
    EXPECT_STREQ("???", GenreName(raw.bytes[127]));
    ASSERT_EQ(0, WriteId3v1File(path, raw));
    EXPECT_EQ(150, static_cast<uint8_t>(test::ReadBytes(path)[300 + 127]));
}

TEST_F(Id3v1FileTest, NoTagInShortOrUntaggedFiles) {
    Id3v1Raw raw;
    std::memset(&raw, 0x5A, sizeof raw);
    Id3v1Raw zero;
    std::memset(&zero, 0, sizeof zero);
    EXPECT_EQ(1, ReadId3v1File(Make(Bytes("TAG", 3) + Bytes(100, 'x')), raw));
    EXPECT_EQ(1, ReadId3v1File(Make(Audio(5000)), raw));
    EXPECT_EQ(0, std::memcmp(&raw, &zero, sizeof raw));
    EXPECT_EQ(1, ReadId3v1File(Make(Bytes()), raw));
    EXPECT_EQ(1, ReadId3v1File(dir_.Path("missing.mp3"), raw));
}

TEST(Id3v1OpenFile, ReadsTheLastBytesOfTheGivenLength) {
    Fields f;
    f.title = "Memory";
    MemoryFile file(Audio(50) + Trailer(f) + "junk");
    Id3v1Raw raw;
    EXPECT_EQ(1, ReadId3v1(file, 50 + 128 + 4, raw));
    ASSERT_EQ(0, ReadId3v1(file, 50 + 128, raw));
    EXPECT_EQ("Memory", Field(raw, 3, 30));
}

// --- writing and removing -------------------------------------------------

TEST_F(Id3v1FileTest, WriteAppendsOrOverwrites) {
    std::string path = Make(Audio(1000));
    Id3v1Raw raw = RawWith("First", "", 18, 0);
    ASSERT_EQ(0, WriteId3v1File(path, raw));
    Bytes once = test::ReadBytes(path);
    ASSERT_EQ(1128u, once.size());
    EXPECT_EQ(Audio(1000), once.substr(0, 1000));
    EXPECT_EQ("TAGFirst", once.substr(1000, 8));
    EXPECT_EQ(17, once[1127]);  // Rock is number 17 in the file

    raw = RawWith("Second", "", 0, 0);
    ASSERT_EQ(0, WriteId3v1File(path, raw));
    Bytes twice = test::ReadBytes(path);
    ASSERT_EQ(1128u, twice.size());
    EXPECT_EQ("TAGSecond", twice.substr(1000, 9));
    EXPECT_EQ(255, static_cast<uint8_t>(twice[1127]));

    Id3v1Raw back;
    ASSERT_EQ(0, ReadId3v1File(path, back));
    EXPECT_EQ("Second", Field(back, 3, 30));
    EXPECT_EQ("1999", Field(back, 93, 4));
}

TEST_F(Id3v1FileTest, ShortFileGetsATagAppended) {
    std::string path = Make("ab");
    Id3v1Raw raw = RawWith("T", "", 1, 0);
    ASSERT_EQ(0, WriteId3v1File(path, raw));
    Bytes content = test::ReadBytes(path);
    ASSERT_EQ(130u, content.size());
    EXPECT_EQ("abTAGT", content.substr(0, 6));
}

TEST_F(Id3v1FileTest, TrackCutsTheCommentTo28) {
    std::string path = Make(Audio(200));
    Id3v1Raw raw = RawWith("", "123456789012345678901234567890", 0, 5);
    ASSERT_EQ(0, WriteId3v1File(path, raw));
    Bytes content = test::ReadBytes(path);
    EXPECT_EQ(0, content[200 + 125]);
    EXPECT_EQ(5, content[200 + 126]);
    Id3v1Raw back;
    ASSERT_EQ(0, ReadId3v1File(path, back));
    EXPECT_EQ(5u, back.track);
    EXPECT_EQ("1234567890123456789012345678", Field(back, 97, 30));

    // Without a track the full comment is kept.
    raw = RawWith("", "123456789012345678901234567890", 0, 0);
    ASSERT_EQ(0, WriteId3v1File(path, raw));
    ASSERT_EQ(0, ReadId3v1File(path, back));
    EXPECT_EQ(0u, back.track);
    EXPECT_EQ("123456789012345678901234567890", Field(back, 97, 30));
}

TEST_F(Id3v1FileTest, WriteTrimsTheFields) {
    std::string path = Make(Audio(10));
    Id3v1Raw raw = RawWith("\t Padded title \r\n", "   ", 0, 0);
    ASSERT_EQ(0, WriteId3v1File(path, raw));
    Bytes content = test::ReadBytes(path);
    EXPECT_EQ(Put("Padded title", 30), content.substr(10 + 3, 30));
    EXPECT_EQ(Bytes(30, '\0'), content.substr(10 + 97, 30));
}

TEST_F(Id3v1FileTest, RemoveCutsOnlyATag) {
    Fields f;
    f.title = "x";
    std::string tagged = Make(Audio(1000) + Trailer(f));
    EXPECT_EQ(0, RemoveId3v1File(tagged));
    EXPECT_EQ(Audio(1000), test::ReadBytes(tagged));
    EXPECT_EQ(0, RemoveId3v1File(tagged));  // nothing left to cut
    EXPECT_EQ(Audio(1000), test::ReadBytes(tagged));

    std::string tiny = Make("TAG");
    EXPECT_EQ(0, RemoveId3v1File(tiny));
    EXPECT_EQ("TAG", test::ReadBytes(tiny));
    EXPECT_EQ(1, RemoveId3v1File(dir_.Path("missing.mp3")));
}

// --- failures ---------------------------------------------------------------

TEST_F(Id3v1FileTest, ShortWriteIsReportedAndUndone) {
    test::FaultyFileSystem faulty;
    faulty.SetShortWrites(true);
    test::ScopedFs scoped(faulty);

    std::string untagged = Make(Audio(1000));
    Id3v1Raw raw = RawWith("New", "", 0, 0);
    faulty.FailAt(Op::Write, 1);
    EXPECT_EQ(6, WriteId3v1File(untagged, raw));
    EXPECT_EQ(Audio(1000), test::ReadBytes(untagged));

    Fields f;
    f.title = "Old";
    Bytes original = Audio(1000) + Trailer(f);
    std::string tagged = Make(original);
    faulty.Reset();
    faulty.SetShortWrites(true);
    faulty.FailAt(Op::Write, 1);
    raw = RawWith("New", "", 0, 0);
    EXPECT_EQ(6, WriteId3v1File(tagged, raw));
    EXPECT_EQ(original, test::ReadBytes(tagged));
}

TEST_F(Id3v1FileTest, FlushCloseAndOpenFailuresAreReported) {
    test::FaultyFileSystem faulty;
    test::ScopedFs scoped(faulty);
    std::string path = Make(Audio(1000));
    for (Op op : {Op::Open, Op::Flush, Op::Close, Op::GetSize, Op::Seek}) {
        faulty.Reset();
        faulty.FailAt(op, 1);
        Id3v1Raw raw = RawWith("New", "", 0, 0);
        EXPECT_EQ(6, WriteId3v1File(path, raw)) << static_cast<int>(op);
    }
    // A failed flush leaves no partial tag behind.
    std::string fresh = Make(Audio(1000));
    faulty.Reset();
    faulty.FailAt(Op::Flush, 1);
    Id3v1Raw raw = RawWith("New", "", 0, 0);
    EXPECT_EQ(6, WriteId3v1File(fresh, raw));
    EXPECT_EQ(Audio(1000), test::ReadBytes(fresh));
}

TEST_F(Id3v1FileTest, RemoveReportsAFailedCut) {
    test::FaultyFileSystem faulty;
    test::ScopedFs scoped(faulty);
    Fields f;
    Bytes original = Audio(500) + Trailer(f);
    std::string path = Make(original);
    for (Op op : {Op::Open, Op::Truncate, Op::Close}) {
        faulty.Reset();
        faulty.FailAt(op, 1);
        EXPECT_EQ(1, RemoveId3v1File(path)) << static_cast<int>(op);
    }
    std::string fresh = Make(original);
    faulty.Reset();
    faulty.FailAt(Op::Truncate, 1);
    EXPECT_EQ(1, RemoveId3v1File(fresh));
    EXPECT_EQ(original, test::ReadBytes(fresh));
}

// --- conversions and trimming ---------------------------------------------

TEST(Id3v1Block, RoundTripsThroughTheTrailer) {
    Id3v1Tag block;
    std::memset(&block, 0, sizeof block);
    std::memcpy(block.title, Bytes(30, 't').data(), 30);
    std::strcpy(block.artist, "Artist");
    std::strcpy(block.album, "Album");
    std::strcpy(block.year, "1984");
    std::strcpy(block.comment, "Comment");
    block.genre = 53;
    block.track = 12;
    Id3v1Raw raw;
    BlockToRaw(block, raw);
    EXPECT_EQ(Bytes(30, 't'), Field(raw, 3, 30));
    EXPECT_EQ("Artist", Field(raw, 33, 30));
    EXPECT_EQ(53, raw.bytes[127]);
    EXPECT_EQ(12u, raw.track);

    Id3v1Tag back;
    std::memset(&back, 0x77, sizeof back);
    RawToBlock(raw, back);
    EXPECT_EQ(0, std::memcmp(&block, &back, sizeof block));
}

TEST(Id3v1Block, TextsAreTerminatedAndStopAtZero) {
    Id3v1Raw raw;
    std::memset(&raw, 'z', sizeof raw);
    raw.bytes[97 + 28] = 0;  // ID3v1.1: the track follows the zero
    raw.bytes[97 + 29] = 7;
    Id3v1Tag block;
    RawToBlock(raw, block);
    EXPECT_EQ(Bytes(30, 'z'), block.title);
    EXPECT_EQ(Bytes(4, 'z'), block.year);
    EXPECT_EQ(Bytes(28, 'z'), block.comment);
    EXPECT_EQ(0, block.comment[29]);
    EXPECT_EQ(0, block.zero[0]);
    EXPECT_EQ(0, block.zero[1]);
}

TEST(Id3v1Trim, TrimsAsciiWhiteSpaceOnly) {
    char a[] = "  Abc  ";
    TrimField(a, -1);
    EXPECT_STREQ("Abc", a);
    char b[] = " \t\n\v\f\r";
    TrimField(b, -1);
    EXPECT_STREQ("", b);
    char c[] = "\xA0x\xA0";
    TrimField(c, -1);
    EXPECT_STREQ("\xA0x\xA0", c);
    char d[] = "ab  cd";
    TrimField(d, 3);  // only the first three characters are the text
    EXPECT_STREQ("ab", d);
    char e[] = "  xy";
    TrimField(e, 3);
    EXPECT_EQ(0, std::memcmp(e, "x\0\0y", 5));  // the fourth byte is beyond the text
}

// --- genre list -------------------------------------------------------------

TEST(GenreList, NamesAndIndexes) {
    EXPECT_STREQ("???", kGenreNames[0]);
    EXPECT_STREQ("Blues", kGenreNames[1]);
    EXPECT_STREQ("Rock", kGenreNames[18]);
    EXPECT_STREQ("Techno-Industrial", kGenreNames[52]);
    EXPECT_STREQ("Thrash Metal", kGenreNames[145]);
    EXPECT_EQ(nullptr, kGenreNames[146]);
    for (int i = 0; i < kGenreCount; ++i) ASSERT_NE(nullptr, kGenreNames[i]) << i;
    EXPECT_STREQ("Rock", GenreName(18));
    EXPECT_STREQ("???", GenreName(146));
    EXPECT_STREQ("???", GenreName(255));
    EXPECT_STREQ("???", GenreName(-1));
}

TEST(GenreList, LookupIgnoresCase) {
    EXPECT_EQ(18, GenreIndex("rock"));
    EXPECT_EQ(18, GenreIndex("ROCK"));
    EXPECT_EQ(52, GenreIndex("Techno-Industrial"));  // number 51 in the file
    EXPECT_EQ(0, GenreIndex("Rockabilly"));
    EXPECT_EQ(0, GenreIndex("Roc"));
    EXPECT_EQ(0, GenreIndex(""));
    EXPECT_EQ(0, GenreIndex(nullptr));
    for (int i = 1; i < kGenreCount; ++i) EXPECT_EQ(i, GenreIndex(kGenreNames[i])) << i;
}

}  // namespace
}  // namespace td
