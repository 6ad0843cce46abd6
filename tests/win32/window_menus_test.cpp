// The window's menus and shortcuts as the plug-in module carries them, held
// against the model that labels them by position: the resources are taken
// from gen_Tunedeck.dll beside this program.
#include "window/win32/window_menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/lang_table.h"
#include "tests/win32/host_harness.h"
#include "window/menu_model.h"
#include "window/window_resource.h"

namespace td {
namespace {

std::string Text(HMENU menu, int position) {
    char text[512] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

// The loaded menu carries the layout's commands and submenus where the
// layout has them; its texts and separators are held against the template
// by the menu model's own tests.
void ExpectShape(HMENU menu, MenuId id) {
    const MenuLayout& layout = menuLayout(id);
    ASSERT_NE(menu, nullptr);
    SCOPED_TRACE(static_cast<int>(id));
    ASSERT_EQ(GetMenuItemCount(menu), layout.itemCount);
    for (int position = 0; position < layout.itemCount; ++position) {
        const MenuEntry* entry = layout.at(position);
        if (!entry) continue;
        if (entry->submenu == MenuId::None) {
            EXPECT_EQ(static_cast<int>(GetMenuItemID(menu, position)), entry->command);
        } else {
            ExpectShape(GetSubMenu(menu, position), entry->submenu);
        }
    }
}

class WindowMenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        LangTable::useBuiltinEnglish();
        module_ = LoadLibraryExA((test::TestProgramDir() + "\\gen_Tunedeck.dll").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << "gen_Tunedeck.dll beside the tests";
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
        LangTable::useBuiltinEnglish();
    }
    void UseImage(const std::string& image) { LangTable::useLanguageImage(image.data(), image.size()); }
    HINSTANCE module_ = nullptr;
};

TEST_F(WindowMenusTest, TemplatesCarryTheLayoutsCommands) {
    HMENU bar = LoadMenuW(module_, MAKEINTRESOURCEW(IDR_MENU_BAR));
    ExpectShape(bar, MenuId::Bar);
    DestroyMenu(bar);
    HMENU popups = LoadMenuW(module_, MAKEINTRESOURCEW(IDR_POPUP_MENUS));
    ASSERT_NE(popups, nullptr);
    EXPECT_EQ(GetMenuItemCount(popups), 5);
    ExpectShape(GetSubMenu(popups, kFileButtonSubmenu), MenuId::FileButton);
    ExpectShape(GetSubMenu(popups, kListContextSubmenu), MenuId::ListContext);
    ExpectShape(GetSubMenu(popups, kExplorerSubmenu), MenuId::Explorer);
    ExpectShape(GetSubMenu(popups, kAddButtonSubmenu), MenuId::Add);
    ExpectShape(GetSubMenu(popups, kSearchFieldsSubmenu), MenuId::SearchFields);
    DestroyMenu(popups);
}

TEST_F(WindowMenusTest, BarLabelledFromTheLanguageByPosition) {
    UseImage("#141 \"&Datei\"\n#211 \"Zuschneiden|Strg+Entf\"\n#87 \"K\xfcnstler\"\n");
    HMENU bar = CreateWindowMenu(module_, WindowMenu::Bar);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Text(bar, 0), "&Datei");
    HMENU select = GetSubMenu(bar, 2);
    EXPECT_EQ(Text(select, 6), "Zuschneiden\tStrg+Entf");
    EXPECT_EQ(Text(GetSubMenu(select, 3), 0), "K\xfcnstler");
    // Texts the language lacks keep the template's.
    EXPECT_EQ(Text(select, 7), "Remove file(s) from playlist\tDel");

    LangTable::useBuiltinEnglish();
    RelabelWindowMenu(bar, WindowMenu::Bar);
    EXPECT_EQ(Text(bar, 0), "&File");
    EXPECT_EQ(Text(select, 6), "Crop\tCtrl+Del");
    DestroyMenu(bar);
}

TEST_F(WindowMenusTest, AcceleratorTableMatchesTheModel) {
    HACCEL table = LoadWindowAccelerators(module_);
    ASSERT_NE(table, nullptr);
    const int count = CopyAcceleratorTableW(table, nullptr, 0);
    const std::vector<Accelerator>& model = windowAccelerators();
    ASSERT_EQ(count, static_cast<int>(model.size()));
    std::vector<ACCEL> rows(static_cast<size_t>(count));
    CopyAcceleratorTableW(table, rows.data(), count);
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NE(rows[i].fVirt & FVIRTKEY, 0);
        uint8_t modifiers = 0;
        if (rows[i].fVirt & FCONTROL) modifiers |= kModCtrl;
        if (rows[i].fVirt & FSHIFT) modifiers |= kModShift;
        if (rows[i].fVirt & FALT) modifiers |= kModAlt;
        EXPECT_EQ(rows[i].key, model[i].key);
        EXPECT_EQ(modifiers, model[i].modifiers);
        EXPECT_EQ(rows[i].cmd, model[i].command);
    }
}

}  // namespace
}  // namespace td
