// The way every batch tag tool runs (mass tag, rename, tag from file name,
// conversion and removal, organize): the files to work on, the confirmation,
// the optional trace log, progress, and the closing summary. One failing file
// never stops a run.
//
// This is the portable core shared by the tools dialog's pages and the
// command line: questions and messages go through td::Prompter, progress
// through a ProgressSink that each front end implements.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tags/id3v2/id3v2_error.h"

namespace td {

class File;
class PlaylistView;
class Prompter;
class SongRecord;

// Tool kinds as the confirmation knows them.
enum class ToolKind : int {
    MassTag = 0,
    Rename = 1,
    TagFromName = 2,
    CopyV1ToV2 = 3,
    CopyV2ToV1 = 4,
    RemoveV1 = 5,
    RemoveV2 = 6,
    RemoveAll = 7,
    Organize = 8,
};

// LangTable numbers of the run's texts.
enum ToolText : int {
    kToolTextTitle = 1,          // "Tunedeck for Winamp"
    kToolTextFailed = 24,        // "Failed"
    kToolTextSuccess = 25,       // "Success"
    kToolTextNoneSelected = 27,  // "At least 1 file must be selected !!!"
    kToolTextChooseLog = 28,     // "Choose a log file !!!"
    kToolTextLogError = 29,      // "Error log file !!!"
    kToolTextFileLine = 30,      // "file%d=(%s): %s"
    kToolTextWorking = 31,       // "Working %d/%d: current file: %s"
    kToolTextMoveLine = 69,      // "file%d=(%s): %s --> %s"
    kToolTextConfirmFirst = 71,  // kind 0; kinds 1 to 8 follow (71 + kind)
    kToolTextMoreFiles = 80,     // "<More files> ..."
    kToolTextProceed = 81,       // "Would you like to proceed them ?"
    kToolTextDate = 108,         // "Date: %s"
    kToolTextLogFilter = 109,    // "ASCII file (*.txt)|*.TXT|Log file (*.log)|*.log|"
    kToolTextAbort = 363,        // "Abort"
    kToolTextTotal = 365,        // "%d / %d Total"
};

// The confirmation lists at most this many files.
constexpr int kConfirmListedFiles = 10;
// Longest log path the page's field holds.
constexpr size_t kLogPathMax = 259;

// One file a run can work on: its playlist entry (never owned; the tool
// changes it in place) and the text of its list item (the file name without
// directory, or the full path on the organize page).
struct ToolFile {
    SongRecord* entry = nullptr;
    std::string listText;
};

// The page's file list: items in list order with their selected state.
struct ToolFileList {
    std::vector<ToolFile> items;
    std::vector<bool> selected;  // same size as items

    int count() const { return static_cast<int>(items.size()); }
    void selectAll(bool selected);
    void toggleAll();
    // The entries of the selected items in list order (for syncSelection).
    std::vector<SongRecord*> selectedEntries() const;
};

// fillFileList: every view row that carries an entry, top to bottom, selected
// when the row is selected in the view. `fullPaths` for the organize page.
ToolFileList fillFileList(const PlaylistView& view, bool fullPaths);
// syncSelection: the view's selection becomes the entries of the selected
// items (rows of other entries are deselected).
void syncSelection(const ToolFileList& list, PlaylistView& view);
// A list of entries that are not in any view (the command line): each item
// is selected; its text is the file name, or the full path with `fullPaths`.
ToolFileList FileListFromEntries(const std::vector<SongRecord*>& entries, bool fullPaths);

// The confirmation text for `kind` over the given list texts (n = their
// number): the kind's message, up to ten names, "<More files> ..." beyond
// ten, and the closing question.
std::string ConfirmationText(ToolKind kind, const std::vector<std::string>& listTexts);
// The same with a question of the caller's own (already formatted).
std::string ConfirmationText(const std::string& question, const std::vector<std::string>& listTexts);
// The kind's question alone ("Mass set ID3TAG on %d file(s) ?" and so on),
// unformatted, from the LangTable.
const char* ConfirmationMessage(ToolKind kind);

// The chosen log file name after the save dialog: ".txt" for filter 1,
// ".log" for filter 2, unless the name already ends (in any case) with it.
std::string LogFileNameWithExtension(const std::string& name, int filterIndex);

// "yyyy/MM/dd HH:mm" of a local time.
std::string LogDateText(const std::tm& local);
// The same of the current local time.
std::string LogDateTextNow();

// The trace log file. Lines end in CR LF on every platform: the log is the
// text-mode file the Windows plug-in writes, and keeping the bytes identical
// everywhere lets a log be compared or shipped between systems. Written
// through td::Fs() in whole lines, so a failing disk shows as a failed write.
class TraceLog {
public:
    TraceLog();
    ~TraceLog();
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;

    // Creates (truncates) the file. False when it cannot be created.
    bool create(const std::string& path);
    bool isOpen() const { return file_ != nullptr; }
    // Layout items 1 and 2: the product title, the line of hyphens, "Date: ",
    // a blank line.
    void writeHead(const std::string& dateText);
    // Item 3: the tool's header line and a blank line.
    void writeHeader(const std::string& header);
    // Item 4: "file%d=(%s): %s".
    void writeFileLine(int number, bool success, const std::string& path);
    // Organize: "file%d=(%s): %s --> %s".
    void writeMoveLine(int number, bool success, const std::string& before, const std::string& after);
    // Closes the file; false when any write or the close failed.
    bool close();
    // Text with every "\n" written as the line end (CR LF).
    void write(const std::string& text);

private:
    std::unique_ptr<File> file_;
    bool ok_ = true;
};

// How a front end shows a run's progress: a progress bar (range 0..total,
// step 1) and the status line "Working %d/%d: current file: %s".
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // The bar appears at 0 of `total`.
    virtual void begin(int total) = 0;
    // File `done` (1-based) of `total` has been processed; `status` is the
    // status line text.
    virtual void advance(int done, int total, const std::string& status) = 0;
    // The bar and the status line go away.
    virtual void end() = 0;
    // Asked before every file but the first: true stops the run there (the
    // files done stay done).
    virtual bool stopRequested() { return false; }
};

// What one file's work reports back to the run.
using ToolFileWork = std::function<bool(ToolFile& file)>;

struct ToolRunResult {
    bool ran = false;   // false when gathering, confirming or the log stopped it
    int processed = 0;  // files run (the summary's number)
    int succeeded = 0;
    int failed = 0;
    bool logFailed = false;  // a write to the trace log failed
    bool stopped = false;    // the user stopped it before the last file
};

// The common run. Use either `run` for the whole sequence, or the steps one
// by one (gatherFiles, openTraceLog, execute, showSummary) when a tool checks
// something in between.
class ToolRun {
public:
    // `progress` may be null.
    ToolRun(Prompter& prompter, ProgressSink* progress);
    ~ToolRun();
    ToolRun(const ToolRun&) = delete;
    ToolRun& operator=(const ToolRun&) = delete;

    // Date text written into the log's head; the current local time unless
    // set (tests set a fixed one).
    void setDateText(const std::string& text) { dateText_ = text; }

    // gatherFiles: with `onlySelected`, the selected items (none: the error
    // message, false); otherwise every item. Then the confirmation (Yes/No,
    // No the default); true only on Yes.
    bool gatherFiles(const ToolFileList& list, bool onlySelected, ToolKind kind);
    // List indexes chosen by gatherFiles, in run order.
    const std::vector<int>& chosen() const { return chosen_; }

    // openTraceLog: without `enabled` proceeds without a log. An empty path
    // (or one over 259 characters) shows "Choose a log file !!!", a file that
    // cannot be created "Error log file !!!"; both return false.
    bool openTraceLog(bool enabled, const std::string& path);

    // Steps 3 to 6: the log's header line (when a log is open), progress,
    // and `work` for every chosen file in order. Each file's log line shows
    // its path after the work (organize: before and after, with
    // `moveLines`). A run the progress sink stops ends its log with
    // "Abort: <run> / <chosen> Total". Closes the log.
    ToolRunResult execute(ToolFileList& list, const std::string& logHeader, const ToolFileWork& work,
                          bool moveLines = false);

    // Step 7: the summary text, caption "Information".
    void showSummary(const std::string& text);

    // The whole run: gather and confirm, open the log, execute, summary.
    // `logHeader` is formatted with the number of files chosen, `summary`
    // with the number run, by the callbacks so that every tool keeps its
    // own wording.
    ToolRunResult run(ToolFileList& list, bool onlySelected, ToolKind kind, bool traceLog,
                      const std::string& logPath, const std::function<std::string(int files)>& logHeader,
                      const ToolFileWork& work, const std::function<std::string(int files)>& summary,
                      bool moveLines = false);

    Prompter& prompter() { return prompter_; }

private:
    Prompter& prompter_;
    ProgressSink* progress_;
    std::vector<int> chosen_;
    TraceLog log_;
    std::string dateText_;
};

// "Success" or "Failed" (LangTable).
const char* ResultText(bool success);
// Shows an error text with caption "Error" and the error icon.
void ShowToolError(Prompter& prompter, const std::string& text);
// Shows a text with caption "Information" and the information icon.
void ShowToolInformation(Prompter& prompter, const std::string& text);

// How a tool writes a file it changed. By default a read-only file simply
// fails (the batch pages write without asking); with `askReadOnly` the user
// is asked whether to force the save (ConfirmReadOnlyWrite).
struct ToolSave {
    bool askReadOnly = false;
    Prompter* prompter = nullptr;  // needed with askReadOnly
};
// Writes the record's tags as `save` says.
// A record whose tags the engine refuses to save is refused before anyone
// is asked to force anything.
Id3v2Error SaveToolRecord(SongRecord& record, const ToolSave& save);

// The one read-only question of every write the user started. When `path`
// is not read-only, `write` just runs. When it is, the user is asked
// "Do you want to force save tag (file %s is read only) ?" (LangTable 336,
// caption "Question", OK / Cancel); on OK the attribute is cleared for the
// write and put back afterwards, whether or not the write went through.
// Returns `write`'s result, WriteFailed when the attributes cannot be read,
// or CancelReadOnly when the user declined or the
// attribute could not be cleared ("Cannot remove read only on file %s",
// LangTable 337, shown as an error).
Id3v2Error ConfirmReadOnlyWrite(const std::string& path, Prompter& prompter,
                                const std::function<Id3v2Error()>& write);

// A record read from an untagged file carries an artist frame made from the
// file name, meant for display only. A tool about to give such a record an
// ID3v2 tag drops it first, or the file name would be written as the artist.
// True when one was dropped.
bool DropFileNameFrame(SongRecord& record);

// Whether a file exists for a tool's fresh load: a SongRecord of a missing
// file would otherwise carry on as an empty record.
bool ToolFileExists(const std::string& path);

}  // namespace td
