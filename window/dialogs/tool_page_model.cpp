#include "window/dialogs/tool_page_model.h"

#include "platform/prompter.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "tools/text_convert.h"

namespace td {

ToolPageModel::ToolPageModel(PlaylistView& view, Settings& settings, bool fullPaths)
    : view_(view), settings_(settings), fullPaths_(fullPaths) {}

void ToolPageModel::fill() { files_ = fillFileList(view_, fullPaths_); }

void ToolPageModel::setSelected(const std::vector<bool>& selected) {
    files_.selected = selected;
    files_.selected.resize(files_.items.size(), false);
    syncSelection(files_, view_);
}

void ToolPageModel::pick(Pick how) {
    if (how == Pick::Toggle)
        files_.toggleAll();
    else
        files_.selectAll(how == Pick::All);
    syncSelection(files_, view_);
}

bool ToolPageModel::chooseLogFile(Prompter& prompter) {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.title = LangTable::getString(kToolTextChooseLog);
    request.filter = LangTable::getString(kToolTextLogFilter);
    request.fileName = logPath;
    const FileDialogResult result = prompter.ChooseFiles(request);
    if (result.outcome != FileDialogOutcome::Chosen || result.paths.empty()) return false;
    logPath = LogFileNameWithExtension(result.paths.front(), result.filterIndex);
    return true;
}

bool ToolPageModel::conversionChecked(int item) const {
    if (item < kCaseConversionCount) return settings_.caseConversion == item;
    return settings_.charConversion == item - kCaseConversionCount;
}

void ToolPageModel::chooseConversion(int item) {
    if (item < 0 || item >= kConversionItems) return;
    if (item < kCaseConversionCount)
        settings_.caseConversion = item;
    else
        settings_.charConversion = item - kCaseConversionCount;
}

ToolRunResult ToolPageModel::run(Prompter& prompter, ProgressSink* progress, ToolKind kind,
                                 const std::function<std::string(int)>& logHeader, const ToolFileWork& work,
                                 const std::function<std::string(int)>& summary, bool moveLines) {
    ToolRun run(prompter, progress);
    return run.run(files_, onlySelected, kind, traceLog, logPath, logHeader, work, summary, moveLines);
}

}  // namespace td
