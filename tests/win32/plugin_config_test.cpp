// The configuration dialog from the module's own template, run modelessly
// in this process so that its controls can be examined.
#include <gtest/gtest.h>

#include <string>

#include "plugin/win32/config_dialog.h"
#include "plugin/win32/plugin_resource.h"
#include "tests/win32/host_harness.h"

namespace td::test {
namespace {

class PluginConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = TestProgramDir() + "\\gen_Tunedeck.dll";
        module_ = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (dialog_) DestroyWindow(dialog_);
        if (module_) FreeLibrary(module_);
    }
    HWND Open(int* value) {
        dialog_ = CreateDialogParamA(module_, MAKEINTRESOURCEA(IDD_PLUGIN_CONFIG), nullptr,
                                     ConfigDialogProc, reinterpret_cast<LPARAM>(value));
        return dialog_;
    }
    std::string Text(int id) {
        char text[256] = {};
        GetDlgItemTextA(dialog_, id, text, sizeof text);
        return text;
    }

    HMODULE module_ = nullptr;
    HWND dialog_ = nullptr;
};

TEST_F(PluginConfigTest, CheckedOnlyForExactlyOneAndOkWritesBack) {
    struct Case {
        int before;
        bool checked;
    };
    for (const Case& c : {Case{1, true}, Case{0, false}, Case{2, false}, Case{-1, false}}) {
        int value = c.before;
        ASSERT_NE(Open(&value), nullptr);
        EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_CONFIG_ENABLE) == BST_CHECKED, c.checked) << c.before;
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        // OK turns any value into 0 or 1 from the box.
        EXPECT_EQ(value, c.checked ? 1 : 0) << c.before;
        DestroyWindow(dialog_);
        dialog_ = nullptr;
    }
}

TEST_F(PluginConfigTest, CancelChangesNothing) {
    int value = 2;
    ASSERT_NE(Open(&value), nullptr);
    CheckDlgButton(dialog_, IDC_CONFIG_ENABLE, BST_CHECKED);
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(value, 2);
}

}  // namespace
}  // namespace td::test
