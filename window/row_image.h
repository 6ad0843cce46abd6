// Which small image a row of the list shows. The image list (bitmap 181)
// holds, in this order: no tag, ID3v1, ID3v2, both tags (the index is the
// entry's tag flags), the duplicate mark of "Find duplicates", then the
// playing song and the missing file, which take the place of the tag kind.
#pragma once

namespace td {

class SongRecord;

enum RowImage : int {
    kRowImageNoTag = 0,
    kRowImageId3v1 = 1,
    kRowImageId3v2 = 2,
    kRowImageBothTags = 3,
    kRowImageDuplicate = 4,
    kRowImagePlaying = 5,
    kRowImageMissing = 6,
};
constexpr int kRowImageCount = 7;

struct RowImageState {
    bool playing = false;     // the row the window last started playing
    bool duplicates = false;  // the list shows a "Find duplicates" result
    // The entry's file was not there when it was read (a dead entry); the
    // window may also pass what it found out since.
    bool missing = false;
};

// The image of a row for `entry` (null: a row without an entry). Playing
// comes first, then a missing file, then the duplicate mark, then the tag kind.
int rowImage(const SongRecord* entry, const RowImageState& state);

// True when the entry's file was missing when it was read: nothing of it
// could be read (no stream information, no size, no tags).
bool isDeadEntry(const SongRecord& entry);

}  // namespace td
