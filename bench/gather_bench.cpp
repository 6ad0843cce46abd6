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
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "bench/support/sample_playlist.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/folder_walk.h"
#include "playlist/playlist.h"
#include "window/file_gatherer.h"

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

using td::bench::Best;
using td::bench::Ms;
using td::bench::Timing;

namespace {

void MakeFolder(const std::string& path) {
#ifdef _WIN32
    _mkdir(path.c_str());
#else
    mkdir(path.c_str(), 0755);
#endif
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// An ID3v2.3 tag with a title and an artist, then a few MPEG frames.
std::string SongBytes(int n) {
    const auto frame = [](const char* id, const std::string& text) {
        const std::string body = std::string(1, '\0') + text;
        const auto size = static_cast<uint32_t>(body.size());
        return std::string(id, 4) + static_cast<char>(size >> 24) + static_cast<char>(size >> 16) +
               static_cast<char>(size >> 8) + static_cast<char>(size) + std::string(2, '\0') + body;
    };
    const std::string frames = frame("TIT2", "Song " + std::to_string(n)) + frame("TPE1", "Artist");
    const auto size = static_cast<uint32_t>(frames.size() + 256);
    std::string tag = std::string("ID3\x03\x00\x00", 6) + static_cast<char>((size >> 21) & 0x7F) +
                      static_cast<char>((size >> 14) & 0x7F) + static_cast<char>((size >> 7) & 0x7F) +
                      static_cast<char>(size & 0x7F) + frames + std::string(256, '\0');
    std::string audio("\xFF\xFB\x90\x00", 4);
    audio.resize(417, '\0');
    for (int i = 0; i < 4; ++i) tag += audio;
    return tag;
}

std::string TempRoot() {
#ifdef _WIN32
    const char* base = std::getenv("TEMP");
    std::string root = std::string(base ? base : ".") + "\\td-gather-bench";
#else
    std::string root = "/tmp/td-gather-bench-" + std::to_string(getpid());
#endif
    MakeFolder(root);
    return root;
}

void RemoveTree(const std::string& path) {
    std::vector<td::DirectoryEntry> entries;
    if (td::ListDirectory(path, entries)) {
        for (const td::DirectoryEntry& e : entries) {
            const std::string child = td::JoinPath(path, e.name);
            if (e.isDirectory && !e.isLink) {
                RemoveTree(child);
            } else {
                std::remove(child.c_str());
            }
        }
    }
#ifdef _WIN32
    _rmdir(path.c_str());
#else
    rmdir(path.c_str());
#endif
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
class WideFs final : public td::FileSystem {
public:
    explicit WideFs(int count) : count_(count) {}
    std::unique_ptr<td::File> Open(const std::string& p, td::OpenMode m) override { return inner_.Open(p, m); }
    bool GetStatus(const std::string& p, td::FileStatus& s) override { return inner_.GetStatus(p, s); }
    bool GetAttributes(const std::string& p, uint32_t& a) override { return inner_.GetAttributes(p, a); }
    bool SetAttributes(const std::string& p, uint32_t a) override { return inner_.SetAttributes(p, a); }
    bool Remove(const std::string& p) override { return inner_.Remove(p); }
    bool Rename(const std::string& f, const std::string& t) override { return inner_.Rename(f, t); }
    bool Replace(const std::string& s, const std::string& t) override { return inner_.Replace(s, t); }
    bool List(const std::string&, std::vector<td::DirectoryEntry>& entries) override {
        entries.clear();
        std::mt19937 rng(7);
        for (int i = 0; i < count_; ++i) {
            entries.push_back({"Track " + std::to_string(rng() % 1000000) + " - " +
                                   std::to_string(i) + ".txt", false, false});
        }
        return true;
    }

private:
    int count_;
    td::FileSystem& inner_ = td::NativeFs();
};

double WalkMs(int entries, int rounds, bool walk) {
    WideFs wide(entries);
    td::FileSystem* previous = td::SetFs(&wide);
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
    td::SetFs(previous);
    return t.wall;
}

}  // namespace

int main(int argc, char** argv) {
    int files = 10000;
    int entries = 100000;
    int rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--files") == 0) files = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--entries") == 0) entries = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atoi(argv[i + 1]);
    }

    const std::string root = TempRoot();
    const std::string tree = td::JoinPath(root, "library");
    MakeFolder(tree);
    for (int i = 0; i < files; ++i) {
        const std::string folder = td::JoinPath(tree, "album" + std::to_string(i / 100));
        if (i % 100 == 0) MakeFolder(folder);
        WriteFile(td::JoinPath(folder, "song" + std::to_string(i) + ".mp3"), SongBytes(i));
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
    std::printf("walk of one folder of %d entries: listing %.1f ms, walk %.1f ms, ratio %.2f\n",
                entries, list, walk, walk / list);
    std::printf("walk of %d entries against %d: ratio %.2f (linear: about 2)\n", 2 * entries,
                entries, walk2 / walk);

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
    RemoveTree(root);
    return 0;
}
