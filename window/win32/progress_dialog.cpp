#include "window/win32/progress_dialog.h"

#include <commctrl.h>

#include <cstdio>

#include "controls/win32/activity_bar.h"
#include "settings/lang_table.h"
#include "window/window_resource.h"

namespace td {

namespace {

constexpr char kScanning[] = "Scanning...";
constexpr UINT_PTR kShowTimer = 1;
constexpr UINT kShowTimerMs = 100;
constexpr int kCountFormat = 365;  // "%d / %d Total"

}  // namespace

GatherRun::GatherRun(HINSTANCE module, HWND window, Playlist& playlist, PlaylistView& view, int total,
                     std::string caption)
    : module_(module),
      window_(window),
      total_(total),
      caption_(std::move(caption)),
      gatherer_(playlist, &view) {
    gatherer_.setStopBeep([] { MessageBeep(MB_ICONINFORMATION); });
}

GatherRun::~GatherRun() {
    finish();
    if (activityRegistered_) UnregisterActivityBarClass();
}

GatherStart GatherRun::start(const GatherRequest& request) {
    activityRegistered_ = activityRegistered_ || RegisterActivityBarClass();
    dialog_ = CreateDialogParamA(module_, MAKEINTRESOURCEA(IDD_PROGRESS), window_, &GatherRun::DialogProc,
                                 reinterpret_cast<LPARAM>(this));
    const GatherStart started = gatherer_.start(request, *this);
    if (started != GatherStart::Started) {
        if (dialog_) DestroyWindow(dialog_);
        dialog_ = nullptr;
        return started;
    }
    // The playlist window waits, as under a modal dialog; the dialog and the
    // window's own timer keep running.
    EnableWindow(window_, FALSE);
    windowDisabled_ = true;
    if (dialog_) {
        ShowWindow(dialog_, SW_SHOW);
        SetForegroundWindow(dialog_);
    }
    return started;
}

void GatherRun::abort() { gatherer_.requestStop(); }

void GatherRun::finish() {
    gatherer_.stop();
    if (windowDisabled_) EnableWindow(window_, TRUE);
    windowDisabled_ = false;
    if (dialog_) DestroyWindow(dialog_);
    dialog_ = nullptr;
}

void GatherRun::gatherFile(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++handled_;
    lastPath_ = path;
}

void GatherRun::gatherMoved(size_t item, const std::string& newPath) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        moves_.emplace_back(item, newPath);
    }
    PostMessageA(window_, kMsgGatherMovedFiles, 0, 0);
}

std::vector<std::pair<size_t, std::string>> GatherRun::takeMoves() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::pair<size_t, std::string>> taken;
    taken.swap(moves_);
    return taken;
}

void GatherRun::gatherDone() { PostMessageA(window_, kMsgGatherDone, 0, 0); }

void GatherRun::setUp(HWND dialog) {
    dialog_ = dialog;
    SetWindowTextA(dialog, caption_.c_str());
    const char* abortText = LangTable::getString(IDS_ABORT);
    if (*abortText) SetDlgItemTextA(dialog, IDC_PROGRESS_ABORT, abortText);
    SetDlgItemTextA(dialog, IDC_PROGRESS_FILE, kScanning);
    SetDlgItemTextA(dialog, IDC_PROGRESS_COUNT, total_ >= 0 ? "" : "0");
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    HWND activity = GetDlgItem(dialog, IDC_PROGRESS_ACTIVITY);
    if (total_ >= 0) {
        SendMessageA(bar, PBM_SETRANGE32, 0, total_);
        SendMessageA(bar, PBM_SETPOS, 0, 0);
        SendMessageA(bar, PBM_SETSTEP, 1, 0);
        ShowWindow(bar, SW_SHOW);
        ShowWindow(activity, SW_HIDE);
    } else {
        ShowWindow(bar, SW_HIDE);
        ShowWindow(activity, SW_SHOW);
    }
    SetTimer(dialog, kShowTimer, kShowTimerMs, nullptr);
}

void GatherRun::showFiles() {
    std::string last;
    int handled = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        handled = handled_;
        last = lastPath_;
    }
    if (handled == done_ || !dialog_) return;
    done_ = handled;
    SetDlgItemTextA(dialog_, IDC_PROGRESS_FILE, last.c_str());
    char count[96];
    if (total_ >= 0) {
        std::snprintf(count, sizeof count, LangTable::getString(kCountFormat), done_, total_);
        SendDlgItemMessageA(dialog_, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(done_), 0);
    } else {
        std::snprintf(count, sizeof count, "%d", done_);
    }
    SetDlgItemTextA(dialog_, IDC_PROGRESS_COUNT, count);
}

INT_PTR CALLBACK GatherRun::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
        reinterpret_cast<GatherRun*>(lParam)->setUp(hwnd);
        return TRUE;
    }
    auto* run = reinterpret_cast<GatherRun*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!run) return FALSE;
    switch (message) {
    case WM_TIMER:
        if (wParam == kShowTimer) run->showFiles();
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_PROGRESS_ABORT || LOWORD(wParam) == IDCANCEL) {
            EnableWindow(GetDlgItem(hwnd, IDC_PROGRESS_ABORT), FALSE);
            run->abort();
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE: run->abort(); return TRUE;
    case WM_NCDESTROY:
        KillTimer(hwnd, kShowTimer);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace td
