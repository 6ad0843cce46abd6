// Remove and Crop on 100,000 rows with every other row selected, and Select
// with same (Artist, read through the view's tag source, and Time) over
// 100,000 rows, each against a plain pass over the same rows in the same
// process: reading every row's artist as the list shows it. A walk that
// erased rows one by one would be quadratic; the target is under 1 s.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/support/sample_playlist.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/settings.h"
#include "tags/song_record.h"
#include "window/selection_ops.h"

using td::bench::Best;
using td::bench::Timing;

namespace {

constexpr int kDefaultRows = 100000;
constexpr double kTargetMs = 1000.0;

struct Fixture {
    td::Playlist playlist;
    td::PlaylistView view{playlist};

    explicit Fixture(int rows) {
        td::bench::FillSamplePlaylist(playlist, rows);
        view.setViewSource(2);
        view.rebuildFromPlaylist();
        view.suspendSelectionUpdates(true);
        for (int row = 0; row < view.rowCount(); row += 2) view.setSelected(row, true);
        view.suspendSelectionUpdates(false);
        view.recomputeSelectedLength();
    }
};

void Print(const char* what, const Timing& t, const Timing& reference) {
    std::printf("%-34s %9.1f ms wall %9.1f ms cpu   %6.2f x plain pass%s\n", what, t.wall, t.cpu,
                t.wall / reference.wall, t.wall < kTargetMs ? "" : "   OVER TARGET");
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : kDefaultRows;
    std::printf("rows: %d, half selected; target under %.0f ms each\n", rows, kTargetMs);

    Fixture plain(rows);
    size_t sink = 0;
    const Timing reference = Best(3, [&] {
        std::string text;
        for (const td::ViewRow& row : plain.view.rows()) {
            text.clear();
            td::GetTagField(*row.entry, td::columnDef(td::kColumnArtist).frameType, 2, text);
            sink += text.size();
        }
    });
    std::printf("%-34s %9.1f ms wall %9.1f ms cpu\n", "plain pass (artist of every row)", reference.wall,
                reference.cpu);

    Timing remove;
    Timing crop;
    for (int round = 0; round < 3; ++round) {
        Fixture a(rows);
        const Timing r =
            Best(1, [&] { sink += static_cast<size_t>(td::removeSelectedRows(a.playlist, a.view) + 1); });
        if (r.wall < remove.wall) remove = r;
        Fixture b(rows);
        const Timing c =
            Best(1, [&] { sink += static_cast<size_t>(td::cropToSelection(b.playlist, b.view)); });
        if (c.wall < crop.wall) crop = c;
        if (a.playlist.count() != rows - (rows + 1) / 2 || b.playlist.count() != (rows + 1) / 2) {
            std::printf("wrong result\n");
            return 1;
        }
    }
    Print("Remove (half of the rows)", remove, reference);
    Print("Crop (half of the rows)", crop, reference);

    Fixture same(rows);
    const Timing artist = Best(3, [&] {
        same.view.selectAll(false);
        same.view.setSelected(rows / 2, true);
        sink += static_cast<size_t>(td::selectWithSame(same.view, td::kSameArtist));
    });
    Print("Select with same Artist", artist, reference);
    const Timing time = Best(3, [&] {
        same.view.selectAll(false);
        same.view.setSelected(rows / 2, true);
        sink += static_cast<size_t>(td::selectWithSame(same.view, td::kSameTime));
    });
    Print("Select with same Time", time, reference);
    std::printf("(%zu)\n", sink % 10);
    return 0;
}
