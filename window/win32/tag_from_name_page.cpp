// The "Write Tag from filename" page: each chosen file's name split by the
// format pattern into fields, written into its ID3v1 tag, its ID3v2 tag or
// both (tools/tag_from_name.h does each).
#include <windows.h>

#include <memory>
#include <string>

#include "settings/settings.h"
#include "tools/tag_from_name.h"
#include "window/win32/model_dialog.h"
#include "window/win32/tool_page.h"
#include "window/window_resource.h"

namespace td {

namespace {

constexpr int kLangFileFormat = 311;
// The tag choices, in the order of tagFromNameVersion.
constexpr const char* kVersionItems[] = {"ID3v1", "ID3v2", "ID3v1 + ID3v2"};

class TagFromNamePage : public ToolPage {
public:
    explicit TagFromNamePage(const ToolPageContext& context)
        : ToolPage(context, IDD_TAG_FROM_NAME_PAGE, false) {}

private:
    void init() override {
        const ControlText label{IDC_FN_FORMAT_LABEL, kLangFileFormat};
        relabelDialog(hwnd(), -1, &label, 1);
        for (const char* item : kVersionItems) {
            SendDlgItemMessageA(hwnd(), IDC_FN_VERSION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        }
        const int version = settings().tagFromNameVersion;
        const int shown = version >= kFromNameV1 && version <= kFromNameBoth ? version : kFromNameBoth;
        SendDlgItemMessageA(hwnd(), IDC_FN_VERSION, CB_SETCURSEL, static_cast<WPARAM>(shown), 0);
        setTooltip(IDC_TP_FORMAT, kFromNameTooltip);
        setTooltipDelay(300);
    }

    void storeOptions() override {
        const int version = comboSelection(hwnd(), IDC_FN_VERSION);
        if (version >= 0) settings().tagFromNameVersion = version;
    }

    void run() override {
        storeOptions();
        // A newly typed pattern joins the history at once, valid or not.
        saveFormatHistory(false);
        const std::string pattern = formatText();
        if (!CheckTagFromNamePattern(pattern, prompter())) {
            SetFocus(control(IDC_TP_FORMAT));
            return;
        }
        const CompiledPattern compiled = compilePattern(pattern);
        TagFromNameOptions options;
        options.version = settings().tagFromNameVersion;
        options.caseMode = settings().caseConversion;
        options.charMode = settings().charConversion;
        runFiles(
            ToolKind::TagFromName, [&](int files) { return TagFromNameLogHeader(options.version, files); },
            [&](ToolFile& file) { return tagFileFromName(file.entry, file.listText, compiled, options); },
            [](int files) { return TagFromNameSummary(files); });
    }
};

}  // namespace

std::unique_ptr<ToolsDialogPage> MakeTagFromNamePage(const ToolPageContext& context) {
    return std::make_unique<TagFromNamePage>(context);
}

}  // namespace td
