// `tunedeck search`: the songs of a playlist file or folder that the playlist
// window's search box would show for a text.
#include <iterator>
#include <string>
#include <vector>

#include "cli/analysis_cli.h"
#include "cli/commands.h"
#include "cli/source_loader.h"
#include "cli/tool_cli.h"
#include "playlist/filter_search.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"

namespace td::cli {

const char kSearchHelp[] =
    "Usage: tunedeck search TEXT [--fields LIST] [--case] [--view 0-3] [-r] SOURCE\n"
    "\n"
    "Loads SOURCE as `tunedeck list` does and prints the songs in which TEXT\n"
    "occurs in one of the chosen fields, in the source's order, one per line:\n"
    "artist, title, time, size and file name, separated by tabs. Like the\n"
    "search box, TEXT holds at most 40 characters of the ANSI code page.\n"
    "\n"
    "  --fields LIST    comma-separated fields to search: artist, title, album,\n"
    "                   comment, file (the full path), year (default: all six)\n"
    "  --case           letter case must match (default: ignored)\n"
    "  --view N         tag the fields are read from: 0 ID3v1 (default), 1 ID3v2,\n"
    "                   2 ID3v2 then ID3v1, 3 ID3v1 then ID3v2\n"
    "  -r, --recursive  with a folder, enter its subfolders too\n"
    "\n"
    "Exit status: 0 when the source was read (found or not), 1 when it could not\n"
    "be read or is damaged, 2 on a usage error.\n";

namespace {

bool ParseSearchFields(const std::string& list, uint32_t& fields) {
    static const NamedBit kNames[] = {{"artist", kSearchArtist}, {"title", kSearchTitle},
                                      {"album", kSearchAlbum},   {"comment", kSearchComment},
                                      {"file", kSearchFileName}, {"year", kSearchYear}};
    return ParseNamedBits(list, kNames, std::size(kNames), fields) && fields != 0;
}

}  // namespace

int RunSearch(const std::vector<std::string>& args) {
    uint32_t fields = kSearchFieldMask;
    bool matchCase = false;
    AnalysisArgs parsed;
    const int status = ParseAnalysisArgs(
        "search", args, 2,
        [&](const std::string& option, const std::vector<std::string>& all, size_t& i) {
            if (option == "--case") {
                matchCase = true;
                return 1;
            }
            if (option != "--fields") return 0;
            std::string value;
            if (!OptionValue("search", all, i, value)) return -1;
            if (!ParseSearchFields(value, fields)) {
                ReportError("search: bad field list '" + value + "'; see 'tunedeck help search'");
                return -1;
            }
            return 1;
        },
        parsed);
    if (status != kExitOk) return status;
    std::string needle;
    if (!ToAnsiArgument(parsed.operands[0], "search", needle)) return kExitUsage;
    if (needle.empty()) {
        ReportError("search: the search text is empty");
        return kExitUsage;
    }

    LangTable::useBuiltinEnglish();
    Playlist playlist;
    PlaylistView view(playlist);
    view.setViewSource(parsed.viewSource);
    const SourceLoad load = LoadSource("search", parsed.operands[1], parsed.recursive, playlist, view);
    if (load == SourceLoad::Missing) return kExitFailure;
    if (load == SourceLoad::NotSource) return kExitUsage;

    FilterSearch search(playlist);
    search.setViewSource(parsed.viewSource);
    search.setSearchFields(matchCase ? (fields | kSearchMatchCase) : fields);
    search.setSearchText(needle);
    search.refilter(view);
    WriteSongLines(view);
    return load == SourceLoad::Loaded ? kExitOk : kExitFailure;
}

}  // namespace td::cli
