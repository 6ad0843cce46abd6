// The option and style dialogs opened by their commands in the playlist
// window and driven by messages (win32/dialog_driver.h): each one's OK
// stores what was set through its controls and the window shows it, and
// Cancel changes nothing. The values each dialog refuses and how its
// controls interact are the dialog models' tests' business.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/dialog_driver.h"
#include "window/row_image.h"
#include "wizards/duplicates.h"

namespace td {
namespace {

using test::Press;

class OptionDialogsTest : public test::DialogWindowTest {
protected:
    // The settings file as saving the settings now writes it.
    std::string savedSettings() {
        EXPECT_TRUE(settings_->save());
        return test::ReadBytes(settings_->path());
    }

    // The settings as saved to their file and loaded again.
    Settings reloaded() {
        EXPECT_TRUE(settings_->save());
        Settings again(dir_.path());
        again.load();
        return again;
    }
};

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

// Each dialog shows the value its settings hold, Cancel changes nothing and
// OK stores what was set through its controls; the window shows the result.
TEST_F(OptionDialogsTest, CancelChangesNothingAndOkStoresWhatTheControlsSet) {
    writeStartFile({200, 300, 204, 500});
    open();
    const struct {
        int command;
        int control;  // changed through the dialog
        int item;     // the item chosen in a drop-down list; -1: the button clicked; -2: none
        int32_t SettingsRecord::*field;
        int32_t shown;   // the field's value when the dialog opens
        int32_t stored;  // its value after OK
    } dialogs[] = {
        {IDM_OPTIONS, IDC_OPT_HTML_LINK, -1, &SettingsRecord::htmlHyperlink, 1, 0},
        {IDM_COLUMNS, IDC_COL_GRID, -1, &SettingsRecord::showGrid, 1, 0},
        {IDM_THEME_COLORS, IDC_THEME_LIST, 1, &SettingsRecord::themeIndex, 3, 1},
        {IDM_HTML_CLASSES, IDC_HTML_TEMPLATE, 2, &SettingsRecord::htmlTemplate, 0, 2},
        {IDM_EXPLORER_OPTIONS, IDC_EXPLORER_FIRST, -1, nullptr, 0, 0},
        {IDM_VOLUME_INFO, 0, -2, nullptr, 0, 0},
        {IDM_ABOUT, IDC_ABOUT_HELP, -1, nullptr, 0, 0},
        {IDM_RESET, IDC_RESET_TOOLS, -1, nullptr, 0, 0},
        {IDM_MEDIA_WIZARD, IDC_WIZARD_FIRST + 1, -1, &SettingsRecord::wizardLength, 0, 1},
    };
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.command);
        if (d.field) {
            settings_.get()->*d.field = d.shown;
        }
        const std::string before = savedSettings();
        for (const int button : {IDCANCEL, IDOK}) {
            run(d.command, [&](HWND dialog) {
                if (d.item >= 0) {
                    SendDlgItemMessageA(dialog, d.control, CB_SETCURSEL, static_cast<WPARAM>(d.item), 0);
                    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(d.control, CBN_SELCHANGE),
                                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, d.control)));
                }
                if (d.item == -1) test::Click(dialog, d.control);
                Press(dialog, button);
            });
            if (button == IDCANCEL) {
                EXPECT_TRUE(savedSettings() == before) << "Cancel changed the settings";
            }
        }
        if (d.field) {
            EXPECT_EQ(reloaded().*d.field, d.stored);
        }
        EXPECT_EQ(itemCount(), 4);
    }
    // The list takes the theme chosen.
    EXPECT_EQ(static_cast<uint32_t>(SendMessageA(window_->listView(), LVM_GETBKCOLOR, 0, 0)),
              settings_->themes[1].background);
    // Only Reset asks, after its OK.
    EXPECT_EQ(prompter_.shown.size(), 1u);
    // The wizard's hour takes all four songs, and the list shows them chosen.
    EXPECT_EQ(ListView_GetSelectedCount(window_->listView()), 4u);

    // The report tells the selection, and Copy puts it on the clipboard.
    selectRows({1, 2});
    std::string report;
    run(IDM_PROPERTIES_KEY, [&](HWND dialog) {
        report = test::DialogText(dialog, IDC_INFO_REPORT);
        Press(dialog, IDC_INFO_COPY);
        Press(dialog, IDOK);
    });
    EXPECT_NE(report.find("Total files: 2\r\n"), std::string::npos);
    EXPECT_EQ(ClipboardText(), report);
}

// The duplicates dialog with the real message boxes: a refused value is
// told in a box the dialog owns and keeps it open; OK shows only the
// duplicates, and the command used again brings back the list and the
// selection it had.
TEST_F(OptionDialogsTest, DuplicatesShowTheDuplicatesAndUsedAgainRestoreListAndSelection) {
    writeStartFile({200, 300, 204, 500});
    open(true);
    selectRows({1, 3});
    HWND boxOwner = nullptr;
    HWND options = nullptr;
    run(IDM_FIND_DUPLICATES, [&](HWND dialog) {
        options = dialog;
        test::Click(dialog, IDC_DUP_FIELD_FIRST + 3);
        test::Type(dialog, IDC_DUP_SECONDS, "61");
        test::WhenDialogShows(dialog, [&](HWND box) {
            boxOwner = GetWindow(box, GW_OWNER);
            Press(box, IDOK);
        });
        Press(dialog, IDOK);
        EXPECT_TRUE(test::AllShown());
        EXPECT_TRUE(IsWindowVisible(dialog));
        test::Type(dialog, IDC_DUP_SECONDS, "4");
        Press(dialog, IDOK);
    });
    EXPECT_NE(options, nullptr);
    EXPECT_EQ(boxOwner, options);
    ASSERT_EQ(itemCount(), 2);
    EXPECT_EQ(rowImage(1), kDuplicateImage);
    EXPECT_EQ(reloaded().duplicateSeconds, 4);

    EXPECT_TRUE(window_->command(IDM_FIND_DUPLICATES));
    EXPECT_EQ(itemCount(), 4);
    EXPECT_TRUE(window_->view().isSelected(3));
    EXPECT_EQ(ListView_GetSelectedCount(window_->listView()), 2u);
}

}  // namespace
}  // namespace td
