// The plug-in's own list of songs: owned SongRecords in the order they were
// added, and the table of disk volumes they live on. Sorting and filtering
// happen in the view (playlist/view.h); the Playlist keeps insertion order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "tags/song_record.h"

namespace td {

// One disk volume, 892 bytes, held in the layout playlist files store.
struct VolumeRecord {
    char label[360];     // NUL-terminated; the query fills at most 255 bytes
    char root[260];      // "C:\", "\\server\share\" or a mount point
    char reserved[260];  // always zero
    uint32_t serial;
    int32_t fileCount;   // entries counted on this volume
    uint32_t driveType;  // kDrive* of platform/volume.h
};

constexpr size_t kVolumeRecordSize = 892;
static_assert(sizeof(VolumeRecord) == kVolumeRecordSize, "VolumeRecord is stored raw");
static_assert(offsetof(VolumeRecord, label) == 0, "VolumeRecord layout");
static_assert(offsetof(VolumeRecord, root) == 360, "VolumeRecord layout");
static_assert(offsetof(VolumeRecord, reserved) == 620, "VolumeRecord layout");
static_assert(offsetof(VolumeRecord, serial) == 880, "VolumeRecord layout");
static_assert(offsetof(VolumeRecord, fileCount) == 884, "VolumeRecord layout");
static_assert(offsetof(VolumeRecord, driveType) == 888, "VolumeRecord layout");

class Playlist {
public:
    Playlist() = default;
    ~Playlist() = default;
    Playlist(const Playlist&) = delete;
    Playlist& operator=(const Playlist&) = delete;

    // Entries -------------------------------------------------------------
    int count() const { return static_cast<int>(entries_.size()); }
    // Null when `index` is out of range.
    SongRecord* entryAt(int index) const;
    // Index of that very record, or -1.
    int indexOf(const SongRecord* entry) const;
    // Takes `entry`, counts it on the current volume (or gives it serial 0
    // when there is none) and appends it. Returns its index; -1 for null.
    int add(std::unique_ptr<SongRecord> entry);
    // Appends without touching volume serials or counts (playlist readers
    // restore both). Returns the index; -1 for null.
    int append(std::unique_ptr<SongRecord> entry);
    // Of `entries`, the ones that are in the Playlist.
    std::unordered_set<const SongRecord*> present(const std::unordered_set<const SongRecord*>& entries) const;
    // Removes every entry of `entries` that is in the Playlist, in one pass
    // over the list however many go: each is uncounted from its volume (the
    // volume goes when no entry is left on it), then destroyed; the others
    // keep their order. Returns how many were removed.
    int removeEntries(const std::unordered_set<const SongRecord*>& entries);
    // Destroys every entry and every volume. The current volume index keeps
    // its value; later adds check it against the volume list.
    void clear();

    // Builds a record for `path` (reading the file) and adds it. Only ".mp3"
    // and ".mp2" names are taken; a missing file still becomes a (dead)
    // entry. Returns the entry's index, or -1.
    int addFile(const std::string& path);

    // Volumes -------------------------------------------------------------
    // Finds the volume `path` lies on, registers it when its serial is new,
    // and makes it the current volume. Returns its index, or -1 when the
    // volume cannot be examined (the current volume then stays as it was).
    int registerVolume(const std::string& path);
    // The two halves of registerVolume, for a worker that examines volumes
    // while the owner's thread keeps the list: probeVolume asks the system
    // only (any thread; false when the volume cannot be examined), and
    // useVolume registers `record` when its serial is new and makes it the
    // current volume, returning its index.
    static bool probeVolume(const std::string& path, VolumeRecord& record);
    int useVolume(const VolumeRecord& record);
    int volumeCount() const { return static_cast<int>(volumes_.size()); }
    // Null when `index` is out of range.
    VolumeRecord* volumeAt(int index) const;
    // Appends a copy of an 892-byte record as it stands (fileCount included,
    // no duplicate check). Returns its index.
    int appendVolume(const void* bytes);
    // The first volume whose serial is the entry's, or null.
    VolumeRecord* volumeOf(const SongRecord* entry) const;
    int currentVolume() const { return currentVolume_; }
    void setCurrentVolume(int index) { currentVolume_ = index; }

    // Changes whenever entries are added or removed, so that a reader can
    // tell whether what it derived from the entry list still holds.
    uint64_t generation() const { return generation_; }

private:
    // Takes one entry of the volume of that serial off its count, dropping
    // the volume when it has none left.
    void uncount(uint32_t serial);

    std::vector<std::unique_ptr<SongRecord>> entries_;
    std::vector<std::unique_ptr<VolumeRecord>> volumes_;
    int currentVolume_ = -1;
    uint64_t generation_ = 0;
};

// True when `path` ends in ".mp3" or ".mp2", compared without regard to case.
bool HasPlaylistExtension(const std::string& path);

}  // namespace td
