// The part every batch page of the tag tools dialog shares (mass tag, rename,
// tag from file name, conversion, organize): the file list taken from the
// window's rows, "Only selected item", the trace log and its chooser, the case
// and character conversion choices, and the run. The per-file work stays in
// tools/; the Win32 frame (window/win32/tool_page.h) only shows this.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/tool_run.h"

namespace td {

class PlaylistView;
class Prompter;
class Settings;

class ToolPageModel {
public:
    // `fullPaths`: the items show full paths (organize) rather than names.
    ToolPageModel(PlaylistView& view, Settings& settings, bool fullPaths);

    // fillFileList: the window's rows top to bottom, selected as they are
    // selected there.
    void fill();
    const ToolFileList& files() const { return files_; }
    // The list's selection changed: the window's selection follows it.
    void setSelected(const std::vector<bool>& selected);
    // The list's context menu: every item, none, each item inverted.
    enum class Pick { All, None, Toggle };
    void pick(Pick how);

    bool onlySelected = true;  // checked whenever a page opens
    bool traceLog = false;
    std::string logPath;

    // chooseLogFile: the save dialog over the current path; on a choice the
    // path gets the chosen filter's extension and true is returned.
    bool chooseLogFile(Prompter& prompter);

    // The pop-up menu of the naming pages: items 0 to 4 choose the case
    // conversion, 5 to 7 the character conversion, stored at once.
    static constexpr int kConversionItems = 8;
    bool conversionChecked(int item) const;
    void chooseConversion(int item);

    // The common run over the list (gather and confirm, log, every file,
    // summary). `progress` may stop it between two files.
    ToolRunResult run(Prompter& prompter, ProgressSink* progress, ToolKind kind,
                      const std::function<std::string(int files)>& logHeader, const ToolFileWork& work,
                      const std::function<std::string(int files)>& summary, bool moveLines = false);

private:
    PlaylistView& view_;
    Settings& settings_;
    bool fullPaths_;
    ToolFileList files_;
};

}  // namespace td
