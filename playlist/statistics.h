// Summaries of the songs: the genre table (songs per genre, also the state of
// the explorer's genre filter) and the text report of the "Playlist
// information" and "Properties of the selection" dialogs.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace td {

class Playlist;
class PlaylistView;
class SongRecord;

// Genre indexes 0 to 146: the genre list and one spare slot.
constexpr int kGenreSlotCount = 147;

struct GenreSlot {
    bool flag = false;
    int count = 0;
};

struct GenreTable {
    std::array<GenreSlot, kGenreSlotCount> slots{};
    void clear() { slots.fill(GenreSlot{}); }
    // Sets or clears every flag, counts untouched.
    void setAllFlags(bool on);
    // The slot's flag; false outside 0..146.
    bool flagOf(int index) const;
};

// The genre index GenreIndex gives for `text` (the genre list, ASCII letters
// compared without regard to case, 0 for a text naming no genre), found by
// hashing instead of a walk through the 146 names.
int genreIndexOfText(const std::string& text);
// The genre index of an entry's Genre field under `viewSource`.
int entryGenreIndex(const SongRecord& entry, int viewSource);

// Zeroes the table, then counts every Playlist entry under its genre and sets
// the flag of every genre present.
void recountGenres(const Playlist& playlist, int viewSource, GenreTable& table);

// The report, CR LF line ends. Whole playlist: every Playlist entry, plus the
// genre breakdown taken from `genres`; otherwise the selected rows of `view`.
// Tag fields are read under the view's tag source.
std::string playlistReport(const Playlist& playlist, const PlaylistView& view, bool wholePlaylist,
                           const GenreTable& genres);
// The dialog caption: "Playlist information", or "Properties of the
// selection" (LangTable 138) for the selection.
std::string playlistReportCaption(bool wholePlaylist);

// printf-style formatting of a language text with one real number: the first
// f, e or g conversion takes `value`, "%%" gives a percent sign, anything else
// is copied as written (a translation is data, never trusted as a format).
std::string formatRealText(const char* format, double value);

}  // namespace td
