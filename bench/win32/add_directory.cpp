// How fast does "Add directory" gather a large folder through the worker,
// and does the window stay responsive meanwhile?
//
//   add_directory [--files N] [--rounds R]
//
// Makes a folder of N small MP3 files (default 10000: a few MPEG-1 Layer III
// frames each, with an ID3v1 tag, in 100 subfolders), then, in the stand-in
// host in this process, runs the playlist window's "Add directory" on it,
// the folder dialog answered by a script, until the worker is done and the
// list shows every file. The reference is `tunedeck scan -r` of the same
// folder (the program beside this one, started as a process). Best of R
// rounds (default 3) each. Printed: both times, their ratio (scan / window:
// 1.0 means as fast as the command-line scan), how soon the list showed its
// first rows while the run went on (as a share of the run), and the longest
// time the window's message loop went unanswered during the runs, measured
// by a timer of the window, beside the same measure for this thread while it
// only waits for the scans (what the load of the machine alone costs).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/support/sample_playlist.h"
#include "bench/win32/process_run.h"
#include "playlist/kq3.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "plugin/host_bridge.h"
#include "plugin/win32/host_channel_win32.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "tests/support/recording_prompter.h"
#include "tests/support/test_support.h"
#include "tests/win32/host_harness.h"
#include "window/win32/playlist_window.h"
#include "window/window_resource.h"

namespace {

using td::bench::Ms;

std::string SongBytes(int index) {
    std::string tag(128, '\0');
    std::memcpy(&tag[0], "TAG", 3);
    const std::string title = "Song " + std::to_string(index);
    const std::string artist = "Artist " + std::to_string(index % 50);
    title.copy(&tag[3], std::min<size_t>(title.size(), 30));
    artist.copy(&tag[33], std::min<size_t>(artist.size(), 30));
    tag[127] = static_cast<char>(index % 80);
    return td::test::MpegAudio(8 * 417) + tag;
}

bool MakeLibrary(const std::string& root, int files) {
    CreateDirectoryA(root.c_str(), nullptr);
    for (int i = 0; i < files; ++i) {
        const std::string folder = root + "\\folder" + std::to_string(i % 100);
        if (i < 100) CreateDirectoryA(folder.c_str(), nullptr);
        if (!td::test::WriteBytes(folder + "\\song" + std::to_string(i) + ".mp3", SongBytes(i))) return false;
    }
    return true;
}

// The reference for the window's stall timer: a timer of the same period on
// this thread while it only waits for the scan, so that both meet the same
// load of the machine. The longest a tick came late, in milliseconds.
constexpr UINT kIdleTimerMs = 20;
DWORD idleLastTick = 0;
int idleLongestLate = 0;

void CALLBACK IdleTick(HWND, UINT, UINT_PTR, DWORD) {
    const DWORD now = GetTickCount();
    if (idleLastTick != 0) {
        const int late = static_cast<int>(now - idleLastTick) - static_cast<int>(kIdleTimerMs);
        idleLongestLate = std::max(idleLongestLate, late);
    }
    idleLastTick = now;
}

// `tunedeck scan -r ROOT -o OUT` as a process, this thread's messages
// handled meanwhile; milliseconds, or -1.
double RunScan(const std::string& program, const std::string& root, const std::string& out) {
    std::string commandLine = "\"" + program + "\" scan -r \"" + root + "\" -o \"" + out + "\"";
    idleLastTick = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, kIdleTimerMs, &IdleTick);
    const auto start = std::chrono::steady_clock::now();
    const td::bench::ProcessRun run = td::bench::RunProcess(commandLine, "", CREATE_NO_WINDOW, INT_MAX);
    const double ms = Ms(start);
    KillTimer(nullptr, timer);
    return run.started && run.exitCode == 0 ? ms : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const int files = td::bench::IntOption(argc, argv, "--files", 10000);
    const int rounds = td::bench::IntOption(argc, argv, "--rounds", 3);
    td::LangTable::useBuiltinEnglish();
    td::test::HostSetup setup;
    setup.load = false;
    td::test::HostHarness harness(setup);
    if (!harness.ok()) {
        std::fprintf(stderr, "add_directory: the host could not be set up\n");
        return 1;
    }
    const std::string library = harness.path("library");
    if (!MakeLibrary(library, files)) {
        std::fprintf(stderr, "add_directory: the library could not be written\n");
        return 1;
    }
    const std::string programDir = td::test::TestProgramDir();
    HMODULE module = LoadLibraryA((programDir + "\\gen_Tunedeck.dll").c_str());
    if (!module) {
        std::fprintf(stderr, "add_directory: gen_Tunedeck.dll not found beside the benchmark\n");
        return 1;
    }
    td::Win32HostChannel channel(harness.hostWindow());
    td::HostBridge bridge(channel);
    td::Settings settings(harness.path(""));
    td::LangTable lang(harness.path(""));
    td::test::RecordingPrompter prompter;

    // The tool is built beside the benchmark's folder (bin\\..).
    std::string tool = programDir + "\\tunedeck.exe";
    if (GetFileAttributesA(tool.c_str()) == INVALID_FILE_ATTRIBUTES) tool = programDir + "\\..\\tunedeck.exe";

    // Rounds alternate between the two, so that both meet the same caches
    // and the same load of the machine.
    double bestWindow = 1e300;
    double bestScan = 1e300;
    int longestStall = 0;
    int listed = 0;
    double firstRows = -1;  // of the best window round
    for (int round = 0; round < rounds; ++round) {
        {
            td::PlaylistWindow window(module, harness.hostWindow(), bridge, settings, lang,
                                      harness.path("start.kq3"), &prompter);
            if (!window.create()) {
                std::fprintf(stderr, "add_directory: the window could not be created\n");
                return 1;
            }
            harness.pump(200);
            prompter.chooseFolder(library, true);
            const auto start = std::chrono::steady_clock::now();
            window.command(IDM_ADD_DIRECTORY);
            double rowsShown = -1;
            harness.pumpUntil(
                [&] {
                    if (rowsShown < 0 && SendMessageA(window.listView(), LVM_GETITEMCOUNT, 0, 0) > 0) {
                        rowsShown = Ms(start);
                    }
                    return !window.gathering();
                },
                600000);
            const double ms = Ms(start);
            if (ms < bestWindow) {
                bestWindow = ms;
                firstRows = rowsShown;
            }
            longestStall = std::max(longestStall, window.longestStallMs());
            listed = window.view().rowCount();
            window.destroy();
            DeleteFileA(harness.path("start.kq3").c_str());
        }
        const double ms = RunScan(tool, library, harness.path("scan.kq3"));
        if (ms < 0) {
            std::fprintf(stderr, "add_directory: tunedeck scan failed (is tunedeck.exe built?)\n");
            return 1;
        }
        bestScan = std::min(bestScan, ms);
    }
    FreeLibrary(module);
    std::printf("add_directory: %d files, best of %d rounds\n", files, rounds);
    std::printf("  window, Add directory through the worker: %9.1f ms (%d rows listed)\n", bestWindow,
                listed);
    std::printf("  tunedeck scan -r of the same folder:      %9.1f ms\n", bestScan);
    std::printf("  ratio scan / window:                      %9.2f (target >= 0.8)\n", bestScan / bestWindow);
    std::printf("  first rows listed after:                  %9.1f ms (%.2f of the run)\n", firstRows,
                firstRows / bestWindow);
    std::printf("  longest unanswered message loop:          %9d ms (target < 100)\n", longestStall);
    std::printf("    the same timer, this thread idle during the scans: %d ms (the machine's share)\n",
                idleLongestLate);
    return 0;
}
