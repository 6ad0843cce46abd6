// How long does the playlist window take to open on a large start file?
//
//   window_open [--entries N] [--rounds R]
//
// Runs the plug-in inside the stand-in host in this process (as the UI tests
// do), with a start file of N entries (default 100000) like a real library's.
// Each round sends the host's "Show" command (the entry the plug-in adds to
// the host's menu) and stops the clock once the window's list has painted;
// then the window is closed again, which saves the start file. As a
// reference, the same file is loaded by the playlist reader alone in the same
// process. Best of R rounds (default 3) each.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/support/sample_playlist.h"
#include "playlist/kq3.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tests/support/recording_prompter.h"
#include "tests/win32/host_harness.h"

namespace {

using td::bench::Ms;

constexpr int kListId = 1008;

}  // namespace

int main(int argc, char** argv) {
    const int entries = td::bench::IntOption(argc, argv, "--entries", 100000);
    const int rounds = td::bench::IntOption(argc, argv, "--rounds", 3);
    td::LangTable::useBuiltinEnglish();

    td::test::HostHarness harness;
    if (!harness.ok()) {
        std::fprintf(stderr, "window_open: the host could not be set up\n");
        return 1;
    }
    const std::string startFile = harness.path("Plugins\\gen_Tunedeck.KQ3");
    {
        td::Playlist playlist;
        td::PlaylistView view(playlist);
        td::bench::FillSamplePlaylist(playlist, entries);
        if (td::saveKq3(playlist, startFile, nullptr) != td::Kq3Save::Saved) {
            std::fprintf(stderr, "window_open: the start file could not be written\n");
            return 1;
        }
    }

    double reference = 1e300;
    for (int r = 0; r < rounds; ++r) {
        td::Playlist playlist;
        td::PlaylistView view(playlist);
        td::test::RecordingPrompter prompter;
        const auto t0 = std::chrono::steady_clock::now();
        td::loadKq3(startFile, true, playlist, view, prompter);
        reference = std::min(reference, Ms(t0));
        for (const auto& shown : prompter.shown)
            std::fprintf(stderr, "window_open: message: %s\n", shown.text.c_str());
    }

    double open = 1e300;
    double close = 1e300;
    int shownRows = -1;
    for (int r = 0; r < rounds; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        HWND window = harness.showPluginWindow(60000);
        if (!window) {
            std::fprintf(stderr, "window_open: the window did not open\n");
            return 1;
        }
        HWND list = GetDlgItem(window, kListId);
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        open = std::min(open, Ms(t0));
        shownRows = list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : -1;

        const auto t1 = std::chrono::steady_clock::now();
        SendMessageA(window, WM_CLOSE, 0, 0);  // saves the placement, the settings and the list
        harness.pumpUntil([&] { return !IsWindow(window); }, 60000);
        close = std::min(close, Ms(t1));
    }

    std::printf("start file        %d entries\n", entries);
    std::printf("rows shown        %d\n", shownRows);
    std::printf("reader alone      %8.1f ms   best of %d (the same file, this process)\n", reference, rounds);
    std::printf("show -> painted   %8.1f ms   best of %d\n", open, rounds);
    std::printf("close (saves)     %8.1f ms   best of %d\n", close, rounds);
    std::printf("open / reader     %8.2fx\n", open / reference);
    return shownRows == entries ? 0 : 1;
}
