// Find duplicates: the Playlist entries that resemble at least one other
// entry by the criteria the user picks (same artist and title, same file,
// same genre, nearly the same length, nearly the same size). The result
// replaces the view; nothing on disk changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace td {

class Playlist;
class PlaylistView;
class Prompter;
class Settings;
class SongRecord;

// duplicateFields bits.
enum DuplicateFieldBits : uint32_t {
    kDuplicateArtistTitle = 1,
    kDuplicateFileName = 2,
    kDuplicateGenre = 4,
    kDuplicateLength = 8,
    kDuplicateSize = 16,
    kDuplicateFieldMask = 31,
};
constexpr int kDuplicateSecondsMin = 0;
constexpr int kDuplicateSecondsMax = 60;
constexpr int kDuplicatePercentMin = 95;
constexpr int kDuplicatePercentMax = 100;
// The list's image for the rows of the duplicates view.
constexpr int kDuplicateImage = 4;

struct DuplicateOptions {
    uint32_t fields = 0;
    int seconds = 5;   // largest length difference
    int percent = 95;  // the smaller size is at least this share of the larger
    static DuplicateOptions fromSettings(const Settings& settings);
};

// The tolerance criteria. Lengths: the absolute difference is at most
// `seconds`. Sizes (bytes): the smaller is at least `percent` per cent of
// the larger (equal sizes always, unless `percent` is above 100).
bool lengthsClose(int64_t a, int64_t b, int seconds);
bool sizesClose(uint32_t a, uint32_t b, int percent);
// The length and size the criteria compare: the song's length in seconds (a
// negative one counts as 0) and its file size.
int64_t duplicateLength(const SongRecord& entry);
uint32_t duplicateSize(const SongRecord& entry);
// The same file under two spellings of its path: compared without regard to
// case (the code page's letters on Windows; ASCII letters where paths are
// UTF-8 on case-sensitive file systems).
std::string foldedPath(const std::string& path);

// Two entries match when every enabled criterion holds (tag fields read under
// `viewSource`, a missing field giving the empty text). No criterion enabled:
// no match.
bool entriesMatch(const SongRecord& a, const SongRecord& b, const DuplicateOptions& options, int viewSource);

// Every Playlist entry that matches at least one other entry, in Playlist
// order. Entries are grouped by the equality criteria and, for the length and
// size criteria, swept in sorted order within each group, so the time grows
// with n log n instead of with the number of pairs.
std::vector<SongRecord*> findDuplicates(const Playlist& playlist, int viewSource,
                                        const DuplicateOptions& options);

// The options dialog's OK: `checked` are the five check boxes (stored into
// duplicateFields at once), `secondsText` and `percentText` the two number
// boxes. Shows the message of the first fault ("Choose at least 1 field must
// be present !!!", "Bad number format !!!", or the range texts) with the
// caption "Information" and returns false; the dialog then stays open.
// Otherwise stores the numbers of the checked boxes and returns true.
bool duplicatesDialogOk(uint32_t checked, const std::string& secondsText, const std::string& percentText,
                        Settings& settings, Prompter& prompter);

}  // namespace td
