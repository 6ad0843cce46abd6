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

using test::ReadBytes;
using test::RecordingPrompter;
using test::TempDir;

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
    s.htmlTemplates[3].titlePage.fontStyle = 0;  // regular where the template is bold
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
    s.setFormatPattern(3, std::string(50, 'p'));  // as long as an entry holds
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
    EXPECT_EQ(loaded.formatPattern(3), std::string(50, 'p'));
    // A file cut short gives the defaults (the shown column count has none),
    // and says so.
    ASSERT_TRUE(test::WriteBytes(saved.path(), onDisk.substr(0, 100)));
    EXPECT_FALSE(loaded.load());
    Settings defaults(dir.path());
    defaults.visibleColumnCount = loaded.visibleColumnCount;
    EXPECT_EQ(loaded.toBytes(), defaults.toBytes());
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
    // Nothing checked: no question, and nothing reported as reset.
    RecordingPrompter prompter;
    Settings s;
    EXPECT_EQ(s.confirmReset(0, prompter), 0);
    EXPECT_TRUE(prompter.shown.empty());
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
    // Widths and sort keys the list reports are stored within range.
    std::array<int32_t, kColumnCount> widths;
    widths.fill(50);
    widths[0] = -5;
    widths[1] = 1 << 20;
    s.setColumnWidth(widths);
    EXPECT_EQ(s.getColumnWidth()[0], 0);
    EXPECT_EQ(s.getColumnWidth()[1], 32767);
    EXPECT_EQ(s.getColumnWidth()[2], 50);
    s.setSortKey(kColumnCount, false);
    EXPECT_EQ(s.sortColumn, 0);
    // So is the theme in use.
    s.themeIndex = 3;
    EXPECT_EQ(&s.currentTheme(), &s.themes[3]);
    s.themeIndex = kThemeCount;
    EXPECT_EQ(&s.currentTheme(), &s.themes[0]);
}

}  // namespace
}  // namespace td
