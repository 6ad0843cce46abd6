#include "bench/win32/process_run.h"

#include <vector>

namespace td::bench {

namespace {

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;  // the benchmark's own loop decides when to end
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

ProcessRun RunProcess(const std::string& commandLine, const std::string& folder, DWORD flags, int timeoutMs) {
    ProcessRun run;
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        return run;
    }
    run.started = true;
    CloseHandle(pi.hThread);
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD wait = now >= end ? 0 : static_cast<DWORD>(end - now);
        const DWORD r = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, wait, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) break;
        if (r == WAIT_OBJECT_0 + 1) {
            PumpMessages();
            continue;
        }
        run.timedOut = true;
        TerminateProcess(pi.hProcess, 0xDEAD);
        WaitForSingleObject(pi.hProcess, 5000);
        break;
    }
    GetExitCodeProcess(pi.hProcess, &run.exitCode);
    CloseHandle(pi.hProcess);
    return run;
}

}  // namespace td::bench
