#include "playlist/statistics.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/text_codec.h"
#include "playlist/playlist.h"
#include "playlist/text_format.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/id3v1/id3v1.h"
#include "tags/id3v2/frame_table.h"
#include "tags/mpeg/mpeg_info.h"
#include "tags/song_record.h"

namespace td {

namespace {

constexpr int kLangTotalFiles = 115;   // "Total files: %i"
constexpr int kLangTotalSize = 117;    // "Total size: %.2f MB"
constexpr int kLangAverageSize = 118;  // "Avg file size: %.2f MB"
constexpr int kLangTotalLength = 121;  // "Total length: %s"
constexpr int kLangSelectionCaption = 138;

constexpr char kSeparator[] = "________________________________________________\r\n";

// Lowered genre names; the first of equal names wins, as in GenreIndex.
const std::unordered_map<std::string, int>& GenreLookup() {
    static const std::unordered_map<std::string, int> lookup = [] {
        std::unordered_map<std::string, int> map;
        for (int i = 0; i < kGenreCount; ++i) map.emplace(text::FoldedCase(kGenreNames[i]), i);
        return map;
    }();
    return lookup;
}

// A song's length and size as the totals count them: a damaged playlist file
// can hold a negative length, which counts as none.
int64_t LengthOf(const SongRecord& entry) { return std::max<int32_t>(entry.GetMpegInfo().seconds, 0); }

uint32_t SizeOf(const SongRecord& entry) { return static_cast<uint32_t>(entry.GetMpegInfo().fileSize); }

struct Counters {
    int64_t songs = 0;
    int64_t seconds = 0;
    uint64_t kilobytes = 0;
    int64_t tagKinds[4] = {0, 0, 0, 0};
    int64_t modes[4] = {0, 0, 0, 0};
    std::vector<const SongRecord*> counted;

    void add(const SongRecord& entry) {
        seconds += LengthOf(entry);
        kilobytes += SizeOf(entry) / 1024;
        ++tagKinds[entry.GetTagFlags() & 3];
        const int32_t mode = entry.GetMpegInfo().mode;
        // A mode outside 0..3 (a damaged playlist file) is left out of the
        // breakdown rather than counted somewhere it does not belong.
        if (mode >= 0 && mode < 4) ++modes[mode];
        counted.push_back(&entry);
    }
};

// Slots with songs, ascending by index, then ordered by the exchange sort the
// report has always used (for each position, every later slot with a greater
// count is swapped in). It is not stable, and the order of equal counts it
// leaves is part of the report's text.
std::vector<std::pair<int, int>> GenreLines(const GenreTable& genres) {
    std::vector<std::pair<int, int>> lines;  // (genre index, count)
    for (int i = 0; i < kGenreSlotCount; ++i) {
        if (genres.slots[i].count > 0) lines.emplace_back(i, genres.slots[i].count);
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        for (size_t j = i; j < lines.size(); ++j) {
            if (lines[j].second > lines[i].second) std::swap(lines[i], lines[j]);
        }
    }
    return lines;
}

std::string Line(const char* format, long long count, const char* name) {
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), format, count);
    return std::string(buffer) + name + "\r\n";
}

}  // namespace

void GenreTable::setAllFlags(bool on) {
    for (GenreSlot& slot : slots) slot.flag = on;
}

bool GenreTable::flagOf(int index) const {
    return index >= 0 && index < kGenreSlotCount && slots[index].flag;
}

int genreIndexOfText(const std::string& text) {
    // GenreIndex reads a C string: nothing after a NUL takes part.
    const size_t end = text.find('\0');
    const std::string_view name(text.data(), end == std::string::npos ? text.size() : end);
    const auto& lookup = GenreLookup();
    const auto found = lookup.find(text::FoldedCase(name));
    return found == lookup.end() ? 0 : found->second;
}

int entryGenreIndex(const SongRecord& entry, int viewSource) {
    std::string genre;
    GetTagField(entry, kTCON, viewSource, genre);
    return genreIndexOfText(genre) & 0xFF;
}

void recountGenres(const Playlist& playlist, int viewSource, GenreTable& table) {
    table.clear();
    const int count = playlist.count();
    for (int i = 0; i < count; ++i) {
        const SongRecord* entry = playlist.entryAt(i);
        if (!entry) continue;
        const int index = entryGenreIndex(*entry, viewSource);
        if (index < kGenreSlotCount) {
            table.slots[index].flag = true;
            ++table.slots[index].count;
        }
    }
}

std::string formatRealText(const char* format, double value) {
    return FormatLangText(format, {FormatArg(value)});
}

std::string playlistReport(const Playlist& playlist, const PlaylistView& view, bool wholePlaylist,
                           const GenreTable& genres) {
    Counters counters;
    if (wholePlaylist) {
        const int count = playlist.count();
        counters.counted.reserve(count);
        for (int i = 0; i < count; ++i) {
            if (const SongRecord* entry = playlist.entryAt(i)) counters.add(*entry);
        }
    } else {
        for (const ViewRow& row : view.rows()) {
            if (row.selected && row.entry) counters.add(*row.entry);
        }
    }
    counters.songs = static_cast<int64_t>(counters.counted.size());
    const uint64_t averageKb =
        counters.songs > 0 ? counters.kilobytes / static_cast<uint64_t>(counters.songs) : 0;

    std::string text;
    text.reserve(8192);
    text += "GENERAL\r\n\t";
    text += FormatLangText(LangTable::getString(kLangTotalFiles), {counters.songs});
    text += "\r\n\t";
    text += formatRealText(LangTable::getString(kLangTotalSize),
                           static_cast<double>(counters.kilobytes) / 1024.0);
    text += "\r\n\t";
    text += formatRealText(LangTable::getString(kLangAverageSize), static_cast<double>(averageKb) / 1024.0);
    text += "\r\n\t";
    text += FormatLangText(LangTable::getString(kLangTotalLength), {shortTimeText(counters.seconds)});
    text += "\r\n";

    text += kSeparator;
    text += "ID3TAG\r\n";
    text += Line("\t%-lld:\t", counters.tagKinds[0], "No Tag");
    text += Line("\t%-lld:\t", counters.tagKinds[1], "ID3v1");
    text += Line("\t%-lld:\t", counters.tagKinds[2], "ID3v2");
    text += Line("\t%-lld:\t", counters.tagKinds[3], "ID3v1+v2");

    if (wholePlaylist) {
        text += kSeparator;
        text += "GENRE\r\n";
        for (const auto& line : GenreLines(genres)) {
            text += Line("\t%-lld:\t", line.second, GenreName(line.first));
        }
    }

    text += kSeparator;
    text += "MODE\r\n";
    for (int mode = 0; mode < 4; ++mode) {
        text += Line("\t%-lld:\t", counters.modes[mode], ChannelModeName(mode));
    }

    // Distinct artists in ascending byte order: sorting once gives the same
    // list as inserting one by one, without the quadratic walk on large lists.
    const int viewSource = view.viewSource();
    std::vector<std::string> artists;
    artists.reserve(counters.counted.size());
    for (const SongRecord* entry : counters.counted) {
        std::string artist;
        GetTagField(*entry, kTPE1, viewSource, artist);
        if (!artist.empty()) artists.push_back(std::move(artist));
    }
    // std::string compares as unsigned bytes (char_traits<char>::compare is
    // memcmp-like), the order the report asks for.
    std::sort(artists.begin(), artists.end());
    artists.erase(std::unique(artists.begin(), artists.end()), artists.end());
    text += kSeparator;
    text += "ARTIST\r\n";
    for (const std::string& artist : artists) {
        text += '\t';
        text += artist;
        text += "\r\n";
    }
    return text;
}

std::string playlistReportCaption(bool wholePlaylist) {
    if (wholePlaylist) return "Playlist information";
    return LangTable::getString(kLangSelectionCaption);
}

}  // namespace td
