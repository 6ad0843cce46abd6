// The application object built in this process around the stand-in host's
// window, with the plug-in module's resources: what it takes at start, how
// it shows the playlist window, and what it leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/host_bridge.h"
#include "plugin/win32/plugin_app.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "tests/win32/host_harness.h"
#include "window/win32/playlist_window.h"

namespace td::test {
namespace {

HostSetup BareHost() {
    HostSetup setup;
    setup.load = false;  // the plug-in's copy is only a resource module here
    setup.show = false;
    return setup;
}

class PluginAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(h_.ok());
        module_ = LoadLibraryExA(h_.folder().pluginPath().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_NE(module_, nullptr);
        // The application object's code is this program's: its icons go to
        // the host's stand-in tray too.
        ASSERT_TRUE(h_.host().tray()->attach(GetModuleHandleA(nullptr)));
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
        LangTable::useBuiltinEnglish();
    }
    std::string SettingsPath() { return h_.folder().pluginsDir() + "\\gen_Tunedeck.ini"; }

    HostHarness h_{BareHost()};
    HMODULE module_ = nullptr;
    PluginSwitches switches_;
};

TEST_F(PluginAppTest, EndRemovesTheTraySavesSettingsAndLeavesNoWindow) {
    HWND window = nullptr;
    {
        PluginApp app(module_, h_.hostWindow(), switches_);
        ASSERT_EQ(app.ShowPlaylistWindow(), 1);
        window = app.playlistWindow().hwnd();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(app.playlistWindow().visible(), 1);
        app.settings().explorerShown = 1;
        DeleteFileA(SettingsPath().c_str());
        EXPECT_EQ(h_.host().tray()->ids(), std::vector<UINT>{1024});
    }
    EXPECT_EQ(PluginApp::instance(), nullptr);
    EXPECT_EQ(switches_.systrayEnabled, 0u);
    EXPECT_TRUE(h_.host().tray()->ids().empty());
    EXPECT_FALSE(IsWindow(window));
    Settings saved(h_.folder().pluginsDir());
    ASSERT_TRUE(saved.load());
    EXPECT_EQ(saved.explorerShown, 1);
}

TEST_F(PluginAppTest, AWindowThatCannotBeCreatedIsReportedAndTriedAgain) {
    // This program holds none of the plug-in's templates.
    PluginApp app(GetModuleHandleA(nullptr), h_.hostWindow(), switches_);
    EXPECT_EQ(app.ShowPlaylistWindow(), 0);
    EXPECT_EQ(app.playlistWindow().hwnd(), nullptr);
    EXPECT_EQ(app.playlistWindow().visible(), 0);
    EXPECT_EQ(app.ShowPlaylistWindow(), 0);
}

WNDPROC below = nullptr;
LRESULT CALLBACK LaterSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(below, window, message, wParam, lParam);
}

TEST_F(PluginAppTest, ALaterSubclassIsLeftInPlace) {
    const LONG_PTR hostProc = GetWindowLongPtrA(h_.hostWindow(), GWLP_WNDPROC);
    const WNDPROC later = &LaterSubclass;
    {
        PluginApp app(module_, h_.hostWindow(), switches_);
        below = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(h_.hostWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(later)));
    }
    // Ours stays in the chain below the later one and only passes messages on.
    EXPECT_EQ(GetWindowLongPtrA(h_.hostWindow(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(later));
    EXPECT_EQ(SendMessageA(h_.hostWindow(), WM_USER, 0, 125), 0);
    SetWindowLongPtrA(h_.hostWindow(), GWLP_WNDPROC, hostProc);
}

}  // namespace
}  // namespace td::test
