// The pages of the tag tools dialog, and the frame the five batch pages share.
//
// A batch page is a child dialog template holding the frame's controls it
// uses (IDC_TP_* in window_resource.h) beside its own, and a class derived
// from ToolPage that fills in init, storeOptions, command and run. The frame
// does the rest: the file list (filled from the window's rows, its selection
// followed by the window's, its context menu), "Only selected item", the
// trace log check box, path and "..." chooser, the tooltips, the case and
// character menu, the format pattern field with its history and token
// labels, and the run itself with its progress bar, status line and Abort
// button. /work/notes/toolpage.md tells how to add a page.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "tools/format_pattern.h"
#include "tools/tool_run.h"
#include "window/dialogs/tool_page_model.h"

namespace td {

class PlaylistView;
class Prompter;
class Settings;

// What a page works with.
struct ToolPageContext {
    HINSTANCE module = nullptr;
    PlaylistView* view = nullptr;  // the window's rows and selection
    Settings* settings = nullptr;
    Prompter* prompter = nullptr;  // every message, question and chooser
};

// One page of the tools dialog, shown over the tab's display area. Only one
// exists at a time.
class ToolsDialogPage {
public:
    virtual ~ToolsDialogPage() = default;
    virtual HWND create(HWND parent) = 0;
    virtual HWND hwnd() const = 0;
    // The page is about to go (tab change, OK, Cancel): it stores its
    // options or offers to write what it holds.
    virtual void leave() = 0;
    // A run holds the page: the dialog neither closes nor changes tabs.
    virtual bool busy() const { return false; }
};

class ToolPage : public ToolsDialogPage, private ProgressSink {
public:
    // `templateId`: the page's dialog template; `fullPaths`: the list shows
    // full paths (organize).
    ToolPage(const ToolPageContext& context, int templateId, bool fullPaths);
    ~ToolPage() override;

    HWND create(HWND parent) override;
    HWND hwnd() const override { return hwnd_; }
    void leave() override;
    bool busy() const override { return running_; }

protected:
    // Labels and options from the Settings (the frame's controls are ready).
    virtual void init() {}
    // Options into the Settings: when the page goes and when a run starts.
    virtual void storeOptions() {}
    // The page's own controls; true when handled.
    virtual bool command(int id, int code) {
        (void)id;
        (void)code;
        return false;
    }
    // The run button: store the options, check the tool's preconditions,
    // then call runFiles.
    virtual void run() = 0;

    // The common run over the list with this page's progress and Abort.
    // Afterwards the list shows the entries as they now are.
    ToolRunResult runFiles(ToolKind kind, const std::function<std::string(int files)>& logHeader,
                           const ToolFileWork& work, const std::function<std::string(int files)>& summary,
                           bool moveLines = false);

    // The run button is enabled only while `on` (and no run goes on).
    void enableRun(bool on);
    // A tooltip over a control of the page (replaces an earlier one).
    void setTooltip(int control, const std::string& text);
    // A tooltip whose text tooltipText(control) gives each time it shows.
    void setDynamicTooltip(int control);
    virtual std::string tooltipText(int control) {
        (void)control;
        return std::string();
    }
    // The tooltips' automatic delay (the naming pages use 300 ms).
    void setTooltipDelay(int ms);
    // The format pattern field (IDC_TP_FORMAT): its text, and its history
    // (saveFormatHistory without validation before a run or preview).
    std::string formatText() const;
    void saveFormatHistory(bool validate);

    HWND control(int id) const { return GetDlgItem(hwnd_, id); }
    Settings& settings() { return *context_.settings; }
    Prompter& prompter() { return *context_.prompter; }
    ToolPageModel& model() { return model_; }

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void initFrame();
    bool frameCommand(int id, int code);
    void showFiles();
    void readSelection();
    void listMenu(LPARAM position);
    void conversionMenu();
    void insertToken(int index);
    void showLogPath();
    void enableLogControls();
    void showFormatHistory();
    void dynamicTooltip(LPARAM lParam, bool wide);
    // ProgressSink
    void begin(int total) override;
    void advance(int done, int total, const std::string& status) override;
    void end() override;
    bool stopRequested() override { return stop_; }
    void pump();

    ToolPageContext context_;
    int templateId_;
    ToolPageModel model_;
    FormatHistory history_;
    HWND hwnd_ = nullptr;
    HWND tips_ = nullptr;
    bool runAllowed_ = true;
    bool running_ = false;
    bool stop_ = false;
    bool filling_ = false;
    HCURSOR cursor_ = nullptr;
    std::string tipText_;  // the dynamic tooltip's text while it shows
    std::wstring tipTextW_;
};

// A control's text in the ANSI code page; false (and `text` untouched) when
// it holds a character the code page lacks.
bool ReadAnsiText(HWND control, std::string& text);

// The batch pages, one per tool.
std::unique_ptr<ToolsDialogPage> MakeMassTagPage(const ToolPageContext& context);
std::unique_ptr<ToolsDialogPage> MakeTagFromNamePage(const ToolPageContext& context);
std::unique_ptr<ToolsDialogPage> MakeRenamePage(const ToolPageContext& context);
std::unique_ptr<ToolsDialogPage> MakeConvertPage(const ToolPageContext& context);
std::unique_ptr<ToolsDialogPage> MakeOrganizePage(const ToolPageContext& context);

}  // namespace td
