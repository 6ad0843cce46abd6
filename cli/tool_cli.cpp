#include "cli/tool_cli.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "cli/commands.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "settings/lang_table.h"
#include "tags/song_record.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace td::cli {

// ---------------------------------------------------------------------------
// Arguments

bool ToolArgs::has(const std::string& name) const {
    for (const auto& option : options) {
        if (option.first == name) return true;
    }
    return false;
}

std::string ToolArgs::value(const std::string& name) const {
    std::string result;
    for (const auto& option : options) {
        if (option.first == name) result = option.second;
    }
    return result;
}

bool ParseToolArgs(const std::vector<std::string>& args, const std::vector<ToolOptionSpec>& extra,
                   ToolArgs& out) {
    out = ToolArgs{};
    bool filesOnly = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (filesOnly || arg.size() < 2 || arg[0] != '-') {
            out.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            filesOnly = true;
            continue;
        }
        std::string name = arg;
        std::string inlineValue;
        bool hasInline = false;
        const size_t eq = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
            hasInline = true;
        }
        auto takeValue = [&](std::string& value) -> bool {
            if (hasInline) {
                value = inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                ReportError("option " + name + " needs a value");
                return false;
            }
            value = args[++i];
            return true;
        };
        if (name == "-y" || name == "--yes") {
            if (hasInline) {
                ReportError("option " + name + " takes no value");
                return false;
            }
            out.yes = true;
            continue;
        }
        if (name == "--force") {
            if (hasInline) {
                ReportError("option " + name + " takes no value");
                return false;
            }
            out.force = true;
            continue;
        }
        if (name == "--log") {
            if (!takeValue(out.logPath)) return false;
            if (out.logPath.empty()) {
                ReportError("option --log needs a file name");
                return false;
            }
            continue;
        }
        const ToolOptionSpec* known = nullptr;
        for (const ToolOptionSpec& s : extra) {
            if (name == s.name) known = &s;
        }
        if (!known) {
            // A lone "-" or a negative number is an argument, not an option.
            const bool numeric = arg.size() > 1 && arg[1] >= '0' && arg[1] <= '9';
            if (numeric) {
                out.positional.push_back(arg);
                continue;
            }
            ReportError("unknown option '" + name + "'");
            return false;
        }
        std::string value;
        if (known->takesValue) {
            if (!takeValue(value)) return false;
        } else if (hasInline) {
            ReportError("option " + name + " takes no value");
            return false;
        }
        out.options.emplace_back(name, value);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Terminal

bool StdinIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}

bool StderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

namespace {

// Texts of the tools mix LangTable texts (ANSI) and native paths; both are
// shown as UTF-8.
std::string Display(const std::string& text) { return text::PathToUtf8(text); }

bool ReadAnswerLine(std::string& line) {
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(stdin)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (c != '\r') line += static_cast<char>(c);
    }
    return any;
}

bool IsYes(const std::string& line) {
    size_t b = 0;
    while (b < line.size() && (line[b] == ' ' || line[b] == '\t')) ++b;
    std::string word = line.substr(b);
    while (!word.empty() && (word.back() == ' ' || word.back() == '\t')) word.pop_back();
    for (char& c : word) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return word == "y" || word == "yes" || word == "o" || word == "ok";
}

}  // namespace

PromptAnswer TerminalPrompter::Message(const std::string& text, const std::string& caption,
                                       PromptButtons buttons, PromptIcon icon) {
    const bool question = buttons != PromptButtons::Ok;
    if (!question) {
        if (icon == PromptIcon::Error || icon == PromptIcon::Warning) {
            ReportError(Display(text));
        } else {
            WriteOut(Display(text) + "\n");
            std::fflush(stdout);
        }
        return PromptAnswer::Ok;
    }
    ++questions_;
    const PromptAnswer yes = buttons == PromptButtons::OkCancel ? PromptAnswer::Ok : PromptAnswer::Yes;
    const PromptAnswer no = buttons == PromptButtons::OkCancel ? PromptAnswer::Cancel : PromptAnswer::No;
    if (assumeYes_) return yes;
    std::fflush(stdout);
    std::string prompt = Display(text);
    if (!caption.empty()) prompt = Display(caption) + ": " + prompt;
    prompt += buttons == PromptButtons::OkCancel ? " [ok/cancel] " : " [y/N] ";
    WriteErr(prompt);
    std::string line;
    if (!ReadAnswerLine(line)) {
        WriteErr("\n");
        return no;
    }
    return IsYes(line) ? yes : no;
}

TerminalProgress::TerminalProgress() : active_(StderrIsTerminal()) {}

void TerminalProgress::begin(int total) {
    if (!active_) return;
    advance(0, total, std::string());
}

void TerminalProgress::advance(int done, int total, const std::string& status) {
    if (!active_) return;
    constexpr int kWidth = 30;
    const int filled = total > 0 ? static_cast<int>(static_cast<long long>(done) * kWidth / total) : 0;
    std::string line = "\r[";
    line.append(static_cast<size_t>(filled), '#');
    line.append(static_cast<size_t>(kWidth - filled), '-');
    line += "] ";
    std::string text = Display(status);
    // One terminal line: the end of the status (the file name) matters most.
    constexpr size_t kStatusWidth = 40;
    if (text.size() > kStatusWidth) {
        size_t cut = text.size() - (kStatusWidth - 3);
        // Do not start inside a UTF-8 sequence.
        while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) ++cut;
        text = "..." + text.substr(cut);
    }
    line += text;
    // Spaces rather than an erase sequence: not every Windows console
    // understands escape sequences.
    const size_t length = line.size();
    if (length < drawnLength_) line.append(drawnLength_ - length, ' ');
    drawnLength_ = length;
    WriteErr(line);
    drawn_ = true;
}

void TerminalProgress::end() {
    if (!active_ || !drawn_) return;
    WriteErr("\r" + std::string(drawnLength_, ' ') + "\r");
    drawn_ = false;
    drawnLength_ = 0;
}

// ---------------------------------------------------------------------------
// Entries

CliEntries::CliEntries(const std::vector<std::string>& paths, bool readTags) {
    records_.reserve(paths.size());
    for (const std::string& path : paths) {
        // Logs and messages name files by their full paths, as the plug-in does.
        records_.push_back(std::make_unique<SongRecord>(AbsolutePath(path), readTags));
    }
}

CliEntries::~CliEntries() = default;

std::vector<SongRecord*> CliEntries::entries() const {
    std::vector<SongRecord*> out;
    out.reserve(records_.size());
    for (const auto& r : records_) out.push_back(r.get());
    return out;
}

ToolFileList CliEntries::list(bool fullPaths) const { return FileListFromEntries(entries(), fullPaths); }

// ---------------------------------------------------------------------------
// Running

bool ToAnsiArgument(const std::string& argument, const std::string& what, std::string& out) {
#ifdef _WIN32
    (void)what;
    out = argument;
    return true;
#else
    if (text::Utf8ToAnsi(argument, out)) return true;
    ReportError(what + ": '" + argument + "' holds characters the tags cannot store");
    return false;
#endif
}

bool TakePatternArgument(const char* command, ToolArgs& parsed, std::string& pattern) {
    if (parsed.positional.empty()) {
        ReportError(std::string(command) + ": no pattern given");
        return false;
    }
    if (!ToAnsiArgument(parsed.positional[0], "the pattern", pattern)) return false;
    parsed.positional.erase(parsed.positional.begin());
    return true;
}

void UseToolTexts() {
    if (LangTable::getString(1)[0] == '\0') LangTable::useBuiltinEnglish();
}

ToolSave ToolSaveFor(const ToolArgs& args, Prompter& prompter) {
    ToolSave save;
    save.askReadOnly = args.force;
    save.prompter = &prompter;
    return save;
}

int RunToolCommand(const ToolArgs& args, Prompter& prompter, ToolFileList& list, ToolKind kind,
                   const std::function<std::string(int)>& logHeader, const ToolFileWork& work,
                   const std::function<std::string(int)>& summary, bool moveLines) {
    UseToolTexts();
    TerminalProgress progress;
    ToolRun run(prompter, &progress);
    if (!run.gatherFiles(list, false, kind)) return kExitFailure;
    ClearFileError();
    if (!run.openTraceLog(!args.logPath.empty(), args.logPath)) {
        const std::string reason = LastFileError();
        if (!reason.empty()) ReportError(Display(args.logPath) + ": " + reason);
        return kExitFailure;
    }
    const int n = static_cast<int>(run.chosen().size());
    // Failed files are named once the bar is gone, so they do not tear it.
    std::vector<std::string> failures;
    const ToolFileWork tracked = [&](ToolFile& file) {
        ClearFileError();
        const bool ok = work ? work(file) : false;
        if (!ok) {
            // The system's reason, when the file seam saw one.
            const std::string reason = LastFileError();
            std::string line = Display(file.entry ? file.entry->GetFileName() : file.listText);
            if (!reason.empty()) line += ": " + reason;
            failures.push_back(line);
        }
        return ok;
    };
    const ToolRunResult result =
        run.execute(list, logHeader ? logHeader(n) : std::string(), tracked, moveLines);
    progress.end();
    for (const std::string& line : failures) {
        ReportError(std::string(ResultText(false)) + ": " + line);
    }
    if (result.logFailed) {
        const std::string reason = LastFileError();
        ReportError("writing the trace log " + Display(args.logPath) + " failed" +
                    (reason.empty() ? std::string() : ": " + reason));
    }
    run.showSummary(summary ? summary(n) : std::string());
    return result.failed == 0 && !result.logFailed ? kExitOk : kExitFailure;
}

}  // namespace td::cli
