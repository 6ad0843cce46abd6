// Placing the window's controls, and the splitter between the explorer and
// the list, dragged as an inverted bar.
#include "window/win32/playlist_window_impl.h"

namespace td {

void PlaylistWindow::Impl::layoutControls() {
    if (!started) return;
    RECT client{};
    GetClientRect(hwnd, &client);
    RECT edit{};
    GetWindowRect(GetDlgItem(hwnd, IDC_SEARCH), &edit);
    int statusHeight = 0;
    if (status) {
        SendMessageA(status, WM_SIZE, 0, 0);
        RECT bar{};
        GetWindowRect(status, &bar);
        statusHeight = bar.bottom - bar.top;
    }
    LayoutInput in;
    in.clientWidth = client.right;
    in.clientHeight = client.bottom;
    in.searchEditHeight = edit.bottom - edit.top;
    in.statusHeight = statusHeight;
    in.explorerShown = explorerShown;
    const LayoutResult r = layout.layout(in);

    HDWP batch = BeginDeferWindowPos(6);
    auto place = [&batch](HWND control, const LayoutRect& rect) {
        if (control && batch) {
            batch = DeferWindowPos(batch, control, nullptr, rect.left, rect.top, rect.width, rect.height,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        }
    };
    if (r.explorer) {
        place(tree, r.tree);
        place(splitter, r.splitter);
    }
    place(list, r.list);
    place(status, r.status);
    // The player panel's wide controls end 4 pixels from the right edge.
    for (int id : {IDC_VOLUME, IDC_POSITION, IDC_CURRENT_FILE}) {
        HWND control = GetDlgItem(hwnd, id);
        RECT rc{};
        GetWindowRect(control, &rc);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rc), 2);
        const int width = stretchedWidth(rc.left, client.right);
        if (width > 0 && batch) {
            batch = DeferWindowPos(batch, control, nullptr, rc.left, rc.top, width, rc.bottom - rc.top,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (batch) EndDeferWindowPos(batch);
}

void PlaylistWindow::Impl::drawInvertedBar(const LayoutRect& bar) {
    const WindowDC dc(hwnd);
    PatBlt(dc.get(), bar.left, bar.top, bar.width, bar.height, DSTINVERT);
}

INT_PTR PlaylistWindow::Impl::onMouseMove(WPARAM, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    if (layout.dragging()) {
        RECT client{};
        GetClientRect(hwnd, &client);
        const LayoutRect old = layout.dragBar();
        const LayoutRect now = layout.moveDrag(x, client.right);
        if (now != old) {
            drawInvertedBar(old);
            drawInvertedBar(now);
        }
    } else {
        SetCursor(layout.overSplitter(x, y) ? splitterCursor : LoadCursor(nullptr, IDC_ARROW));
    }
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onLButtonDown(WPARAM, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    if (layout.beginDrag(x, y)) {
        SetCapture(hwnd);
        SetCursor(splitterCursor);
        drawInvertedBar(layout.dragBar());
    }
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onLButtonUp(WPARAM, LPARAM) {
    if (layout.dragging()) {
        drawInvertedBar(layout.dragBar());
        layout.endDrag();
        ReleaseCapture();
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        layoutControls();
    }
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onCaptureChanged(WPARAM, LPARAM lParam) {
    // Capture taken away mid-drag: the drag ends where the bar is.
    if (layout.dragging() && reinterpret_cast<HWND>(lParam) != hwnd) {
        drawInvertedBar(layout.dragBar());
        layout.endDrag();
        layoutControls();
    }
    return TRUE;
}

}  // namespace td
