// The window's menus and shortcuts as the plug-in module carries them,
// labelled by position from the model, each command reaching the window's
// command table. The resources are taken from gen_Tunedeck.dll beside this
// program.
#include "window/win32/window_menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/lang_table.h"
#include "tests/win32/host_harness.h"
#include "window/menu_model.h"
#include "window/win32/playlist_window.h"

namespace td {
namespace {

std::string Text(HMENU menu, int position) {
    char text[512] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

// Each entry of the loaded menu stands where the layout has it, labelled
// from the language table (the template's text where the language has
// none), with a command the window's command table runs. The layouts' texts
// and separators are held against the template by the menu model's tests.
void ExpectEntries(HMENU menu, MenuId id) {
    const MenuLayout& layout = menuLayout(id);
    ASSERT_NE(menu, nullptr);
    SCOPED_TRACE(static_cast<int>(id));
    ASSERT_EQ(GetMenuItemCount(menu), layout.itemCount);
    for (int position = 0; position < layout.itemCount; ++position) {
        const MenuEntry* entry = layout.at(position);
        if (!entry) continue;
        const std::string label = entryLabel(*entry);
        EXPECT_EQ(Text(menu, position), label.empty() ? entry->templateText : label) << position;
        if (entry->submenu == MenuId::None) {
            EXPECT_EQ(static_cast<int>(GetMenuItemID(menu, position)), entry->command);
            EXPECT_TRUE(PlaylistWindow::hasCommand(entry->command)) << entry->command;
        } else {
            ExpectEntries(GetSubMenu(menu, position), entry->submenu);
        }
    }
}

TEST(WindowMenusTest, EveryEntryIsLabelledFromTheLanguageAndEveryEntryAndShortcutReachesTheTable) {
    HINSTANCE module = LoadLibraryExA((test::TestProgramDir() + "\\gen_Tunedeck.dll").c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << "gen_Tunedeck.dll beside the tests";
    const std::string language = "#141 \"&Datei\"\n#211 \"Zuschneiden|Strg+Entf\"\n#87 \"K\xfcnstler\"\n";
    LangTable::useLanguageImage(language.data(), language.size());
    for (WindowMenu which : {WindowMenu::SearchFields, WindowMenu::FileButton, WindowMenu::AddButton,
                             WindowMenu::ListContext, WindowMenu::Explorer}) {
        HMENU popup = CreateWindowMenu(module, which);
        ExpectEntries(popup, windowMenuLayout(which));
        DestroyMenu(popup);
    }
    HMENU bar = CreateWindowMenu(module, WindowMenu::Bar);
    ExpectEntries(bar, MenuId::Bar);
    EXPECT_EQ(Text(bar, 0), "&Datei");
    // A language chosen later relabels every entry.
    LangTable::useBuiltinEnglish();
    RelabelWindowMenu(bar, WindowMenu::Bar);
    ExpectEntries(bar, MenuId::Bar);
    EXPECT_EQ(Text(bar, 0), "&File");
    DestroyMenu(bar);

    // The shortcuts: the keys the model names, each to a command of the table.
    HACCEL table = LoadWindowAccelerators(module);
    ASSERT_NE(table, nullptr);
    const int count = CopyAcceleratorTableW(table, nullptr, 0);
    const std::vector<Accelerator>& model = windowAccelerators();
    ASSERT_EQ(count, static_cast<int>(model.size()));
    std::vector<ACCEL> rows(static_cast<size_t>(count));
    CopyAcceleratorTableW(table, rows.data(), count);
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        uint8_t modifiers = 0;
        if (rows[i].fVirt & FCONTROL) modifiers |= kModCtrl;
        if (rows[i].fVirt & FSHIFT) modifiers |= kModShift;
        if (rows[i].fVirt & FALT) modifiers |= kModAlt;
        EXPECT_EQ(rows[i].key, model[i].key);
        EXPECT_EQ(modifiers, model[i].modifiers);
        EXPECT_EQ(rows[i].cmd, model[i].command);
        EXPECT_TRUE(PlaylistWindow::hasCommand(rows[i].cmd));
    }
    FreeLibrary(module);
}

}  // namespace
}  // namespace td
