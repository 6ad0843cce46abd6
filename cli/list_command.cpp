// `tunedeck list`: the rows the playlist window would show for a playlist
// file or a folder, one line per row, column texts separated by tabs.
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/source_loader.h"
#include "platform/text_codec.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "settings/settings.h"

namespace td::cli {

const char kListHelp[] =
    "Usage: tunedeck list SOURCE [-r] [--columns ID,...] [--view 0-3] [--sort ID|-ID]\n"
    "\n"
    "Loads SOURCE as the playlist window would and prints one line per row: the\n"
    "texts of the shown columns, separated by tabs, in UTF-8. SOURCE is a .kq3\n"
    "playlist file, an .m3u/.m3u8 or .pls playlist (songs read again from their\n"
    "files), or a folder (its .mp3 and .mp2 files, as \"Add directory\" adds them).\n"
    "Rows come in the source's order unless --sort is given.\n"
    "\n"
    "  --columns ID,...  columns to show, by number or export name:\n"
    "                    0 ARTIST, 1 TITLE, 2 GENRE, 3 YEAR, 4 ALBUM, 5 COMMENT,\n"
    "                    6 MODE, 7 BITRATE, 8 FREQ, 9 LAYER, 10 TIME, 11 SIZE,\n"
    "                    12 FILENAME, 13 TRACK, 14 ID3TAG, 15 BPM,\n"
    "                    16 HEADER_VOLUMENAME, 17 PATH, 18 SHORT_FILENAME, 19 RATING\n"
    "                    (default: the list's default columns, 0 to 15)\n"
    "  --view N          tag the tag columns show: 0 ID3v1 (default), 1 ID3v2,\n"
    "                    2 ID3v2 then ID3v1, 3 ID3v1 then ID3v2\n"
    "  --sort ID         sort by that column, ascending; -ID descending\n"
    "  -r, --recursive   with a folder, enter its subfolders too\n"
    "\n"
    "Exit status: 0 when the source was read, 1 when it could not be read or is\n"
    "damaged (the reason goes to standard error), 2 on a usage error.\n";

namespace {

// A column by number or export key; -1 when it names none.
int ParseColumn(const std::string& name) {
    if (name.empty()) return -1;
    if (name.find_first_not_of("0123456789") == std::string::npos) {
        if (name.size() > 2) return -1;
        const int id = std::atoi(name.c_str());
        return id < kColumnCount ? id : -1;
    }
    for (int id = 0; id < kColumnCount; ++id) {
        if (text::EqualNoCase(name, columnDef(id).key)) return id;
    }
    return -1;
}

bool ParseColumnList(const std::string& list, std::vector<int>& ids) {
    ids.clear();
    size_t pos = 0;
    while (pos <= list.size()) {
        size_t comma = list.find(',', pos);
        if (comma == std::string::npos) comma = list.size();
        const int id = ParseColumn(list.substr(pos, comma - pos));
        if (id < 0) return false;
        ids.push_back(id);
        pos = comma + 1;
    }
    return !ids.empty();
}

// Paths and volume labels are in the system's own encoding, tag texts in the
// ANSI code page.
std::string CellUtf8(int columnId, const std::string& text) {
    std::string out = columnDef(columnId).nativeText ? text::PathToUtf8(text) : text::AnsiToUtf8(text);
    // One row per line, one column per tab.
    for (char& c : out) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return out;
}

}  // namespace

int RunList(const std::vector<std::string>& args) {
    std::string source;
    std::vector<int> columns;
    int viewSource = 0;
    int sortId = -1;
    bool descending = false;
    bool recursive = false;
    bool options = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = options && (a == "--columns" || a == "--view" || a == "--sort");
        if (takesValue && i + 1 >= args.size()) {
            ReportError("list: " + a + " needs a value");
            return kExitUsage;
        }
        if (options && a == "--") {
            options = false;
        } else if (options && (a == "-r" || a == "--recursive")) {
            recursive = true;
        } else if (options && a == "--columns") {
            if (!ParseColumnList(args[++i], columns)) {
                ReportError("list: bad column list '" + args[i] + "'; see 'tunedeck help list'");
                return kExitUsage;
            }
        } else if (options && a == "--view") {
            const std::string& v = args[++i];
            if (v.size() != 1 || v[0] < '0' || v[0] > '3') {
                ReportError("list: --view takes 0, 1, 2 or 3");
                return kExitUsage;
            }
            viewSource = v[0] - '0';
        } else if (options && a == "--sort") {
            std::string key = args[++i];
            descending = !key.empty() && key[0] == '-';
            if (descending) key.erase(0, 1);
            sortId = ParseColumn(key);
            if (sortId < 0) {
                ReportError("list: bad sort column '" + args[i] + "'");
                return kExitUsage;
            }
        } else if (options && a.size() > 1 && a[0] == '-') {
            ReportError("list: unknown option '" + a + "'; see 'tunedeck help list'");
            return kExitUsage;
        } else if (source.empty()) {
            source = a;
        } else {
            ReportError("list: one SOURCE only; see 'tunedeck help list'");
            return kExitUsage;
        }
    }
    if (source.empty()) {
        ReportError("list: needs a SOURCE; see 'tunedeck help list'");
        return kExitUsage;
    }

    LangTable::useBuiltinEnglish();
    Settings settings;  // the defaults: the list as a fresh installation shows it
    Playlist playlist;
    PlaylistView view(playlist);
    view.applyOptions(settings);
    view.setViewSource(viewSource);
    if (columns.empty()) {
        view.buildColumns(settings);
    } else {
        std::array<int32_t, kColumnCount> order{};
        std::array<int32_t, kColumnCount> visible{};
        bool placed[kColumnCount] = {};
        size_t n = 0;
        for (int id : columns) {
            if (placed[id]) continue;  // a column is shown once
            placed[id] = true;
            visible[static_cast<size_t>(id)] = 1;
            order[n++] = id;
        }
        for (int id = 0; id < kColumnCount; ++id) {
            if (!placed[id]) order[n++] = id;
        }
        view.buildColumns(order, visible, settings.getColumnWidth(), 0);
    }

    const SourceLoad load = LoadSource("list", source, recursive, playlist, view);
    if (load == SourceLoad::Missing) return kExitFailure;
    if (load == SourceLoad::NotSource) return kExitUsage;
    const bool read = load == SourceLoad::Loaded;

    if (sortId >= 0) view.sortById(sortId, descending);
    std::string out;
    for (int row = 0; row < view.rowCount(); ++row) {
        const SongRecord* entry = view.entryAt(row);
        if (!entry) continue;
        for (int position = 0; position < view.columnCount(); ++position) {
            if (position > 0) out += '\t';
            out += CellUtf8(view.columnIdAt(position), view.columnText(*entry, position, row + 1));
        }
        out += '\n';
        if (out.size() >= (1u << 16)) {
            WriteOut(out);
            out.clear();
        }
    }
    WriteOut(out);
    return read ? kExitOk : kExitFailure;
}

}  // namespace td::cli
