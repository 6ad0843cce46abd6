// Plumbing shared by the tag tool commands (tag, convert, rate, from-name,
// rename, organize): the common options, a prompter on the terminal, a
// progress bar, the entries of the files named, and the run itself.
//
// Common options of every tool command:
//   -y, --yes        answer Yes to the confirmation (and OK to any question)
//   --log FILE       write the trace log to FILE (also --log=FILE)
//   --force          ask whether to write read-only files (with --yes: write
//                    them); without it a read-only file fails
//   --               the remaining arguments are files
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/prompter.h"
#include "tools/tool_run.h"

namespace td {
class SongRecord;
}

namespace td::cli {

// A command's own option: "--title VALUE" / "--title=VALUE", or a flag.
struct ToolOptionSpec {
    const char* name;  // with the dashes: "--title"
    bool takesValue;
};

struct ToolArgs {
    bool yes = false;
    bool force = false;
    std::string logPath;  // empty: no trace log
    // Non-option arguments in order (a command's own leading arguments, then
    // the files).
    std::vector<std::string> positional;
    // The command's own options in order: name (with dashes) and value ("" for
    // a flag).
    std::vector<std::pair<std::string, std::string>> options;

    bool has(const std::string& name) const;
    // The last value given for `name`, or "" when absent.
    std::string value(const std::string& name) const;
};

// Parses the common options and `extra`. On a usage error reports it on
// standard error and returns false.
bool ParseToolArgs(const std::vector<std::string>& args, const std::vector<ToolOptionSpec>& extra,
                   ToolArgs& out);

// True when the stream is a terminal (isatty / _isatty).
bool StdinIsTerminal();
bool StderrIsTerminal();

// Messages on the terminal: information on standard output, errors on
// standard error; questions are written to standard error and answered with
// a line from standard input ("y"/"yes" is Yes or OK, anything else or the
// end of input No or Cancel). With `assumeYes` questions are answered Yes /
// OK without reading anything.
class TerminalPrompter : public Prompter {
public:
    explicit TerminalPrompter(bool assumeYes) : assumeYes_(assumeYes) {}
    PromptAnswer Message(const std::string& text, const std::string& caption, PromptButtons buttons,
                         PromptIcon icon) override;
    // Questions asked so far (tests).
    int questions() const { return questions_; }

private:
    bool assumeYes_;
    int questions_ = 0;
};

// A one-line progress bar with the status text on standard error, redrawn in
// place; silent when standard error is not a terminal.
class TerminalProgress : public ProgressSink {
public:
    TerminalProgress();
    void begin(int total) override;
    void advance(int done, int total, const std::string& status) override;
    void end() override;

private:
    bool active_;
    bool drawn_ = false;
    size_t drawnLength_ = 0;
};

// The entries of the files named on the command line, as playlist entries
// (read with their tags, or only named). Missing files still get an entry;
// the tools report them as failed.
class CliEntries {
public:
    CliEntries(const std::vector<std::string>& paths, bool readTags);
    ~CliEntries();
    CliEntries(const CliEntries&) = delete;
    CliEntries& operator=(const CliEntries&) = delete;

    std::vector<SongRecord*> entries() const;
    // Every entry, selected; list texts are the file names (or full paths).
    ToolFileList list(bool fullPaths) const;

private:
    std::vector<std::unique_ptr<SongRecord>> records_;
};

// A tag text given on the command line, in the ANSI code page tags hold:
// converted from UTF-8 on POSIX, taken as it is on Windows (where arguments
// already come in the ANSI code page). False, reported with `what`, when a
// character cannot be stored.
bool ToAnsiArgument(const std::string& argument, const std::string& what, std::string& out);

// Takes the first positional argument as the naming pattern (in the ANSI
// code page). False, reported as "COMMAND: no pattern given" or as a text
// that cannot be stored, when there is none or it cannot be converted.
bool TakePatternArgument(const char* command, ToolArgs& parsed, std::string& pattern);

// Loads the built-in English texts when no text is loaded yet.
void UseToolTexts();

// Runs one tool with the common plumbing: the confirmation (unless --yes),
// the trace log of --log, the progress bar, the summary on standard output,
// and one line on standard error per failed file. Returns kExitOk when every
// file succeeded, kExitFailure when one failed or nothing ran (answered No,
// log not creatable).
// `prompter` is normally a TerminalPrompter made with `args.yes`.
int RunToolCommand(const ToolArgs& args, Prompter& prompter, ToolFileList& list, ToolKind kind,
                   const std::function<std::string(int files)>& logHeader, const ToolFileWork& work,
                   const std::function<std::string(int files)>& summary, bool moveLines = false);

// The ToolSave the common options ask for (--force), asking `prompter`.
ToolSave ToolSaveFor(const ToolArgs& args, Prompter& prompter);

}  // namespace td::cli
