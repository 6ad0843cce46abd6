// One gathering run behind the progress dialog (template 177): the worker
// that reads the files, the modeless dialog that shows the file in hand and
// the count, with an Abort button, over the disabled playlist window.
//
// The worker hands each file it handled to a queue and wakes the dialog with
// one posted message, however many files wait, so that a run of ten
// thousand small files never floods the window's message queue. When the
// run is over (finished or aborted) the worker posts kMsgGatherDone to the
// playlist window, which then calls finish().
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "platform/thread.h"
#include "window/file_gatherer.h"

namespace td {

class Playlist;
class PlaylistView;

// Posted to the playlist window when a run is over.
constexpr UINT kMsgGatherDone = WM_APP + 3;
// Posted to the progress dialog when files wait in the queue.
constexpr UINT kMsgGatherFile = WM_APP + 4;

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

    // GatherListener, on the worker's thread.
    void gatherFile(const std::string& path) override;
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
    MessageQueue<std::string> files_;
    std::atomic<bool> wakePosted_{false};
    int done_ = 0;
    bool activityRegistered_ = false;
    bool windowDisabled_ = false;
};

}  // namespace td
