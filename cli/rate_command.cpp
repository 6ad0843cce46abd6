// `tunedeck rate`: stores a star rating into the files' ID3v2 tags, on the
// rating store's worker thread; Ctrl+C stops it between two files.
#include <atomic>
#include <csignal>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/tool_cli.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "playlist/text_format.h"
#include "settings/lang_table.h"
#include "tags/song_record.h"
#include "tools/rating_store.h"

namespace td::cli {

const char kRateHelp[] =
    "Usage: tunedeck rate STARS [--yes] [--log FILE] FILE...\n"
    "\n"
    "Stores the rating STARS (0 to 5) into the ID3v2 tag of every FILE as a\n"
    "POPM frame; a file without ID3v2 tag gets one. The files are written on\n"
    "a worker thread; Ctrl+C stops it after the file in hand.\n"
    "\n"
    "  -y, --yes    do not ask for confirmation\n"
    "  --log FILE   write a trace log\n"
    "\n"
    "Read-only files fail. Exit status: 0 when every file was written, 1 when\n"
    "one failed, the run was stopped or nothing ran, 2 on a usage error.\n";

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int) { gInterrupted = 1; }

bool ParseStars(const std::string& text, int& stars) {
    if (text.size() != 1 || text[0] < '0' || text[0] > '5') return false;
    stars = text[0] - '0';
    return true;
}

}  // namespace

int RunRate(const std::vector<std::string>& args) {
    ToolArgs parsed;
    if (!ParseToolArgs(args, {}, parsed)) return kExitUsage;
    if (parsed.force) {
        ReportError("rate: --force is not supported: the worker cannot ask questions");
        return kExitUsage;
    }
    int stars = 0;
    if (parsed.positional.empty() || !ParseStars(parsed.positional[0], stars)) {
        ReportError("rate: give the rating as a number of stars from 0 to 5");
        return kExitUsage;
    }
    parsed.positional.erase(parsed.positional.begin());
    if (parsed.positional.empty()) {
        ReportError("rate: no file given");
        return kExitUsage;
    }
    UseToolTexts();
    TerminalPrompter prompter(parsed.yes);
    CliEntries entries(parsed.positional, false);
    std::vector<SongRecord*> chosen = entries.entries();
    for (SongRecord* entry : chosen) entry->SetRating(stars);

    std::vector<std::string> names;
    for (size_t i = 0; i < chosen.size() && i < static_cast<size_t>(kConfirmListedFiles); ++i) {
        names.push_back(BaseName(chosen[i]->GetFileName()));
    }
    names.resize(chosen.size());
    const std::string caption = LangTable::getString(kRatingTextCaption);
    if (prompter.Message(
            ConfirmationText(caption + " " + RatingText(stars) + " (" + std::to_string(stars) + ")", names),
            LangTable::getString(kLangQuestion), PromptButtons::YesNo,
            PromptIcon::Question) != PromptAnswer::Yes) {
        return kExitFailure;
    }
    TraceLog log;
    if (!parsed.logPath.empty()) {
        if (!log.create(parsed.logPath)) {
            ShowToolError(prompter, LangTable::getString(kToolTextLogError));
            return kExitFailure;
        }
        log.writeHead(LogDateTextNow());
        log.writeHeader(caption);
    }

    TerminalProgress progress;
    RatingStoreSession session(chosen, nullptr);
    session.setProgress(&progress);
    session.worker().setQuitPause(0);
    session.worker().setBeep([] {
        if (StderrIsTerminal()) WriteErr("\a");
    });
    gInterrupted = 0;
    void (*previous)(int) = std::signal(SIGINT, OnInterrupt);
    if (!session.start()) {
        std::signal(SIGINT, previous);
        ReportError("rate: the worker thread could not be started");
        return kExitFailure;
    }
    while (!session.finished()) {
        session.pump(100);
        if (gInterrupted && session.running()) session.stop();
    }
    std::signal(SIGINT, previous);
    progress.end();

    int number = 0;
    for (const auto& row : session.details()) {
        ++number;
        const bool ok = row.second == ResultText(true);
        if (log.isOpen()) log.writeFileLine(number, ok, row.first);
        if (!ok) ReportError(row.second + ": " + text::PathToUtf8(row.first));
    }
    const bool logOk = log.close();
    if (!logOk) ReportError("writing the trace log " + parsed.logPath + " failed");
    WriteOut(session.countLine() + "\n");
    const bool complete = !session.stoppedByUser() && session.counter() == session.total();
    return complete && session.failures() == 0 && logOk ? kExitOk : kExitFailure;
}

}  // namespace td::cli
