// Operations on the rows selected in the playlist window's list: removing
// them from the list, keeping only them, deleting their files, selecting
// rows by a rule and setting their rating. Each works on the view and the
// Playlist in one pass over the rows, so that 100,000 rows take no longer
// than a few plain walks over them; the window only adds its questions,
// the wait cursor and the redrawing.
//
// A row whose entry is not in the Playlist (any more) is left alone by the
// removing operations: it neither stops them nor is removed.
#pragma once

#include <functional>
#include <string>

namespace td {

class Playlist;
class PlaylistView;

// Told how far a long operation got: `done` of `total` rows, from 0 up.
using RowProgress = std::function<void(int done, int total)>;

// Removes the selected rows and their entries. Returns the row that now
// stands where the last removed row stood (the row that followed it), which
// the window selects; -1 when there is none or nothing was removed.
int removeSelectedRows(Playlist& playlist, PlaylistView& view, const RowProgress& progress = {});

// Keeps only the selected rows: every unselected row and its entry go.
// Returns the rows removed; nothing happens when no row is selected.
int cropToSelection(Playlist& playlist, PlaylistView& view, const RowProgress& progress = {});

// One file that could not be deleted, with the system's reason.
struct DeleteFailure {
    std::string path;
    std::string reason;
};

// Deletes the selected rows' files from disk, in row order. A deleted file's
// row and entry go; a file that cannot be deleted keeps both and is handed
// to `failed` at once (the window tells the user), and the walk goes on.
// Returns the number of files deleted.
int deleteSelectedFiles(Playlist& playlist, PlaylistView& view,
                        const std::function<void(const DeleteFailure&)>& failed);

// Selects exactly the rows whose file is gone (its attributes cannot be
// read). Returns the rows selected.
int selectDeadFiles(PlaylistView& view);

// The fields "Select with same" compares, numbered as its menu entries
// (they are the first thirteen list columns).
enum SameField : int {
    kSameArtist = 0,
    kSameTitle,
    kSameGenre,
    kSameYear,
    kSameAlbum,
    kSameComment,
    kSameMode,
    kSameBitrate,
    kSameFrequency,
    kSameLayer,
    kSameTime,
    kSameSize,
    kSameFileName,
    kSameFieldCount,
};

// Selects exactly the rows whose entry has the same `field` as the first
// selected row's entry; tag texts are read as the view shows them (its
// viewInfoFrom). Nothing happens, returning -1, without a selected row or
// for a field outside 0..12; otherwise returns the rows selected. The
// selected length is recomputed once at the end.
int selectWithSame(PlaylistView& view, int field);

// Sets the rating (0..5, clamped) of every selected row's entry in memory;
// the files are not written. Returns the entries rated.
int setSelectionRating(PlaylistView& view, int rating);

}  // namespace td
