// The subcommands of the `tunedeck` tool. Each lives in its own source file
// and is listed in the table of main.cpp; adding one means writing its Run
// function and adding a row.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

}  // namespace td::cli
