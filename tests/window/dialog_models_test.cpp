// The dialogs' data objects: what reaches the Settings on OK, that nothing
// does on Cancel or on a refused OK, and the messages of refused values.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/volume.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "tests/support/recording_prompter.h"
#include "window/dialogs/about_dialog_model.h"
#include "window/dialogs/columns_dialog_model.h"
#include "window/dialogs/duplicates_dialog_model.h"
#include "window/dialogs/explorer_options_dialog_model.h"
#include "window/dialogs/html_style_dialog_model.h"
#include "window/dialogs/media_wizard_dialog_model.h"
#include "window/dialogs/options_dialog_model.h"
#include "window/dialogs/reset_dialog_model.h"
#include "window/dialogs/theme_dialog_model.h"
#include "window/dialogs/tool_page_model.h"
#include "window/dialogs/volume_info_dialog_model.h"
#include "window/test_songs.h"
#include "wizards/duplicates.h"
#include "wizards/media_wizard.h"

namespace td {
namespace {

using namespace test;

// Edits a dialog's model as a user would; commits it (OK) when asked.
// Returns what OK returned (true without a commit).
using DialogRun = std::function<bool(Settings&, Prompter&, bool commit)>;

struct DialogCase {
    const char* name;
    DialogRun run;
    std::function<bool(const Settings&)> stored;  // the edit reached the settings
};

const std::vector<DialogCase>& EditingCases() {
    static const std::vector<DialogCase> cases = {
        {"options",
         [](Settings& s, Prompter& p, bool commit) {
             OptionsDialogModel m(s);
             m.htmlListing = 1;
             m.doubleClickAction = 0;
             return !commit || m.ok(s, p);
         },
         [](const Settings& s) {
             // and the boxes left alone keep what they showed
             return s.htmlListing == 1 && s.doubleClickAction == 0 && s.exportSelectedOnly == 1 &&
                    s.exportBothTags == 1 && s.loadOnStartup == 1 && s.htmlHyperlink == 1 &&
                    OptionsDialogModel(s).htmlListing == 1;
         }},
        {"columns",
         [](Settings& s, Prompter& p, bool commit) {
             ColumnsDialogModel m(s);
             m.remove(0);
             m.add(0);
             m.viewInfoFrom = 3;
             m.showGrid = true;
             m.showNumber = false;
             return !commit || m.ok(s, p);
         },
         [](const Settings& s) {
             return s.columnOrder[0] == 1 && s.columnVisible[kColumnVolume] == 1 &&
                    s.columnVisible[kColumnArtist] == 0 && s.viewInfoFrom == 3 && s.showGrid == 1 &&
                    s.showNumber == 0 && !ColumnsDialogModel(s).showNumber;
         }},
        {"theme",
         [](Settings& s, Prompter& p, bool commit) {
             ThemeDialogModel m(s);
             m.themeIndex = 1;
             m.setColor(0, 0xFF123456u);
             m.ratingPackage = 10;
             return !commit || m.ok(s, p);
         },
         [](const Settings& s) {
             return s.themeIndex == 1 && s.themes[1].text == 0x123456u && s.ratingPackage == 10;
         }},
        {"html styles",
         [](Settings& s, Prompter& p, bool commit) {
             HtmlStyleDialogModel m(s);
             m.templateIndex = 3;
             m.setColorText(kHtmlLinkColorSlot, "ff8000", p);
             m.setColorText(3, "00ff00", p);  // the title's background
             m.setFont(1, 3, 2, 6);
             m.setFont(0, 3, 2, 5);
             // the box shows the colour as it reads it: red, green, blue
             return hexColorText(m.color(kHtmlLinkColorSlot)) == "FF8000" &&
                    !m.setFont(kHtmlClassCount, 0, 0, 0) && (!commit || m.ok(s, p));
         },
         [](const Settings& s) {
             return s.htmlTemplate == 3 && s.htmlTemplates[3].hyperlinkColor == 0x0080FFu &&
                    s.htmlTemplates[3].titlePage.backgroundColor == 0x00FF00u &&
                    s.htmlTemplates[3].titlePage.textColor != 0x00FF00u &&
                    s.htmlTemplates[3].titlePage.fontSize == 6 && s.htmlTemplates[3].textPage.fontSize == 5;
         }},
        {"media wizard",
         [](Settings& s, Prompter& p, bool commit) {
             MediaWizardDialogModel m(s);
             m.choice = 6;
             m.customText = "999";
             // the minutes box is open to the custom choice
             return m.customEnabled() && (!commit || (m.ok(s, p) && m.targetSeconds() == 59940));
         },
         // and the dialog opens again on the choice stored
         [](const Settings& s) { return s.wizardLength == 6 && MediaWizardDialogModel(s).choice == 6; }},
        {"duplicates",
         [](Settings& s, Prompter& p, bool commit) {
             DuplicatesDialogModel m(s);
             m.fields = kDuplicateArtistTitle;
             const bool closed = !m.secondsEnabled() && !m.percentEnabled();
             m.fields = kDuplicateArtistTitle | kDuplicateLength | kDuplicateSize;
             m.secondsText = " 60 ";  // the box's spaces are not part of the number
             m.percentText = "100";
             // the number boxes are open only to the length and size they compare
             return closed && m.secondsEnabled() && m.percentEnabled() && (!commit || m.ok(s, p));
         },
         [](const Settings& s) {
             return s.duplicateFields == 25u && s.duplicateSeconds == 60 && s.duplicatePercent == 100;
         }},
        {"explorer options",
         [](Settings& s, Prompter& p, bool commit) {
             ExplorerOptionsDialogModel m(s);
             for (int c = 0; c < ExplorerOptionsDialogModel::kCategoryCount; ++c)
                 m.setShown(c, c == 6 || c == 0);
             // the boxes show what was set, the first and the last category's too
             return m.shown(6) && m.shown(0) && !m.shown(1) && (!commit || m.ok(s, p));
         },
         [](const Settings& s) { return s.explorerFields == 0x41u; }},
        {"reset",
         [](Settings& s, Prompter& p, bool commit) {
             ResetDialogModel m;
             m.tools = true;
             return m.categories() == kResetTools && (!commit || m.ok(s, p) == 1);
         },
         [](const Settings& s) { return s.formatPattern(1) == "%A - %T" && s.massTagVersions == 3u; }},
    };
    return cases;
}

// A record away from every default, so that each dialog's edit shows.
Settings EditedSettings() {
    Settings s;
    s.setFormatPattern(1, "%T");
    s.massTagVersions = 1;
    s.wizardLength = 2;
    s.doubleClickAction = 2;
    s.exportSelectedOnly = 1;
    s.exportBothTags = 1;
    s.loadOnStartup = 1;
    s.htmlHyperlink = 1;
    return s;
}

TEST(DialogModelTest, CancelChangesNothingAndOkStoresTheEdits) {
    LangTable::useBuiltinEnglish();
    for (const DialogCase& c : EditingCases()) {
        SCOPED_TRACE(c.name);
        Settings settings = EditedSettings();
        const std::string before = settings.toBytes();
        RecordingPrompter prompter;
        c.run(settings, prompter, false);
        EXPECT_TRUE(settings.toBytes() == before);
        EXPECT_TRUE(c.run(settings, prompter, true));
        EXPECT_TRUE(c.stored(settings));
        // What OK stored survives the settings file.
        Settings reloaded;
        ASSERT_TRUE(reloaded.fromBytes(settings.toBytes().data(), kSettingsFileSize));
        EXPECT_TRUE(c.stored(reloaded));
    }
}

struct RefusedCase {
    const char* name;
    std::function<bool(Settings&, Prompter&)> ok;
    const char* message;
};

bool HexOk(Settings& s, Prompter& p, const char* text) {
    HtmlStyleDialogModel m(s);
    m.templateIndex = 5;
    // A box the dialog refuses keeps it open: OK is not reached.
    return m.setColorText(0, text, p) && m.ok(s, p);
}

TEST(DialogModelTest, RefusedValuesShowTheDialogsMessageAndStoreNothing) {
    LangTable::useBuiltinEnglish();
    const std::vector<RefusedCase> cases = {
        {"no column",
         [](Settings& s, Prompter& p) {
             ColumnsDialogModel m(s);
             m.viewInfoFrom = 2;
             m.removeAll();
             return m.ok(s, p);
         },
         "At least 1 column must be present !!!"},
        {"hex letter", [](Settings& s, Prompter& p) { return HexOk(s, p, "12345G"); },
         "Input is not a valid hexnumber"},
        {"hex short", [](Settings& s, Prompter& p) { return HexOk(s, p, "12345"); }, "Error in hexvalue !!!"},
        {"no custom minutes",
         [](Settings& s, Prompter& p) {
             MediaWizardDialogModel m(s);
             m.choice = kWizardCustomChoice;
             m.customText = "0";
             return m.ok(s, p);
         },
         "Please custom time must be a number not null !!!"},
        // The fields are taken before the seconds are checked: a refused OK stores no field.
        {"seconds out of range",
         [](Settings& s, Prompter& p) {
             DuplicatesDialogModel m(s);
             m.fields = kDuplicateGenre | kDuplicateLength;
             m.secondsText = "61";
             return m.ok(s, p);
         },
         "Time value error: Enter number between 0 to 60"},
        {"no explorer category",
         [](Settings& s, Prompter& p) {
             ExplorerOptionsDialogModel m(s);
             for (int c = 0; c < ExplorerOptionsDialogModel::kCategoryCount; ++c) m.setShown(c, false);
             return m.ok(s, p);
         },
         "Choose at least 1 field must be present !!!"},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.name);
        Settings settings;
        const std::string before = settings.toBytes();
        RecordingPrompter prompter;
        EXPECT_FALSE(c.ok(settings, prompter));
        EXPECT_TRUE(settings.toBytes() == before);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, c.message);
    }
}

TEST(DialogModelTest, ColumnListsMoveColumnsAndOkKeepsTheAvailableOrderAfterTheSelected) {
    Settings settings;
    ColumnsDialogModel m(settings);
    ASSERT_EQ(m.selected().size(), 16u);
    EXPECT_EQ(m.available(), (std::vector<int>{16, 17, 18, 19}));
    EXPECT_EQ(m.moveUp(0), 0);
    EXPECT_EQ(m.moveDown(15), 15);
    EXPECT_EQ(m.moveDown(0), 1);
    EXPECT_EQ(m.moveDown(14), 15);  // to the last place
    EXPECT_EQ(m.moveDown(16), -1);  // past it
    EXPECT_EQ(m.moveUp(16), -1);
    EXPECT_EQ(m.add(3), 16);    // Rating to the end of the selected
    EXPECT_EQ(m.remove(2), 3);  // Genre to the end of the available
    EXPECT_EQ(m.add(9), -1);
    EXPECT_EQ(m.remove(-1), -1);
    EXPECT_EQ(m.moveUp(15), 14);  // Rating above Track
    RecordingPrompter prompter;
    ASSERT_TRUE(m.ok(settings, prompter));
    const std::vector<int32_t> order(settings.columnOrder, settings.columnOrder + kColumnCount);
    EXPECT_EQ(order,
              (std::vector<int32_t>{1, 0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 19, 14, 16, 17, 18, 2}));
    EXPECT_EQ(settings.columnVisible[kColumnGenre], 0);
    EXPECT_EQ(settings.columnVisible[kColumnRating], 1);
    m.addAll();
    EXPECT_TRUE(m.available().empty());
    EXPECT_EQ(m.selected().size(), 20u);
}

TEST(DialogModelTest, ThemeZeroFollowsTheSystemAndCannotBeEdited) {
    Settings settings;
    ThemeDialogModel m(settings);
    ASSERT_EQ(m.themeIndex, 0);
    EXPECT_FALSE(m.setColor(1, 0x00FF00u));
    m.themeIndex = 4;
    EXPECT_FALSE(m.setColor(7, 0x00FF00u));
    EXPECT_TRUE(m.setColor(6, 0xFF00FF00u));
    EXPECT_EQ(m.color(6), 0x00FF00u);
    EXPECT_EQ(m.color(7), 0u);
    m.themeIndex = kThemeCount;  // no such theme: OK refused
    RecordingPrompter prompter;
    EXPECT_FALSE(m.ok(settings, prompter));
    // The combo shows the names without the padding they are stored with.
    EXPECT_EQ(themeDisplayName(m.theme(2)), "Ocean");
    EXPECT_EQ(themeDisplayName(m.theme(0)), "Windows color");
    EXPECT_EQ(themeDisplayName(m.theme(kThemeCount)), "Windows color");  // no such theme
    // Each dialog opens on the last theme or template when that is the one stored.
    settings.themeIndex = kThemeCount - 1;
    EXPECT_EQ(ThemeDialogModel(settings).themeIndex, kThemeCount - 1);
    settings.htmlTemplate = kHtmlTemplateCount - 1;
    settings.htmlTemplates[kHtmlTemplateCount - 1].hyperlinkColor = 0x123456u;
    EXPECT_EQ(HtmlStyleDialogModel(settings).shown().hyperlinkColor, 0x123456u);
}

// The file list's context menu: the window's selection follows it.
TEST(DialogModelTest, ToolPageFileListPicksAllNoneOrTheOthers) {
    Playlist list;
    PlaylistView view(list);
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) view.appendRow(&AddSong(list, name));
    Settings settings;
    ToolPageModel m(view, settings, false);
    m.fill();
    m.setSelected({true});
    EXPECT_EQ(m.files().selected, (std::vector<bool>{true, false, false}));
    m.pick(ToolPageModel::Pick::Toggle);
    EXPECT_EQ(m.files().selected, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(view.selectedCount(), 2);
    EXPECT_FALSE(view.isSelected(0));
    m.pick(ToolPageModel::Pick::All);
    EXPECT_EQ(view.selectedCount(), 3);
    m.pick(ToolPageModel::Pick::None);
    EXPECT_EQ(view.selectedCount(), 0);
    // The pop-up menu's five case conversions come before the three character conversions.
    m.chooseConversion(7);
    EXPECT_EQ(settings.charConversion, 2);
    EXPECT_TRUE(m.conversionChecked(7));
}

TEST(DialogModelTest, AboutNamesProductAndVersionAndHelpLeadsBack) {
    LangTable::useBuiltinEnglish();
    PluginVersion version;
    version.major = 2;
    version.minor = 5;
    version.build = 7;
    AboutDialogModel m(version);
    EXPECT_EQ(m.title, "Tunedeck for Winamp v2.5 build 7");
    EXPECT_EQ(m.caption, "About Tunedeck for Winamp");
    m.toggleHelp();
    EXPECT_EQ(m.toggleLabel(), "<< About");
}

TEST(VolumeInfoDialogModelTest, RowsShowLabelKindAndCountAndSortByHeaderClicks) {
    LangTable::useBuiltinEnglish();
    Playlist playlist;
    const struct {
        const char* label;
        const char* root;
        uint32_t type;
        int count;
    } volumes[] = {{"music", "C:\\", kDriveFixed, 12}, {"Backup", "\\\\nas\\b\\", kDriveRemote, 3},
                   {"DISC", "E:\\", kDriveCdRom, 40},  {"Archive", "F:\\", 99, 7},
                   {"Live", "R:\\", kDriveRamDisk, 5}, {"Card", "G:\\", kDriveRemovable, 20}};
    for (const auto& v : volumes) {
        VolumeRecord record{};
        std::snprintf(record.label, sizeof record.label, "%s", v.label);
        std::snprintf(record.root, sizeof record.root, "%s", v.root);
        record.driveType = v.type;
        record.fileCount = v.count;
        playlist.appendVolume(&record);
    }
    VolumeInfoDialogModel m(playlist);
    EXPECT_EQ(m.text(0, 0), "music (C:\\)");
    EXPECT_EQ(m.text(3, 1), "Other drive");
    EXPECT_EQ(m.text(0, 2), "12");
    EXPECT_EQ(m.text(0, 3), "");
    const std::pair<uint32_t, const char*> kinds[] = {
        {kDriveUnknown, "Unknown drive"}, {kDriveRemovable, "Removable drive"}, {kDriveFixed, "Hard drive"},
        {kDriveRemote, "Network drive"},  {kDriveCdRom, "CDROM or DVDROM"},     {kDriveRamDisk, "Ram Drive"}};
    for (const auto& kind : kinds) {
        EXPECT_STREQ(LangTable::getString(VolumeInfoDialogModel::driveTypeText(kind.first)), kind.second);
    }

    m.clickColumn(0);  // column 0 was the sorted one: now descending
    EXPECT_TRUE(m.descending());
    EXPECT_EQ(m.rows()[0].label, "music");
    EXPECT_EQ(m.rows()[2].label, "DISC");
    m.clickColumn(2);  // another column keeps the direction
    EXPECT_EQ(m.rows()[0].fileCount, 40);
    EXPECT_EQ(m.rows()[5].fileCount, 3);
    m.clickColumn(2);
    EXPECT_EQ(m.rows()[0].fileCount, 3);
    m.clickColumn(1);
    EXPECT_EQ(m.rows()[0].driveType, kDriveCdRom);
    EXPECT_EQ(m.rows()[1].driveType, kDriveFixed);
}

}  // namespace
}  // namespace td
