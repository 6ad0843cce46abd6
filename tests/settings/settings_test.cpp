#include "settings/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/test_support.h"

namespace td {
namespace {

using test::ReadBytes;
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

}  // namespace
}  // namespace td
