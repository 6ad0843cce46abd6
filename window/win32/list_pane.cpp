// The list view of the playlist window and its status bar: columns, row
// texts and images, custom drawing in the colour theme, the selection, and
// the five parts of the status bar.
#include <algorithm>
#include <array>

#include "plugin/host_bridge.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "window/row_image.h"
#include "window/win32/playlist_window_impl.h"
#include "window/win32/window_commands.h"

namespace td {

void PlaylistWindow::Impl::setUpList() {
    // The status bar with its five parts.
    status =
        CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_BAR)), module, nullptr);
    if (status) {
        int edges[kStatusPartCount];
        std::copy(std::begin(kStatusPartEdges), std::end(kStatusPartEdges), edges);
        SendMessageA(status, SB_SETPARTS, kStatusPartCount, reinterpret_cast<LPARAM>(edges));
    }
    // The list view: styles, images, columns.
    DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP;
    if (settings.showGrid == 1) extended |= LVS_EX_GRIDLINES;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    listImages = LoadMaskedImageList(module, IDB_LIST_IMAGES, 16);
    ratingStars = LoadMaskedImageList(module, IDB_RATING_STARS, 16);
    if (listImages)
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(listImages.get()));
    view.applyOptions(settings);
    filter.applySettings(settings);
    view.buildColumns(settings);
    rebuildColumns();
}

void PlaylistWindow::Impl::applyTheme() {
    colors = listColorsOf(settings.currentTheme());
    if (treeImages)
        SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(treeImages.get()));
    if (listImages)
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(listImages.get()));
    SendMessageA(list, LVM_SETBKCOLOR, 0, colors.background);
    SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, colors.background);
    SendMessageA(list, LVM_SETTEXTCOLOR, 0, colors.text);
    SendMessageA(tree, TVM_SETBKCOLOR, 0, colors.background);
    SendMessageA(tree, TVM_SETTEXTCOLOR, 0, colors.text);
    for (HWND control : {list, tree}) {
        LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
        style |= (control == list) ? LVS_SHOWSELALWAYS : TVS_SHOWSELALWAYS;
        SetWindowLongPtrA(control, GWL_STYLE, style);
        InvalidateRect(control, nullptr, TRUE);
    }
}

void PlaylistWindow::Impl::relabel() {
    HMENU bar = GetMenu(hwnd);
    if (bar) {
        RelabelMenuBar(bar, lang);
        DrawMenuBar(hwnd);
    }
    const char* search = LangTable::getString(IDS_SEARCH_LABEL);
    if (*search) SetDlgItemTextA(hwnd, IDC_SEARCH_LABEL, search);
    const int volume = static_cast<int>(SendDlgItemMessageA(hwnd, IDC_VOLUME, TBM_GETPOS, 0, 0));
    SetDlgItemTextA(hwnd, IDC_VOLUME_LABEL, HostBridge::VolumeLabel(volume).c_str());
    InvalidateRect(GetDlgItem(hwnd, IDC_FILE_BUTTON), nullptr, TRUE);
    InvalidateRect(GetDlgItem(hwnd, IDC_ADD_BUTTON), nullptr, TRUE);
    // Titles again from the table; widths and the dragged order are kept,
    // and the rows stay in their order.
    const int count = view.columnCount();
    std::vector<int> order(static_cast<size_t>(std::max(count, 0)));
    const bool haveOrder = count > 0 && columnsMatchView() &&
                           SendMessageA(list, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                                        reinterpret_cast<LPARAM>(order.data()));
    if (haveOrder) {
        for (int position = 0; position < count; ++position) {
            view.setColumnWidthAt(position, static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH,
                                                                          static_cast<WPARAM>(position), 0)));
        }
    }
    rebuildColumns();
    if (haveOrder) {
        SendMessageA(list, LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                     reinterpret_cast<LPARAM>(order.data()));
    }
    refreshList();
    rewriteStatus(true);
}

bool PlaylistWindow::Impl::columnsMatchView() const {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    return header && static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) == view.columnCount();
}

void PlaylistWindow::Impl::rebuildColumns() {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {
    }
    for (int position = 0; position < view.columnCount(); ++position) {
        const int id = view.columnIdAt(position);
        std::string title = columnTitle(id);
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = columnDef(id).align == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = view.columnWidthAt(position);
        column.pszText = &title[0];
        column.iSubItem = position;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(&column));
    }
    updateSortMark();
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void PlaylistWindow::Impl::saveColumnLayout() {
    const int count = view.columnCount();
    if (!list || count <= 0) return;
    if (!columnsMatchView()) return;  // the list's columns are not the view's yet
    std::vector<int> order(static_cast<size_t>(count));
    if (!SendMessageA(list, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                      reinterpret_cast<LPARAM>(order.data()))) {
        for (int i = 0; i < count; ++i) order[static_cast<size_t>(i)] = i;
    }
    std::array<int32_t, kColumnCount> ids = settings.getColumnOrder();
    std::array<int32_t, kColumnCount> widths = settings.getColumnWidth();
    for (int shown = 0; shown < count; ++shown) {
        const int position = order[static_cast<size_t>(shown)];
        const int id = view.columnIdAt(position);
        if (id < 0) continue;
        ids[static_cast<size_t>(shown)] = id;
        widths[static_cast<size_t>(id)] =
            static_cast<int32_t>(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(position), 0));
    }
    // The tail keeps its old ids; setColumnOrder drops those now in front and
    // appends the missing ones, so the order stays a permutation.
    settings.setColumnOrder(ids);
    settings.setColumnWidth(widths);
    settings.visibleColumnCount = count;
    settings.setSortKey(view.sortColumnId(), view.sortDescending());
}

void PlaylistWindow::Impl::updateSortMark() {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    if (!header) return;
    // The mark shows once the user has sorted: a list loaded in file order
    // is not in the order of the stored key.
    const int sorted = sortMarked ? view.sortPosition() : -1;
    for (int position = 0; position < view.columnCount(); ++position) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        if (!SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(position),
                          reinterpret_cast<LPARAM>(&item))) {
            continue;
        }
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (position == sorted) item.fmt |= view.sortDescending() ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item));
    }
}

int PlaylistWindow::Impl::imageOf(int row) const {
    RowImageState state;
    state.playing = row == playingIndex && row >= 0;
    state.duplicates = duplicates.shown();
    const SongRecord* entry = view.entryAt(row);
    state.missing = entry && isDeadEntry(*entry);
    return rowImage(entry, state);
}

LRESULT PlaylistWindow::Impl::customDraw(NMLVCUSTOMDRAW& cd) {
    // Theme 0 ("Windows color"): the list draws itself.
    if (settings.themeIndex == 0) return CDRF_DODEFAULT;
    const int row = static_cast<int>(cd.nmcd.dwItemSpec);
    switch (cd.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        HDC dc = cd.nmcd.hdc;
        const int position = cd.iSubItem;
        const bool selected = (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) &
                               LVIS_SELECTED) != 0;
        const CellColors cell = rowColors(colors, row, selected, playingIndex);
        RECT label{};
        label.top = position;
        label.left = LVIR_LABEL;
        SendMessageA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&label));
        const Brush brush(CreateSolidBrush(cell.background));
        if (position == 0) {
            RECT icon{};
            icon.top = 0;
            icon.left = LVIR_ICON;
            SendMessageA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&icon));
            RECT whole{icon.left, label.top, label.right, label.bottom};
            FillRect(dc, &whole, brush.get());
            if (listImages) {
                int w = 16;
                int h = 16;
                ImageList_GetIconSize(listImages.get(), &w, &h);
                ImageList_Draw(listImages.get(), imageOf(row), dc, icon.left,
                               icon.top + (icon.bottom - icon.top - h) / 2, ILD_TRANSPARENT);
            }
        } else {
            FillRect(dc, &label, brush.get());
        }
        const SongRecord* entry = view.entryAt(row);
        if (!entry) return CDRF_SKIPDEFAULT;
        const std::string text = view.columnText(*entry, position, row + 1);
        if (isBlankCellText(text.c_str())) return CDRF_SKIPDEFAULT;
        const int id = view.columnIdAt(position);
        if (id == kColumnRating && ratingStars) {
            int w = 16;
            int h = 16;
            ImageList_GetIconSize(ratingStars.get(), &w, &h);
            RatingImage images[kRatingImageCount];
            ratingImages(
                LayoutRect{label.left, label.top, label.right - label.left, label.bottom - label.top},
                entry->GetRating(), w, h, images);
            const int saved = SaveDC(dc);
            IntersectClipRect(dc, label.left, label.top, label.right, label.bottom);
            for (const RatingImage& image : images) {
                ImageList_Draw(ratingStars.get(), image.image, dc, image.x, image.y, ILD_TRANSPARENT);
            }
            RestoreDC(dc, saved);
            return CDRF_SKIPDEFAULT;
        }
        RECT textRect = label;
        textRect.left += 2;
        textRect.right -= 2;
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, cell.background);
        SetTextColor(dc, cell.text);
        const UINT align = columnDef(id).align == 1 ? DT_RIGHT : DT_LEFT;
        DrawTextA(dc, text.c_str(), -1, &textRect,
                  DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | align);
        return CDRF_SKIPDEFAULT;
    }
    case CDDS_ITEMPOSTPAINT: {
        if (GetFocus() == list) {
            const UINT state = static_cast<UINT>(
                SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED | LVIS_FOCUSED));
            if ((state & (LVIS_SELECTED | LVIS_FOCUSED)) == (LVIS_SELECTED | LVIS_FOCUSED)) {
                RECT bounds{};
                bounds.left = LVIR_BOUNDS;
                SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                             reinterpret_cast<LPARAM>(&bounds));
                RECT icon{};
                icon.left = LVIR_ICON;
                SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                             reinterpret_cast<LPARAM>(&icon));
                bounds.left = icon.left;
                DrawFocusRect(cd.nmcd.hdc, &bounds);
            }
        }
        return CDRF_DODEFAULT;
    }
    default: return CDRF_DODEFAULT;
    }
}

INT_PTR PlaylistWindow::Impl::onListNotify(const NMHDR& header, LPARAM lParam) {
    switch (header.code) {
    case LVN_GETDISPINFOA: {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
        const SongRecord* entry = view.entryAt(item.iItem);
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            display = entry ? view.columnText(*entry, item.iSubItem, item.iItem + 1) : std::string();
            lstrcpynA(item.pszText, display.c_str(), item.cchTextMax);
        }
        if (item.mask & LVIF_IMAGE) item.iImage = imageOf(item.iItem);
        return TRUE;
    }
    case LVN_GETDISPINFOW: {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
        const SongRecord* entry = view.entryAt(item.iItem);
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            display = entry ? view.columnText(*entry, item.iSubItem, item.iItem + 1) : std::string();
            item.pszText[0] = 0;
            const int got =
                MultiByteToWideChar(CP_ACP, 0, display.c_str(), -1, item.pszText, item.cchTextMax);
            if (got == 0) item.pszText[item.cchTextMax - 1] = 0;
        }
        if (item.mask & LVIF_IMAGE) item.iImage = imageOf(item.iItem);
        return TRUE;
    }
    case LVN_COLUMNCLICK: {
        const NMLISTVIEW& click = *reinterpret_cast<const NMLISTVIEW*>(lParam);
        view.sortByClick(click.iSubItem, &settings);
        sortMarked = true;
        updateSortMark();
        applyViewSelection();
        refreshList();
        return TRUE;
    }
    case LVN_ITEMCHANGED: {
        const NMLISTVIEW& change = *reinterpret_cast<const NMLISTVIEW*>(lParam);
        // A change of every item (-1) need not say what changed.
        if (change.iItem < 0 || (change.uChanged & LVIF_STATE)) {
            selectionChanged(change.iItem, change.iItem, change.uOldState, change.uNewState);
        }
        return TRUE;
    }
    case LVN_ODSTATECHANGED: {
        const NMLVODSTATECHANGE& change = *reinterpret_cast<const NMLVODSTATECHANGE*>(lParam);
        selectionChanged(change.iFrom, change.iTo, change.uOldState, change.uNewState);
        return TRUE;
    }
    case NM_CUSTOMDRAW: return setResult(customDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
    case NM_DBLCLK:
    case NM_RETURN: doubleClick(); return TRUE;
    default: return FALSE;
    }
}

void PlaylistWindow::Impl::refreshList() {
    playingIndex = playingEntry ? view.rowOf(playingEntry) : -1;
    SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(view.rowCount()), LVSICF_NOSCROLL);
    InvalidateRect(list, nullptr, TRUE);
}

void PlaylistWindow::Impl::setStatusPart(int part, const std::string& text) {
    if (status)
        SendMessageA(status, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
}

void PlaylistWindow::Impl::rewriteStatus(bool keepSelection) {
    if (!status) return;
    int edges[kStatusPartCount];
    std::copy(std::begin(kStatusPartEdges), std::end(kStatusPartEdges), edges);
    SendMessageA(status, SB_SETPARTS, kStatusPartCount, reinterpret_cast<LPARAM>(edges));
    for (int part = 0; part < kStatusSelected; ++part) setStatusPart(part, view.statusText(part));
    if (keepSelection && view.selectedCount() > 0) {
        setStatusPart(kStatusSelected, view.statusText(kStatusSelected));
    } else {
        setStatusPart(kStatusSelected, std::string());
    }
}

void PlaylistWindow::Impl::showSelectedLength() {
    setStatusPart(kStatusSelected, view.statusText(kStatusSelected));
}

void PlaylistWindow::Impl::applyViewSelection() {
    const bool wasEnabled = statusEnabled;
    statusEnabled = false;
    LVITEMA clear{};
    clear.stateMask = LVIS_SELECTED;
    LVITEMA set{};
    set.stateMask = LVIS_SELECTED;
    set.state = LVIS_SELECTED;
    const int selected = view.selectedCount();
    if (selected > 0 && selected == view.rowCount()) {
        // Every row: one message instead of one per row.
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&set));
    } else {
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
        const std::vector<ViewRow>& rows = view.rows();
        for (size_t row = 0; row < rows.size() && selected > 0; ++row) {
            if (rows[row].selected) SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&set));
        }
    }
    statusEnabled = wasEnabled;
}

void PlaylistWindow::Impl::selectionChanged(int from, int to, UINT oldState, UINT newState) {
    if (!statusEnabled) return;
    const bool wasSelected = (oldState & LVIS_SELECTED) != 0;
    const bool isSelected = (newState & LVIS_SELECTED) != 0;
    if (wasSelected == isSelected) return;
    if (from < 0) {
        view.selectAll(isSelected);
    } else {
        to = std::min(to, view.rowCount() - 1);
        for (int row = from; row <= to; ++row) {
            if (view.entryAt(row)) view.setSelected(row, isSelected);
        }
    }
    showSelectedLength();
}

void PlaylistWindow::Impl::selectFirstRow() {
    if (view.rowCount() == 0) return;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
}

void PlaylistWindow::Impl::deselect() {
    const bool wasEnabled = statusEnabled;
    statusEnabled = false;
    view.selectAll(false);
    applyViewSelection();
    view.recomputeSelectedLength();
    statusEnabled = wasEnabled;
    setStatusPart(kStatusSelected, std::string());
}

void PlaylistWindow::Impl::markPlaying(int row) {
    previousPlayingIndex = playingIndex;
    playingIndex = row;
    playingEntry = view.entryAt(row);
    for (int redraw : {previousPlayingIndex, playingIndex}) {
        if (redraw >= 0) SendMessageA(list, LVM_REDRAWITEMS, static_cast<WPARAM>(redraw), redraw);
    }
    UpdateWindow(list);
}

std::vector<std::string> PlaylistWindow::Impl::pathsOf(const std::vector<SongRecord*>& entries) const {
    std::vector<std::string> paths;
    paths.reserve(entries.size());
    for (const SongRecord* entry : entries) {
        if (entry) paths.push_back(entry->GetFileName());
    }
    return paths;
}

void PlaylistWindow::Impl::playEntries(const std::vector<SongRecord*>& entries, int firstRow) {
    if (entries.empty()) return;
    bridge.PlayFiles(pathsOf(entries), [this, firstRow] { markPlaying(firstRow); });
}

void PlaylistWindow::Impl::doubleClick() {
    switch (settings.doubleClickAction) {
    case 0: runCommand(IDM_PLAY); break;
    case 1: runCommand(IDM_ENQUEUE); break;
    case 2: runCommand(IDM_EDIT_TAG); break;
    default: break;
    }
}

void PlaylistWindow::Impl::afterListChange() {
    filter.recountGenres();
    refreshExplorerPane();
    refreshList();
    rewriteStatus(false);
}

void PlaylistWindow::Impl::afterListReplaced() {
    duplicates.viewRebuilt();
    playingEntry = nullptr;
    previousPlayingIndex = -1;
    afterListChange();
}

LRESULT CALLBACK PlaylistWindow::Impl::ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Impl* self = reinterpret_cast<Impl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || !self->listProc) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_ERASEBKGND) {
        RECT rc{};
        GetClientRect(hwnd, &rc);
        const Brush brush(CreateSolidBrush(self->colors.background));
        FillRect(reinterpret_cast<HDC>(wParam), &rc, brush.get());
        return 1;
    }
    return CallWindowProcA(self->listProc, hwnd, message, wParam, lParam);
}

}  // namespace td
