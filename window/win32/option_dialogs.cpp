// The option dialogs of the playlist window: Option (137), Reset (138), Media
// Wizard (148), Columns (146), the information report (136), About (102),
// Volume information (158) and Option explorer (166). Each runs over its
// portable model (window/dialogs/) through the one dialog procedure of
// model_dialog.h: the model is filled before the dialog opens, shown by
// WM_INITDIALOG, read back from the controls on OK and checked by the model,
// which alone writes the Settings.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "plugin/win32/plugin_shell.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "playlist/view.h"
#include "window/dialogs/about_dialog_model.h"
#include "window/dialogs/columns_dialog_model.h"
#include "window/dialogs/explorer_options_dialog_model.h"
#include "window/dialogs/info_dialog_model.h"
#include "window/dialogs/media_wizard_dialog_model.h"
#include "window/dialogs/options_dialog_model.h"
#include "window/dialogs/reset_dialog_model.h"
#include "window/dialogs/volume_info_dialog_model.h"
#include "window/win32/model_dialog.h"
#include "window/win32/playlist_window_impl.h"
#include "wizards/media_wizard.h"

namespace td {
namespace {

// --- Option ------------------------------------------------------------------

const int kExportRadios[] = {IDC_OPT_EXPORT_ALL, IDC_OPT_EXPORT_SELECTED};
const int kHtmlRadios[] = {IDC_OPT_HTML_TABLE, IDC_OPT_HTML_LISTING};
const int kLoadRadios[] = {IDC_OPT_LOAD_OWN, IDC_OPT_LOAD_HOST};
const int kClickRadios[] = {IDC_OPT_CLICK_PLAY, IDC_OPT_CLICK_ENQUEUE, IDC_OPT_CLICK_EDIT};

struct OptionsRun {
    static constexpr INT_PTR kCancelResult = IDCANCEL;
    OptionsDialogModel model;
    Settings& settings;
    Prompter& prompter;

    void show(HWND dialog) const {
        static const ControlText kTexts[] = {
            {IDC_OPT_EXPORT_GROUP, 232},    {IDC_OPT_EXPORT_ALL, 233},
            {IDC_OPT_EXPORT_SELECTED, 234}, {IDC_OPT_HTML_GROUP, 235},
            {IDC_OPT_HTML_TABLE, 236},      {IDC_OPT_HTML_LISTING, 237},
            {IDC_OPT_HTML_LINK, 238},       {IDC_OPT_BOTH_TAGS, 239},
            {IDC_OPT_LOAD_GROUP, 240},      {IDC_OPT_LOAD_OWN, 241},
            {IDC_OPT_LOAD_HOST, 242},       {IDC_OPT_CLICK_GROUP, 243},
            {IDC_OPT_CLICK_PLAY, 244},      {IDC_OPT_CLICK_ENQUEUE, 245},
            {IDC_OPT_CLICK_EDIT, 246},      {IDOK, kLangOk},
            {IDCANCEL, kLangCancel},
        };
        relabelDialog(dialog, 231, kTexts);
        setChecked(dialog, kExportRadios[model.exportSelectedOnly], true);
        setChecked(dialog, kHtmlRadios[model.htmlListing], true);
        setChecked(dialog, IDC_OPT_HTML_LINK, model.htmlHyperlink);
        setChecked(dialog, IDC_OPT_BOTH_TAGS, model.exportBothTags);
        setChecked(dialog, kLoadRadios[model.loadOnStartup], true);
        setChecked(dialog, kClickRadios[model.doubleClickAction], true);
    }
    bool accept(HWND dialog, INT_PTR&) {
        model.exportSelectedOnly = checkedRadio(dialog, kExportRadios, 2);
        model.htmlListing = checkedRadio(dialog, kHtmlRadios, 2);
        model.htmlHyperlink = isChecked(dialog, IDC_OPT_HTML_LINK);
        model.exportBothTags = isChecked(dialog, IDC_OPT_BOTH_TAGS);
        model.loadOnStartup = checkedRadio(dialog, kLoadRadios, 2);
        model.doubleClickAction = checkedRadio(dialog, kClickRadios, 3);
        return model.ok(settings, prompter);
    }
    bool command(HWND, int, int) { return false; }
};

// --- Reset -------------------------------------------------------------------

struct ResetRun {
    static constexpr INT_PTR kCancelResult = 0;
    ResetDialogModel model;
    Settings& settings;
    Prompter& prompter;

    void show(HWND dialog) const {
        static const ControlText kTexts[] = {
            {IDC_RESET_TEXT, 274},  {IDC_RESET_GROUP, 275},   {IDC_RESET_HTML, 276}, {IDC_RESET_COLUMNS, 277},
            {IDC_RESET_TOOLS, 278}, {IDC_RESET_OPTIONS, 279}, {IDOK, kLangOk},       {IDCANCEL, kLangCancel},
        };
        relabelDialog(dialog, 273, kTexts);
    }
    // Closes in every case: with 1 after a reset, 0 when nothing was checked
    // or the question was answered Cancel.
    bool accept(HWND dialog, INT_PTR& result) {
        model.html = isChecked(dialog, IDC_RESET_HTML);
        model.columns = isChecked(dialog, IDC_RESET_COLUMNS);
        model.tools = isChecked(dialog, IDC_RESET_TOOLS);
        model.options = isChecked(dialog, IDC_RESET_OPTIONS);
        model.theme = isChecked(dialog, IDC_RESET_THEME);
        result = model.ok(settings, prompter);
        return true;
    }
    bool command(HWND, int, int) { return false; }
};

// --- Media wizard --------------------------------------------------------------

struct WizardRun {
    static constexpr INT_PTR kCancelResult = IDCANCEL;
    MediaWizardDialogModel model;
    Settings& settings;
    Prompter& prompter;

    void show(HWND dialog) const {
        static const ControlText kTexts[] = {
            {IDC_WIZARD_GROUP, 284},     {IDC_WIZARD_FIRST, 285},     {IDC_WIZARD_FIRST + 1, 286},
            {IDC_WIZARD_FIRST + 2, 287}, {IDC_WIZARD_FIRST + 3, 288}, {IDC_WIZARD_FIRST + 4, 289},
            {IDC_WIZARD_FIRST + 5, 290}, {IDC_WIZARD_CUSTOM, 291},    {IDOK, kLangOk},
            {IDCANCEL, kLangCancel},
        };
        relabelDialog(dialog, 283, kTexts);
        SendDlgItemMessageA(dialog, IDC_WIZARD_MINUTES, EM_LIMITTEXT, kWizardCustomDigits, 0);
        setChecked(dialog, IDC_WIZARD_FIRST + model.choice, true);
        EnableWindow(GetDlgItem(dialog, IDC_WIZARD_MINUTES), model.customEnabled());
    }
    bool accept(HWND dialog, INT_PTR&) {
        for (int i = 0; i < kWizardChoiceCount; ++i) {
            if (isChecked(dialog, IDC_WIZARD_FIRST + i)) model.choice = i;
        }
        model.customText = GetControlText(GetDlgItem(dialog, IDC_WIZARD_MINUTES));
        return model.ok(settings, prompter);
    }
    // A choice enables the custom box or not; it is remembered only on OK.
    bool command(HWND dialog, int id, int code) {
        if (id < IDC_WIZARD_FIRST || id > IDC_WIZARD_CUSTOM || code != BN_CLICKED) return false;
        model.choice = id - IDC_WIZARD_FIRST;
        EnableWindow(GetDlgItem(dialog, IDC_WIZARD_MINUTES), model.customEnabled());
        return true;
    }
};

// --- Columns -------------------------------------------------------------------

struct ColumnsRun {
    static constexpr INT_PTR kCancelResult = IDCANCEL;
    ColumnsDialogModel model;
    Settings& settings;
    Prompter& prompter;

    static void fill(HWND dialog, int control, const std::vector<int>& ids, int select) {
        HWND box = GetDlgItem(dialog, control);
        SendMessageA(box, LB_RESETCONTENT, 0, 0);
        for (int id : ids) SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(columnTitle(id)));
        if (select >= static_cast<int>(ids.size())) select = static_cast<int>(ids.size()) - 1;
        SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
    }
    void showLists(HWND dialog, int available, int selected) const {
        fill(dialog, IDC_COL_AVAILABLE, model.available(), available);
        fill(dialog, IDC_COL_SELECTED, model.selected(), selected);
    }
    static int current(HWND dialog, int control) {
        return static_cast<int>(SendDlgItemMessageA(dialog, control, LB_GETCURSEL, 0, 0));
    }
    void show(HWND dialog) const {
        static const ControlText kTexts[] = {
            {IDC_COL_VIEW_LABEL, 217},
            {IDC_COL_NUMBER, 218},
            {IDC_COL_GRID, 219},
            {IDC_COL_GROUP, 220},
            {IDC_COL_AVAILABLE_LABEL, 221},
            {IDC_COL_SELECTED_LABEL, 222},
            {IDC_COL_ADD, 223},
            {IDC_COL_ADD_ALL, 224},
            {IDC_COL_REMOVE, 225},
            {IDC_COL_REMOVE_ALL, 226},
            {IDC_COL_UP, 19},
            {IDC_COL_DOWN, 20},
            {IDOK, kLangOk},
            {IDCANCEL, kLangCancel},
        };
        relabelDialog(dialog, 216, kTexts);
        for (int source = 0; source < 4; ++source) {
            SendDlgItemMessageA(dialog, IDC_COL_VIEW, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(viewSourceName(source)));
        }
        SendDlgItemMessageA(dialog, IDC_COL_VIEW, CB_SETCURSEL, static_cast<WPARAM>(model.viewInfoFrom), 0);
        setChecked(dialog, IDC_COL_NUMBER, model.showNumber);
        setChecked(dialog, IDC_COL_GRID, model.showGrid);
        showLists(dialog, 0, 0);
    }
    bool accept(HWND dialog, INT_PTR&) {
        model.viewInfoFrom = static_cast<int>(SendDlgItemMessageA(dialog, IDC_COL_VIEW, CB_GETCURSEL, 0, 0));
        model.showNumber = isChecked(dialog, IDC_COL_NUMBER);
        model.showGrid = isChecked(dialog, IDC_COL_GRID);
        return model.ok(settings, prompter);
    }
    bool command(HWND dialog, int id, int) {
        const int available = current(dialog, IDC_COL_AVAILABLE);
        const int selected = current(dialog, IDC_COL_SELECTED);
        switch (id) {
        case IDC_COL_ADD: showLists(dialog, available, model.add(available)); return true;
        case IDC_COL_ADD_ALL:
            model.addAll();
            showLists(dialog, 0, selected);
            return true;
        case IDC_COL_REMOVE: showLists(dialog, model.remove(selected), selected); return true;
        case IDC_COL_REMOVE_ALL:
            model.removeAll();
            showLists(dialog, available, 0);
            return true;
        case IDC_COL_UP: showLists(dialog, available, model.moveUp(selected)); return true;
        case IDC_COL_DOWN: showLists(dialog, available, model.moveDown(selected)); return true;
        default: return false;
        }
    }
};

// --- Information ---------------------------------------------------------------

struct InfoRun {
    static constexpr INT_PTR kCancelResult = IDOK;
    InfoDialogModel model;
    Prompter& prompter;

    void show(HWND dialog) const {
        SetWindowTextA(dialog, model.caption().c_str());
        SetDlgItemTextA(dialog, IDC_INFO_REPORT, model.report().c_str());
        if (*LangTable::getString(kLangOk)) SetDlgItemTextA(dialog, IDOK, LangTable::getString(kLangOk));
        // The report opens at its top, nothing selected, with OK focused:
        // these follow the dialog manager's own first focus.
        HWND report = GetDlgItem(dialog, IDC_INFO_REPORT);
        PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
        PostMessageA(report, EM_SETSEL, 0, 0);
        PostMessageA(report, EM_SCROLLCARET, 0, 0);
    }
    bool accept(HWND, INT_PTR&) { return true; }
    bool command(HWND dialog, int id, int) {
        if (id != IDC_INFO_COPY) return false;
        Win32Clipboard clipboard(dialog);
        model.copyReport(clipboard, prompter);
        return true;
    }
};

// --- About -------------------------------------------------------------------

struct AboutRun {
    static constexpr INT_PTR kCancelResult = IDOK;
    AboutDialogModel model;

    void showPage(HWND dialog) const {
        ShowWindow(GetDlgItem(dialog, IDC_ABOUT_SHORTCUTS), model.showingHelp ? SW_SHOW : SW_HIDE);
        ShowWindow(GetDlgItem(dialog, IDC_ABOUT_CREDIT), model.showingHelp ? SW_HIDE : SW_SHOW);
        SetDlgItemTextA(dialog, IDC_ABOUT_HELP, model.toggleLabel().c_str());
    }
    void show(HWND dialog) const {
        if (!model.caption.empty()) SetWindowTextA(dialog, model.caption.c_str());
        SetDlgItemTextA(dialog, IDC_ABOUT_TITLE, model.title.c_str());
        SetDlgItemTextA(dialog, IDC_ABOUT_CREDIT, model.credit.c_str());
        SetDlgItemTextA(dialog, IDC_ABOUT_SHORTCUTS, model.shortcuts.c_str());
        if (*LangTable::getString(kLangOk)) SetDlgItemTextA(dialog, IDOK, LangTable::getString(kLangOk));
        showPage(dialog);
    }
    bool accept(HWND, INT_PTR&) { return true; }
    bool command(HWND dialog, int id, int) {
        if (id != IDC_ABOUT_HELP) return false;
        model.toggleHelp();
        showPage(dialog);
        return true;
    }
};

// --- Volume information ------------------------------------------------------------

constexpr int kDriveImageWidth = 16;

struct VolumeInfoRun {
    static constexpr INT_PTR kCancelResult = IDCANCEL;
    VolumeInfoDialogModel model;
    HINSTANCE module;
    ImageList images;  // freed when the dialog has closed

    void fill(HWND dialog) const {
        HWND list = GetDlgItem(dialog, IDC_VOLUME_LIST);
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
        for (int row = 0; row < static_cast<int>(model.rows().size()); ++row) {
            std::string first = model.text(row, 0);
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = row;
            item.pszText = &first[0];
            item.iImage = model.image(row);
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
            for (int column = 1; column < VolumeInfoDialogModel::kColumnCount; ++column) {
                std::string text = model.text(row, column);
                LVITEMA cell{};
                cell.iSubItem = column;
                cell.pszText = &text[0];
                SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                             reinterpret_cast<LPARAM>(&cell));
            }
        }
    }
    void show(HWND dialog) {
        relabelDialog(dialog, 154, nullptr, 0);
        if (*LangTable::getString(kLangOk)) SetDlgItemTextA(dialog, IDOK, LangTable::getString(kLangOk));
        if (*LangTable::getString(kLangCancel))
            SetDlgItemTextA(dialog, IDCANCEL, LangTable::getString(kLangCancel));
        HWND list = GetDlgItem(dialog, IDC_VOLUME_LIST);
        SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        images = LoadMaskedImageList(module, IDB_DRIVE_IMAGES, kDriveImageWidth);
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.get()));
        static const struct {
            int text;
            int format;
            int width;
        } kColumns[] = {{324, LVCFMT_LEFT, 130}, {326, LVCFMT_LEFT, 120}, {325, LVCFMT_RIGHT, 80}};
        for (int c = 0; c < VolumeInfoDialogModel::kColumnCount; ++c) {
            std::string title = LangTable::getString(kColumns[c].text);
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
            column.fmt = kColumns[c].format;
            column.cx = kColumns[c].width;
            column.pszText = &title[0];
            column.iSubItem = c;
            SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
        }
        fill(dialog);
    }
    bool accept(HWND, INT_PTR&) { return true; }
    bool command(HWND, int, int) { return false; }
    // A click on a column's header sorts the rows by it.
    INT_PTR message(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
        if (message != WM_NOTIFY) return FALSE;
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.idFrom != IDC_VOLUME_LIST || header.code != LVN_COLUMNCLICK) return FALSE;
        model.clickColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        fill(dialog);
        return TRUE;
    }
};

// --- Option explorer ---------------------------------------------------------------

struct ExplorerOptionsRun {
    static constexpr INT_PTR kCancelResult = IDCANCEL;
    ExplorerOptionsDialogModel model;
    Settings& settings;
    Prompter& prompter;

    void show(HWND dialog) const {
        static const ControlText kTexts[] = {
            {IDC_EXPLORER_FIRST, 87},      {IDC_EXPLORER_FIRST + 1, 92}, {IDC_EXPLORER_FIRST + 2, 101},
            {IDC_EXPLORER_FIRST + 3, 91},  {IDC_EXPLORER_FIRST + 4, 94}, {IDC_EXPLORER_FIRST + 5, 89},
            {IDC_EXPLORER_FIRST + 6, 366}, {IDC_EXPLORER_GROUP, 335},    {IDOK, kLangOk},
            {IDCANCEL, kLangCancel},
        };
        relabelDialog(dialog, 334, kTexts);
        for (int c = 0; c < ExplorerOptionsDialogModel::kCategoryCount; ++c) {
            setChecked(dialog, IDC_EXPLORER_FIRST + c, model.shown(c));
        }
    }
    bool accept(HWND dialog, INT_PTR&) {
        for (int c = 0; c < ExplorerOptionsDialogModel::kCategoryCount; ++c) {
            model.setShown(c, isChecked(dialog, IDC_EXPLORER_FIRST + c));
        }
        return model.ok(settings, prompter);
    }
    bool command(HWND, int, int) { return false; }
};

}  // namespace

void PlaylistWindow::Impl::cmdVolumeInfo(int) {
    VolumeInfoRun run{VolumeInfoDialogModel(playlist), module, ImageList()};
    runModelDialog(module, IDD_VOLUME_INFO, hwnd, systemDialogs, run);
}

void PlaylistWindow::Impl::cmdExplorerOptions(int) {
    ExplorerOptionsRun run{ExplorerOptionsDialogModel(settings), settings, prompter};
    if (runModelDialog(module, IDD_EXPLORER_OPTIONS, hwnd, systemDialogs, run) != IDOK) return;
    filter.recountGenres();
    refreshExplorerPane();
}

void PlaylistWindow::Impl::cmdOptions(int) {
    OptionsRun run{OptionsDialogModel(settings), settings, prompter};
    runModelDialog(module, IDD_OPTIONS, hwnd, systemDialogs, run);
}

void PlaylistWindow::Impl::cmdReset(int) {
    ResetRun run{ResetDialogModel(), settings, prompter};
    if (runModelDialog(module, IDD_RESET, hwnd, systemDialogs, run) != 1) return;
    // The window's own placement and language go over the defaults just
    // restored, then the list takes the theme and the columns again.
    storePlacementAndLanguage();
    settings.save();
    applyTheme();
    view.applyOptions(settings);
    view.buildColumns(settings);
    rebuildColumns();
    refreshList();
    rewriteStatus(true);
}

void PlaylistWindow::Impl::cmdMediaWizard(int) {
    WizardRun run{MediaWizardDialogModel(settings), settings, prompter};
    if (runModelDialog(module, IDD_MEDIA_WIZARD, hwnd, systemDialogs, run) != IDOK) return;
    const int first = applyMediaWizard(view, run.model.targetSeconds());
    applyViewSelection();
    showSelectedLength();
    if (first >= 0) SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(first), FALSE);
    SetFocus(list);
}

void PlaylistWindow::Impl::cmdColumns(int) {
    saveColumnLayout();
    ColumnsRun run{ColumnsDialogModel(settings), settings, prompter};
    if (runModelDialog(module, IDD_COLUMNS, hwnd, systemDialogs, run) != IDOK) return;
    const DWORD grid = settings.showGrid == 1 ? LVS_EX_GRIDLINES : 0;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, grid);
    view.applyOptions(settings);
    filter.setViewSource(settings.viewSource());
    filter.recountGenres();
    refreshExplorerPane();
    view.buildColumns(settings);
    rebuildColumns();
    // The tag shown may have changed: the filter is applied again, the
    // selection kept.
    view.takeSnapshot();
    filter.refilter(view);
    duplicates.viewRebuilt();
    view.restoreSnapshot();
    applyViewSelection();
    refreshList();
    rewriteStatus(true);
}

void PlaylistWindow::Impl::cmdInformation(int id) {
    const bool whole = id == IDM_PLAYLIST_INFO || id == IDM_PLAYLIST_INFO_KEY;
    InfoRun run{InfoDialogModel(playlist, view, whole, filter.genres()), prompter};
    runModelDialog(module, IDD_INFORMATION, hwnd, systemDialogs, run);
}

void PlaylistWindow::Impl::cmdAbout(int) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    AboutRun run{AboutDialogModel(ReadModuleVersion(path))};
    runModelDialog(module, IDD_ABOUT, hwnd, systemDialogs, run);
}

}  // namespace td
