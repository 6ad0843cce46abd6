// Runs a reference program as a process of its own, for the benchmarks that
// compare the window with the command line.
#pragma once

#include <windows.h>

#include <string>

namespace td::bench {

struct ProcessRun {
    DWORD exitCode = 0;
    bool started = false;
    bool timedOut = false;  // killed after the timeout
};

// Runs `commandLine` in `folder` (the current one when empty), waits at most
// `timeoutMs` while handling this thread's messages, and returns how it ended.
ProcessRun RunProcess(const std::string& commandLine, const std::string& folder, DWORD flags, int timeoutMs);

}  // namespace td::bench
