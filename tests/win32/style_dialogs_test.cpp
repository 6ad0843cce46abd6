// The theme, HTML style and duplicates dialogs opened by their commands in
// the playlist window and driven by messages; the duplicates mode of the
// list; and the dialogs used from the keyboard alone.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "win32/dialog_driver.h"
#include "window/row_image.h"
#include "wizards/duplicates.h"

namespace td {
namespace {

using test::Check;
using test::Choose;
using test::DialogText;
using test::Press;
using test::Type;
using test::WindowText;

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

// --- Theme Color -----------------------------------------------------------------

TEST_F(StyleDialogsTest, ThemeColorStoresTheThemeItsColoursAndPackagesOnOkOnly) {
    open();
    const uint32_t classicBackground = settings_->themes[1].background;
    prompter_.colorAnswers = {0x123456};
    run(IDM_THEME_COLORS_KEY, [&](HWND dialog) {
        // Theme 0 follows the system colours: they cannot be edited.
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_THEME_COLOR_FIRST)));
        Choose(dialog, IDC_THEME_LIST, 1);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_THEME_COLOR_FIRST)));
        Press(dialog, IDC_THEME_COLOR_FIRST + 1);
        Choose(dialog, IDC_THEME_RATING_LIST, 3);
        Press(dialog, IDCANCEL);
    });
    ASSERT_EQ(prompter_.colorRequests.size(), 1u);
    EXPECT_EQ(prompter_.colorRequests[0], classicBackground);
    EXPECT_EQ(settings_->themeIndex, 0);
    EXPECT_EQ(settings_->themes[1].background, classicBackground);
    EXPECT_EQ(settings_->ratingPackage, 0);

    prompter_.colorAnswers = {0x123456};
    run(IDM_THEME_COLORS, [&](HWND dialog) {
        Choose(dialog, IDC_THEME_LIST, 1);
        Press(dialog, IDC_THEME_COLOR_FIRST + 1);
        Choose(dialog, IDC_THEME_ICON_LIST, 1);
        Choose(dialog, IDC_THEME_RATING_LIST, 4);
        Press(dialog, IDOK);
    });
    // The list takes the theme at once.
    EXPECT_EQ(static_cast<uint32_t>(SendMessageA(window_->listView(), LVM_GETBKCOLOR, 0, 0)), 0x123456u);
    const Settings again = reloaded();
    EXPECT_EQ(again.themeIndex, 1);
    EXPECT_EQ(again.themes[1].background, 0x123456u);
    EXPECT_EQ(again.iconPackage, 1);
    EXPECT_EQ(again.ratingPackage, 4);
}

TEST_F(StyleDialogsTest, TheRealColourChooserIsOwnedByTheThemeDialogAndItsCancelKeepsTheColour) {
    open(true);
    const uint32_t before = settings_->themes[1].text;
    HWND theme = nullptr;
    std::vector<HWND> chooserOwners;
    run(IDM_THEME_COLORS, [&](HWND dialog) {
        theme = dialog;
        Choose(dialog, IDC_THEME_LIST, 1);
        for (int answer : {IDCANCEL, IDOK}) {
            test::WhenDialogShows(dialog, [&, answer](HWND chooser) {
                chooserOwners.push_back(GetWindow(chooser, GW_OWNER));
                Press(chooser, answer);
            });
            Press(dialog, IDC_THEME_COLOR_FIRST);
            EXPECT_TRUE(test::AllShown());
        }
        Press(dialog, IDOK);
    });
    ASSERT_EQ(chooserOwners.size(), 2u);
    EXPECT_EQ(chooserOwners[0], theme);
    EXPECT_EQ(chooserOwners[1], theme);
    EXPECT_EQ(settings_->themeIndex, 1);
    EXPECT_EQ(settings_->themes[1].text, before);
}

// --- HTML CSS class editor -----------------------------------------------------------

TEST_F(StyleDialogsTest, HtmlClassEditorRefusesBadHexStoresOnOkAndTheExportUsesIt) {
    writeStartFile({60});
    open();
    const HtmlTemplate before = settings_->htmlTemplates[2];
    prompter_.colorAnswers = {0xABCDEF};
    run(IDM_HTML_CLASSES_KEY, [&](HWND dialog) {
        EXPECT_EQ(DialogText(dialog, IDC_HTML_COLOR_FIRST), "FFBF00");
        // A letter is refused as it is typed, a short value on OK.
        Type(dialog, IDC_HTML_COLOR_FIRST, "12345G");
        EXPECT_EQ(prompter_.shown.size(), 1u);
        Type(dialog, IDC_HTML_COLOR_FIRST, "00FF");
        Press(dialog, IDOK);
        EXPECT_EQ(prompter_.shown.size(), 2u);
        EXPECT_TRUE(IsWindowVisible(dialog));
        Type(dialog, IDC_HTML_COLOR_FIRST, "102030");
        Choose(dialog, IDC_HTML_TEMPLATE, 2);
        Press(dialog, IDC_HTML_PICK_FIRST + 8);
        EXPECT_EQ(DialogText(dialog, IDC_HTML_COLOR_FIRST + 8), "EFCDAB");
        Choose(dialog, IDC_HTML_STYLE_FIRST + 1, 3);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(prompter_.shown.size(), 2u);
    EXPECT_EQ(settings_->htmlTemplate, 2);
    EXPECT_EQ(settings_->htmlTemplates[0].textPage.textColor, 0x302010u);
    EXPECT_EQ(settings_->htmlTemplates[2].hyperlinkColor, 0xABCDEFu);
    EXPECT_EQ(settings_->htmlTemplates[2].titlePage.fontStyle, 3);
    EXPECT_EQ(settings_->htmlTemplates[2].columnHeader.textColor, before.columnHeader.textColor);

    // Cancel keeps the template in use and every colour.
    run(IDM_HTML_CLASSES, [&](HWND dialog) {
        EXPECT_EQ(DialogText(dialog, IDC_HTML_TEMPLATE), "New-York");
        Type(dialog, IDC_HTML_COLOR_FIRST + 4, "FFFFFF");
        Choose(dialog, IDC_HTML_TEMPLATE, 5);
        Press(dialog, IDCANCEL);
    });
    const Settings again = reloaded();
    EXPECT_EQ(again.htmlTemplate, 2);
    EXPECT_EQ(again.htmlTemplates[2].columnHeader.textColor, before.columnHeader.textColor);
    EXPECT_EQ(again.htmlTemplates[2].hyperlinkColor, 0xABCDEFu);

    // The HTML export writes the template chosen.
    prompter_.chooseFiles({dir_.Path("page")}, 1);
    EXPECT_TRUE(window_->command(IDM_EXPORT));
    const std::string page = test::ReadBytes(dir_.Path("page.html"));
    EXPECT_NE(page.find("<body class=\"TextPage\" link=#EFCDAB>"), std::string::npos);
    EXPECT_NE(page.find(".TitlePage {font-family:\"Times New Roman\", Times, serif; font-size:x-small; "
                        "font-style:italic; font-weight:bold;"),
              std::string::npos);
}

// --- Find duplicates -----------------------------------------------------------------

TEST_F(StyleDialogsTest, DuplicatesOptionsRefuseBadValuesAndCancelLeavesTheList) {
    writeStartFile({200, 300, 204, 500});
    open();
    selectRows({1, 3});
    run(IDM_FIND_DUPLICATES, [&](HWND dialog) {
        EXPECT_EQ(DialogText(dialog, IDC_DUP_SECONDS), "5");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_DUP_SECONDS)));
        Press(dialog, IDOK);  // no field chosen
        Check(dialog, IDC_DUP_FIELD_FIRST + 3, true);
        Press(dialog, IDC_DUP_FIELD_FIRST + 3);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_DUP_SECONDS)));
        Type(dialog, IDC_DUP_SECONDS, "x");
        Press(dialog, IDOK);
        Check(dialog, IDC_DUP_FIELD_FIRST + 4, true);
        Press(dialog, IDC_DUP_FIELD_FIRST + 4);
        Type(dialog, IDC_DUP_SECONDS, "4");
        Type(dialog, IDC_DUP_PERCENT, "94");
        Press(dialog, IDOK);
        EXPECT_EQ(prompter_.shown.size(), 3u);
        EXPECT_TRUE(IsWindowVisible(dialog));
        Press(dialog, IDCANCEL);
    });
    // Nothing refused was stored, and Cancel leaves the mode off and the
    // list as it was.
    EXPECT_EQ(settings_->duplicateFields, 0u);
    EXPECT_EQ(settings_->duplicateSeconds, 5);
    EXPECT_EQ(settings_->duplicatePercent, 95);
    EXPECT_EQ(itemCount(), 4);
    EXPECT_TRUE(window_->view().isSelected(1));
    EXPECT_TRUE(window_->view().isSelected(3));
    EXPECT_FALSE(duplicatesChecked());
}

TEST_F(StyleDialogsTest, DuplicatesModeShowsTheDuplicatesAndTurningItOffRestoresListAndSelection) {
    writeStartFile({200, 300, 204, 500});
    open();
    selectRows({1, 3});
    run(IDM_FIND_DUPLICATES, [&](HWND dialog) {
        Check(dialog, IDC_DUP_FIELD_FIRST + 3, true);
        Press(dialog, IDC_DUP_FIELD_FIRST + 3);
        Type(dialog, IDC_DUP_SECONDS, "4");
        Press(dialog, IDOK);
    });
    EXPECT_TRUE(prompter_.shown.empty());
    ASSERT_EQ(itemCount(), 2);
    EXPECT_EQ(window_->view().entryAt(0)->GetFileName(), "C:\\music\\song0.mp3");
    EXPECT_EQ(window_->view().entryAt(1)->GetFileName(), "C:\\music\\song2.mp3");
    EXPECT_EQ(rowImage(0), kDuplicateImage);
    EXPECT_EQ(rowImage(1), kDuplicateImage);
    EXPECT_EQ(window_->statusText(0), window_->view().statusText(0));
    EXPECT_TRUE(duplicatesChecked());
    const Settings again = reloaded();
    EXPECT_EQ(again.duplicateFields, static_cast<uint32_t>(kDuplicateLength));
    EXPECT_EQ(again.duplicateSeconds, 4);

    // Used again, the command opens no dialog: the full list returns with
    // the rows selected before.
    EXPECT_TRUE(window_->command(IDM_FIND_DUPLICATES));
    EXPECT_EQ(itemCount(), 4);
    EXPECT_FALSE(window_->view().isSelected(0));
    EXPECT_TRUE(window_->view().isSelected(1));
    EXPECT_TRUE(window_->view().isSelected(3));
    EXPECT_EQ(ListView_GetSelectedCount(window_->listView()), 2u);
    EXPECT_NE(rowImage(0), kDuplicateImage);
    EXPECT_FALSE(duplicatesChecked());
}

// --- the keyboard alone ----------------------------------------------------------------

TEST_F(StyleDialogsTest, DialogsOpenByTheirKeysAndWorkWithTabTypingEnterAndEscape) {
    writeStartFile({200, 204});
    open();
    // Ctrl+H, Tab to the body text colour, six digits, Enter.
    runKey('H', test::kCtrl, [&](HWND dialog) {
        HWND focus = GetFocus();
        EXPECT_EQ(GetDlgCtrlID(focus), IDC_HTML_TEMPLATE);
        test::PressKey(VK_TAB, test::kNoMods, dialog);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_HTML_COLOR_FIRST);
        test::TypeChars("AABBCC", dialog);
        test::PressKey(VK_RETURN, test::kNoMods, dialog);
    });
    EXPECT_EQ(settings_->htmlTemplates[0].textPage.textColor, 0xCCBBAAu);
    // Alt+S, a theme chosen with the arrow key, then Escape: nothing changes.
    runKey('S', test::kAlt, [&](HWND dialog) {
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_THEME_LIST);
        test::PressKey(VK_DOWN, test::kNoMods, dialog);
        test::PressKey(VK_ESCAPE, test::kNoMods, dialog);
    });
    EXPECT_EQ(settings_->themeIndex, 0);
}

TEST_F(StyleDialogsTest, DuplicatesFromTheKeyboardWithItsMessageBoxOwnedByTheDialog) {
    writeStartFile({200, 300, 204});
    open(true);
    HWND boxOwner = nullptr;
    HWND options = nullptr;
    std::string boxText;
    run(IDM_FIND_DUPLICATES, [&](HWND dialog) {
        options = dialog;
        // Alt+L checks the length box (its mnemonic), Tab reaches its number.
        test::PressKey('L', test::kAlt, dialog);
        EXPECT_TRUE(IsDlgButtonChecked(dialog, IDC_DUP_FIELD_FIRST + 3));
        test::PressKey(VK_TAB, test::kNoMods, dialog);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_DUP_SECONDS);
        test::TypeChars("61", dialog);
        test::WhenDialogShows(dialog, [&](HWND box) {
            boxOwner = GetWindow(box, GW_OWNER);
            boxText = DialogText(box, 0xFFFF);
            test::PressKey(VK_RETURN, test::kNoMods, box);
        });
        test::PressKey(VK_RETURN, test::kNoMods, dialog);
        test::PumpUntil(test::AllShown);
        EXPECT_TRUE(IsWindowVisible(dialog));
        SetFocus(GetDlgItem(dialog, IDC_DUP_SECONDS));
        SendDlgItemMessageA(dialog, IDC_DUP_SECONDS, EM_SETSEL, 0, -1);
        test::TypeChars("3", dialog);
        test::PressKey(VK_RETURN, test::kNoMods, dialog);
    });
    EXPECT_NE(options, nullptr);
    EXPECT_EQ(boxOwner, options);
    EXPECT_EQ(boxText, "Time value error: Enter number between 0 to 60");
    EXPECT_EQ(settings_->duplicateSeconds, 3);
    EXPECT_EQ(itemCount(), 0);
}

// --- mnemonics ---------------------------------------------------------------------------

// The underlined letters of the dialog's controls, each with the controls
// that have it.
std::map<char, std::vector<std::string>> Mnemonics(HWND dialog) {
    std::map<char, std::vector<std::string>> letters;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = {};
        GetClassNameA(child, name, sizeof name);
        if (_stricmp(name, "Button") != 0 && _stricmp(name, "Static") != 0) continue;
        const std::string text = WindowText(child);
        for (size_t i = 0; i + 1 < text.size(); ++i) {
            if (text[i] != '&') continue;
            if (text[i + 1] == '&') {
                ++i;
                continue;
            }
            letters[static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])))].push_back(text);
            break;
        }
    }
    return letters;
}

TEST_F(StyleDialogsTest, NoTwoControlsOfADialogShareAnUnderlinedLetterButTheBuiltInPairs) {
    const std::string french = test::ReadBytes(std::string(TD_TESTS_DIR) + "/../lang/French.lang.kqp");
    ASSERT_FALSE(french.empty());
    ASSERT_TRUE(test::WriteBytes(dir_.Path("French.lang.kqp"), french));
    lang_->scanLanguages(settings_->language());
    open();
    const int commands[] = {IDM_OPTIONS,      IDM_RESET,           IDM_COLUMNS,
                            IDM_THEME_COLORS, IDM_HTML_CLASSES,    IDM_PLAYLIST_INFO,
                            IDM_MEDIA_WIZARD, IDM_FIND_DUPLICATES, IDM_ABOUT};
    for (int language = 0; language < lang_->languageCount(); ++language) {
        EXPECT_TRUE(window_->command(IDM_LANGUAGE_FIRST + language));
        for (int command : commands) {
            run(command, [&](HWND dialog) {
                for (const auto& letter : Mnemonics(dialog)) {
                    // The built-in English texts share two letters; Windows
                    // then moves between the controls on each press.
                    const std::vector<std::string>& texts = letter.second;
                    const bool builtIn = texts == std::vector<std::string>{"&Table format", "&Tunedeck"} ||
                                         texts == std::vector<std::string>{"A&dd all >>", "&Down"};
                    if (language == 0 && builtIn) continue;
                    EXPECT_EQ(letter.second.size(), 1u)
                        << lang_->currentName() << ": '" << letter.first << "' in " << letter.second[0]
                        << " and " << letter.second[1];
                }
                Press(dialog, IDCANCEL);
            });
        }
    }
    EXPECT_EQ(lang_->languageCount(), 2);
}

}  // namespace
}  // namespace td
