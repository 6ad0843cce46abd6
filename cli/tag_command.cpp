// `tunedeck tag`: mass tag, the same values into chosen fields of the ID3v1
// tag, the ID3v2 tag or both.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/tool_cli.h"
#include "tools/mass_tag.h"

namespace td::cli {

const char kTagHelp[] =
    "Usage: tunedeck tag [--v1] [--v2] FIELD-OPTIONS [--yes] [--log FILE] [--force] FILE...\n"
    "\n"
    "Mass tag: sets the same values in the chosen fields of every FILE, in the\n"
    "ID3v1 tag (--v1), the ID3v2 tag (--v2) or both (neither option: both).\n"
    "A field given with an empty value is emptied in ID3v1 and its frame is\n"
    "removed from ID3v2; fields not named keep their values.\n"
    "\n"
    "  --title TEXT     --artist TEXT    --album TEXT     --year TEXT\n"
    "  --track NUMBER   --genre NAME     --comment TEXT\n"
    "\n"
    "  -y, --yes        do not ask for confirmation\n"
    "  --log FILE       write a trace log\n"
    "  --force          ask whether to write read-only files (with --yes: write them)\n"
    "\n"
    "Texts are taken as UTF-8 and stored in the ANSI code page (Windows-1252).\n"
    "Exit status: 0 when every file was written, 1 when one failed or nothing\n"
    "ran, 2 on a usage error.\n";

namespace {

const char* const kFieldOptions[kMassTagFieldCount] = {
    "--title", "--artist", "--album", "--year", "--track", "--genre", "--comment",
};

}  // namespace

int RunTag(const std::vector<std::string>& args) {
    std::vector<ToolOptionSpec> specs = {{"--v1", false}, {"--v2", false}};
    for (const char* name : kFieldOptions) specs.push_back({name, true});
    ToolArgs parsed;
    if (!ParseToolArgs(args, specs, parsed)) return kExitUsage;
    MassTagOptions options;
    if (parsed.has("--v1")) options.versions |= kMassTagV1;
    if (parsed.has("--v2")) options.versions |= kMassTagV2;
    if (options.versions == 0) options.versions = kMassTagV1 | kMassTagV2;
    for (int field = 0; field < kMassTagFieldCount; ++field) {
        if (!parsed.has(kFieldOptions[field])) continue;
        options.fields |= 1u << field;
        if (!ToAnsiArgument(parsed.value(kFieldOptions[field]), kFieldOptions[field],
                            options.values[static_cast<size_t>(field)])) {
            return kExitUsage;
        }
    }
    if (options.fields == 0) {
        ReportError("tag: name at least one field to set (--title, --artist, ...)");
        return kExitUsage;
    }
    if (parsed.positional.empty()) {
        ReportError("tag: no file given");
        return kExitUsage;
    }
    UseToolTexts();
    TerminalPrompter prompter(parsed.yes);
    options.save = ToolSaveFor(parsed, prompter);
    CliEntries entries(parsed.positional, false);
    ToolFileList list = entries.list(false);
    return RunToolCommand(
        parsed, prompter, list, ToolKind::MassTag,
        [&](int n) { return MassTagLogHeader(options.versions, n); },
        [&](ToolFile& file) { return massTagFile(file.entry, options); }, MassTagSummary);
}

}  // namespace td::cli
