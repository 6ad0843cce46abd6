// One gathering run behind the progress dialog (template 177): the worker
// that reads the files, the modeless dialog that shows the file in hand and
// the count, with an Abort button, over the disabled playlist window.
//
// The worker only notes the count and the last file it handled; a timer of
// the dialog shows them a few times a second. The entries it finished wait
// in the gatherer until the window's own timer takes them (takeFinished).
// A run of ten thousand small files thus costs the user-interface thread a
// few hundred updates, not ten thousand, and never floods the window's
// message queue. When the run is over (finished or aborted) the worker
// posts kMsgGatherDone to the playlist window, which then calls finish().
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "window/file_gatherer.h"

namespace td {

class Playlist;
class PlaylistView;

// Posted to the playlist window when a run is over.
constexpr UINT kMsgGatherDone = WM_APP + 3;
// Posted to the playlist window when a Move To run moved files.
constexpr UINT kMsgGatherMovedFiles = WM_APP + 42;

class GatherRun final : public GatherListener {
public:
    // `total`: the number of items when known, else -1. `caption` is the
    // dialog's caption.
    GatherRun(HINSTANCE module, HWND window, Playlist& playlist, PlaylistView& view, int total,
              std::string caption);
    // Stops the worker and closes the dialog.
    ~GatherRun() override;
    GatherRun(const GatherRun&) = delete;
    GatherRun& operator=(const GatherRun&) = delete;

    // Opens the dialog and starts the worker on `request`. Anything but
    // Started leaves no dialog and no worker.
    GatherStart start(const GatherRequest& request);
    // Abort: the worker stops at the next item or right after the file in
    // hand; kMsgGatherDone follows.
    void abort();
    // Waits for the worker and closes the dialog (after kMsgGatherDone, or
    // when the window goes away mid-run).
    void finish();

    HWND dialog() const { return dialog_; }
    // Items reported so far, as the dialog counts them.
    int done() const { return done_; }
    const GatherSummary& summary() const { return gatherer_.summary(); }
    // The entries the worker has finished since the last call, now in the
    // Playlist; on the window's thread.
    int takeFinished(std::vector<SongRecord*>& added) { return gatherer_.takeFinished(&added); }

    // The moves handed over since the last call: item of the request and
    // its new path. The window applies them on its own thread.
    std::vector<std::pair<size_t, std::string>> takeMoves();

    // GatherListener, on the worker's thread.
    void gatherFile(const std::string& path) override;
    // Queues the move and posts kMsgGatherMovedFiles to the window.
    void gatherMoved(size_t item, const std::string& newPath) override;
    void gatherDone() override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void setUp(HWND dialog);
    void showFiles();

    HINSTANCE module_;
    HWND window_;
    HWND dialog_ = nullptr;
    int total_;
    std::string caption_;
    FileGatherer gatherer_;
    // What the worker handled so far, under `mutex_`.
    std::mutex mutex_;
    int handled_ = 0;
    std::string lastPath_;
    std::vector<std::pair<size_t, std::string>> moves_;
    int done_ = 0;  // as the dialog shows it
    bool activityRegistered_ = false;
    bool windowDisabled_ = false;
};

}  // namespace td
