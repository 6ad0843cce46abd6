// POSIX volumes. A "volume" is the mounted file system a path lies on: its
// mount point is the root, its file system label (or the mount point) the
// label, its UUID or device numbers give a 32-bit serial, and the kind of
// file system gives a Windows drive type.
#include "platform/posix/posix_volume.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <initializer_list>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace td {

namespace {

struct MountEntry {
    std::string mountPoint;
    unsigned major = 0;
    unsigned minor = 0;
    std::string fsType;
    std::string source;
};

// Small system files (/proc, /sys) read whole; they report no size.
bool ReadSystemFile(const char* path, std::string& out) {
    out.clear();
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        out.append(buffer, static_cast<size_t>(got));
        if (out.size() > (16u << 20)) break;
    }
    ::close(fd);
    return true;
}

// Mount table fields escape blanks, tabs, newlines and backslashes as \ooo.
std::string UnescapeOctal(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '3' &&
            text[i + 2] >= '0' && text[i + 2] <= '7' && text[i + 3] >= '0' && text[i + 3] <= '7') {
            out +=
                static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

// udev escapes characters of labels in /dev/disk/by-label names as \xNN.
std::string UnescapeHex(const std::string& text) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && hex(text[i + 2]) >= 0 &&
            hex(text[i + 3]) >= 0) {
            out += static_cast<char>(hex(text[i + 2]) * 16 + hex(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && line[pos] == ' ') ++pos;
        if (pos >= line.size()) break;
        const size_t end = line.find(' ', pos);
        fields.push_back(line.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        pos = end == std::string::npos ? line.size() : end;
    }
    return fields;
}

// /proc/self/mountinfo: "id parent major:minor root mountpoint options
// [optional fields...] - fstype source superoptions".
std::vector<MountEntry> ParseMounts(const std::string& text) {
    std::vector<MountEntry> mounts;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::vector<std::string> f = SplitFields(text.substr(pos, end - pos));
        pos = end + 1;
        if (f.size() < 7) continue;
        size_t dash = 6;
        while (dash < f.size() && f[dash] != "-") ++dash;
        if (dash + 2 >= f.size()) continue;
        MountEntry entry;
        if (std::sscanf(f[2].c_str(), "%u:%u", &entry.major, &entry.minor) != 2) continue;
        entry.mountPoint = UnescapeOctal(f[4]);
        entry.fsType = f[dash + 1];
        entry.source = UnescapeOctal(f[dash + 2]);
        if (entry.mountPoint.empty() || entry.mountPoint[0] != '/') continue;
        mounts.push_back(std::move(entry));
    }
    return mounts;
}

std::string Absolute(const std::string& path) {
    if (path.empty()) return path;
    std::string abs = path;
    if (abs[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof(cwd))) return std::string();
        abs = std::string(cwd) + "/" + abs;
    }
    while (abs.size() > 1 && abs.back() == '/') abs.pop_back();
    return abs;
}

// Cuts an absolute path to its parent in place ("/" stays "/"). Going up a
// path this way costs the length of the component taken off, so a walk to
// the top costs the length of the path once, never a copy per step.
void ToParent(std::string& path) {
    const size_t slash = path.rfind('/');
    path.resize(slash == std::string::npos || slash == 0 ? 1 : slash);
    if (path.empty() || path[0] != '/') path = "/";
}

// The path itself, or its nearest ancestor that exists.
bool NearestExisting(const std::string& abs, std::string& existing, struct stat& st) {
    std::string current = abs;
    // Nothing longer than the system takes can exist: start at the longest
    // ancestor that fits instead of asking for each longer one in turn.
    if (current.size() >= PATH_MAX) {
        const size_t slash = current.rfind('/', PATH_MAX - 1);
        current.resize(slash == std::string::npos || slash == 0 ? 1 : slash);
    }
    for (;;) {
        if (::stat(current.c_str(), &st) == 0) {
            existing = current;
            return true;
        }
        if (current == "/") return false;
        ToParent(current);
    }
}

bool IsPathPrefix(const std::string& prefix, const std::string& path) {
    if (prefix == "/") return !path.empty() && path[0] == '/';
    return path.compare(0, prefix.size(), prefix) == 0 &&
           (path.size() == prefix.size() || path[prefix.size()] == '/');
}

// The mount table, read again only when the kernel reports a change: a
// playlist import registers the volume of every file it adds, and reading and
// parsing the table each time would cost more than the rest of the work.
class MountTable {
public:
    explicit MountTable(std::string path) : path_(std::move(path)) {}
    ~MountTable() {
        if (fd_ >= 0) ::close(fd_);
    }

    // The mount holding the real path `path`: the longest mount point above
    // it, of equal ones the last mounted. False without a mount table.
    bool Find(const std::string& path, MountEntry& mount) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!Refresh()) return false;
        const MountEntry* best = nullptr;
        for (const MountEntry& entry : mounts_) {
            if (!IsPathPrefix(entry.mountPoint, path)) continue;
            if (!best || entry.mountPoint.size() >= best->mountPoint.size()) best = &entry;
        }
        if (!best) return false;
        mount = *best;
        return true;
    }

private:
    bool Refresh() {
        if (fd_ < 0) fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return false;
        // The file signals POLLPRI (and POLLERR) after a mount or unmount
        // until it is read again.
        struct pollfd watch = {fd_, POLLPRI, 0};
        const bool changed = ::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLPRI | POLLERR)) != 0;
        if (!loaded_ || changed) {
            std::string text;
            if (::lseek(fd_, 0, SEEK_SET) == 0 && ReadAll(fd_, text)) {
                mounts_ = ParseMounts(text);
                loaded_ = true;
            } else {
                ::close(fd_);
                fd_ = -1;
                loaded_ = false;
                return false;
            }
        }
        return true;
    }

    static bool ReadAll(int fd, std::string& out) {
        char buffer[8192];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof(buffer));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return false;
            if (got == 0) return true;
            out.append(buffer, static_cast<size_t>(got));
            if (out.size() > (16u << 20)) return false;
        }
    }

    const std::string path_;
    std::mutex mutex_;
    int fd_ = -1;
    bool loaded_ = false;
    std::vector<MountEntry> mounts_;
};

std::string WithSlash(const std::string& dir) { return dir.back() == '/' ? dir : dir + "/"; }

// The topmost directory, going up the path as written, on the device `dev`.
std::string WalkUpSameDevice(const std::string& existing, dev_t dev) {
    std::string current = existing;
    std::string parent = existing;
    while (current != "/") {
        ToParent(parent);
        struct stat st;
        if (::stat(parent.c_str(), &st) != 0 || st.st_dev != dev) break;
        current.resize(parent.size());
    }
    return current;
}

// The mount that holds `path` (the longest mount point above its real path;
// of equal ones the last mounted). Without a mount table, the directory
// where the device changes stands in for the mount point.
bool FindMount(MountTable& mounts, const std::string& path, MountEntry& mount, std::string* abs_out = nullptr,
               std::string* existing_out = nullptr, dev_t* dev_out = nullptr) {
    const std::string abs = Absolute(path);
    if (abs.empty()) return false;
    std::string existing;
    struct stat st;
    if (!NearestExisting(abs, existing, st)) return false;
    if (abs_out) *abs_out = abs;
    if (existing_out) *existing_out = existing;
    if (dev_out) *dev_out = st.st_dev;

    std::string real = existing;
    if (char* resolved = ::realpath(existing.c_str(), nullptr)) {
        real = resolved;
        std::free(resolved);
    }
    if (mounts.Find(real, mount)) return true;
    mount = MountEntry();
    mount.mountPoint = WalkUpSameDevice(existing, st.st_dev);
    mount.major = major(st.st_dev);
    mount.minor = minor(st.st_dev);
    return true;
}

// Name in `directory` (a /dev/disk/by-* directory) of the link to the block
// device major:minor; empty when there is none.
std::string DiskLinkName(const std::string& directory, unsigned dev_major, unsigned dev_minor) {
    std::string found;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return found;
    while (const struct dirent* item = ::readdir(dir)) {
        if (item->d_name[0] == '.') continue;
        const std::string link = directory + "/" + item->d_name;
        struct stat st;
        if (::stat(link.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) continue;
        if (major(st.st_rdev) == dev_major && minor(st.st_rdev) == dev_minor) {
            found = item->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool IsRemovableDevice(const std::string& blockDevices, unsigned dev_major, unsigned dev_minor) {
    // A partition's flag lives on its disk, one directory up.
    const std::string base = blockDevices + "/" + std::to_string(dev_major) + ":" + std::to_string(dev_minor);
    std::string text;
    if (ReadSystemFile((base + "/removable").c_str(), text) ||
        ReadSystemFile((base + "/../removable").c_str(), text)) {
        return !text.empty() && text[0] == '1';
    }
    return false;
}

bool IsOneOf(const std::string& value, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (value == name) return true;
    }
    return false;
}

uint32_t Fnv1a(const std::string& bytes) {
    uint32_t hash = 2166136261u;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

// A FAT or exFAT "UUID" is the volume serial number itself, "ABCD-1234".
bool ParseFatSerial(const std::string& uuid, uint32_t& serial) {
    if (uuid.size() != 9 || uuid[4] != '-') return false;
    uint32_t value = 0;
    for (size_t i = 0; i < uuid.size(); ++i) {
        if (i == 4) continue;
        const char c = uuid[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    serial = value;
    return true;
}

class PosixVolumes final : public VolumeSystem {
public:
    explicit PosixVolumes(const PosixVolumeSources& sources)
        : sources_(sources), mounts_(sources.mountTable) {}

    std::string RootOf(const std::string& path) override {
        MountEntry mount;
        std::string abs, existing;
        dev_t dev = 0;
        if (!FindMount(mounts_, path, mount, &abs, &existing, &dev)) return std::string();
        // The root is given in the spelling of the path, so that it prefixes
        // the path; behind a symbolic link, the walk up the written path
        // stands in for the mount point.
        if (IsPathPrefix(mount.mountPoint, abs)) return WithSlash(mount.mountPoint);
        return WithSlash(WalkUpSameDevice(existing, dev));
    }

    uint32_t DriveType(const std::string& root) override {
        MountEntry mount;
        if (root.empty() || !FindMount(mounts_, root, mount)) return kDriveNoRootDir;
        const std::string& type = mount.fsType;
        if (IsOneOf(type, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "fuse.sshfs",
                           "sshfs", "davfs", "fuse.davfs2", "fuse.rclone"})) {
            return kDriveRemote;
        }
        if (IsOneOf(type, {"iso9660", "udf"})) return kDriveCdRom;
        if (IsOneOf(type, {"tmpfs", "ramfs"})) return kDriveRamDisk;
        const bool removable =
            mount.major != 0 && IsRemovableDevice(sources_.blockDevices, mount.major, mount.minor);
        return removable ? kDriveRemovable : kDriveFixed;
    }

    bool IsReachable(const std::string& root) override {
        struct stat st;
        return !root.empty() && ::stat((WithSlash(root) + ".").c_str(), &st) == 0;
    }

    bool Information(const std::string& root, std::string& label, uint32_t& serial) override {
        MountEntry mount;
        if (root.empty() || !FindMount(mounts_, root, mount)) return false;
        label.clear();
        std::string uuid;
        if (mount.major != 0) {
            label = UnescapeHex(DiskLinkName(sources_.labelLinks, mount.major, mount.minor));
            uuid = DiskLinkName(sources_.uuidLinks, mount.major, mount.minor);
        }
        if (label.empty()) label = mount.mountPoint;
        if (label.size() > kVolumeLabelMax) label.resize(kVolumeLabelMax);

        if (!uuid.empty()) {
            if (!ParseFatSerial(uuid, serial)) serial = Fnv1a(uuid);
        } else if (mount.major != 0) {
            serial = Fnv1a("dev:" + std::to_string(mount.major) + ":" + std::to_string(mount.minor));
        } else {
            // Network and memory file systems get device numbers anew at each
            // mount; what they are mounted from stays the same.
            serial = Fnv1a(mount.fsType + '\0' + mount.source + '\0' + mount.mountPoint);
        }
        // Serial 0 marks entries without a volume.
        if (serial == 0) serial = 1;
        return true;
    }

private:
    const PosixVolumeSources sources_;
    MountTable mounts_;
};

}  // namespace

std::unique_ptr<VolumeSystem> MakePosixVolumes(const PosixVolumeSources& sources) {
    return std::make_unique<PosixVolumes>(sources);
}

VolumeSystem& NativeVolumes() {
    static PosixVolumes volumes{PosixVolumeSources()};
    return volumes;
}

}  // namespace td
