#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/prompter.h"
#include "settings/lang_table.h"
#include "tests/support/test_support.h"
#include "tests/support/recording_prompter.h"

namespace td {
namespace {

using test::FaultyFileSystem;
using test::ReadBytes;
using test::RecordingPrompter;
using test::ScopedFs;
using test::TempDir;
using test::WriteBytes;

uint32_t Le32(const std::string& bytes, size_t offset) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return v;
}

// A record in range whose every field differs from its default.
Settings Scrambled() {
    Settings s;
    s.exportSelectedOnly = 1;
    s.htmlListing = 1;
    s.htmlHyperlink = 1;
    s.exportBothTags = 1;
    s.showNumber = 1;
    s.showGrid = 1;
    s.searchFields = 0x45;
    s.doubleClickAction = 2;
    s.viewInfoFrom = 3;
    s.loadOnStartup = 1;
    s.massTagFields = 0x21;
    s.massTagVersions = 1;
    s.tagFromNameVersion = 0;
    s.renameSource = 2;
    s.visibleColumnCount = 7;
    s.wizardLength = 6;
    s.caseConversion = 4;
    s.charConversion = 2;
    s.organizeSource = 1;
    s.organizeLayout = 3;
    for (int i = 0; i < kColumnCount; ++i) {
        s.columnOrder[i] = kColumnCount - 1 - i;
        s.columnVisible[i] = i % 2;
        s.columnWidth[i] = 33 + i;
    }
    s.sortColumn = 12;
    s.sortDescending = 1;
    s.htmlTemplate = 5;
    s.htmlTemplates[3].columnText.textColor = 0x123456;
    s.htmlTemplates[3].columnText.fontStyle = kFontStyleCount - 1;
    s.htmlTemplates[7].hyperlinkColor = 0x654321;
    s.windowPlacement.left = 200;
    s.windowPlacement.right = 900;
    s.duplicateFields = 0x1F;
    s.duplicateSeconds = 60;
    s.duplicatePercent = 100;
    s.setLanguage("French");
    s.explorerFields = 0x15;
    s.explorerShown = 1;
    s.setFormatPattern(0, "%A/%L/%T");
    s.setFormatPattern(7, "%Y");
    s.themeIndex = kThemeCount - 1;
    s.themes[0].text = 0x0000FF;
    s.themes[20].selectedBackground = 0x00AA00;
    std::strcpy(s.themes[34].name, "Mine");
    s.iconPackage = 1;
    s.ratingPackage = 10;
    return s;
}

TEST(SettingsFile, SaveThenLoadReproducesTheRecordByteForByte) {
    TempDir dir;
    Settings s = Scrambled();
    Settings saved(dir.path());
    static_cast<SettingsRecord&>(saved) = s;
    ASSERT_TRUE(saved.save());
    const std::string onDisk = ReadBytes(saved.path());
    EXPECT_EQ(onDisk, saved.toBytes());

    Settings loaded(dir.path());
    ASSERT_TRUE(loaded.load());
    EXPECT_EQ(loaded.toBytes(), onDisk);
}

#ifndef _WIN32  // on Windows the first theme takes the system's colours
// A new installation's record, every default of every group, pinned as a
// digest of its bytes: a default changed by mistake changes the file that
// is written on the first run.
TEST(SettingsFile, TheDefaultRecordIsTheOneShipped) {
    uint64_t digest = 14695981039346656037ull;
    for (const char c : Settings().toBytes()) {
        digest ^= static_cast<unsigned char>(c);
        digest *= 1099511628211ull;
    }
    EXPECT_EQ(digest, 9489967403123422753ull);
}
#endif

// Absent, one byte short of an otherwise valid record, or unreadable: all defaults.
TEST(SettingsFile, MissingShortOrUnreadableFileGivesEveryDefault) {
    TempDir dir;
    Settings s(dir.path());
    std::string bytes = Scrambled().toBytes();
    FaultyFileSystem faulty;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        if (round > 0) {
            ASSERT_TRUE(WriteBytes(s.path(), round == 1 ? bytes.substr(0, 5527) : bytes));
        }
        faulty.Reset();
        if (round == 2) faulty.FailAt(FaultyFileSystem::Op::Read, 1);
        static_cast<SettingsRecord&>(s) = Scrambled();
        s.visibleColumnCount = 0;
        ScopedFs scoped(faulty);
        EXPECT_FALSE(s.load());
        EXPECT_EQ(s.toBytes(), Settings().toBytes());
    }
}

struct Range {
    size_t offset, size;
};

std::vector<Range> GroupFields(unsigned category) {
    switch (category) {
    case kResetHtml: return {{328, 676}};
    case kResetColumns: return {{320, 4}, {324, 4}, {16, 8}, {32, 4}, {80, 240}};
    case kResetTools: return {{40, 16}, {64, 16}, {1328, 408}};
    case kResetOptions: return {{0, 32}, {36, 4}, {60, 4}, {1004, 44}, {1048, 280}};
    case kResetTheme: return {{1736, 3792}};
    }
    return {};
}

TEST(SettingsReset, EachCategoryRestoresExactlyItsFields) {
    const std::string defaults = Settings().toBytes();
    const std::string scrambled = Scrambled().toBytes();
    for (unsigned category : {kResetHtml, kResetColumns, kResetTools, kResetOptions, kResetTheme}) {
        SCOPED_TRACE(category);
        Settings s;
        ASSERT_TRUE(s.fromBytes(scrambled.data(), scrambled.size()));
        s.reset(category);
        std::string expected = scrambled;
        for (const Range& r : GroupFields(category)) {
            expected.replace(r.offset, r.size, defaults, r.offset, r.size);
        }
        const std::string got = s.toBytes();
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i], expected[i]) << "byte " << i;
        }
    }
}

void Put32(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

TEST(SettingsHostileFile, ColumnArraysBecomeUsable) {
    std::string bytes = Settings().toBytes();
    const int32_t order[kColumnCount] = {5, 5, -1, 40, 19, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 0, 7};
    for (int i = 0; i < kColumnCount; ++i) {
        Put32(bytes, 80 + 4 * i, static_cast<uint32_t>(order[i]));
        Put32(bytes, 160 + 4 * i, 0);                           // nothing shown
        Put32(bytes, 240 + 4 * i, i == 2 ? 0xFFFFFFF0u : 99u);  // one negative width
    }
    Settings s;
    ASSERT_TRUE(s.fromBytes(bytes.data(), bytes.size()));
    const std::vector<int32_t> expectedOrder = {5, 19, 3,  0,  7,  1,  2,  4,  6,  8,
                                                9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    std::vector<int32_t> got(s.columnOrder, s.columnOrder + kColumnCount);
    EXPECT_EQ(got, expectedOrder);
    for (int id = 0; id < kColumnCount; ++id) {
        EXPECT_EQ(s.columnVisible[id], kDefaultColumnVisible[id]);
        EXPECT_EQ(s.columnWidth[id], id == 2 ? 85 : 99);
    }
}

TEST(SettingsHostileFile, StringsColoursAndPlacementAreMadeSafe) {
    std::string bytes = Settings().toBytes();
    bytes.replace(1060, 260, std::string(260, 'L'));  // languageName without NUL
    bytes.replace(1328, 408, std::string(408, 'F'));  // formatHistory without NULs
    bytes.replace(1740, 80, std::string(80, 'T'));    // theme 0 name without NUL
    Put32(bytes, 1740 + 80, 0xFF123456);              // theme 0 text colour with flags
    Put32(bytes, 332 + 8, 9);                         // template 0 text page font name
    Put32(bytes, 332 + 16, 0xFFFFFFFF);               // template 0 text page font size
    Settings s;
    ASSERT_TRUE(s.fromBytes(bytes.data(), bytes.size()));
    EXPECT_EQ(s.language(), std::string(259, 'L'));
    for (int i = 0; i < kFormatHistoryCount; ++i) EXPECT_EQ(s.formatPattern(i), std::string(50, 'F'));
    EXPECT_EQ(std::string(s.themes[0].name), std::string(79, 'T'));
    EXPECT_EQ(s.themes[0].text, 0x123456u);
    EXPECT_EQ(s.htmlTemplates[0].textPage.fontName, 0);
    EXPECT_EQ(s.htmlTemplates[0].textPage.fontSize, 1);
}

TEST(SettingsHostileFile, ValuesOutOfRangeTakeTheirDefaults) {
    // offset, value in the file; offset and value read back. The scrambled
    // placement's left edge is 200, the default's 10.
    const uint32_t cases[][4] = {{28, 3, 28, 0},
                                 {32, 4, 32, 0},
                                 {56, 5000, 56, 20},
                                 {320, 20, 320, 0},
                                 {1052, 61, 1052, 5},
                                 {1736, 35, 1736, 0},
                                 {5524, 0x80000000, 5524, 0},
                                 {0, 9, 0, 1},
                                 {24, 0xFFFFFFFF, 24, 0x7F},
                                 {1320, 0x80, 1320, 127},
                                 {64, 4, 64, 4},  // in range
                                 {1056, 94, 1056, 95},
                                 {1056, 101, 1056, 95},
                                 {1056, 100, 1056, 100},
                                 {1012, 12, 1032, 10},  // no such show command
                                 {1012, 11, 1032, 200},
                                 {1016, static_cast<uint32_t>(-1000001), 1032, 10},  // far off every desktop
                                 {1028, 1000001, 1032, 10},
                                 {1024, static_cast<uint32_t>(-1000000), 1032, 200},
                                 {1040, 200, 1032, 10},  // no width
                                 {1044, 0, 1032, 10}};   // bottom above top
    for (const auto& c : cases) {
        std::string bytes = Scrambled().toBytes();
        Put32(bytes, c[0], c[1]);
        Settings s;
        ASSERT_TRUE(s.fromBytes(bytes.data(), bytes.size()));
        EXPECT_EQ(Le32(s.toBytes(), c[2]), c[3]) << "offset " << c[0] << " value " << c[1];
    }
}

TEST(SettingsColumns, SelectionPutsShownColumnsFirstAndMustNotBeEmpty) {
    LangTable::useBuiltinEnglish();
    Settings s;
    RecordingPrompter prompter;
    ASSERT_TRUE(s.applyColumnSelection({18, 2, 2, 44, 7}, prompter));
    EXPECT_TRUE(prompter.shown.empty());
    const std::vector<int32_t> expected = {18, 2,  7,  0,  1,  3,  4,  5,  6,  8,
                                           9,  10, 11, 12, 13, 14, 15, 16, 17, 19};
    EXPECT_EQ(std::vector<int32_t>(s.columnOrder, s.columnOrder + kColumnCount), expected);
    for (int id = 0; id < kColumnCount; ++id) {
        EXPECT_EQ(s.isColumnVisible(id), id == 18 || id == 2 || id == 7) << id;
    }
    const Settings defaults;
    EXPECT_TRUE(std::equal(s.columnWidth, s.columnWidth + kColumnCount, defaults.columnWidth));
    // Nothing valid chosen: refused with a message, nothing changed.
    const std::string before = s.toBytes();
    EXPECT_FALSE(s.applyColumnSelection({-1, 20}, prompter));
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(s.toBytes(), before);
}

}  // namespace
}  // namespace td
