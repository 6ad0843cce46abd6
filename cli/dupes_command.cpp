// `tunedeck dupes`: the songs of a playlist file or folder that resemble
// another one, as the playlist window's "Find duplicates" shows them.
#include <iterator>
#include <string>
#include <vector>

#include "cli/analysis_cli.h"
#include "cli/commands.h"
#include "cli/source_loader.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "wizards/duplicates.h"

namespace td::cli {

const char kDupesHelp[] =
    "Usage: tunedeck dupes [--fields LIST] [--seconds N] [--percent P] [--sort COLUMN]\n"
    "                      [--view 0-3] [-r] SOURCE\n"
    "\n"
    "Loads SOURCE as `tunedeck list` does and prints every song that resembles at\n"
    "least one other song by all the chosen criteria, in the source's order, one\n"
    "per line: artist, title, time, size and file name, separated by tabs.\n"
    "\n"
    "  --fields LIST    comma-separated criteria, all of which must hold:\n"
    "                     artist-title  the same artist and the same title (case\n"
    "                                   counts)\n"
    "                     file          the same file: paths equal but for case\n"
    "                     genre         the same genre text\n"
    "                     length        lengths at most --seconds apart\n"
    "                     size          the smaller file at least --percent per\n"
    "                                   cent of the larger\n"
    "                   (default: artist-title)\n"
    "  --seconds N      largest length difference, 0 to 60 (default 5)\n"
    "  --percent P      size share, 95 to 100 (default 95)\n"
    "  --sort COLUMN    order the lines by a column (number or name as in\n"
    "                   `tunedeck list`, e.g. ARTIST or -SIZE), so that\n"
    "                   resembling songs come together\n"
    "  --view N         tag the artist, title and genre are read from: 0 ID3v1\n"
    "                   (default), 1 ID3v2, 2 ID3v2 then ID3v1, 3 ID3v1 then ID3v2\n"
    "  -r, --recursive  with a folder, enter its subfolders too\n"
    "\n"
    "Exit status: 0 when the source was read (duplicates found or not), 1 when it\n"
    "could not be read or is damaged, 2 on a usage error.\n";

namespace {

bool ParseCriteria(const std::string& list, uint32_t& fields) {
    static const NamedBit kNames[] = {{"artist-title", kDuplicateArtistTitle},
                                      {"file", kDuplicateFileName},
                                      {"genre", kDuplicateGenre},
                                      {"length", kDuplicateLength},
                                      {"size", kDuplicateSize}};
    return ParseNamedBits(list, kNames, std::size(kNames), fields);
}

}  // namespace

int RunDupes(const std::vector<std::string>& args) {
    uint32_t fields = kDuplicateArtistTitle;
    std::string seconds = "5";
    std::string percent = "95";
    int sortId = -1;
    bool descending = false;
    AnalysisArgs parsed;
    const int status = ParseAnalysisArgs(
        "dupes", args, 1,
        [&](const std::string& option, const std::vector<std::string>& all, size_t& i) {
            std::string value;
            if (option == "--fields") {
                if (!OptionValue("dupes", all, i, value)) return -1;
                if (!ParseCriteria(value, fields)) {
                    ReportError("dupes: bad criteria list '" + value + "'; see 'tunedeck help dupes'");
                    return -1;
                }
                return 1;
            }
            if (option == "--seconds") return OptionValue("dupes", all, i, seconds) ? 1 : -1;
            if (option == "--percent") return OptionValue("dupes", all, i, percent) ? 1 : -1;
            if (option == "--sort") {
                if (!OptionValue("dupes", all, i, value)) return -1;
                if (!ParseSortKey(value, sortId, descending)) {
                    ReportError("dupes: bad sort column '" + value + "'");
                    return -1;
                }
                return 1;
            }
            return 0;
        },
        parsed);
    if (status != kExitOk) return status;

    LangTable::useBuiltinEnglish();
    // The options pass the checks of the dialog, with its messages.
    Settings settings;
    CommandPrompter prompter("dupes");
    if (!duplicatesDialogOk(fields, seconds, percent, settings, prompter)) return kExitUsage;

    Playlist playlist;
    PlaylistView view(playlist);
    view.setViewSource(parsed.viewSource);
    const SourceLoad load = LoadSource("dupes", parsed.operands[0], parsed.recursive, playlist, view);
    if (load == SourceLoad::Missing) return kExitFailure;
    if (load == SourceLoad::NotSource) return kExitUsage;

    view.setRows(findDuplicates(playlist, parsed.viewSource, DuplicateOptions::fromSettings(settings)));
    if (sortId >= 0) view.sortById(sortId, descending);
    WriteSongLines(view);
    return load == SourceLoad::Loaded ? kExitOk : kExitFailure;
}

}  // namespace td::cli
