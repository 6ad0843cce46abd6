// The playlist window's menus as data: which entry sits at which position of
// each menu, with its command and the number of its label in the language
// table; the check marks each menu shows for a given state; and the keyboard
// shortcuts of accelerator table 132.
//
// Menus come from two resource templates: 133 is the menu bar, 101 holds the
// menus opened for a moment (the three menu buttons, the list's context menu
// and the explorer's context menu), one per submenu. Labels are set by
// position, never by command, and a position that no entry names is a
// separator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace td {

class LangTable;

// The templates and the accelerator table are IDR_POPUP_MENUS,
// IDR_MENU_BAR and IDR_ACCELERATORS of window/window_resource.h.

// Every menu or submenu whose entries are labelled. A submenu that appears
// in two places with the same entries ("Add", "Select with same", "Rating
// items", "Explorer") has one id.
enum class MenuId {
    None,  // "no submenu here"
    Bar,   // template 133 itself
    File,
    Add,  // "Add" in File, and the "Add" button's menu (101, submenu 3)
    Playlist,
    Select,
    SelectWithSame,  // the 13 columns, in Select and in the list's context menu
    Rating,          // "Rating items", in Select and in the list's context menu
    Option,
    View,      // template texts only
    Explorer,  // in Option, and the explorer's context menu (101, submenu 2)
    Language,  // filled from the language list, see languageMenuEntries
    Id3Tag,
    Help,          // "?"
    SearchFields,  // the search-field button's menu (101, submenu 4)
    FileButton,    // the "File..." button's menu (101, submenu 0)
    ListContext,   // the list's context menu (101, submenu 1)
};

// Submenus of template 101.
constexpr int kFileButtonSubmenu = 0;
constexpr int kListContextSubmenu = 1;
constexpr int kExplorerSubmenu = 2;
constexpr int kAddButtonSubmenu = 3;
constexpr int kSearchFieldsSubmenu = 4;

struct MenuEntry {
    int position;              // within its menu
    int command;               // 0 for a submenu
    int textId;                // language-table number; 0: the template's text stays
    const char* templateText;  // the resource's text, a tab before the shortcut
    MenuId submenu;            // MenuId::None for a command
};

struct MenuLayout {
    MenuId id;
    int itemCount;  // entries and separators of the template
    const MenuEntry* entries;
    size_t entryCount;

    const MenuEntry* begin() const { return entries; }
    const MenuEntry* end() const { return entries + entryCount; }
    // The entry at `position`, or null for a separator.
    const MenuEntry* at(int position) const;
};

const MenuLayout& menuLayout(MenuId id);

// A language-table text as a menu label: every "|" becomes a tab.
std::string menuLabel(const std::string& text);

// The label an entry gets now from the language table, or "" when its
// template text stays (no text number, or an empty text).
std::string entryLabel(const MenuEntry& entry);

// The Language submenu: one entry per language of the table, in its order,
// command 10000 + index, the language's name as label ("&" doubled so that
// a name shows as it is).
struct LanguageMenuEntry {
    int command;
    std::string label;
};
std::vector<LanguageMenuEntry> languageMenuEntries(const LangTable& lang);

// What the check marks depend on.
struct MenuState {
    int viewInfoFrom = 0;     // settings; 0..3
    int currentLanguage = 0;  // LangTable::currentIndex
    int languageCount = 1;    // LangTable::languageCount
    bool explorerShown = false;
    uint32_t searchFields = 0;  // settings; bits 0-5 fields, bit 6 match case
    bool duplicatesMode = false;
};

struct MenuMark {
    enum Kind { Check, Radio, Enable };
    int command;
    Kind kind;  // Radio: checked with the round mark, one of a group
    bool on;    // checked, or enabled
};

// The marks of a menu and of its submenus for `state`. Empty for a menu
// without marks.
std::vector<MenuMark> menuMarks(MenuId id, const MenuState& state);

// Keyboard shortcuts. Keys are Windows virtual-key codes (letters and digits
// are their upper-case characters).
enum : uint16_t {
    kKeyReturn = 0x0D,
    kKeyInsert = 0x2D,
    kKeyDelete = 0x2E,
    kKeyF1 = 0x70,
    kKeyF3 = 0x72,
    kKeyF5 = 0x74,
    kKeyF6 = 0x75,
};
enum : uint8_t {
    kModShift = 1,
    kModCtrl = 2,
    kModAlt = 4,
};

struct Accelerator {
    uint16_t key;
    uint8_t modifiers;
    int command;
};

// The rows of accelerator table 132.
const std::vector<Accelerator>& windowAccelerators();

// "Ctrl+Shift+Insert", "Alt+Enter", "F5": the way menu labels write keys.
std::string shortcutName(uint16_t key, uint8_t modifiers);

// One line per shortcut, "keys<TAB>what it does", in the table's order, the
// description being the label of the menu entry it stands for (current
// language, without "&" and shortcut). For the About box.
std::string shortcutHelpText();

}  // namespace td
