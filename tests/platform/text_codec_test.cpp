#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace td::text {
namespace {

TEST(AnsiCodec, EveryByteRoundTrips) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::u16string wide = AnsiToUtf16(all);
    ASSERT_EQ(wide.size(), all.size());
    std::string back;
    EXPECT_TRUE(Utf16ToAnsi(wide, back));
    EXPECT_EQ(back, all);
    EXPECT_TRUE(Utf16ToAnsi(std::u16string(u"a\0b", 3), back));
    EXPECT_EQ(back, std::string("a\0b", 3));
}

TEST(Utf8Codec, ValidTextRoundTripsAndHostileSequencesAreReplaced) {
    // The last code point of each length, then the first that needs four bytes.
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z\x7F\xDF\xBF\xEF\xBF\xBF\xF0\x90\x80\x80";
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"a\u00E9\u20AC\U0001F600z\u007F\u07FF\uFFFF\U00010000");
    EXPECT_EQ(Utf16ToUtf8(wide), text);
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong";
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "encoded surrogate";
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD") << "past U+10FFFF";
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD") << "truncated at the end";
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82x"), u"\uFFFDx") << "truncated before ASCII";
    EXPECT_EQ(Utf8ToUtf16("\x80\x80"), u"\uFFFD\uFFFD") << "stray continuation bytes";
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xD83D), u'a', char16_t(0xDE00)}),
              "\xEF\xBF\xBD"
              "a\xEF\xBF\xBD");
}

TEST(TextCase, FoldsAndComparesTheCodePageLettersOnly) {
    // Windows-1252 (the POSIX code page; Wine's default too): É, Š, Ÿ, Ž.
    EXPECT_EQ(FoldedCase("A\xC9\x8A\x9F\x8EZ"), "a\xE9\x9A\xFF\x9Ez");
    // Already small, not letters, undefined bytes, the sharp s: unchanged.
    const std::string same = "az09 _-\xE9\xDF\xD7\x81\x90\xF7";
    EXPECT_EQ(FoldedCase(same), same);

    const struct {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"Rock", "rOCK", 0}, {"\xC9t\xE9", "\xE9T\xC9", 0}, {"abc", "ABD", -1}, {"ab", "AB ", -1},
        {"\xE9", "f", 1},  // folded bytes compare unsigned
        {"", "", 0},
    };
    for (const auto& c : cases) {
        const int got = CompareNoCase(c.a, c.b);
        EXPECT_EQ((got > 0) - (got < 0), c.sign) << c.a << " / " << c.b;
        EXPECT_EQ(EqualNoCase(c.a, c.b), c.sign == 0) << c.a << " / " << c.b;
    }
}

}  // namespace
}  // namespace td::text
