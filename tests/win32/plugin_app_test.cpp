// The application object built in this process around the stand-in host's
// window, with the plug-in module's resources: a window it cannot create,
// and a subclass of the host's window made after its own. What it leaves
// behind at quit is checked through the whole plug-in (plugin_lifecycle_test,
// tray_test).
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
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
        LangTable::useBuiltinEnglish();
    }

    HostHarness h_{BareHost()};
    HMODULE module_ = nullptr;
    PluginSwitches switches_;
};

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
