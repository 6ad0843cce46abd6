// The playlist window's state and the functions of its areas. Each area has
// its own file:
//   playlist_window.cpp   creation, the start and end sequences, the dialog
//                         procedure (one handler per message)
//   list_pane.cpp         the list view: columns, rows, drawing, selection,
//                         status bar
//   explorer_pane.cpp     the explorer tree beside the list
//   player_panel.cpp      the bitmap buttons, volume and position bars
//   layout_splitter.cpp   placing the controls, dragging the splitter
//   window_commands.cpp   the command table's dispatch and the list commands
//   file_commands.cpp     the File menu: new, open, save, insert, import,
//                         export
//   option_dialogs.cpp    the option, column, reset, wizard, information
//                         and About dialogs
//   style_dialogs.cpp     the theme and HTML style dialogs, find duplicates
//   tools_commands.cpp    the tag tools dialog (tools_dialog.cpp) and the
//                         list brought up to date after it
//   gather.cpp            adding files and folders on the worker behind the
//                         progress dialog (progress_dialog.cpp)
//   selection_commands.cpp  the Select menu's operations, Copy To and Move
//                         To, the search fields, the status bar's progress
//   option_dialogs.cpp    the option dialogs, volume information, explorer
//                         options
// Only the window's own files include this header.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompter.h"
#include "plugin/host_bridge.h"
#include "playlist/filter_search.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "window/dialogs/duplicates_dialog_model.h"
#include "window/explorer_tree.h"
#include "window/file_gatherer.h"
#include "window/menu_model.h"
#include "window/win32/gdi_handles.h"
#include "window/win32/playlist_window.h"
#include "window/win32/win32_prompter.h"
#include "window/status_progress.h"
#include "window/win32/window_menus.h"
#include "window/window_layout.h"
#include "window/window_resource.h"

namespace td {

class Settings;
class LangTable;
class GatherRun;
struct GatherRequest;
struct GatherSummary;

// Messages the window posts to itself.
constexpr UINT kMsgSearchDone = WM_APP + 41;  // the search worker has finished
// Where the status bar's progress bar starts, in pixels from its left edge.
constexpr int kStatusProgressLeft = 150;
constexpr UINT_PTR kPanelTimer = 1;           // the player panel follows the host
constexpr UINT_PTR kStallTimer = 2;           // measures the message loop during a run
constexpr UINT_PTR kHandoverTimer = 3;        // takes the worker's finished entries
constexpr UINT_PTR kSearchProgressTimer = 4;  // the status bar follows the search worker

// The text of a window or control.
std::string GetControlText(HWND control);

struct PlaylistWindow::Impl {
    Impl(PlaylistWindow& window, HINSTANCE resources, HWND hostWindow, HostBridge& hostBridge,
         Settings& options, LangTable& language, std::string file, Prompter* dialogs);
    ~Impl();

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
    Icon smallIcon;
    HCURSOR splitterCursor = nullptr;  // a resource: freed with the module
    ImageList buttonImages[8];
    ImageList listImages;
    ImageList ratingStars;
    ImageList treeImages;
    HACCEL accelerators = nullptr;  // a resource: freed with the module
    WNDPROC listProc = nullptr;
    // Every message box and file or folder dialog goes through `prompter`:
    // the one given at construction, or the real dialogs.
    Win32Prompter systemDialogs;
    Prompter& prompter;
    // The "Configure..." command's dialog, which the plug-in runs.
    std::function<void()> configure;

    ListColors colors;
    int playingIndex = -1;
    int previousPlayingIndex = -1;
    const SongRecord* playingEntry = nullptr;
    bool statusEnabled = true;
    // The list shows the duplicates of the Playlist ("Find duplicates").
    DuplicatesMode duplicates;
    bool explorerShown = false;
    bool started = false;  // the start sequence has laid out the controls
    bool fillingTree = false;
    bool sortMarked = false;  // the header shows the sort direction
    WindowLayout layout;
    std::string display;
    PositionPanel panel;
    bool panelShown = false;

    // The playlist file last opened, saved as or inserted; "" for none.
    std::string currentFile;
    // The folder last chosen in the folder dialog, and its check box.
    std::string lastFolder;
    bool recurseFolders = true;
    // The gathering run in progress, if any: one at a time.
    std::unique_ptr<GatherRun> gather;
    // The longest the message loop went unanswered during runs, measured by
    // kStallTimer, and when it last ticked.
    int longestStallMs = 0;
    DWORD lastStallTick = 0;
    // The rows the list control was last told of during a run, and when.
    int gatherRowsShown = 0;
    DWORD gatherShownTick = 0;
    // What the last run did, kept when it ends.
    GatherSummary lastGather;
    // A Copy To or Move To run: the entries it works on, in the order of
    // its paths (a finished move is applied to them here, on this thread).
    bool transferring = false;
    std::vector<SongRecord*> transferEntries;
    // The status bar's progress during long list operations.
    HWND statusProgress = nullptr;
    std::optional<StatusProgressPlan> progressPlan;

    // --- start and end (playlist_window.cpp) ----------------------------
    void start(HWND dialog);
    void end();
    void close();
    // The window's placement and the language's name into the settings.
    void storePlacementAndLanguage();
    void updateCaption();

    // --- messages (playlist_window.cpp) ---------------------------------
    INT_PTR dialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR setResult(LRESULT value);
    INT_PTR onDestroy(WPARAM, LPARAM);
    INT_PTR onClose(WPARAM, LPARAM);
    INT_PTR onSize(WPARAM, LPARAM);
    INT_PTR onActivate(WPARAM, LPARAM);
    INT_PTR onTimer(WPARAM, LPARAM);
    INT_PTR onHScroll(WPARAM, LPARAM);
    INT_PTR onInitMenuPopup(WPARAM, LPARAM);
    INT_PTR onDrawItem(WPARAM, LPARAM);
    INT_PTR onContextMenu(WPARAM, LPARAM);
    INT_PTR onMouseMove(WPARAM, LPARAM);
    INT_PTR onLButtonDown(WPARAM, LPARAM);
    INT_PTR onLButtonUp(WPARAM, LPARAM);
    INT_PTR onCaptureChanged(WPARAM, LPARAM);
    INT_PTR onDropFiles(WPARAM, LPARAM);
    INT_PTR onSystemChange(WPARAM, LPARAM);
    INT_PTR onQueryNewPalette(WPARAM, LPARAM);
    INT_PTR onSearchDone(WPARAM, LPARAM);
    INT_PTR onGatherDone(WPARAM, LPARAM);
    INT_PTR onGatherMoved(WPARAM, LPARAM);
    INT_PTR onCommand(WPARAM, LPARAM);
    INT_PTR onNotify(WPARAM, LPARAM);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // --- layout and splitter (layout_splitter.cpp) ----------------------
    void layoutControls();
    void drawInvertedBar(const LayoutRect& bar);

    // --- list view and status bar (list_pane.cpp) -----------------------
    void setUpList();
    void applyTheme();
    void relabel();
    void rebuildColumns();
    void saveColumnLayout();
    bool columnsMatchView() const;
    void updateSortMark();
    LRESULT customDraw(NMLVCUSTOMDRAW& cd);
    int imageOf(int row) const;
    INT_PTR onListNotify(const NMHDR& header, LPARAM lParam);
    void refreshList();  // row count, playing row, whole redraw
    void rewriteStatus(bool keepSelection);
    void setStatusPart(int part, const std::string& text);
    void showSelectedLength();
    void applyViewSelection();  // the view's selected flags into the list
    void selectionChanged(int from, int to, UINT oldState, UINT newState);
    void selectFirstRow();
    void markPlaying(int row);
    void deselect();  // no row selected, the selected length emptied
    std::vector<std::string> pathsOf(const std::vector<SongRecord*>& entries) const;
    void playEntries(const std::vector<SongRecord*>& entries, int firstRow);
    void doubleClick();
    void afterListChange();    // genres, explorer, rows, status
    void afterListReplaced();  // the same, the playing mark forgotten
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // --- explorer (explorer_pane.cpp) -----------------------------------
    void showExplorer();
    void hideExplorer();
    void refreshExplorerPane();
    void fillTree();
    void treeSelectionChanged(LPARAM node);
    void refilter();
    LRESULT treeCustomDraw(NMTVCUSTOMDRAW& cd);
    INT_PTR onTreeNotify(const NMHDR& header, LPARAM lParam);

    // --- player panel (player_panel.cpp) --------------------------------
    void setUpPlayerPanel();
    void refreshPanel();
    void drawButton(const DRAWITEMSTRUCT& item);

    // --- commands (window_commands.cpp, file_commands.cpp, gather.cpp) --
    // Runs a command of the command table; false when it has none.
    bool runCommand(int id);
    static bool hasCommand(int id);
    MenuState menuState() const;
    void openButtonMenu(int id);
    void searchTextChanged();
    void installHook();
    void removeHook();
    static LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);
    // The window whose accelerators apply, and the hook on this thread.
    static inline Impl* hookWindow = nullptr;
    static inline HHOOK hook = nullptr;

    // Handlers of the command table; `id` is the command that arrived.
    void cmdPlaySelection(int id);
    void cmdEnqueueSelection(int id);
    void cmdPlayAll(int id);
    void cmdEnqueueAll(int id);
    void cmdClearHostPlaylist(int id);
    void cmdToggleHostPlaylist(int id);
    void cmdSelect(int id);
    void cmdQuit(int id);
    void cmdViewSource(int id);
    void cmdExplorer(int id);
    void cmdConfigure(int id);
    void cmdReload(int id);
    void cmdLanguage(int id);
    void cmdHostButton(int id);
    void cmdButtonMenu(int id);
    void cmdNew(int id);
    void cmdOpen(int id);
    void cmdSave(int id);
    void cmdSaveAs(int id);
    void cmdInsert(int id);
    void cmdImport(int id);
    void cmdExport(int id);
    void cmdAddFiles(int id);
    void cmdAddDirectory(int id);
    // The option dialogs (option_dialogs.cpp).
    void cmdOptions(int id);
    void cmdReset(int id);
    void cmdMediaWizard(int id);
    void cmdColumns(int id);
    void cmdInformation(int id);
    void cmdAbout(int id);
    // The style dialogs and the duplicates mode (style_dialogs.cpp).
    void cmdThemeColors(int id);
    void cmdHtmlClasses(int id);
    void cmdFindDuplicates(int id);
    // The tag tools dialog (tools_commands.cpp).
    void cmdTools(int id);
    void cmdStoreRating(int id);
    // The selection, copy and move, the search fields (selection_commands.cpp).
    void cmdRemove(int id);
    void cmdCrop(int id);
    void cmdDeleteFiles(int id);
    void cmdSelectDead(int id);
    void cmdSelectSame(int id);
    void cmdRating(int id);
    void cmdCopyMove(int id);
    void cmdSearchField(int id);
    void cmdSearchFieldKey(int id);
    void cmdSearchAllNone(int id);
    void cmdSearchFocus(int id);
    void cmdExplorerRefresh(int id);
    void cmdExplorerOptions(int id);
    void cmdVolumeInfo(int id);

    // --- selection work (selection_commands.cpp) -------------------------
    // Ends a running search before entries change or go.
    void stopSearchForChange();
    // Redrawing on, the progress gone, totals, genres and status afresh.
    void finishRemoval();
    // The status bar's progress bar over `total` rows, then each row done.
    void beginStatusProgress(int total);
    void stepStatusProgress(int done);
    void endStatusProgress();
    // The search worker's progress in the status bar while it runs.
    void beginSearchProgress();
    void showSearchProgress();
    void endSearchProgress();
    // The moves the Move To worker handed over, applied to the entries.
    void applyMoves();
    // After a Copy To or Move To run: failures told, the view rebuilt.
    void afterTransfer(const GatherSummary& summary);
    void setSearchFields(uint32_t fields);

    // --- file commands (file_commands.cpp) -------------------------------
    // Shows language-table text `text` with the caption "Error".
    void showError(int text);
    // Asks for a .kq3 file; "" when none was chosen.
    std::string choosePlaylistFile(FileDialogKind kind, const char* title);
    // Open (`replace`) or Insert; a damaged file keeps the list.
    void openKq3(const std::string& path, bool replace);
    // Saves the whole list; false (the user told) when it could not be.
    bool saveKq3As(const std::string& path);

    // --- gathering (gather.cpp) ------------------------------------------
    bool gathering() const;
    // Starts a run behind the progress dialog (`total` items when known,
    // else -1); false, the user told why, when it could not start.
    bool startGather(const GatherRequest& request, int total, const std::string& caption = std::string());
    // Ends the run in progress, if any: the worker stopped and joined.
    void stopGather();
    void noteStallTick();
    // The worker's finished entries into the Playlist and, as the filter
    // and search allow, into the rows; the list told at a pace.
    void takeGathered();
    void showGathered();
    void dropFiles(HDROP drop);
};

}  // namespace td
