#include "playlist/playlist.h"

#include <algorithm>
#include <cstring>

#include "platform/text_codec.h"
#include "platform/volume.h"

namespace td {

namespace {

// Copies `text` into a fixed field, cut so that the terminator always fits.
void CopyField(char* field, size_t size, const std::string& text, size_t limit) {
    const size_t length = std::min(text.size(), std::min(limit, size - 1));
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

}  // namespace

bool HasPlaylistExtension(const std::string& path) {
    if (path.size() < 4) return false;
    const std::string_view tail = std::string_view(path).substr(path.size() - 4);
    return text::EqualNoCase(tail, ".mp3") || text::EqualNoCase(tail, ".mp2");
}

SongRecord* Playlist::entryAt(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    return entries_[static_cast<size_t>(index)].get();
}

int Playlist::indexOf(const SongRecord* entry) const {
    if (!entry) return -1;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].get() == entry) return static_cast<int>(i);
    }
    return -1;
}

int Playlist::add(std::unique_ptr<SongRecord> entry) {
    if (!entry) return -1;
    if (currentVolume_ >= 0 && currentVolume_ < volumeCount()) {
        VolumeRecord& volume = *volumes_[static_cast<size_t>(currentVolume_)];
        entry->SetVolumeSerial(volume.serial);
        ++volume.fileCount;
    } else {
        entry->SetVolumeSerial(0);
    }
    entries_.push_back(std::move(entry));
    ++generation_;
    return count() - 1;
}

int Playlist::append(std::unique_ptr<SongRecord> entry) {
    if (!entry) return -1;
    entries_.push_back(std::move(entry));
    ++generation_;
    return count() - 1;
}

void Playlist::uncount(uint32_t serial) {
    for (size_t v = 0; v < volumes_.size(); ++v) {
        if (volumes_[v]->serial != serial) continue;
        if (--volumes_[v]->fileCount < 1) {
            volumes_.erase(volumes_.begin() + static_cast<std::ptrdiff_t>(v));
            // Keep the current volume pointing at the same record, so that
            // songs added later are not counted on whichever volume slid
            // into the freed place.
            const int removed = static_cast<int>(v);
            if (currentVolume_ == removed) {
                currentVolume_ = -1;
            } else if (currentVolume_ > removed) {
                --currentVolume_;
            }
        }
        break;
    }
}

std::unordered_set<const SongRecord*> Playlist::present(
    const std::unordered_set<const SongRecord*>& entries) const {
    std::unordered_set<const SongRecord*> found;
    if (entries.empty()) return found;
    for (const auto& entry : entries_) {
        if (entries.count(entry.get()) != 0) found.insert(entry.get());
    }
    return found;
}

int Playlist::removeEntries(const std::unordered_set<const SongRecord*>& entries) {
    if (entries.empty()) return 0;
    size_t kept = 0;
    int removed = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries.count(entries_[i].get()) != 0) {
            uncount(entries_[i]->GetVolumeSerial());
            entries_[i].reset();
            ++removed;
            continue;
        }
        if (kept != i) entries_[kept] = std::move(entries_[i]);
        ++kept;
    }
    entries_.resize(kept);
    if (removed > 0) ++generation_;
    return removed;
}

void Playlist::clear() {
    entries_.clear();
    ++generation_;
    volumes_.clear();
    // No volume is current any more: a stale index would otherwise name a
    // volume of the next list loaded.
    currentVolume_ = -1;
}

int Playlist::addFile(const std::string& path) {
    if (path.empty() || !HasPlaylistExtension(path)) return -1;
    return add(std::make_unique<SongRecord>(path, true));
}

int Playlist::registerVolume(const std::string& path) {
    VolumeRecord record;
    if (!probeVolume(path, record)) return -1;
    return useVolume(record);
}

bool Playlist::probeVolume(const std::string& path, VolumeRecord& record) {
    VolumeSystem& system = Volumes();
    const std::string root = system.RootOf(path);
    if (root.empty()) return false;

    std::memset(&record, 0, sizeof(record));
    record.driveType = system.DriveType(root);
    CopyField(record.root, sizeof(record.root), root, sizeof(record.root) - 1);

    // Anything but a fixed disk may be absent (no medium, share gone): make
    // sure it answers before asking for its label.
    if (record.driveType != kDriveFixed && !system.IsReachable(root)) return false;
    std::string label;
    uint32_t serial = 0;
    if (!system.Information(root, label, serial)) return false;
    CopyField(record.label, sizeof(record.label), label, kVolumeLabelMax);
    record.serial = serial;
    return true;
}

int Playlist::useVolume(const VolumeRecord& record) {
    for (size_t v = 0; v < volumes_.size(); ++v) {
        if (volumes_[v]->serial == record.serial) {
            currentVolume_ = static_cast<int>(v);
            return currentVolume_;
        }
    }
    auto added = std::make_unique<VolumeRecord>(record);
    added->fileCount = 0;
    volumes_.push_back(std::move(added));
    currentVolume_ = volumeCount() - 1;
    return currentVolume_;
}

VolumeRecord* Playlist::volumeAt(int index) const {
    if (index < 0 || index >= volumeCount()) return nullptr;
    return volumes_[static_cast<size_t>(index)].get();
}

int Playlist::appendVolume(const void* bytes) {
    if (!bytes) return -1;
    auto record = std::make_unique<VolumeRecord>();
    std::memcpy(record.get(), bytes, kVolumeRecordSize);
    volumes_.push_back(std::move(record));
    return volumeCount() - 1;
}

VolumeRecord* Playlist::volumeOf(const SongRecord* entry) const {
    if (!entry) return nullptr;
    for (const auto& volume : volumes_) {
        if (volume->serial == entry->GetVolumeSerial()) return volume.get();
    }
    return nullptr;
}

}  // namespace td
