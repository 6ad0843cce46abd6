// `tunedeck rename`: rename files from their tags by a pattern.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/tool_cli.h"
#include "platform/text_codec.h"
#include "tools/format_pattern.h"
#include "tools/rename.h"

namespace td::cli {

const char kRenameHelp[] =
    "Usage: tunedeck rename PATTERN [--source N] [--case N] [--chars N] [--preview]\n"
    "                       [--yes] [--log FILE] FILE...\n"
    "\n"
    "Rename file from tag: gives each FILE a new name in its own directory, made\n"
    "of PATTERN filled with the file's tag fields, and the extension \".mp3\".\n"
    "A file whose new name is taken, or that has no tag, keeps its name.\n"
    "\n"
    "PATTERN tokens: %A artist, %T title, %L album, %Y year, %G genre, %C comment,\n"
    "%N track number (two digits at least). Characters no file name can hold\n"
    "become spaces. Example: \"%N - %A - %T\".\n"
    "\n"
    "  --source N   tag the fields come from: 0 ID3v1, 1 ID3v2, 2 ID3v2 then\n"
    "               ID3v1, 3 ID3v1 then ID3v2 (default 0)\n"
    "  --case N     0 unchanged, 1 lower case, 2 upper case, 3 first letter upper,\n"
    "               4 first letter of each word upper\n"
    "  --chars N    0 unchanged, 1 underscores to spaces, 2 spaces to underscores\n"
    "  --preview    show the new names of the first four files and rename nothing\n"
    "  -y, --yes    do not ask for confirmation\n"
    "  --log FILE   write a trace log\n"
    "\n"
    "Exit status: 0 when every file was renamed, 1 when one failed or nothing\n"
    "ran, 2 on a usage error or an invalid pattern.\n";

int RunRename(const std::vector<std::string>& args) {
    ToolArgs parsed;
    if (!ParseToolArgs(args, {{"--source", true}, {"--case", true}, {"--chars", true}, {"--preview", false}},
                       parsed)) {
        return kExitUsage;
    }
    RenameOptions options;
    if (!ParseModeOption(parsed, "--source", 4, options.source) ||
        !ParseModeOption(parsed, "--case", 5, options.caseMode) ||
        !ParseModeOption(parsed, "--chars", 3, options.charMode)) {
        return kExitUsage;
    }
    std::string pattern;
    if (!TakePatternArgument("rename", parsed, pattern)) return kExitUsage;
    UseToolTexts();
    TerminalPrompter prompter(parsed.yes);
    if (parsed.positional.empty()) {
        ReportError("rename: no file given");
        return kExitUsage;
    }
    // The name is built from the tags the entries hold, as in the list.
    CliEntries entries(parsed.positional, true);
    ToolFileList list = entries.list(false);
    if (parsed.has("--preview")) {
        WriteOut(text::AnsiToUtf8(RenamePreview(pattern, list, false, options)) + "\n");
        return isValidFormat(pattern) ? kExitOk : kExitUsage;
    }
    if (!CheckRenamePattern(pattern, prompter)) return kExitUsage;
    return RunToolCommand(
        parsed, prompter, list, ToolKind::Rename, RenameLogHeader,
        [&](ToolFile& file) { return renameFile(file.entry, pattern, options); }, RenameSummary);
}

}  // namespace td::cli
