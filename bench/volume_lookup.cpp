// The volume of a playlist line: what registering the volume of one path
// costs as the path grows to 10 MB (five million folders deep, or one name
// of ten million characters). A lookup that is linear in the path's length
// takes ten times as long for ten times the length; one that copies the path
// for every folder it goes up takes a hundred times as long.
//
//   volume_lookup [--rounds N] [--bytes B]
//
// B (default 10,000,000) is the long path's length; the reference is a
// path a tenth as long.
#include <algorithm>
#include <cstdio>
#include <string>

#include "bench/support/sample_playlist.h"
#include "platform/volume.h"
#include "playlist/playlist.h"

using td::bench::Best;
using td::bench::Timing;

namespace {

std::string Deep(const std::string& base, size_t bytes) {
    std::string path = base;
    path.reserve(base.size() + bytes + 8);
    while (path.size() < base.size() + bytes) path += "/d";
    return path + "/x.mp3";
}

Timing Register(const std::string& path, int rounds) {
    return Best(rounds, [&] {
        td::Playlist playlist;
        if (playlist.registerVolume(path) < 0) std::fprintf(stderr, "volume_lookup: no volume\n");
    });
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = td::bench::IntOption(argc, argv, "--rounds", 3);
    const auto bytes =
        static_cast<size_t>(std::max(1000, td::bench::IntOption(argc, argv, "--bytes", 10000000)));
#ifdef _WIN32
    const std::string base = "C:\\Music";
#else
    const std::string base = "/tmp/music";
#endif
    const Timing shortPath = Register(base + "/song.mp3", rounds);
    const Timing deep1 = Register(Deep(base, bytes / 10), rounds);
    const Timing deep10 = Register(Deep(base, bytes), rounds);
    const Timing flat10 = Register(base + "/" + std::string(bytes, 'n') + ".mp3", rounds);
    std::printf("short path                %10.3f ms\n", shortPath.wall);
    std::printf("deep path of %9zu B  %10.3f ms\n", bytes / 10, deep1.wall);
    std::printf("deep path of %9zu B  %10.3f ms\n", bytes, deep10.wall);
    std::printf("one name of %9zu B   %10.3f ms\n", bytes, flat10.wall);
    std::printf("long / tenth deep path    %10.1f (10 when linear, 100 when quadratic)\n",
                deep10.wall / deep1.wall);
    std::printf("long deep path / short    %10.1f\n", deep10.wall / shortPath.wall);
    return 0;
}
