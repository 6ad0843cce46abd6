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
#include "tests/support/test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return td::bench::Ms(since) / 1000.0; }

class SilentPrompter final : public td::Prompter {
public:
    td::PromptAnswer Message(const std::string& text, const std::string&, td::PromptButtons,
                             td::PromptIcon) override {
        std::fprintf(stderr, "kq3_load: message: %s\n", text.c_str());
        return td::PromptAnswer::Ok;
    }
};

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
            record->AddFrame(std::make_unique<td::Id3v2FieldFrame>(td::kTIT2, std::string()), false);
        }
        records.push_back(std::move(record));
    }
    const double seconds = Seconds(start);
    if (bytes.empty() || records.size() != static_cast<size_t>(entries)) std::exit(1);
    return seconds;
}

double LoadRound(const std::string& path, int entries) {
    td::Playlist playlist;
    td::PlaylistView view(playlist);
    SilentPrompter prompter;
    const auto start = Clock::now();
    const td::Kq3Load result = td::loadKq3(path, true, playlist, view, prompter);
    const double seconds = Seconds(start);
    if (result != td::Kq3Load::Loaded || playlist.count() != entries || view.rowCount() != entries) {
        std::fprintf(stderr, "kq3_load: the file did not load back\n");
        std::exit(1);
    }
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const int entries = td::bench::IntOption(argc, argv, "--entries", 100000);
    const int rounds = td::bench::IntOption(argc, argv, "--rounds", 5);
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep") == 0) keep = true;
    }
    td::LangTable::useBuiltinEnglish();
    // A kept file goes to the current directory; otherwise to a temporary one.
    td::test::TempDir temporary;
    const std::string path = keep ? std::string("kq3_load.kq3") : temporary.Path("list.kq3");

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
        saveSeconds = Seconds(start);
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

    const double ratio = bestLoad / bestFloor;
    std::printf("entries           %d\n", entries);
    std::printf("file size         %.1f MB\n", static_cast<double>(status.size) / 1e6);
    std::printf("save              %.1f ms   (temporary file, flushed, replaced)\n", saveSeconds * 1e3);
    std::printf("floor (read+new)  %.1f ms   best of %d\n", bestFloor * 1e3, rounds);
    std::printf("load              %.1f ms   best of %d (%.0f entries/s)\n", bestLoad * 1e3, rounds,
                entries / bestLoad);
    std::printf("load / floor      %.2fx   (target <= 3x): %s\n", ratio, ratio <= 3.0 ? "ok" : "SLOW");
    if (keep) std::printf("file kept: %s\n", path.c_str());
    return ratio <= 3.0 ? 0 : 1;
}
