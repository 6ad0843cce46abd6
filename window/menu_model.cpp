#include "window/menu_model.h"

#include "settings/lang_table.h"

namespace td {

namespace {

constexpr MenuId kNone = MenuId::None;

// Template texts are the built-in English labels with the "|" already turned
// into a tab; menus.rc holds the same texts.
const MenuEntry kBarEntries[] = {
    {0, 0, 141, "&File", MenuId::File},
    {1, 0, 347, "&Playlist", MenuId::Playlist},
    {2, 0, 348, "&Select", MenuId::Select},
    {3, 0, 156, "&Option", MenuId::Option},
    {4, 0, 168, "&ID3Tag", MenuId::Id3Tag},
    {5, 0, 0, "?", MenuId::Help},
};

const MenuEntry kFileEntries[] = {
    {0, 40041, 142, "&New\tCtrl+N", kNone},
    {1, 40034, 143, "&Open...\tCtrl+O", kNone},
    {3, 40130, 146, "Reload from WinAmp\tF5", kNone},
    {5, 40040, 144, "&Save...\tCtrl+S", kNone},
    {6, 40035, 145, "S&ave As...", kNone},
    {8, 0, 147, "Add", MenuId::Add},
    {9, 40129, 150, "Insert KQ3 File...", kNone},
    {11, 40036, 151, "&Import", kNone},
    {12, 40037, 152, "&Export", kNone},
    {14, 40081, 153, "Playlist information...\tCtrl+I", kNone},
    {15, 40137, 154, "Volume information", kNone},
    {17, 40074, 155, "&Quit\tCtrl+Q", kNone},
};

const MenuEntry kAddEntries[] = {
    {0, 40038, 148, "Add files...\tCtrl+Insert", kNone},
    {1, 40039, 149, "Add directory\tCtrl+Shift+Insert", kNone},
};

const MenuEntry kPlaylistEntries[] = {
    {0, 40005, 199, "Play\tEnter", kNone},
    {1, 40007, 200, "Play all", kNone},
    {2, 40006, 202, "Enqueue to Winamp playlist", kNone},
    {3, 40008, 203, "Enqueue all to Winamp playlist", kNone},
    {4, 40009, 204, "Clear current Winamp playlist", kNone},
    {5, 40010, 205, "Show/Hide Winamp playlist", kNone},
};

const MenuEntry kSelectEntries[] = {
    {0, 40011, 206, "Select All\tCtrl+A", kNone},
    {1, 40012, 207, "Select none", kNone},
    {2, 40013, 208, "Select toggle\tCtrl+T", kNone},
    {3, 0, 209, "Select with same", MenuId::SelectWithSame},
    {5, 40033, 210, "Select all dead files", kNone},
    {6, 40027, 211, "Crop\tCtrl+Del", kNone},
    {7, 40028, 212, "Remove file(s) from playlist\tDel", kNone},
    {8, 40126, 213, "Delete Physically selected file(s)", kNone},
    {10, 40029, 214, "Find duplicates", kNone},
    {11, 40107, 215, "Property\tAlt+Enter", kNone},
    {13, 0, 372, "Rating items", MenuId::Rating},
    {14, 40183, 373, "Store rating into ID3V2...", kNone},
    {16, 40178, 349, "Copy To...", kNone},
    {17, 40179, 350, "Move To...", kNone},
};

// Command 40014 + i selects by field i; the labels are the column names.
const MenuEntry kSelectWithSameEntries[] = {
    {0, 40014, 87, "Artist", kNone},     {1, 40015, 88, "Title", kNone},
    {2, 40016, 92, "Genre", kNone},      {3, 40017, 90, "Year", kNone},
    {4, 40018, 89, "Album", kNone},      {5, 40019, 91, "Comment", kNone},
    {6, 40020, 94, "Mode", kNone},       {7, 40021, 95, "Bitrate", kNone},
    {8, 40022, 96, "Freq.", kNone},      {9, 40023, 97, "Layer", kNone},
    {10, 40024, 98, "Time", kNone},      {11, 40025, 99, "Size", kNone},
    {12, 40026, 100, "File name", kNone},
};

const MenuEntry kRatingEntries[] = {
    {0, 40184, 0, "No rating", kNone}, {1, 40185, 0, "*", kNone},
    {2, 40186, 0, "**", kNone},        {3, 40187, 0, "***", kNone},
    {4, 40188, 0, "****", kNone},      {5, 40189, 0, "*****", kNone},
};

const MenuEntry kOptionEntries[] = {
    {0, 40083, 157, "&Columns...\tCtrl+L", kNone},
    {2, 40180, 353, "Theme Color...\tAtl+S", kNone},
    {3, 40066, 158, "&Option...\tCtrl+M", kNone},
    {4, 40067, 159, "Configure...\tCtrl+P", kNone},
    {5, 40097, 160, "HTML CSS class editor...\tCtrl+H", kNone},
    {6, 40099, 161, "Reset to default...", kNone},
    {8, 40100, 163, "Media Wizard\tCtrl+Y", kNone},
    {10, 0, 164, "&View", MenuId::View},
    {11, 0, 341, "Explorer", MenuId::Explorer},
    {13, 0, 167, "Language", MenuId::Language},
};

const MenuEntry kViewEntries[] = {
    {0, 40087, 0, "ID3v&1\tAlt+1", kNone},
    {1, 40088, 0, "ID3v&2\tAlt+2", kNone},
    {2, 40089, 0, "ID3v2 / ID3v1\tAlt+3", kNone},
    {3, 40090, 0, "ID3v1 / ID3v2\tAlt+4", kNone},
};

const MenuEntry kExplorerEntries[] = {
    {0, 40127, 165, "Explorer\tF6", kNone},
    {1, 40139, 166, "Option explorer...", kNone},
    {2, 40149, 342, "Refresh explorer", kNone},
};

// The template's one entry; emptied and refilled from the language list.
const MenuEntry kLanguageEntries[] = {
    {0, kLanguageCommandBase, 0, "English(Default)", kNone},
};

const MenuEntry kId3TagEntries[] = {
    {0, 40068, 169, "Edit ID3...\tCtrl+E", kNone},
    {1, 40069, 170, "Mass set ID3...", kNone},
    {2, 40070, 171, "Rename file from ID3...", kNone},
    {3, 40071, 172, "Write ID3 from file...", kNone},
    {4, 40072, 173, "Conversion / Remove ID3...", kNone},
    {5, 40073, 174, "Organize MP3 file...", kNone},
};

const MenuEntry kHelpEntries[] = {
    {0, 40004, 175, "&About\tF1", kNone},
};

const MenuEntry kSearchFieldsEntries[] = {
    {0, 40042, 176, "Artist\tCtrl+1", kNone},
    {1, 40043, 177, "Title\tCtrl+2", kNone},
    {2, 40044, 178, "Album\tCtrl+3", kNone},
    {3, 40045, 179, "Comment\tCtrl+4", kNone},
    {4, 40046, 180, "File name\tCtrl+5", kNone},
    {5, 40047, 181, "Year\tCtrl+6", kNone},
    {7, 40109, 182, "Search all", kNone},
    {8, 40110, 183, "Search none", kNone},
    {10, 40048, 184, "Match case mode", kNone},
};

const MenuEntry kFileButtonEntries[] = {
    {0, 40041, 142, "&New\tCtrl+N", kNone},
    {1, 40034, 143, "&Open...\tCtrl+O", kNone},
    {3, 40040, 144, "&Save...\tCtrl+S", kNone},
    {4, 40035, 145, "S&ave As...", kNone},
    {6, 40036, 151, "&Import", kNone},
    {7, 40037, 152, "&Export", kNone},
};

const MenuEntry kListContextEntries[] = {
    {0, 40005, 199, "Play\tEnter", kNone},
    {1, 40007, 200, "Play all", kNone},
    {3, 40086, 201, "Edit ID3Tag\tCtrl+E", kNone},
    {5, 40006, 202, "Enqueue to Winamp playlist", kNone},
    {6, 40008, 203, "Enqueue all to Winamp playlist", kNone},
    {7, 40009, 204, "Clear current Winamp playlist", kNone},
    {8, 40010, 205, "Show/Hide Winamp playlist", kNone},
    {10, 40011, 206, "Select All\tCtrl+A", kNone},
    {11, 40012, 207, "Select none", kNone},
    {12, 40013, 208, "Select toggle\tCtrl+T", kNone},
    {13, 0, 209, "Select with same", MenuId::SelectWithSame},
    {15, 40033, 210, "Select all dead files", kNone},
    {16, 40027, 211, "Crop\tCtrl+Del", kNone},
    {17, 40028, 212, "Remove file(s) from playlist\tDel", kNone},
    {18, 40126, 213, "Delete Physically selected file(s)", kNone},
    {20, 0, 372, "Rating items", MenuId::Rating},
    {21, 40183, 373, "Store rating into ID3V2...", kNone},
    {23, 40029, 214, "Find duplicates", kNone},
    {24, 40107, 215, "Property\tAlt+Enter", kNone},
};

template <size_t N>
constexpr MenuLayout Layout(MenuId id, int itemCount, const MenuEntry (&entries)[N]) {
    return MenuLayout{id, itemCount, entries, N};
}

const MenuLayout kLayouts[] = {
    MenuLayout{MenuId::None, 0, nullptr, 0},
    Layout(MenuId::Bar, 6, kBarEntries),
    Layout(MenuId::File, 18, kFileEntries),
    Layout(MenuId::Add, 2, kAddEntries),
    Layout(MenuId::Playlist, 6, kPlaylistEntries),
    Layout(MenuId::Select, 18, kSelectEntries),
    Layout(MenuId::SelectWithSame, 13, kSelectWithSameEntries),
    Layout(MenuId::Rating, 6, kRatingEntries),
    Layout(MenuId::Option, 14, kOptionEntries),
    Layout(MenuId::View, 4, kViewEntries),
    Layout(MenuId::Explorer, 3, kExplorerEntries),
    Layout(MenuId::Language, 1, kLanguageEntries),
    Layout(MenuId::Id3Tag, 6, kId3TagEntries),
    Layout(MenuId::Help, 1, kHelpEntries),
    Layout(MenuId::SearchFields, 11, kSearchFieldsEntries),
    Layout(MenuId::FileButton, 8, kFileButtonEntries),
    Layout(MenuId::ListContext, 25, kListContextEntries),
};

// Table 132 in the order of its rows, each with the menu command it stands
// for (0: none).
struct AcceleratorRow {
    Accelerator accel;
    int menuCommand;
};

const AcceleratorRow kAcceleratorRows[] = {
    {{'1', kModCtrl, 40058}, 40042},
    {{'1', kModAlt, 40091}, 40087},
    {{'2', kModCtrl, 40059}, 40043},
    {{'2', kModAlt, 40092}, 40088},
    {{'3', kModCtrl, 40060}, 40044},
    {{'3', kModAlt, 40093}, 40089},
    {{'4', kModCtrl, 40061}, 40045},
    {{'4', kModAlt, 40094}, 40090},
    {{'5', kModCtrl, 40062}, 40046},
    {{'6', kModCtrl, 40063}, 40047},
    {{'A', kModCtrl, 40053}, 40011},
    {{'E', kModCtrl, 40084}, 40068},
    {{'H', kModCtrl, 40098}, 40097},
    {{'I', kModCtrl, 40082}, 40081},
    {{'I', kModCtrl | kModShift, 40138}, 40137},
    {{'L', kModCtrl, 40085}, 40083},
    {{'M', kModCtrl, 40078}, 40066},
    {{'N', kModCtrl, 40049}, 40041},
    {{'O', kModCtrl, 40050}, 40034},
    {{'P', kModCtrl, 40077}, 40067},
    {{'Q', kModCtrl, 40079}, 40074},
    {{'S', kModCtrl, 40051}, 40040},
    {{'S', kModAlt, 40181}, 40180},
    {{'T', kModCtrl, 40065}, 40013},
    {{kKeyDelete, 0, 40054}, 40028},
    {{kKeyDelete, kModCtrl, 40064}, 40027},
    {{kKeyF1, 0, 40080}, 40004},
    {{kKeyF3, 0, 40055}, 0},
    {{kKeyF5, 0, 40131}, 40130},
    {{kKeyF6, 0, 40128}, 40127},
    {{kKeyInsert, kModCtrl, 40056}, 40038},
    {{kKeyInsert, kModCtrl | kModShift, 40057}, 40039},
    {{kKeyReturn, 0, 40052}, 40005},
    {{kKeyReturn, kModAlt, 40108}, 40107},
    {{'Y', kModCtrl, 40101}, 40100},
};

constexpr int kSearchTextLabel = 322;  // "Search:"

// A label as plain words: up to its shortcut, mnemonic marks taken out.
std::string PlainLabel(const std::string& label) {
    std::string plain;
    for (size_t i = 0; i < label.size(); ++i) {
        char c = label[i];
        if (c == '|' || c == '\t') break;
        if (c == '&') {  // "&&" is a plain "&"
            if (i + 1 < label.size() && label[i + 1] == '&') {
                plain += '&';
                ++i;
            }
            continue;
        }
        plain += c;
    }
    return plain;
}

const MenuEntry* FindCommand(MenuId id, int command) {
    for (const MenuEntry& entry : menuLayout(id)) {
        if (entry.command == command && command != 0) return &entry;
        if (entry.submenu != MenuId::None) {
            if (const MenuEntry* found = FindCommand(entry.submenu, command)) return found;
        }
    }
    return nullptr;
}

}  // namespace

const MenuEntry* MenuLayout::at(int position) const {
    for (const MenuEntry& entry : *this) {
        if (entry.position == position) return &entry;
    }
    return nullptr;
}

const MenuLayout& menuLayout(MenuId id) {
    const size_t index = static_cast<size_t>(id);
    if (index >= sizeof kLayouts / sizeof kLayouts[0]) return kLayouts[0];
    return kLayouts[index];
}

std::string menuLabel(const std::string& text) {
    std::string label = text;
    for (char& c : label) {
        if (c == '|') c = '\t';
    }
    return label;
}

std::string entryLabel(const MenuEntry& entry) {
    if (entry.textId == 0) return std::string();
    return menuLabel(LangTable::getString(entry.textId));
}

std::vector<LanguageMenuEntry> languageMenuEntries(const LangTable& lang) {
    std::vector<LanguageMenuEntry> entries;
    const int count = lang.languageCount();
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string label;
        for (char c : lang.languageEntryName(i)) {
            label += c;
            if (c == '&') label += '&';
        }
        entries.push_back({kLanguageCommandBase + i, std::move(label)});
    }
    return entries;
}

std::vector<MenuMark> menuMarks(MenuId id, const MenuState& state) {
    std::vector<MenuMark> marks;
    switch (id) {
    case MenuId::Bar:
        for (int i = 0; i < 4; ++i) {
            marks.push_back({40087 + i, MenuMark::Radio, state.viewInfoFrom == i});
        }
        for (int i = 0; i < state.languageCount; ++i) {
            marks.push_back({kLanguageCommandBase + i, MenuMark::Radio, state.currentLanguage == i});
        }
        [[fallthrough]];
    case MenuId::Explorer:
        marks.push_back({40127, MenuMark::Check, state.explorerShown});
        marks.push_back({40149, MenuMark::Enable, state.explorerShown});
        break;
    case MenuId::SearchFields:
        for (int i = 0; i < 7; ++i) {
            marks.push_back({40042 + i, MenuMark::Check, (state.searchFields >> i & 1u) != 0});
        }
        break;
    case MenuId::ListContext:
        marks.push_back({40029, MenuMark::Check, state.duplicatesMode});
        break;
    default:
        break;
    }
    return marks;
}

const std::vector<Accelerator>& windowAccelerators() {
    static const std::vector<Accelerator> table = [] {
        std::vector<Accelerator> rows;
        for (const AcceleratorRow& row : kAcceleratorRows) rows.push_back(row.accel);
        return rows;
    }();
    return table;
}

int acceleratorCommand(uint16_t key, uint8_t modifiers) {
    for (const AcceleratorRow& row : kAcceleratorRows) {
        if (row.accel.key == key && row.accel.modifiers == modifiers) return row.accel.command;
    }
    return 0;
}

int menuCommandForShortcut(int shortcutCommand) {
    for (const AcceleratorRow& row : kAcceleratorRows) {
        if (row.accel.command == shortcutCommand) return row.menuCommand;
    }
    return 0;
}

std::string shortcutName(uint16_t key, uint8_t modifiers) {
    std::string name;
    if (modifiers & kModCtrl) name += "Ctrl+";
    if (modifiers & kModShift) name += "Shift+";
    if (modifiers & kModAlt) name += "Alt+";
    if (key == kKeyReturn) {
        name += "Enter";
    } else if (key == kKeyInsert) {
        name += "Insert";
    } else if (key == kKeyDelete) {
        name += "Del";
    } else if (key >= kKeyF1 && key < kKeyF1 + 24) {
        name += "F" + std::to_string(key - kKeyF1 + 1);
    } else if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        name += static_cast<char>(key);
    } else {
        name += "#" + std::to_string(key);
    }
    return name;
}

std::string shortcutHelpText() {
    static const MenuId kSources[] = {MenuId::Bar, MenuId::SearchFields};
    std::string text;
    for (const AcceleratorRow& row : kAcceleratorRows) {
        std::string what;
        if (row.menuCommand == 0) {
            what = PlainLabel(LangTable::getString(kSearchTextLabel));
            while (!what.empty() && (what.back() == ':' || what.back() == ' ')) what.pop_back();
        } else {
            for (MenuId source : kSources) {
                const MenuEntry* entry = FindCommand(source, row.menuCommand);
                if (!entry) continue;
                std::string label = entryLabel(*entry);
                what = PlainLabel(label.empty() ? std::string(entry->templateText) : label);
                break;
            }
        }
        text += shortcutName(row.accel.key, row.accel.modifiers);
        text += '\t';
        text += what;
        text += "\r\n";
    }
    return text;
}

}  // namespace td
