// The style dialogs of the playlist window, Theme Color (179) and the HTML
// CSS class editor (144), and the Find duplicates options (157) with the
// duplicates mode of the list. Each runs over its portable model
// (window/dialogs/) through the one dialog procedure of model_dialog.h.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "playlist/export.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "window/dialogs/duplicates_dialog_model.h"
#include "window/dialogs/html_style_dialog_model.h"
#include "window/dialogs/theme_dialog_model.h"
#include "window/win32/gdi_handles.h"
#include "window/win32/model_dialog.h"
#include "window/win32/playlist_window_impl.h"
#include "wizards/duplicates.h"

namespace td {
namespace {

// --- Theme Color ---------------------------------------------------------------

// The language texts of the seven colour buttons, in the order of a theme's
// colours: text, background, alternate background, selected text and
// background, playing text and background.
const int kThemeColorTexts[kThemeColorCount] = {357, 359, 360, 361, 362, 370, 371};

struct ThemeRun {
    static constexpr INT_PTR kCancelResult = 0;
    ThemeDialogModel model;
    Settings& settings;
    Prompter& prompter;

    // The swatches show the chosen theme; its buttons follow whether its
    // colours may be edited.
    void showColors(HWND dialog) const {
        for (int slot = 0; slot < kThemeColorCount; ++slot) {
            enableControl(dialog, IDC_THEME_COLOR_FIRST + slot, model.colorsEditable());
            InvalidateRect(GetDlgItem(dialog, IDC_THEME_SWATCH_FIRST + slot), nullptr, TRUE);
        }
    }
    void show(HWND dialog) const {
        static const ControlText kTexts[] = {
            {IDC_THEME_LABEL, 355},        {IDC_THEME_COLORS_GROUP, 356},
            {IDC_THEME_ICON_GROUP, 367},   {IDC_THEME_ICON_LABEL, 368},
            {IDC_THEME_RATING_GROUP, 366}, {IDC_THEME_RATING_LABEL, 381},
            {IDC_THEME_NOTE, 369},         {IDOK, kLangOk},
            {IDCANCEL, kLangCancel},
        };
        relabelDialog(dialog, 354, kTexts);
        for (int slot = 0; slot < kThemeColorCount; ++slot) {
            const char* text = LangTable::getString(kThemeColorTexts[slot]);
            if (*text) SetDlgItemTextA(dialog, IDC_THEME_COLOR_FIRST + slot, text);
        }
        std::string themes[kThemeCount];
        for (int i = 0; i < kThemeCount; ++i) themes[i] = themeDisplayName(model.theme(i));
        fillCombo(dialog, IDC_THEME_LIST, themes, kThemeCount, model.themeIndex);
        std::string icons[kIconPackageCount];
        for (int i = 0; i < kIconPackageCount; ++i) icons[i] = kIconPackageNames[i];
        fillCombo(dialog, IDC_THEME_ICON_LIST, icons, kIconPackageCount, model.iconPackage);
        std::string ratings[kRatingPackageCount];
        for (int i = 0; i < kRatingPackageCount; ++i) ratings[i] = kRatingPackageNames[i];
        fillCombo(dialog, IDC_THEME_RATING_LIST, ratings, kRatingPackageCount, model.ratingPackage);
        showColors(dialog);
    }
    bool accept(HWND dialog, INT_PTR& result) {
        model.themeIndex = comboSelection(dialog, IDC_THEME_LIST);
        model.iconPackage = comboSelection(dialog, IDC_THEME_ICON_LIST);
        model.ratingPackage = comboSelection(dialog, IDC_THEME_RATING_LIST);
        if (!model.ok(settings, prompter)) return false;
        result = 1;
        return true;
    }
    bool command(HWND dialog, int id, int code) {
        if (id == IDC_THEME_LIST && code == CBN_SELCHANGE) {
            model.themeIndex = comboSelection(dialog, IDC_THEME_LIST);
            showColors(dialog);
            return true;
        }
        const int slot = id - IDC_THEME_COLOR_FIRST;
        if (slot < 0 || slot >= kThemeColorCount || code != BN_CLICKED) return false;
        uint32_t color = model.color(slot);
        if (prompter.PickColor(color) && model.setColor(slot, color)) {
            InvalidateRect(GetDlgItem(dialog, IDC_THEME_SWATCH_FIRST + slot), nullptr, TRUE);
        }
        return true;
    }
    // Each swatch is painted in its colour.
    INT_PTR message(HWND, UINT message, WPARAM wParam, LPARAM lParam) const {
        if (message != WM_CTLCOLORSTATIC) return FALSE;
        const int slot = GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) - IDC_THEME_SWATCH_FIRST;
        if (slot < 0 || slot >= kThemeColorCount) return FALSE;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetDCBrushColor(dc, model.color(slot));
        return reinterpret_cast<INT_PTR>(GetStockObject(DC_BRUSH));
    }
};

// --- HTML CSS class editor -------------------------------------------------------

constexpr int kLangFontStyleFirst = 255;  // "Regular", "Bold", "Italic", "Bold italic"

struct HtmlStyleRun {
    static constexpr INT_PTR kCancelResult = IDCANCEL;
    HtmlStyleDialogModel model;
    Settings& settings;
    Prompter& prompter;
    // The controls are being filled from the model: their notifications are
    // not the user's edits.
    bool filling = false;

    void showTemplate(HWND dialog) {
        filling = true;
        for (int slot = 0; slot < kHtmlColorSlotCount; ++slot) {
            SetDlgItemTextA(dialog, IDC_HTML_COLOR_FIRST + slot, hexColorText(model.color(slot)).c_str());
        }
        for (int index = 0; index < kHtmlClassCount; ++index) {
            const HtmlStyleClass* style = model.styleClass(index);
            SendDlgItemMessageA(dialog, IDC_HTML_FONT_FIRST + index, CB_SETCURSEL,
                                static_cast<WPARAM>(style->fontName), 0);
            SendDlgItemMessageA(dialog, IDC_HTML_STYLE_FIRST + index, CB_SETCURSEL,
                                static_cast<WPARAM>(style->fontStyle), 0);
            SendDlgItemMessageA(dialog, IDC_HTML_SIZE_FIRST + index, CB_SETCURSEL,
                                static_cast<WPARAM>(style->fontSize), 0);
        }
        filling = false;
    }
    void show(HWND dialog) {
        static const ControlText kTexts[] = {
            {IDC_HTML_TEMPLATE_LABEL, 262},
            {IDC_HTML_GROUP, 261},
            {IDC_HTML_HEAD_FIRST, 263},
            {IDC_HTML_HEAD_FIRST + 1, 264},
            {IDC_HTML_HEAD_FIRST + 2, 265},
            {IDC_HTML_HEAD_FIRST + 3, 266},
            {IDC_HTML_HEAD_FIRST + 4, 267},
            {IDC_HTML_ROW_FIRST, 268},
            {IDC_HTML_ROW_FIRST + 1, 269},
            {IDC_HTML_ROW_FIRST + 2, 270},
            {IDC_HTML_ROW_FIRST + 3, 271},
            {IDC_HTML_ROW_FIRST + 4, 272},
            {IDOK, kLangOk},
            {IDCANCEL, kLangCancel},
        };
        relabelDialog(dialog, 254, kTexts);
        std::string names[kHtmlTemplateCount];
        for (int i = 0; i < kHtmlTemplateCount; ++i) names[i] = kHtmlTemplateNames[i];
        fillCombo(dialog, IDC_HTML_TEMPLATE, names, kHtmlTemplateCount, model.templateIndex);
        std::string fonts[kFontNameCount];
        for (int i = 0; i < kFontNameCount; ++i) fonts[i] = htmlFontNameText(i);
        std::string styles[kFontStyleCount];
        for (int i = 0; i < kFontStyleCount; ++i) styles[i] = LangTable::getString(kLangFontStyleFirst + i);
        std::string sizes[kFontSizeCount];
        for (int i = 0; i < kFontSizeCount; ++i) sizes[i] = htmlFontSizeText(i);
        for (int index = 0; index < kHtmlClassCount; ++index) {
            fillCombo(dialog, IDC_HTML_FONT_FIRST + index, fonts, kFontNameCount, 0);
            fillCombo(dialog, IDC_HTML_STYLE_FIRST + index, styles, kFontStyleCount, 0);
            fillCombo(dialog, IDC_HTML_SIZE_FIRST + index, sizes, kFontSizeCount, 0);
        }
        for (int slot = 0; slot < kHtmlColorSlotCount; ++slot) {
            SendDlgItemMessageA(dialog, IDC_HTML_COLOR_FIRST + slot, EM_LIMITTEXT, kHexColorDigits, 0);
        }
        showTemplate(dialog);
    }
    // The text of colour box `slot` into the model. A text the model refuses
    // has shown its message; the box keeps it, with the focus, to be put right.
    bool readColor(HWND dialog, int slot) {
        HWND box = GetDlgItem(dialog, IDC_HTML_COLOR_FIRST + slot);
        const std::string text = GetControlText(box);
        if (text == hexColorText(model.color(slot))) return true;
        if (model.setColorText(slot, text, prompter)) return true;
        SetFocus(box);
        SendMessageA(box, EM_SETSEL, 0, -1);
        return false;
    }
    bool accept(HWND dialog, INT_PTR&) {
        for (int slot = 0; slot < kHtmlColorSlotCount; ++slot) {
            if (!readColor(dialog, slot)) return false;
        }
        return model.ok(settings, prompter);
    }
    bool command(HWND dialog, int id, int code) {
        if (filling) return false;
        if (id == IDC_HTML_TEMPLATE && code == CBN_SELCHANGE) {
            model.templateIndex = comboSelection(dialog, IDC_HTML_TEMPLATE);
            showTemplate(dialog);
            return true;
        }
        const int typed = id - IDC_HTML_COLOR_FIRST;
        if (typed >= 0 && typed < kHtmlColorSlotCount) {
            // A box is read once it holds its six characters.
            if (code != EN_CHANGE) return false;
            if (GetWindowTextLengthA(GetDlgItem(dialog, id)) == static_cast<int>(kHexColorDigits)) {
                readColor(dialog, typed);
            }
            return true;
        }
        const int picked = id - IDC_HTML_PICK_FIRST;
        if (picked >= 0 && picked < kHtmlColorSlotCount && code == BN_CLICKED) {
            uint32_t color = model.color(picked);
            if (prompter.PickColor(color) && model.setColor(picked, color)) {
                filling = true;
                SetDlgItemTextA(dialog, IDC_HTML_COLOR_FIRST + picked,
                                hexColorText(model.color(picked)).c_str());
                filling = false;
            }
            return true;
        }
        for (int index = 0; index < kHtmlClassCount; ++index) {
            const bool font = id == IDC_HTML_FONT_FIRST + index || id == IDC_HTML_STYLE_FIRST + index ||
                              id == IDC_HTML_SIZE_FIRST + index;
            if (!font || code != CBN_SELCHANGE) continue;
            model.setFont(index, comboSelection(dialog, IDC_HTML_FONT_FIRST + index),
                          comboSelection(dialog, IDC_HTML_STYLE_FIRST + index),
                          comboSelection(dialog, IDC_HTML_SIZE_FIRST + index));
            return true;
        }
        return false;
    }
};

// --- Find duplicates -----------------------------------------------------------------

constexpr int kDuplicateBoxCount = 5;
constexpr int kLangArtist = 87;
constexpr int kLangTitle = 88;
// The texts of boxes 1 to 4: "File name", "&Genre", the length and the size.
const int kDuplicateBoxTexts[kDuplicateBoxCount] = {0, 100, 306, 249, 250};
constexpr int kNumberBoxDigits = 3;

struct DuplicatesRun {
    static constexpr INT_PTR kCancelResult = IDCANCEL;
    DuplicatesDialogModel model;
    Settings& settings;
    Prompter& prompter;

    void showEnabled(HWND dialog) const {
        enableControl(dialog, IDC_DUP_SECONDS, model.secondsEnabled());
        enableControl(dialog, IDC_DUP_SECONDS_SPIN, model.secondsEnabled());
        enableControl(dialog, IDC_DUP_PERCENT, model.percentEnabled());
        enableControl(dialog, IDC_DUP_PERCENT_SPIN, model.percentEnabled());
    }
    uint32_t checkedFields(HWND dialog) const {
        uint32_t fields = 0;
        for (int bit = 0; bit < kDuplicateBoxCount; ++bit) {
            if (isChecked(dialog, IDC_DUP_FIELD_FIRST + bit)) fields |= 1u << bit;
        }
        return fields;
    }
    void show(HWND dialog) const {
        static const ControlText kTexts[] = {
            {IDC_DUP_GROUP, 248},
            {IDOK, kLangOk},
            {IDCANCEL, kLangCancel},
        };
        relabelDialog(dialog, 247, kTexts);
        // "&Artist && Title": the two column titles, the first one's initial
        // underlined.
        const std::string artist = LangTable::getString(kLangArtist);
        const std::string title = LangTable::getString(kLangTitle);
        if (!artist.empty() && !title.empty()) {
            SetDlgItemTextA(dialog, IDC_DUP_FIELD_FIRST, ("&" + artist + " && " + title).c_str());
        }
        for (int bit = 1; bit < kDuplicateBoxCount; ++bit) {
            const char* text = LangTable::getString(kDuplicateBoxTexts[bit]);
            if (*text) SetDlgItemTextA(dialog, IDC_DUP_FIELD_FIRST + bit, text);
        }
        for (int bit = 0; bit < kDuplicateBoxCount; ++bit) {
            setChecked(dialog, IDC_DUP_FIELD_FIRST + bit, (model.fields & (1u << bit)) != 0);
        }
        SendDlgItemMessageA(dialog, IDC_DUP_SECONDS_SPIN, UDM_SETRANGE32, kDuplicateSecondsMin,
                            kDuplicateSecondsMax);
        SendDlgItemMessageA(dialog, IDC_DUP_PERCENT_SPIN, UDM_SETRANGE32, kDuplicatePercentMin,
                            kDuplicatePercentMax);
        SendDlgItemMessageA(dialog, IDC_DUP_SECONDS, EM_LIMITTEXT, kNumberBoxDigits, 0);
        SendDlgItemMessageA(dialog, IDC_DUP_PERCENT, EM_LIMITTEXT, kNumberBoxDigits, 0);
        SetDlgItemTextA(dialog, IDC_DUP_SECONDS, model.secondsText.c_str());
        SetDlgItemTextA(dialog, IDC_DUP_PERCENT, model.percentText.c_str());
        showEnabled(dialog);
    }
    bool accept(HWND dialog, INT_PTR&) {
        model.fields = checkedFields(dialog);
        model.secondsText = GetControlText(GetDlgItem(dialog, IDC_DUP_SECONDS));
        model.percentText = GetControlText(GetDlgItem(dialog, IDC_DUP_PERCENT));
        return model.ok(settings, prompter);
    }
    // A check box enables its number box, if it has one.
    bool command(HWND dialog, int id, int code) {
        if (id < IDC_DUP_FIELD_FIRST || id >= IDC_DUP_FIELD_FIRST + kDuplicateBoxCount ||
            code != BN_CLICKED) {
            return false;
        }
        model.fields = checkedFields(dialog);
        showEnabled(dialog);
        return true;
    }
};

}  // namespace

void PlaylistWindow::Impl::cmdThemeColors(int) {
    ThemeRun run{ThemeDialogModel(settings), settings, prompter};
    if (runModelDialog(module, IDD_THEME_COLORS, hwnd, systemDialogs, run) == 0) return;
    applyTheme();
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
}

void PlaylistWindow::Impl::cmdHtmlClasses(int) {
    HtmlStyleRun run{HtmlStyleDialogModel(settings), settings, prompter};
    runModelDialog(module, IDD_HTML_CLASSES, hwnd, systemDialogs, run);
}

void PlaylistWindow::Impl::cmdFindDuplicates(int) {
    if (duplicates.shown()) {
        // The full list returns, filtered and searched as before, with the
        // rows that were selected when the mode came on.
        duplicates.turnOff();
        filter.refilter(view);
        const int first = duplicates.restoreSelection(view);
        refreshList();
        applyViewSelection();
        rewriteStatus(true);
        if (first >= 0) SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(first), FALSE);
        return;
    }
    DuplicatesRun run{DuplicatesDialogModel(settings), settings, prompter};
    const bool accepted = runModelDialog(module, IDD_DUPLICATES, hwnd, systemDialogs, run) == IDOK;
    if (!accepted) return;
    WaitCursor wait;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    duplicates.turnOn(accepted, playlist, view, settings);
    refreshList();
    applyViewSelection();
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    rewriteStatus(false);
}

}  // namespace td
