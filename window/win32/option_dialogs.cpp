// The option dialogs of the playlist window: Option (137), Reset (138), Media
// Wizard (148), the information report (136) and About (102). Each runs over its portable model
// (window/dialogs/): the model is filled before the dialog opens, passed as
// its LPARAM, shown by WM_INITDIALOG, read back from the controls on OK and
// checked by the model, which alone writes the Settings.
#include <windows.h>

#include <string>

#include "platform/clipboard.h"
#include "plugin/win32/plugin_shell.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "window/dialogs/about_dialog_model.h"
#include "window/dialogs/info_dialog_model.h"
#include "window/dialogs/media_wizard_dialog_model.h"
#include "window/dialogs/options_dialog_model.h"
#include "window/dialogs/reset_dialog_model.h"
#include "window/win32/playlist_window_impl.h"
#include "wizards/media_wizard.h"

namespace td {
namespace {

struct ControlText {
    int control;
    int text;  // language-table number; an empty text keeps the template's
};

void relabel(HWND dialog, int caption, const ControlText* texts, size_t count) {
    if (*LangTable::getString(caption)) SetWindowTextA(dialog, LangTable::getString(caption));
    for (size_t i = 0; i < count; ++i) {
        const char* text = LangTable::getString(texts[i].text);
        if (*text) SetDlgItemTextA(dialog, texts[i].control, text);
    }
}

template <size_t N>
void relabel(HWND dialog, int caption, const ControlText (&texts)[N]) {
    relabel(dialog, caption, texts, N);
}

bool checked(HWND dialog, int control) { return IsDlgButtonChecked(dialog, control) == BST_CHECKED; }

void check(HWND dialog, int control, bool on) { CheckDlgButton(dialog, control, on ? BST_CHECKED : BST_UNCHECKED); }

// The index of the checked button among `count` radio buttons from `first`.
int checkedRadio(HWND dialog, const int* controls, int count) {
    for (int i = 0; i < count; ++i) {
        if (checked(dialog, controls[i])) return i;
    }
    return 0;
}

// The model kept in the dialog's user slot, set at WM_INITDIALOG.
template <typename Model>
Model* modelOf(HWND dialog, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return reinterpret_cast<Model*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

constexpr int kLangOk = 12;
constexpr int kLangCancel = 13;

// --- Option ------------------------------------------------------------------

struct OptionsRun {
    OptionsDialogModel model;
    Settings& settings;
    Prompter& prompter;
};

const int kExportRadios[] = {IDC_OPT_EXPORT_ALL, IDC_OPT_EXPORT_SELECTED};
const int kHtmlRadios[] = {IDC_OPT_HTML_TABLE, IDC_OPT_HTML_LISTING};
const int kLoadRadios[] = {IDC_OPT_LOAD_OWN, IDC_OPT_LOAD_HOST};
const int kClickRadios[] = {IDC_OPT_CLICK_PLAY, IDC_OPT_CLICK_ENQUEUE, IDC_OPT_CLICK_EDIT};

INT_PTR CALLBACK OptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    OptionsRun* run = modelOf<OptionsRun>(dialog, message, lParam);
    if (!run) return FALSE;
    OptionsDialogModel& m = run->model;
    if (message == WM_INITDIALOG) {
        static const ControlText kTexts[] = {
            {IDC_OPT_EXPORT_GROUP, 232}, {IDC_OPT_EXPORT_ALL, 233},  {IDC_OPT_EXPORT_SELECTED, 234},
            {IDC_OPT_HTML_GROUP, 235},   {IDC_OPT_HTML_TABLE, 236},  {IDC_OPT_HTML_LISTING, 237},
            {IDC_OPT_HTML_LINK, 238},    {IDC_OPT_BOTH_TAGS, 239},   {IDC_OPT_LOAD_GROUP, 240},
            {IDC_OPT_LOAD_OWN, 241},     {IDC_OPT_LOAD_HOST, 242},   {IDC_OPT_CLICK_GROUP, 243},
            {IDC_OPT_CLICK_PLAY, 244},   {IDC_OPT_CLICK_ENQUEUE, 245}, {IDC_OPT_CLICK_EDIT, 246},
            {IDOK, kLangOk},             {IDCANCEL, kLangCancel},
        };
        relabel(dialog, 231, kTexts);
        check(dialog, kExportRadios[m.exportSelectedOnly], true);
        check(dialog, kHtmlRadios[m.htmlListing], true);
        check(dialog, IDC_OPT_HTML_LINK, m.htmlHyperlink);
        check(dialog, IDC_OPT_BOTH_TAGS, m.exportBothTags);
        check(dialog, kLoadRadios[m.loadOnStartup], true);
        check(dialog, kClickRadios[m.doubleClickAction], true);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        m.exportSelectedOnly = checkedRadio(dialog, kExportRadios, 2);
        m.htmlListing = checkedRadio(dialog, kHtmlRadios, 2);
        m.htmlHyperlink = checked(dialog, IDC_OPT_HTML_LINK);
        m.exportBothTags = checked(dialog, IDC_OPT_BOTH_TAGS);
        m.loadOnStartup = checkedRadio(dialog, kLoadRadios, 2);
        m.doubleClickAction = checkedRadio(dialog, kClickRadios, 3);
        if (m.ok(run->settings, run->prompter)) EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

// --- Reset -------------------------------------------------------------------

struct ResetRun {
    ResetDialogModel model;
    Settings& settings;
    Prompter& prompter;
};

INT_PTR CALLBACK ResetProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    ResetRun* run = modelOf<ResetRun>(dialog, message, lParam);
    if (!run) return FALSE;
    if (message == WM_INITDIALOG) {
        static const ControlText kTexts[] = {
            {IDC_RESET_TEXT, 274},    {IDC_RESET_GROUP, 275},   {IDC_RESET_HTML, 276},
            {IDC_RESET_COLUMNS, 277}, {IDC_RESET_TOOLS, 278},   {IDC_RESET_OPTIONS, 279},
            {IDOK, kLangOk},          {IDCANCEL, kLangCancel},
        };
        relabel(dialog, 273, kTexts);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK: {
        ResetDialogModel& m = run->model;
        m.html = checked(dialog, IDC_RESET_HTML);
        m.columns = checked(dialog, IDC_RESET_COLUMNS);
        m.tools = checked(dialog, IDC_RESET_TOOLS);
        m.options = checked(dialog, IDC_RESET_OPTIONS);
        m.theme = checked(dialog, IDC_RESET_THEME);
        EndDialog(dialog, m.ok(run->settings, run->prompter));
        return TRUE;
    }
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

// --- Media wizard --------------------------------------------------------------

struct WizardRun {
    MediaWizardDialogModel model;
    Settings& settings;
    Prompter& prompter;
};

INT_PTR CALLBACK WizardProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    WizardRun* run = modelOf<WizardRun>(dialog, message, lParam);
    if (!run) return FALSE;
    MediaWizardDialogModel& m = run->model;
    if (message == WM_INITDIALOG) {
        static const ControlText kTexts[] = {
            {IDC_WIZARD_GROUP, 284},      {IDC_WIZARD_FIRST, 285},     {IDC_WIZARD_FIRST + 1, 286},
            {IDC_WIZARD_FIRST + 2, 287},  {IDC_WIZARD_FIRST + 3, 288}, {IDC_WIZARD_FIRST + 4, 289},
            {IDC_WIZARD_FIRST + 5, 290},  {IDC_WIZARD_CUSTOM, 291},    {IDOK, kLangOk},
            {IDCANCEL, kLangCancel},
        };
        relabel(dialog, 283, kTexts);
        SendDlgItemMessageA(dialog, IDC_WIZARD_MINUTES, EM_LIMITTEXT, kWizardCustomDigits, 0);
        check(dialog, IDC_WIZARD_FIRST + m.choice, true);
        EnableWindow(GetDlgItem(dialog, IDC_WIZARD_MINUTES), m.customEnabled());
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    const int id = LOWORD(wParam);
    if (id >= IDC_WIZARD_FIRST && id <= IDC_WIZARD_CUSTOM && HIWORD(wParam) == BN_CLICKED) {
        m.choice = id - IDC_WIZARD_FIRST;
        EnableWindow(GetDlgItem(dialog, IDC_WIZARD_MINUTES), m.customEnabled());
        return TRUE;
    }
    switch (id) {
    case IDOK:
        for (int i = 0; i < kWizardChoiceCount; ++i) {
            if (checked(dialog, IDC_WIZARD_FIRST + i)) m.choice = i;
        }
        m.customText = GetControlText(GetDlgItem(dialog, IDC_WIZARD_MINUTES));
        if (m.ok(run->settings, run->prompter)) EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

// --- Information ---------------------------------------------------------------

struct InfoRun {
    InfoDialogModel model;
    Prompter& prompter;
};

INT_PTR CALLBACK InfoProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    InfoRun* run = modelOf<InfoRun>(dialog, message, lParam);
    if (!run) return FALSE;
    if (message == WM_INITDIALOG) {
        SetWindowTextA(dialog, run->model.caption().c_str());
        SetDlgItemTextA(dialog, IDC_INFO_REPORT, run->model.report().c_str());
        if (*LangTable::getString(kLangOk)) SetDlgItemTextA(dialog, IDOK, LangTable::getString(kLangOk));
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_INFO_COPY: {
        Win32Clipboard clipboard(dialog);
        run->model.copyReport(clipboard, run->prompter);
        return TRUE;
    }
    case IDOK:
    case IDCANCEL:
        EndDialog(dialog, IDOK);
        return TRUE;
    default:
        return FALSE;
    }
}

// --- About -------------------------------------------------------------------

void showAboutPage(HWND dialog, const AboutDialogModel& m) {
    ShowWindow(GetDlgItem(dialog, IDC_ABOUT_SHORTCUTS), m.showingHelp ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(dialog, IDC_ABOUT_CREDIT), m.showingHelp ? SW_HIDE : SW_SHOW);
    SetDlgItemTextA(dialog, IDC_ABOUT_HELP, m.toggleLabel().c_str());
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    AboutDialogModel* m = modelOf<AboutDialogModel>(dialog, message, lParam);
    if (!m) return FALSE;
    if (message == WM_INITDIALOG) {
        if (!m->caption.empty()) SetWindowTextA(dialog, m->caption.c_str());
        SetDlgItemTextA(dialog, IDC_ABOUT_TITLE, m->title.c_str());
        SetDlgItemTextA(dialog, IDC_ABOUT_CREDIT, m->credit.c_str());
        SetDlgItemTextA(dialog, IDC_ABOUT_SHORTCUTS, m->shortcuts.c_str());
        if (*LangTable::getString(kLangOk)) SetDlgItemTextA(dialog, IDOK, LangTable::getString(kLangOk));
        showAboutPage(dialog, *m);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_ABOUT_HELP:
        m->toggleHelp();
        showAboutPage(dialog, *m);
        return TRUE;
    case IDOK:
    case IDCANCEL:
        EndDialog(dialog, IDOK);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void PlaylistWindow::Impl::cmdOptions(int) {
    OptionsRun run{OptionsDialogModel(settings), settings, prompter};
    DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_OPTIONS), hwnd, OptionsProc, reinterpret_cast<LPARAM>(&run));
}

void PlaylistWindow::Impl::cmdReset(int) {
    ResetRun run{ResetDialogModel(), settings, prompter};
    if (DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_RESET), hwnd, ResetProc, reinterpret_cast<LPARAM>(&run)) != 1) {
        return;
    }
    // The window's own placement and language go over the defaults just
    // restored, then the list takes the theme and the columns again.
    storePlacementAndLanguage();
    settings.save();
    settings.refreshSystemTheme();
    applyTheme();
    view.applyOptions(settings);
    view.buildColumns(settings);
    rebuildColumns();
    refreshList();
    rewriteStatus(true);
}

void PlaylistWindow::Impl::cmdMediaWizard(int) {
    WizardRun run{MediaWizardDialogModel(settings), settings, prompter};
    if (DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_MEDIA_WIZARD), hwnd, WizardProc,
                        reinterpret_cast<LPARAM>(&run)) != IDOK) {
        return;
    }
    const int first = applyMediaWizard(view, run.model.targetSeconds());
    applyViewSelection();
    showSelectedLength();
    if (first >= 0) SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(first), FALSE);
    SetFocus(list);
}

void PlaylistWindow::Impl::cmdInformation(int id) {
    const bool whole = id == IDM_PLAYLIST_INFO || id == IDM_PLAYLIST_INFO_KEY;
    InfoRun run{InfoDialogModel(playlist, view, whole, filter.genres()), prompter};
    DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_INFORMATION), hwnd, InfoProc, reinterpret_cast<LPARAM>(&run));
}

void PlaylistWindow::Impl::cmdAbout(int) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    AboutDialogModel model(ReadModuleVersion(path));
    DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_ABOUT), hwnd, AboutProc, reinterpret_cast<LPARAM>(&model));
}

}  // namespace td
