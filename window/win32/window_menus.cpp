#include "window/win32/window_menus.h"

#include <string>

#include "settings/lang_table.h"
#include "window/window_resource.h"

namespace td {

namespace {

int PopupSubmenu(WindowMenu menu) {
    switch (menu) {
    case WindowMenu::SearchFields: return kSearchFieldsSubmenu;
    case WindowMenu::FileButton: return kFileButtonSubmenu;
    case WindowMenu::AddButton: return kAddButtonSubmenu;
    case WindowMenu::ListContext: return kListContextSubmenu;
    case WindowMenu::Explorer: return kExplorerSubmenu;
    case WindowMenu::Bar: break;
    }
    return -1;
}

void SetItemText(HMENU menu, int position, const std::string& text) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(text.c_str());
    SetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
}

// Labels `menu` by position from `layout`, and its submenus from theirs. A
// template shorter than its layout is labelled as far as it goes.
void Relabel(HMENU menu, const MenuLayout& layout) {
    if (!menu || layout.id == MenuId::Language) return;
    const int count = GetMenuItemCount(menu);
    for (const MenuEntry& entry : layout) {
        if (entry.position >= count) continue;
        const std::string label = entryLabel(entry);
        if (!label.empty()) SetItemText(menu, entry.position, label);
        if (entry.submenu != MenuId::None) {
            Relabel(GetSubMenu(menu, entry.position), menuLayout(entry.submenu));
        }
    }
}

// The Language submenu of the bar, found through the layouts.
HMENU FindSubmenu(HMENU menu, MenuId from, MenuId wanted) {
    if (!menu) return nullptr;
    const int count = GetMenuItemCount(menu);
    for (const MenuEntry& entry : menuLayout(from)) {
        if (entry.submenu == MenuId::None || entry.position >= count) continue;
        HMENU sub = GetSubMenu(menu, entry.position);
        if (entry.submenu == wanted) return sub;
        if (HMENU found = FindSubmenu(sub, entry.submenu, wanted)) return found;
    }
    return nullptr;
}

void ApplyMark(HMENU menu, const MenuMark& mark) {
    const UINT id = static_cast<UINT>(mark.command);
    switch (mark.kind) {
    case MenuMark::Check:
        CheckMenuItem(menu, id, MF_BYCOMMAND | (mark.on ? MF_CHECKED : MF_UNCHECKED));
        break;
    case MenuMark::Enable: EnableMenuItem(menu, id, MF_BYCOMMAND | (mark.on ? MF_ENABLED : MF_GRAYED)); break;
    case MenuMark::Radio: {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE;
        if (!GetMenuItemInfoA(menu, id, FALSE, &info)) break;
        info.fType |= MFT_RADIOCHECK;
        info.fState = mark.on ? (info.fState | MFS_CHECKED) : (info.fState & ~MFS_CHECKED);
        SetMenuItemInfoA(menu, id, FALSE, &info);
        break;
    }
    }
}

}  // namespace

MenuId windowMenuLayout(WindowMenu menu) {
    switch (menu) {
    case WindowMenu::Bar: return MenuId::Bar;
    case WindowMenu::SearchFields: return MenuId::SearchFields;
    case WindowMenu::FileButton: return MenuId::FileButton;
    case WindowMenu::AddButton: return MenuId::Add;
    case WindowMenu::ListContext: return MenuId::ListContext;
    case WindowMenu::Explorer: return MenuId::Explorer;
    }
    return MenuId::None;
}

HMENU CreateWindowMenu(HINSTANCE module, WindowMenu menu, const LangTable* lang) {
    if (menu == WindowMenu::Bar) {
        HMENU bar = LoadMenuW(module, MAKEINTRESOURCEW(IDR_MENU_BAR));
        if (!bar) return nullptr;
        if (lang)
            RelabelMenuBar(bar, *lang);
        else
            RelabelWindowMenu(bar, WindowMenu::Bar);
        return bar;
    }
    HMENU all = LoadMenuW(module, MAKEINTRESOURCEW(IDR_POPUP_MENUS));
    if (!all) return nullptr;
    const int index = PopupSubmenu(menu);
    HMENU popup = GetSubMenu(all, index);
    // Detach the submenu so that destroying the template leaves it alone.
    if (popup && !RemoveMenu(all, static_cast<UINT>(index), MF_BYPOSITION)) popup = nullptr;
    DestroyMenu(all);
    if (popup) RelabelWindowMenu(popup, menu);
    return popup;
}

void RelabelWindowMenu(HMENU menu, WindowMenu which) { Relabel(menu, menuLayout(windowMenuLayout(which))); }

void RelabelMenuBar(HMENU bar, const LangTable& lang) {
    RelabelWindowMenu(bar, WindowMenu::Bar);
    FillLanguageMenu(bar, lang);
}

void FillLanguageMenu(HMENU bar, const LangTable& lang) {
    HMENU languages = FindSubmenu(bar, MenuId::Bar, MenuId::Language);
    if (!languages) return;
    for (int i = GetMenuItemCount(languages); i > 0; --i) {
        DeleteMenu(languages, static_cast<UINT>(i - 1), MF_BYPOSITION);
    }
    for (const LanguageMenuEntry& entry : languageMenuEntries(lang)) {
        AppendMenuA(languages, MF_STRING, static_cast<UINT_PTR>(entry.command), entry.label.c_str());
    }
}

void UpdateWindowMenuChecks(HMENU menu, WindowMenu which, const MenuState& state) {
    if (!menu) return;
    for (const MenuMark& mark : menuMarks(windowMenuLayout(which), state)) ApplyMark(menu, mark);
}

void GreyAbsentCommands(HMENU menu, CommandAvailable available) {
    if (!menu || !available) return;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        if (HMENU sub = GetSubMenu(menu, position)) {
            GreyAbsentCommands(sub, available);
            continue;
        }
        const UINT id = GetMenuItemID(menu, position);
        if (id == 0 || id == static_cast<UINT>(-1)) continue;  // a separator
        if (!available(static_cast<int>(id))) {
            EnableMenuItem(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_GRAYED);
        }
    }
}

bool TrackWindowMenu(HINSTANCE module, HWND owner, WindowMenu menu, POINT screen, const MenuState& state,
                     CommandAvailable available) {
    if (menu == WindowMenu::Bar) return false;
    HMENU popup = CreateWindowMenu(module, menu);
    if (!popup) return false;
    UpdateWindowMenuChecks(popup, menu, state);
    GreyAbsentCommands(popup, available);
    const BOOL shown = TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x,
                                      screen.y, 0, owner, nullptr);
    DestroyMenu(popup);
    return shown != FALSE;
}

HACCEL LoadWindowAccelerators(HINSTANCE module) {
    return LoadAcceleratorsW(module, MAKEINTRESOURCEW(IDR_ACCELERATORS));
}

}  // namespace td
