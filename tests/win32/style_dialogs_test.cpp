// The theme, HTML style and duplicates dialogs opened by their commands or
// keys in the playlist window and driven by messages and keys; the
// duplicates mode of the list. The values each dialog refuses are the
// dialog models' tests' business.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/dialog_driver.h"
#include "window/row_image.h"
#include "wizards/duplicates.h"

namespace td {
namespace {

using test::Choose;
using test::DialogText;
using test::Press;

class StyleDialogsTest : public test::DialogWindowTest {
protected:
    // Whether "Find duplicates" is checked in the list's context menu.
    bool duplicatesChecked() {
        bool checked = false;
        test::WhenWindowShows("#32768", nullptr, [&](HWND menu) {
            HMENU handle = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
            checked = (GetMenuState(handle, IDM_FIND_DUPLICATES, MF_BYCOMMAND) & MF_CHECKED) != 0;
            EndMenu();
        });
        harness_->pump(50);
        SendMessageA(window_->hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window_->listView()),
                     static_cast<LPARAM>(-1));
        EXPECT_TRUE(test::WindowShown()) << "the context menu never showed";
        return checked;
    }
};

TEST_F(StyleDialogsTest, ThemeColorStoresTheThemeAndPackagesAndItsRealColourChooserIsOwnedByIt) {
    open(true);
    const uint32_t before = settings_->themes[1].background;
    HWND theme = nullptr;
    HWND chooserOwner = nullptr;
    run(IDM_THEME_COLORS, [&](HWND dialog) {
        theme = dialog;
        Choose(dialog, IDC_THEME_LIST, 1);
        test::WhenDialogShows(dialog, [&](HWND chooser) {
            chooserOwner = GetWindow(chooser, GW_OWNER);
            Press(chooser, IDCANCEL);
        });
        Press(dialog, IDC_THEME_COLOR_FIRST + 1);
        EXPECT_TRUE(test::AllShown());
        Choose(dialog, IDC_THEME_ICON_LIST, 1);
        Choose(dialog, IDC_THEME_RATING_LIST, 4);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(chooserOwner, theme);
    // The list takes the theme at once; the chooser's Cancel kept the colour.
    EXPECT_EQ(static_cast<uint32_t>(SendMessageA(window_->listView(), LVM_GETBKCOLOR, 0, 0)), before);
    const Settings again = reloaded();
    EXPECT_EQ(again.themeIndex, 1);
    EXPECT_EQ(again.themes[1].background, before);
    EXPECT_EQ(again.iconPackage, 1);
    EXPECT_EQ(again.ratingPackage, 4);
}

TEST_F(StyleDialogsTest, HtmlStyleOpensByItsKeyAndWorksWithTabTypingAndEnter) {
    writeStartFile({200, 204});
    open();
    prompter_.colorAnswers = {0xABCDEF};
    // Ctrl+H, Tab to the body text colour, six digits, another template with
    // a picked colour and a font style, Enter.
    runKey('H', test::kCtrl, [&](HWND dialog) {
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_HTML_TEMPLATE);
        test::PressKey(VK_TAB, test::kNoMods, dialog);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_HTML_COLOR_FIRST);
        test::TypeChars("AABBCC", dialog);
        Choose(dialog, IDC_HTML_TEMPLATE, 2);
        Press(dialog, IDC_HTML_PICK_FIRST + 8);
        EXPECT_EQ(DialogText(dialog, IDC_HTML_COLOR_FIRST + 8), "EFCDAB");
        Choose(dialog, IDC_HTML_STYLE_FIRST + 1, 3);
        test::PressKey(VK_RETURN, test::kNoMods, dialog);
    });
    EXPECT_EQ(settings_->htmlTemplate, 2);
    EXPECT_EQ(settings_->htmlTemplates[0].textPage.textColor, 0xCCBBAAu);
    EXPECT_EQ(settings_->htmlTemplates[2].hyperlinkColor, 0xABCDEFu);
    EXPECT_EQ(settings_->htmlTemplates[2].titlePage.fontStyle, 3);
}

TEST_F(StyleDialogsTest, DuplicatesFromTheKeyboardShowTheDuplicatesAndUsedAgainRestoreListAndSelection) {
    writeStartFile({200, 300, 204, 500});
    open(true);
    selectRows({1, 3});
    // Cancelled, the list stays whole.
    run(IDM_FIND_DUPLICATES, [](HWND dialog) { Press(dialog, IDCANCEL); });
    EXPECT_EQ(itemCount(), 4);
    HWND boxOwner = nullptr;
    HWND options = nullptr;
    run(IDM_FIND_DUPLICATES, [&](HWND dialog) {
        options = dialog;
        // Alt+L checks the length box (its mnemonic), Tab reaches its number.
        test::PressKey('L', test::kAlt, dialog);
        test::PressKey(VK_TAB, test::kNoMods, dialog);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_DUP_SECONDS);
        test::TypeChars("61", dialog);
        // Too many seconds: a real message box, owned by the dialog.
        test::WhenDialogShows(dialog, [&](HWND box) {
            boxOwner = GetWindow(box, GW_OWNER);
            test::PressKey(VK_RETURN, test::kNoMods, box);
        });
        test::PressKey(VK_RETURN, test::kNoMods, dialog);
        test::PumpUntil(test::AllShown);
        EXPECT_TRUE(IsWindowVisible(dialog));
        SetFocus(GetDlgItem(dialog, IDC_DUP_SECONDS));
        SendDlgItemMessageA(dialog, IDC_DUP_SECONDS, EM_SETSEL, 0, -1);
        test::TypeChars("4", dialog);
        test::PressKey(VK_RETURN, test::kNoMods, dialog);
    });
    EXPECT_NE(options, nullptr);
    EXPECT_EQ(boxOwner, options);
    ASSERT_EQ(itemCount(), 2);
    EXPECT_EQ(window_->view().entryAt(1)->GetFileName(), "C:\\music\\song2.mp3");
    EXPECT_EQ(rowImage(1), kDuplicateImage);
    EXPECT_TRUE(duplicatesChecked());
    EXPECT_EQ(reloaded().duplicateSeconds, 4);

    // Used again, the command opens no dialog: the full list returns with
    // the rows selected before.
    EXPECT_TRUE(window_->command(IDM_FIND_DUPLICATES));
    EXPECT_EQ(itemCount(), 4);
    EXPECT_TRUE(window_->view().isSelected(1));
    EXPECT_TRUE(window_->view().isSelected(3));
    EXPECT_EQ(ListView_GetSelectedCount(window_->listView()), 2u);
    EXPECT_NE(rowImage(0), kDuplicateImage);
    EXPECT_FALSE(duplicatesChecked());
}

}  // namespace
}  // namespace td
