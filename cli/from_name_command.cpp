// `tunedeck from-name`: write tags from file names split by a pattern.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/tool_cli.h"
#include "tools/tag_from_name.h"

namespace td::cli {

const char kFromNameHelp[] =
    "Usage: tunedeck from-name PATTERN [--v1] [--v2] [--case N] [--chars N]\n"
    "                          [--yes] [--log FILE] [--force] FILE...\n"
    "\n"
    "Write tag from filename: splits each FILE's name (without its last four\n"
    "characters, the extension) by PATTERN and writes the fields into the ID3v1\n"
    "tag (--v1), the ID3v2 tag (--v2) or both (neither option: both).\n"
    "\n"
    "PATTERN tokens: %A artist, %T title, %L album, %Y year, %G genre (read but\n"
    "not written), %C comment, %N track number; other text separates fields,\n"
    "\"%%\" is a percent sign. Example: \"%N - %A - %T\".\n"
    "\n"
    "  --case N     0 unchanged, 1 lower case, 2 upper case, 3 first letter upper,\n"
    "               4 first letter of each word upper\n"
    "  --chars N    0 unchanged, 1 underscores to spaces, 2 spaces to underscores\n"
    "  -y, --yes    do not ask for confirmation\n"
    "  --log FILE   write a trace log\n"
    "  --force      ask whether to write read-only files (with --yes: write them)\n"
    "\n"
    "Exit status: 0 when every file was written, 1 when one failed or nothing\n"
    "ran, 2 on a usage error or an invalid pattern.\n";

// A small number option ("--case 3"); false (reported) when out of range.
bool ParseModeOption(const ToolArgs& parsed, const char* name, int count, int& value) {
    if (!parsed.has(name)) return true;
    const std::string text = parsed.value(name);
    if (text.size() != 1 || text[0] < '0' || text[0] >= '0' + count) {
        ReportError(std::string("option ") + name + " takes a number from 0 to " + std::to_string(count - 1));
        return false;
    }
    value = text[0] - '0';
    return true;
}

int RunFromName(const std::vector<std::string>& args) {
    ToolArgs parsed;
    if (!ParseToolArgs(args, {{"--v1", false}, {"--v2", false}, {"--case", true}, {"--chars", true}},
                       parsed)) {
        return kExitUsage;
    }
    TagFromNameOptions options;
    const bool v1 = parsed.has("--v1");
    const bool v2 = parsed.has("--v2");
    options.version = v1 == v2 ? kFromNameBoth : (v1 ? kFromNameV1 : kFromNameV2);
    if (!ParseModeOption(parsed, "--case", 5, options.caseMode) ||
        !ParseModeOption(parsed, "--chars", 3, options.charMode)) {
        return kExitUsage;
    }
    std::string pattern;
    if (!TakePatternArgument("from-name", parsed, pattern)) return kExitUsage;
    UseToolTexts();
    TerminalPrompter prompter(parsed.yes);
    if (!CheckTagFromNamePattern(pattern, prompter)) return kExitUsage;
    if (parsed.positional.empty()) {
        ReportError("from-name: no file given");
        return kExitUsage;
    }
    options.save = ToolSaveFor(parsed, prompter);
    const CompiledPattern compiled = compilePattern(pattern);
    CliEntries entries(parsed.positional, false);
    ToolFileList list = entries.list(false);
    return RunToolCommand(
        parsed, prompter, list, ToolKind::TagFromName,
        [&](int n) { return TagFromNameLogHeader(options.version, n); },
        [&](ToolFile& file) { return tagFileFromName(file.entry, file.listText, compiled, options); },
        TagFromNameSummary);
}

}  // namespace td::cli
