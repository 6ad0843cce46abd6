// The "Conversion / Remove Tag" page: five buttons, each a run at once over
// the chosen files: ID3v1 copied into ID3v2 or back, or ID3v1, ID3v2 or both
// removed (tools/convert.h does each file).
#include <windows.h>

#include <memory>
#include <string>

#include "tools/convert.h"
#include "window/win32/model_dialog.h"
#include "window/win32/tool_page.h"
#include "window/window_resource.h"

namespace td {

namespace {

constexpr int kLangGroup = 296;        // "Conversion / Remove Tag"
constexpr int kLangRemoveFirst = 313;  // "Remove ID3v1", "Remove ID3v2", "Remove ID3v1+ID3v2"

class ConvertPage : public ToolPage {
public:
    explicit ConvertPage(const ToolPageContext& context) : ToolPage(context, IDD_CONVERT_PAGE, false) {}

private:
    void init() override {
        const ControlText texts[] = {{IDC_CV_GROUP, kLangGroup},
                                     {IDC_CV_OP_FIRST + kConvertRemoveV1, kLangRemoveFirst},
                                     {IDC_CV_OP_FIRST + kConvertRemoveV2, kLangRemoveFirst + 1},
                                     {IDC_CV_OP_FIRST + kConvertRemoveAll, kLangRemoveFirst + 2}};
        relabelDialog(hwnd(), -1, texts);
    }

    bool command(int id, int code) override {
        if (id < IDC_CV_OP_FIRST || id >= IDC_CV_OP_FIRST + kConvertOpCount) return false;
        // The confirmation and the run let messages through (the run for
        // its Abort button): a click that reaches another operation
        // meanwhile starts nothing.
        if (code == BN_CLICKED && !converting_) convert(id - IDC_CV_OP_FIRST);
        return true;
    }

    // The page has no GO button: each operation has its own.
    void run() override {}

    void convert(int op) {
        converting_ = true;
        enableButtons(false);
        runFiles(
            ConvertKind(op), [op](int files) { return ConvertLogHeader(op, files); },
            [op](ToolFile& file) { return convertFile(file.entry, op); },
            [op](int files) { return ConvertSummary(op, files); });
        enableButtons(true);
        converting_ = false;
    }

    void enableButtons(bool on) {
        for (int op = 0; op < kConvertOpCount; ++op) enableControl(hwnd(), IDC_CV_OP_FIRST + op, on);
    }

    bool converting_ = false;
};

}  // namespace

std::unique_ptr<ToolsDialogPage> MakeConvertPage(const ToolPageContext& context) {
    return std::make_unique<ConvertPage>(context);
}

}  // namespace td
