#include "settings/lang_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "settings/builtin_texts.h"
#include "tests/support/test_support.h"

namespace td {
namespace {

using test::FaultyFileSystem;
using test::ReadBytes;
using test::ScopedFs;
using test::TempDir;
using test::WriteBytes;

std::string Text(int id) { return LangTable::getString(id); }

class LangTableTest : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }
    void TearDown() override { LangTable::useBuiltinEnglish(); }
};

void Use(const std::string& image) { LangTable::useLanguageImage(image.data(), image.size()); }

TEST_F(LangTableTest, RecordsOfALanguageImage) {
    const struct {
        const char* image;
        int id;
        const char* text;
    } cases[] = {
        {"header line\r\n#   12 \"first\r\nsecond\"\r\n", 12, "first\r\nsecond"},  // the file's own breaks
        {"#14\t\"a\\b\tc\"\n", 14, "a\\b\tc"},
        {"#13 \"one\"\n#13 \"two\"\n", 13, "two"},  // the later record wins
        {"#5000 \"far\"\n#-1 \"minus\"\n#99999999999999999999999 \"huge\"\n#4095 \"last\"", 4095, "last"},
        {"#4095 \"last\"", 12, ""},                   // nothing falls back to English
        {"#abc \"lost\" #+3 \"three\"", 3, "three"},  // no number: skipped with its text
        {"#- 4 \"lost too\" #4", 4, ""},
        {"#5 junk # \"five\"", 5, "five"},  // anything up to the quote is skipped, '#' included
        {"#6", 6, ""},                      // ends before its opening quote
        {"#8 \"open ended\r\n#9 \"not a record", 8, "open ended\r\n#9 "},  // runs to the end
        {"#8 \"open ended\r\n#9 \"not a record", 9, ""},
    };
    for (const auto& c : cases) {
        Use(c.image);
        EXPECT_EQ(Text(c.id), c.text) << c.image;
    }
    EXPECT_STREQ(LangTable::getString(4096), "");
    EXPECT_STREQ(LangTable::getString(-1), "");
    EXPECT_STREQ(LangTable::builtinString(382), "");
    EXPECT_STREQ(BuiltinText(kTextQuestion), "Question");  // built-in text stays English
    LangTable::useBuiltinEnglish();
    EXPECT_EQ(Text(0), "English");
}

TEST_F(LangTableTest, ScanListsFilesAndPicksTheRequestedOne) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir.Path("Deutsch.lang.kqp"), std::string("#22 \"Fehler\"\r\n#0 \"Deutsch\"")));
    ASSERT_TRUE(WriteBytes(dir.Path("Italiano.lang.kqp"), std::string("#22 \"Errore\"")));
    for (const char* name : {"Old.lang.kqp.bak", ".lang.kqp"}) ASSERT_TRUE(WriteBytes(dir.Path(name), "#22"));
    LangTable table(dir.path());
    table.scanLanguages("Italiano");
    ASSERT_EQ(table.languageCount(), 3);
    EXPECT_EQ(table.languageEntryName(0), "English(Default)");
    EXPECT_EQ(table.languageEntryName(1), "Deutsch");
    EXPECT_EQ(table.languageEntryName(2), "Italiano");
    EXPECT_EQ(table.currentIndex(), 2);
    EXPECT_EQ(table.currentName(), "Italiano");
    EXPECT_EQ(Text(22), "Errore");

    table.setCurrentIndex(1);
    ASSERT_TRUE(table.load());
    EXPECT_EQ(Text(22), "Fehler");
    table.setCurrentIndex(0);
    ASSERT_TRUE(table.load());
    EXPECT_EQ(Text(22), "Error");
}

TEST_F(LangTableTest, FileThatCannotBeReadLeavesTheTextsAsTheyWere) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir.Path("Deutsch.lang.kqp"), std::string("#22 \"Fehler\"")));
    LangTable table(dir.path());
    table.scanLanguages("English(Default)");
    ASSERT_EQ(table.languageCount(), 2);

    ASSERT_TRUE(Fs().Remove(dir.Path("Deutsch.lang.kqp")));
    table.setCurrentIndex(1);
    EXPECT_FALSE(table.load());
    EXPECT_EQ(Text(22), "Error");

    ASSERT_TRUE(WriteBytes(dir.Path("Deutsch.lang.kqp"), std::string(40000, ' ') + "#22 \"Fehler\""));
    FaultyFileSystem faulty;
    faulty.FailAt(FaultyFileSystem::Op::Read, 2);
    {
        ScopedFs scoped(faulty);
        EXPECT_FALSE(table.load());
    }
    EXPECT_EQ(Text(22), "Error");
    EXPECT_TRUE(table.load());
    EXPECT_EQ(Text(22), "Fehler");

    std::string big = "#22 \"Groesse\"";  // one byte over the limit: refused
    big.resize(kMaxLanguageFileSize + 1, ' ');
    ASSERT_TRUE(WriteBytes(dir.Path("Deutsch.lang.kqp"), big));
    EXPECT_FALSE(table.load());
    EXPECT_EQ(Text(22), "Fehler");
    // Also when its size cannot be asked before reading.
    faulty.Reset();
    faulty.FailAt(FaultyFileSystem::Op::GetSize, 1);
    {
        ScopedFs scoped(faulty);
        EXPECT_FALSE(table.load());
    }
    EXPECT_EQ(Text(22), "Fehler");
}

TEST_F(LangTableTest, ChosenFileThatCannotBeOpenedAtStartFallsBackToEnglish) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir.Path("Deutsch.lang.kqp"), std::string("#22 \"Fehler\"")));
    FaultyFileSystem faulty;
    faulty.FailAt(FaultyFileSystem::Op::Open, 1);
    ScopedFs scoped(faulty);
    LangTable table(dir.path());
    table.scanLanguages("Deutsch");
    EXPECT_EQ(table.currentIndex(), 0);
    EXPECT_EQ(Text(22), "Error");
}

// The printf conversions of a text, "%%" included, in order.
std::vector<std::string> Conversions(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        size_t j = i + 1;
        while (j < text.size() && std::string("-+ #0").find(text[j]) != std::string::npos) ++j;
        while (j < text.size() && (std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '.')) ++j;
        while (j < text.size() && (text[j] == 'l' || text[j] == 'h')) ++j;
        if (j < text.size()) ++j;
        out.push_back(text.substr(i, j - i));
        i = j - 1;
    }
    return out;
}

std::vector<std::string> BarParts(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t bar; (bar = text.find('|', start)) != std::string::npos; start = bar + 1) {
        parts.push_back(text.substr(start, bar - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

TEST_F(LangTableTest, FrenchFileHasEveryTextWithTheConversionsAndShortcutsOfTheEnglish) {
    TempDir dir;
    const std::string image = ReadBytes(test::TestsDir() + "/../lang/French.lang.kqp");
    ASSERT_TRUE(WriteBytes(dir.Path("French.lang.kqp"), image));
    LangTable table(dir.path());
    table.scanLanguages("French");
    ASSERT_EQ(table.currentIndex(), 1);
    EXPECT_EQ(Text(0),
              "Fran\xE7"
              "ais");  // Windows-1252
    for (int id = 0; id < kBuiltinStringCount; ++id) {
        const std::string english = LangTable::builtinString(id);
        const std::string french = LangTable::getString(id);
        SCOPED_TRACE(id);
        EXPECT_FALSE(french.empty());
        EXPECT_EQ(Conversions(french), Conversions(english)) << french;
        const std::vector<std::string> en = BarParts(english);
        const std::vector<std::string> fr = BarParts(french);
        ASSERT_EQ(fr.size(), en.size()) << french;
        if (en.size() == 2 && id != 353) {
            // A menu text: the accelerator after the bar is a key name, not prose.
            // (353 carries a typing error in English that French does not copy.)
            EXPECT_EQ(fr[1], en[1]);
        }
        if (en.size() > 2) {
            // A file dialog filter: every other part is a pattern.
            for (size_t i = 1; i < en.size(); i += 2) EXPECT_EQ(fr[i], en[i]);
        }
        EXPECT_EQ(french.find("\r\n") != std::string::npos, english.find("\r\n") != std::string::npos);
    }
}

}  // namespace
}  // namespace td
