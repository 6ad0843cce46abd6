#include "window/menu_model.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "settings/lang_table.h"
#include "support/test_support.h"
#include "window/window_resource.h"

namespace td {
namespace {

using test::TempDir;
using test::WriteBytes;

void UseImage(const std::string& image) { LangTable::useLanguageImage(image.data(), image.size()); }

class MenuModelTest : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }
    void TearDown() override { LangTable::useBuiltinEnglish(); }
};

// An item of a menu template as menus.rc writes it.
struct RcItem {
    bool separator = false;
    std::string text;
    std::vector<RcItem> children;
};

// The templates of menus.rc by name: what the module's menus hold.
std::map<std::string, std::vector<RcItem>> ReadMenuTemplates() {
    std::map<std::string, std::vector<RcItem>> templates;
    std::vector<std::vector<RcItem>*> open;
    std::ifstream in(test::TestsDir() + "/../window/win32/menus.rc");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        std::string second;
        words >> first >> second;
        if (second == "MENU") {
            open = {&templates[first]};
        } else if (first == "END" && !open.empty()) {
            open.pop_back();
        } else if ((first == "POPUP" || first == "MENUITEM") && !open.empty()) {
            RcItem item;
            item.separator = second == "SEPARATOR";
            const size_t quote = line.find('"');
            if (!item.separator) item.text = line.substr(quote + 1, line.find('"', quote + 1) - quote - 1);
            const size_t escape = item.text.find("\\t");
            if (escape != std::string::npos) item.text.replace(escape, 2, "\t");
            open.back()->push_back(item);
            if (first == "POPUP") open.push_back(&open.back()->back().children);
        }
    }
    return templates;
}

// Labels are set by position: each layout must name the template's items
// where the template has them, and its separators nowhere; the built-in
// English text of an entry is its template's.
void ExpectTemplate(const std::vector<RcItem>& items, MenuId id) {
    const MenuLayout& layout = menuLayout(id);
    SCOPED_TRACE(static_cast<int>(id));
    ASSERT_EQ(layout.itemCount, static_cast<int>(items.size()));
    for (int position = 0; position < layout.itemCount; ++position) {
        const RcItem& item = items[static_cast<size_t>(position)];
        const MenuEntry* entry = layout.at(position);
        if (item.separator) {
            EXPECT_EQ(entry, nullptr) << position;
            continue;
        }
        ASSERT_NE(entry, nullptr) << position;
        EXPECT_EQ(entry->templateText, item.text);
        // A language without the text shows what English would.
        if (entry->textId != 0) {
            EXPECT_EQ(menuLabel(LangTable::builtinString(entry->textId)), item.text);
        }
        if (entry->submenu != MenuId::None) ExpectTemplate(item.children, entry->submenu);
    }
}

TEST_F(MenuModelTest, LayoutsNameTheItemsOfTheResourceTemplates) {
    const std::map<std::string, std::vector<RcItem>> templates = ReadMenuTemplates();
    ASSERT_EQ(templates.count("IDR_MENU_BAR"), 1u);
    ExpectTemplate(templates.at("IDR_MENU_BAR"), MenuId::Bar);
    const std::vector<RcItem>& popups = templates.at("IDR_POPUP_MENUS");
    ASSERT_EQ(popups.size(), 5u);
    ExpectTemplate(popups[kFileButtonSubmenu].children, MenuId::FileButton);
    ExpectTemplate(popups[kListContextSubmenu].children, MenuId::ListContext);
    ExpectTemplate(popups[kExplorerSubmenu].children, MenuId::Explorer);
    ExpectTemplate(popups[kAddButtonSubmenu].children, MenuId::Add);
    ExpectTemplate(popups[kSearchFieldsSubmenu].children, MenuId::SearchFields);
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
    EXPECT_EQ(entries[2].command, 10002);
    EXPECT_EQ(entries[2].label, "R&&B");  // shows as "R&B", not as a mnemonic
}

// The view entries carry the radio mark of the tag the list shows.
TEST_F(MenuModelTest, MarksFollowTheState) {
    MenuState state;
    state.viewInfoFrom = 2;
    const std::vector<MenuMark> marks = menuMarks(MenuId::Bar, state);
    ASSERT_GE(marks.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(marks[i].command, IDM_VIEW_ID3V1 + i);
        EXPECT_EQ(marks[i].on, i == 2) << i;
    }
}

TEST_F(MenuModelTest, HelpTextListsEveryShortcutInTheLanguage) {
    std::string help = shortcutHelpText();
    EXPECT_NE(help.find("Alt+S\tTheme Color...\r\n"), std::string::npos) << help;
    size_t lines = 0;
    for (size_t at = help.find("\r\n"); at != std::string::npos; at = help.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, windowAccelerators().size());
    EXPECT_EQ(shortcutName(0xBA, kModCtrl | kModAlt), "Ctrl+Alt+#186");  // a key without a name

    UseImage("#142 \"&Nouveau|Ctrl+N\"\n#322 \"Chercher :\"\n#155 \"Q&uit &&\"\n");
    help = shortcutHelpText();
    EXPECT_NE(help.find("Ctrl+N\tNouveau\r\n"), std::string::npos);
    EXPECT_NE(help.find("F3\tChercher\r\n"), std::string::npos);
    EXPECT_NE(help.find("Ctrl+Q\tQuit &\r\n"), std::string::npos);
    // Texts the language lacks fall back to the template's.
    EXPECT_NE(help.find("Ctrl+A\tSelect All\r\n"), std::string::npos);
}

}  // namespace
}  // namespace td
