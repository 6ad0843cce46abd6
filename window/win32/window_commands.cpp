// The command table's dispatch, the accelerator hook, and the commands of
// the list, the host's player and the window's options.
#include <algorithm>

#include "plugin/host_bridge.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "window/caption.h"
#include "window/win32/playlist_window_impl.h"
#include "window/win32/window_commands.h"

namespace td {

namespace {

using Handler = void (PlaylistWindow::Impl::*)(int);

struct CommandRow {
    int first;
    int last;
    Handler handler;
};

#define TD_COMMAND_ROW(id, handler) {id, id, &PlaylistWindow::Impl::handler},
#define TD_COMMAND_RANGE_ROW(first, last, handler) {first, last, &PlaylistWindow::Impl::handler},
const CommandRow kCommandTable[] = {TD_WINDOW_COMMANDS(TD_COMMAND_ROW, TD_COMMAND_RANGE_ROW)};
#undef TD_COMMAND_ROW
#undef TD_COMMAND_RANGE_ROW

const CommandRow* findCommand(int id) {
    for (const CommandRow& row : kCommandTable) {
        if (id >= row.first && id <= row.last) return &row;
    }
    return nullptr;
}

int hostCommandOfButton(int id) {
    switch (id) {
    case IDC_PREVIOUS: return kHostPrevious;
    case IDC_PLAY: return kHostPlay;
    case IDC_PAUSE: return kHostPause;
    case IDC_STOP: return kHostStop;
    case IDC_NEXT: return kHostNext;
    default: return 0;
    }
}

}  // namespace

bool PlaylistWindow::Impl::hasCommand(int id) { return findCommand(id) != nullptr; }

bool PlaylistWindow::Impl::runCommand(int id) {
    const CommandRow* row = findCommand(id);
    if (!row) return false;
    // While a run adds to the list, the list belongs to the worker: only the
    // host's player and Quit (which ends the run first) go ahead.
    if (gathering() && row->handler != &Impl::cmdHostButton && row->handler != &Impl::cmdQuit) {
        MessageBeep(MB_ICONWARNING);
        return true;
    }
    (this->*row->handler)(id);
    return true;
}

MenuState PlaylistWindow::Impl::menuState() const {
    MenuState state;
    state.viewInfoFrom = settings.viewSource();
    state.currentLanguage = lang.currentIndex();
    state.languageCount = lang.languageCount();
    state.explorerShown = explorerShown;
    state.searchFields = settings.searchFields;
    state.duplicatesMode = duplicates.shown();
    return state;
}

void PlaylistWindow::Impl::openButtonMenu(int id) {
    WindowMenu which = WindowMenu::FileButton;
    if (id == IDC_SEARCH_FIELDS_BUTTON) which = WindowMenu::SearchFields;
    if (id == IDC_ADD_BUTTON) which = WindowMenu::AddButton;
    RECT rc{};
    GetWindowRect(GetDlgItem(hwnd, id), &rc);
    TrackWindowMenu(module, hwnd, which, POINT{rc.left, rc.bottom}, menuState(), &Impl::hasCommand);
}

// --- playlist -----------------------------------------------------------------

void PlaylistWindow::Impl::cmdPlaySelection(int) {
    int first = -1;
    for (int row = 0; row < view.rowCount() && first < 0; ++row) {
        if (view.isSelected(row)) first = row;
    }
    playEntries(view.selectedEntries(), first);
}

void PlaylistWindow::Impl::cmdEnqueueSelection(int) { bridge.EnqueueFiles(pathsOf(view.selectedEntries())); }

void PlaylistWindow::Impl::cmdPlayAll(int) {
    std::vector<SongRecord*> all;
    all.reserve(view.rows().size());
    for (const ViewRow& row : view.rows()) all.push_back(row.entry);
    playEntries(all, 0);
}

void PlaylistWindow::Impl::cmdEnqueueAll(int) {
    std::vector<SongRecord*> all;
    all.reserve(view.rows().size());
    for (const ViewRow& row : view.rows()) all.push_back(row.entry);
    bridge.EnqueueFiles(pathsOf(all));
}

void PlaylistWindow::Impl::cmdClearHostPlaylist(int) { bridge.ClearPlaylist(); }

void PlaylistWindow::Impl::cmdToggleHostPlaylist(int) { bridge.Command(kHostTogglePlaylistEditor); }

void PlaylistWindow::Impl::cmdHostButton(int id) { bridge.Command(hostCommandOfButton(id)); }

void PlaylistWindow::Impl::cmdButtonMenu(int id) { openButtonMenu(id); }

// --- select -------------------------------------------------------------------

void PlaylistWindow::Impl::cmdSelect(int id) {
    statusEnabled = false;
    view.suspendSelectionUpdates(true);
    if (id == IDM_SELECT_TOGGLE || id == IDM_SELECT_TOGGLE_KEY) {
        for (int row = 0; row < view.rowCount(); ++row) view.setSelected(row, !view.isSelected(row));
    } else {
        view.selectAll(id != IDM_SELECT_NONE);
    }
    view.suspendSelectionUpdates(false);
    applyViewSelection();
    view.recomputeSelectedLength();
    statusEnabled = true;
    showSelectedLength();
}

// --- file ---------------------------------------------------------------------

void PlaylistWindow::Impl::cmdQuit(int) { DestroyWindow(hwnd); }

// --- option -------------------------------------------------------------------

void PlaylistWindow::Impl::cmdViewSource(int id) {
    const int source = (id - IDM_VIEW_ID3V1) % 4;
    settings.viewInfoFrom = source;
    view.setViewSource(source);
    filter.setViewSource(source);
    filter.recountGenres();
    refreshExplorerPane();
    view.takeSnapshot();
    filter.refilter(view);
    duplicates.viewRebuilt();
    view.restoreSnapshot();
    applyViewSelection();
    refreshList();
    rewriteStatus(true);
}

void PlaylistWindow::Impl::cmdExplorer(int) {
    if (explorerShown) {
        hideExplorer();
    } else {
        showExplorer();
    }
    deselect();
}

void PlaylistWindow::Impl::cmdConfigure(int) {
    if (configure) configure();
}

void PlaylistWindow::Impl::cmdLanguage(int id) {
    const int index = id - IDM_LANGUAGE_FIRST;
    if (index >= lang.languageCount()) return;
    lang.setCurrentIndex(index);
    lang.load();
    settings.setLanguage(lang.currentName());
    relabel();
    updateCaption();
}

// --- the search box -----------------------------------------------------------

void PlaylistWindow::Impl::searchTextChanged() {
    filter.setSearchText(GetControlText(GetDlgItem(hwnd, IDC_SEARCH)));
    HWND window = hwnd;
    const uint64_t generation =
        filter.startSearch(view, [window](uint64_t) { PostMessageA(window, kMsgSearchDone, 0, 0); });
    if (generation == 0) {
        duplicates.viewRebuilt();
        endSearchProgress();
        refreshList();
        rewriteStatus(false);
    } else {
        beginSearchProgress();
    }
    deselect();
}

// --- accelerators -------------------------------------------------------------

LRESULT CALLBACK PlaylistWindow::Impl::GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && hookWindow) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        Impl* window = hookWindow;
        if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && window->hwnd &&
            window->accelerators && (msg->hwnd == window->hwnd || IsChild(window->hwnd, msg->hwnd))) {
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

}  // namespace td
