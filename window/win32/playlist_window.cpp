// The playlist window on Win32: creation, the start and end sequences, and
// the dialog procedure, which hands each message to a handler of its own.
// The list is a virtual list view over the PlaylistView model: rows, texts,
// totals and sorting live in the model; the list view only asks for them.
#include "window/win32/playlist_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "playlist/kq3.h"
#include "plugin/host_bridge.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "window/caption.h"
#include "window/win32/playlist_window_impl.h"
#include "window/win32/progress_dialog.h"
#include "window/window_resource.h"

namespace td {

namespace {

constexpr UINT kPanelTimerMs = 100;
constexpr int kSearchBoxLimit = 30;

using MessageHandler = INT_PTR (PlaylistWindow::Impl::*)(WPARAM, LPARAM);

struct MessageRow {
    UINT message;
    MessageHandler handler;
};

// Every message the window handles; the others go to the dialog manager.
const MessageRow kMessageTable[] = {
    {WM_DESTROY, &PlaylistWindow::Impl::onDestroy},
    {WM_CLOSE, &PlaylistWindow::Impl::onClose},
    {WM_SIZE, &PlaylistWindow::Impl::onSize},
    {WM_ACTIVATE, &PlaylistWindow::Impl::onActivate},
    {WM_TIMER, &PlaylistWindow::Impl::onTimer},
    {WM_HSCROLL, &PlaylistWindow::Impl::onHScroll},
    {WM_INITMENUPOPUP, &PlaylistWindow::Impl::onInitMenuPopup},
    {WM_DRAWITEM, &PlaylistWindow::Impl::onDrawItem},
    {WM_CONTEXTMENU, &PlaylistWindow::Impl::onContextMenu},
    {WM_MOUSEMOVE, &PlaylistWindow::Impl::onMouseMove},
    {WM_LBUTTONDOWN, &PlaylistWindow::Impl::onLButtonDown},
    {WM_LBUTTONUP, &PlaylistWindow::Impl::onLButtonUp},
    {WM_CAPTURECHANGED, &PlaylistWindow::Impl::onCaptureChanged},
    {WM_DROPFILES, &PlaylistWindow::Impl::onDropFiles},
    {WM_SYSCOLORCHANGE, &PlaylistWindow::Impl::onSystemChange},
    {WM_DEVMODECHANGE, &PlaylistWindow::Impl::onSystemChange},
    {WM_DISPLAYCHANGE, &PlaylistWindow::Impl::onSystemChange},
    {WM_PALETTEISCHANGING, &PlaylistWindow::Impl::onSystemChange},
    {WM_PALETTECHANGED, &PlaylistWindow::Impl::onSystemChange},
    {WM_QUERYNEWPALETTE, &PlaylistWindow::Impl::onQueryNewPalette},
    {kMsgSearchDone, &PlaylistWindow::Impl::onSearchDone},
    {kMsgGatherDone, &PlaylistWindow::Impl::onGatherDone},
    {kMsgGatherMovedFiles, &PlaylistWindow::Impl::onGatherMoved},
    {WM_COMMAND, &PlaylistWindow::Impl::onCommand},
    {WM_NOTIFY, &PlaylistWindow::Impl::onNotify},
};

}  // namespace

std::string GetControlText(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    const int got = GetWindowTextA(control, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

ImageList LoadMaskedImageList(HINSTANCE module, int bitmapId, int imageWidth) {
    Bitmap bitmap(static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) return ImageList();
    BITMAP info{};
    GetObject(bitmap.get(), sizeof(info), &info);
    const int width = imageWidth > 0 ? imageWidth : info.bmWidth;
    ImageList list(ImageList_Create(width, info.bmHeight, ILC_COLOR24 | ILC_MASK, 4, 0));
    if (list) ImageList_AddMasked(list.get(), bitmap.get(), RGB(255, 0, 255));
    return list;
}

PlaylistWindow::Impl::Impl(PlaylistWindow& window, HINSTANCE resources, HWND hostWindow,
                           HostBridge& hostBridge, Settings& options, LangTable& language, std::string file,
                           Prompter* dialogs)
    : self(window),
      module(resources),
      owner(hostWindow),
      bridge(hostBridge),
      settings(options),
      lang(language),
      startFile(std::move(file)),
      view(playlist),
      filter(playlist),
      prompter(dialogs ? *dialogs : static_cast<Prompter&>(systemDialogs)) {}

PlaylistWindow::Impl::~Impl() = default;

// --- PlaylistWindow -----------------------------------------------------------

PlaylistWindow::PlaylistWindow(HINSTANCE module, HWND owner, HostBridge& bridge, Settings& settings,
                               LangTable& lang, std::string startFile, Prompter* prompter)
    : impl_(std::make_unique<Impl>(*this, module, owner, bridge, settings, lang, std::move(startFile),
                                   prompter)) {}

PlaylistWindow::~PlaylistWindow() { destroy(); }

bool PlaylistWindow::create() {
    if (hwnd_) return true;
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                                ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&init);
    CreateDialogParamA(impl_->module, MAKEINTRESOURCEA(IDD_PLAYLIST_WINDOW), impl_->owner, &Impl::DialogProc,
                       reinterpret_cast<LPARAM>(impl_.get()));
    return hwnd_ != nullptr;
}

void PlaylistWindow::setConfigureAction(std::function<void()> action) {
    impl_->configure = std::move(action);
}

void PlaylistWindow::destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

Playlist& PlaylistWindow::playlist() { return impl_->playlist; }
PlaylistView& PlaylistWindow::view() { return impl_->view; }
HWND PlaylistWindow::listView() const { return hwnd_ ? impl_->list : nullptr; }
HWND PlaylistWindow::treeView() const { return hwnd_ ? impl_->tree : nullptr; }
HWND PlaylistWindow::statusBar() const { return hwnd_ ? impl_->status : nullptr; }
int PlaylistWindow::explorerWidth() const { return impl_->layout.explorerWidth(); }
bool PlaylistWindow::explorerShown() const { return impl_->explorerShown; }
int PlaylistWindow::playingIndex() const { return impl_->playingIndex; }
int PlaylistWindow::previousPlayingIndex() const { return impl_->previousPlayingIndex; }
const std::string& PlaylistWindow::startFile() const { return impl_->startFile; }
const std::string& PlaylistWindow::currentFile() const { return impl_->currentFile; }
bool PlaylistWindow::gathering() const { return impl_->gathering(); }
HWND PlaylistWindow::progressDialog() const { return impl_->gather ? impl_->gather->dialog() : nullptr; }
int PlaylistWindow::longestStallMs() const { return impl_->longestStallMs; }
const GatherSummary& PlaylistWindow::lastGatherSummary() const { return impl_->lastGather; }

std::string PlaylistWindow::statusText(int part) const {
    HWND bar = statusBar();
    if (!bar || part < 0 || part >= kStatusPartCount) return std::string();
    const LRESULT info = SendMessageA(bar, SB_GETTEXTLENGTHA, static_cast<WPARAM>(part), 0);
    std::string text(static_cast<size_t>(LOWORD(info)) + 1, '\0');
    SendMessageA(bar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(std::strlen(text.c_str()));
    return text;
}

bool PlaylistWindow::command(int id) {
    if (!hwnd_ || !Impl::hasCommand(id)) return false;
    SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return true;
}

bool PlaylistWindow::hasCommand(int id) { return Impl::hasCommand(id); }

// --- start and end ------------------------------------------------------------

void PlaylistWindow::Impl::start(HWND dialog) {
    hwnd = dialog;
    self.hwnd_ = dialog;
    systemDialogs.setOwner(dialog);
    list = GetDlgItem(dialog, IDC_LIST);
    tree = GetDlgItem(dialog, IDC_TREE);
    splitter = GetDlgItem(dialog, IDC_SPLITTER);

    // 1. The stored placement. A window stored minimised would come back
    // hidden (minimising hides it), so it opens normally instead.
    WINDOWPLACEMENT placement{};
    static_assert(sizeof(WindowPlacementRecord) <= sizeof(WINDOWPLACEMENT), "placement size");
    std::memcpy(&placement, &settings.windowPlacement, sizeof(WindowPlacementRecord));
    placement.length = sizeof(placement);
    if (placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_MINIMIZE ||
        placement.showCmd == SW_SHOWMINNOACTIVE || placement.showCmd == SW_HIDE ||
        placement.showCmd == SW_FORCEMINIMIZE) {
        placement.showCmd = SW_SHOWNORMAL;
    }
    // The template is hidden; the placement's show command shows it once the
    // start sequence is through (below).
    const UINT showCmd = placement.showCmd;
    placement.showCmd = SW_HIDE;
    SetWindowPlacement(dialog, &placement);

    // 2. Panel timer, small icon, splitter cursor.
    SetTimer(dialog, kPanelTimer, kPanelTimerMs, nullptr);
    smallIcon.reset(
        static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(IDI_WINDOW), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    if (smallIcon) SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
    splitterCursor = LoadCursorA(module, MAKEINTRESOURCEA(IDR_SPLITTER_CURSOR));
    if (!splitterCursor) splitterCursor = LoadCursor(nullptr, IDC_SIZEWE);

    // 3-4. The bitmap buttons, the volume bar.
    setUpPlayerPanel();

    // 5. The search text.
    SendDlgItemMessageA(dialog, IDC_SEARCH, EM_LIMITTEXT, kSearchBoxLimit, 0);

    // 6-7. The status bar, the list view.
    setUpList();

    // The menu bar and the shortcuts.
    HMENU bar = CreateWindowMenu(module, WindowMenu::Bar, &lang);
    if (bar) SetMenu(dialog, bar);
    accelerators = LoadWindowAccelerators(module);

    // 8. Lay out once.
    started = true;
    layoutControls();

    // 9. The explorer.
    if (settings.explorerShown == 1) showExplorer();

    // 10. Every text from the language table.
    relabel();

    // 11. The list: the host's playlist or the start file.
    {
        WaitCursor wait;
        if (settings.loadOnStartup == 1) {
            bridge.ReloadFromHost(playlist, view);
        } else {
            loadKq3(startFile, true, playlist, view, prompter);
        }
        afterListChange();
    }

    // 12. The first item selected.
    selectFirstRow();

    // 13. The list's background in the theme, then the theme itself.
    SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Impl::ListProc)));
    applyTheme();
    updateCaption();

    ShowWindow(dialog, static_cast<int>(showCmd));
    self.visible_ = 1;
}

void PlaylistWindow::Impl::end() {
    // 1. A gathering run (its entries so far are whole), timers, search
    // worker, accelerators.
    stopGather();
    KillTimer(hwnd, kPanelTimer);
    filter.stopSearch();
    removeHook();
    // 2. The selection snapshot.
    view.clearSnapshot();
    // 3. The whole list into the start file.
    saveKq3(playlist, startFile, nullptr);
    // 4. Items of both controls; no window any more.
    if (listProc) SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc));
    listProc = nullptr;
    SendMessageA(list, LVM_SETITEMCOUNT, 0, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    fillingTree = true;
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    fillingTree = false;
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    // 5. Buttons' and lists' images, the icon.
    for (ImageList& images : buttonImages) images.reset();
    listImages.reset();
    ratingStars.reset();
    treeImages.reset();
    smallIcon.reset();
    explorerShown = false;
    started = false;
    playingIndex = previousPlayingIndex = -1;
    playingEntry = nullptr;
    hwnd = list = tree = status = splitter = nullptr;
    systemDialogs.setOwner(nullptr);
    self.hwnd_ = nullptr;
    self.visible_ = 0;
}

void PlaylistWindow::Impl::close() {
    saveColumnLayout();
    storePlacementAndLanguage();
    settings.save();
    DestroyWindow(hwnd);
}

void PlaylistWindow::Impl::storePlacementAndLanguage() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(hwnd, &placement)) {
        WindowPlacementRecord record{};
        std::memcpy(&record, &placement, sizeof(record));
        record.length = sizeof(WindowPlacementRecord);
        settings.windowPlacement = record;
    }
    settings.setLanguage(lang.currentName());
}

void PlaylistWindow::Impl::updateCaption() {
    if (hwnd) SetWindowTextA(hwnd, captionText(filter.filter().mask, currentFile).c_str());
}

// --- messages -----------------------------------------------------------------

INT_PTR CALLBACK PlaylistWindow::Impl::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        Impl* self = reinterpret_cast<Impl*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
        self->start(hwnd);
        return FALSE;  // the list keeps the focus the start gave it
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        return FALSE;
    }
    Impl* self = reinterpret_cast<Impl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || self->hwnd != hwnd) return FALSE;
    return self->dialogProc(message, wParam, lParam);
}

INT_PTR PlaylistWindow::Impl::dialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    for (const MessageRow& row : kMessageTable) {
        if (row.message == message) return (this->*row.handler)(wParam, lParam);
    }
    return FALSE;
}

// A dialog procedure returns a message's own result through DWLP_MSGRESULT.
INT_PTR PlaylistWindow::Impl::setResult(LRESULT value) {
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, value);
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onDestroy(WPARAM, LPARAM) {
    end();
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onClose(WPARAM, LPARAM) {
    close();
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onSize(WPARAM wParam, LPARAM) {
    if (!started) return TRUE;
    if (wParam == SIZE_MINIMIZED) {
        self.visible_ = 0;
        ShowWindow(hwnd, SW_HIDE);
    } else {
        self.visible_ = 1;
        layoutControls();
    }
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onActivate(WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) != WA_INACTIVE) {
        installHook();
    } else {
        removeHook();
    }
    return FALSE;
}

INT_PTR PlaylistWindow::Impl::onTimer(WPARAM wParam, LPARAM) {
    if (wParam == kPanelTimer) refreshPanel();
    if (wParam == kStallTimer) noteStallTick();
    if (wParam == kHandoverTimer) takeGathered();
    if (wParam == kSearchProgressTimer) showSearchProgress();
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onInitMenuPopup(WPARAM, LPARAM) {
    if (HMENU bar = GetMenu(hwnd)) {
        UpdateMenuBarChecks(bar, menuState());
        GreyAbsentCommands(bar, &Impl::hasCommand);
    }
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onContextMenu(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) != list) return FALSE;
    POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) {  // from the keyboard: at the focused row
        const int row =
            static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        RECT rc{};
        rc.left = LVIR_LABEL;
        if (row < 0 ||
            !SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rc))) {
            GetClientRect(list, &rc);
        }
        pt = POINT{rc.left, rc.bottom};
        ClientToScreen(list, &pt);
    }
    TrackWindowMenu(module, hwnd, WindowMenu::ListContext, pt, menuState(), &Impl::hasCommand);
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onDropFiles(WPARAM wParam, LPARAM) {
    dropFiles(reinterpret_cast<HDROP>(wParam));
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onSystemChange(WPARAM, LPARAM) {
    settings.refreshSystemTheme();
    for (int id : {IDC_VOLUME, IDC_POSITION, IDC_TREE, IDC_LIST}) {
        SendDlgItemMessageA(hwnd, id, WM_SYSCOLORCHANGE, 0, 0);
    }
    applyTheme();
    relabel();
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onQueryNewPalette(WPARAM wParam, LPARAM lParam) {
    onSystemChange(wParam, lParam);
    return FALSE;
}

INT_PTR PlaylistWindow::Impl::onSearchDone(WPARAM, LPARAM) {
    endSearchProgress();
    if (filter.applySearchResult(view)) {
        duplicates.viewRebuilt();
        refreshList();
        rewriteStatus(false);
    }
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (lParam != 0) {  // from a control
        if (id == IDC_SEARCH) {
            if (code == EN_UPDATE) searchTextChanged();
            return TRUE;
        }
        if (code != BN_CLICKED) return FALSE;
    }
    return runCommand(id) ? TRUE : FALSE;
}

INT_PTR PlaylistWindow::Impl::onNotify(WPARAM, LPARAM lParam) {
    const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.hwndFrom == list) return onListNotify(header, lParam);
    if (header.hwndFrom == tree) return onTreeNotify(header, lParam);
    return FALSE;
}

}  // namespace td
