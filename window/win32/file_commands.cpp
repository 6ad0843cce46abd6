// The File menu and the "File..." button: a new list, playlist files opened,
// inserted and saved, M3U and PLS imported, the list exported. The playlist
// file in use shows in the caption.
#include "platform/file_system.h"
#include "playlist/export.h"
#include "playlist/kq3.h"
#include "playlist/m3u_pls.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "window/file_gatherer.h"
#include "window/win32/playlist_window_impl.h"

namespace td {

namespace {

constexpr char kKq3Filter[] = "Tunedeck (*.kq3)|*.kq3|";
constexpr char kOpenTitle[] = "Open Tunedeck";
constexpr char kSaveAsTitle[] = "Save as Tunedeck";
constexpr char kInsertTitle[] = "Insert Tunedeck";
// Texts of the language table.
constexpr int kTextErrorFile = 128;  // "Error file: Tunedeck"
constexpr int kTextBadPls = 131;     // "Bad file: PLS playlist"
// The second filter of IDS_IMPORT_FILTER: PLS (the first is M3U).
constexpr int kImportPls = 2;

}  // namespace

void PlaylistWindow::Impl::showError(int text) {
    prompter.Message(LangTable::getString(text), LangTable::getString(IDS_ERROR), PromptButtons::Ok,
                     PromptIcon::Error);
}

std::string PlaylistWindow::Impl::choosePlaylistFile(FileDialogKind kind, const char* title) {
    FileDialogRequest request;
    request.kind = kind;
    request.title = title;
    request.filter = kKq3Filter;
    const FileDialogResult result = prompter.ChooseFiles(request);
    if (result.outcome != FileDialogOutcome::Chosen || result.paths.empty()) return std::string();
    return result.paths.front();
}

void PlaylistWindow::Impl::cmdNew(int) {
    fillingTree = true;
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    fillingTree = false;
    view.clearRows();
    playlist.clear();
    // The new list is not the file's: Save asks for a name instead of
    // writing the new list over the file last opened.
    currentFile.clear();
    afterListReplaced();
    updateCaption();
}

void PlaylistWindow::Impl::openKq3(const std::string& path, bool replace) {
    WaitCursor wait;
    // The whole file is decoded before the list changes: a damaged file
    // keeps the list as it is and says why.
    const Kq3Load loaded = loadKq3(path, replace, playlist, view, prompter);
    if (loaded == Kq3Load::NotOpened) {
        prompter.Message(kq3LoadMessage(loaded), LangTable::getString(IDS_ERROR), PromptButtons::Ok,
                         PromptIcon::Error);
    }
    if (loaded != Kq3Load::Loaded) return;
    currentFile = path;
    if (replace) {
        afterListReplaced();
        selectFirstRow();
    } else {
        afterListChange();
    }
    updateCaption();
}

void PlaylistWindow::Impl::cmdOpen(int) {
    const std::string path = choosePlaylistFile(FileDialogKind::Open, kOpenTitle);
    if (!path.empty()) openKq3(path, true);
}

void PlaylistWindow::Impl::cmdInsert(int) {
    const std::string path = choosePlaylistFile(FileDialogKind::Open, kInsertTitle);
    if (!path.empty()) openKq3(path, false);
}

bool PlaylistWindow::Impl::saveKq3As(const std::string& path) {
    WaitCursor wait;
    // A failed save (a read-only file, a full disk) says why and leaves the
    // old file as it was; a file that cannot be created is told here.
    const Kq3Save saved = saveKq3(playlist, path, &prompter);
    if (saved == Kq3Save::NotOpened) {
        prompter.Message(kq3SaveMessage(saved), LangTable::getString(IDS_ERROR), PromptButtons::Ok,
                         PromptIcon::Error);
    }
    if (saved != Kq3Save::Saved) return false;
    currentFile = path;
    updateCaption();
    return true;
}

void PlaylistWindow::Impl::cmdSave(int id) {
    if (currentFile.empty()) {
        cmdSaveAs(id);
        return;
    }
    saveKq3As(currentFile);
}

void PlaylistWindow::Impl::cmdSaveAs(int) {
    const std::string path = choosePlaylistFile(FileDialogKind::Save, kSaveAsTitle);
    if (!path.empty()) saveKq3As(withKq3Extension(path));
}

void PlaylistWindow::Impl::cmdImport(int) {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.title = LangTable::getString(IDS_IMPORT_TITLE);
    request.filter = LangTable::getString(IDS_IMPORT_FILTER);
    const FileDialogResult result = prompter.ChooseFiles(request);
    if (result.outcome != FileDialogOutcome::Chosen || result.paths.empty()) return;
    // The chosen filter, not the name, picks the reader.
    const std::string& path = result.paths.front();
    std::string text;
    if (readWholePlaylistFile(path, text) != WholeFileRead::Ok) {
        showError(kTextErrorFile);
        return;
    }
    // A PLS without its header is refused before the list is emptied.
    std::vector<std::string> paths;
    const bool pls = result.filterIndex == kImportPls;
    if (pls && !plsPaths(text, path, paths)) {
        showError(kTextBadPls);
        return;
    }
    if (startGather(GatherRequest::Import(path, pls ? PlaylistFormat::Pls : PlaylistFormat::M3u), -1)) {
        // The list was emptied for the imported one.
        playingEntry = nullptr;
        previousPlayingIndex = -1;
    }
}

void PlaylistWindow::Impl::cmdExport(int) {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.title = LangTable::getString(IDS_EXPORT_TITLE);
    request.filter = LangTable::getString(IDS_EXPORT_FILTER);
    const FileDialogResult result = prompter.ChooseFiles(request);
    if (result.outcome != FileDialogOutcome::Chosen || result.paths.empty()) return;
    ExportFormat format = ExportFormat::HtmlTable;
    if (!exportFormatForFilter(result.filterIndex, settings.htmlListing == 1, format)) return;
    const std::string path = ensureExportExtension(result.paths.front(), format);
    WaitCursor wait;
    if (!writeExport(format, path, view, exportOptionsFrom(settings))) showError(kTextErrorFile);
}

}  // namespace td
