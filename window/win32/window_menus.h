// The playlist window's menus on Win32: the menu bar (template 133), the
// button and context menus (template 101), their labels from the language
// table, their check marks, and accelerator table 132.
//
// The templates hold the English texts, so an entry whose language-table
// text is empty keeps them. Labels are set by position (window/menu_model.h).
#pragma once

#include <windows.h>

#include "window/menu_model.h"

namespace td {

class LangTable;

enum class WindowMenu {
    Bar,           // template 133
    SearchFields,  // button 1037
    FileButton,    // button 1040 ("File...")
    AddButton,     // button 1041 ("Add")
    ListContext,   // context menu of the list view
    Explorer,      // context menu of the explorer tree
};

// The layout a window menu is labelled from.
MenuId windowMenuLayout(WindowMenu menu);

// Loads the menu from `module` and labels it from the language table. For
// the bar, the Language submenu is filled from `lang` when one is given. A
// popup comes detached from template 101: destroy it with DestroyMenu (the
// bar is destroyed with its window, or by DestroyMenu when not set). Null
// when the template cannot be loaded.
HMENU CreateWindowMenu(HINSTANCE module, WindowMenu menu, const LangTable* lang = nullptr);

// Sets every label of `menu` (loaded as `which`) again from the language
// table, submenus included; the Language submenu is left as it is.
void RelabelWindowMenu(HMENU menu, WindowMenu which);

// Relabels the bar and refills its Language submenu from `lang`.
void RelabelMenuBar(HMENU bar, const LangTable& lang);

// Empties the Language submenu of `bar` and fills it from `lang`.
void FillLanguageMenu(HMENU bar, const LangTable& lang);

// Check marks and enabling for `state`: on the bar the View and Language
// radio groups, "Explorer" and "Refresh explorer"; on the popups their own
// marks. Call when a menu is about to open (WM_INITMENUPOPUP).
void UpdateWindowMenuChecks(HMENU menu, WindowMenu which, const MenuState& state);
inline void UpdateMenuBarChecks(HMENU bar, const MenuState& state) {
    UpdateWindowMenuChecks(bar, WindowMenu::Bar, state);
}

// Greys every command entry of `menu` and its submenus for which
// `available` says false: a command the window does not carry out shows,
// but cannot be chosen.
using CommandAvailable = bool (*)(int command);
void GreyAbsentCommands(HMENU menu, CommandAvailable available);

// Loads, labels and marks a popup menu (not the bar), shows it at `screen`
// (top-left corner; the right mouse button works too) and destroys it. The
// chosen command reaches `owner` as an ordinary WM_COMMAND. With
// `available`, absent commands are greyed. False when the menu could not be
// loaded or shown.
bool TrackWindowMenu(HINSTANCE module, HWND owner, WindowMenu menu, POINT screen, const MenuState& state,
                     CommandAvailable available = nullptr);

// Accelerator table 132 of `module` (freed with the module).
HACCEL LoadWindowAccelerators(HINSTANCE module);

}  // namespace td
