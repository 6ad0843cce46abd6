// The subcommands of the `tunedeck` tool. Each lives in its own source file
// and is listed in the table of main.cpp; adding one means writing its Run
// function and adding a row.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace td {
class Playlist;
}

namespace td::cli {

// Exit statuses shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // some file could not be processed
constexpr int kExitUsage = 2;    // bad command line

struct Command {
    const char* name;
    const char* synopsis;  // argument summary shown after the name
    const char* summary;   // one line for the command list
    const char* help;      // the full text of `tunedeck help NAME`
    int (*run)(const std::vector<std::string>& args);
};

// Output goes out as raw bytes (UTF-8): the console is switched to UTF-8 on
// Windows and the streams to binary mode, so nothing translates it again.
void WriteOut(std::string_view bytes);
void WriteErr(std::string_view bytes);
// "tunedeck: " + message + "\n" on standard error.
void ReportError(std::string_view message);

int RunInfo(const std::vector<std::string>& args);
extern const char kInfoHelp[];
// Tag tools (tool_cli.h holds their shared plumbing).
int RunTag(const std::vector<std::string>& args);
extern const char kTagHelp[];
int RunConvert(const std::vector<std::string>& args);
extern const char kConvertHelp[];
int RunRate(const std::vector<std::string>& args);
extern const char kRateHelp[];
int RunFromName(const std::vector<std::string>& args);
extern const char kFromNameHelp[];
int RunRename(const std::vector<std::string>& args);
extern const char kRenameHelp[];
int RunOrganize(const std::vector<std::string>& args);
extern const char kOrganizeHelp[];
struct ToolArgs;
// A one-digit option "--case 3" of the naming commands, 0 to count-1; false
// (reported) when it is something else. Absent: `value` stays as it is.
bool ParseModeOption(const ToolArgs& parsed, const char* name, int count, int& value);
int RunScan(const std::vector<std::string>& args);
extern const char kScanHelp[];
int RunList(const std::vector<std::string>& args);
extern const char kListHelp[];
int RunExport(const std::vector<std::string>& args);
extern const char kExportHelp[];
// Analysis of a list: statistics, duplicates, media wizard, search.
int RunStats(const std::vector<std::string>& args);
extern const char kStatsHelp[];
int RunDupes(const std::vector<std::string>& args);
extern const char kDupesHelp[];
int RunFit(const std::vector<std::string>& args);
extern const char kFitHelp[];
int RunSearch(const std::vector<std::string>& args);
extern const char kSearchHelp[];

// Adds the ".mp3" and ".mp2" files of `folder` to `playlist` as "Add
// directory" does, through the same gathering run (window/file_gatherer.h):
// the folder's volume made current, entries in name order, a folder entered
// where it is listed (only with `recursive`, and never through a link).
// Reports each folder that could not be listed and each file left out as an
// error line starting with `prefix`; true when there was none.
bool AddDirectory(Playlist& playlist, const std::string& folder, bool recursive, const std::string& prefix);

}  // namespace td::cli
