// The "Organize MP3 files" page: each chosen file moved (copied from a
// CD-ROM) into a directory under the target named from its tags
// (tools/organize.h does each). The list shows full paths; the target is
// chosen with the folder browser and starts empty each time.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/prompter.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "tools/organize.h"
#include "window/win32/model_dialog.h"
#include "window/win32/tool_page.h"
#include "window/window_resource.h"

namespace td {

namespace {

constexpr int kLangTransfer = 18;
constexpr int kLangLayout = 316;  // "Directory name:"
constexpr int kLangTarget = 317;  // "Target:"
constexpr int kLangArtist = 87;
constexpr int kLangAlbum = 89;
constexpr int kLangGenre = 92;
constexpr const char* kSourceItems[] = {"ID3v1", "ID3v2"};

std::string LayoutItem(int layout) {
    const char* artist = LangTable::getString(kLangArtist);
    char text[160];
    if (layout == kLayoutArtistAlbum) {
        std::snprintf(text, sizeof text, "..\\%s\\%s", artist, LangTable::getString(kLangAlbum));
    } else {
        const int field = layout == kLayoutAlbum   ? kLangAlbum
                          : layout == kLayoutGenre ? kLangGenre
                                                   : kLangArtist;
        std::snprintf(text, sizeof text, "..\\%s", LangTable::getString(field));
    }
    return text;
}

class OrganizePage : public ToolPage {
public:
    explicit OrganizePage(const ToolPageContext& context) : ToolPage(context, IDD_ORGANIZE_PAGE, true) {}

private:
    void init() override {
        const ControlText texts[] = {{IDC_TP_GO, kLangTransfer},
                                     {IDC_OG_LAYOUT_LABEL, kLangLayout},
                                     {IDC_OG_TARGET_LABEL, kLangTarget}};
        relabelDialog(hwnd(), -1, texts);
        std::string layouts[kOrganizeLayoutCount];
        for (int layout = 0; layout < kOrganizeLayoutCount; ++layout) layouts[layout] = LayoutItem(layout);
        const int layout = settings().organizeLayout;
        fillCombo(hwnd(), IDC_OG_LAYOUT, layouts, kOrganizeLayoutCount,
                  layout >= 0 && layout < kOrganizeLayoutCount ? layout : 0);
        const std::string sources[] = {kSourceItems[0], kSourceItems[1]};
        fillCombo(hwnd(), IDC_OG_SOURCE, sources, 2, settings().organizeSource == 1 ? 1 : 0);
    }

    void storeOptions() override {
        const int layout = comboSelection(hwnd(), IDC_OG_LAYOUT);
        if (layout >= 0) settings().organizeLayout = layout;
        const int source = comboSelection(hwnd(), IDC_OG_SOURCE);
        if (source >= 0) settings().organizeSource = source;
    }

    bool command(int id, int code) override {
        if (id != IDC_OG_BROWSE) return false;
        if (code == BN_CLICKED) chooseTarget();
        return true;
    }

    void chooseTarget() {
        FolderDialogRequest request;
        request.title = LangTable::getString(kOrganizeTextNoTarget);
        request.folder = target_;
        const FolderDialogResult chosen = prompter().ChooseFolder(request);
        if (!chosen.chosen) return;
        target_ = chosen.path;
        SetDlgItemTextA(hwnd(), IDC_OG_TARGET, target_.c_str());
    }

    void run() override {
        storeOptions();
        if (!CheckOrganizeTarget(target_, prompter())) return;
        OrganizeOptions options;
        options.layout = settings().organizeLayout;
        options.source = settings().organizeSource;
        const std::string target = target_;
        runFiles(
            ToolKind::Organize, [](int files) { return OrganizeLogHeader(files); },
            [&](ToolFile& file) { return organizeFile(file.entry, target, options); },
            [&](int files) { return OrganizeSummary(files, target); }, true);
    }

    std::string target_;  // empty each time the page opens
};

}  // namespace

std::unique_ptr<ToolsDialogPage> MakeOrganizePage(const ToolPageContext& context) {
    return std::make_unique<OrganizePage>(context);
}

}  // namespace td
