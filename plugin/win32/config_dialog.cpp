#include "plugin/win32/config_dialog.h"

#include "plugin/win32/plugin_resource.h"

namespace td {

namespace {

constexpr COLORREF kNoteColor = RGB(255, 0, 0);

}  // namespace

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        CheckDlgButton(dialog, IDC_CONFIG_ENABLE,
                       *reinterpret_cast<int*>(lParam) == 1 ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_CONFIG_NOTE)) {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, kNoteColor);
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            int* active = reinterpret_cast<int*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
            if (active) *active = IsDlgButtonChecked(dialog, IDC_CONFIG_ENABLE) == BST_CHECKED ? 1 : 0;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

bool RunConfigDialog(HINSTANCE module, HWND owner, int& activeEnabled) {
    int value = activeEnabled;
    const INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_PLUGIN_CONFIG), owner,
                                           ConfigDialogProc, reinterpret_cast<LPARAM>(&value));
    if (result != IDOK) return false;
    activeEnabled = value;
    return true;
}

}  // namespace td
