#include "plugin/win32/tray_dialog.h"

#include "plugin/tray_model.h"
#include "plugin/win32/plugin_resource.h"
#include "settings/lang_table.h"

namespace td {

namespace {

constexpr int kIconBoxes = 7;
constexpr int kIconSize = 16;
// The small icon sits this many pixels left of its box.
constexpr int kIconOffset = 25;

// LangTable texts of the dialog's own controls.
constexpr int kCaptionText = 251;
constexpr int kFrameText = 252;
constexpr int kGroupText = 253;
constexpr int kOkText = 12;
constexpr int kCancelText = 13;
constexpr int kApplyText = 14;

TrayDialogData* DataOf(HWND dialog) {
    return reinterpret_cast<TrayDialogData*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

// A control keeps its template text where the language has none.
void SetText(HWND dialog, int control, int textId) {
    const char* text = LangTable::getString(textId);
    if (*text) SetDlgItemTextA(dialog, control, text);
}

void ShowBoxes(HWND dialog, uint32_t boxes) {
    const bool grouped = (boxes & kTrayGroupBit) != 0;
    for (int i = 0; i < kTrayIconCount; ++i) {
        CheckDlgButton(dialog, IDC_TRAY_FIRST_BOX + i, (boxes & (1u << i)) ? BST_CHECKED : BST_UNCHECKED);
    }
    for (int i = 0; i < kIconBoxes; ++i) EnableWindow(GetDlgItem(dialog, IDC_TRAY_FIRST_BOX + i), !grouped);
}

uint32_t CheckedBoxes(HWND dialog) {
    uint32_t mask = 0;
    for (int i = 0; i < kTrayIconCount; ++i) {
        if (IsDlgButtonChecked(dialog, IDC_TRAY_FIRST_BOX + i) == BST_CHECKED) mask |= 1u << i;
    }
    return mask;
}

void Apply(HWND dialog, TrayDialogData& data) {
    data.mask = CheckedBoxes(dialog);
    if (data.apply) data.apply(data.mask);
}

void Start(HWND dialog, TrayDialogData& data, HINSTANCE module) {
    data.window = dialog;
    const char* caption = LangTable::getString(kCaptionText);
    if (*caption) SetWindowTextA(dialog, caption);
    SetText(dialog, IDC_TRAY_FRAME, kFrameText);
    for (int i = 0; i < kIconBoxes; ++i) SetText(dialog, IDC_TRAY_FIRST_BOX + i, TrayTipText(i));
    SetText(dialog, IDC_TRAY_GROUP, kGroupText);
    SetText(dialog, IDOK, kOkText);
    SetText(dialog, IDCANCEL, kCancelText);
    SetText(dialog, IDC_TRAY_APPLY, kApplyText);
    for (int i = 0; i < kIconBoxes; ++i) {
        if (!data.icons[i]) {
            data.icons[i] =
                static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(kFirstTrayBoxIconResource + i),
                                              IMAGE_ICON, kIconSize, kIconSize, LR_DEFAULTCOLOR));
        }
    }
    ShowBoxes(dialog, TrayDialogBoxes(data.mask));
}

void End(TrayDialogData& data) {
    for (HICON& icon : data.icons) {
        if (icon) DestroyIcon(icon);
        icon = nullptr;
    }
    data.window = nullptr;
}

void PaintIcons(HWND dialog, const TrayDialogData& data) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    for (int i = 0; i < kIconBoxes; ++i) {
        HWND box = GetDlgItem(dialog, IDC_TRAY_FIRST_BOX + i);
        if (!box || !data.icons[i]) continue;
        RECT rect;
        GetWindowRect(box, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        DrawIconEx(dc, rect.left - kIconOffset, rect.top + (rect.bottom - rect.top - kIconSize) / 2,
                   data.icons[i], kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    }
    EndPaint(dialog, &paint);
}

}  // namespace

INT_PTR CALLBACK TrayDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        auto* data = reinterpret_cast<TrayDialogData*>(lParam);
        if (data) {
            Start(dialog, *data, reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)));
        }
        return TRUE;
    }
    TrayDialogData* data = DataOf(dialog);
    if (!data) return FALSE;
    switch (message) {
    case WM_PAINT: PaintIcons(dialog, *data); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_TRAY_GROUP:
            if (HIWORD(wParam) == BN_CLICKED) {
                ShowBoxes(dialog,
                          TrayDialogGroupClicked(IsDlgButtonChecked(dialog, IDC_TRAY_GROUP) == BST_CHECKED));
            }
            return TRUE;
        case IDC_TRAY_APPLY: Apply(dialog, *data); return TRUE;
        case IDOK:
            Apply(dialog, *data);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        default: return FALSE;
        }
    case WM_DESTROY:
        End(*data);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
        return FALSE;
    default: return FALSE;
    }
}

bool RunTrayDialog(HINSTANCE module, HWND owner, TrayDialogData& data) {
    const INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_TRAY_CONFIG), owner, TrayDialogProc,
                                           reinterpret_cast<LPARAM>(&data));
    return result == IDOK;
}

}  // namespace td
