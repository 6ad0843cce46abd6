#include "window/selection_ops.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "platform/file_system.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "tags/mpeg/mpeg_info.h"
#include "tags/song_record.h"

namespace td {

namespace {

using EntrySet = std::unordered_set<const SongRecord*>;

// The entries of the rows in the given selected state.
EntrySet entriesOfRows(const PlaylistView& view, bool selected) {
    EntrySet entries;
    for (const ViewRow& row : view.rows()) {
        if (row.selected == selected) entries.insert(row.entry);
    }
    return entries;
}

void report(const RowProgress& progress, int done, int total) {
    if (progress) progress(done, total);
}

// Takes `doomed` (entries of the Playlist) off the rows and out of the list.
int removeEntries(Playlist& playlist, PlaylistView& view, const EntrySet& doomed) {
    if (doomed.empty()) return 0;
    const int rows = view.removeRowsOf(doomed);
    playlist.removeEntries(doomed);
    return rows;
}

// The value of a tag field as the view shows it.
std::string tagText(const SongRecord& entry, int field, int viewSource) {
    std::string text;
    GetTagField(entry, columnDef(field).frameType, viewSource, text);
    return text;
}

// Whether `entry` has the same `field` as the reference; `text` is the
// reference's text for the text fields.
bool sameField(const SongRecord& entry, const SongRecord& reference, int field, const std::string& text,
               int viewSource) {
    const MpegInfo& a = entry.GetMpegInfo();
    const MpegInfo& b = reference.GetMpegInfo();
    switch (field) {
    case kSameMode: return a.mode == b.mode;
    case kSameBitrate: return a.bitrate == b.bitrate;
    case kSameFrequency: return a.frequency == b.frequency;
    case kSameLayer: return FormatMpegVersion(a) == text;
    case kSameTime: return a.seconds == b.seconds;
    case kSameSize: return a.fileSize == b.fileSize;
    case kSameFileName: return entry.GetFileName() == reference.GetFileName();
    default: return tagText(entry, field, viewSource) == text;
    }
}

}  // namespace

int removeSelectedRows(Playlist& playlist, PlaylistView& view, const RowProgress& progress) {
    const int total = view.rowCount();
    const EntrySet doomed = playlist.present(entriesOfRows(view, true));
    if (doomed.empty()) return -1;
    // The row after the last one removed, counted in the rows that stay.
    int lastRemoved = -1;
    int removedBefore = 0;
    for (int row = 0; row < total; ++row) {
        report(progress, row, total);
        if (doomed.count(view.entryAt(row)) == 0) continue;
        lastRemoved = row;
        ++removedBefore;
    }
    removeEntries(playlist, view, doomed);
    report(progress, total, total);
    const int next = lastRemoved - (removedBefore - 1);
    return next < view.rowCount() ? next : -1;
}

int cropToSelection(Playlist& playlist, PlaylistView& view, const RowProgress& progress) {
    const int total = view.rowCount();
    const EntrySet kept = entriesOfRows(view, true);
    if (kept.empty()) return 0;
    EntrySet unselected = entriesOfRows(view, false);
    // An entry shown twice, once selected, stays.
    for (const SongRecord* entry : kept) unselected.erase(entry);
    report(progress, 0, total);
    const int removed = removeEntries(playlist, view, playlist.present(unselected));
    report(progress, total, total);
    return removed;
}

int deleteSelectedFiles(Playlist& playlist, PlaylistView& view,
                        const std::function<void(const DeleteFailure&)>& failed) {
    const EntrySet listed = playlist.present(entriesOfRows(view, true));
    EntrySet deleted;
    for (const ViewRow& row : view.rows()) {
        if (!row.selected || listed.count(row.entry) == 0 || deleted.count(row.entry) != 0) continue;
        const std::string& path = row.entry->GetFileName();
        ClearFileError();
        if (Fs().Remove(path)) {
            deleted.insert(row.entry);
            continue;
        }
        if (failed) failed(DeleteFailure{path, LastFileError()});
    }
    const int count = static_cast<int>(deleted.size());
    removeEntries(playlist, view, deleted);
    return count;
}

int selectDeadFiles(PlaylistView& view) {
    int dead = 0;
    for (int row = 0; row < view.rowCount(); ++row) {
        uint32_t attributes = 0;
        const bool gone = !Fs().GetAttributes(view.entryAt(row)->GetFileName(), attributes);
        view.setSelected(row, gone);
        if (gone) ++dead;
    }
    return dead;
}

int selectWithSame(PlaylistView& view, int field) {
    if (field < 0 || field >= kSameFieldCount) return -1;
    const SongRecord* reference = nullptr;
    for (const ViewRow& row : view.rows()) {
        if (row.selected) {
            reference = row.entry;
            break;
        }
    }
    if (!reference) return -1;
    const int source = view.viewSource();
    std::string text;
    if (field == kSameLayer) {
        text = FormatMpegVersion(reference->GetMpegInfo());
    } else if (field < kSameMode) {
        text = tagText(*reference, field, source);
    }
    view.suspendSelectionUpdates(true);
    int selected = 0;
    for (int row = 0; row < view.rowCount(); ++row) {
        const bool same = sameField(*view.entryAt(row), *reference, field, text, source);
        view.setSelected(row, same);
        if (same) ++selected;
    }
    view.suspendSelectionUpdates(false);
    view.recomputeSelectedLength();
    return selected;
}

int setSelectionRating(PlaylistView& view, int rating) {
    const int stars = std::clamp(rating, 0, 5);
    int rated = 0;
    for (const ViewRow& row : view.rows()) {
        if (!row.selected) continue;
        row.entry->SetRating(stars);
        ++rated;
    }
    return rated;
}

}  // namespace td
