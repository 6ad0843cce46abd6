// The window's menus and shortcuts as the plug-in module carries them: the
// resources are taken from gen_Tunedeck.dll beside this program.
#include "window/win32/window_menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/lang_table.h"
#include "support/test_support.h"
#include "window/menu_model.h"

namespace td {
namespace {

using test::TempDir;
using test::WriteBytes;

HMODULE PluginResources() {
    static HMODULE module = [] {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring dll(path);
        dll.erase(dll.find_last_of(L"\\/") + 1);
        dll += L"gen_Tunedeck.dll";
        return LoadLibraryExW(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }();
    return module;
}

std::string Text(HMENU menu, int position) {
    char text[512] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

bool IsSeparator(HMENU menu, int position) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    return GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info) &&
           (info.fType & MFT_SEPARATOR) != 0;
}

UINT State(HMENU menu, int command) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_FTYPE;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(command), FALSE, &info)) return 0xFFFFFFFFu;
    return info.fState | (info.fType & MFT_RADIOCHECK);
}

// The loaded menu has the shape of its layout: item count, separators,
// commands, submenus, and the template's English texts.
void ExpectShape(HMENU menu, MenuId id) {
    const MenuLayout& layout = menuLayout(id);
    ASSERT_NE(menu, nullptr);
    SCOPED_TRACE(static_cast<int>(id));
    ASSERT_EQ(GetMenuItemCount(menu), layout.itemCount);
    for (int position = 0; position < layout.itemCount; ++position) {
        const MenuEntry* entry = layout.at(position);
        if (!entry) {
            EXPECT_TRUE(IsSeparator(menu, position)) << position;
            continue;
        }
        EXPECT_EQ(Text(menu, position), entry->templateText) << position;
        if (entry->submenu == MenuId::None) {
            EXPECT_EQ(static_cast<int>(GetMenuItemID(menu, position)), entry->command);
        } else {
            ExpectShape(GetSubMenu(menu, position), entry->submenu);
        }
    }
}

HMENU Submenu(HMENU menu, std::initializer_list<int> path) {
    for (int position : path) menu = menu ? GetSubMenu(menu, position) : nullptr;
    return menu;
}

class WindowMenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        LangTable::useBuiltinEnglish();
        module_ = reinterpret_cast<HINSTANCE>(PluginResources());
        ASSERT_NE(module_, nullptr) << "gen_Tunedeck.dll beside the tests";
    }
    void TearDown() override { LangTable::useBuiltinEnglish(); }
    void UseImage(const std::string& image) {
        LangTable::useLanguageImage(image.data(), image.size());
    }
    HINSTANCE module_ = nullptr;
};

TEST_F(WindowMenusTest, TemplatesHaveTheLayoutsShape) {
    HMENU bar = LoadMenuW(module_, MAKEINTRESOURCEW(kMenuBarTemplate));
    ExpectShape(bar, MenuId::Bar);
    DestroyMenu(bar);
    HMENU popups = LoadMenuW(module_, MAKEINTRESOURCEW(kPopupMenuTemplate));
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
    UseImage("#141 \"&Datei\"\n#211 \"Zuschneiden|Strg+Entf\"\n#87 \"K\xfcnstler\"\n"
             "#209 \"Gleiche ausw\xe4hlen\"\n");
    HMENU bar = CreateWindowMenu(module_, WindowMenu::Bar);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Text(bar, 0), "&Datei");
    HMENU select = GetSubMenu(bar, 2);
    EXPECT_EQ(Text(select, 6), "Zuschneiden\tStrg+Entf");
    EXPECT_EQ(GetMenuItemID(select, 6), 40027u);
    EXPECT_EQ(Text(select, 3), "Gleiche ausw\xe4hlen");
    EXPECT_EQ(Text(GetSubMenu(select, 3), 0), "K\xfcnstler");
    // Texts the language lacks keep the template's.
    EXPECT_EQ(Text(select, 7), "Remove file(s) from playlist\tDel");
    EXPECT_EQ(Text(bar, 5), "?");
    EXPECT_EQ(Text(Submenu(bar, {3, 10}), 3), "ID3v1 / ID3v2\tAlt+4");

    LangTable::useBuiltinEnglish();
    RelabelWindowMenu(bar, WindowMenu::Bar);
    EXPECT_EQ(Text(bar, 0), "&File");
    EXPECT_EQ(Text(select, 6), "Crop\tCtrl+Del");
    EXPECT_EQ(Text(GetSubMenu(select, 3), 0), "Artist");
    EXPECT_EQ(Text(Submenu(bar, {0}), 17), "&Quit\tCtrl+Q");
    EXPECT_EQ(Text(Submenu(bar, {0, 8}), 1), "Add directory\tCtrl+Shift+Insert");
    DestroyMenu(bar);
}

TEST_F(WindowMenusTest, LanguageSubmenuRefilledAndRadioChecked) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir.Path("Deutsch.lang.kqp"), std::string("#167 \"Sprache\"\n")));
    LangTable lang(dir.path());
    lang.scanLanguages("Deutsch");
    ASSERT_EQ(lang.languageCount(), 2);
    HMENU bar = CreateWindowMenu(module_, WindowMenu::Bar, &lang);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Text(GetSubMenu(bar, 3), 13), "Sprache");
    HMENU languages = Submenu(bar, {3, 13});
    for (int round = 0; round < 2; ++round) {  // refilling does not add twice
        ASSERT_EQ(GetMenuItemCount(languages), 2);
        EXPECT_EQ(GetMenuItemID(languages, 0), 10000u);
        EXPECT_EQ(Text(languages, 0), "English(Default)");
        EXPECT_EQ(GetMenuItemID(languages, 1), 10001u);
        EXPECT_EQ(Text(languages, 1), "Deutsch");
        RelabelMenuBar(bar, lang);
    }
    MenuState state;
    state.languageCount = lang.languageCount();
    state.currentLanguage = lang.currentIndex();
    UpdateMenuBarChecks(bar, state);
    EXPECT_EQ(State(bar, 10001), UINT(MFS_CHECKED | MFT_RADIOCHECK));
    EXPECT_EQ(State(bar, 10000) & MFS_CHECKED, 0u);
    state.currentLanguage = 0;
    UpdateMenuBarChecks(bar, state);
    EXPECT_EQ(State(bar, 10001) & MFS_CHECKED, 0u);
    EXPECT_NE(State(bar, 10000) & MFS_CHECKED, 0u);
    DestroyMenu(bar);
}

TEST_F(WindowMenusTest, BarChecksFollowTheState) {
    HMENU bar = CreateWindowMenu(module_, WindowMenu::Bar);
    ASSERT_NE(bar, nullptr);
    MenuState state;
    state.viewInfoFrom = 3;
    state.explorerShown = false;
    UpdateMenuBarChecks(bar, state);
    EXPECT_EQ(State(bar, 40090), UINT(MFS_CHECKED | MFT_RADIOCHECK));
    EXPECT_EQ(State(bar, 40087) & MFS_CHECKED, 0u);
    EXPECT_EQ(State(bar, 40127) & MFS_CHECKED, 0u);
    EXPECT_NE(State(bar, 40149) & MFS_GRAYED, 0u);

    state.viewInfoFrom = 0;
    state.explorerShown = true;
    UpdateMenuBarChecks(bar, state);
    EXPECT_NE(State(bar, 40087) & MFS_CHECKED, 0u);
    EXPECT_EQ(State(bar, 40090) & MFS_CHECKED, 0u);
    EXPECT_NE(State(bar, 40127) & MFS_CHECKED, 0u);
    EXPECT_EQ(State(bar, 40149) & MFS_GRAYED, 0u);
    DestroyMenu(bar);
}

TEST_F(WindowMenusTest, PopupsComeDetachedAndLabelled) {
    UseImage("#176 \"Interpr\xe8te|Ctrl+1\"\n#184 \"Respecter la casse\"\n#372 \"Notes\"\n");
    struct Case {
        WindowMenu menu;
        int count;
    };
    for (const Case& c : {Case{WindowMenu::SearchFields, 11}, Case{WindowMenu::FileButton, 8},
                          Case{WindowMenu::AddButton, 2}, Case{WindowMenu::ListContext, 25},
                          Case{WindowMenu::Explorer, 3}}) {
        HMENU popup = CreateWindowMenu(module_, c.menu);
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(GetMenuItemCount(popup), c.count);
        EXPECT_TRUE(DestroyMenu(popup));
    }
    HMENU fields = CreateWindowMenu(module_, WindowMenu::SearchFields);
    EXPECT_EQ(Text(fields, 0), "Interpr\xe8te\tCtrl+1");
    EXPECT_EQ(Text(fields, 1), "Title\tCtrl+2");
    EXPECT_EQ(Text(fields, 10), "Respecter la casse");
    MenuState state;
    state.searchFields = 0x45;  // Artist, Album, match case
    UpdateWindowMenuChecks(fields, WindowMenu::SearchFields, state);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ((State(fields, 40042 + i) & MFS_CHECKED) != 0, i == 0 || i == 2 || i == 6) << i;
    }
    DestroyMenu(fields);

    HMENU list = CreateWindowMenu(module_, WindowMenu::ListContext);
    EXPECT_EQ(Text(list, 20), "Notes");
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(list, 13)), 13);
    EXPECT_EQ(Text(GetSubMenu(list, 13), 10), "Time");
    EXPECT_EQ(GetMenuItemID(GetSubMenu(list, 13), 10), 40024u);
    state.duplicatesMode = true;
    UpdateWindowMenuChecks(list, WindowMenu::ListContext, state);
    EXPECT_NE(State(list, 40029) & MFS_CHECKED, 0u);
    DestroyMenu(list);

    HMENU explorer = CreateWindowMenu(module_, WindowMenu::Explorer);
    state.explorerShown = false;
    UpdateWindowMenuChecks(explorer, WindowMenu::Explorer, state);
    EXPECT_NE(State(explorer, 40149) & MFS_GRAYED, 0u);
    EXPECT_EQ(Text(explorer, 0), "Explorer\tF6");
    DestroyMenu(explorer);
}

// A menu shorter than its layout (a damaged or foreign template) is
// labelled as far as it goes; a missing menu is left alone.
TEST_F(WindowMenusTest, ShortOrMissingMenusAreLabelledAsFarAsTheyGo) {
    HMENU shortMenu = CreatePopupMenu();
    AppendMenuA(shortMenu, MF_STRING, 1, "one");
    AppendMenuA(shortMenu, MF_STRING, 2, "two");
    RelabelWindowMenu(shortMenu, WindowMenu::ListContext);
    EXPECT_EQ(GetMenuItemCount(shortMenu), 2);
    EXPECT_EQ(Text(shortMenu, 0), "Play\tEnter");
    EXPECT_EQ(Text(shortMenu, 1), "Play all");
    HMENU noLanguage = CreateMenu();
    AppendMenuA(noLanguage, MF_POPUP, reinterpret_cast<UINT_PTR>(shortMenu), "x");
    LangTable lang{std::string()};
    lang.scanLanguages("");
    RelabelMenuBar(noLanguage, lang);  // no Language submenu to fill
    EXPECT_EQ(Text(noLanguage, 0), "&File");
    DestroyMenu(noLanguage);
    RelabelWindowMenu(nullptr, WindowMenu::Bar);
    UpdateMenuBarChecks(nullptr, MenuState());
    FillLanguageMenu(nullptr, lang);
    EXPECT_EQ(CreateWindowMenu(nullptr, WindowMenu::Bar), nullptr);  // no such template in the exe
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

// A window that records the commands it receives.
struct CommandSink {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
        auto* sink = reinterpret_cast<CommandSink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (sink && message == WM_COMMAND) sink->commands.push_back(LOWORD(wparam));
        if (message == WM_TIMER) EndMenu();  // never leave a menu hanging
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    CommandSink() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TdMenuSink";
        RegisterClassW(&wc);
        hwnd = CreateWindowW(L"TdMenuSink", L"menus", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                             nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CommandSink() { DestroyWindow(hwnd); }
    void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    HWND hwnd = nullptr;
    std::vector<int> commands;
};

TEST_F(WindowMenusTest, ShortcutsTranslateToTheirCommands) {
    CommandSink sink;
    ASSERT_NE(sink.hwnd, nullptr);
    HACCEL table = LoadWindowAccelerators(module_);
    BYTE keys[256] = {};
    struct Case {
        BYTE modifier;  // 0 for none
        UINT message;
        WPARAM key;
        int command;
    };
    const Case cases[] = {
        {VK_MENU, WM_SYSKEYDOWN, '4', 40094},
        {VK_CONTROL, WM_KEYDOWN, '3', 40060},
        {VK_CONTROL, WM_KEYDOWN, VK_DELETE, 40064},
        {0, WM_KEYDOWN, VK_DELETE, 40054},
        {0, WM_KEYDOWN, VK_F3, 40055},
    };
    for (const Case& c : cases) {
        memset(keys, 0, sizeof keys);
        if (c.modifier) keys[c.modifier] = 0x80;
        SetKeyboardState(keys);
        sink.commands.clear();
        MSG msg = {};
        msg.hwnd = sink.hwnd;
        msg.message = c.message;
        msg.wParam = c.key;
        msg.lParam = c.message == WM_SYSKEYDOWN ? (1 << 29) : 0;
        EXPECT_TRUE(TranslateAcceleratorW(sink.hwnd, table, &msg)) << c.command;
        sink.Pump();
        ASSERT_EQ(sink.commands.size(), 1u) << c.command;
        EXPECT_EQ(sink.commands[0], c.command);
    }
    memset(keys, 0, sizeof keys);
    SetKeyboardState(keys);
}

TEST_F(WindowMenusTest, TrackedMenuSendsTheChosenCommandToItsOwner) {
    CommandSink sink;
    ASSERT_NE(sink.hwnd, nullptr);
    ShowWindow(sink.hwnd, SW_SHOW);
    SetForegroundWindow(sink.hwnd);
    sink.Pump();
    SetTimer(sink.hwnd, 1, 3000, nullptr);
    // The menu's own loop reads these: first entry, then choose it.
    PostMessageW(sink.hwnd, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(sink.hwnd, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(TrackWindowMenu(module_, sink.hwnd, WindowMenu::AddButton, POINT{20, 20}, MenuState()));
    KillTimer(sink.hwnd, 1);
    sink.Pump();
    ASSERT_EQ(sink.commands.size(), 1u);
    EXPECT_EQ(sink.commands[0], 40038);  // "Add files..."
    EXPECT_FALSE(TrackWindowMenu(module_, sink.hwnd, WindowMenu::Bar, POINT{20, 20}, MenuState()));
}

}  // namespace
}  // namespace td
