// Gathering and walking folders, as "Add directory" and `tunedeck scan` do.
//
//   gather_bench [--files N] [--entries M] [--rounds R]
//
// Prints, each as a ratio against a reference run in the same process:
// - the gathering worker (its own thread, reports through a listener) against
//   the same run on the calling thread (what `tunedeck scan` does), over a
//   folder tree of N tagged files (default 10,000): the target is at least 0.8;
// - the walk of one folder of M entries (default 100,000) against a bare
//   listing of it, and the walk of 2M entries against that of M: the walk adds
//   one sort to the listing and grows linearly (ratio near 2, never near 4);
// - how long a stop takes to end the worker, the longest of several stops
//   made at random moments (milliseconds; the window waits for it).
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "bench/support/sample_playlist.h"
#include "platform/copy_file.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/folder_walk.h"
#include "playlist/playlist.h"
#include "tests/support/test_support.h"
#include "window/file_gatherer.h"

using td::bench::Best;
using td::bench::Ms;
using td::bench::Timing;

namespace {

// An ID3v2.3 tag with a title and an artist, then a few MPEG frames.
std::string SongBytes(int n) {
    const std::string frames =
        td::bench::TextFrame("TIT2", "Song " + std::to_string(n)) + td::bench::TextFrame("TPE1", "Artist");
    return td::bench::Id3v2Tag(frames, 256) + td::test::MpegAudio(4 * 417);
}

class Waiter : public td::GatherListener {
public:
    void gatherFile(const std::string&) override { ++files; }
    void gatherDone() override {
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
        cv_.notify_all();
    }
    void wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        cv_.wait(lock, [this] { return done_; });
        done_ = false;
    }
    int files = 0;

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
};

// A file seam that lists one folder as `count` synthetic names.
class WideFs final : public td::test::ForwardingFs {
public:
    explicit WideFs(int count) : count_(count) {}
    bool List(const std::string&, std::vector<td::DirectoryEntry>& entries) override {
        entries.clear();
        std::mt19937 rng(7);
        for (int i = 0; i < count_; ++i) {
            entries.push_back(
                {"Track " + std::to_string(rng() % 1000000) + " - " + std::to_string(i) + ".txt", false,
                 false});
        }
        return true;
    }

private:
    int count_;
};

double WalkMs(int entries, int rounds, bool walk) {
    WideFs wide(entries);
    td::test::ScopedFs scoped(wide);
    const Timing t = Best(rounds, [&] {
        long seen = 0;
        if (walk) {
            td::WalkFolder("wide", td::WalkOptions(), [&](td::WalkEvent, const std::string&) {
                ++seen;
                return true;
            });
        } else {
            std::vector<td::DirectoryEntry> list;
            td::Fs().List("wide", list);
            seen = static_cast<long>(list.size());
        }
        if (seen != entries) std::printf("unexpected count %ld\n", seen);
    });
    return t.wall;
}

}  // namespace

int main(int argc, char** argv) {
    const int files = td::bench::IntOption(argc, argv, "--files", 10000);
    const int entries = td::bench::IntOption(argc, argv, "--entries", 100000);
    const int rounds = td::bench::IntOption(argc, argv, "--rounds", 3);

    td::test::TempDir root;
    const std::string tree = root.Path("library");
    for (int i = 0; i < files; ++i) {
        const std::string folder = td::JoinPath(tree, "album" + std::to_string(i / 100));
        if (i % 100 == 0) td::MakeDirectories(folder);
        td::test::WriteBytes(td::JoinPath(folder, "song" + std::to_string(i) + ".mp3"), SongBytes(i));
    }

    const td::GatherRequest request = td::GatherRequest::Directory(tree, true);
    const Timing direct = Best(rounds, [&] {
        td::Playlist playlist;
        td::FileGatherer gatherer(playlist);
        gatherer.run(request, nullptr);
    });
    const Timing worker = Best(rounds, [&] {
        td::Playlist playlist;
        td::FileGatherer gatherer(playlist);
        Waiter waiter;
        gatherer.start(request, waiter);
        waiter.wait();
        gatherer.stop();
    });
    std::printf("gather %d files: calling thread %.1f ms, worker %.1f ms, ratio %.2f (target >= 0.8)\n",
                files, direct.wall, worker.wall, direct.wall / worker.wall);

    const double list = WalkMs(entries, rounds, false);
    const double walk = WalkMs(entries, rounds, true);
    const double walk2 = WalkMs(2 * entries, rounds, true);
    std::printf("walk of one folder of %d entries: listing %.1f ms, walk %.1f ms, ratio %.2f\n", entries,
                list, walk, walk / list);
    std::printf("walk of %d entries against %d: ratio %.2f (linear: about 2)\n", 2 * entries, entries,
                walk2 / walk);

    // Stops at random moments: the longest wait for the worker to end.
    std::mt19937 rng(11);
    double longest = 0;
    for (int r = 0; r < 10; ++r) {
        td::Playlist playlist;
        td::FileGatherer gatherer(playlist);
        Waiter waiter;
        gatherer.start(request, waiter);
        const auto delay = std::chrono::milliseconds(5 + rng() % 50);
        std::this_thread::sleep_for(delay);
        const auto start = std::chrono::steady_clock::now();
        gatherer.stop();
        longest = std::max(longest, Ms(start));
    }
    std::printf("stop: longest wait for the worker %.2f ms\n", longest);
    return 0;
}
