// The "Rename file from Tag" page: each chosen file renamed, in its own
// directory, to the format pattern filled with its tag fields
// (tools/rename.h does each). The pattern field's tooltip previews the
// first new names, computed when it is about to show.
#include <windows.h>

#include <memory>
#include <string>

#include "settings/settings.h"
#include "tools/rename.h"
#include "window/win32/model_dialog.h"
#include "window/win32/tool_page.h"
#include "window/window_resource.h"

namespace td {

namespace {

constexpr int kLangFileFormat = 311;
// The tag choices, in the order of renameSource.
constexpr const char* kSourceItems[] = {"ID3v1", "ID3v2", "ID3v2 / ID3v1", "ID3v1 / ID3v2"};

class RenamePage : public ToolPage {
public:
    explicit RenamePage(const ToolPageContext& context) : ToolPage(context, IDD_RENAME_PAGE, false) {}

private:
    void init() override {
        const ControlText label{IDC_RN_FORMAT_LABEL, kLangFileFormat};
        relabelDialog(hwnd(), -1, &label, 1);
        for (const char* item : kSourceItems) {
            SendDlgItemMessageA(hwnd(), IDC_RN_SOURCE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        }
        const int source = settings().renameSource;
        SendDlgItemMessageA(hwnd(), IDC_RN_SOURCE, CB_SETCURSEL,
                            static_cast<WPARAM>(source >= 0 && source < 4 ? source : 0), 0);
        setDynamicTooltip(IDC_TP_FORMAT);
        setTooltipDelay(300);
    }

    void storeOptions() override {
        const int source = comboSelection(hwnd(), IDC_RN_SOURCE);
        if (source >= 0) settings().renameSource = source;
    }

    RenameOptions options() {
        storeOptions();
        RenameOptions chosen;
        chosen.source = settings().renameSource;
        chosen.caseMode = settings().caseConversion;
        chosen.charMode = settings().charConversion;
        return chosen;
    }

    std::string tooltipText(int id) override {
        if (id != IDC_TP_FORMAT) return std::string();
        saveFormatHistory(false);
        return RenamePreview(formatText(), model().files(), model().onlySelected, options());
    }

    void run() override {
        const RenameOptions chosen = options();
        // A newly typed pattern joins the history at once, valid or not.
        saveFormatHistory(false);
        const std::string pattern = formatText();
        if (!CheckRenamePattern(pattern, prompter())) {
            SetFocus(control(IDC_TP_FORMAT));
            return;
        }
        runFiles(
            ToolKind::Rename, [](int files) { return RenameLogHeader(files); },
            [&](ToolFile& file) { return renameFile(file.entry, pattern, chosen); },
            [](int files) { return RenameSummary(files); });
    }
};

}  // namespace

std::unique_ptr<ToolsDialogPage> MakeRenamePage(const ToolPageContext& context) {
    return std::make_unique<RenamePage>(context);
}

}  // namespace td
