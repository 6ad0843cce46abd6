// Frame table, error texts and the two frame classes: decoding bodies as read
// from files and encoding them the way the writer stores them.
#include <gtest/gtest.h>

#include <cstring>
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
    EXPECT_EQ(kId3NoError, frame.GetData(out.data(), static_cast<int>(out.size())));
    return out;
}

std::unique_ptr<Id3v2FieldFrame> Decode(int type, const Bytes& body, int* rc = nullptr) {
    auto frame = std::make_unique<Id3v2FieldFrame>(type);
    int code = frame->SetData(body.data(), static_cast<int>(body.size()), 3);
    if (rc != nullptr) *rc = code;
    else EXPECT_EQ(kId3NoError, code);
    return frame;
}

using Fields = std::vector<std::string>;

// --- table and texts ----------------------------------------------------------

TEST(Id3v2FrameTableTest, RowsKeepTheirStoredOrder) {
    const char* ids[kFrameTypeCount] = {
        "UFID", "TIT1", "TIT2", "TIT3", "TPE1", "TPE2", "TPE3", "TPE4", "TCOM", "TEXT", "TCON",
        "TALB", "TRCK", "TYER", "TDAT", "TIME", "TMED", "TBPM", "TCOP", "TPUB", "TENC", "TSSE",
        "TOPE", "TOFN", "TLEN", "TSIZ", "TDLY", "TKEY", "TXXX", "IPLS", "MCDI", "ETCO", "SYTC",
        "USLT", "SYLT", "COMM", "RVAD", "EQUA", "RVRB", "APIC", "GEOB", "PCNT", "POPM", "RBUF",
        "ENCR", "AENC", "WPUB", "WCOM", "WCOP", "WOAF", "WOAR", "WOAS", "WORS", "WPAY", "WXXX"};
    for (int i = 0; i < kFrameTypeCount; ++i) {
        EXPECT_STREQ(ids[i], Id3v2FrameTable[i].id) << i;
        EXPECT_EQ(i, FindFrameType(ids[i])) << ids[i];
    }
    EXPECT_STREQ("", Id3v2FrameTable[kNoFrameType].id);
    // The stored v2.2 column keeps its historic values.
    EXPECT_STREQ("TXX", Id3v2FrameTable[kTOPE].id22);
    EXPECT_STREQ("TWW", Id3v2FrameTable[kWPUB].id22);
    EXPECT_STREQ("Unsychronized lyric/text", Id3v2FrameTable[kUSLT].description);

    int kept = 0, fieldTypes = 0;
    for (int i = 0; i < kFrameTypeCount; ++i) {
        kept += Id3v2FrameTable[i].kept ? 1 : 0;
        fieldTypes += IsFieldFrameType(i) ? 1 : 0;
    }
    EXPECT_EQ(38, kept);
    EXPECT_EQ(40, fieldTypes);
    EXPECT_EQ(2, Id3v2FrameTable[kAPIC].kind);
    EXPECT_TRUE(Id3v2FrameTable[kCOMM].language);
    EXPECT_FALSE(Id3v2FrameTable[kWXXX].language);
    EXPECT_EQ(0, Id3v2FrameTable[kTXXX].fields);
    EXPECT_FALSE(IsFieldFrameType(-1));
    EXPECT_FALSE(IsFieldFrameType(kNoFrameType));
}

TEST(Id3v2FrameTableTest, FindFrameTypeIsExactAndCaseSensitive) {
    EXPECT_EQ(kNoFrameType, FindFrameType("tit2"));
    EXPECT_EQ(kNoFrameType, FindFrameType("PRIV"));
    EXPECT_EQ(kNoFrameType, FindFrameType("TIT"));
    EXPECT_EQ(kNoFrameType, FindFrameType(""));
    EXPECT_EQ(kNoFrameType, FindFrameType(nullptr));
}

TEST(Id3v2FrameTableTest, V22IdentifiersMapByThePublishedNames) {
    struct Case {
        const char* v22;
        int type;
    } cases[] = {
        {"TXX", kTXXX}, {"WXX", kWXXX}, {"TOA", kTOPE}, {"TOF", kTOFN}, {"TT1", kTIT1},
        {"TT2", kTIT2}, {"TT3", kTIT3}, {"TP1", kTPE1}, {"TP4", kTPE4}, {"TCM", kTCOM},
        {"TXT", kTEXT}, {"TCO", kTCON}, {"TAL", kTALB}, {"TRK", kTRCK}, {"TYE", kTYER},
        {"TDA", kTDAT}, {"TIM", kTIME}, {"TMT", kTMED}, {"TBP", kTBPM}, {"TCR", kTCOP},
        {"TPB", kTPUB}, {"TEN", kTENC}, {"TSS", kTSSE}, {"TLE", kTLEN}, {"TSI", kTSIZ},
        {"TDY", kTDLY}, {"TKE", kTKEY}, {"IPL", kIPLS}, {"MCI", kMCDI}, {"ETC", kETCO},
        {"STC", kSYTC}, {"ULT", kUSLT}, {"SLT", kSYLT}, {"COM", kCOMM}, {"RVA", kRVAD},
        {"EQU", kEQUA}, {"REV", kRVRB}, {"PIC", kAPIC}, {"GEO", kGEOB}, {"CNT", kPCNT},
        {"POP", kPOPM}, {"BUF", kRBUF}, {"CRA", kAENC}, {"WAF", kWOAF}, {"WAR", kWOAR},
        {"WAS", kWOAS}, {"WCM", kWCOM}, {"WCP", kWCOP}, {"WPB", kWPUB}, {"UFI", kUFID},
        // Names the stored column gets wrong, or has no published counterpart.
        {"TMB", kNoFrameType}, {"TBM", kNoFrameType}, {"TWW", kNoFrameType},
        {"UMI", kNoFrameType}, {"CRM", kNoFrameType}, {"LNK", kNoFrameType},
    };
    for (const Case& c : cases) EXPECT_EQ(c.type, FindFrameTypeV22(c.v22)) << c.v22;

    EXPECT_STREQ("TORY", MapV22Identifier("TOR"));
    EXPECT_STREQ("TOLY", MapV22Identifier("TOL"));
    EXPECT_STREQ("TOAL", MapV22Identifier("TOT"));
    EXPECT_STREQ("TRDA", MapV22Identifier("TRD"));
    EXPECT_STREQ("TSRC", MapV22Identifier("TRC"));
    EXPECT_STREQ("TFLT", MapV22Identifier("TFT"));
    EXPECT_STREQ("TLAN", MapV22Identifier("TLA"));
    EXPECT_EQ(nullptr, MapV22Identifier("XYZ"));
    EXPECT_EQ(nullptr, MapV22Identifier(nullptr));
}

TEST(Id3v2FrameTableTest, MainFieldFollowsTheDescription) {
    EXPECT_EQ(1, MainFieldIndex(kCOMM));
    EXPECT_EQ(1, MainFieldIndex(kUSLT));
    EXPECT_EQ(1, MainFieldIndex(kWXXX));
    EXPECT_EQ(0, MainFieldIndex(kTIT2));
    EXPECT_EQ(0, MainFieldIndex(kWOAR));
}

TEST(Id3v2ErrorTest, TextsAreFixed) {
    EXPECT_STREQ("No Error", Id3v2ErrorText(0));
    EXPECT_STREQ("No ID3V2 Tag found", Id3v2ErrorText(3));
    EXPECT_STREQ("Internal Error: Buffer too small", Id3v2ErrorText(10));
    EXPECT_STREQ("Error reading Tag. Tag corrupt", Id3v2ErrorText(11));
    EXPECT_STREQ("Unsupported string-encoding found", Id3v2ErrorText(12));
    EXPECT_STREQ("Failed to move temporary file into old position", Id3v2ErrorText(14));
    EXPECT_STREQ("String out of range", Id3v2ErrorText(17));
    EXPECT_STREQ("Unknown error", Id3v2ErrorText(18));
    EXPECT_STREQ("Unknown error", Id3v2ErrorText(-1));
    for (int i = 0; i < kId3ErrorCount; ++i) EXPECT_STRNE("", Id3v2ErrorText(i));
}

// --- field frames: decoding -------------------------------------------------------

TEST(Id3v2FieldFrameDecodeTest, Utf16CommentWithEitherByteOrder) {
    const Bytes le = B({1, 'e', 'n', 'g', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 0x42, 0});
    const Bytes be = B({1, 'd', 'e', 'u', 0xFE, 0xFF, 0, 0, 0xFE, 0xFF, 0, 0x42});
    auto a = Decode(kCOMM, le);
    EXPECT_EQ((Fields{"", "B"}), a->Fields());
    EXPECT_EQ("eng", a->LanguageText());
    EXPECT_FALSE(a->IsLossy());
    auto b = Decode(kCOMM, be);
    EXPECT_EQ((Fields{"", "B"}), b->Fields());
    EXPECT_EQ("deu", b->LanguageText());
    EXPECT_TRUE(a->Equals(*b));  // the language is not compared
    // Without a mark the units are little-endian.
    auto c = Decode(kTIT2, B({1, 'H', 0, 'i', 0}));
    EXPECT_EQ((Fields{"Hi"}), c->Fields());
}

TEST(Id3v2FieldFrameDecodeTest, FieldsAreTheStringsRead) {
    auto f = Decode(kTIT2, B({0, 'A', 0, 'B', 0, 'C'}));
    EXPECT_EQ((Fields{"A", "B", "C"}), f->Fields());
    // A later, shorter body cuts the list.
    ASSERT_EQ(kId3NoError, f->SetData(B({0, 'X'}).data(), 2, 3));
    EXPECT_EQ((Fields{"X"}), f->Fields());
    // Windows-1252 bytes are taken as they stand.
    auto g = Decode(kTALB, B({0, 0xE9, 0x80}));
    EXPECT_EQ("\xE9\x80", g->Fields()[0]);
}

TEST(Id3v2FieldFrameDecodeTest, EncodingByteAloneIsAnEmptyFrame) {
    auto f = Decode(kTIT2, B({0}));
    EXPECT_TRUE(f->Fields().empty());
    EXPECT_TRUE(f->IsEmpty());
    EXPECT_EQ("", MainText(f.get()));
    EXPECT_EQ(B({0}), Encode(*f));
}

TEST(Id3v2FieldFrameDecodeTest, MalformedBodiesAreRejected) {
    int rc = 0;
    Decode(kTIT2, Bytes(), &rc);
    EXPECT_EQ(kId3TagCorrupt, rc);
    Decode(kCOMM, B({0, 'e', 'n', 'g'}), &rc);
    EXPECT_EQ(kId3TagCorrupt, rc);
    Decode(kTIT2, B({2, 0, 'A'}), &rc);
    EXPECT_EQ(kId3BadEncoding, rc);
    Decode(kCOMM, B({3, 'e', 'n', 'g', 'A'}), &rc);
    EXPECT_EQ(kId3BadEncoding, rc);
    Id3v2FieldFrame f(kTIT2);
    EXPECT_EQ(kId3TagCorrupt, f.SetData(nullptr, -1, 3));
    EXPECT_EQ(kId3TagCorrupt, f.SetData(nullptr, 4, 3));
}

TEST(Id3v2FieldFrameDecodeTest, TruncatedUtf16StaysInsideTheBody) {
    // Odd length, no terminator, a mark with nothing after it: every read ends
    // at the body's end (the sanitizer build checks the bounds).
    auto a = Decode(kTIT2, B({1, 0xFF, 0xFE, 'A', 0, 'B'}));
    EXPECT_EQ((Fields{"A"}), a->Fields());
    auto b = Decode(kTIT2, B({1, 0xFF}));
    EXPECT_EQ((Fields{""}), b->Fields());
    auto c = Decode(kCOMM, B({1, 'e', 'n', 'g', 0xFE, 0xFF, 0, 'A', 0}));
    EXPECT_EQ((Fields{"A"}), c->Fields());
    auto d = Decode(kTIT2, B({0, 'A', 'B'}));
    EXPECT_EQ((Fields{"AB"}), d->Fields());
}

TEST(Id3v2FieldFrameDecodeTest, WxxxUrlIsLatin1WhateverTheEncoding) {
    const Bytes body = B({1, 0xFF, 0xFE, 'd', 0, 0, 0}) + Text("http://a.b/");
    auto f = Decode(kWXXX, body);
    EXPECT_EQ((Fields{"d", "http://a.b/"}), f->Fields());
    EXPECT_EQ("http://a.b/", MainText(f.get()));
}

// --- field frames: encoding -------------------------------------------------------

TEST(Id3v2FieldFrameEncodeTest, BodiesAreAnsiWithZeroSeparators) {
    Id3v2FieldFrame comment(kCOMM, "Hi");
    EXPECT_EQ(7, comment.GetSize());
    EXPECT_EQ(B({0, 'e', 'n', 'g', 0, 'H', 'i'}), Encode(comment));

    Id3v2FieldFrame title(kTIT2, "abc");
    EXPECT_EQ(B({0, 'a', 'b', 'c'}), Encode(title));

    Id3v2FieldFrame url(kWXXX, "http://x");
    url.Fields()[0] = "home";
    EXPECT_EQ(B({0}) + Text("home") + B({0}) + Text("http://x"), Encode(url));

    Id3v2FieldFrame lyrics(kUSLT, "la");
    lyrics.SetLanguage((uint32_t('f') << 16) | (uint32_t('r') << 8) | 'a');
    EXPECT_EQ(B({0, 'f', 'r', 'a', 0, 'l', 'a'}), Encode(lyrics));

}

TEST(Id3v2FieldFrameEncodeTest, TextOutsideLatin1IsWrittenAsUtf16) {
    // Encoding 0 is ISO-8859-1 to every other reader: Latin-1 letters stay
    // 8-bit, while the euro sign (0x80 in Windows-1252) needs UTF-16.
    Id3v2FieldFrame latin(kTIT2, "Caf\xE9");
    EXPECT_EQ(B({0, 'C', 'a', 'f', 0xE9}), Encode(latin));

    Id3v2FieldFrame euro(kTIT2, "5 \x80");
    EXPECT_EQ(B({1, 0xFF, 0xFE}) + Utf16Le(u"5 \u20AC"), Encode(euro));
    EXPECT_EQ(static_cast<int>(Encode(euro).size()), euro.GetSize());
    EXPECT_EQ("5 \x80", MainText(Decode(kTIT2, Encode(euro)).get()));

    // Every string switches; the WXXX URL stays ISO-8859-1 after its description.
    Id3v2FieldFrame comment(kCOMM, "\x93quoted\x94");
    EXPECT_EQ(B({1, 'e', 'n', 'g', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE}) + Utf16Le(u"\u201Cquoted\u201D"),
              Encode(comment));
    Id3v2FieldFrame url(kWXXX, "http://x");
    url.Fields()[0] = "\x80";
    EXPECT_EQ(B({1, 0xFF, 0xFE, 0xAC, 0x20, 0, 0}) + Text("http://x"), Encode(url));
    EXPECT_EQ("http://x", MainText(Decode(kWXXX, Encode(url)).get()));
}

TEST(Id3v2FieldFrameEncodeTest, TwoStringLayoutsAreWrittenComplete) {
    // A comment read with its description only must not shrink to a body of
    // encoding and language, which could not be read back.
    auto comment = Decode(kCOMM, B({0, 'e', 'n', 'g', 0}));
    EXPECT_EQ((Fields{""}), comment->Fields());
    const Bytes body = Encode(*comment);
    EXPECT_EQ(B({0, 'e', 'n', 'g', 0}), body);
    auto back = Decode(kCOMM, body);
    EXPECT_EQ("", MainText(back.get()));

    Id3v2FieldFrame user(kTXXX);
    EXPECT_TRUE(user.Fields().empty());
    EXPECT_EQ(B({0, 0}), Encode(user));
    auto url = Decode(kWXXX, B({0}) + Text("desc"));
    EXPECT_EQ(B({0}) + Text("desc") + B({0}), Encode(*url));
    EXPECT_EQ(B({0}), Encode(*Decode(kTIT2, B({0}))));
}

TEST(Id3v2FieldFrameEncodeTest, SmallBufferIsRefused) {
    Id3v2FieldFrame title(kTIT2, "abc");
    uint8_t buffer[3] = {7, 7, 7};
    EXPECT_EQ(kId3BufferTooSmall, title.GetData(buffer, 3));
    EXPECT_EQ(7, buffer[0]);
    Id3v2BinaryFrame binary(kPOPM);
    ASSERT_EQ(kId3NoError, binary.SetData(Text("abcd").data(), 4, 3));
    EXPECT_EQ(kId3BufferTooSmall, binary.GetData(buffer, 3));
}

TEST(Id3v2FieldFrameEncodeTest, DecodedBodiesEncodeBack) {
    struct Case {
        int type;
        Bytes body, encoded;
    } cases[] = {
        {kCOMM, B({0, 'e', 'n', 'g', 0, 'H', 'i'}), B({0, 'e', 'n', 'g', 0, 'H', 'i'})},
        {kTPE1, B({0, 'A', 0, 'B'}), B({0, 'A', 0, 'B'})},
        {kCOMM, B({0, 'x', 'x', 'x', 0, 0, 'C'}), B({0, 'x', 'x', 'x', 0, 0, 'C'})},
        // The terminator of the last string is not a field of its own.
        {kTIT2, B({0, 'A', 0}), B({0, 'A'})},
        {kCOMM, B({0, 'e', 'n', 'g', 0, 0}), B({0, 'e', 'n', 'g', 0})},
        {kTIT2, B({1, 0xFF, 0xFE, 'A', 0, 0, 0}), B({0, 'A'})},
    };
    for (const Case& c : cases) {
        auto f = Decode(c.type, c.body);
        EXPECT_EQ(c.encoded, Encode(*f));
    }
}

// --- URL link frames --------------------------------------------------------------

TEST(Id3v2UrlFrameTest, BodyIsTheUrlWithoutEncodingByte) {
    const Bytes body = Text("http://example.org/");
    for (int type = kWPUB; type <= kWPAY; ++type) {
        auto f = Decode(type, body);
        EXPECT_EQ((Fields{"http://example.org/"}), f->Fields()) << type;
        EXPECT_EQ(static_cast<int>(body.size()), f->GetSize());
        EXPECT_EQ(body, Encode(*f));
    }
    // A terminator and anything after it are not part of the URL.
    auto t = Decode(kWOAR, Text("http://a") + B({0, 'z'}));
    EXPECT_EQ("http://a", MainText(t.get()));
}

TEST(Id3v2UrlFrameTest, EmptyUrlStillHasABody) {
    Id3v2FieldFrame f(kWCOM, "");
    EXPECT_EQ(1, f.GetSize());
    const Bytes body = Encode(f);
    EXPECT_EQ(B({0}), body);
    auto back = Decode(kWCOM, body);
    EXPECT_EQ((Fields{""}), back->Fields());
    auto empty = Decode(kWCOM, Bytes());
    EXPECT_EQ((Fields{""}), empty->Fields());
}

// --- text the ANSI code page cannot show ------------------------------------------

const Bytes kJapaneseTitle = B({1, 0xFF, 0xFE}) + Utf16Le(u"\u65E5\u672C\u8A9E A");

TEST(Id3v2LossyFrameTest, OriginalBodyIsKeptUntilChanged) {
    auto f = Decode(kTIT2, kJapaneseTitle);
    EXPECT_TRUE(f->IsLossy());
    ASSERT_EQ(1u, f->Fields().size());
    EXPECT_FALSE(f->Fields()[0].empty());  // a best-effort text to show
    EXPECT_EQ(static_cast<int>(kJapaneseTitle.size()), f->GetSize());
    EXPECT_EQ(kJapaneseTitle, Encode(*f));

    const std::string shown = MainText(f.get());
    SetMainText(f.get(), "Nihongo");
    EXPECT_EQ(B({0}) + Text("Nihongo"), Encode(*f));
    // Back to what was read: the original is exact, so it is written again.
    SetMainText(f.get(), shown);
    EXPECT_EQ(kJapaneseTitle, Encode(*f));
}

TEST(Id3v2LossyFrameTest, CloneAndCopyCarryTheOriginal) {
    auto f = Decode(kTIT2, kJapaneseTitle);
    std::unique_ptr<Id3v2Frame> clone(f->Clone());
    ASSERT_TRUE(clone);
    EXPECT_EQ(kJapaneseTitle, Encode(*clone));
    Id3v2FieldFrame copy(kTIT2, "x");
    copy.CopyFrom(*f);
    EXPECT_TRUE(copy.IsLossy());
    EXPECT_EQ(kJapaneseTitle, Encode(copy));
    // Decoding an exact text afterwards forgets the original.
    ASSERT_EQ(kId3NoError, copy.SetData(B({0, 'o', 'k'}).data(), 3, 3));
    EXPECT_FALSE(copy.IsLossy());
    EXPECT_EQ(B({0, 'o', 'k'}), Encode(copy));
}

TEST(Id3v2LossyFrameTest, TextsThatLookAlikeAreNotEqual) {
    auto japanese = Decode(kTIT2, kJapaneseTitle);
    auto korean = Decode(kTIT2, B({1, 0xFF, 0xFE}) + Utf16Le(u"\uD55C\uAD6D\uC5B4 A"));
    ASSERT_EQ(japanese->Fields(), korean->Fields());  // both shown with '?'
    EXPECT_FALSE(japanese->Equals(*korean));
    Id3v2FieldFrame shown(kTIT2, MainText(japanese.get()));
    EXPECT_FALSE(shown.Equals(*japanese));
    EXPECT_FALSE(japanese->Equals(shown));
    std::unique_ptr<Id3v2Frame> clone(japanese->Clone());
    EXPECT_TRUE(clone->Equals(*japanese));
    // Once changed, the text is what it shows.
    SetMainText(japanese.get(), "x");
    SetMainText(korean.get(), "x");
    EXPECT_TRUE(japanese->Equals(*korean));
}

TEST(Id3v2LossyFrameTest, ChangedLanguageIsWritten) {
    const Bytes body = B({1, 'j', 'p', 'n', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE}) + Utf16Le(u"\u65E5");
    auto f = Decode(kCOMM, body);
    ASSERT_TRUE(f->IsLossy());
    EXPECT_EQ(body, Encode(*f));
    f->SetLanguage((uint32_t('e') << 16) | (uint32_t('n') << 8) | 'g');
    const Bytes out = Encode(*f);
    ASSERT_GE(out.size(), 5u);
    EXPECT_EQ(B({0, 'e', 'n', 'g', 0}), Bytes(out.begin(), out.begin() + 5));
}

// --- frame objects ----------------------------------------------------------------

TEST(Id3v2FrameObjectTest, CreateFrameChoosesTheClassByKind) {
    std::unique_ptr<Id3v2Frame> title(CreateFrame(kTIT2));
    ASSERT_NE(nullptr, dynamic_cast<Id3v2FieldFrame*>(title.get()));
    EXPECT_EQ(1u, static_cast<Id3v2FieldFrame*>(title.get())->Fields().size());
    EXPECT_TRUE(title->IsEmpty());
    EXPECT_STREQ("TIT2", title->Id());
    std::unique_ptr<Id3v2Frame> comment(CreateFrame(kCOMM));
    EXPECT_EQ(2u, static_cast<Id3v2FieldFrame*>(comment.get())->Fields().size());
    std::unique_ptr<Id3v2Frame> picture(CreateFrame(kAPIC));
    EXPECT_NE(nullptr, dynamic_cast<Id3v2BinaryFrame*>(picture.get()));
    EXPECT_EQ(-1, picture->Key());
    EXPECT_EQ(nullptr, CreateFrame(-1));
    EXPECT_EQ(nullptr, CreateFrame(kNoFrameType));
}

TEST(Id3v2FrameObjectTest, CopyEqualsAndCloneFollowTheType) {
    Id3v2FieldFrame a(kCOMM, "one");
    a.SetLanguage((uint32_t('d') << 16) | (uint32_t('e') << 8) | 'u');
    Id3v2FieldFrame b(kCOMM, "two");
    EXPECT_FALSE(a.Equals(b));
    b.CopyFrom(a);
    EXPECT_TRUE(a.Equals(b));
    EXPECT_EQ("deu", b.LanguageText());
    EXPECT_TRUE(a.IsOther(b));
    EXPECT_FALSE(a.IsOther(a));

    Id3v2FieldFrame title(kTIT2, "t");
    title.CopyFrom(a);  // another type: nothing happens
    EXPECT_EQ("t", MainText(&title));
    Id3v2FieldFrame artist(kTPE1, "t");
    EXPECT_FALSE(title.Equals(artist));

    std::unique_ptr<Id3v2Frame> clone(a.Clone());
    EXPECT_TRUE(clone->Equals(a));
    EXPECT_EQ("deu", static_cast<Id3v2FieldFrame*>(clone.get())->LanguageText());

    Id3v2BinaryFrame x(kPOPM), y(kPCNT);
    ASSERT_EQ(kId3NoError, x.SetData(Text("abc").data(), 3, 3));
    y.CopyFrom(x);  // binary bytes move whatever the type
    EXPECT_EQ(x.Bytes(), y.Bytes());
    EXPECT_FALSE(x.Equals(y));
    std::unique_ptr<Id3v2Frame> xc(x.Clone());
    EXPECT_TRUE(xc->Equals(x));
    EXPECT_FALSE(x.Equals(title));
}

TEST(Id3v2FrameObjectTest, DescribeAndEmptiness) {
    std::string text;
    Id3v2FieldFrame comment(kCOMM, "Hello");
    comment.Describe(text);
    EXPECT_EQ("Hello", text);
    EXPECT_FALSE(comment.IsEmpty());
    Id3v2BinaryFrame binary(kAPIC);
    EXPECT_TRUE(binary.IsEmpty());
    ASSERT_EQ(kId3NoError, binary.SetData(Text("abc").data(), 3, 3));
    text.clear();
    binary.Describe(text);
    EXPECT_EQ("size=3", text);
    EXPECT_FALSE(binary.IsEmpty());
    EXPECT_EQ(kId3TagCorrupt, binary.SetData(nullptr, -2, 3));
}

TEST(Id3v2FrameObjectTest, MainTextOnShortListsAndOtherClasses) {
    auto f = Decode(kCOMM, B({0, 'e', 'n', 'g', 'd'}));  // a description only
    EXPECT_EQ("", MainText(f.get()));
    SetMainText(f.get(), "text");
    EXPECT_EQ((Fields{"d", "text"}), f->Fields());
    Id3v2BinaryFrame binary(kAPIC);
    SetMainText(&binary, "ignored");
    EXPECT_EQ("", MainText(&binary));
    EXPECT_EQ("", MainText(nullptr));
}

// --- rating -----------------------------------------------------------------------

TEST(Id3v2PopmTest, RatingBodyAndStars) {
    const std::string owner = "Tunedeck plug-ins for Winamp";
    const int bytes[] = {0, 32, 64, 128, 196, 255, 0};
    for (int stars = 0; stars <= 6; ++stars) {
        Id3v2BinaryFrame popm(kPOPM);
        SetPopmRating(&popm, stars);
        EXPECT_EQ(Text(owner) + B({0, bytes[stars]}), popm.Bytes()) << stars;
        EXPECT_EQ(stars <= 5 ? stars : 0, PopmStars(&popm));
    }
    Id3v2BinaryFrame popm(kPOPM);
    SetPopmRating(&popm, -1);
    EXPECT_EQ(0, popm.Bytes().back());
}

TEST(Id3v2PopmTest, StarsFromAnyRatingByte) {
    struct Case {
        int rating, stars;
    } cases[] = {{0, 0},   {1, 1},   {32, 1},  {33, 2},  {64, 2},  {65, 3},
                 {128, 3}, {129, 4}, {196, 4}, {197, 5}, {255, 5}};
    for (const Case& c : cases) {
        Id3v2BinaryFrame popm(kPOPM);
        const Bytes body = Text("someone@example") + B({0, c.rating, 0, 0, 0, 9});
        ASSERT_EQ(kId3NoError, popm.SetData(body.data(), static_cast<int>(body.size()), 3));
        EXPECT_EQ(c.stars, PopmStars(&popm)) << c.rating;
    }
    Id3v2BinaryFrame noRating(kPOPM);
    ASSERT_EQ(kId3NoError, noRating.SetData(Text("abc").data(), 3, 3));
    EXPECT_EQ(0, PopmStars(&noRating));
    ASSERT_EQ(kId3NoError, noRating.SetData(B({'a', 0}).data(), 2, 3));
    EXPECT_EQ(0, PopmStars(&noRating));
    Id3v2FieldFrame text(kTIT2, "x");
    EXPECT_EQ(0, PopmStars(&text));
}

}  // namespace
}  // namespace td
