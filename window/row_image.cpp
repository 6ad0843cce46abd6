#include "window/row_image.h"

#include "tags/song_record.h"

namespace td {

bool isDeadEntry(const SongRecord& entry) {
    return entry.GetMpegInfo().fileSize == 0 && entry.GetAudioSize() == 0 && entry.GetTagFlags() == 0;
}

int rowImage(const SongRecord* entry, const RowImageState& state) {
    if (state.playing) return kRowImagePlaying;
    if (!entry) return kRowImageNoTag;
    if (state.missing || isDeadEntry(*entry)) return kRowImageMissing;
    if (state.duplicates) return kRowImageDuplicate;
    return static_cast<int>(entry->GetTagFlags() & 3);
}

}  // namespace td
