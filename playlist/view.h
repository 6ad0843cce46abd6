// The view: the rows the playlist window shows, as a portable model. Each row
// points at a Playlist entry (never owning it) and carries its selected state.
// The model also knows the 20 list columns, the text of a column for an entry,
// the sort order, the running totals of the status bar and the selection
// snapshot. The window's list view only displays it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "playlist/playlist.h"
#include "settings/settings.h"

namespace td {

// The view's text options a cell depends on.
struct CellOptions {
    const Playlist* playlist;  // the volumes' labels
    int viewSource;            // which tag the tag columns show (0..3)
    bool secondsOnly;          // Time as a plain number of seconds
    int sizeUnit;              // Size: 0 bytes, 1 kb, 2 Mb
};

// One of the 20 list columns, indexed by column id (kColumn* of settings.h):
// how it is shown, what its cells hold and how it sorts. The view, the
// exports and the command-line tool all learn a column's cells from here.
struct ColumnDef {
    int titleText;  // LangTable number of the title
    int id;
    int shown;        // shown by default
    int width;        // default width in pixels
    int align;        // 0 left, 1 right
    int tag;          // 1 when the column shows a tag field
    const char* key;  // export key, the XML element name
    int frameType;    // the tag field's frame type for tag columns, else -1
    // The text is a path or a volume label in the file system's own
    // encoding; every other column's text is ANSI.
    bool nativeText;
    // Puts the cell's text into `text`, replacing what it held.
    void (*text)(const ColumnDef& column, const CellOptions& options, const SongRecord& entry,
                 std::string& text);
    // The number a numeric column sorts by; null for a column that sorts by
    // its text, case-blind.
    int64_t (*number)(const ColumnDef& column, const CellOptions& options, const SongRecord& entry);
};

extern const ColumnDef kColumnDefs[kColumnCount];

// The column's definition; column 0's for an id outside 0..19.
const ColumnDef& columnDef(int id);
// The title in the current language (LangTable), re-read on every call so
// that a change of language shows at once.
const char* columnTitle(int id);

// Time texts: "mm:ss" or "hh:mm:ss" (short), and the long forms of LangTable
// 123 / 124. Negative lengths count as 0.
std::string shortTimeText(int64_t seconds);
std::string longTimeText(int64_t seconds);
// The name of a viewInfoFrom choice: "ID3v1", "ID3v2", "v2->v1", "v1->v2".
const char* viewSourceName(int source);

// Texts of the five status bar parts.
enum StatusPart : int {
    kStatusFiles = 0,
    kStatusSource = 1,
    kStatusAverage = 2,
    kStatusTotal = 3,
    kStatusSelected = 4,
    kStatusPartCount = 5,
};

struct ViewRow {
    SongRecord* entry;
    bool selected;
};

class PlaylistView {
public:
    // `playlist` gives the volumes' labels; it must outlive the view.
    explicit PlaylistView(const Playlist& playlist);
    ~PlaylistView();
    PlaylistView(const PlaylistView&) = delete;
    PlaylistView& operator=(const PlaylistView&) = delete;

    const Playlist& playlist() const { return playlist_; }

    // Options of the texts ------------------------------------------------
    // Which tag the tag columns show (viewInfoFrom, 0..3; others count as 0).
    void setViewSource(int source);
    int viewSource() const { return viewSource_; }
    // `showNumber`: the first view column of a displayed row starts "n. ".
    void setShowNumber(bool show) { showNumber_ = show; }
    bool showNumber() const { return showNumber_; }
    // The seconds switch: Time as a plain number of seconds (XML export).
    void setSecondsOnly(bool on) { secondsOnly_ = on; }
    bool secondsOnly() const { return secondsOnly_; }
    // Size unit: 0 bytes, 1 kb (the list), 2 Mb. Others count as 1.
    void setSizeUnit(int unit);
    int sizeUnit() const { return sizeUnit_; }
    // Takes viewInfoFrom and showNumber from the settings.
    void applyOptions(const Settings& settings);

    // Columns -------------------------------------------------------------
    // Builds the view columns from the settings (shown ids in columnOrder,
    // then the hidden ones), sorts ascending by the stored sort key and sets
    // visibleColumnCount.
    void buildColumns(Settings& settings);
    // The same from plain arrays; `sortKey` as getSortKey gives it.
    void buildColumns(const std::array<int32_t, kColumnCount>& order,
                      const std::array<int32_t, kColumnCount>& visible,
                      const std::array<int32_t, kColumnCount>& width, int sortKey);
    // Number of shown columns.
    int columnCount() const { return visibleCount_; }
    // Column id at a position: 0..columnCount()-1 are the shown columns in
    // display order, the hidden ones follow up to 19. -1 outside 0..19.
    int columnIdAt(int position) const;
    // Position of a column id in that list, or -1.
    int positionOfColumn(int id) const;
    int columnWidthAt(int position) const;
    void setColumnWidthAt(int position, int width);

    // Rows ----------------------------------------------------------------
    int rowCount() const { return static_cast<int>(rows_.size()); }
    const std::vector<ViewRow>& rows() const { return rows_; }
    // Null outside the rows.
    SongRecord* entryAt(int row) const;
    // Row showing that very entry, or -1.
    int rowOf(const SongRecord* entry) const;
    // Selects exactly the rows of these entries, in one pass over the rows;
    // the first such row, or -1.
    int selectEntries(const std::unordered_set<const SongRecord*>& entries);
    // Empties the view; the totals become 0.
    void clearRows();
    // Every Playlist entry in insertion order; totals recomputed, nothing
    // selected.
    void rebuildFromPlaylist();
    // The given entries in the given order (filter, search, duplicates);
    // totals recomputed, nothing selected.
    void setRows(const std::vector<SongRecord*>& entries);
    // Adds a row (not selected) and its length to the total. Returns the row.
    int appendRow(SongRecord* entry);
    // Inserts a row at `position` (clamped to 0..rowCount()). Returns the row.
    int insertRow(int position, SongRecord* entry);
    // Removes a row, taking its length off the totals. False when out of range.
    bool removeRow(int row);
    // Removes every row whose entry is `entry` (before the Playlist drops it).
    void removeRowsOf(const SongRecord* entry);
    // Removes every row whose entry is one of `entries`, in one pass, and
    // forgets them in the snapshot. Returns the rows removed.
    int removeRowsOf(const std::unordered_set<const SongRecord*>& entries);

    // Column texts --------------------------------------------------------
    // Text of the column shown at view position `position` for `entry`.
    // `rowNumber` is the 1-based row for display, -1 for exports.
    std::string columnText(const SongRecord& entry, int position, int rowNumber) const;
    // Text of column `id` for `entry`, without any row number.
    std::string columnTextById(const SongRecord& entry, int id) const;

    // Sorting -------------------------------------------------------------
    // A click on the header at `position`: the same column flips direction,
    // another sorts ascending. Stores the key into `settings` when given.
    void sortByClick(int position, Settings* settings = nullptr);
    // Sorts the rows by column `id` in the given direction. Rows that compare
    // equal keep the Playlist's insertion order.
    void sortById(int id, bool descending);
    // Column id that sorted last and its direction.
    int sortColumnId() const { return sortId_; }
    // Where the header shows the sort mark.
    int sortPosition() const { return positionOfColumn(sortId_); }
    bool sortDescending() const { return descending_; }
    // The key as setSortKey takes it: the id, negated when descending.
    int sortKey() const { return descending_ ? -sortId_ : sortId_; }
    // -1, 0 or 1 for the current sort column and direction.
    int compareEntries(const SongRecord& a, const SongRecord& b) const;
    // The same for a given column, ascending.
    int compareById(const SongRecord& a, const SongRecord& b, int id) const;

    // Selection and totals ------------------------------------------------
    bool isSelected(int row) const;
    // Changes a row's state; the selected length follows unless suspended.
    void setSelected(int row, bool selected);
    void selectAll(bool selected);
    int selectedCount() const;
    std::vector<SongRecord*> selectedEntries() const;
    // Suspends / resumes the per-row updates of the selected length.
    void suspendSelectionUpdates(bool suspend) { selectionSuspended_ = suspend; }
    int64_t totalLength() const { return totalLength_; }
    // totalLength / rows (integer), 0 for an empty view.
    int64_t averageLength() const;
    int64_t selectedLength() const { return selectedLength_; }
    void recomputeTotalLength();
    void recomputeSelectedLength();
    // Text of status bar part `part` (StatusPart); "" for other parts.
    std::string statusText(int part) const;

    // Selection snapshot --------------------------------------------------
    // Remembers the selected rows' entries (a count of 0 keeps the old list).
    void takeSnapshot();
    // Selects exactly the rows of the remembered entries.
    void restoreSnapshot();
    // Forgets the remembered entries (New).
    void clearSnapshot();
    int snapshotCount() const { return snapshotCount_; }
    const std::vector<SongRecord*>& snapshotList() const { return snapshot_; }

private:
    CellOptions cellOptions() const { return {&playlist_, viewSource_, secondsOnly_, sizeUnit_}; }
    std::string cellText(const SongRecord& entry, int id) const;
    // Fills the scratch's order (each row's entry index in the Playlist; rows
    // of other entries after) and visiting sequence (rows in memory order of
    // their records).
    void prepareSortOrder();

    const Playlist& playlist_;
    int viewSource_ = 0;
    bool showNumber_ = false;
    bool secondsOnly_ = false;
    int sizeUnit_ = 1;

    std::array<int, kColumnCount> columnIds_;
    std::array<int, kColumnCount> widths_;  // by position
    int visibleCount_ = 0;
    int sortId_ = 0;
    bool descending_ = false;

    std::vector<ViewRow> rows_;
    int64_t totalLength_ = 0;
    int64_t selectedLength_ = 0;
    bool selectionSuspended_ = false;

    std::vector<SongRecord*> snapshot_;
    int snapshotCount_ = 0;

    // Buffers of the last sort, kept for the next one: a list of 100,000 rows
    // is sorted again and again, and fresh buffers would cost page faults.
    struct SortScratch;
    std::unique_ptr<SortScratch> scratch_;
};

}  // namespace td
