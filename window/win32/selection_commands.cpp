// The Select menu's operations on the selected rows (remove, crop, delete
// the files, select dead files or rows with the same field, rating), Copy To
// and Move To on the gathering worker, and the search box's field commands.
#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "platform/file_system.h"
#include "platform/folder_walk.h"
#include "platform/volume.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "window/file_gatherer.h"
#include "window/selection_ops.h"
#include "window/win32/playlist_window_impl.h"
#include "window/win32/progress_dialog.h"

namespace td {

namespace {

// Texts of the language table.
constexpr int kTextDeleteError = 139;  // "Error deleting: %s"
constexpr int kTextDeleteWarning =
    140;  // "Using this command will remove all selected files PERMANENTLY ..."
constexpr int kTextRemoveQuestion = 340;  // "Are you sure, you want to delete %d entries ?"
constexpr int kTextCopyTo = 349;          // "Copy To..."
constexpr int kTextMoveTo = 350;          // "Move To..."
constexpr int kTextReadOnlyMedia = 351;   // "Impossible to copy or move to media/folder read-only !!!"
constexpr char kWarningCaption[] = "Warning";

// The folder last chosen for Copy To or Move To, for every window of the
// module: the next folder dialog opens there.
std::string lastDestination;

// A language-table text with one number or one string filled in.
std::string formatText(int text, int value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, LangTable::getString(text), value);
    return buffer;
}

std::string formatText(int text, const std::string& value) {
    std::string out = LangTable::getString(text);
    const size_t at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, value);
    return out;
}

}  // namespace

// --- the status bar's progress ------------------------------------------------

void PlaylistWindow::Impl::beginStatusProgress(int total) {
    if (!status) return;
    progressPlan = StatusProgressPlan(total);
    if (!statusProgress) {
        statusProgress = CreateWindowExA(WS_EX_STATICEDGE, PROGRESS_CLASSA, "", WS_CHILD | PBS_SMOOTH, 0, 0,
                                         0, 0, status, nullptr, module, nullptr);
    }
    int edges[2] = {kStatusProgressLeft, -1};
    SendMessageA(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    setStatusPart(0, " ");
    setStatusPart(1, " ");
    RECT part{};
    SendMessageA(status, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
    if (statusProgress) {
        MoveWindow(statusProgress, part.left, part.top, part.right - part.left, part.bottom - part.top, TRUE);
        SendMessageA(statusProgress, PBM_SETRANGE32, 0, 100);
        SendMessageA(statusProgress, PBM_SETPOS, 0, 0);
    }
}

void PlaylistWindow::Impl::stepStatusProgress(int done) {
    if (!progressPlan || !progressPlan->due(done)) return;
    const int percent = progressPlan->percent(done);
    setStatusPart(0, formatText(IDS_PROGRESS, percent));
    if (statusProgress) {
        SendMessageA(statusProgress, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
        ShowWindow(statusProgress, SW_SHOW);
        UpdateWindow(statusProgress);
    }
    UpdateWindow(status);
}

// The search worker counts the entries it looked at; a timer shows the
// count while the worker runs (the worker never touches the status bar).
constexpr UINT kSearchProgressMs = 50;

void PlaylistWindow::Impl::beginSearchProgress() {
    beginStatusProgress(std::max(filter.worker().total(), playlist.count()));
    SetTimer(hwnd, kSearchProgressTimer, kSearchProgressMs, nullptr);
}

void PlaylistWindow::Impl::showSearchProgress() {
    if (!progressPlan || !filter.worker().running()) return;
    const int done = std::min(filter.worker().progress(), progressPlan->total());
    const int percent = progressPlan->percent(done);
    setStatusPart(0, formatText(IDS_PROGRESS, percent));
    if (statusProgress) {
        SendMessageA(statusProgress, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
        ShowWindow(statusProgress, SW_SHOW);
    }
}

void PlaylistWindow::Impl::endSearchProgress() {
    KillTimer(hwnd, kSearchProgressTimer);
    if (!progressPlan) return;
    endStatusProgress();
    rewriteStatus(false);
}

void PlaylistWindow::Impl::endStatusProgress() {
    progressPlan.reset();
    if (statusProgress) ShowWindow(statusProgress, SW_HIDE);
    // rewriteStatus sets the five parts again.
}

// --- removing rows ------------------------------------------------------------

void PlaylistWindow::Impl::stopSearchForChange() {
    // The search worker reads the entries: none may change or go under it.
    // The rows stay as the user sees them.
    filter.stopSearch();
    endSearchProgress();
}

void PlaylistWindow::Impl::finishRemoval() {
    // The playing row's entry may have gone with the others.
    if (playingEntry && playlist.indexOf(playingEntry) < 0) {
        playingEntry = nullptr;
        previousPlayingIndex = -1;
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    endStatusProgress();
    view.recomputeSelectedLength();
    view.recomputeTotalLength();
    filter.recountGenres();
    refreshList();
    applyViewSelection();
    rewriteStatus(true);
}

void PlaylistWindow::Impl::cmdRemove(int) {
    const int selected = view.selectedCount();
    if (selected == 0) return;
    const PromptAnswer answer =
        prompter.Message(formatText(kTextRemoveQuestion, selected), LangTable::getString(IDS_QUESTION),
                         PromptButtons::YesNoDefaultNo, PromptIcon::Question);
    if (answer != PromptAnswer::Yes) return;
    stopSearchForChange();
    WaitCursor wait;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    beginStatusProgress(view.rowCount());
    const int next = removeSelectedRows(playlist, view, [this](int done, int) { stepStatusProgress(done); });
    if (next >= 0) view.setSelected(next, true);
    finishRemoval();
    if (next >= 0) {
        LVITEMA focus{};
        focus.stateMask = LVIS_FOCUSED;
        focus.state = LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(next), reinterpret_cast<LPARAM>(&focus));
        SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(next), FALSE);
    }
}

void PlaylistWindow::Impl::cmdCrop(int) {
    if (view.selectedCount() == 0) return;
    stopSearchForChange();
    WaitCursor wait;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    beginStatusProgress(view.rowCount());
    cropToSelection(playlist, view, [this](int done, int) { stepStatusProgress(done); });
    finishRemoval();
}

void PlaylistWindow::Impl::cmdDeleteFiles(int) {
    if (view.selectedCount() == 0) return;
    const PromptAnswer answer = prompter.Message(LangTable::getString(kTextDeleteWarning), kWarningCaption,
                                                 PromptButtons::YesNo, PromptIcon::Warning);
    if (answer != PromptAnswer::Yes) return;
    stopSearchForChange();
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    deleteSelectedFiles(playlist, view, [this](const DeleteFailure& failure) {
        const std::string text = formatText(kTextDeleteError, failure.path) + "\n\n" + failure.reason + "\n";
        prompter.Message(text, LangTable::getString(IDS_ERROR), PromptButtons::Ok, PromptIcon::Information);
    });
    finishRemoval();
}

// --- selecting ------------------------------------------------------------------

void PlaylistWindow::Impl::cmdSelectDead(int) {
    WaitCursor wait;
    statusEnabled = false;
    view.suspendSelectionUpdates(true);
    selectDeadFiles(view);
    view.suspendSelectionUpdates(false);
    view.recomputeSelectedLength();
    applyViewSelection();
    statusEnabled = true;
    showSelectedLength();
}

void PlaylistWindow::Impl::cmdSelectSame(int id) {
    WaitCursor wait;
    statusEnabled = false;
    const int selected = selectWithSame(view, id - IDM_SELECT_SAME_ARTIST);
    if (selected >= 0) applyViewSelection();
    statusEnabled = true;
    if (selected >= 0) showSelectedLength();
}

void PlaylistWindow::Impl::cmdRating(int id) {
    if (view.selectedCount() == 0) return;
    stopSearchForChange();
    WaitCursor wait;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    setSelectionRating(view, id - IDM_RATING_0);
    // The explorer's Rating leaves and a rating filter follow the new values.
    filter.recountGenres();
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// --- copy and move ----------------------------------------------------------------

void PlaylistWindow::Impl::cmdCopyMove(int id) {
    if (view.selectedCount() == 0) return;
    const bool move = id == IDM_MOVE_TO;
    FolderDialogRequest request;
    request.title = LangTable::getString(move ? kTextMoveTo : kTextCopyTo);
    request.folder = lastDestination;
    const FolderDialogResult chosen = prompter.ChooseFolder(request);
    if (!chosen.chosen || chosen.path.empty()) return;
    lastDestination = WithoutTrailingSeparator(chosen.path);
    VolumeSystem& volumes = Volumes();
    if (volumes.DriveType(volumes.RootOf(lastDestination)) == kDriveCdRom) {
        showError(kTextReadOnlyMedia);
        return;
    }
    stopSearchForChange();
    view.takeSnapshot();
    transferEntries = view.selectedEntries();
    std::vector<std::string> paths = pathsOf(transferEntries);
    const int total = static_cast<int>(paths.size());
    transferring = true;
    if (!startGather(GatherRequest::Transfer(move, std::move(paths), lastDestination), total,
                     LangTable::getString(move ? kTextMoveTo : kTextCopyTo))) {
        transferring = false;
        transferEntries.clear();
    }
}

INT_PTR PlaylistWindow::Impl::onGatherMoved(WPARAM, LPARAM) {
    applyMoves();
    return TRUE;
}

void PlaylistWindow::Impl::applyMoves() {
    if (!gather) return;
    for (const auto& move : gather->takeMoves()) {
        if (move.first < transferEntries.size()) transferEntries[move.first]->SetFileName(move.second);
    }
}

void PlaylistWindow::Impl::afterTransfer(const GatherSummary& summary) {
    transferring = false;
    transferEntries.clear();
    if (!summary.failed.empty()) {
        std::string text;
        for (size_t i = 0; i < summary.failed.size(); ++i) {
            if (!text.empty()) text += "\n";
            text += summary.failed[i];
            if (i < summary.failedReasons.size() && !summary.failedReasons[i].empty()) {
                text += ": " + summary.failedReasons[i];
            }
        }
        prompter.Message(text, LangTable::getString(IDS_ERROR), PromptButtons::Ok, PromptIcon::Error);
    }
    // The paths changed: the search index is rebuilt, the rows follow.
    filter.recountGenres();
    refreshExplorerPane();
    filter.refilter(view);
    duplicates.viewRebuilt();
    view.restoreSnapshot();
    applyViewSelection();
    refreshList();
    rewriteStatus(true);
    SetFocus(list);
}

// --- the search fields --------------------------------------------------------------

void PlaylistWindow::Impl::setSearchFields(uint32_t fields) {
    settings.searchFields = fields;
    filter.setSearchFields(fields);
}

void PlaylistWindow::Impl::cmdSearchField(int id) {
    setSearchFields(settings.searchFields ^ (1u << (id - IDM_SEARCH_ARTIST)));
    refilter();
    deselect();
}

void PlaylistWindow::Impl::cmdSearchFieldKey(int id) {
    // The list follows at the next change of the search text.
    setSearchFields(settings.searchFields ^ (1u << (id - IDM_SEARCH_ARTIST_KEY)));
}

void PlaylistWindow::Impl::cmdSearchAllNone(int id) {
    setSearchFields(id == IDM_SEARCH_ALL ? static_cast<uint32_t>(kSearchFieldMask) : 0u);
    refilter();
    deselect();
}

void PlaylistWindow::Impl::cmdSearchFocus(int) {
    HWND box = GetDlgItem(hwnd, IDC_SEARCH);
    SetFocus(box);
    SendMessageA(box, EM_SETSEL, 0, -1);
}

// --- the explorer ---------------------------------------------------------------------

void PlaylistWindow::Impl::cmdExplorerRefresh(int) {
    filter.recountGenres();
    refreshExplorerPane();
}

}  // namespace td
