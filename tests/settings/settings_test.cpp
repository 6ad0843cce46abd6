#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/prompter.h"
#include "settings/lang_table.h"
#include "tests/support/test_support.h"
#include "tests/support/recording_prompter.h"

namespace td {
namespace {

using test::RecordingPrompter;

using test::FaultyFileSystem;
using test::ReadBytes;
using test::ScopedFs;
using test::TempDir;
using test::WriteBytes;


uint32_t Le32(const std::string& bytes, size_t offset) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + 3])) << 24;
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
    s.themeIndex = 17;
    s.themes[0].text = 0x0000FF;
    s.themes[20].selectedBackground = 0x00AA00;
    std::strcpy(s.themes[34].name, "Mine");
    s.iconPackage = 1;
    s.ratingPackage = 10;
    return s;
}

// --- the record and its file -------------------------------------------------

TEST(SettingsFile, PathIsTheFileNameInTheModuleDirectory) {
    EXPECT_EQ(Settings("C:\\Program Files\\Winamp\\Plugins\\").path(),
              "C:\\Program Files\\Winamp\\Plugins\\gen_Tunedeck.ini");
    EXPECT_EQ(Settings("/opt/td").path(), std::string("/opt/td") + kPathSeparator + "gen_Tunedeck.ini");
    EXPECT_EQ(Settings().path(), "gen_Tunedeck.ini");
}

TEST(SettingsFile, FieldsAreLittleEndianAtTheirOffsets) {
    Settings s;
    s.visibleColumnCount = 0x01020304;
    s.themeIndex = 7;
    s.ratingPackage = 9;
    std::strcpy(s.languageName, "Deutsch");
    const std::string bytes = s.toBytes();
    ASSERT_EQ(bytes.size(), 5528u);
    EXPECT_EQ(Le32(bytes, 56), 0x01020304u);
    EXPECT_EQ(Le32(bytes, 1736), 7u);
    EXPECT_EQ(Le32(bytes, 5524), 9u);
    EXPECT_EQ(bytes.substr(1060, 8), std::string("Deutsch\0", 8));
    EXPECT_EQ(Le32(bytes, 24), 63u);           // searchFields
    EXPECT_EQ(bytes.substr(1740, 15), "Windows color  ");
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
    ASSERT_TRUE(loaded.save());
    EXPECT_EQ(ReadBytes(loaded.path()), onDisk);
}

TEST(SettingsFile, MissingOrShortFileGivesEveryDefault) {
    TempDir dir;
    const std::string defaults = Settings().toBytes();
    Settings s(dir.path());
    static_cast<SettingsRecord&>(s) = Scrambled();
    s.visibleColumnCount = 0;
    EXPECT_FALSE(s.load());  // no file
    EXPECT_EQ(s.toBytes(), defaults);

    // 5,527 bytes of a record that is otherwise valid: ignored in full.
    std::string bytes = Scrambled().toBytes();
    bytes.resize(5527);
    ASSERT_TRUE(WriteBytes(s.path(), bytes));
    static_cast<SettingsRecord&>(s) = Scrambled();
    s.visibleColumnCount = 0;
    EXPECT_FALSE(s.load());
    EXPECT_EQ(s.toBytes(), defaults);

    ASSERT_TRUE(WriteBytes(s.path(), std::string()));
    EXPECT_FALSE(s.load());
    EXPECT_EQ(s.toBytes(), defaults);
}

TEST(SettingsFile, LongerFileIsReadUpToTheRecordSize) {
    TempDir dir;
    const std::string record = Scrambled().toBytes();
    Settings s(dir.path());
    ASSERT_TRUE(WriteBytes(s.path(), record + std::string(1000, '\xFF')));
    EXPECT_TRUE(s.load());
    EXPECT_EQ(s.toBytes(), record);
}

TEST(SettingsFile, FailedWriteKeepsTheOldFileAndReportsIt) {
    TempDir dir;
    Settings s(dir.path());
    ASSERT_TRUE(s.save());
    const std::string before = ReadBytes(s.path());
    static_cast<SettingsRecord&>(s) = Scrambled();
    const std::string memory = s.toBytes();

    FaultyFileSystem faulty;
    for (FaultyFileSystem::Op op : {FaultyFileSystem::Op::Open, FaultyFileSystem::Op::Write,
                                    FaultyFileSystem::Op::Flush, FaultyFileSystem::Op::Close,
                                    FaultyFileSystem::Op::Replace}) {
        faulty.Reset();
        faulty.SetShortWrites(true);
        faulty.FailAt(op, 1);
        {
            ScopedFs scoped(faulty);
            EXPECT_FALSE(s.save()) << "operation " << static_cast<int>(op);
        }
        EXPECT_EQ(ReadBytes(s.path()), before) << "operation " << static_cast<int>(op);
        EXPECT_EQ(s.toBytes(), memory);
    }
    EXPECT_TRUE(s.save());
    EXPECT_EQ(ReadBytes(s.path()), memory);
}

TEST(SettingsFile, ReadErrorGivesDefaults) {
    TempDir dir;
    Settings s(dir.path());
    ASSERT_TRUE(WriteBytes(s.path(), Scrambled().toBytes()));
    FaultyFileSystem faulty;
    faulty.FailAt(FaultyFileSystem::Op::Read, 1);
    ScopedFs scoped(faulty);
    EXPECT_FALSE(s.load());
    EXPECT_EQ(s.toBytes(), Settings().toBytes());
}

// --- defaults -----------------------------------------------------------------

TEST(SettingsDefaults, FreshRecordHoldsTheDocumentedValues) {
    Settings s;
    EXPECT_EQ(s.exportSelectedOnly, 0);
    EXPECT_EQ(s.searchFields, 63u);
    EXPECT_EQ(s.massTagVersions, 3u);
    EXPECT_EQ(s.tagFromNameVersion, 2);
    EXPECT_EQ(s.duplicateSeconds, 5);
    EXPECT_EQ(s.duplicatePercent, 95);
    EXPECT_EQ(s.explorerFields, 127u);
    EXPECT_EQ(s.language(), "English(Default");
    EXPECT_EQ(s.formatPattern(0), "%N - %A - %T");
    EXPECT_EQ(s.formatPattern(1), "%A - %T");
    for (int i = 2; i < kFormatHistoryCount; ++i) EXPECT_EQ(s.formatPattern(i), "");
    EXPECT_EQ(s.htmlTemplate, 0);
    EXPECT_EQ(s.themeIndex, 0);
    EXPECT_EQ(s.iconPackage, 0);
    EXPECT_EQ(s.ratingPackage, 0);
    EXPECT_EQ(s.getSortKey(), 0);
}

TEST(SettingsDefaults, ListShowsColumnsZeroToFifteenInIdOrder) {
    Settings s;
    const int widths[kColumnCount] = {120, 160, 85, 45, 160, 160, 75, 90, 70, 100,
                                      50,  80,  400, 60, 80, 60, 80, 250, 150, 100};
    for (int i = 0; i < kColumnCount; ++i) {
        EXPECT_EQ(s.columnIdAt(i), i);
        EXPECT_EQ(s.isColumnVisible(i), i <= 15) << i;
        EXPECT_EQ(s.columnWidthOf(i), widths[i]) << i;
    }
}

TEST(SettingsDefaults, WindowOpensAtTenTenSixHundredFourHundred) {
    const WindowPlacementRecord& p = Settings().windowPlacement;
    EXPECT_EQ(p.length, 44u);
    EXPECT_EQ(p.flags, 3u);
    EXPECT_EQ(p.showCmd, 1u);
    EXPECT_EQ(p.minX, 10);
    EXPECT_EQ(p.minY, 10);
    EXPECT_EQ(p.maxX, 10);
    EXPECT_EQ(p.maxY, 10);
    EXPECT_EQ(p.left, 10);
    EXPECT_EQ(p.top, 10);
    EXPECT_EQ(p.right, 600);
    EXPECT_EQ(p.bottom, 400);
}

TEST(SettingsDefaults, HtmlTemplatesAreTheBuiltInOnes) {
    Settings s;
    EXPECT_STREQ(kHtmlTemplateNames[0], "Paris");
    EXPECT_STREQ(kHtmlTemplateNames[7], "Geneva");
    // "Paris": #FFBF00 on #000040, fonts 0/0/1; link #409FFF.
    EXPECT_EQ(s.htmlTemplates[0].textPage.textColor, 0x0000BFFFu);
    EXPECT_EQ(s.htmlTemplates[0].textPage.backgroundColor, 0x00400000u);
    EXPECT_EQ(s.htmlTemplates[0].textPage.fontSize, 1);
    EXPECT_EQ(s.htmlTemplates[0].titlePage.fontSize, 5);
    EXPECT_EQ(s.htmlTemplates[0].hyperlinkColor, 0x00FF9F40u);
    // "Geneva" title page: #6F776F on #00082F, 3/1/4.
    EXPECT_EQ(s.htmlTemplates[7].titlePage.textColor, 0x006F776Fu);
    EXPECT_EQ(s.htmlTemplates[7].titlePage.backgroundColor, 0x002F0800u);
    EXPECT_EQ(s.htmlTemplates[7].titlePage.fontName, 3);
    EXPECT_EQ(s.htmlTemplates[7].titlePage.fontSize, 4);
}

TEST(SettingsDefaults, ThemeZeroFollowsTheSystemColours) {
    Settings s;
    s.refreshSystemTheme(SystemColors{0x111111, 0xEEEEEE, 0x222222, 0x993300});
    const ColorTheme& t = s.themes[0];
    EXPECT_EQ(std::string(t.name), "Windows color  ");
    EXPECT_EQ(t.text, 0x111111u);
    EXPECT_EQ(t.background, 0xEEEEEEu);
    EXPECT_EQ(t.alternateBackground, 0xEEEEEEu);
    EXPECT_EQ(t.selectedText, 0x222222u);
    EXPECT_EQ(t.selectedBackground, 0x993300u);
    EXPECT_EQ(t.playingText, 0xEEEEEEu);  // inverse video
    EXPECT_EQ(t.playingBackground, 0x111111u);
}

TEST(SettingsDefaults, ClassicThemeIsBlackOnWhite) {
    const ColorTheme& t = Settings().themes[1];
    EXPECT_EQ(std::string(t.name), "Classic        ");
    EXPECT_EQ(t.text, 0x000000u);
    EXPECT_EQ(t.background, 0xFFFFFFu);
    EXPECT_EQ(t.alternateBackground, 0xF5F5F5u);
    EXPECT_EQ(t.selectedText, 0xFFFFFFu);
    EXPECT_EQ(t.selectedBackground, 0x800000u);
    EXPECT_EQ(t.playingText, 0xFF0000u);
    EXPECT_EQ(t.playingBackground, 0xFFFFFFu);
}

double Luminance(uint32_t color) {
    auto channel = [](uint32_t value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color & 0xFF) + 0.7152 * channel((color >> 8) & 0xFF) +
           0.0722 * channel((color >> 16) & 0xFF);
}

double Contrast(uint32_t a, uint32_t b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(SettingsDefaults, BuiltInThemesAreNamedAndReadable) {
    std::set<std::string> names;
    for (int i = 1; i < kThemeCount; ++i) {
        const ColorTheme& t = kBuiltinThemes[i];
        const std::string name(t.name);
        SCOPED_TRACE(name);
        ASSERT_EQ(name.size(), 15u);  // padded like "Windows color  "
        EXPECT_NE(name[0], ' ');
        EXPECT_TRUE(names.insert(name).second) << "twice";
        for (int b = 15; b < kThemeNameSize; ++b) EXPECT_EQ(t.name[b], '\0');
        EXPECT_GE(Contrast(t.text, t.background), 4.5);
        EXPECT_GE(Contrast(t.text, t.alternateBackground), 4.5);
        EXPECT_GE(Contrast(t.selectedText, t.selectedBackground), 4.5);
        EXPECT_GE(Contrast(t.playingText, t.playingBackground), 4.5);
        EXPECT_NE(t.selectedBackground, t.background);
        EXPECT_NE(t.selectedBackground, t.alternateBackground);
        EXPECT_TRUE(t.playingBackground != t.background || t.playingText != t.text);
        for (uint32_t c : {t.text, t.background, t.alternateBackground, t.selectedText,
                           t.selectedBackground, t.playingText, t.playingBackground}) {
            EXPECT_EQ(c & 0xFF000000u, 0u);
        }
    }
}

// --- reset by category ---------------------------------------------------------

struct Range {
    size_t offset;
    size_t size;
};

std::vector<Range> GroupFields(unsigned category) {
    switch (category) {
        case kResetHtml:
            return {{328, 4}, {332, 672}};
        case kResetColumns:
            return {{320, 4}, {324, 4}, {16, 4}, {20, 4}, {32, 4}, {80, 80}, {160, 80}, {240, 80}};
        case kResetTools:
            return {{40, 4}, {44, 4}, {48, 4}, {52, 4}, {64, 4}, {68, 4}, {72, 4}, {76, 4}, {1328, 408}};
        case kResetOptions:
            return {{0, 4},    {4, 4},    {8, 4},    {12, 4},   {16, 4},    {20, 4},
                    {24, 4},   {28, 4},   {36, 4},   {60, 4},   {1004, 44}, {1048, 4},
                    {1052, 4}, {1056, 4}, {1060, 260}, {1320, 4}, {1324, 4}};
        case kResetTheme:
            return {{1736, 4}, {1740, 3780}, {5520, 4}, {5524, 4}};
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

TEST(SettingsReset, AllCategoriesTogetherGiveTheDefaultsButTheVisibleCount) {
    Settings s = Scrambled();
    s.reset(kResetAll);
    s.visibleColumnCount = 0;
    EXPECT_EQ(s.toBytes(), Settings().toBytes());
}

TEST(SettingsReset, ToolsOnlyLeavesThemeColumnsAndLanguage) {
    Settings s = Scrambled();
    s.reset(kResetTools);
    EXPECT_EQ(s.themeIndex, 17);
    EXPECT_EQ(s.columnIdAt(0), 19);
    EXPECT_EQ(s.language(), "French");
    EXPECT_EQ(s.formatPattern(0), "%N - %A - %T");
    EXPECT_EQ(s.formatPattern(1), "%A - %T");
    EXPECT_EQ(s.formatPattern(7), "");
}

TEST(SettingsReset, ConfirmationAsksOnlyWhenSomethingIsChecked) {
    LangTable::useBuiltinEnglish();
    const std::string scrambled = Scrambled().toBytes();
    {
        Settings s = Scrambled();
        RecordingPrompter prompter;
        EXPECT_EQ(s.confirmReset(0, prompter), 0);
        EXPECT_TRUE(prompter.shown.empty());
        EXPECT_EQ(s.toBytes(), scrambled);
    }
    {
        Settings s = Scrambled();
        RecordingPrompter prompter(PromptAnswer::Cancel);
        EXPECT_EQ(s.confirmReset(kResetTheme, prompter), 0);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, "Are your sure to reset settings ?");
        EXPECT_EQ(prompter.shown[0].caption, "Question");
        EXPECT_EQ(prompter.shown[0].buttons, PromptButtons::OkCancel);
        EXPECT_EQ(prompter.shown[0].icon, PromptIcon::Question);
        EXPECT_EQ(s.toBytes(), scrambled);
    }
    {
        Settings s = Scrambled();
        RecordingPrompter prompter(PromptAnswer::Ok);
        EXPECT_EQ(s.confirmReset(kResetTheme | kResetHtml, prompter), 1);
        EXPECT_EQ(s.themeIndex, 0);
        EXPECT_EQ(s.htmlTemplate, 0);
        EXPECT_EQ(s.viewInfoFrom, 3);
    }
}

// --- hostile files ----------------------------------------------------------------

void Put32(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

TEST(SettingsHostileFile, IndexesAndChoicesOutOfRangeTakeTheirDefaults) {
    std::string bytes = Scrambled().toBytes();
    Put32(bytes, 28, 3);             // doubleClickAction
    Put32(bytes, 32, 0xFFFFFFFF);    // viewInfoFrom -1
    Put32(bytes, 48, 7);             // tagFromNameVersion
    Put32(bytes, 56, 5000);          // visibleColumnCount
    Put32(bytes, 60, 7);             // wizardLength
    Put32(bytes, 320, 20);           // sortColumn
    Put32(bytes, 328, 8);            // htmlTemplate
    Put32(bytes, 1052, 61);          // duplicateSeconds
    Put32(bytes, 1056, 94);          // duplicatePercent
    Put32(bytes, 1736, 35);          // themeIndex
    Put32(bytes, 5520, 2);           // iconPackage
    Put32(bytes, 5524, 0x80000000);  // ratingPackage
    Put32(bytes, 0, 9);              // exportSelectedOnly: any non-zero is "on"
    Put32(bytes, 24, 0xFFFFFFFF);    // searchFields
    Put32(bytes, 1320, 0x80);        // explorerFields: no known bit
    Settings s;
    ASSERT_TRUE(s.fromBytes(bytes.data(), bytes.size()));
    EXPECT_EQ(s.doubleClickAction, 0);
    EXPECT_EQ(s.viewInfoFrom, 0);
    EXPECT_EQ(s.tagFromNameVersion, 2);
    EXPECT_EQ(s.visibleColumnCount, 20);
    EXPECT_EQ(s.wizardLength, 0);
    EXPECT_EQ(s.sortColumn, 0);
    EXPECT_EQ(s.htmlTemplate, 0);
    EXPECT_EQ(s.duplicateSeconds, 5);
    EXPECT_EQ(s.duplicatePercent, 95);
    EXPECT_EQ(s.themeIndex, 0);
    EXPECT_EQ(s.iconPackage, 0);
    EXPECT_EQ(s.ratingPackage, 0);
    EXPECT_EQ(s.exportSelectedOnly, 1);
    EXPECT_EQ(s.searchFields, 0x7Fu);
    EXPECT_EQ(s.explorerFields, 127u);
    // Fields that were in range are kept.
    EXPECT_EQ(s.caseConversion, 4);
    EXPECT_EQ(s.massTagFields, 0x21u);
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
    const std::vector<int32_t> expectedOrder = {5, 19, 3, 0, 7, 1, 2, 4, 6, 8,
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
    bytes.replace(1060, 260, std::string(260, 'L'));   // languageName without NUL
    bytes.replace(1328, 408, std::string(408, 'F'));   // formatHistory without NULs
    bytes.replace(1740, 80, std::string(80, 'T'));     // theme 0 name without NUL
    Put32(bytes, 1740 + 80, 0xFF123456);               // theme 0 text colour with flags
    Put32(bytes, 332 + 8, 9);                          // template 0 text page font name
    Put32(bytes, 332 + 16, 0xFFFFFFFF);                // template 0 text page font size
    Put32(bytes, 1004 + 4 * 9, 5);                     // placement right < left
    Settings s;
    ASSERT_TRUE(s.fromBytes(bytes.data(), bytes.size()));
    EXPECT_EQ(s.language(), std::string(259, 'L'));
    for (int i = 0; i < kFormatHistoryCount; ++i) EXPECT_EQ(s.formatPattern(i), std::string(50, 'F'));
    EXPECT_EQ(std::string(s.themes[0].name), std::string(79, 'T'));
    EXPECT_EQ(s.themes[0].text, 0x123456u);
    EXPECT_EQ(s.htmlTemplates[0].textPage.fontName, 0);
    EXPECT_EQ(s.htmlTemplates[0].textPage.fontSize, 1);
    EXPECT_EQ(s.windowPlacement.right, 600);
    EXPECT_EQ(s.windowPlacement.left, 10);
}

TEST(SettingsHostileFile, AccessorsStayInRangeWhateverTheFields) {
    Settings s;
    s.themeIndex = 1000;
    s.htmlTemplate = -3;
    s.iconPackage = 5;
    s.ratingPackage = -1;
    s.viewInfoFrom = 9;
    s.visibleColumnCount = -4;
    s.sortColumn = 77;
    s.sortDescending = 1;
    s.columnOrder[0] = 999;
    s.columnWidth[4] = -20;
    EXPECT_EQ(&s.currentTheme(), &s.themes[0]);
    EXPECT_EQ(&s.theme(99), &s.themes[34]);
    EXPECT_EQ(&s.theme(-1), &s.themes[0]);
    EXPECT_EQ(&s.currentHtmlTemplate(), &s.htmlTemplates[0]);
    EXPECT_EQ(s.currentIconPackage(), 0);
    EXPECT_EQ(s.currentRatingPackage(), 0);
    EXPECT_EQ(s.viewSource(), 0);
    EXPECT_EQ(s.visibleColumns(), 0);
    EXPECT_EQ(s.getSortKey(), 0);
    EXPECT_EQ(s.columnIdAt(-1), -1);
    EXPECT_EQ(s.columnIdAt(20), -1);
    EXPECT_EQ(s.columnIdAt(0), 1);  // 999 dropped, the others move up
    EXPECT_EQ(s.columnIdAt(19), 0);
    EXPECT_FALSE(s.isColumnVisible(20));
    EXPECT_FALSE(s.isColumnVisible(-1));
    EXPECT_EQ(s.columnWidthOf(4), 160);
    EXPECT_EQ(s.columnWidthOf(20), 0);
    EXPECT_EQ(s.formatPattern(8), "");
}

// --- column arrays and sort key ------------------------------------------------------

TEST(SettingsColumns, ArrayPairsRoundTripAndStayValid) {
    Settings s;
    std::array<int32_t, kColumnCount> order{};
    std::array<int32_t, kColumnCount> visible{};
    std::array<int32_t, kColumnCount> width{};
    for (int i = 0; i < kColumnCount; ++i) {
        order[i] = (i * 7) % kColumnCount;
        visible[i] = i < 3 ? 1 : 0;
        width[i] = 10 * i;
    }
    s.setColumnOrder(order);
    s.setColumnVisible(visible);
    s.setColumnWidth(width);
    EXPECT_EQ(s.getColumnOrder(), order);
    EXPECT_EQ(s.getColumnVisible(), visible);
    EXPECT_EQ(s.getColumnWidth(), width);

    order.fill(4);
    visible.fill(7);
    width.fill(-1);
    s.setColumnOrder(order);
    s.setColumnVisible(visible);
    s.setColumnWidth(width);
    EXPECT_EQ(s.columnIdAt(0), 4);
    EXPECT_EQ(s.columnIdAt(1), 0);
    EXPECT_EQ(s.columnIdAt(19), 19);
    EXPECT_EQ(s.getColumnVisible()[5], 1);
    EXPECT_EQ(s.getColumnWidth()[5], 0);
}

TEST(SettingsColumns, SortKeyCarriesTheDirectionInItsSign) {
    Settings s;
    s.setSortKey(-7);
    EXPECT_EQ(s.sortColumn, 7);
    EXPECT_EQ(s.sortDescending, 1);
    EXPECT_EQ(s.getSortKey(), -7);
    s.setSortKey(13);
    EXPECT_EQ(s.sortColumn, 13);
    EXPECT_EQ(s.sortDescending, 0);
    EXPECT_EQ(s.getSortKey(), 13);
    s.setSortKey(0, true);
    EXPECT_EQ(s.sortColumn, 0);
    EXPECT_EQ(s.sortDescending, 1);
    s.setSortKey(INT_MIN);
    EXPECT_EQ(s.sortColumn, 0);
    s.setSortKey(20);
    EXPECT_EQ(s.sortColumn, 0);
}

TEST(SettingsColumns, SelectionPutsShownColumnsFirst) {
    LangTable::useBuiltinEnglish();
    Settings s;
    RecordingPrompter prompter;
    ASSERT_TRUE(s.applyColumnSelection({18, 2, 2, 44, 7}, prompter));
    EXPECT_TRUE(prompter.shown.empty());
    const std::vector<int32_t> expected = {18, 2, 7, 0, 1, 3, 4, 5, 6, 8,
                                           9, 10, 11, 12, 13, 14, 15, 16, 17, 19};
    EXPECT_EQ(std::vector<int32_t>(s.columnOrder, s.columnOrder + kColumnCount), expected);
    for (int id = 0; id < kColumnCount; ++id) {
        EXPECT_EQ(s.isColumnVisible(id), id == 18 || id == 2 || id == 7) << id;
    }
}

TEST(SettingsColumns, EmptySelectionIsRefused) {
    LangTable::useBuiltinEnglish();
    Settings s;
    const std::string before = s.toBytes();
    RecordingPrompter prompter;
    EXPECT_FALSE(s.applyColumnSelection({}, prompter));
    EXPECT_FALSE(s.applyColumnSelection({-1, 20}, prompter));
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].text, "At least 1 column must be present !!!");
    EXPECT_EQ(prompter.shown[0].caption, "Error");
    EXPECT_EQ(prompter.shown[0].icon, PromptIcon::Error);
    EXPECT_EQ(s.toBytes(), before);
}

TEST(SettingsColumns, ExplorerNeedsAtLeastOneField) {
    LangTable::useBuiltinEnglish();
    Settings s;
    RecordingPrompter prompter;
    EXPECT_FALSE(s.applyExplorerFields(0x80, prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Choose at least 1 field must be present !!!");
    EXPECT_EQ(prompter.shown[0].caption, "Information");
    EXPECT_EQ(s.explorerFields, 127u);
    EXPECT_TRUE(s.applyExplorerFields(0x41, prompter));
    EXPECT_EQ(s.explorerFields, 0x41u);
}

TEST(SettingsStrings, LanguageAndPatternsAreCutToTheirBuffers) {
    Settings s;
    s.setLanguage(std::string(300, 'x'));
    EXPECT_EQ(s.language(), std::string(259, 'x'));
    s.setLanguage("Fr");
    EXPECT_EQ(s.language(), "Fr");
    EXPECT_EQ(s.languageName[3], '\0');  // zero-filled, not left over
    s.setFormatPattern(3, std::string(60, '%'));
    EXPECT_EQ(s.formatPattern(3), std::string(50, '%'));
    s.setFormatPattern(8, "ignored");
    s.setFormatPattern(-1, "ignored");
}

}  // namespace
}  // namespace td
