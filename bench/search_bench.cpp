// The search box over 100,000 songs: the rows after each keystroke of a few
// search texts, as refilter gives them (explorer filter and text search) and
// through the search worker. The first keystroke after a change of the list
// also builds the search index; that cost is shown on its own. Records are
// built in memory, as a playlist file gives them.
// Target: under 20 ms per keystroke.
//   search_bench [--rows N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/support/sample_playlist.h"
#include "platform/text_codec.h"
#include "playlist/filter_search.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/song_record.h"

using td::bench::Best;
using td::bench::Ms;
using td::bench::Timing;

namespace {

constexpr int kDefaultRows = 100000;
constexpr double kTargetMs = 20.0;

void Fill(td::Playlist& playlist, int rows) {
    std::mt19937 rng(2024);
    for (int i = 0; i < rows; ++i) {
        const std::string artist = td::bench::RandomWords(rng, 1 + static_cast<int>(rng() % 2));
        const std::string album = td::bench::RandomWords(rng, 2);
        char path[300];
        std::snprintf(path, sizeof path, "D:\\Music\\%s\\%s\\%02d - %s.mp3", artist.c_str(), album.c_str(),
                      static_cast<int>(rng() % 20) + 1, td::bench::RandomWords(rng, 3).c_str());
        auto record = std::make_unique<td::SongRecord>(path, false);
        record->AddFrame(std::make_unique<td::Id3v2FieldFrame>(td::kTPE1, artist), false);
        record->AddFrame(std::make_unique<td::Id3v2FieldFrame>(td::kTIT2, td::bench::RandomWords(rng, 3)),
                         false);
        record->AddFrame(std::make_unique<td::Id3v2FieldFrame>(td::kTALB, album), false);
        record->AddFrame(std::make_unique<td::Id3v2FieldFrame>(td::kTYER, std::to_string(1960 + rng() % 60)),
                         false);
        if (rng() % 3 == 0)
            record->AddFrame(std::make_unique<td::Id3v2FieldFrame>(td::kCOMM, td::bench::RandomWords(rng, 4)),
                             false);
        record->SetTagFlags(td::kTagId3v2);
        record->GetMpegInfo().seconds = 120 + static_cast<int>(rng() % 300);
        record->SetRating(static_cast<int>(rng() % 6));
        playlist.append(std::move(record));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = td::bench::IntOption(argc, argv, "--rows", kDefaultRows);
    constexpr int kRounds = 3;
    td::LangTable::useBuiltinEnglish();
    td::Playlist playlist;
    Fill(playlist, rows);
    td::PlaylistView view(playlist);
    td::FilterSearch search(playlist);
    search.setViewSource(1);
    search.setSearchFields(63);
    search.recountGenres();

    std::printf(
        "search over %d songs, all six fields, case ignored (best of %d rounds;\n"
        "wall-clock ms / processor ms)\n",
        rows, kRounds);
    std::shared_ptr<const td::SearchIndex> index;
    Timing t = Best(kRounds, [&] {
        search.invalidateIndex();
        index = search.index();
    });
    std::printf("  index, built once per change of the list: %.1f / %.1f ms (%.1f MB)\n", t.wall, t.cpu,
                index->byteSize() / 1048576.0);

    // Without the index, for comparison: every field read, folded and searched.
    const td::PreparedSearch prepared = td::prepareSearch("beat", 63);
    int direct = 0;
    t = Best(kRounds, [&] {
        direct = 0;
        for (int i = 0; i < playlist.count(); ++i)
            direct += td::matchesSearch(*playlist.entryAt(i), prepared, 1);
    });
    std::printf("  entry by entry without the index (\"beat\"): %.1f / %.1f ms, %d rows\n", t.wall, t.cpu,
                direct);

    const char* const texts[] = {"the beatles", "caf\xE9", "zep", "d:\\music\\queen", "1977"};
    Timing worst{0, 0};
    double sum = 0;
    int keystrokes = 0;
    for (const char* text : texts) {
        const std::string full = text;
        Timing textWorst{0, 0};
        for (size_t n = 1; n <= full.size(); ++n) {
            search.setSearchText(full.substr(0, n));
            t = Best(kRounds, [&] { search.refilter(view); });
            textWorst.wall = std::max(textWorst.wall, t.wall);
            textWorst.cpu = std::max(textWorst.cpu, t.cpu);
            sum += t.wall;
            ++keystrokes;
        }
        worst.wall = std::max(worst.wall, textWorst.wall);
        worst.cpu = std::max(worst.cpu, textWorst.cpu);
        std::printf("  refilter, typing \"%s\": worst keystroke %.2f / %.2f ms, %d rows at the end\n",
                    td::text::AnsiToUtf8(text).c_str(), textWorst.wall, textWorst.cpu, view.rowCount());
    }
    std::printf("  refilter: %d keystrokes, mean %.2f ms, worst %.2f / %.2f ms\n", keystrokes,
                sum / keystrokes, worst.wall, worst.cpu);

    // Through the worker: start on each keystroke, wait, show the rows.
    Timing workerWorst{0, 0};
    for (const char* text : texts) {
        const std::string full = text;
        for (size_t n = 1; n <= full.size(); ++n) {
            search.setSearchText(full.substr(0, n));
            t = Best(kRounds, [&] {
                search.startSearch(view);
                search.worker().wait();
                search.applySearchResult(view);
            });
            workerWorst.wall = std::max(workerWorst.wall, t.wall);
            workerWorst.cpu = std::max(workerWorst.cpu, t.cpu);
        }
    }
    std::printf("  worker: worst keystroke %.2f / %.2f ms (start, search, rows shown)\n", workerWorst.wall,
                workerWorst.cpu);

    // With an explorer filter on top (artist), the common case of a narrowed
    // view. Choosing the filter works out its verdicts once.
    search.filter().mask = td::kFilterArtist;
    search.filter().artist = "Queen";
    search.setSearchText("");
    const Timing chosen = Best(kRounds, [&] {
        search.invalidateIndex();
        search.refilter(view);
    });
    std::printf("  choosing an artist in the explorer (verdicts, rows): %.2f / %.2f ms, %d rows\n",
                chosen.wall, chosen.cpu, view.rowCount());
    search.setSearchText("love");
    search.index();
    const Timing filtered = Best(kRounds, [&] { search.refilter(view); });
    std::printf("  keystroke with that filter (\"love\"): %.2f / %.2f ms, %d rows\n", filtered.wall,
                filtered.cpu, view.rowCount());

    // Judged on processor time: the wall clock of a shared machine says more
    // about its other work than about the search.
    const double overall = std::max({worst.cpu, workerWorst.cpu, filtered.cpu});
    std::printf("worst keystroke %.2f ms of processor time (wall %.2f ms): %s (target < %.0f ms)\n", overall,
                std::max({worst.wall, workerWorst.wall, filtered.wall}), overall < kTargetMs ? "ok" : "SLOW",
                kTargetMs);
    return overall < kTargetMs ? 0 : 1;
}
