// `tunedeck stats`: the "Playlist information" report of a playlist file or
// folder.
#include <string>
#include <vector>

#include "cli/analysis_cli.h"
#include "cli/commands.h"
#include "cli/source_loader.h"
#include "platform/text_codec.h"
#include "playlist/playlist.h"
#include "playlist/statistics.h"
#include "playlist/view.h"
#include "settings/lang_table.h"

namespace td::cli {

const char kStatsHelp[] =
    "Usage: tunedeck stats [--view 0-3] [-r] [--raw] SOURCE\n"
    "\n"
    "Loads SOURCE as `tunedeck list` does (a .kq3, .m3u or .pls playlist or a\n"
    "folder of .mp3 and .mp2 files) and prints the playlist window's \"Playlist\n"
    "information\" report: number of files, total and average size, total\n"
    "length, songs per tag kind, genre and channel mode, and the artists.\n"
    "\n"
    "  --view N         tag the genre and artist are read from: 0 ID3v1\n"
    "                   (default), 1 ID3v2, 2 ID3v2 then ID3v1, 3 ID3v1 then ID3v2\n"
    "  -r, --recursive  with a folder, enter its subfolders too\n"
    "  --raw            the report's own bytes: ANSI code page, CR LF line ends\n"
    "                   (as the dialog copies it to the clipboard); otherwise\n"
    "                   UTF-8 with LF line ends\n"
    "\n"
    "Exit status: 0 when the source was read, 1 when it could not be read or is\n"
    "damaged (the report then covers the songs read), 2 on a usage error.\n";

int RunStats(const std::vector<std::string>& args) {
    bool raw = false;
    AnalysisArgs parsed;
    const int status = ParseAnalysisArgs(
        "stats", args, 1,
        [&raw](const std::string& option, const std::vector<std::string>&, size_t&) {
            if (option != "--raw") return 0;
            raw = true;
            return 1;
        },
        parsed);
    if (status != kExitOk) return status;

    LangTable::useBuiltinEnglish();
    Playlist playlist;
    PlaylistView view(playlist);
    view.setViewSource(parsed.viewSource);
    const SourceLoad load = LoadSource("stats", parsed.operands[0], parsed.recursive, playlist, view);
    if (load == SourceLoad::Missing) return kExitFailure;
    if (load == SourceLoad::NotSource) return kExitUsage;

    GenreTable genres;
    recountGenres(playlist, view.viewSource(), genres);
    const std::string report = playlistReport(playlist, view, true, genres);
    if (raw) {
        WriteOut(report);
    } else {
        std::string text;
        text.reserve(report.size());
        for (char c : report) {
            if (c != '\r') text += c;
        }
        WriteOut(text::AnsiToUtf8(text));
    }
    return load == SourceLoad::Loaded ? kExitOk : kExitFailure;
}

}  // namespace td::cli
