// Win32 volumes: drive type, label and serial of a drive or network share.
#include "platform/volume.h"

#include <windows.h>

namespace td {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Keeps the system from asking the user to insert a disk while a drive
// without medium is examined.
class QuietErrors {
public:
    QuietErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~QuietErrors() { SetErrorMode(previous_); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

private:
    UINT previous_;
};

class Win32Volumes final : public VolumeSystem {
public:
    std::string RootOf(const std::string& path) override {
        if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
            // \\server\share\ : up to the separator that ends the share name.
            size_t server_end = path.find_first_of("\\/", 2);
            if (server_end == std::string::npos || server_end == 2) return std::string();
            const size_t share_end = path.find_first_of("\\/", server_end + 1);
            if (share_end == std::string::npos) {
                if (server_end + 1 >= path.size()) return std::string();
                return path + '\\';
            }
            if (share_end == server_end + 1) return std::string();
            return path.substr(0, share_end + 1);
        }
        return path.substr(0, 3);
    }

    uint32_t DriveType(const std::string& root) override {
        QuietErrors quiet;
        return static_cast<uint32_t>(GetDriveTypeA(root.c_str()));
    }

    bool IsReachable(const std::string& root) override {
        QuietErrors quiet;
        return GetFileAttributesA((root + ".").c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    bool Information(const std::string& root, std::string& label, uint32_t& serial) override {
        QuietErrors quiet;
        char name[kVolumeLabelMax + 1] = {};
        DWORD number = 0;
        if (!GetVolumeInformationA(root.c_str(), name, static_cast<DWORD>(kVolumeLabelMax), &number, nullptr,
                                   nullptr, nullptr, 0)) {
            return false;
        }
        name[kVolumeLabelMax] = '\0';
        label = name;
        serial = static_cast<uint32_t>(number);
        return true;
    }
};

}  // namespace

VolumeSystem& NativeVolumes() {
    static Win32Volumes volumes;
    return volumes;
}

}  // namespace td
