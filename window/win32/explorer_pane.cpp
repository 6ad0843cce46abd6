// The explorer: the tree beside the list that groups the entries, and the
// filter its selection sets.
#include "settings/settings.h"
#include "window/caption.h"
#include "window/win32/playlist_window_impl.h"

namespace td {

namespace {

// The tree's images (IDB_TREE_IMAGES): 0 root, 1 artist, 2 album, 3 other folders.
int treeImageOf(const ExplorerNode& node) {
    if (node.kind == ExplorerNodeKind::Root) return 0;
    if (node.category == kCategoryArtist) return 1;
    if (node.category == kCategoryAlbum) return 2;
    return 3;
}

}  // namespace

void PlaylistWindow::Impl::showExplorer() {
    if (!treeImages) treeImages = LoadMaskedImageList(module, IDB_TREE_IMAGES, 16);
    if (treeImages)
        SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(treeImages.get()));
    explorerShown = true;
    settings.explorerShown = 1;
    refreshExplorerPane();
    ShowWindow(tree, SW_SHOW);
    ShowWindow(splitter, SW_SHOW);
    layoutControls();
}

void PlaylistWindow::Impl::hideExplorer() {
    fillingTree = true;
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    fillingTree = false;
    SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    treeImages.reset();
    ShowWindow(tree, SW_HIDE);
    ShowWindow(splitter, SW_HIDE);
    explorerShown = false;
    settings.explorerShown = 0;
    layoutControls();
    InvalidateRect(hwnd, nullptr, TRUE);
}

void PlaylistWindow::Impl::refreshExplorerPane() {
    if (!explorerShown) return;
    const bool changed = refreshExplorer(filter, playlist, settings.explorerFields, explorer);
    fillTree();
    if (changed) refilter();
}

void PlaylistWindow::Impl::fillTree() {
    fillingTree = true;
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    std::vector<HTREEITEM> items(explorer.nodes.size(), nullptr);
    HTREEITEM selected = nullptr;
    // Parents come before their children in the node list.
    for (size_t i = 0; i < explorer.nodes.size(); ++i) {
        const ExplorerNode& node = explorer.nodes[i];
        std::string label = node.label;
        TVINSERTSTRUCTA insert{};
        insert.hParent = node.parent >= 0 && static_cast<size_t>(node.parent) < items.size()
                             ? items[static_cast<size_t>(node.parent)]
                             : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = &label[0];
        insert.item.lParam = static_cast<LPARAM>(i);
        insert.item.iImage = insert.item.iSelectedImage = treeImageOf(node);
        items[i] = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (static_cast<int>(i) == explorer.selected) selected = items[i];
    }
    for (size_t i = 0; i < explorer.nodes.size(); ++i) {
        if (explorer.nodes[i].expanded && items[i]) {
            SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(items[i]));
        }
    }
    if (selected) SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(selected));
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
    fillingTree = false;
}

void PlaylistWindow::Impl::treeSelectionChanged(LPARAM node) {
    if (fillingTree) return;
    const int index = static_cast<int>(node);
    filterFromSelection(explorer, index, filter.filter(), filter.genres());
    explorer.selected = index;
    refilter();
    updateCaption();
}

void PlaylistWindow::Impl::refilter() {
    filter.refilter(view);
    duplicates.viewRebuilt();
    refreshList();
    rewriteStatus(false);
}

LRESULT PlaylistWindow::Impl::treeCustomDraw(NMTVCUSTOMDRAW& cd) {
    if (settings.themeIndex == 0) return CDRF_DODEFAULT;
    if (cd.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (cd.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const bool focused = (cd.nmcd.uItemState & (CDIS_FOCUS | CDIS_SELECTED)) != 0;
        cd.clrText = focused ? colors.selectedText : colors.text;
        cd.clrTextBk = focused ? colors.selectedBackground : colors.background;
    }
    return CDRF_DODEFAULT;
}

INT_PTR PlaylistWindow::Impl::onTreeNotify(const NMHDR& header, LPARAM lParam) {
    if (header.code == TVN_SELCHANGEDA || header.code == TVN_SELCHANGEDW) {
        const NMTREEVIEWA& change = *reinterpret_cast<const NMTREEVIEWA*>(lParam);
        treeSelectionChanged(change.itemNew.lParam);
        return TRUE;
    }
    if (header.code == NM_CUSTOMDRAW)
        return setResult(treeCustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(lParam)));
    if (header.code == NM_RCLICK) {
        POINT pt{};
        GetCursorPos(&pt);
        TrackWindowMenu(module, hwnd, WindowMenu::Explorer, pt, menuState(), &Impl::hasCommand);
        return setResult(1);
    }
    return FALSE;
}

}  // namespace td
