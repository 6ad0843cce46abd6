// Adding dropped files and folders to the list.
#include "platform/directory.h"
#include "window/win32/playlist_window_impl.h"

namespace td {

namespace {

constexpr int kMaxFolderDepth = 64;

}  // namespace

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
    WaitCursor wait;
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
}

}  // namespace td
