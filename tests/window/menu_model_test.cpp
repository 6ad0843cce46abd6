#include "window/menu_model.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "settings/lang_table.h"
#include "support/test_support.h"

namespace td {
namespace {

using test::TempDir;
using test::WriteBytes;

const MenuId kAllMenus[] = {
    MenuId::Bar,       MenuId::File,     MenuId::Add,          MenuId::Playlist,
    MenuId::Select,    MenuId::SelectWithSame, MenuId::Rating, MenuId::Option,
    MenuId::View,      MenuId::Explorer, MenuId::Language,     MenuId::Id3Tag,
    MenuId::Help,      MenuId::SearchFields, MenuId::FileButton, MenuId::ListContext,
};

// Every command entry reachable from `id`, submenus included.
void CollectEntries(MenuId id, std::vector<const MenuEntry*>& out) {
    for (const MenuEntry& entry : menuLayout(id)) {
        if (entry.submenu != MenuId::None) CollectEntries(entry.submenu, out);
        else out.push_back(&entry);
    }
}

void UseImage(const std::string& image) { LangTable::useLanguageImage(image.data(), image.size()); }

class MenuModelTest : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }
    void TearDown() override { LangTable::useBuiltinEnglish(); }
};

// --- layouts -------------------------------------------------------------

TEST_F(MenuModelTest, LayoutsAreWellFormed) {
    for (MenuId id : kAllMenus) {
        const MenuLayout& layout = menuLayout(id);
        SCOPED_TRACE(static_cast<int>(id));
        EXPECT_EQ(layout.id, id);
        ASSERT_GT(layout.entryCount, 0u);
        int previous = -1;
        for (const MenuEntry& entry : layout) {
            EXPECT_GT(entry.position, previous) << "positions in order, each once";
            EXPECT_LT(entry.position, layout.itemCount);
            previous = entry.position;
            ASSERT_NE(entry.templateText, nullptr);
            EXPECT_STRNE(entry.templateText, "");
            EXPECT_EQ(std::string(entry.templateText).find('|'), std::string::npos);
            if (entry.submenu != MenuId::None) EXPECT_EQ(entry.command, 0);
            else EXPECT_NE(entry.command, 0);
            EXPECT_EQ(layout.at(entry.position), &entry);
        }
        EXPECT_EQ(layout.at(layout.itemCount), nullptr);
    }
    EXPECT_EQ(menuLayout(static_cast<MenuId>(999)).entryCount, 0u);
}

// The resource's texts are the built-in English labels, so a language
// without a text shows what English would.
TEST_F(MenuModelTest, EveryLabelIsABuiltinTextMatchingTheTemplate) {
    int labelled = 0;
    for (MenuId id : kAllMenus) {
        for (const MenuEntry& entry : menuLayout(id)) {
            if (entry.textId == 0) continue;
            ++labelled;
            const std::string builtin = LangTable::builtinString(entry.textId);
            EXPECT_FALSE(builtin.empty()) << entry.textId;
            EXPECT_EQ(menuLabel(builtin), entry.templateText) << entry.textId;
        }
    }
    EXPECT_GT(labelled, 100);
}

TEST_F(MenuModelTest, SeparatorsWhereNoEntryIsListed) {
    const MenuLayout& file = menuLayout(MenuId::File);
    for (int position : {2, 4, 7, 10, 13, 16}) EXPECT_EQ(file.at(position), nullptr) << position;
    const MenuLayout& context = menuLayout(MenuId::ListContext);
    EXPECT_EQ(context.itemCount, 25);
    for (int position : {2, 4, 9, 14, 19, 22}) EXPECT_EQ(context.at(position), nullptr) << position;
    const MenuLayout& fields = menuLayout(MenuId::SearchFields);
    EXPECT_EQ(fields.at(6), nullptr);
    EXPECT_EQ(fields.at(9), nullptr);
    EXPECT_EQ(fields.at(10)->command, 40048);
}

TEST_F(MenuModelTest, CommandsAppearOnceInEachMenu) {
    for (MenuId root : {MenuId::Bar, MenuId::SearchFields, MenuId::FileButton, MenuId::Add,
                        MenuId::ListContext, MenuId::Explorer}) {
        std::vector<const MenuEntry*> entries;
        CollectEntries(root, entries);
        std::set<int> seen;
        for (const MenuEntry* entry : entries) {
            EXPECT_TRUE(seen.insert(entry->command).second) << entry->command;
        }
    }
}

TEST_F(MenuModelTest, SelectWithSameFollowsTheFieldNumbers) {
    const MenuLayout& same = menuLayout(MenuId::SelectWithSame);
    ASSERT_EQ(same.entryCount, 13u);
    const int labels[13] = {87, 88, 92, 90, 89, 91, 94, 95, 96, 97, 98, 99, 100};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(same.at(i)->command, 40014 + i);
        EXPECT_EQ(same.at(i)->textId, labels[i]);
    }
    // "Time" asks for field 10.
    EXPECT_STREQ(same.at(10)->templateText, "Time");
    EXPECT_EQ(same.at(10)->command - 40014, 10);
    // Both menus that offer it share the layout.
    EXPECT_EQ(menuLayout(MenuId::Select).at(3)->submenu, MenuId::SelectWithSame);
    EXPECT_EQ(menuLayout(MenuId::ListContext).at(13)->submenu, MenuId::SelectWithSame);
    EXPECT_EQ(menuLayout(MenuId::ListContext).at(20)->submenu, MenuId::Rating);
}

TEST_F(MenuModelTest, BarHoldsTheSubmenusWhereTheyBelong) {
    const MenuLayout& bar = menuLayout(MenuId::Bar);
    EXPECT_EQ(bar.itemCount, 6);
    EXPECT_EQ(bar.at(5)->submenu, MenuId::Help);
    EXPECT_EQ(bar.at(5)->textId, 0);  // "?" stays as it is
    const MenuLayout& option = menuLayout(MenuId::Option);
    EXPECT_EQ(option.at(10)->submenu, MenuId::View);
    EXPECT_EQ(option.at(11)->submenu, MenuId::Explorer);
    EXPECT_EQ(option.at(13)->submenu, MenuId::Language);
    EXPECT_EQ(menuLayout(MenuId::File).at(8)->submenu, MenuId::Add);
    for (const MenuEntry& view : menuLayout(MenuId::View)) EXPECT_EQ(view.textId, 0);
    const MenuLayout& rating = menuLayout(MenuId::Rating);
    EXPECT_STREQ(rating.at(0)->templateText, "No rating");
    EXPECT_STREQ(rating.at(5)->templateText, "*****");
    EXPECT_EQ(rating.at(5)->command, 40189);
}

// --- labels ----------------------------------------------------------------

TEST_F(MenuModelTest, BarsBecomeTabs) {
    EXPECT_EQ(menuLabel("Crop|Ctrl+Del"), "Crop\tCtrl+Del");
    EXPECT_EQ(menuLabel("a|b|c"), "a\tb\tc");
    EXPECT_EQ(menuLabel("Select none"), "Select none");
    EXPECT_EQ(menuLabel(""), "");
}

TEST_F(MenuModelTest, EntryLabelsComeFromTheLoadedLanguage) {
    const MenuEntry& crop = *menuLayout(MenuId::Select).at(6);
    const MenuEntry& none = *menuLayout(MenuId::Select).at(1);
    const MenuEntry& view = *menuLayout(MenuId::View).at(0);
    EXPECT_EQ(entryLabel(crop), "Crop\tCtrl+Del");
    EXPECT_EQ(entryLabel(none), "Select none");  // no shortcut, no tab
    EXPECT_EQ(entryLabel(view), "");              // template text stays

    UseImage("#211 \"Rogner|Ctrl+Suppr\"\n#207 \"Rien\"\n");
    EXPECT_EQ(entryLabel(crop), "Rogner\tCtrl+Suppr");
    EXPECT_EQ(entryLabel(none), "Rien");
    // A language without the text keeps the template's text.
    EXPECT_EQ(entryLabel(*menuLayout(MenuId::Select).at(0)), "");
    EXPECT_EQ(entryLabel(view), "");
}

TEST_F(MenuModelTest, LanguageEntriesNumberedFrom10000) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir.Path("Deutsch.lang.kqp"), std::string("#141 \"&Datei\"\n")));
    ASSERT_TRUE(WriteBytes(dir.Path("R&B.lang.kqp"), std::string("#141 \"&File\"\n")));
    LangTable lang(dir.path());
    lang.scanLanguages("Deutsch");
    const std::vector<LanguageMenuEntry> entries = languageMenuEntries(lang);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].command, 10000);
    EXPECT_EQ(entries[0].label, "English(Default)");
    EXPECT_EQ(entries[1].command, 10001);
    EXPECT_EQ(entries[1].label, "Deutsch");
    EXPECT_EQ(entries[2].command, 10002);
    EXPECT_EQ(entries[2].label, "R&&B");  // shows as "R&B", not as a mnemonic

    LangTable english{std::string()};
    english.scanLanguages("");
    ASSERT_EQ(languageMenuEntries(english).size(), 1u);
}

// --- check marks ---------------------------------------------------------

std::map<int, MenuMark> MarksOf(MenuId id, const MenuState& state) {
    std::map<int, MenuMark> marks;
    for (const MenuMark& mark : menuMarks(id, state)) {
        EXPECT_TRUE(marks.emplace(mark.command, mark).second) << "one mark per command";
    }
    return marks;
}

TEST_F(MenuModelTest, BarMarksFollowViewLanguageAndExplorer) {
    MenuState state;
    state.viewInfoFrom = 3;
    state.languageCount = 2;
    state.currentLanguage = 1;
    state.explorerShown = false;
    std::map<int, MenuMark> marks = MarksOf(MenuId::Bar, state);
    for (int command = 40087; command <= 40090; ++command) {
        ASSERT_EQ(marks.count(command), 1u);
        EXPECT_EQ(marks[command].kind, MenuMark::Radio);
        EXPECT_EQ(marks[command].on, command == 40090);
    }
    EXPECT_FALSE(marks[10000].on);
    EXPECT_TRUE(marks[10001].on);
    EXPECT_EQ(marks[10001].kind, MenuMark::Radio);
    EXPECT_EQ(marks.count(10002), 0u);
    EXPECT_EQ(marks[40127].kind, MenuMark::Check);
    EXPECT_FALSE(marks[40127].on);
    EXPECT_EQ(marks[40149].kind, MenuMark::Enable);
    EXPECT_FALSE(marks[40149].on);
    EXPECT_EQ(marks.count(40029), 0u);  // duplicates mark is the context menu's

    state.explorerShown = true;
    state.viewInfoFrom = 9;  // out of range: no view is checked
    marks = MarksOf(MenuId::Bar, state);
    EXPECT_TRUE(marks[40127].on);
    EXPECT_TRUE(marks[40149].on);
    for (int command = 40087; command <= 40090; ++command) EXPECT_FALSE(marks[command].on);
}

TEST_F(MenuModelTest, ExplorerPopupMarks) {
    MenuState state;
    state.explorerShown = true;
    std::map<int, MenuMark> marks = MarksOf(MenuId::Explorer, state);
    EXPECT_EQ(marks.size(), 2u);
    EXPECT_TRUE(marks[40127].on);
    EXPECT_TRUE(marks[40149].on);
}

TEST_F(MenuModelTest, SearchFieldMarksFollowTheBits) {
    MenuState state;
    state.searchFields = (1u << 0) | (1u << 2) | (1u << 6) | (1u << 7);
    std::map<int, MenuMark> marks = MarksOf(MenuId::SearchFields, state);
    ASSERT_EQ(marks.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(marks[40042 + i].on, i == 0 || i == 2 || i == 6) << i;
        EXPECT_EQ(marks[40042 + i].kind, MenuMark::Check);
    }
    EXPECT_EQ(marks.count(40049), 0u);  // bit 7 names no entry
}

TEST_F(MenuModelTest, DuplicatesMarkOnlyInTheListMenu) {
    MenuState state;
    state.duplicatesMode = true;
    std::map<int, MenuMark> marks = MarksOf(MenuId::ListContext, state);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_TRUE(marks[40029].on);
    state.duplicatesMode = false;
    EXPECT_FALSE(MarksOf(MenuId::ListContext, state)[40029].on);
    EXPECT_TRUE(menuMarks(MenuId::FileButton, state).empty());
    EXPECT_TRUE(menuMarks(MenuId::Add, state).empty());
}

// --- shortcuts -------------------------------------------------------------

TEST_F(MenuModelTest, AcceleratorTableRows) {
    const std::vector<Accelerator>& table = windowAccelerators();
    EXPECT_EQ(table.size(), 35u);
    std::set<std::pair<int, int>> keys;
    std::set<int> commands;
    for (const Accelerator& accel : table) {
        EXPECT_TRUE(keys.insert({accel.key, accel.modifiers}).second) << accel.command;
        EXPECT_TRUE(commands.insert(accel.command).second) << accel.command;
    }
    EXPECT_EQ(acceleratorCommand('4', kModAlt), 40094);
    EXPECT_EQ(acceleratorCommand('3', kModCtrl), 40060);
    EXPECT_EQ(acceleratorCommand('I', kModCtrl | kModShift), 40138);
    EXPECT_EQ(acceleratorCommand(kKeyReturn, kModAlt), 40108);
    EXPECT_EQ(acceleratorCommand(kKeyF3, 0), 40055);
    EXPECT_EQ(acceleratorCommand('S', kModAlt), 40181);
    EXPECT_EQ(acceleratorCommand('5', kModAlt), 0);
    EXPECT_EQ(acceleratorCommand('A', 0), 0);
}

TEST_F(MenuModelTest, ShortcutCommandsStandForMenuCommands) {
    EXPECT_EQ(menuCommandForShortcut(40094), 40090);  // Alt+4: "ID3v1 / ID3v2"
    EXPECT_EQ(menuCommandForShortcut(40060), 40044);  // Ctrl+3: "Album"
    EXPECT_EQ(menuCommandForShortcut(40052), 40005);
    EXPECT_EQ(menuCommandForShortcut(40055), 0);      // F3 has no menu entry
    EXPECT_EQ(menuCommandForShortcut(40005), 0);      // a menu command is no shortcut
    // Every shortcut that stands for a menu command finds it in the bar or
    // in the search-field menu.
    std::set<int> menuCommands;
    for (MenuId root : {MenuId::Bar, MenuId::SearchFields}) {
        std::vector<const MenuEntry*> entries;
        CollectEntries(root, entries);
        for (const MenuEntry* entry : entries) menuCommands.insert(entry->command);
    }
    for (const Accelerator& accel : windowAccelerators()) {
        const int menu = menuCommandForShortcut(accel.command);
        if (accel.command == 40055) continue;
        EXPECT_EQ(menuCommands.count(menu), 1u) << accel.command;
    }
}

TEST_F(MenuModelTest, ShortcutNames) {
    EXPECT_EQ(shortcutName(kKeyInsert, kModCtrl | kModShift), "Ctrl+Shift+Insert");
    EXPECT_EQ(shortcutName(kKeyReturn, kModAlt), "Alt+Enter");
    EXPECT_EQ(shortcutName(kKeyDelete, 0), "Del");
    EXPECT_EQ(shortcutName(kKeyF1 + 4, 0), "F5");
    EXPECT_EQ(shortcutName('Y', kModCtrl), "Ctrl+Y");
}

// What a label shows after its tab must be the keys that give the same
// action through table 132.
TEST_F(MenuModelTest, LabelShortcutsAgreeWithTheTable) {
    std::map<std::string, const Accelerator*> byName;
    for (const Accelerator& accel : windowAccelerators()) {
        byName[shortcutName(accel.key, accel.modifiers)] = &accel;
    }
    int checked = 0;
    for (MenuId id : kAllMenus) {
        for (const MenuEntry& entry : menuLayout(id)) {
            const std::string text = entry.templateText;
            const size_t tab = text.find('\t');
            if (tab == std::string::npos || entry.command == 0) continue;
            std::string keys = text.substr(tab + 1);
            if (keys == "Atl+S") keys = "Alt+S";  // the label's own spelling
            SCOPED_TRACE(text);
            ASSERT_EQ(byName.count(keys), 1u);
            int stands = menuCommandForShortcut(byName[keys]->command);
            // "Edit ID3Tag" of the list menu (40086) does what 40068 does.
            const int command = entry.command == 40086 ? 40068 : entry.command;
            EXPECT_EQ(stands, command);
            ++checked;
        }
    }
    EXPECT_GE(checked, 30);
}

TEST_F(MenuModelTest, HelpTextListsEveryShortcutInTheLanguage) {
    std::string help = shortcutHelpText();
    EXPECT_NE(help.find("Ctrl+N\tNew\r\n"), std::string::npos) << help;
    EXPECT_NE(help.find("F3\tSearch\r\n"), std::string::npos);
    EXPECT_NE(help.find("Alt+4\tID3v1 / ID3v2\r\n"), std::string::npos);
    EXPECT_NE(help.find("Ctrl+3\tAlbum\r\n"), std::string::npos);
    EXPECT_NE(help.find("Alt+S\tTheme Color...\r\n"), std::string::npos);
    size_t lines = 0;
    for (size_t at = help.find("\r\n"); at != std::string::npos; at = help.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, windowAccelerators().size());

    UseImage("#142 \"&Nouveau|Ctrl+N\"\n#322 \"Chercher :\"\n#155 \"Q&&uit\"\n");
    help = shortcutHelpText();
    EXPECT_NE(help.find("Ctrl+N\tNouveau\r\n"), std::string::npos);
    EXPECT_NE(help.find("F3\tChercher\r\n"), std::string::npos);
    EXPECT_NE(help.find("Ctrl+Q\tQ&uit\r\n"), std::string::npos);
    // Texts the language lacks fall back to the template's.
    EXPECT_NE(help.find("Ctrl+A\tSelect All\r\n"), std::string::npos);
}

}  // namespace
}  // namespace td
