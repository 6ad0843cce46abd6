// The rating store dialog shows a RatingStoreSession: the worker's messages
// wait in the session's queue, and a timer of the dialog takes them on the
// window's thread, so each entry takes its file's new data there while the
// playlist window may be drawn.
#include "window/win32/rating_store_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "settings/lang_table.h"
#include "tools/rating_store.h"
#include "window/win32/model_dialog.h"
#include "window/window_resource.h"

namespace td {
namespace {

constexpr UINT_PTR kPumpTimer = 1;
constexpr UINT kPumpTimerMs = 40;
constexpr int kLangFileName = 100;
constexpr int kPathColumnWidth = 283;
constexpr int kStatusColumnWidth = 80;
constexpr int kQuitPauseMs = 1000;

struct RatingStoreRun {
    static constexpr INT_PTR kCancelResult = IDCANCEL;
    RatingStoreSession& session;
    bool detailsShown = false;
    int rowsShown = 0;
    int collapsedHeight = 0;  // window height with the details hidden
    int expandedHeight = 0;

    void show(HWND dialog) {
        static const ControlText kTexts[] = {
            {IDC_RS_START, kRatingTextStart},
            {IDCANCEL, kRatingTextClose},
            {IDC_RS_DETAILS, kRatingTextShowDetails},
        };
        relabelDialog(dialog, kRatingTextCaption, kTexts);
        HWND list = GetDlgItem(dialog, IDC_RS_LIST);
        SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        const int titles[] = {kLangFileName, kRatingTextStatus};
        const int widths[] = {kPathColumnWidth, kStatusColumnWidth};
        for (int c = 0; c < 2; ++c) {
            std::string title = LangTable::getString(titles[c]);
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = &title[0];
            column.cx = widths[c];
            SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
        }
        RECT window{};
        GetWindowRect(dialog, &window);
        RECT listRect{};
        GetWindowRect(list, &listRect);
        expandedHeight = window.bottom - window.top;
        collapsedHeight = listRect.top - window.top;
        session.worker().setQuitPause(kQuitPauseMs);
        session.worker().setBeep([] { MessageBeep(MB_ICONASTERISK); });
        setDetailsShown(dialog, false);
        refresh(dialog);
    }

    bool accept(HWND, INT_PTR&) { return false; }

    bool command(HWND dialog, int id, int code) {
        if (code != BN_CLICKED) return false;
        if (id == IDC_RS_START) {
            if (session.running()) {
                session.stop();
            } else {
                start(dialog);
            }
            refresh(dialog);
            return true;
        }
        if (id == IDC_RS_DETAILS) {
            setDetailsShown(dialog, !detailsShown);
            return true;
        }
        return false;
    }

    INT_PTR message(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
        if (message == WM_TIMER && wParam == kPumpTimer) {
            session.pump(0);
            if (!session.running()) KillTimer(dialog, kPumpTimer);
            refresh(dialog);
            return TRUE;
        }
        if (message == WM_DESTROY) KillTimer(dialog, kPumpTimer);
        return FALSE;
    }

    void start(HWND dialog) {
        HWND bar = GetDlgItem(dialog, IDC_RS_PROGRESS);
        SendMessageA(bar, PBM_SETRANGE32, 0, session.total());
        SendMessageA(bar, PBM_SETSTEP, 1, 0);
        SendMessageA(bar, PBM_SETPOS, 0, 0);
        ShowWindow(bar, SW_SHOW);
        SendDlgItemMessageA(dialog, IDC_RS_LIST, LVM_DELETEALLITEMS, 0, 0);
        rowsShown = 0;
        if (session.start()) SetTimer(dialog, kPumpTimer, kPumpTimerMs, nullptr);
    }

    // The controls after the session handled what the worker reported.
    void refresh(HWND dialog) {
        SetDlgItemTextA(dialog, IDC_RS_START, session.buttonText());
        SetDlgItemTextA(dialog, IDC_RS_PATH, session.pathLine().c_str());
        SetDlgItemTextA(dialog, IDC_RS_COUNT, session.countLine().c_str());
        SendDlgItemMessageA(dialog, IDC_RS_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(session.counter()), 0);
        HWND list = GetDlgItem(dialog, IDC_RS_LIST);
        const auto& rows = session.details();
        for (; rowsShown < static_cast<int>(rows.size()); ++rowsShown) {
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = rowsShown;
            item.pszText = const_cast<char*>(rows[static_cast<size_t>(rowsShown)].first.c_str());
            const int row =
                static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
            item.iItem = row;
            item.iSubItem = 1;
            item.pszText = const_cast<char*>(rows[static_cast<size_t>(rowsShown)].second.c_str());
            SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        }
        if (rowsShown > 0) SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(rowsShown - 1), FALSE);
    }

    void setDetailsShown(HWND dialog, bool shown) {
        detailsShown = shown;
        SetDlgItemTextA(dialog, IDC_RS_DETAILS,
                        LangTable::getString(shown ? kRatingTextHideDetails : kRatingTextShowDetails));
        ShowWindow(GetDlgItem(dialog, IDC_RS_LIST), shown ? SW_SHOW : SW_HIDE);
        RECT window{};
        GetWindowRect(dialog, &window);
        SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left,
                     shown ? expandedHeight : collapsedHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
};

}  // namespace

void RunRatingStoreDialog(const RatingStoreRequest& request) {
    if (!request.system) return;
    RatingStoreSession session(request.entries, request.playlist);
    RatingStoreRun run{session};
    runModelDialog(request.module, IDD_RATING_STORE, request.owner, *request.system, run);
    // Closed while running: the worker stops after the file in hand, and
    // what it finished still reaches the entries.
    session.stop();
}

}  // namespace td
