#include "tags/id3v1/id3v1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/file_system.h"
#include "support/test_support.h"

namespace td {
namespace {

using Bytes = std::string;
using Op = test::FaultyFileSystem::Op;
using test::Id3v1Trailer;
using test::MpegAudio;

std::string Field(const Id3v1Raw& raw, size_t offset, size_t width) {
    const char* p = reinterpret_cast<const char*>(raw.bytes + offset);
    return std::string(p, strnlen(p, width));
}

class Id3v1FileTest : public ::testing::Test {
protected:
    std::string Make(const Bytes& content) {
        std::string path = dir_.Path("song" + std::to_string(++count_) + ".mp3");
        EXPECT_TRUE(test::WriteBytes(path, content));
        return path;
    }
    Id3v1Raw RawWith(const char* title) {
        Id3v1Tag block;
        std::memset(&block, 0, sizeof block);
        std::memcpy(block.title, title, std::min<size_t>(std::strlen(title), 30));
        std::memcpy(block.year, "1999", 4);
        Id3v1Raw raw;
        BlockToRaw(block, raw);
        return raw;
    }
    test::TempDir dir_;
    int count_ = 0;
};

TEST_F(Id3v1FileTest, ReadsTheTrailerFieldsAndWritesTheGenreBack) {
    Id3v1Raw raw;  // the texts are trimmed when read, genre numbers move up by one
    const Bytes trailer = Id3v1Trailer("  Title  ", "", "", " 99 ", "Comment", 17, 9);
    const std::string path = Make(MpegAudio(1000) + trailer);
    ASSERT_EQ(Id3v1Read::Found, ReadId3v1File(path, raw));
    EXPECT_EQ("Title", Field(raw, 3, 30));
    EXPECT_EQ("99", Field(raw, 93, 4));
    EXPECT_EQ("Comment", Field(raw, 97, 30));
    EXPECT_EQ(18, raw.bytes[127]);  // internal index
    EXPECT_STREQ("Rock", GenreName(raw.bytes[127]));
    EXPECT_EQ(9u, raw.track);
    ASSERT_EQ(Id3v2Error::NoError, WriteId3v1File(path, raw));
    EXPECT_EQ(17, static_cast<uint8_t>(test::ReadBytes(path)[1000 + 127]));
    // No genre (255) is index 0.
    ASSERT_EQ(Id3v1Read::Found, ReadId3v1File(Make(Id3v1Trailer()), raw));
    EXPECT_EQ(0, raw.bytes[127]);
}

TEST_F(Id3v1FileTest, RemoveCutsOnlyATag) {
    // A file that is nothing but the trailer: rewritten over, then cut to nothing.
    std::string bare = Make(Id3v1Trailer("x"));
    Id3v1Raw raw = RawWith("Bare");
    ASSERT_EQ(Id3v2Error::NoError, WriteId3v1File(bare, raw));
    EXPECT_EQ("TAGBare", test::ReadBytes(bare).substr(0, 7));
    EXPECT_EQ(128u, test::ReadBytes(bare).size());
    EXPECT_EQ(Id3v2Error::NoError, RemoveId3v1File(bare));
    EXPECT_EQ("", test::ReadBytes(bare));
    std::string tiny = Make("TAG");
    EXPECT_EQ(Id3v2Error::NoError, RemoveId3v1File(tiny));
    EXPECT_EQ("TAG", test::ReadBytes(tiny));
    EXPECT_EQ(Id3v2Error::WriteFailed, RemoveId3v1File(dir_.Path("missing.mp3")));
}

TEST_F(Id3v1FileTest, FailedStepsAreReportedAndLeaveNoPartialTag) {
    // Each case fails the first call of one operation, a write writing half of
    // its data first. Where the failure comes after the file was changed, the
    // change is taken back.
    const Bytes tagged = MpegAudio(1000) + Id3v1Trailer("Old");
    const Bytes untagged = MpegAudio(1000);
    const struct {
        bool remove;
        Op op;
        const Bytes& before;
        bool kept;
    } cases[] = {
        {false, Op::Write, tagged, true},     {false, Op::Flush, untagged, true},
        {false, Op::Open, untagged, true},    {false, Op::Close, untagged, false},
        {false, Op::GetSize, untagged, true}, {false, Op::Seek, untagged, true},
        {true, Op::Open, tagged, true},       {true, Op::Truncate, tagged, true},
        {true, Op::Close, tagged, false},     {true, Op::GetSize, tagged, true},
    };
    test::FaultyFileSystem faulty;
    faulty.SetShortWrites(true);
    test::ScopedFs scoped(faulty);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << (c.remove ? "remove, op " : "write, op ") << static_cast<int>(c.op));
        const std::string path = Make(c.before);
        faulty.Reset();
        faulty.FailAt(c.op, 1);
        Id3v1Raw raw = RawWith("New");
        EXPECT_EQ(Id3v2Error::WriteFailed, c.remove ? RemoveId3v1File(path) : WriteId3v1File(path, raw));
        if (c.kept) {
            EXPECT_EQ(c.before, test::ReadBytes(path));
        }
    }
}

// A genre as the list shows it: references name their genre, other texts stay.
TEST(GenreList, ReferencesResolveToTheirNamesOtherTextsStayAsTheyAre) {
    const struct {
        const char* stored;
        const char* read;
    } cases[] = {
        {"(17)", "Rock"},
        {"144", "Thrash Metal"},
        {"(RX)", "Remix"},
        {"(CR)", "Cover"},
        {"((17) is a number", "(17) is a number"},
        {"(17", "(17"},
        {"1984", "1984"},
    };
    for (const auto& c : cases) EXPECT_EQ(ResolveGenreText(c.stored), c.read) << c.stored;
}

}  // namespace
}  // namespace td
