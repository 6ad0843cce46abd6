// Loading a command's SOURCE argument as the playlist window would: a .kq3
// playlist file, an .m3u/.m3u8 or .pls playlist (songs read again from their
// files), or a folder (its .mp3 and .mp2 files, as "Add directory" adds them).
#pragma once

#include <string>

namespace td {
class Playlist;
class PlaylistView;
}  // namespace td

namespace td::cli {

enum class SourceLoad {
    Loaded,     // every part of the source was read
    Damaged,    // read in part (the rows read are in the view); reason reported
    Missing,    // the source does not exist or cannot be examined; reported
    NotSource,  // neither a folder nor a playlist file; reported
};

// Fills `playlist` and `view` (whose columns the caller has built) from
// `source`. Reasons go to standard error as "COMMAND: ...". With `recursive`
// a folder's subfolders are entered too.
SourceLoad LoadSource(const char* command, const std::string& source, bool recursive, Playlist& playlist,
                      PlaylistView& view);

}  // namespace td::cli
