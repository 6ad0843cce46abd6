#include "tools/tool_run.h"

#include <cctype>
#include <cstdio>
#include <unordered_set>

#include "platform/file_system.h"
#include "platform/prompter.h"
#include "platform/text_codec.h"
#include "playlist/text_format.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_error.h"
#include "tags/song_record.h"

namespace td {

namespace {

const char* Text(int id) { return LangTable::getString(id); }

// Log lines end in CR LF whatever the platform (see TraceLog).
std::string WithLineEnds(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
    const std::string_view s(suffix);
    return text.size() >= s.size() &&
           text::EqualNoCase(std::string_view(text).substr(text.size() - s.size()), s);
}

}  // namespace

// ---------------------------------------------------------------------------
// File list

void ToolFileList::selectAll(bool value) { selected.assign(items.size(), value); }

void ToolFileList::toggleAll() {
    selected.resize(items.size(), false);
    for (size_t i = 0; i < selected.size(); ++i) selected[i] = !selected[i];
}

std::vector<SongRecord*> ToolFileList::selectedEntries() const {
    std::vector<SongRecord*> out;
    for (size_t i = 0; i < items.size() && i < selected.size(); ++i) {
        if (selected[i]) out.push_back(items[i].entry);
    }
    return out;
}

ToolFileList fillFileList(const PlaylistView& view, bool fullPaths) {
    ToolFileList list;
    for (const ViewRow& row : view.rows()) {
        if (!row.entry) continue;
        ToolFile file;
        file.entry = row.entry;
        file.listText = fullPaths ? row.entry->GetFileName() : BaseName(row.entry->GetFileName());
        list.items.push_back(std::move(file));
        list.selected.push_back(row.selected);
    }
    return list;
}

void syncSelection(const ToolFileList& list, PlaylistView& view) {
    const std::vector<SongRecord*> entries = list.selectedEntries();
    const std::unordered_set<SongRecord*> chosen(entries.begin(), entries.end());
    view.suspendSelectionUpdates(true);
    for (int row = 0; row < view.rowCount(); ++row) {
        view.setSelected(row, chosen.count(view.entryAt(row)) > 0);
    }
    view.suspendSelectionUpdates(false);
    view.recomputeSelectedLength();
}

ToolFileList FileListFromEntries(const std::vector<SongRecord*>& entries, bool fullPaths) {
    ToolFileList list;
    for (SongRecord* entry : entries) {
        ToolFile file;
        file.entry = entry;
        if (entry) file.listText = fullPaths ? entry->GetFileName() : BaseName(entry->GetFileName());
        list.items.push_back(std::move(file));
        list.selected.push_back(true);
    }
    return list;
}

// ---------------------------------------------------------------------------
// Texts

const char* ConfirmationMessage(ToolKind kind) {
    int k = static_cast<int>(kind);
    if (k < 0 || k > static_cast<int>(ToolKind::Organize)) k = 0;
    return Text(kToolTextConfirmFirst + k);
}

std::string ConfirmationText(ToolKind kind, const std::vector<std::string>& listTexts) {
    const int n = static_cast<int>(listTexts.size());
    return ConfirmationText(FormatLangText(ConfirmationMessage(kind), {n}), listTexts);
}

std::string ConfirmationText(const std::string& question, const std::vector<std::string>& listTexts) {
    const int n = static_cast<int>(listTexts.size());
    std::string text = question;
    text += "\n\n";
    for (int i = 0; i < n && i < kConfirmListedFiles; ++i) {
        text += listTexts[static_cast<size_t>(i)];
        text += "\n";
    }
    if (n > kConfirmListedFiles) {
        text += "\n\n";
        text += Text(kToolTextMoreFiles);
    }
    text += "\n\n";
    text += Text(kToolTextProceed);
    return text;
}

std::string LogFileNameWithExtension(const std::string& name, int filterIndex) {
    const char* extension = filterIndex == 1 ? ".txt" : filterIndex == 2 ? ".log" : nullptr;
    if (!extension || EndsWithNoCase(name, extension)) return name;
    return name + extension;
}

std::string LogDateText(const std::tm& local) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min);
    return buffer;
}

std::string LogDateTextNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return LogDateText(local);
}

const char* ResultText(bool success) { return Text(success ? kToolTextSuccess : kToolTextFailed); }

void ShowToolError(Prompter& prompter, const std::string& text) {
    prompter.Message(text, Text(kLangError), PromptButtons::Ok, PromptIcon::Error);
}

void ShowToolInformation(Prompter& prompter, const std::string& text) {
    prompter.Message(text, Text(kLangInformation), PromptButtons::Ok, PromptIcon::Information);
}

bool ToolFileExists(const std::string& path) {
    FileStatus status;
    return !path.empty() && Fs().GetStatus(path, status) && (status.attributes & kAttrDirectory) == 0;
}

bool DropFileNameFrame(SongRecord& record) {
    if (record.HasId3v1() || record.HasId3v2()) return false;
    const int index = record.FindFrame(kTPE1, -1);
    if (index < 0) return false;
    Id3v2Frame* frame = record.GetFrameAt(index);
    std::string name = BaseName(record.GetFileName());
    if (!name.empty() && name[0] >= 'a' && name[0] <= 'z') name[0] = static_cast<char>(name[0] - 32);
    if (SongRecord::MainText(frame) != name) return false;
    return record.RemoveFrame(kTPE1, frame);
}

Id3v2Error SaveToolRecord(SongRecord& record, const ToolSave& save) {
    if (!save.askReadOnly || !save.prompter) return record.SaveTags();
    if (!record.CanSaveTags()) return record.SaveTags();  // its refusal, unasked
    return ConfirmReadOnlyWrite(record.GetFileName(), *save.prompter, [&record] {
        return record.SaveTags() == Id3v2Error::NoError ? Id3v2Error::NoError : Id3v2Error::WriteFailed;
    });
}

Id3v2Error ConfirmReadOnlyWrite(const std::string& path, Prompter& prompter,
                                const std::function<Id3v2Error()>& write) {
    FileSystem& fs = Fs();
    uint32_t attributes = 0;
    if (!fs.GetAttributes(path, attributes)) return Id3v2Error::WriteFailed;
    if (!(attributes & kAttrReadOnly)) return write();
    const PromptAnswer answer = prompter.Message(
        FormatLangText(LangTable::getString(kLangForceSaveReadOnly), {path}),
        LangTable::getString(kLangQuestion), PromptButtons::OkCancel, PromptIcon::Information);
    if (answer != PromptAnswer::Ok) return Id3v2Error::CancelReadOnly;
    if (!fs.SetAttributes(path, attributes & ~kAttrReadOnly)) {
        ShowToolError(prompter, FormatLangText(LangTable::getString(kLangCannotRemoveReadOnly), {path}));
        return Id3v2Error::CancelReadOnly;
    }
    const Id3v2Error rc = write();
    // The user allowed one forced write, not a writable file.
    fs.SetAttributes(path, attributes);
    return rc;
}

// ---------------------------------------------------------------------------
// Trace log

TraceLog::TraceLog() = default;

TraceLog::~TraceLog() { close(); }

bool TraceLog::create(const std::string& path) {
    close();
    ok_ = true;
    file_ = Fs().Open(path, OpenMode::Create);
    return file_ != nullptr;
}

void TraceLog::write(const std::string& text) {
    if (!file_) return;
    const std::string bytes = WithLineEnds(text);
    if (file_->Write(bytes.data(), bytes.size()) != bytes.size()) ok_ = false;
}

void TraceLog::writeHead(const std::string& dateText) {
    write(std::string(Text(kToolTextTitle)) + "\n----------------------\n");
    write(FormatLangText(Text(kToolTextDate), {dateText}) + "\n\n");
}

void TraceLog::writeHeader(const std::string& header) { write(header + "\n\n"); }

void TraceLog::writeFileLine(int number, bool success, const std::string& path) {
    write(FormatLangText(Text(kToolTextFileLine), {number, ResultText(success), path}) + "\n");
}

void TraceLog::writeMoveLine(int number, bool success, const std::string& before, const std::string& after) {
    write(FormatLangText(Text(kToolTextMoveLine), {number, ResultText(success), before, after}) + "\n");
}

bool TraceLog::close() {
    if (!file_) return ok_;
    if (!file_->Close()) ok_ = false;
    file_.reset();
    return ok_;
}

// ---------------------------------------------------------------------------
// The run

ToolRun::ToolRun(Prompter& prompter, ProgressSink* progress) : prompter_(prompter), progress_(progress) {}

ToolRun::~ToolRun() = default;

bool ToolRun::gatherFiles(const ToolFileList& list, bool onlySelected, ToolKind kind) {
    chosen_.clear();
    for (int i = 0; i < list.count(); ++i) {
        const bool selected = static_cast<size_t>(i) < list.selected.size() && list.selected[i];
        if (!onlySelected || selected) chosen_.push_back(i);
    }
    if (onlySelected && chosen_.empty()) {
        ShowToolError(prompter_, Text(kToolTextNoneSelected));
        return false;
    }
    std::vector<std::string> texts;
    texts.reserve(chosen_.size() < kConfirmListedFiles ? chosen_.size() : kConfirmListedFiles);
    for (int index : chosen_) {
        if (texts.size() >= static_cast<size_t>(kConfirmListedFiles)) break;
        texts.push_back(list.items[static_cast<size_t>(index)].listText);
    }
    // Only the first ten names are listed; the count is the number chosen.
    std::vector<std::string> counted(chosen_.size());
    for (size_t i = 0; i < texts.size(); ++i) counted[i] = texts[i];
    const std::string text = ConfirmationText(kind, counted);
    const PromptAnswer answer =
        prompter_.Message(text, Text(kLangQuestion), PromptButtons::YesNoDefaultNo, PromptIcon::Question);
    if (answer != PromptAnswer::Yes) {
        chosen_.clear();
        return false;
    }
    return true;
}

bool ToolRun::openTraceLog(bool enabled, const std::string& path) {
    log_.close();
    if (!enabled) return true;
    if (path.empty() || path.size() > kLogPathMax) {
        ShowToolError(prompter_, Text(kToolTextChooseLog));
        return false;
    }
    if (!log_.create(path)) {
        ShowToolError(prompter_, Text(kToolTextLogError));
        return false;
    }
    log_.writeHead(dateText_.empty() ? LogDateTextNow() : dateText_);
    return true;
}

ToolRunResult ToolRun::execute(ToolFileList& list, const std::string& logHeader, const ToolFileWork& work,
                               bool moveLines) {
    ToolRunResult result;
    result.ran = true;
    if (log_.isOpen()) log_.writeHeader(logHeader);
    const int n = static_cast<int>(chosen_.size());
    if (progress_) progress_->begin(n);
    for (int i = 0; i < n; ++i) {
        if (i > 0 && progress_ && progress_->stopRequested()) {
            result.stopped = true;
            log_.write(std::string(Text(kToolTextAbort)) + ": " +
                       FormatLangText(Text(kToolTextTotal), {i, n}) + "\n");
            break;
        }
        ToolFile& file = list.items[static_cast<size_t>(chosen_[static_cast<size_t>(i)])];
        const std::string before = file.entry ? file.entry->GetFileName() : file.listText;
        bool ok = false;
        if (work) ok = work(file);
        const std::string after = file.entry ? file.entry->GetFileName() : file.listText;
        ++result.processed;
        if (ok)
            ++result.succeeded;
        else
            ++result.failed;
        if (log_.isOpen()) {
            if (moveLines)
                log_.writeMoveLine(i + 1, ok, before, after);
            else
                log_.writeFileLine(i + 1, ok, after);
        }
        if (progress_) {
            progress_->advance(i + 1, n, FormatLangText(Text(kToolTextWorking), {i + 1, n, after}));
        }
    }
    if (!log_.close()) result.logFailed = true;
    return result;
}

void ToolRun::showSummary(const std::string& text) {
    ShowToolInformation(prompter_, text);
    if (progress_) progress_->end();
}

ToolRunResult ToolRun::run(ToolFileList& list, bool onlySelected, ToolKind kind, bool traceLog,
                           const std::string& logPath, const std::function<std::string(int)>& logHeader,
                           const ToolFileWork& work, const std::function<std::string(int)>& summary,
                           bool moveLines) {
    if (!gatherFiles(list, onlySelected, kind)) return ToolRunResult{};
    if (!openTraceLog(traceLog, logPath)) return ToolRunResult{};
    const int n = static_cast<int>(chosen_.size());
    ToolRunResult result = execute(list, logHeader ? logHeader(n) : std::string(), work, moveLines);
    showSummary(summary ? summary(result.processed) : std::string());
    return result;
}

}  // namespace td
