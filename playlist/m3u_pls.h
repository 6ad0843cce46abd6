// M3U and PLS playlists, to exchange lists with the host player and other
// programs. Readers take only the paths and read every file again; writers
// take the view's rows in display order.
//
// Files are text in the native narrow encoding of paths (the ANSI code page
// on Windows, UTF-8 on POSIX) with CR LF line ends; reading accepts CR LF and
// LF, a UTF-8 byte order mark, and on POSIX ANSI text where a line is not
// UTF-8. A relative path is taken relative to the playlist file's own folder.
#pragma once

#include <string>
#include <vector>

namespace td {

class Playlist;
class PlaylistView;
class Prompter;

// The path a playlist line names: a relative path joined to the folder of
// `playlistPath` ("." and ".." steps resolved), a path starting at a root
// ("\music\a.mp3" on Windows) put on the playlist's drive, anything else (an
// absolute path, a URL) unchanged.
std::string resolvePlaylistPath(const std::string& playlistPath, const std::string& entry);

// The paths an M3U text names, in file order, resolved against `playlistPath`.
// The first line only tells whether the file is extended ("#EXTM3U"); in an
// extended file the line after an "#EXTINF" line is taken in its place.
std::vector<std::string> m3uPaths(const std::string& text, const std::string& playlistPath);
// The paths of the "File" lines of a PLS text, in line order. False when the
// first line is not "[playlist]".
bool plsPaths(const std::string& text, const std::string& playlistPath, std::vector<std::string>& paths);

// Replace the Playlist and the view with the songs the file names (rows in
// file order, unsorted). False, with nothing changed, when the file cannot be
// read. A PLS file without its "[playlist]" line leaves an empty list and
// shows "Bad file: PLS playlist".
// Paths longer than kMaxPathLength are left out, and counted in `tooLong`.
bool readM3u(const std::string& path, Playlist& playlist, PlaylistView& view, int* tooLong = nullptr);
bool readPls(const std::string& path, Playlist& playlist, PlaylistView& view, Prompter& prompter,
             int* tooLong = nullptr);

// The longest path the system can open (MAX_PATH of the ANSI API on Windows).
#ifdef _WIN32
constexpr size_t kMaxPathLength = 259;
#else
constexpr size_t kMaxPathLength = 4095;
#endif

// The texts the writers store: the view's rows in display order, with
// `selectedOnly` only the selected ones; Artist and Title read under the
// view's tag source (a line break in them written as a space). A file name
// with a line break cannot be stored, as it would split into two entries:
// such rows are left out (unwritablePlaylistNames lists them).
std::vector<std::string> unwritablePlaylistNames(const PlaylistView& view, bool selectedOnly);
std::string formatM3u(const PlaylistView& view, bool selectedOnly);
std::string formatPls(const PlaylistView& view, bool selectedOnly);

}  // namespace td
