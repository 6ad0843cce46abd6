// The player panel above the list: the eight bitmap buttons, the volume and
// position bars and the texts that follow the host's player.
#include "plugin/host_bridge.h"
#include "window/win32/playlist_window_impl.h"

namespace td {

namespace {

struct ButtonDef {
    int id;
    int bitmap;
};
// The eight bitmap buttons, in the order the window keeps their images.
constexpr ButtonDef kButtons[8] = {
    {IDC_SEARCH_FIELDS_BUTTON, IDB_BUTTON_SEARCH_FIELDS},
    {IDC_FILE_BUTTON, IDB_BUTTON_FILE},
    {IDC_ADD_BUTTON, IDB_BUTTON_ADD},
    {IDC_PLAY, IDB_BUTTON_PLAY},
    {IDC_PAUSE, IDB_BUTTON_PAUSE},
    {IDC_STOP, IDB_BUTTON_STOP},
    {IDC_PREVIOUS, IDB_BUTTON_PREVIOUS},
    {IDC_NEXT, IDB_BUTTON_NEXT},
};

}  // namespace

void PlaylistWindow::Impl::setUpPlayerPanel() {
    for (int i = 0; i < 8; ++i) buttonImages[i] = LoadMaskedImageList(module, kButtons[i].bitmap, 0);
    // The volume bar, in line with the host.
    HWND volume = GetDlgItem(hwnd, IDC_VOLUME);
    SendMessageA(volume, TBM_SETRANGE, TRUE, MAKELPARAM(0, 255));
    SendMessageA(volume, TBM_SETPAGESIZE, 0, 50);
    SendMessageA(volume, TBM_SETLINESIZE, 0, 10);
    const intptr_t hostVolume = bridge.GetVolume();
    if (hostVolume >= 0) {
        SendMessageA(volume, TBM_SETPOS, TRUE, static_cast<LPARAM>(std::min<intptr_t>(hostVolume, 255)));
    }
}

void PlaylistWindow::Impl::refreshPanel() {
    const PositionPanel p = bridge.RefreshPositionPanel();
    HWND position = GetDlgItem(hwnd, IDC_POSITION);
    HWND volume = GetDlgItem(hwnd, IDC_VOLUME);
    const bool first = !panelShown;
    panelShown = true;
    // A bar the user is dragging keeps the user's position.
    if (GetCapture() != position) {
        if (first || p.lengthSeconds != panel.lengthSeconds) {
            SendMessageA(position, TBM_SETRANGE, TRUE, MAKELPARAM(0, 0));
            SendMessageA(position, TBM_SETRANGEMAX, TRUE, p.lengthSeconds);
            SendMessageA(position, TBM_SETPAGESIZE, 0, p.pageSize);
            SendMessageA(position, TBM_SETLINESIZE, 0, p.lineSize);
        }
        if (first || p.positionSeconds != panel.positionSeconds) {
            SendMessageA(position, TBM_SETPOS, TRUE, p.positionSeconds);
        }
    }
    if (first || p.elapsedText != panel.elapsedText)
        SetDlgItemTextA(hwnd, IDC_ELAPSED, p.elapsedText.c_str());
    if (first || p.totalText != panel.totalText) SetDlgItemTextA(hwnd, IDC_TOTAL, p.totalText.c_str());
    if (first || p.fileName != panel.fileName) SetDlgItemTextA(hwnd, IDC_CURRENT_FILE, p.fileName.c_str());
    if (GetCapture() != volume && (first || p.volume != panel.volume || p.volumeLabel != panel.volumeLabel)) {
        SendMessageA(volume, TBM_SETPOS, TRUE, p.volume);
        SetDlgItemTextA(hwnd, IDC_VOLUME_LABEL, p.volumeLabel.c_str());
    }
    panel = p;
}

INT_PTR PlaylistWindow::Impl::onHScroll(WPARAM wParam, LPARAM lParam) {
    HWND bar = reinterpret_cast<HWND>(lParam);
    if (!bar || LOWORD(wParam) == TB_ENDTRACK) return TRUE;
    const int pos = static_cast<int>(SendMessageA(bar, TBM_GETPOS, 0, 0));
    if (GetDlgCtrlID(bar) == IDC_VOLUME) {
        bridge.ChangeVolume(pos);
        SetDlgItemTextA(hwnd, IDC_VOLUME_LABEL, HostBridge::VolumeLabel(pos).c_str());
    } else if (GetDlgCtrlID(bar) == IDC_POSITION) {
        bridge.Seek(pos);
    }
    return TRUE;
}

INT_PTR PlaylistWindow::Impl::onDrawItem(WPARAM, LPARAM lParam) {
    drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

void PlaylistWindow::Impl::drawButton(const DRAWITEMSTRUCT& item) {
    HIMAGELIST images = nullptr;
    for (int i = 0; i < 8; ++i) {
        if (kButtons[i].id == static_cast<int>(item.CtlID)) images = buttonImages[i].get();
    }
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &rc, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const int shift = pressed ? 1 : 0;
    const std::string text = GetControlText(item.hwndItem);
    int imageWidth = 0;
    int imageHeight = 0;
    if (images) ImageList_GetIconSize(images, &imageWidth, &imageHeight);
    const int height = rc.bottom - rc.top;
    int x = text.empty() ? rc.left + (rc.right - rc.left - imageWidth) / 2 : rc.left + 4;
    if (imageWidth > 0) {
        const UINT style =
            (item.itemState & ODS_DISABLED) ? (ILD_TRANSPARENT | ILD_BLEND50) : ILD_TRANSPARENT;
        ImageList_Draw(images, 0, dc, x + shift, rc.top + (height - imageHeight) / 2 + shift, style);
        x += imageWidth + 3;
    }
    if (!text.empty()) {
        RECT textRect{x + shift, rc.top + shift, rc.right - 2 + shift, rc.bottom + shift};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        DrawTextA(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    }
    if (item.itemState & ODS_FOCUS) {
        RECT focus = rc;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

}  // namespace td
