// A list like a real library's, for the benchmarks: N entries with paths of
// about 60 characters on two volumes, both tags, seven text frames and ratings.
#pragma once

namespace td {
class Playlist;
namespace bench {

void FillSamplePlaylist(Playlist& playlist, int entries);

}  // namespace bench
}  // namespace td
