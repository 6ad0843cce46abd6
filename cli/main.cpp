// Entry point of the `tunedeck` command-line tool: reads tags and stream
// information through the same engine as the plug-in.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "plugin/version.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace td::cli {

namespace {

const Command kCommands[] = {
    {"info", "[--json] FILE...", "show the tags and MPEG stream information of audio files", kInfoHelp,
     RunInfo},
    {"scan", "[-r] DIR... -o LIST.kq3", "add the MP3/MP2 files of folders to a new playlist file", kScanHelp,
     RunScan},
    {"list", "SOURCE [--columns ID,...] [--view 0-3] [--sort ID|-ID]",
     "print the list columns of a playlist file or folder", kListHelp, RunList},
    {"export", "--format FORMAT [--settings FILE] [-o OUT] [-r] SOURCE",
     "write a playlist file or folder as HTML, M3U, PLS, text, CSV or XML", kExportHelp, RunExport},
    {"stats", "[--view 0-3] [-r] [--raw] SOURCE",
     "print the playlist information report of a playlist file or folder", kStatsHelp, RunStats},
    {"dupes", "[--fields LIST] [--seconds N] [--percent P] SOURCE",
     "print the songs that resemble another one (find duplicates)", kDupesHelp, RunDupes},
    {"fit", "MINUTES SOURCE", "print the songs the media wizard picks to fill a playing time", kFitHelp,
     RunFit},
    {"search", "TEXT [--fields LIST] [--case] SOURCE",
     "print the songs in which a text occurs, as the search box finds them", kSearchHelp, RunSearch},
    {"tag", "[--v1] [--v2] --FIELD TEXT... [--yes] [--log FILE] FILE...",
     "mass tag: set the same fields in the ID3v1 and/or ID3v2 tags of files", kTagHelp, RunTag},
    {"convert", "v1-to-v2|v2-to-v1|remove-v1|remove-v2|remove-all [--yes] [--log FILE] FILE...",
     "copy ID3v1 into ID3v2 or back, or remove tags", kConvertHelp, RunConvert},
    {"from-name", "PATTERN [--v1] [--v2] [--yes] [--log FILE] FILE...",
     "write tags from file names split by a pattern such as \"%N - %A - %T\"", kFromNameHelp, RunFromName},
    {"rename", "PATTERN [--source N] [--yes] [--log FILE] FILE...",
     "rename files from their tags by a pattern", kRenameHelp, RunRename},
    {"organize", "--target DIR [--layout 0-3] [--source v1|v2] [--copy] FILE...",
     "move or copy files into directories named from their tags", kOrganizeHelp, RunOrganize},
    {"rate", "STARS [--yes] [--log FILE] FILE...", "store a star rating into the files' ID3v2 tags",
     kRateHelp, RunRate},
};

const Command* FindCommand(const std::string& name) {
    for (const Command& c : kCommands) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

std::string MainHelp() {
    std::string text =
        "Usage: tunedeck COMMAND [OPTIONS] [ARGS...]\n"
        "\n"
        "Reads and shows the ID3v1 and ID3v2 tags and the MPEG stream information\n"
        "of MP3 and MP2 files, with the tag engine of the Tunedeck playlist plug-in.\n"
        "\n"
        "Commands:\n";
    for (const Command& c : kCommands) {
        std::string line = "  ";
        line += c.name;
        line += ' ';
        line += c.synopsis;
        if (line.size() < 30)
            line.resize(30, ' ');
        else
            line += "  ";
        text += line + c.summary + "\n";
    }
    text +=
        "\n"
        "Options:\n"
        "  -h, --help     show this text (or `tunedeck help COMMAND` for one command)\n"
        "  --version      show the version\n"
        "\n"
        "Exit status: 0 on success, 1 when a file could not be read, 2 on a usage error.\n";
    return text;
}

}  // namespace

void WriteOut(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

void WriteErr(std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

void ReportError(std::string_view message) {
    std::string line = "tunedeck: ";
    line += message;
    line += '\n';
    WriteErr(line);
}

int Main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (args.empty()) {
        WriteErr(MainHelp());
        return kExitUsage;
    }
    const std::string& first = args[0];
    if (first == "-h" || first == "--help") {
        WriteOut(MainHelp());
        return kExitOk;
    }
    if (first == "--version") {
        // The plug-in's version: the tool ships with it.
        WriteOut("tunedeck " + std::to_string(TD_VERSION_MAJOR) + "." + std::to_string(TD_VERSION_MINOR) +
                 "." + std::to_string(TD_VERSION_BUILD) + "\n");
        return kExitOk;
    }
    if (first == "help") {
        if (args.size() < 2) {
            WriteOut(MainHelp());
            return kExitOk;
        }
        const Command* command = FindCommand(args[1]);
        if (!command) {
            ReportError("unknown command '" + args[1] + "'; see 'tunedeck --help'");
            return kExitUsage;
        }
        WriteOut(command->help);
        return kExitOk;
    }
    const Command* command = FindCommand(first);
    if (!command) {
        ReportError("unknown command '" + first + "'; see 'tunedeck --help'");
        return kExitUsage;
    }
    args.erase(args.begin());
    for (const std::string& a : args) {
        if (a == "--") break;
        if (a == "-h" || a == "--help") {
            WriteOut(command->help);
            return kExitOk;
        }
    }
    const int status = command->run(args);
    if (std::fflush(stdout) != 0 && status == kExitOk) {
        ReportError("writing the output failed");
        return kExitFailure;
    }
    return status;
}

}  // namespace td::cli

int main(int argc, char** argv) {
#ifdef _WIN32
    // Text is produced as UTF-8 bytes; the console must not reinterpret them in
    // the OEM code page, and the C runtime must not turn "\n" into "\r\n" inside
    // JSON lines that other programs parse.
    // The console's code page outlives the process: give the shell back the
    // one it had.
    const UINT previousCodePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const int status = td::cli::Main(argc, argv);
    std::fflush(stdout);
    if (previousCodePage != 0) SetConsoleOutputCP(previousCodePage);
    return status;
#else
    // A file size limit (ulimit -f) then fails the one write that exceeds it
    // (EFBIG), which fails that file only, instead of ending the run.
    std::signal(SIGXFSZ, SIG_IGN);
    return td::cli::Main(argc, argv);
#endif
}
