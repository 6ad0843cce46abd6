// How fast is a .kq3 playlist file saved and loaded, compared with the least
// any loader must do: read the file's bytes and allocate its records?
//
//   kq3_load [--entries N] [--rounds R] [--keep]
//
// A list of N entries (default 100000) like a real library's is saved to a
// temporary file: paths of about 60 characters, both tags, seven text frames,
// ratings and two volumes. Then, R rounds (default 5) each, interleaved so
// that load bursts of the machine hit them alike:
//   floor  read the whole file in one read, allocate N SongRecords with their
//          names, ID3v1 blocks and the same number of frame objects;
//   load   loadKq3 into an empty list (Playlist and view rows).
// The best round of each counts. Target: load within 3x of the floor.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/sample_playlist.h"
#include "platform/file_system.h"
#include "platform/prompter.h"
#include "playlist/kq3.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

class SilentPrompter final : public td::Prompter {
public:
    td::PromptAnswer Message(const std::string& text, const std::string&, td::PromptButtons,
                             td::PromptIcon) override {
        std::fprintf(stderr, "kq3_load: message: %s\n", text.c_str());
        return td::PromptAnswer::Ok;
    }
};

std::string TempPath() {
#ifdef _WIN32
    char dir[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof(dir), dir);
    std::string base = n > 0 && n < sizeof(dir) ? std::string(dir, n) : std::string(".\\");
    return base + "tunedeck-kq3-bench-" + std::to_string(GetCurrentProcessId()) + ".kq3";
#else
    const char* env = std::getenv("TMPDIR");
    std::string base = env && *env ? env : "/tmp";
    return base + "/tunedeck-kq3-bench-" + std::to_string(getpid()) + ".kq3";
#endif
}

// The floor: one read of the bytes, then the records every loader must make.
double FloorRound(const std::string& path, int entries, int framesPerEntry, size_t nameLength) {
    const auto start = Clock::now();
    std::string bytes;
    if (td::readWholePlaylistFile(path, bytes) != td::WholeFileRead::Ok) std::exit(1);
    std::vector<std::unique_ptr<td::SongRecord>> records;
    records.reserve(static_cast<size_t>(entries));
    td::Id3v1Tag block;
    std::memset(&block, 0, sizeof(block));
    const std::string name(nameLength, 'x');
    for (int i = 0; i < entries; ++i) {
        auto record = std::make_unique<td::SongRecord>(name, false);
        record->SetId3v1(&block);
        for (int f = 0; f < framesPerEntry; ++f) {
            record->AddFrame(new td::Id3v2FieldFrame(td::kTIT2, std::string()), false);
        }
        records.push_back(std::move(record));
    }
    const double seconds = Seconds(Clock::now() - start);
    if (bytes.empty() || records.size() != static_cast<size_t>(entries)) std::exit(1);
    return seconds;
}

double LoadRound(const std::string& path, int entries) {
    td::Playlist playlist;
    td::PlaylistView view(playlist);
    SilentPrompter prompter;
    const auto start = Clock::now();
    const td::Kq3Load result = td::loadKq3(path, true, playlist, view, prompter);
    const double seconds = Seconds(Clock::now() - start);
    if (result != td::Kq3Load::Loaded || playlist.count() != entries || view.rowCount() != entries) {
        std::fprintf(stderr, "kq3_load: the file did not load back\n");
        std::exit(1);
    }
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    int entries = 100000;
    int rounds = 5;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--entries" && i + 1 < argc) {
            entries = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--keep") {
            keep = true;
        } else {
            std::fprintf(stderr, "usage: kq3_load [--entries N] [--rounds R] [--keep]\n");
            return 2;
        }
    }
    td::LangTable::useBuiltinEnglish();
    const std::string path = TempPath();

    double saveSeconds = 0;
    size_t nameLength = 0;
    {
        td::Playlist playlist;
        td::bench::FillSamplePlaylist(playlist, entries);
        for (int i = 0; i < playlist.count(); ++i) {
            nameLength += playlist.entryAt(i)->GetFileName().size();
        }
        nameLength /= static_cast<size_t>(playlist.count());
        const auto start = Clock::now();
        if (td::saveKq3(playlist, path, nullptr) != td::Kq3Save::Saved) {
            std::fprintf(stderr, "kq3_load: cannot save %s\n", path.c_str());
            return 1;
        }
        saveSeconds = Seconds(Clock::now() - start);
    }
    td::FileStatus status;
    td::Fs().GetStatus(path, status);

    double bestFloor = 1e9;
    double bestLoad = 1e9;
    LoadRound(path, entries);  // warm the page cache and the allocator
    for (int r = 0; r < rounds; ++r) {
        bestFloor = std::min(bestFloor, FloorRound(path, entries, 7, nameLength));
        bestLoad = std::min(bestLoad, LoadRound(path, entries));
    }
    if (!keep) td::Fs().Remove(path);

    const double ratio = bestLoad / bestFloor;
    std::printf("entries           %d\n", entries);
    std::printf("file size         %.1f MB\n", static_cast<double>(status.size) / 1e6);
    std::printf("save              %.1f ms   (temporary file, flushed, replaced)\n",
                saveSeconds * 1e3);
    std::printf("floor (read+new)  %.1f ms   best of %d\n", bestFloor * 1e3, rounds);
    std::printf("load              %.1f ms   best of %d (%.0f entries/s)\n", bestLoad * 1e3,
                rounds, entries / bestLoad);
    std::printf("load / floor      %.2fx   (target <= 3x): %s\n", ratio,
                ratio <= 3.0 ? "ok" : "SLOW");
    if (keep) std::printf("file kept: %s\n", path.c_str());
    return ratio <= 3.0 ? 0 : 1;
}
