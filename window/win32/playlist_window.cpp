// The playlist window on Win32: the dialog, its controls and messages. The
// list is a virtual list view over the PlaylistView model: rows, texts,
// totals and sorting live in the model; the list view only asks for them.
#include "window/win32/playlist_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/prompter.h"
#include "playlist/kq3.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "plugin/host_bridge.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "window/caption.h"
#include "window/explorer_tree.h"
#include "window/filter_search.h"
#include "window/win32/window_menus.h"
#include "window/window_layout.h"

namespace td {

namespace {

// Controls of template 135 and the status bar.
enum ControlId : int {
    kIdList = 1008,
    kIdSearchMenu = 1037,
    kIdPrevious = 1038,
    kIdSearch = 1039,
    kIdFileMenu = 1040,
    kIdAddMenu = 1041,
    kIdVolume = 1042,
    kIdVolumeLabel = 1043,
    kIdPosition = 1044,
    kIdPlay = 1045,
    kIdPause = 1046,
    kIdStop = 1047,
    kIdNext = 1048,
    kIdTree = 1190,
    kIdSplitter = 1191,
    kIdSearchLabel = 1211,
    kIdElapsed = 1247,
    kIdTotal = 1248,
    kIdCurrentFile = 1249,
    kIdStatus = 400,
};

constexpr int kDialogTemplate = 135;
constexpr UINT_PTR kPanelTimer = 1;
constexpr UINT kPanelTimerMs = 100;
constexpr int kSearchBoxLimit = 30;
constexpr int kSmallIcon = 106;
constexpr int kSplitterCursor = 160;
constexpr int kListImagesBitmap = 181;
constexpr int kRatingBitmap = 180;
constexpr int kTreeImagesBitmap = 182;
constexpr COLORREF kTransparent = RGB(255, 0, 255);
// The search worker has finished (posted from its thread).
constexpr UINT kMsgSearchDone = WM_APP + 41;
constexpr int kMaxFolderDepth = 64;

// List images: bitmap 181.
enum ListImage : int { kImageSong = 0, kImagePlaying = 1, kImageMissing = 2 };

// Window commands handled so far (the others arrive with later work).
enum WindowCommand : int {
    kCmdPlaySelection = 40005,
    kCmdEnqueueSelection = 40006,
    kCmdPlayAll = 40007,
    kCmdEnqueueAll = 40008,
    kCmdClearHostPlaylist = 40009,
    kCmdToggleHostPlaylist = 40010,
    kCmdSelectAll = 40011,
    kCmdSelectNone = 40012,
    kCmdSelectToggle = 40013,
    kCmdEditTag = 40068,
    kCmdQuit = 40074,
    kCmdViewFirst = 40087,
    kCmdViewLast = 40094,
    kCmdExplorer = 40127,
    kCmdExplorerKey = 40128,
    kCmdReload = 40130,
    kCmdReloadKey = 40131,
    kCmdPlayKey = 40052,
    kCmdSelectAllKey = 40053,
    kCmdSelectToggleKey = 40065,
    kCmdQuitKey = 40079,
};

struct ButtonDef {
    int id;
    int bitmap;
};
// The eight bitmap buttons, in the order the window keeps them.
constexpr ButtonDef kButtons[8] = {
    {kIdSearchMenu, 170}, {kIdFileMenu, 169}, {kIdAddMenu, 176}, {kIdPlay, 172},
    {kIdPause, 171},      {kIdStop, 173},     {kIdPrevious, 175}, {kIdNext, 174},
};

int hostCommandOfButton(int id) {
    switch (id) {
    case kIdPrevious: return kHostPrevious;
    case kIdPlay: return kHostPlay;
    case kIdPause: return kHostPause;
    case kIdStop: return kHostStop;
    case kIdNext: return kHostNext;
    default: return 0;
    }
}

// Message boxes owned by the window.
class WindowPrompter : public Prompter {
public:
    HWND owner = nullptr;
    PromptAnswer Message(const std::string& text, const std::string& caption, PromptButtons buttons,
                         PromptIcon icon) override {
        UINT flags = 0;
        switch (buttons) {
        case PromptButtons::Ok: flags |= MB_OK; break;
        case PromptButtons::OkCancel: flags |= MB_OKCANCEL; break;
        case PromptButtons::YesNo: flags |= MB_YESNO; break;
        case PromptButtons::YesNoCancel: flags |= MB_YESNOCANCEL; break;
        }
        switch (icon) {
        case PromptIcon::None: break;
        case PromptIcon::Error: flags |= MB_ICONSTOP; break;
        case PromptIcon::Question: flags |= MB_ICONQUESTION; break;
        case PromptIcon::Warning: flags |= MB_ICONWARNING; break;
        case PromptIcon::Information: flags |= MB_ICONINFORMATION; break;
        }
        switch (MessageBoxA(owner, text.c_str(), caption.c_str(), flags)) {
        case IDOK: return PromptAnswer::Ok;
        case IDYES: return PromptAnswer::Yes;
        case IDNO: return PromptAnswer::No;
        default: return PromptAnswer::Cancel;
        }
    }
};

// Loads a bitmap resource into a masked image list of square images.
HIMAGELIST loadImageList(HINSTANCE module, int bitmapId, int imageWidth) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) return nullptr;
    BITMAP info{};
    GetObject(bitmap, sizeof(info), &info);
    const int width = imageWidth > 0 ? imageWidth : info.bmWidth;
    HIMAGELIST list = ImageList_Create(width, info.bmHeight, ILC_COLOR24 | ILC_MASK, 4, 0);
    if (list) ImageList_AddMasked(list, bitmap, kTransparent);
    DeleteObject(bitmap);
    return list;
}

std::string windowText(HWND hwnd) {
    const int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    const int got = GetWindowTextA(hwnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

// The tree's images (bitmap 182): 0 root, 1 artist, 2 album, 3 other folders.
int treeImageOf(const ExplorerNode& node) {
    if (node.kind == ExplorerNodeKind::Root) return 0;
    if (node.category == kCategoryArtist) return 1;
    if (node.category == kCategoryAlbum) return 2;
    return 3;
}

}  // namespace

struct PlaylistWindow::Impl {
    Impl(PlaylistWindow& window, HINSTANCE resources, HWND hostWindow, HostBridge& hostBridge,
         Settings& options, LangTable& language, std::string file)
        : self(window),
          module(resources),
          owner(hostWindow),
          bridge(hostBridge),
          settings(options),
          lang(language),
          startFile(std::move(file)),
          view(playlist),
          filter(playlist) {}

    PlaylistWindow& self;
    HINSTANCE module;
    HWND owner;
    HostBridge& bridge;
    Settings& settings;
    LangTable& lang;
    std::string startFile;

    Playlist playlist;
    PlaylistView view;
    FilterSearch filter;
    ExplorerTree explorer;

    HWND hwnd = nullptr;
    HWND list = nullptr;
    HWND tree = nullptr;
    HWND status = nullptr;
    HWND splitter = nullptr;
    HANDLE quitEvent = nullptr;
    HANDLE workerThread = nullptr;
    HICON smallIcon = nullptr;
    HCURSOR splitterCursor = nullptr;
    HIMAGELIST buttonImages[8] = {};
    HIMAGELIST smallImages = nullptr;
    HIMAGELIST ratingImageList = nullptr;
    HIMAGELIST treeImages = nullptr;
    HACCEL accelerators = nullptr;
    WNDPROC listProc = nullptr;
    WindowPrompter prompter;

    ListColors colors;
    int playingIndex = -1;
    int previousPlayingIndex = -1;
    const SongRecord* playingEntry = nullptr;
    bool statusEnabled = true;
    bool duplicatesMode = false;
    bool explorerShown = false;
    bool started = false;     // the start sequence has laid out the controls
    bool fillingTree = false;
    bool sortMarked = false;  // the header shows the sort direction
    WindowLayout layout;
    std::string display;
    PositionPanel panel;
    bool panelShown = false;

    // --- start and end --------------------------------------------------
    void start(HWND dialog);
    void end();
    void close();

    // --- layout and drawing ---------------------------------------------
    void layoutControls();
    void applyTheme();
    void relabel();
    void rebuildColumns();
    void saveColumnLayout();
    bool columnsMatchView() const;
    void updateSortMark();
    void drawButton(const DRAWITEMSTRUCT& item);
    LRESULT customDraw(NMLVCUSTOMDRAW& cd);
    LRESULT treeCustomDraw(NMTVCUSTOMDRAW& cd);
    int imageOf(int row) const;
    void drawInvertedBar(const LayoutRect& bar);

    // --- list and status -------------------------------------------------
    void refreshList();            // row count, playing row, whole redraw
    void rewriteStatus(bool keepSelection);
    void setStatusPart(int part, const std::string& text);
    void showSelectedLength();
    void applyViewSelection();     // the view's selected flags into the list
    void selectionChanged(int from, int to, UINT oldState, UINT newState);
    void markPlaying(int row);
    // No row selected and the selected length's part emptied.
    void deselect();
    std::vector<std::string> pathsOf(const std::vector<SongRecord*>& entries) const;
    void playEntries(const std::vector<SongRecord*>& entries, int firstRow);
    void doubleClick();
    void afterListChange();        // genres, explorer, rows, status

    // --- explorer -------------------------------------------------------
    void showExplorer();
    void hideExplorer();
    void refreshExplorerPane();
    void fillTree();
    void treeSelectionChanged(LPARAM node);
    void refilter();

    // --- commands and messages ------------------------------------------
    bool onCommand(int id);
    void switchViewSource(int source);
    void switchLanguage(int index);
    void reloadFromHost();
    void refreshPanel();
    void openButtonMenu(int id);
    void dropFiles(HDROP drop);
    void addDropped(const std::string& path, int depth);
    MenuState menuState() const;
    void installHook();
    void removeHook();

    INT_PTR dialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);

    // The window whose accelerators apply, and the hook on this thread.
    static inline Impl* hookWindow = nullptr;
    static inline HHOOK hook = nullptr;
};

// --- PlaylistWindow -----------------------------------------------------------

PlaylistWindow::PlaylistWindow(HINSTANCE module, HWND owner, HostBridge& bridge, Settings& settings,
                               LangTable& lang, std::string startFile)
    : impl_(std::make_unique<Impl>(*this, module, owner, bridge, settings, lang,
                                   std::move(startFile))) {}

PlaylistWindow::~PlaylistWindow() { destroy(); }

bool PlaylistWindow::create() {
    if (hwnd_) return true;
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES |
                                                ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    CreateDialogParamA(impl_->module, MAKEINTRESOURCEA(kDialogTemplate), impl_->owner,
                       &Impl::DialogProc, reinterpret_cast<LPARAM>(impl_.get()));
    return hwnd_ != nullptr;
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
    if (!hwnd_) return false;
    SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return true;
}

// --- start and end ------------------------------------------------------------

void PlaylistWindow::Impl::start(HWND dialog) {
    hwnd = dialog;
    self.hwnd_ = dialog;
    prompter.owner = dialog;
    list = GetDlgItem(dialog, kIdList);
    tree = GetDlgItem(dialog, kIdTree);
    splitter = GetDlgItem(dialog, kIdSplitter);

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

    // 2. Quit event, panel timer, small icon, splitter cursor.
    quitEvent = CreateEventA(nullptr, FALSE, FALSE, "QuitEvent");
    SetTimer(dialog, kPanelTimer, kPanelTimerMs, nullptr);
    smallIcon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(kSmallIcon), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0));
    if (smallIcon) SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    splitterCursor = LoadCursorA(module, MAKEINTRESOURCEA(kSplitterCursor));
    if (!splitterCursor) splitterCursor = LoadCursor(nullptr, IDC_SIZEWE);

    // 3. The bitmap buttons.
    for (int i = 0; i < 8; ++i) buttonImages[i] = loadImageList(module, kButtons[i].bitmap, 0);

    // 4. Volume bar, in line with the host.
    HWND volume = GetDlgItem(dialog, kIdVolume);
    SendMessageA(volume, TBM_SETRANGE, TRUE, MAKELPARAM(0, 255));
    SendMessageA(volume, TBM_SETPAGESIZE, 0, 50);
    SendMessageA(volume, TBM_SETLINESIZE, 0, 10);
    const intptr_t hostVolume = bridge.GetVolume();
    if (hostVolume >= 0) {
        SendMessageA(volume, TBM_SETPOS, TRUE, static_cast<LPARAM>(std::min<intptr_t>(hostVolume, 255)));
    }

    // 5. The search text.
    SendDlgItemMessageA(dialog, kIdSearch, EM_LIMITTEXT, kSearchBoxLimit, 0);

    // 6. The status bar with its five parts.
    status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0,
                             0, 0, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdStatus)),
                             module, nullptr);
    if (status) {
        int edges[kStatusPartCount];
        std::copy(std::begin(kStatusPartEdges), std::end(kStatusPartEdges), edges);
        SendMessageA(status, SB_SETPARTS, kStatusPartCount, reinterpret_cast<LPARAM>(edges));
    }

    // 7. The list view: styles, images, columns.
    DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP;
    if (settings.showGrid == 1) extended |= LVS_EX_GRIDLINES;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    smallImages = loadImageList(module, kListImagesBitmap, 16);
    ratingImageList = loadImageList(module, kRatingBitmap, 16);
    if (smallImages) SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages));
    view.applyOptions(settings);
    filter.applySettings(settings);
    view.buildColumns(settings);
    rebuildColumns();

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
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    if (settings.loadOnStartup == 1) {
        bridge.ReloadFromHost(playlist, view);
    } else {
        loadKq3(startFile, true, playlist, view, prompter);
    }
    afterListChange();
    SetCursor(previous);

    // 12. The first item selected.
    if (view.rowCount() > 0) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    }

    // 13. The list's background in the theme, then the theme itself.
    SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Impl::ListProc)));
    applyTheme();

    ShowWindow(dialog, static_cast<int>(showCmd));
    self.visible_ = 1;
}

void PlaylistWindow::Impl::end() {
    // 1. Timer, quit event, worker.
    KillTimer(hwnd, kPanelTimer);
    filter.stopSearch();
    if (quitEvent) CloseHandle(quitEvent);
    quitEvent = nullptr;
    if (workerThread) CloseHandle(workerThread);
    workerThread = nullptr;
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
    // 5. Buttons' and lists' images.
    for (HIMAGELIST& images : buttonImages) {
        if (images) ImageList_Destroy(images);
        images = nullptr;
    }
    for (HIMAGELIST* images : {&smallImages, &ratingImageList, &treeImages}) {
        if (*images) ImageList_Destroy(*images);
        *images = nullptr;
    }
    if (smallIcon) DestroyIcon(smallIcon);
    smallIcon = nullptr;
    explorerShown = false;
    started = false;
    playingIndex = previousPlayingIndex = -1;
    playingEntry = nullptr;
    hwnd = list = tree = status = splitter = nullptr;
    self.hwnd_ = nullptr;
    self.visible_ = 0;
}

void PlaylistWindow::Impl::close() {
    saveColumnLayout();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(hwnd, &placement)) {
        WindowPlacementRecord record{};
        std::memcpy(&record, &placement, sizeof(record));
        record.length = sizeof(WindowPlacementRecord);
        settings.windowPlacement = record;
    }
    settings.setLanguage(lang.currentName());
    settings.save();
    DestroyWindow(hwnd);
}

// --- layout and drawing -------------------------------------------------------

void PlaylistWindow::Impl::layoutControls() {
    if (!started) return;
    RECT client{};
    GetClientRect(hwnd, &client);
    RECT edit{};
    GetWindowRect(GetDlgItem(hwnd, kIdSearch), &edit);
    int statusHeight = 0;
    if (status) {
        SendMessageA(status, WM_SIZE, 0, 0);
        RECT bar{};
        GetWindowRect(status, &bar);
        statusHeight = bar.bottom - bar.top;
    }
    LayoutInput in;
    in.clientWidth = client.right;
    in.clientHeight = client.bottom;
    in.searchEditHeight = edit.bottom - edit.top;
    in.statusHeight = statusHeight;
    in.explorerShown = explorerShown;
    const LayoutResult r = layout.layout(in);

    HDWP batch = BeginDeferWindowPos(6);
    auto place = [&batch](HWND control, const LayoutRect& rect) {
        if (control && batch) {
            batch = DeferWindowPos(batch, control, nullptr, rect.left, rect.top, rect.width,
                                   rect.height, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    };
    if (r.explorer) {
        place(tree, r.tree);
        place(splitter, r.splitter);
    }
    place(list, r.list);
    place(status, r.status);
    // The player panel's wide controls end 4 pixels from the right edge.
    for (int id : {kIdVolume, kIdPosition, kIdCurrentFile}) {
        HWND control = GetDlgItem(hwnd, id);
        RECT rc{};
        GetWindowRect(control, &rc);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rc), 2);
        const int width = stretchedWidth(rc.left, client.right);
        if (width > 0 && batch) {
            batch = DeferWindowPos(batch, control, nullptr, rc.left, rc.top, width,
                                   rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (batch) EndDeferWindowPos(batch);
}

void PlaylistWindow::Impl::applyTheme() {
    colors = listColorsOf(settings.currentTheme());
    if (treeImages) SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(treeImages));
    if (smallImages) SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages));
    SendMessageA(list, LVM_SETBKCOLOR, 0, colors.background);
    SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, colors.background);
    SendMessageA(list, LVM_SETTEXTCOLOR, 0, colors.text);
    SendMessageA(tree, TVM_SETBKCOLOR, 0, colors.background);
    SendMessageA(tree, TVM_SETTEXTCOLOR, 0, colors.text);
    for (HWND control : {list, tree}) {
        LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
        style |= (control == list) ? LVS_SHOWSELALWAYS : TVS_SHOWSELALWAYS;
        SetWindowLongPtrA(control, GWL_STYLE, style);
        InvalidateRect(control, nullptr, TRUE);
    }
}

void PlaylistWindow::Impl::relabel() {
    HMENU bar = GetMenu(hwnd);
    if (bar) {
        RelabelMenuBar(bar, lang);
        DrawMenuBar(hwnd);
    }
    const char* search = LangTable::getString(322);
    if (*search) SetDlgItemTextA(hwnd, kIdSearchLabel, search);
    const int volume = static_cast<int>(SendDlgItemMessageA(hwnd, kIdVolume, TBM_GETPOS, 0, 0));
    SetDlgItemTextA(hwnd, kIdVolumeLabel, HostBridge::VolumeLabel(volume).c_str());
    InvalidateRect(GetDlgItem(hwnd, kIdFileMenu), nullptr, TRUE);
    InvalidateRect(GetDlgItem(hwnd, kIdAddMenu), nullptr, TRUE);
    // Titles again from the table; widths and the dragged order are kept,
    // and the rows stay in their order.
    const int count = view.columnCount();
    std::vector<int> order(static_cast<size_t>(std::max(count, 0)));
    const bool haveOrder = count > 0 && columnsMatchView() &&
                           SendMessageA(list, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                                        reinterpret_cast<LPARAM>(order.data()));
    if (haveOrder) {
        for (int position = 0; position < count; ++position) {
            view.setColumnWidthAt(position, static_cast<int>(SendMessageA(
                                                list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(position), 0)));
        }
    }
    rebuildColumns();
    if (haveOrder) {
        SendMessageA(list, LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                     reinterpret_cast<LPARAM>(order.data()));
    }
    refreshList();
    rewriteStatus(true);
}

bool PlaylistWindow::Impl::columnsMatchView() const {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    return header && static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) == view.columnCount();
}

void PlaylistWindow::Impl::rebuildColumns() {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {
    }
    for (int position = 0; position < view.columnCount(); ++position) {
        const int id = view.columnIdAt(position);
        std::string title = columnTitle(id);
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = columnDef(id).align == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = view.columnWidthAt(position);
        column.pszText = &title[0];
        column.iSubItem = position;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(&column));
    }
    updateSortMark();
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void PlaylistWindow::Impl::saveColumnLayout() {
    const int count = view.columnCount();
    if (!list || count <= 0) return;
    if (!columnsMatchView()) return;  // the list's columns are not the view's yet
    std::vector<int> order(static_cast<size_t>(count));
    if (!SendMessageA(list, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                      reinterpret_cast<LPARAM>(order.data()))) {
        for (int i = 0; i < count; ++i) order[static_cast<size_t>(i)] = i;
    }
    std::array<int32_t, kColumnCount> ids = settings.getColumnOrder();
    std::array<int32_t, kColumnCount> widths = settings.getColumnWidth();
    for (int shown = 0; shown < count; ++shown) {
        const int position = order[static_cast<size_t>(shown)];
        const int id = view.columnIdAt(position);
        if (id < 0) continue;
        ids[static_cast<size_t>(shown)] = id;
        widths[static_cast<size_t>(id)] =
            static_cast<int32_t>(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(position), 0));
    }
    // The tail keeps its old ids; setColumnOrder drops those now in front and
    // appends the missing ones, so the order stays a permutation.
    settings.setColumnOrder(ids);
    settings.setColumnWidth(widths);
    settings.visibleColumnCount = count;
    settings.setSortKey(view.sortColumnId(), view.sortDescending());
}

void PlaylistWindow::Impl::updateSortMark() {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    if (!header) return;
    // The mark shows once the user has sorted: a list loaded in file order
    // is not in the order of the stored key.
    const int sorted = sortMarked ? view.sortPosition() : -1;
    for (int position = 0; position < view.columnCount(); ++position) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        if (!SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item))) {
            continue;
        }
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (position == sorted) item.fmt |= view.sortDescending() ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item));
    }
}

void PlaylistWindow::Impl::drawButton(const DRAWITEMSTRUCT& item) {
    int index = -1;
    for (int i = 0; i < 8; ++i) {
        if (kButtons[i].id == static_cast<int>(item.CtlID)) index = i;
    }
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &rc, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const int shift = pressed ? 1 : 0;
    const std::string text = windowText(item.hwndItem);
    int imageWidth = 0;
    int imageHeight = 0;
    if (index >= 0 && buttonImages[index]) ImageList_GetIconSize(buttonImages[index], &imageWidth, &imageHeight);
    const int height = rc.bottom - rc.top;
    int x = text.empty() ? rc.left + (rc.right - rc.left - imageWidth) / 2 : rc.left + 4;
    if (imageWidth > 0) {
        const UINT style = (item.itemState & ODS_DISABLED) ? (ILD_TRANSPARENT | ILD_BLEND50) : ILD_TRANSPARENT;
        ImageList_Draw(buttonImages[index], 0, dc, x + shift, rc.top + (height - imageHeight) / 2 + shift, style);
        x += imageWidth + 3;
    }
    if (!text.empty()) {
        RECT textRect{x + shift, rc.top + shift, rc.right - 2 + shift, rc.bottom + shift};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        DrawTextA(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    }
    if (item.itemState & ODS_FOCUS) {
        RECT focus = rc;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

int PlaylistWindow::Impl::imageOf(int row) const {
    if (row == playingIndex && row >= 0) return kImagePlaying;
    const SongRecord* entry = view.entryAt(row);
    if (entry && entry->GetAudioSize() == 0) return kImageMissing;
    return kImageSong;
}

LRESULT PlaylistWindow::Impl::customDraw(NMLVCUSTOMDRAW& cd) {
    // Theme 0 ("Windows color"): the list draws itself.
    if (settings.themeIndex == 0) return CDRF_DODEFAULT;
    const int row = static_cast<int>(cd.nmcd.dwItemSpec);
    switch (cd.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        HDC dc = cd.nmcd.hdc;
        const int position = cd.iSubItem;
        const bool selected =
            (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
        const CellColors cell = rowColors(colors, row, selected, playingIndex);
        RECT label{};
        label.top = position;
        label.left = LVIR_LABEL;
        SendMessageA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&label));
        HBRUSH brush = CreateSolidBrush(cell.background);
        if (position == 0) {
            RECT icon{};
            icon.top = 0;
            icon.left = LVIR_ICON;
            SendMessageA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&icon));
            RECT whole{icon.left, label.top, label.right, label.bottom};
            FillRect(dc, &whole, brush);
            if (smallImages) {
                int w = 16;
                int h = 16;
                ImageList_GetIconSize(smallImages, &w, &h);
                ImageList_Draw(smallImages, imageOf(row), dc, icon.left,
                               icon.top + (icon.bottom - icon.top - h) / 2, ILD_TRANSPARENT);
            }
        } else {
            FillRect(dc, &label, brush);
        }
        DeleteObject(brush);
        const SongRecord* entry = view.entryAt(row);
        if (!entry) return CDRF_SKIPDEFAULT;
        const std::string text = view.columnText(*entry, position, row + 1);
        if (isBlankCellText(text.c_str())) return CDRF_SKIPDEFAULT;
        const int id = view.columnIdAt(position);
        if (id == kColumnRating && ratingImageList) {
            int w = 16;
            int h = 16;
            ImageList_GetIconSize(ratingImageList, &w, &h);
            RatingImage images[kRatingImageCount];
            ratingImages(LayoutRect{label.left, label.top, label.right - label.left, label.bottom - label.top},
                         entry->GetRating(), w, h, images);
            const int saved = SaveDC(dc);
            IntersectClipRect(dc, label.left, label.top, label.right, label.bottom);
            for (const RatingImage& image : images) {
                ImageList_Draw(ratingImageList, image.image, dc, image.x, image.y, ILD_TRANSPARENT);
            }
            RestoreDC(dc, saved);
            return CDRF_SKIPDEFAULT;
        }
        RECT textRect = label;
        textRect.left += 2;
        textRect.right -= 2;
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, cell.background);
        SetTextColor(dc, cell.text);
        const UINT align = columnDef(id).align == 1 ? DT_RIGHT : DT_LEFT;
        DrawTextA(dc, text.c_str(), -1, &textRect,
                  DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | align);
        return CDRF_SKIPDEFAULT;
    }
    case CDDS_ITEMPOSTPAINT: {
        if (GetFocus() == list) {
            const UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                                                              LVIS_SELECTED | LVIS_FOCUSED));
            if ((state & (LVIS_SELECTED | LVIS_FOCUSED)) == (LVIS_SELECTED | LVIS_FOCUSED)) {
                RECT bounds{};
                bounds.left = LVIR_BOUNDS;
                SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
                RECT icon{};
                icon.left = LVIR_ICON;
                SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&icon));
                bounds.left = icon.left;
                DrawFocusRect(cd.nmcd.hdc, &bounds);
            }
        }
        return CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

LRESULT PlaylistWindow::Impl::treeCustomDraw(NMTVCUSTOMDRAW& cd) {
    if (settings.themeIndex == 0) return CDRF_DODEFAULT;
    if (cd.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (cd.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const bool focused = (cd.nmcd.uItemState & (CDIS_FOCUS | CDIS_SELECTED)) != 0;
        cd.clrText = focused ? colors.selectedText : colors.text;
        cd.clrTextBk = focused ? colors.selectedBackground : colors.background;
    }
    return CDRF_DODEFAULT;
}

void PlaylistWindow::Impl::drawInvertedBar(const LayoutRect& bar) {
    HDC dc = GetDC(hwnd);
    PatBlt(dc, bar.left, bar.top, bar.width, bar.height, DSTINVERT);
    ReleaseDC(hwnd, dc);
}

// --- list and status ----------------------------------------------------------

void PlaylistWindow::Impl::refreshList() {
    playingIndex = playingEntry ? view.rowOf(playingEntry) : -1;
    SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(view.rowCount()), LVSICF_NOSCROLL);
    InvalidateRect(list, nullptr, TRUE);
}

void PlaylistWindow::Impl::setStatusPart(int part, const std::string& text) {
    if (status) SendMessageA(status, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
}

void PlaylistWindow::Impl::rewriteStatus(bool keepSelection) {
    if (!status) return;
    int edges[kStatusPartCount];
    std::copy(std::begin(kStatusPartEdges), std::end(kStatusPartEdges), edges);
    SendMessageA(status, SB_SETPARTS, kStatusPartCount, reinterpret_cast<LPARAM>(edges));
    for (int part = 0; part < kStatusSelected; ++part) setStatusPart(part, view.statusText(part));
    if (keepSelection && view.selectedCount() > 0) {
        setStatusPart(kStatusSelected, view.statusText(kStatusSelected));
    } else {
        setStatusPart(kStatusSelected, std::string());
    }
}

void PlaylistWindow::Impl::showSelectedLength() {
    setStatusPart(kStatusSelected, view.statusText(kStatusSelected));
}

void PlaylistWindow::Impl::applyViewSelection() {
    const bool wasEnabled = statusEnabled;
    statusEnabled = false;
    LVITEMA clear{};
    clear.stateMask = LVIS_SELECTED;
    LVITEMA set{};
    set.stateMask = LVIS_SELECTED;
    set.state = LVIS_SELECTED;
    const int selected = view.selectedCount();
    if (selected > 0 && selected == view.rowCount()) {
        // Every row: one message instead of one per row.
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&set));
    } else {
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
        const std::vector<ViewRow>& rows = view.rows();
        for (size_t row = 0; row < rows.size() && selected > 0; ++row) {
            if (rows[row].selected) {
                SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&set));
            }
        }
    }
    statusEnabled = wasEnabled;
}

void PlaylistWindow::Impl::selectionChanged(int from, int to, UINT oldState, UINT newState) {
    if (!statusEnabled) return;
    const bool wasSelected = (oldState & LVIS_SELECTED) != 0;
    const bool isSelected = (newState & LVIS_SELECTED) != 0;
    if (wasSelected == isSelected) return;
    if (from < 0) {
        view.selectAll(isSelected);
    } else {
        to = std::min(to, view.rowCount() - 1);
        for (int row = from; row <= to; ++row) {
            if (view.entryAt(row)) view.setSelected(row, isSelected);
        }
    }
    showSelectedLength();
}

void PlaylistWindow::Impl::deselect() {
    const bool wasEnabled = statusEnabled;
    statusEnabled = false;
    view.selectAll(false);
    applyViewSelection();
    view.recomputeSelectedLength();
    statusEnabled = wasEnabled;
    setStatusPart(kStatusSelected, std::string());
}

void PlaylistWindow::Impl::markPlaying(int row) {
    previousPlayingIndex = playingIndex;
    playingIndex = row;
    playingEntry = view.entryAt(row);
    for (int redraw : {previousPlayingIndex, playingIndex}) {
        if (redraw >= 0) SendMessageA(list, LVM_REDRAWITEMS, static_cast<WPARAM>(redraw), redraw);
    }
    UpdateWindow(list);
}

std::vector<std::string> PlaylistWindow::Impl::pathsOf(const std::vector<SongRecord*>& entries) const {
    std::vector<std::string> paths;
    paths.reserve(entries.size());
    for (const SongRecord* entry : entries) {
        if (entry) paths.push_back(entry->GetFileName());
    }
    return paths;
}

void PlaylistWindow::Impl::playEntries(const std::vector<SongRecord*>& entries, int firstRow) {
    if (entries.empty()) return;
    bridge.PlayFiles(pathsOf(entries), [this, firstRow] { markPlaying(firstRow); });
}

void PlaylistWindow::Impl::doubleClick() {
    switch (settings.doubleClickAction) {
    case 0: onCommand(kCmdPlaySelection); break;
    case 1: onCommand(kCmdEnqueueSelection); break;
    case 2: onCommand(kCmdEditTag); break;
    default: break;
    }
}

void PlaylistWindow::Impl::afterListChange() {
    filter.recountGenres();
    refreshExplorerPane();
    refreshList();
    rewriteStatus(false);
}

// --- explorer -----------------------------------------------------------------

void PlaylistWindow::Impl::showExplorer() {
    if (!treeImages) treeImages = loadImageList(module, kTreeImagesBitmap, 16);
    if (treeImages) SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(treeImages));
    explorerShown = true;
    settings.explorerShown = 1;
    refreshExplorerPane();
    ShowWindow(tree, SW_SHOW);
    ShowWindow(splitter, SW_SHOW);
    layoutControls();
}

void PlaylistWindow::Impl::hideExplorer() {
    fillingTree = true;
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    fillingTree = false;
    SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    if (treeImages) ImageList_Destroy(treeImages);
    treeImages = nullptr;
    ShowWindow(tree, SW_HIDE);
    ShowWindow(splitter, SW_HIDE);
    explorerShown = false;
    settings.explorerShown = 0;
    layoutControls();
    InvalidateRect(hwnd, nullptr, TRUE);
}

void PlaylistWindow::Impl::refreshExplorerPane() {
    if (!explorerShown) return;
    const bool changed = refreshExplorer(filter, playlist, settings.explorerFields, explorer);
    fillTree();
    if (changed) refilter();
}

void PlaylistWindow::Impl::fillTree() {
    fillingTree = true;
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    std::vector<HTREEITEM> items(explorer.nodes.size(), nullptr);
    HTREEITEM selected = nullptr;
    // Parents come before their children in the node list.
    for (size_t i = 0; i < explorer.nodes.size(); ++i) {
        const ExplorerNode& node = explorer.nodes[i];
        std::string label = node.label;
        TVINSERTSTRUCTA insert{};
        insert.hParent = node.parent >= 0 && static_cast<size_t>(node.parent) < items.size()
                             ? items[static_cast<size_t>(node.parent)]
                             : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = &label[0];
        insert.item.lParam = static_cast<LPARAM>(i);
        insert.item.iImage = insert.item.iSelectedImage = treeImageOf(node);
        items[i] = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (static_cast<int>(i) == explorer.selected) selected = items[i];
    }
    for (size_t i = 0; i < explorer.nodes.size(); ++i) {
        if (explorer.nodes[i].expanded && items[i]) {
            SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(items[i]));
        }
    }
    if (selected) SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(selected));
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
    fillingTree = false;
}

void PlaylistWindow::Impl::treeSelectionChanged(LPARAM node) {
    if (fillingTree) return;
    const int index = static_cast<int>(node);
    filterFromSelection(explorer, index, filter.filter(), filter.genres());
    explorer.selected = index;
    refilter();
    SetWindowTextA(hwnd, captionText(filter.filter().mask).c_str());
}

void PlaylistWindow::Impl::refilter() {
    filter.refilter(view);
    refreshList();
    rewriteStatus(false);
}

// --- commands -----------------------------------------------------------------

MenuState PlaylistWindow::Impl::menuState() const {
    MenuState state;
    state.viewInfoFrom = settings.viewSource();
    state.currentLanguage = lang.currentIndex();
    state.languageCount = lang.languageCount();
    state.explorerShown = explorerShown;
    state.searchFields = settings.searchFields;
    state.duplicatesMode = duplicatesMode;
    return state;
}

void PlaylistWindow::Impl::switchViewSource(int source) {
    settings.viewInfoFrom = source;
    view.setViewSource(source);
    filter.setViewSource(source);
    filter.recountGenres();
    refreshExplorerPane();
    view.takeSnapshot();
    filter.refilter(view);
    view.restoreSnapshot();
    applyViewSelection();
    refreshList();
    rewriteStatus(true);
}

void PlaylistWindow::Impl::switchLanguage(int index) {
    if (index < 0 || index >= lang.languageCount()) return;
    lang.setCurrentIndex(index);
    lang.load();
    settings.setLanguage(lang.currentName());
    relabel();
    SetWindowTextA(hwnd, captionText(filter.filter().mask).c_str());
}

void PlaylistWindow::Impl::reloadFromHost() {
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    bridge.ReloadFromHost(playlist, view);
    playingEntry = nullptr;
    previousPlayingIndex = -1;
    afterListChange();
    SetCursor(previous);
}

bool PlaylistWindow::Impl::onCommand(int id) {
    if (id >= kLanguageCommandBase && id < kLanguageCommandBase + 256) {
        switchLanguage(id - kLanguageCommandBase);
        return true;
    }
    if (id >= kCmdViewFirst && id <= kCmdViewLast) {
        switchViewSource((id - kCmdViewFirst) % 4);
        return true;
    }
    switch (id) {
    case kCmdPlaySelection:
    case kCmdPlayKey: {
        const std::vector<SongRecord*> entries = view.selectedEntries();
        int first = -1;
        for (int row = 0; row < view.rowCount() && first < 0; ++row) {
            if (view.isSelected(row)) first = row;
        }
        playEntries(entries, first);
        return true;
    }
    case kCmdEnqueueSelection:
        bridge.EnqueueFiles(pathsOf(view.selectedEntries()));
        return true;
    case kCmdPlayAll:
    case kCmdEnqueueAll: {
        std::vector<SongRecord*> all;
        all.reserve(view.rows().size());
        for (const ViewRow& row : view.rows()) all.push_back(row.entry);
        if (id == kCmdPlayAll) {
            playEntries(all, 0);
        } else {
            bridge.EnqueueFiles(pathsOf(all));
        }
        return true;
    }
    case kCmdClearHostPlaylist:
        bridge.ClearPlaylist();
        return true;
    case kCmdToggleHostPlaylist:
        bridge.Command(kHostTogglePlaylistEditor);
        return true;
    case kCmdSelectAll:
    case kCmdSelectAllKey:
    case kCmdSelectNone:
    case kCmdSelectToggle:
    case kCmdSelectToggleKey: {
        statusEnabled = false;
        view.suspendSelectionUpdates(true);
        if (id == kCmdSelectToggle || id == kCmdSelectToggleKey) {
            for (int row = 0; row < view.rowCount(); ++row) view.setSelected(row, !view.isSelected(row));
        } else {
            view.selectAll(id != kCmdSelectNone);
        }
        view.suspendSelectionUpdates(false);
        applyViewSelection();
        view.recomputeSelectedLength();
        statusEnabled = true;
        showSelectedLength();
        return true;
    }
    case kCmdQuit:
    case kCmdQuitKey:
        DestroyWindow(hwnd);
        return true;
    case kCmdReload:
    case kCmdReloadKey:
        reloadFromHost();
        return true;
    case kCmdExplorer:
    case kCmdExplorerKey:
        if (explorerShown) {
            hideExplorer();
        } else {
            showExplorer();
        }
        deselect();
        return true;
    default:
        return false;  // arrives with the later commands
    }
}

void PlaylistWindow::Impl::refreshPanel() {
    const PositionPanel p = bridge.RefreshPositionPanel();
    HWND position = GetDlgItem(hwnd, kIdPosition);
    HWND volume = GetDlgItem(hwnd, kIdVolume);
    const bool first = !panelShown;
    panelShown = true;
    // A bar the user is dragging keeps the user's position.
    if (GetCapture() != position) {
        if (first || p.lengthSeconds != panel.lengthSeconds) {
            SendMessageA(position, TBM_SETRANGE, TRUE, MAKELPARAM(0, 0));
            SendMessageA(position, TBM_SETRANGEMAX, TRUE, p.lengthSeconds);
            SendMessageA(position, TBM_SETPAGESIZE, 0, p.pageSize);
            SendMessageA(position, TBM_SETLINESIZE, 0, p.lineSize);
        }
        if (first || p.positionSeconds != panel.positionSeconds) {
            SendMessageA(position, TBM_SETPOS, TRUE, p.positionSeconds);
        }
    }
    if (first || p.elapsedText != panel.elapsedText) SetDlgItemTextA(hwnd, kIdElapsed, p.elapsedText.c_str());
    if (first || p.totalText != panel.totalText) SetDlgItemTextA(hwnd, kIdTotal, p.totalText.c_str());
    if (first || p.fileName != panel.fileName) SetDlgItemTextA(hwnd, kIdCurrentFile, p.fileName.c_str());
    if (GetCapture() != volume && (first || p.volume != panel.volume || p.volumeLabel != panel.volumeLabel)) {
        SendMessageA(volume, TBM_SETPOS, TRUE, p.volume);
        SetDlgItemTextA(hwnd, kIdVolumeLabel, p.volumeLabel.c_str());
    }
    panel = p;
}

void PlaylistWindow::Impl::openButtonMenu(int id) {
    WindowMenu which = WindowMenu::FileButton;
    if (id == kIdSearchMenu) which = WindowMenu::SearchFields;
    if (id == kIdAddMenu) which = WindowMenu::AddButton;
    RECT rc{};
    GetWindowRect(GetDlgItem(hwnd, id), &rc);
    TrackWindowMenu(module, hwnd, which, POINT{rc.left, rc.bottom}, menuState());
}

void PlaylistWindow::Impl::addDropped(const std::string& path, int depth) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (HasPlaylistExtension(path)) playlist.addFile(path);
        return;
    }
    if (depth >= kMaxFolderDepth) return;
    std::vector<DirectoryEntry> entries;
    if (!ListDirectory(path, entries)) return;
    for (const DirectoryEntry& entry : entries) {
        // A folder reached through a link is not entered: it could lead back.
        if (entry.isDirectory && entry.isLink) continue;
        addDropped(JoinPath(path, entry.name), depth + 1);
    }
}

void PlaylistWindow::Impl::dropFiles(HDROP drop) {
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::string path(length + 1, '\0');
        DragQueryFileA(drop, i, &path[0], length + 1);
        path.resize(length);
        if (path.empty()) continue;
        playlist.registerVolume(path);
        addDropped(path, 0);
    }
    DragFinish(drop);
    filter.recountGenres();
    refreshExplorerPane();
    filter.refilter(view);
    refreshList();
    rewriteStatus(false);
    SetCursor(previous);
}

// --- accelerators -------------------------------------------------------------

LRESULT CALLBACK PlaylistWindow::Impl::GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && hookWindow) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        Impl* window = hookWindow;
        if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && window->hwnd &&
            window->accelerators &&
            (msg->hwnd == window->hwnd || IsChild(window->hwnd, msg->hwnd))) {
            if (TranslateAcceleratorA(window->hwnd, window->accelerators, msg)) {
                msg->message = WM_NULL;
                msg->wParam = 0;
                msg->lParam = 0;
            }
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

void PlaylistWindow::Impl::installHook() {
    hookWindow = this;
    if (!hook) hook = SetWindowsHookExA(WH_GETMESSAGE, &Impl::GetMessageHook, nullptr, GetCurrentThreadId());
}

void PlaylistWindow::Impl::removeHook() {
    if (hookWindow != this) return;
    if (hook) UnhookWindowsHookEx(hook);
    hook = nullptr;
    hookWindow = nullptr;
}

// --- window procedures --------------------------------------------------------

LRESULT CALLBACK PlaylistWindow::Impl::ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Impl* self = reinterpret_cast<Impl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || !self->listProc) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_ERASEBKGND) {
        RECT rc{};
        GetClientRect(hwnd, &rc);
        HBRUSH brush = CreateSolidBrush(self->colors.background);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, brush);
        DeleteObject(brush);
        return 1;
    }
    return CallWindowProcA(self->listProc, hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK PlaylistWindow::Impl::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Impl* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Impl*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
        self->start(hwnd);
        return FALSE;  // the list keeps the focus the start gave it
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        return FALSE;
    }
    self = reinterpret_cast<Impl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || self->hwnd != hwnd) return FALSE;
    return self->dialogProc(message, wParam, lParam);
}

INT_PTR PlaylistWindow::Impl::dialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    auto result = [this](LRESULT value) {
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, value);
        return TRUE;
    };
    switch (message) {
    case WM_DESTROY:
        end();
        return TRUE;
    case WM_CLOSE:
        close();
        return TRUE;
    case WM_SIZE:
        if (!started) return TRUE;
        if (wParam == SIZE_MINIMIZED) {
            self.visible_ = 0;
            ShowWindow(hwnd, SW_HIDE);
        } else {
            self.visible_ = 1;
            layoutControls();
        }
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            installHook();
        } else {
            removeHook();
        }
        return FALSE;
    case WM_TIMER:
        if (wParam == kPanelTimer) refreshPanel();
        return TRUE;
    case WM_HSCROLL: {
        HWND bar = reinterpret_cast<HWND>(lParam);
        if (!bar || LOWORD(wParam) == TB_ENDTRACK) return TRUE;
        const int pos = static_cast<int>(SendMessageA(bar, TBM_GETPOS, 0, 0));
        if (GetDlgCtrlID(bar) == kIdVolume) {
            bridge.ChangeVolume(pos);
            SetDlgItemTextA(hwnd, kIdVolumeLabel, HostBridge::VolumeLabel(pos).c_str());
        } else if (GetDlgCtrlID(bar) == kIdPosition) {
            bridge.Seek(pos);
        }
        return TRUE;
    }
    case WM_INITMENUPOPUP:
        if (HMENU bar = GetMenu(hwnd)) UpdateMenuBarChecks(bar, menuState());
        return TRUE;
    case WM_DRAWITEM:
        drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CONTEXTMENU: {
        if (reinterpret_cast<HWND>(wParam) != list) return FALSE;
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (lParam == -1) {  // from the keyboard: at the focused row
            const int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
            RECT rc{};
            rc.left = LVIR_LABEL;
            if (row < 0 || !SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rc))) {
                GetClientRect(list, &rc);
            }
            pt = POINT{rc.left, rc.bottom};
            ClientToScreen(list, &pt);
        }
        TrackWindowMenu(module, hwnd, WindowMenu::ListContext, pt, menuState());
        return TRUE;
    }
    case WM_MOUSEMOVE: {
        const int x = static_cast<short>(LOWORD(lParam));
        const int y = static_cast<short>(HIWORD(lParam));
        if (layout.dragging()) {
            RECT client{};
            GetClientRect(hwnd, &client);
            const LayoutRect old = layout.dragBar();
            const LayoutRect now = layout.moveDrag(x, client.right);
            if (now != old) {
                drawInvertedBar(old);
                drawInvertedBar(now);
            }
        } else {
            SetCursor(layout.overSplitter(x, y) ? splitterCursor : LoadCursor(nullptr, IDC_ARROW));
        }
        return TRUE;
    }
    case WM_LBUTTONDOWN: {
        const int x = static_cast<short>(LOWORD(lParam));
        const int y = static_cast<short>(HIWORD(lParam));
        if (layout.beginDrag(x, y)) {
            SetCapture(hwnd);
            SetCursor(splitterCursor);
            drawInvertedBar(layout.dragBar());
        }
        return TRUE;
    }
    case WM_LBUTTONUP:
        if (layout.dragging()) {
            drawInvertedBar(layout.dragBar());
            layout.endDrag();
            ReleaseCapture();
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
            layoutControls();
        }
        return TRUE;
    case WM_CAPTURECHANGED:
        // Capture taken away mid-drag: the drag ends where the bar is.
        if (layout.dragging() && reinterpret_cast<HWND>(lParam) != hwnd) {
            drawInvertedBar(layout.dragBar());
            layout.endDrag();
            layoutControls();
        }
        return TRUE;
    case WM_DROPFILES:
        dropFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_SYSCOLORCHANGE:
    case WM_DEVMODECHANGE:
    case WM_DISPLAYCHANGE:
    case WM_QUERYNEWPALETTE:
    case WM_PALETTEISCHANGING:
    case WM_PALETTECHANGED:
        settings.refreshSystemTheme();
        for (int id : {kIdVolume, kIdPosition, kIdTree, kIdList}) {
            SendDlgItemMessageA(hwnd, id, WM_SYSCOLORCHANGE, 0, 0);
        }
        applyTheme();
        relabel();
        return message == WM_QUERYNEWPALETTE ? FALSE : TRUE;
    case kMsgSearchDone:
        if (filter.applySearchResult(view)) {
            refreshList();
            rewriteStatus(false);
        }
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (lParam != 0) {  // from a control
            if (id == kIdSearch) {
                if (code == EN_UPDATE) {
                    filter.setSearchText(windowText(GetDlgItem(hwnd, kIdSearch)));
                    HWND window = hwnd;
                    const uint64_t generation = filter.startSearch(
                        view, [window](uint64_t) { PostMessageA(window, kMsgSearchDone, 0, 0); });
                    if (generation == 0) {
                        refreshList();
                        rewriteStatus(false);
                    }
                    deselect();
                }
                return TRUE;
            }
            if (code != BN_CLICKED) return FALSE;
            if (id == kIdSearchMenu || id == kIdFileMenu || id == kIdAddMenu) {
                openButtonMenu(id);
                return TRUE;
            }
            if (const int hostCommand = hostCommandOfButton(id)) {
                bridge.Command(hostCommand);
                return TRUE;
            }
            return FALSE;
        }
        onCommand(id);
        return TRUE;
    }
    case WM_NOTIFY: {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.hwndFrom == list) {
            switch (header.code) {
            case LVN_GETDISPINFOA: {
                LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
                const SongRecord* entry = view.entryAt(item.iItem);
                if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
                    display = entry ? view.columnText(*entry, item.iSubItem, item.iItem + 1) : std::string();
                    lstrcpynA(item.pszText, display.c_str(), item.cchTextMax);
                }
                if (item.mask & LVIF_IMAGE) item.iImage = imageOf(item.iItem);
                return TRUE;
            }
            case LVN_GETDISPINFOW: {
                LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
                const SongRecord* entry = view.entryAt(item.iItem);
                if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
                    display = entry ? view.columnText(*entry, item.iSubItem, item.iItem + 1) : std::string();
                    item.pszText[0] = 0;
                    const int got = MultiByteToWideChar(CP_ACP, 0, display.c_str(), -1, item.pszText, item.cchTextMax);
                    if (got == 0) item.pszText[item.cchTextMax - 1] = 0;
                }
                if (item.mask & LVIF_IMAGE) item.iImage = imageOf(item.iItem);
                return TRUE;
            }
            case LVN_COLUMNCLICK: {
                const NMLISTVIEW& click = *reinterpret_cast<const NMLISTVIEW*>(lParam);
                view.sortByClick(click.iSubItem, &settings);
                sortMarked = true;
                updateSortMark();
                applyViewSelection();
                refreshList();
                return TRUE;
            }
            case LVN_ITEMCHANGED: {
                const NMLISTVIEW& change = *reinterpret_cast<const NMLISTVIEW*>(lParam);
                // A change of every item (-1) need not say what changed.
                if (change.iItem < 0 || (change.uChanged & LVIF_STATE)) {
                    selectionChanged(change.iItem, change.iItem, change.uOldState, change.uNewState);
                }
                return TRUE;
            }
            case LVN_ODSTATECHANGED: {
                const NMLVODSTATECHANGE& change = *reinterpret_cast<const NMLVODSTATECHANGE*>(lParam);
                selectionChanged(change.iFrom, change.iTo, change.uOldState, change.uNewState);
                return TRUE;
            }
            case NM_CUSTOMDRAW:
                return result(customDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
            case NM_DBLCLK:
            case NM_RETURN:
                doubleClick();
                return TRUE;
            default:
                return FALSE;
            }
        }
        if (header.hwndFrom == tree) {
            if (header.code == TVN_SELCHANGEDA || header.code == TVN_SELCHANGEDW) {
                const NMTREEVIEWA& change = *reinterpret_cast<const NMTREEVIEWA*>(lParam);
                treeSelectionChanged(change.itemNew.lParam);
                return TRUE;
            }
            if (header.code == NM_CUSTOMDRAW) {
                return result(treeCustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(lParam)));
            }
            if (header.code == NM_RCLICK) {
                POINT pt{};
                GetCursorPos(&pt);
                TrackWindowMenu(module, hwnd, WindowMenu::Explorer, pt, menuState());
                return result(1);
            }
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

}  // namespace td
