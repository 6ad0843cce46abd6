// `tunedeck organize`: move or copy files into directories named from tags.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/tool_cli.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "tools/organize.h"
#include "tools/safe_name.h"

namespace td::cli {

const char kOrganizeHelp[] =
    "Usage: tunedeck organize --target DIR [--layout N] [--source v1|v2] [--copy]\n"
    "                         [--yes] [--log FILE] FILE...\n"
    "\n"
    "Organize files: moves each FILE into a directory below DIR named from its\n"
    "tags, as \"<name>.mp3\", or \"<name>(1).mp3\" up to \"<name>(99).mp3\" when\n"
    "that name is taken. No file is ever replaced, and none is placed outside\n"
    "DIR, whatever the tags hold. Files on a CD-ROM drive are copied.\n"
    "\n"
    "  --target DIR     the existing directory the tree goes into\n"
    "  --layout N       0 artist (default), 1 album, 2 genre, 3 artist then album\n"
    "  --source v1|v2   the tag the directory names come from (default v1; files\n"
    "                   without that tag fail with v1, go to \"Unkown artist\"\n"
    "                   and the like with v2)\n"
    "  --copy           copy instead of moving\n"
    "  -y, --yes        do not ask for confirmation\n"
    "  --log FILE       write a trace log\n"
    "\n"
    "Exit status: 0 when every file was placed, 1 when one failed or nothing\n"
    "ran, 2 on a usage error.\n";

int RunOrganize(const std::vector<std::string>& args) {
    ToolArgs parsed;
    if (!ParseToolArgs(args, {{"--target", true}, {"--layout", true}, {"--source", true}, {"--copy", false}},
                       parsed)) {
        return kExitUsage;
    }
    OrganizeOptions options;
    if (!ParseModeOption(parsed, "--layout", kOrganizeLayoutCount, options.layout)) return kExitUsage;
    if (parsed.has("--source")) {
        const std::string source = parsed.value("--source");
        if (source == "v1" || source == "0") {
            options.source = 0;
        } else if (source == "v2" || source == "1") {
            options.source = 1;
        } else {
            ReportError("option --source takes v1 or v2");
            return kExitUsage;
        }
    }
    options.copy = parsed.has("--copy");
    UseToolTexts();
    TerminalPrompter prompter(parsed.yes);
    const std::string target = parsed.has("--target") ? AbsolutePath(parsed.value("--target")) : "";
    if (!CheckOrganizeTarget(target, prompter)) return kExitUsage;
    FileStatus status;
    if (!Fs().GetStatus(target, status) || !(status.attributes & kAttrDirectory)) {
        ReportError("organize: " + text::PathToUtf8(target) + " is not a directory");
        return kExitUsage;
    }
    if (parsed.positional.empty()) {
        ReportError("organize: no file given");
        return kExitUsage;
    }
    CliEntries entries(parsed.positional, true);
    ToolFileList list = entries.list(true);
    // The summary is a text of the code page, like the tags.
    std::string targetText;
    PathNameToAnsi(target, targetText);
    return RunToolCommand(
        parsed, prompter, list, ToolKind::Organize, OrganizeLogHeader,
        [&](ToolFile& file) { return organizeFile(file.entry, target, options); },
        [&](int n) { return OrganizeSummary(n, targetText); }, true);
}

}  // namespace td::cli
