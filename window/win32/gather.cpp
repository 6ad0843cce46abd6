// Adding files and folders to the list on the gathering worker, behind the
// progress dialog: Add files, Add directory, dropped items, imported
// playlists and the reload from the host. One run at a time.
#include <algorithm>

#include "settings/lang_table.h"
#include "window/win32/playlist_window_impl.h"
#include "window/win32/progress_dialog.h"

namespace td {

namespace {

// The stall timer's period: a tick later than this by more than a few
// milliseconds means the message loop was busy.
constexpr UINT kStallTimerMs = 20;
// How often the window takes the worker's finished entries.
constexpr UINT kHandoverTimerMs = 50;
// The list control hears of new rows at most this often, less often as the
// list grows (one more millisecond per ten rows): telling it is cheap, but
// the scroll bar and the status bar repaint each time, and a run of ten
// thousand files should not spend its time repainting.
constexpr DWORD kShowPaceMs = 100;
constexpr DWORD kShowPaceMaxMs = 1000;

}  // namespace

bool PlaylistWindow::Impl::gathering() const { return gather != nullptr; }

void PlaylistWindow::Impl::noteStallTick() {
    const DWORD now = GetTickCount();
    if (lastStallTick != 0) {
        const int late = static_cast<int>(now - lastStallTick) - static_cast<int>(kStallTimerMs);
        longestStallMs = std::max(longestStallMs, late);
    }
    lastStallTick = now;
}

bool PlaylistWindow::Impl::startGather(const GatherRequest& request, int total, const std::string& caption) {
    if (gathering() || !hwnd) {
        MessageBeep(MB_ICONWARNING);
        return false;
    }
    const bool replaces = request.kind == GatherKind::Import || request.kind == GatherKind::HostReload;
    // The search worker reads the Playlist, which is about to grow on this
    // thread: the search in progress is finished here first, so that the
    // rows the run adds join the rows of the search.
    if (filter.finishSearch(view)) {
        refreshList();
        rewriteStatus(false);
    }
    gather =
        std::make_unique<GatherRun>(module, hwnd, playlist, view, total,
                                    caption.empty() ? LangTable::getString(IDS_ADD_FILES_CAPTION) : caption);
    const GatherStart outcome = gather->start(request);
    if (outcome == GatherStart::Started) {
        lastStallTick = 0;
        // The first rows show at the first chance.
        gatherRowsShown = view.rowCount();
        gatherShownTick = GetTickCount() - kShowPaceMaxMs;
        SetTimer(hwnd, kStallTimer, kStallTimerMs, nullptr);
        SetTimer(hwnd, kHandoverTimer, kHandoverTimerMs, nullptr);
        if (replaces) {
            // The view was emptied with the list: no row may point at an
            // entry of the old list any more.
            playingEntry = nullptr;
            previousPlayingIndex = -1;
            refreshList();
        }
        return true;
    }
    gather.reset();
    if (outcome == GatherStart::BadPls) afterListReplaced();
    const std::string text = gatherStartMessage(outcome);
    if (!text.empty()) {
        prompter.Message(text, LangTable::getString(IDS_ERROR), PromptButtons::Ok, PromptIcon::Error);
    }
    return false;
}

void PlaylistWindow::Impl::stopGather() {
    if (!gather) return;
    KillTimer(hwnd, kStallTimer);
    KillTimer(hwnd, kHandoverTimer);
    // The worker is joined and what it finished last is in the Playlist;
    // its rows come with the refilter that follows a run.
    gather->finish();
    // Moves the worker made after the last hand-over are applied too.
    applyMoves();
    lastGather = gather->summary();
    gather.reset();
}

void PlaylistWindow::Impl::takeGathered() {
    if (!gather) return;
    std::vector<SongRecord*> added;
    // The duplicates the list shows are those of the Playlist before the
    // run: the new entries wait for the rebuild after it.
    if (gather->takeFinished(added) > 0 && !duplicates.shown()) {
        for (SongRecord* entry : filter.rowsAmong(added)) view.appendRow(entry);
    }
    showGathered();
}

void PlaylistWindow::Impl::showGathered() {
    const int rows = view.rowCount();
    if (rows == gatherRowsShown) return;
    const DWORD now = GetTickCount();
    const DWORD pace = std::min(kShowPaceMaxMs, kShowPaceMs + static_cast<DWORD>(rows) / 10);
    if (now - gatherShownTick < pace) return;
    gatherShownTick = now;
    gatherRowsShown = rows;
    // Rows only come at the end: the rows in sight stay as they are.
    SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    rewriteStatus(false);
}

INT_PTR PlaylistWindow::Impl::onGatherDone(WPARAM, LPARAM) {
    if (!gather) return TRUE;
    if (transferring) {
        stopGather();
        afterTransfer(lastGather);
        return TRUE;
    }
    stopGather();
    // The new entries reach the rows: filter, search, genres, explorer.
    filter.recountGenres();
    refreshExplorerPane();
    filter.refilter(view);
    duplicates.viewRebuilt();
    refreshList();
    rewriteStatus(false);
    SetFocus(list);
    return TRUE;
}

void PlaylistWindow::Impl::dropFiles(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::string path(length + 1, '\0');
        DragQueryFileA(drop, i, &path[0], length + 1);
        path.resize(length);
        if (!path.empty()) paths.push_back(std::move(path));
    }
    DragFinish(drop);
    if (!paths.empty()) startGather(GatherRequest::Dropped(std::move(paths)), -1);
}

void PlaylistWindow::Impl::cmdAddFiles(int) {
    FileDialogRequest request;
    request.kind = FileDialogKind::OpenMany;
    request.title = LangTable::getString(IDS_ADD_FILES_TITLE);
    request.filter = LangTable::getString(IDS_ADD_FILES_FILTER);
    const FileDialogResult result = prompter.ChooseFiles(request);
    if (result.outcome == FileDialogOutcome::TooManyFiles) {
        prompter.Message(LangTable::getString(IDS_TOO_MANY_FILES), LangTable::getString(IDS_ADD_FILES_ERROR),
                         PromptButtons::Ok, PromptIcon::Error);
        return;
    }
    if (result.outcome != FileDialogOutcome::Chosen || result.paths.empty()) return;
    playlist.registerVolume(result.paths.front());
    if (result.paths.size() > 1) {
        const int total = static_cast<int>(result.paths.size());
        startGather(GatherRequest::Files(result.paths), total);
        return;
    }
    // One file: added at once, at the end of the list, whatever the filter.
    if (gathering()) return;
    const int index = playlist.addFile(result.paths.front());
    if (index < 0) return;
    view.appendRow(playlist.entryAt(index));
    filter.recountGenres();
    refreshExplorerPane();
    refreshList();
    rewriteStatus(false);
}

void PlaylistWindow::Impl::cmdAddDirectory(int) {
    FolderDialogRequest request;
    request.folder = lastFolder;
    request.checkLabel = LangTable::getString(IDS_RECURSE_SUBDIRECTORIES);
    request.checked = true;
    const FolderDialogResult result = prompter.ChooseFolder(request);
    if (!result.chosen || result.path.empty()) return;
    lastFolder = result.path;
    recurseFolders = result.checked;
    playlist.registerVolume(result.path);
    startGather(GatherRequest::Directory(result.path, recurseFolders), -1);
}

void PlaylistWindow::Impl::cmdReload(int) {
    const std::string path = bridge.WriteHostPlaylist();
    if (!path.empty()) startGather(GatherRequest::HostReload(path), -1);
}

}  // namespace td
