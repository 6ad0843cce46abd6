// The tag tools commands of the playlist window: the tools dialog over the
// list, then the list brought up to date with what the tools changed.
#include <windows.h>

#include <vector>

#include "window/win32/playlist_window_impl.h"
#include "window/win32/rating_store_dialog.h"
#include "window/win32/tools_dialog.h"
#include "window/window_resource.h"

namespace td {

namespace {

// The tab a command shows first.
int FirstTab(int command) {
    switch (command) {
    case IDM_MASS_TAG: return kToolsTabMassTag;
    case IDM_RENAME_FROM_TAG: return kToolsTabRename;
    case IDM_TAG_FROM_NAME: return kToolsTabTagFromName;
    case IDM_CONVERT_TAGS: return kToolsTabConvert;
    case IDM_ORGANIZE: return kToolsTabOrganize;
    default: return kToolsTabEditTag;
    }
}

}  // namespace

void PlaylistWindow::Impl::cmdTools(int id) {
    // The search worker reads the entries the pages hand new data to.
    stopSearchForChange();
    ToolsDialogRequest request;
    request.module = module;
    request.owner = hwnd;
    request.view = &view;
    request.prompter = &prompter;
    request.system = &systemDialogs;
    request.bridge = &bridge;
    request.settings = &settings;
    request.firstTab = FirstTab(id);
    RunToolsDialog(request);

    // Tags and names may have changed: genres, explorer, filter and order
    // follow them; the selection is the one the dialog left (its pages'
    // file lists choose the window's selection).
    const std::vector<SongRecord*> selected = view.selectedEntries();
    filter.recountGenres();
    refreshExplorerPane();
    filter.refilter(view);
    if (sortMarked) view.sortById(view.sortColumnId(), view.sortDescending());
    view.selectEntries({selected.begin(), selected.end()});
    applyViewSelection();
    refreshList();
    rewriteStatus(true);
    SetFocus(list);
}

// The ratings of the selection into the files; the list then shows the
// entries' new data with the selection it had.
void PlaylistWindow::Impl::cmdStoreRating(int) {
    // The search worker reads the entries the store hands new data to.
    stopSearchForChange();
    RatingStoreRequest request;
    request.module = module;
    request.owner = hwnd;
    request.entries = view.selectedEntries();
    request.playlist = &playlist;
    request.system = &systemDialogs;
    RunRatingStoreDialog(request);

    filter.refilter(view);
    view.selectEntries({request.entries.begin(), request.entries.end()});
    applyViewSelection();
    refreshList();
    rewriteStatus(true);
    SetFocus(list);
}

}  // namespace td
