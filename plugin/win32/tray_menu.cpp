#include "plugin/win32/tray_menu.h"

#include <algorithm>
#include <cstring>

#include "plugin/plugin_model.h"
#include "plugin/tray_model.h"

namespace td {

namespace {

constexpr char kMeasureText[] = "Very Long String";
// The system's metrics record as every Windows version takes it: without the
// padded border width that later versions added at its end.
constexpr UINT kNonClientMetricsSize = 340;
constexpr int kIconSize = 16;
constexpr int kIconLeft = 4;
constexpr int kFillLeft = 22;
constexpr int kTextLeft = 24;
constexpr int kMinTextHeight = 16;
constexpr int kHeightPadding = 4;
constexpr int kWidthPadding = 26;

HFONT MenuFont() {
    NONCLIENTMETRICSA metrics;
    std::memset(&metrics, 0, sizeof metrics);
    static_assert(sizeof metrics >= kNonClientMetricsSize, "the metrics record holds the menu font");
    metrics.cbSize = kNonClientMetricsSize;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
        return nullptr;
    }
    return CreateFontIndirectA(&metrics.lfMenuFont);
}

}  // namespace

TrayMenu::TrayMenu(HINSTANCE module) : module_(module) {}

TrayMenu::~TrayMenu() {
    deleteFont();
    for (HICON& icon : icons_) {
        if (icon) DestroyIcon(icon);
        icon = nullptr;
    }
}

HFONT TrayMenu::font() {
    if (font_) return font_;
    font_ = MenuFont();
    ownFont_ = font_ != nullptr;
    if (!font_) font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!font_) font_ = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    return font_;
}

void TrayMenu::deleteFont() {
    if (font_ && ownFont_) DeleteObject(font_);
    font_ = nullptr;
    ownFont_ = false;
}

void TrayMenu::run(HWND owner) {
    if (open_ || !owner) return;
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    const std::vector<TrayMenuEntry> entries = TrayMenuEntries();
    texts_.clear();
    texts_.reserve(entries.size());  // the items point into it: no reallocation
    for (const TrayMenuEntry& entry : entries) {
        if (entry.command == 0) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        texts_.push_back(OwnMenuText(entry.textId));
        AppendMenuA(menu, MF_OWNERDRAW, static_cast<UINT_PTR>(entry.command),
                    reinterpret_cast<LPCSTR>(texts_.back().c_str()));
    }
    POINT at{};
    GetCursorPos(&at);
    SetForegroundWindow(owner);
    open_ = true;
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    open_ = false;
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    texts_.clear();
}

bool TrayMenu::owns(ULONG_PTR data) const {
    if (!open_) return false;
    return std::any_of(texts_.begin(), texts_.end(), [data](const std::string& text) {
        return reinterpret_cast<ULONG_PTR>(text.c_str()) == data;
    });
}

HICON TrayMenu::itemIcon(UINT command) {
    const bool known = command >= kTrayMenuShow && command <= kTrayMenuLoadFile;
    const size_t slot = known ? command - kTrayMenuShow : icons_.size() - 1;
    if (!icons_[slot]) {
        const int resource =
            known ? kFirstTrayIconResource + static_cast<int>(slot) : kTrayMenuItemIconResource;
        icons_[slot] = static_cast<HICON>(LoadImageA(module_, MAKEINTRESOURCEA(resource), IMAGE_ICON,
                                                     kIconSize, kIconSize, LR_DEFAULTCOLOR));
    }
    return icons_[slot];
}

bool TrayMenu::measure(MEASUREITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU || !owns(item.itemData)) return false;
    SIZE size{};
    HDC dc = GetDC(nullptr);
    if (dc) {
        HGDIOBJ old = SelectObject(dc, font());
        GetTextExtentPoint32A(dc, kMeasureText, static_cast<int>(sizeof kMeasureText - 1), &size);
        if (old) SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
    }
    textHeight_ = size.cy;
    item.itemHeight = static_cast<UINT>(std::max<LONG>(size.cy, kMinTextHeight) + kHeightPadding);
    item.itemWidth = static_cast<UINT>(size.cx + kWidthPadding);
    return true;
}

bool TrayMenu::draw(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU || !owns(item.itemData)) return false;
    HDC dc = item.hDC;
    const RECT& box = item.rcItem;
    const int height = box.bottom - box.top;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool greyed = (item.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;

    RECT fill = box;
    fill.left += kFillLeft;
    FillRect(dc, &fill, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));

    const char* text = reinterpret_cast<const char*>(item.itemData);
    const int length = static_cast<int>(std::strlen(text));
    HGDIOBJ oldFont = SelectObject(dc, font());
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = GetTextColor(dc);
    const int x = box.left + kTextLeft;
    const int y = box.top + (height - textHeight_) / 2 - 1;
    if (!greyed) {
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
        TextOutA(dc, x, y, text, length);
    } else if (selected) {
        SetTextColor(dc, GetSysColor(COLOR_MENU));
        TextOutA(dc, x, y, text, length);
    } else {
        // Embossed: a light copy one pixel down and right under the grey one.
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        TextOutA(dc, x + 1, y + 1, text, length);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        TextOutA(dc, x, y, text, length);
    }
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    if (oldFont) SelectObject(dc, oldFont);

    if (HICON icon = itemIcon(item.itemID)) {
        DrawIconEx(dc, box.left + kIconLeft, box.top + (height - kIconSize) / 2, icon, kIconSize, kIconSize,
                   0, nullptr, DI_NORMAL);
    }
    return true;
}

}  // namespace td
