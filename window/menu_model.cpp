#include "window/menu_model.h"

#include "settings/lang_table.h"
#include "window/window_resource.h"

namespace td {

namespace {

constexpr MenuId kNone = MenuId::None;

// Template texts are the built-in English labels with the "|" already turned
// into a tab; menus.rc holds the same texts.
const MenuEntry kBarEntries[] = {
    {0, 0, 141, "&File", MenuId::File},     {1, 0, 347, "&Playlist", MenuId::Playlist},
    {2, 0, 348, "&Select", MenuId::Select}, {3, 0, 156, "&Option", MenuId::Option},
    {4, 0, 168, "&ID3Tag", MenuId::Id3Tag}, {5, 0, 0, "?", MenuId::Help},
};

const MenuEntry kFileEntries[] = {
    {0, IDM_NEW, 142, "&New\tCtrl+N", kNone},
    {1, IDM_OPEN, 143, "&Open...\tCtrl+O", kNone},
    {3, IDM_RELOAD, 146, "Reload from WinAmp\tF5", kNone},
    {5, IDM_SAVE, 144, "&Save...\tCtrl+S", kNone},
    {6, IDM_SAVE_AS, 145, "S&ave As...", kNone},
    {8, 0, 147, "Add", MenuId::Add},
    {9, IDM_INSERT, 150, "Insert KQ3 File...", kNone},
    {11, IDM_IMPORT, 151, "&Import", kNone},
    {12, IDM_EXPORT, 152, "&Export", kNone},
    {14, IDM_PLAYLIST_INFO, 153, "Playlist information...\tCtrl+I", kNone},
    {15, IDM_VOLUME_INFO, 154, "Volume information", kNone},
    {17, IDM_QUIT, 155, "&Quit\tCtrl+Q", kNone},
};

const MenuEntry kAddEntries[] = {
    {0, IDM_ADD_FILES, 148, "Add files...\tCtrl+Insert", kNone},
    {1, IDM_ADD_DIRECTORY, 149, "Add directory\tCtrl+Shift+Insert", kNone},
};

const MenuEntry kPlaylistEntries[] = {
    {0, IDM_PLAY, 199, "Play\tEnter", kNone},
    {1, IDM_PLAY_ALL, 200, "Play all", kNone},
    {2, IDM_ENQUEUE, 202, "Enqueue to Winamp playlist", kNone},
    {3, IDM_ENQUEUE_ALL, 203, "Enqueue all to Winamp playlist", kNone},
    {4, IDM_CLEAR_HOST_PLAYLIST, 204, "Clear current Winamp playlist", kNone},
    {5, IDM_TOGGLE_HOST_PLAYLIST, 205, "Show/Hide Winamp playlist", kNone},
};

const MenuEntry kSelectEntries[] = {
    {0, IDM_SELECT_ALL, 206, "Select All\tCtrl+A", kNone},
    {1, IDM_SELECT_NONE, 207, "Select none", kNone},
    {2, IDM_SELECT_TOGGLE, 208, "Select toggle\tCtrl+T", kNone},
    {3, 0, 209, "Select with same", MenuId::SelectWithSame},
    {5, IDM_SELECT_DEAD, 210, "Select all dead files", kNone},
    {6, IDM_CROP, 211, "Crop\tCtrl+Del", kNone},
    {7, IDM_REMOVE, 212, "Remove file(s) from playlist\tDel", kNone},
    {8, IDM_DELETE_FILES, 213, "Delete Physically selected file(s)", kNone},
    {10, IDM_FIND_DUPLICATES, 214, "Find duplicates", kNone},
    {11, IDM_PROPERTIES, 215, "Property\tAlt+Enter", kNone},
    {13, 0, 372, "Rating items", MenuId::Rating},
    {14, IDM_STORE_RATING, 373, "Store rating into ID3V2...", kNone},
    {16, IDM_COPY_TO, 349, "Copy To...", kNone},
    {17, IDM_MOVE_TO, 350, "Move To...", kNone},
};

// Command IDM_SELECT_SAME_ARTIST + i selects by field i; the labels are the column names.
const MenuEntry kSelectWithSameEntries[] = {
    {0, IDM_SELECT_SAME_ARTIST, 87, "Artist", kNone},
    {1, IDM_SELECT_SAME_TITLE, 88, "Title", kNone},
    {2, IDM_SELECT_SAME_GENRE, 92, "Genre", kNone},
    {3, IDM_SELECT_SAME_YEAR, 90, "Year", kNone},
    {4, IDM_SELECT_SAME_ALBUM, 89, "Album", kNone},
    {5, IDM_SELECT_SAME_COMMENT, 91, "Comment", kNone},
    {6, IDM_SELECT_SAME_MODE, 94, "Mode", kNone},
    {7, IDM_SELECT_SAME_BITRATE, 95, "Bitrate", kNone},
    {8, IDM_SELECT_SAME_FREQUENCY, 96, "Freq.", kNone},
    {9, IDM_SELECT_SAME_LAYER, 97, "Layer", kNone},
    {10, IDM_SELECT_SAME_TIME, 98, "Time", kNone},
    {11, IDM_SELECT_SAME_SIZE, 99, "Size", kNone},
    {12, IDM_SELECT_SAME_FILE_NAME, 100, "File name", kNone},
};

const MenuEntry kRatingEntries[] = {
    {0, IDM_RATING_0, 0, "No rating", kNone}, {1, IDM_RATING_1, 0, "*", kNone},
    {2, IDM_RATING_2, 0, "**", kNone},        {3, IDM_RATING_3, 0, "***", kNone},
    {4, IDM_RATING_4, 0, "****", kNone},      {5, IDM_RATING_5, 0, "*****", kNone},
};

const MenuEntry kOptionEntries[] = {
    {0, IDM_COLUMNS, 157, "&Columns...\tCtrl+L", kNone},
    {2, IDM_THEME_COLORS, 353, "Theme Color...\tAtl+S", kNone},
    {3, IDM_OPTIONS, 158, "&Option...\tCtrl+M", kNone},
    {4, IDM_CONFIGURE, 159, "Configure...\tCtrl+P", kNone},
    {5, IDM_HTML_CLASSES, 160, "HTML CSS class editor...\tCtrl+H", kNone},
    {6, IDM_RESET, 161, "Reset to default...", kNone},
    {8, IDM_MEDIA_WIZARD, 163, "Media Wizard\tCtrl+Y", kNone},
    {10, 0, 164, "&View", MenuId::View},
    {11, 0, 341, "Explorer", MenuId::Explorer},
    {13, 0, 167, "Language", MenuId::Language},
};

const MenuEntry kViewEntries[] = {
    {0, IDM_VIEW_ID3V1, 0, "ID3v&1\tAlt+1", kNone},
    {1, IDM_VIEW_ID3V2, 0, "ID3v&2\tAlt+2", kNone},
    {2, IDM_VIEW_ID3V2_V1, 0, "ID3v2 / ID3v1\tAlt+3", kNone},
    {3, IDM_VIEW_ID3V1_V2, 0, "ID3v1 / ID3v2\tAlt+4", kNone},
};

const MenuEntry kExplorerEntries[] = {
    {0, IDM_EXPLORER, 165, "Explorer\tF6", kNone},
    {1, IDM_EXPLORER_OPTIONS, 166, "Option explorer...", kNone},
    {2, IDM_EXPLORER_REFRESH, 342, "Refresh explorer", kNone},
};

// The template's one entry; emptied and refilled from the language list.
const MenuEntry kLanguageEntries[] = {
    {0, kLanguageCommandBase, 0, "English(Default)", kNone},
};

const MenuEntry kId3TagEntries[] = {
    {0, IDM_EDIT_TAG, 169, "Edit ID3...\tCtrl+E", kNone},
    {1, IDM_MASS_TAG, 170, "Mass set ID3...", kNone},
    {2, IDM_RENAME_FROM_TAG, 171, "Rename file from ID3...", kNone},
    {3, IDM_TAG_FROM_NAME, 172, "Write ID3 from file...", kNone},
    {4, IDM_CONVERT_TAGS, 173, "Conversion / Remove ID3...", kNone},
    {5, IDM_ORGANIZE, 174, "Organize MP3 file...", kNone},
};

const MenuEntry kHelpEntries[] = {
    {0, IDM_ABOUT, 175, "&About\tF1", kNone},
};

const MenuEntry kSearchFieldsEntries[] = {
    {0, IDM_SEARCH_ARTIST, 176, "Artist\tCtrl+1", kNone},
    {1, IDM_SEARCH_TITLE, 177, "Title\tCtrl+2", kNone},
    {2, IDM_SEARCH_ALBUM, 178, "Album\tCtrl+3", kNone},
    {3, IDM_SEARCH_COMMENT, 179, "Comment\tCtrl+4", kNone},
    {4, IDM_SEARCH_FILE_NAME, 180, "File name\tCtrl+5", kNone},
    {5, IDM_SEARCH_YEAR, 181, "Year\tCtrl+6", kNone},
    {7, IDM_SEARCH_ALL, 182, "Search all", kNone},
    {8, IDM_SEARCH_NONE, 183, "Search none", kNone},
    {10, IDM_SEARCH_MATCH_CASE, 184, "Match case mode", kNone},
};

const MenuEntry kFileButtonEntries[] = {
    {0, IDM_NEW, 142, "&New\tCtrl+N", kNone},      {1, IDM_OPEN, 143, "&Open...\tCtrl+O", kNone},
    {3, IDM_SAVE, 144, "&Save...\tCtrl+S", kNone}, {4, IDM_SAVE_AS, 145, "S&ave As...", kNone},
    {6, IDM_IMPORT, 151, "&Import", kNone},        {7, IDM_EXPORT, 152, "&Export", kNone},
};

const MenuEntry kListContextEntries[] = {
    {0, IDM_PLAY, 199, "Play\tEnter", kNone},
    {1, IDM_PLAY_ALL, 200, "Play all", kNone},
    {3, IDM_EDIT_TAG_CONTEXT, 201, "Edit ID3Tag\tCtrl+E", kNone},
    {5, IDM_ENQUEUE, 202, "Enqueue to Winamp playlist", kNone},
    {6, IDM_ENQUEUE_ALL, 203, "Enqueue all to Winamp playlist", kNone},
    {7, IDM_CLEAR_HOST_PLAYLIST, 204, "Clear current Winamp playlist", kNone},
    {8, IDM_TOGGLE_HOST_PLAYLIST, 205, "Show/Hide Winamp playlist", kNone},
    {10, IDM_SELECT_ALL, 206, "Select All\tCtrl+A", kNone},
    {11, IDM_SELECT_NONE, 207, "Select none", kNone},
    {12, IDM_SELECT_TOGGLE, 208, "Select toggle\tCtrl+T", kNone},
    {13, 0, 209, "Select with same", MenuId::SelectWithSame},
    {15, IDM_SELECT_DEAD, 210, "Select all dead files", kNone},
    {16, IDM_CROP, 211, "Crop\tCtrl+Del", kNone},
    {17, IDM_REMOVE, 212, "Remove file(s) from playlist\tDel", kNone},
    {18, IDM_DELETE_FILES, 213, "Delete Physically selected file(s)", kNone},
    {20, 0, 372, "Rating items", MenuId::Rating},
    {21, IDM_STORE_RATING, 373, "Store rating into ID3V2...", kNone},
    {23, IDM_FIND_DUPLICATES, 214, "Find duplicates", kNone},
    {24, IDM_PROPERTIES, 215, "Property\tAlt+Enter", kNone},
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
    {{'1', kModCtrl, IDM_SEARCH_ARTIST_KEY}, IDM_SEARCH_ARTIST},
    {{'1', kModAlt, IDM_VIEW_ID3V1_KEY}, IDM_VIEW_ID3V1},
    {{'2', kModCtrl, IDM_SEARCH_TITLE_KEY}, IDM_SEARCH_TITLE},
    {{'2', kModAlt, IDM_VIEW_ID3V2_KEY}, IDM_VIEW_ID3V2},
    {{'3', kModCtrl, IDM_SEARCH_ALBUM_KEY}, IDM_SEARCH_ALBUM},
    {{'3', kModAlt, IDM_VIEW_ID3V2_V1_KEY}, IDM_VIEW_ID3V2_V1},
    {{'4', kModCtrl, IDM_SEARCH_COMMENT_KEY}, IDM_SEARCH_COMMENT},
    {{'4', kModAlt, IDM_VIEW_ID3V1_V2_KEY}, IDM_VIEW_ID3V1_V2},
    {{'5', kModCtrl, IDM_SEARCH_FILE_NAME_KEY}, IDM_SEARCH_FILE_NAME},
    {{'6', kModCtrl, IDM_SEARCH_YEAR_KEY}, IDM_SEARCH_YEAR},
    {{'A', kModCtrl, IDM_SELECT_ALL_KEY}, IDM_SELECT_ALL},
    {{'E', kModCtrl, IDM_EDIT_TAG_KEY}, IDM_EDIT_TAG},
    {{'H', kModCtrl, IDM_HTML_CLASSES_KEY}, IDM_HTML_CLASSES},
    {{'I', kModCtrl, IDM_PLAYLIST_INFO_KEY}, IDM_PLAYLIST_INFO},
    {{'I', kModCtrl | kModShift, IDM_VOLUME_INFO_KEY}, IDM_VOLUME_INFO},
    {{'L', kModCtrl, IDM_COLUMNS_KEY}, IDM_COLUMNS},
    {{'M', kModCtrl, IDM_OPTIONS_KEY}, IDM_OPTIONS},
    {{'N', kModCtrl, IDM_NEW_KEY}, IDM_NEW},
    {{'O', kModCtrl, IDM_OPEN_KEY}, IDM_OPEN},
    {{'P', kModCtrl, IDM_CONFIGURE_KEY}, IDM_CONFIGURE},
    {{'Q', kModCtrl, IDM_QUIT_KEY}, IDM_QUIT},
    {{'S', kModCtrl, IDM_SAVE_KEY}, IDM_SAVE},
    {{'S', kModAlt, IDM_THEME_COLORS_KEY}, IDM_THEME_COLORS},
    {{'T', kModCtrl, IDM_SELECT_TOGGLE_KEY}, IDM_SELECT_TOGGLE},
    {{kKeyDelete, 0, IDM_REMOVE_KEY}, IDM_REMOVE},
    {{kKeyDelete, kModCtrl, IDM_CROP_KEY}, IDM_CROP},
    {{kKeyF1, 0, IDM_ABOUT_KEY}, IDM_ABOUT},
    {{kKeyF3, 0, IDM_SEARCH_FOCUS_KEY}, 0},
    {{kKeyF5, 0, IDM_RELOAD_KEY}, IDM_RELOAD},
    {{kKeyF6, 0, IDM_EXPLORER_KEY}, IDM_EXPLORER},
    {{kKeyInsert, kModCtrl, IDM_ADD_FILES_KEY}, IDM_ADD_FILES},
    {{kKeyInsert, kModCtrl | kModShift, IDM_ADD_DIRECTORY_KEY}, IDM_ADD_DIRECTORY},
    {{kKeyReturn, 0, IDM_PLAY_KEY}, IDM_PLAY},
    {{kKeyReturn, kModAlt, IDM_PROPERTIES_KEY}, IDM_PROPERTIES},
    {{'Y', kModCtrl, IDM_MEDIA_WIZARD_KEY}, IDM_MEDIA_WIZARD},
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
            marks.push_back({IDM_VIEW_ID3V1 + i, MenuMark::Radio, state.viewInfoFrom == i});
        }
        for (int i = 0; i < state.languageCount; ++i) {
            marks.push_back({kLanguageCommandBase + i, MenuMark::Radio, state.currentLanguage == i});
        }
        [[fallthrough]];
    case MenuId::Explorer:
        marks.push_back({IDM_EXPLORER, MenuMark::Check, state.explorerShown});
        marks.push_back({IDM_EXPLORER_REFRESH, MenuMark::Enable, state.explorerShown});
        break;
    case MenuId::SearchFields:
        for (int i = 0; i < 7; ++i) {
            marks.push_back({IDM_SEARCH_ARTIST + i, MenuMark::Check, (state.searchFields >> i & 1u) != 0});
        }
        break;
    case MenuId::ListContext:
        marks.push_back({IDM_FIND_DUPLICATES, MenuMark::Check, state.duplicatesMode});
        break;
    default: break;
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
