// `tunedeck convert`: copy ID3v1 into ID3v2 or back, or remove tags.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/tool_cli.h"
#include "tools/convert.h"

namespace td::cli {

const char kConvertHelp[] =
    "Usage: tunedeck convert OPERATION [--yes] [--log FILE] [--force] FILE...\n"
    "\n"
    "Converts or removes the tags of every FILE. OPERATION is one of:\n"
    "  v1-to-v2     copy the ID3v1 fields into ID3v2 frames (files without ID3v1 fail)\n"
    "  v2-to-v1     copy the ID3v2 frames into the ID3v1 tag (files without ID3v2 fail)\n"
    "  remove-v1    remove the ID3v1 tag\n"
    "  remove-v2    remove the ID3v2 tag\n"
    "  remove-all   remove both tags\n"
    "\n"
    "  -y, --yes    do not ask for confirmation\n"
    "  --log FILE   write a trace log\n"
    "  --force      ask whether to write read-only files (with --yes: write them)\n"
    "\n"
    "Exit status: 0 when every file was written, 1 when one failed or nothing\n"
    "ran, 2 on a usage error.\n";

namespace {

const char* const kOperationNames[kConvertOpCount] = {
    "v1-to-v2", "v2-to-v1", "remove-v1", "remove-v2", "remove-all",
};

}  // namespace

int RunConvert(const std::vector<std::string>& args) {
    ToolArgs parsed;
    if (!ParseToolArgs(args, {}, parsed)) return kExitUsage;
    if (parsed.positional.empty()) {
        ReportError("convert: no operation given (v1-to-v2, v2-to-v1, remove-v1, remove-v2, remove-all)");
        return kExitUsage;
    }
    int op = -1;
    for (int i = 0; i < kConvertOpCount; ++i) {
        if (parsed.positional[0] == kOperationNames[i]) op = i;
    }
    if (op < 0) {
        ReportError("convert: unknown operation '" + parsed.positional[0] + "'");
        return kExitUsage;
    }
    parsed.positional.erase(parsed.positional.begin());
    if (parsed.positional.empty()) {
        ReportError("convert: no file given");
        return kExitUsage;
    }
    UseToolTexts();
    TerminalPrompter prompter(parsed.yes);
    const ToolSave save = ToolSaveFor(parsed, prompter);
    CliEntries entries(parsed.positional, false);
    ToolFileList list = entries.list(false);
    return RunToolCommand(
        parsed, prompter, list, ConvertKind(op), [op](int n) { return ConvertLogHeader(op, n); },
        [op, &save](ToolFile& file) { return convertFile(file.entry, op, save); },
        [op](int n) { return ConvertSummary(op, n); });
}

}  // namespace td::cli
