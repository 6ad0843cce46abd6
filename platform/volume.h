// Volume seam: which disk volume a path lies on, with the volume's kind,
// label and serial number. Playlist entries remember the serial of the volume
// they were added from, so that the list can tell which medium a song needs.
//
// On Windows the root is the drive ("C:\") or the network share
// ("\\server\share\"). On POSIX it is the mount point of the file system
// ("/media/usb/"), the label is the file system's label (or the mount point
// when it has none), and the kind is derived from the file system type.
#pragma once

#include <cstdint>
#include <string>

namespace td {

// Windows drive types, also kept on POSIX so that playlist files carry the
// same numbers everywhere.
constexpr uint32_t kDriveUnknown = 0;
constexpr uint32_t kDriveNoRootDir = 1;
constexpr uint32_t kDriveRemovable = 2;
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kDriveRemote = 4;
constexpr uint32_t kDriveCdRom = 5;
constexpr uint32_t kDriveRamDisk = 6;

// Longest label the volume query returns, in bytes.
constexpr size_t kVolumeLabelMax = 255;

class VolumeSystem {
public:
    virtual ~VolumeSystem() = default;
    // The root of the volume `path` lies on, ending with a separator. The path
    // need not exist; an empty text when no root can be told.
    virtual std::string RootOf(const std::string& path) = 0;
    // kDrive* kind of the volume at `root`; kDriveNoRootDir when there is none.
    virtual uint32_t DriveType(const std::string& root) = 0;
    // True when the root can be examined (the medium is present, the share
    // answers). Never shows a system error box.
    virtual bool IsReachable(const std::string& root) = 0;
    // Label (at most kVolumeLabelMax bytes) and serial number of the volume at
    // `root`; false when they cannot be read.
    virtual bool Information(const std::string& root, std::string& label, uint32_t& serial) = 0;
};

// The volume system in use; the native one unless a test installed another.
VolumeSystem& Volumes();
// Installs `volumes` (not owned; null restores the native one), returns the previous.
VolumeSystem* SetVolumes(VolumeSystem* volumes);
// The platform's own implementation (Win32 or POSIX).
VolumeSystem& NativeVolumes();

}  // namespace td
