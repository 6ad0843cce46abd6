// The two frame classes: decoding bodies as read, encoding them as written.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_error.h"
#include "tests/support/byte_builders.h"

namespace td {
namespace {

using test::B;
using test::Bytes;
using test::Text;
using test::Utf16Le;
using test::operator+;

Bytes Encode(const Id3v2Frame& frame) {
    Bytes out(static_cast<size_t>(frame.GetSize()));
    EXPECT_EQ(Id3v2Error::NoError, frame.GetData(out.data(), static_cast<int>(out.size())));
    return out;
}

std::unique_ptr<Id3v2FieldFrame> Decode(int type, const Bytes& body, Id3v2Error* rc = nullptr) {
    auto frame = std::make_unique<Id3v2FieldFrame>(type);
    const Id3v2Error code = frame->SetData(body.data(), static_cast<int>(body.size()), 3);
    if (rc != nullptr)
        *rc = code;
    else
        EXPECT_EQ(Id3v2Error::NoError, code);
    return frame;
}

using Fields = std::vector<std::string>;

TEST(Id3v2FieldFrameEncodeTest, TextOutsideLatin1IsWrittenAsUtf16) {
    // Encoding 0 is ISO-8859-1 to every other reader: Latin-1 letters stay
    // 8-bit, while the euro sign (0x80 in Windows-1252) needs UTF-16.
    Id3v2FieldFrame latin(kTIT2, "Caf\xE9");
    EXPECT_EQ(B({0, 'C', 'a', 'f', 0xE9}), Encode(latin));

    Id3v2FieldFrame euro(kTIT2, "5 \x80");
    EXPECT_EQ(B({1, 0xFF, 0xFE}) + Utf16Le(u"5 \u20AC"), Encode(euro));
    EXPECT_EQ("5 \x80", MainText(Decode(kTIT2, Encode(euro)).get()));

    // The WXXX URL stays ISO-8859-1 after its description.
    Id3v2FieldFrame url(kWXXX, "http://x");
    url.Fields()[0] = "\x80";
    EXPECT_EQ(B({1, 0xFF, 0xFE, 0xAC, 0x20, 0, 0}) + Text("http://x"), Encode(url));
    EXPECT_EQ("http://x", MainText(Decode(kWXXX, Encode(url)).get()));
}

TEST(Id3v2FrameTableTest, TextAndUrlFramesAreFieldFrames) {
    for (int type = 0; type < kFrameTypeCount; ++type) {
        const char first = Id3v2FrameTable[type].id[0];
        if (first == 'T' || first == 'W') {
            EXPECT_TRUE(IsFieldFrameType(type)) << Id3v2FrameTable[type].id;
        }
        // A new text or URL frame holds one string; a comment or lyrics frame
        // an empty description before it.
        if ((first == 'T' && type != kTXXX) || type == kIPLS) {
            EXPECT_EQ(B({0, 'x'}), Encode(Id3v2FieldFrame(type, "x"))) << Id3v2FrameTable[type].id;
        }
        if (Id3v2FrameTable[type].language) {
            EXPECT_EQ(B({0}) + Text("eng") + B({0, 'x'}), Encode(Id3v2FieldFrame(type, "x")))
                << Id3v2FrameTable[type].id;
        }
        if (first == 'W' && type != kWXXX) {
            EXPECT_EQ(Text("x"), Encode(Id3v2FieldFrame(type, "x"))) << Id3v2FrameTable[type].id;
        }
    }
}

TEST(Id3v2FieldFrameEncodeTest, DecodedBodiesEncodeBack) {
    struct Case {
        int type;
        Bytes body, encoded;
    } cases[] = {
        {kTPE1, B({0, 'A', 0, 'B'}), B({0, 'A', 0, 'B'})},
        // The terminator of the last string is not a field of its own.
        {kTIT2, B({0, 'A', 0}), B({0, 'A'})},
        {kCOMM, B({0, 'e', 'n', 'g', 0, 0}), B({0, 'e', 'n', 'g', 0})},
        // The euro sign is not Latin-1: it stays UTF-16, little-endian.
        {kTIT2, B({1, 0xFF, 0xFE, 'A', 0, 0xAC, 0x20, 0, 0}), B({1, 0xFF, 0xFE, 'A', 0, 0xAC, 0x20})},
        {kTIT2, B({1, 0xFE, 0xFF, 0, 'A', 0x20, 0xAC, 0, 0}), B({1, 0xFF, 0xFE, 'A', 0, 0xAC, 0x20})},
        {kTIT2, B({1, 0xFE, 0xFF, 0, 'A', 0, 0}), B({0, 'A'})},
        // Two-string layouts are written complete: a comment read with its
        // description only must not shrink to encoding and language.
        {kCOMM, B({0, 'e', 'n', 'g', 0}), B({0, 'e', 'n', 'g', 0})},
        {kWXXX, B({0}) + Text("desc"), B({0}) + Text("desc") + B({0})},
        {kTIT2, B({0}), B({0})},
        // URL frames have no encoding byte; a terminator and what follows are dropped.
        {kWOAR, Text("http://a") + B({0, 'z'}), Text("http://a")},
        {kWOAR, B({0}), B({0})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.body));
        auto f = Decode(c.type, c.body);
        const Bytes encoded = Encode(*f);
        EXPECT_EQ(c.encoded, encoded);
        EXPECT_EQ(c.encoded, Encode(*Decode(c.type, encoded)));  // and read back the same
    }
}

const Bytes kJapaneseTitle = B({1, 0xFF, 0xFE}) + Utf16Le(u"\u65E5\u672C\u8A9E A");

TEST(Id3v2LossyFrameTest, OriginalBodyIsKeptUntilChanged) {
    auto f = Decode(kTIT2, kJapaneseTitle);
    EXPECT_TRUE(f->IsLossy());
    ASSERT_EQ(1u, f->Fields().size());
    EXPECT_FALSE(f->Fields()[0].empty());  // a best-effort text to show
    EXPECT_EQ(kJapaneseTitle, Encode(*f));
    Bytes small(kJapaneseTitle.size() - 1);
    EXPECT_EQ(Id3v2Error::BufferTooSmall, f->GetData(small.data(), static_cast<int>(small.size())));
    // Another text that shows alike is still another text.
    auto other = Decode(kTIT2, B({1, 0xFF, 0xFE}) + Utf16Le(u"\u4E2D\u6587\u5B57 A"));
    ASSERT_EQ(other->Fields(), f->Fields());
    EXPECT_FALSE(f->Equals(*other));
    EXPECT_TRUE(f->Equals(*f->Clone()));

    const std::string shown = MainText(f.get());
    f->Fields()[0] = "Nihongo";
    EXPECT_EQ(B({0}) + Text("Nihongo"), Encode(*f));
    // Back to what was read: the original is exact, so it is written again.
    f->Fields()[0] = shown;
    EXPECT_EQ(kJapaneseTitle, Encode(*f));

    // So is a comment's, until its language changes.
    const Bytes comment = B({1, 'j', 'p', 'n', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE}) + Utf16Le(u"\u65E5\u672C");
    auto c = Decode(kCOMM, comment);
    EXPECT_EQ(comment, Encode(*c));
    c->SetLanguage(Decode(kCOMM, B({0, 'd', 'e', 'u', 0}))->Language());
    const Bytes changed = Encode(*c);
    EXPECT_EQ(Text("deu"), Bytes(changed.begin() + 1, changed.begin() + 4));
}

TEST(Id3v2PopmTest, StarsFromAnyRatingByte) {
    struct Case {
        int rating, stars;
    } cases[] = {{0, 0}, {1, 1}, {32, 1}, {33, 2}, {255, 5}};
    for (const Case& c : cases) {
        Id3v2BinaryFrame popm(kPOPM);
        const Bytes body = Text("someone@example") + B({0, c.rating, 0, 0, 0, 9});
        ASSERT_EQ(Id3v2Error::NoError, popm.SetData(body.data(), static_cast<int>(body.size()), 3));
        EXPECT_EQ(c.stars, PopmStars(&popm)) << c.rating;
    }
    Id3v2BinaryFrame noRating(kPOPM);
    ASSERT_EQ(Id3v2Error::NoError, noRating.SetData(Text("abc").data(), 3, 3));
    EXPECT_EQ(0, PopmStars(&noRating));
    // Stars set are read back; none, or more than five, is no rating.
    for (int stars = 0; stars <= 6; ++stars) {
        SetPopmRating(&noRating, stars);
        EXPECT_EQ(stars <= 5 ? stars : 0, PopmStars(&noRating)) << stars;
    }
}

}  // namespace
}  // namespace td
