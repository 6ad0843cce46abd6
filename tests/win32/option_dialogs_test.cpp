// The option dialogs opened by their commands in the playlist window, driven
// by messages (win32/dialog_driver.h).
#include <gtest/gtest.h>

#include <string>

#include "win32/dialog_driver.h"

namespace td {
namespace {

using test::Check;
using test::Press;

std::string Text(HWND dialog, int control) { return test::DialogText(dialog, control); }

class OptionDialogsTest : public test::DialogWindowTest {};

TEST_F(OptionDialogsTest, OptionDialogShowsAndStoresItsChoices) {
    open();
    run(IDM_OPTIONS_KEY, [&](HWND dialog) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_OPT_CLICK_PLAY), static_cast<UINT>(BST_CHECKED));
        Check(dialog, IDC_OPT_HTML_LINK, true);
        Check(dialog, IDC_OPT_LOAD_OWN, false);
        Check(dialog, IDC_OPT_LOAD_HOST, true);
        Check(dialog, IDC_OPT_CLICK_PLAY, false);
        Check(dialog, IDC_OPT_CLICK_EDIT, true);
        Press(dialog, IDOK);
    });
    const Settings again = reloaded();
    EXPECT_EQ(again.htmlHyperlink, 1);
    EXPECT_EQ(again.loadOnStartup, 1);
    EXPECT_EQ(again.doubleClickAction, 2);
}

TEST_F(OptionDialogsTest, MediaWizardSelectsWhatFitsACustomLength) {
    writeStartFile({300, 100, 200});
    open();
    settings_->wizardLength = 1;
    run(IDM_MEDIA_WIZARD_KEY, [&](HWND dialog) {
        Check(dialog, IDC_WIZARD_FIRST + 1, false);
        Check(dialog, IDC_WIZARD_CUSTOM, true);
        Press(dialog, IDC_WIZARD_CUSTOM);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_WIZARD_MINUTES)));
        SetDlgItemTextA(dialog, IDC_WIZARD_MINUTES, "10");
        Press(dialog, IDOK);
    });
    EXPECT_EQ(settings_->wizardLength, 6);
    EXPECT_FALSE(window_->view().isSelected(0));
    EXPECT_TRUE(window_->view().isSelected(1));
    EXPECT_TRUE(window_->view().isSelected(2));
}

TEST_F(OptionDialogsTest, ResetRestoresTheCheckedGroupAndSavesAtOnce) {
    open();
    settings_->setFormatPattern(1, "%T");
    settings_->themeIndex = 3;
    run(IDM_RESET, [&](HWND dialog) {
        Check(dialog, IDC_RESET_TOOLS, true);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(prompter_.shown.size(), 1u);  // the question before the reset
    Settings saved(dir_.path());
    ASSERT_TRUE(saved.load());
    EXPECT_EQ(saved.formatPattern(1), "%A - %T");
    EXPECT_EQ(saved.themeIndex, 3);
}

void PickAvailable(HWND dialog, const char* title) {
    const LRESULT index = SendDlgItemMessageA(dialog, IDC_COL_AVAILABLE, LB_FINDSTRINGEXACT,
                                              static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(title));
    SendDlgItemMessageA(dialog, IDC_COL_AVAILABLE, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

TEST_F(OptionDialogsTest, ColumnsRebuildsTheListOnOk) {
    writeStartFile({60});
    open();
    run(IDM_COLUMNS_KEY, [&](HWND dialog) {
        Press(dialog, IDC_COL_REMOVE_ALL);
        PickAvailable(dialog, "Title");
        Press(dialog, IDC_COL_ADD);
        PickAvailable(dialog, "Time");
        Press(dialog, IDC_COL_ADD);
        Press(dialog, IDC_COL_UP);
        SendDlgItemMessageA(dialog, IDC_COL_VIEW, CB_SETCURSEL, 1, 0);
        Check(dialog, IDC_COL_GRID, true);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(window_->view().columnIdAt(0), kColumnTime);
    EXPECT_EQ(window_->view().columnIdAt(1), kColumnTitle);
    HWND header = reinterpret_cast<HWND>(SendMessageA(window_->listView(), LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 2);
    const Settings again = reloaded();
    EXPECT_EQ(again.columnOrder[0], kColumnTime);
    EXPECT_EQ(again.viewInfoFrom, 1);
    EXPECT_EQ(again.showGrid, 1);
}

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* chars = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (chars) {
        text = chars;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST_F(OptionDialogsTest, InformationReportsTheSelectionOrTheListAndCopiesWhatItShows) {
    writeStartFile({60, 120, 185});
    open();
    selectRows({1, 2});
    std::string report;
    run(IDM_PROPERTIES_KEY, [&](HWND dialog) {
        report = Text(dialog, IDC_INFO_REPORT);
        Press(dialog, IDCANCEL);
    });
    EXPECT_NE(report.find("Total files: 2\r\n"), std::string::npos);
    run(IDM_PLAYLIST_INFO_KEY, [&](HWND dialog) {
        report = Text(dialog, IDC_INFO_REPORT);
        Press(dialog, IDC_INFO_COPY);
        Press(dialog, IDOK);
    });
    EXPECT_NE(report.find("Total files: 3\r\n"), std::string::npos);
    EXPECT_EQ(ClipboardText(), report);
    EXPECT_TRUE(prompter_.shown.empty());
}

TEST_F(OptionDialogsTest, AboutShowsTheShortcutsOnHelp) {
    open();
    run(IDM_ABOUT_KEY, [&](HWND dialog) {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_ABOUT_SHORTCUTS)));
        Press(dialog, IDC_ABOUT_HELP);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_ABOUT_SHORTCUTS)));
        Press(dialog, IDCANCEL);
    });
}

}  // namespace
}  // namespace td
