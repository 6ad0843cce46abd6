// The "Mass Tag" page: the same values into chosen fields of the ID3v1 tag,
// the ID3v2 tag or both, for every chosen file (tools/mass_tag.h does each).
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "settings/settings.h"
#include "tags/id3v1/id3v1.h"
#include "tools/mass_tag.h"
#include "window/win32/model_dialog.h"
#include "window/win32/tool_page.h"
#include "window/window_resource.h"

namespace td {

namespace {

// "&Title", "&Artist", "Al&bum", "&Year", "Trac&k#", "&Genre", "&Comment".
constexpr int kFieldLabels[kMassTagFieldCount] = {302, 301, 303, 304, 307, 306, 305};

class MassTagPage : public ToolPage {
public:
    explicit MassTagPage(const ToolPageContext& context) : ToolPage(context, IDD_MASS_TAG_PAGE, false) {}

private:
    void init() override {
        for (int f = 0; f < kMassTagFieldCount; ++f) {
            const ControlText label{IDC_MT_CHECK_FIRST + f, kFieldLabels[f]};
            relabelDialog(hwnd(), -1, &label, 1);
            setChecked(hwnd(), IDC_MT_CHECK_FIRST + f, (settings().massTagFields >> f) & 1u);
        }
        HWND genre = control(IDC_MT_VALUE_FIRST + kMassGenre);
        for (int g = 1; g < kGenreCount; ++g) {
            SendMessageA(genre, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GenreName(g)));
        }
        SendDlgItemMessageA(hwnd(), IDC_MT_VALUE_FIRST + kMassYear, EM_LIMITTEXT, 4, 0);
        SendDlgItemMessageA(hwnd(), IDC_MT_VALUE_FIRST + kMassTrack, EM_LIMITTEXT, 3, 0);
        setChecked(hwnd(), IDC_MT_V1, settings().massTagVersions & kMassTagV1);
        setChecked(hwnd(), IDC_MT_V2, settings().massTagVersions & kMassTagV2);
        enableFields();
    }

    uint32_t checkedFields() const {
        uint32_t fields = 0;
        for (int f = 0; f < kMassTagFieldCount; ++f) {
            if (isChecked(hwnd(), IDC_MT_CHECK_FIRST + f)) fields |= 1u << f;
        }
        return fields;
    }

    uint32_t checkedVersions() const {
        return (isChecked(hwnd(), IDC_MT_V1) ? kMassTagV1 : 0u) |
               (isChecked(hwnd(), IDC_MT_V2) ? kMassTagV2 : 0u);
    }

    void enableFields() {
        const uint32_t fields = checkedFields();
        for (int f = 0; f < kMassTagFieldCount; ++f) {
            enableControl(hwnd(), IDC_MT_VALUE_FIRST + f, (fields >> f) & 1u);
        }
        enableRun(fields != 0);
    }

    void storeOptions() override {
        settings().massTagFields = checkedFields();
        settings().massTagVersions = checkedVersions();
    }

    // A value as typed; one the code page cannot hold is put back as it was.
    void readValue(int f) {
        HWND field = control(IDC_MT_VALUE_FIRST + f);
        std::string& value = values_[static_cast<size_t>(f)];
        if (ReadAnsiText(field, value)) return;
        HWND edit = f == kMassGenre ? GetWindow(field, GW_CHILD) : field;
        SetWindowTextA(edit ? edit : field, value.c_str());
        MessageBeep(MB_ICONWARNING);
    }

    bool command(int id, int code) override {
        if (id >= IDC_MT_CHECK_FIRST && id < IDC_MT_CHECK_FIRST + kMassTagFieldCount) {
            enableFields();
            return true;
        }
        if (id < IDC_MT_VALUE_FIRST || id >= IDC_MT_VALUE_FIRST + kMassTagFieldCount) return false;
        const int f = id - IDC_MT_VALUE_FIRST;
        if (code == EN_CHANGE || code == CBN_EDITCHANGE) readValue(f);
        if (code == CBN_SELCHANGE) {
            const LRESULT index = SendDlgItemMessageA(hwnd(), id, CB_GETCURSEL, 0, 0);
            if (index >= 0) values_[static_cast<size_t>(f)] = GenreName(static_cast<int>(index) + 1);
        }
        return true;
    }

    void run() override {
        storeOptions();
        MassTagOptions options;
        options.fields = settings().massTagFields;
        options.versions = settings().massTagVersions;
        if (!CheckMassTagVersions(options.versions, prompter())) return;
        options.values = values_;
        runFiles(
            ToolKind::MassTag, [&](int files) { return MassTagLogHeader(options.versions, files); },
            [&](ToolFile& file) { return massTagFile(file.entry, options); },
            [](int files) { return MassTagSummary(files); });
    }

    std::array<std::string, kMassTagFieldCount> values_;
};

}  // namespace

std::unique_ptr<ToolsDialogPage> MakeMassTagPage(const ToolPageContext& context) {
    return std::make_unique<MassTagPage>(context);
}

}  // namespace td
