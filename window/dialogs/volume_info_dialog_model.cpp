#include "window/dialogs/volume_info_dialog_model.h"

#include <algorithm>
#include <cstring>

#include "platform/text_codec.h"
#include "platform/volume.h"
#include "playlist/playlist.h"
#include "settings/lang_table.h"

namespace td {

VolumeInfoDialogModel::VolumeInfoDialogModel(const Playlist& playlist) {
    for (int v = 0; v < playlist.volumeCount(); ++v) {
        const VolumeRecord& volume = *playlist.volumeAt(v);
        rows_.push_back(Row{std::string(volume.label, strnlen(volume.label, sizeof volume.label)),
                            std::string(volume.root, strnlen(volume.root, sizeof volume.root)),
                            volume.driveType, volume.fileCount});
    }
}

int VolumeInfoDialogModel::driveTypeText(uint32_t driveType) {
    switch (driveType) {
    case kDriveUnknown: return 327;    // "Unknown drive"
    case kDriveRemovable: return 328;  // "Removable drive"
    case kDriveFixed: return 329;      // "Hard drive"
    case kDriveRemote: return 333;     // "Network drive"
    case kDriveCdRom: return 330;      // "CDROM or DVDROM"
    case kDriveRamDisk: return 332;    // "Ram Drive"
    default: return 331;               // "Other drive"
    }
}

std::string VolumeInfoDialogModel::text(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return std::string();
    const Row& r = rows_[static_cast<size_t>(row)];
    switch (column) {
    case 0: return r.label + " (" + r.root + ")";
    case 1: return LangTable::getString(driveTypeText(r.driveType));
    case 2: return std::to_string(r.fileCount);
    default: return std::string();
    }
}

int VolumeInfoDialogModel::image(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return 0;
    switch (rows_[static_cast<size_t>(row)].driveType) {
    case kDriveRemovable: return 2;
    case kDriveRemote: return 3;
    case kDriveCdRom: return 1;
    case kDriveRamDisk: return 4;
    default: return 0;
    }
}

void VolumeInfoDialogModel::clickColumn(int column) {
    if (column < 0 || column >= kColumnCount) return;
    if (column == sortColumn_) descending_ = !descending_;
    sortColumn_ = column;
    const bool down = descending_;
    std::stable_sort(rows_.begin(), rows_.end(), [column, down](const Row& a, const Row& b) {
        int order = 0;
        if (column == 0) {
            order = text::CompareNoCase(a.label, b.label);
        } else if (column == 1) {
            order = text::CompareNoCase(LangTable::getString(driveTypeText(a.driveType)),
                                        LangTable::getString(driveTypeText(b.driveType)));
        } else {
            order = a.fileCount < b.fileCount ? -1 : (b.fileCount < a.fileCount ? 1 : 0);
        }
        return down ? order > 0 : order < 0;
    });
}

}  // namespace td
