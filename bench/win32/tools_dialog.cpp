// How much does the tools dialog add to a mass tag or rename run?
//
//   tools_dialog [--tool mass|rename] [--files N] [--rounds R]
//
// Makes a folder of N small MP3 files (default 2000: a few MPEG-1 Layer III
// frames each, with an ID3v1 tag), lists them in the playlist window of the
// stand-in host in this process, opens the tools dialog on its "Mass Tag"
// (or "Rename file from Tag") page by the window's command and runs it over
// every file (year in both tags; or each file renamed to its title), the
// questions answered by a script, from the click on GO until the summary.
// The reference is `tunedeck tag` (or `tunedeck rename`, which gives the
// files their first names back from the comment) of the same files, the
// program beside this one started as a process. Best of R rounds (default 3)
// each, alternating. Printed: both times and their ratio (tool / dialog: 1.0
// means as fast as the command line), and how much the process's working
// set grew over a run of the dialog.
#include <windows.h>
// The memory counters from kernel32 itself, without psapi.dll.
#define PSAPI_VERSION 2
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/support/sample_playlist.h"
#include "bench/win32/process_run.h"
#include "playlist/kq3.h"
#include "playlist/playlist.h"
#include "plugin/host_bridge.h"
#include "plugin/win32/host_channel_win32.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "tests/support/recording_prompter.h"
#include "tests/win32/host_harness.h"
#include "tools/mass_tag.h"
#include "window/win32/playlist_window.h"
#include "window/window_resource.h"

namespace {

using td::bench::Ms;

constexpr unsigned char kFrameHeader[4] = {0xFF, 0xFB, 0x90, 0x64};  // 128 kbit/s, 44.1 kHz
constexpr size_t kFrameSize = 417;
constexpr int kFramesPerFile = 8;

std::string SongStem(char prefix, int index) {
    char name[16];
    std::snprintf(name, sizeof name, "%c%04d", prefix, index);
    return name;
}

std::string SongName(int index) { return SongStem('s', index) + ".mp3"; }

std::string SongBytes(int index) {
    std::string bytes;
    for (int f = 0; f < kFramesPerFile; ++f) {
        std::string frame(kFrameSize, '\0');
        std::memcpy(&frame[0], kFrameHeader, sizeof kFrameHeader);
        bytes += frame;
    }
    std::string tag(128, '\0');
    std::memcpy(&tag[0], "TAG", 3);
    // The title names the file after a rename, the comment before it.
    const std::string title = SongStem('t', index);
    title.copy(&tag[3], title.size());
    const std::string comment = SongStem('s', index);
    comment.copy(&tag[97], comment.size());
    return bytes + tag;
}

bool WriteSong(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// The visible dialog owned by `owner`.
HWND gOwner = nullptr;
HWND gFound = nullptr;

BOOL CALLBACK FindOwned(HWND window, LPARAM) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0 && GetWindow(window, GW_OWNER) == gOwner &&
        IsWindowVisible(window)) {
        gFound = window;
        return FALSE;
    }
    return TRUE;
}

// Once the dialog shows: the page is filled and GO clicked; the time of the
// run is kept, and the dialog closed.
bool gRename = false;
std::string gYear;
double gRunMs = -1;
UINT_PTR gTimer = 0;
double gGrowthMb = 0;  // the largest growth of the working set over a run

double WorkingSetMb() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    gFound = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOwned, 0);
    if (!gFound) return;
    KillTimer(nullptr, gTimer);
    HWND page = GetDlgItem(gFound, gRename ? IDD_RENAME_PAGE : IDD_MASS_TAG_PAGE);
    SendDlgItemMessageA(page, IDC_TP_ONLY_SELECTED, BM_SETCHECK, BST_UNCHECKED, 0);
    if (gRename) {
        SetDlgItemTextA(page, IDC_TP_FORMAT, "%T");
    } else {
        SetDlgItemTextA(page, IDC_MT_VALUE_FIRST + td::kMassYear, gYear.c_str());
    }
    const double before = WorkingSetMb();
    const auto start = std::chrono::steady_clock::now();
    SendDlgItemMessageA(page, IDC_TP_GO, BM_CLICK, 0, 0);
    gRunMs = Ms(start);
    gGrowthMb = std::max(gGrowthMb, WorkingSetMb() - before);
    SendMessageA(gFound, WM_COMMAND, IDOK, 0);
}

// `tunedeck tag` (or `tunedeck rename` of the renamed files) in `folder` as
// a process; milliseconds, or -1.
double RunTool(const std::string& program, const std::string& folder, int files, const std::string& year) {
    std::string commandLine =
        "\"" + program + "\"" +
        (gRename ? " rename %C --source 0 --yes" : " tag --v1 --v2 --year " + year + " --yes");
    for (int i = 0; i < files; ++i) commandLine += " " + (gRename ? SongStem('t', i) + ".mp3" : SongName(i));
    const auto start = std::chrono::steady_clock::now();
    const td::bench::ProcessRun run = td::bench::RunProcess(commandLine, folder, CREATE_NO_WINDOW, INT_MAX);
    const double ms = Ms(start);
    return run.started && run.exitCode == 0 ? ms : -1;
}

}  // namespace

int main(int argc, char** argv) {
    int files = 2000;
    int rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--files") == 0) files = std::max(1, std::min(2500, std::atoi(argv[i + 1])));
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--tool") == 0) gRename = std::strcmp(argv[i + 1], "rename") == 0;
    }
    td::LangTable::useBuiltinEnglish();
    td::test::HostSetup setup;
    setup.load = false;
    td::test::HostHarness harness(setup);
    if (!harness.ok()) {
        std::fprintf(stderr, "tools_dialog: the host could not be set up\n");
        return 1;
    }
    const std::string library = harness.path("library");
    CreateDirectoryA(library.c_str(), nullptr);
    td::Playlist list;
    for (int i = 0; i < files; ++i) {
        const std::string path = library + "\\" + SongName(i);
        if (!WriteSong(path, SongBytes(i)) || list.addFile(path) < 0) {
            std::fprintf(stderr, "tools_dialog: the library could not be written\n");
            return 1;
        }
    }
    const std::string startFile = harness.path("start.kq3");
    if (td::saveKq3(list, startFile, nullptr) != td::Kq3Save::Saved) {
        std::fprintf(stderr, "tools_dialog: the start file could not be written\n");
        return 1;
    }
    const std::string programDir = td::test::TestProgramDir();
    HMODULE module = LoadLibraryA((programDir + "\\gen_Tunedeck.dll").c_str());
    if (!module) {
        std::fprintf(stderr, "tools_dialog: gen_Tunedeck.dll not found beside the benchmark\n");
        return 1;
    }
    std::string tool = programDir + "\\tunedeck.exe";
    if (GetFileAttributesA(tool.c_str()) == INVALID_FILE_ATTRIBUTES) tool = programDir + "\\..\\tunedeck.exe";

    td::Win32HostChannel channel(harness.hostWindow());
    td::HostBridge bridge(channel);
    td::Settings settings(harness.path(""));
    settings.massTagFields = 1u << td::kMassYear;
    settings.massTagVersions = td::kMassTagV1 | td::kMassTagV2;
    td::LangTable lang(harness.path(""));
    td::test::RecordingPrompter prompter;  // Yes to the question, OK to the summary

    double bestDialog = 1e300;
    double bestTool = 1e300;
    int written = 0;
    int renamed = 0;
    for (int round = 0; round < rounds; ++round) {
        gYear = std::to_string(1990 + round);
        // The window saves its list (the new names too) as it goes: every
        // round starts from the first names.
        if (td::saveKq3(list, startFile, nullptr) != td::Kq3Save::Saved) return 1;
        {
            td::PlaylistWindow window(module, harness.hostWindow(), bridge, settings, lang, startFile,
                                      &prompter);
            if (!window.create()) {
                std::fprintf(stderr, "tools_dialog: the window could not be created\n");
                return 1;
            }
            harness.pump(200);
            gOwner = window.hwnd();
            gRunMs = -1;
            gTimer = SetTimer(nullptr, 0, 20, OnTimer);
            window.command(gRename ? IDM_RENAME_FROM_TAG : IDM_MASS_TAG);
            if (gRunMs < 0) {
                std::fprintf(stderr, "tools_dialog: the dialog did not run\n");
                return 1;
            }
            bestDialog = std::min(bestDialog, gRunMs);
            // The summary, "Mass set ID3TAG on %d file(s)", says how many ran.
            const std::string summary = prompter.shown.empty() ? std::string() : prompter.shown.back().text;
            const size_t number = summary.find(" on ");
            written = number == std::string::npos ? 0 : std::atoi(summary.c_str() + number + 4);
            prompter.shown.clear();
            window.destroy();
        }
        renamed = 0;
        for (int i = 0; gRename && i < files; ++i) {
            renamed += GetFileAttributesA((library + "\\" + SongStem('t', i) + ".mp3").c_str()) !=
                       INVALID_FILE_ATTRIBUTES;
        }
        const double ms = RunTool(tool, library, files, std::to_string(2000 + round));
        if (ms < 0) {
            std::fprintf(stderr, "tools_dialog: tunedeck failed (is tunedeck.exe built?)\n");
            return 1;
        }
        bestTool = std::min(bestTool, ms);
    }
    FreeLibrary(module);
    const char* page = gRename ? "Rename page" : "Mass Tag page";
    const char* command = gRename ? "rename" : "tag";
    std::printf("tools_dialog: %d files, best of %d rounds\n", files, rounds);
    std::printf("  tools dialog, %s, GO to summary: %9.1f ms (%d files run", page, bestDialog, written);
    if (gRename) std::printf(", %d renamed", renamed);
    std::printf(")\n");
    std::printf("  tunedeck %s on the same files: %9.1f ms\n", command, bestTool);
    std::printf("  ratio %s / dialog: %9.2f (1.0: the dialog adds nothing)\n", command,
                bestTool / bestDialog);
    std::printf("  working set grown over a dialog run: %.1f MB (of %.1f MB)\n", gGrowthMb, WorkingSetMb());
    return 0;
}
