// The POSIX volume lookup reads the system's state from a few places: the
// mount table, the /dev/disk link folders that name labels and UUIDs, and the
// block devices' folders under /sys. Tests point it at fixture copies.
#pragma once

#include <memory>
#include <string>

#include "platform/volume.h"

namespace td {

struct PosixVolumeSources {
    std::string mountTable = "/proc/self/mountinfo";
    std::string labelLinks = "/dev/disk/by-label";
    std::string uuidLinks = "/dev/disk/by-uuid";
    std::string blockDevices = "/sys/dev/block";  // "major:minor" folders
};

// A volume lookup over `sources`; NativeVolumes() is one over the system's.
std::unique_ptr<VolumeSystem> MakePosixVolumes(const PosixVolumeSources& sources);

}  // namespace td
