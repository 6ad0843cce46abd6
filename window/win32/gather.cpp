// Adding files and folders to the list: Add files, Add directory, dropped
// items and imported playlists.
#include "platform/directory.h"
#include "settings/lang_table.h"
#include "window/win32/playlist_window_impl.h"

namespace td {

namespace {

constexpr int kMaxFolderDepth = 64;

}  // namespace

void PlaylistWindow::Impl::addDropped(const std::string& path, bool recurse, int depth) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (HasPlaylistExtension(path)) playlist.addFile(path);
        return;
    }
    if (depth >= kMaxFolderDepth || (depth > 0 && !recurse)) return;
    std::vector<DirectoryEntry> entries;
    if (!ListDirectory(path, entries)) return;
    for (const DirectoryEntry& entry : entries) {
        // A folder reached through a link is not entered: it could lead back.
        if (entry.isDirectory && (entry.isLink || !recurse)) continue;
        addDropped(JoinPath(path, entry.name), recurse, depth + 1);
    }
}

void PlaylistWindow::Impl::gatherPaths(std::vector<std::string> paths, bool recurse, const std::string&) {
    WaitCursor wait;
    for (const std::string& path : paths) {
        if (path.empty()) continue;
        playlist.registerVolume(path);
        addDropped(path, recurse, 0);
    }
    filter.recountGenres();
    refreshExplorerPane();
    filter.refilter(view);
    refreshList();
    rewriteStatus(false);
    SetFocus(list);
}

void PlaylistWindow::Impl::dropFiles(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::string path(length + 1, '\0');
        DragQueryFileA(drop, i, &path[0], length + 1);
        path.resize(length);
        paths.push_back(std::move(path));
    }
    DragFinish(drop);
    gatherPaths(std::move(paths), true, LangTable::getString(IDS_ADD_FILES_CAPTION));
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
    if (result.paths.size() > 1) {
        gatherPaths(result.paths, false, LangTable::getString(IDS_ADD_FILES_CAPTION));
        return;
    }
    // One file: added at once, at the end of the list, whatever the filter.
    const std::string& path = result.paths.front();
    playlist.registerVolume(path);
    const int index = playlist.addFile(path);
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
    gatherPaths({result.path}, recurseFolders, LangTable::getString(IDS_ADD_FILES_CAPTION));
}

}  // namespace td
