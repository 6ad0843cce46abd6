#include <windows.h>

#include <cstring>

#include "platform/directory.h"
#include "platform/file_system.h"

namespace td {

bool ListDirectory(const std::string& path, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    const std::string pattern = JoinPath(path, "*");
    WIN32_FIND_DATAA data;
    // Missing media in a removable drive must not bring up a system dialog.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    SetErrorMode(previousMode);
    if (find == INVALID_HANDLE_VALUE) {
        // An empty folder (not even "." and "..", as on a drive root) lists fine.
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    do {
        if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0) {
            continue;
        }
        DirectoryEntry entry;
        entry.name = data.cFileName;
        entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back(std::move(entry));
    } while (FindNextFileA(find, &data));
    const DWORD error = GetLastError();
    FindClose(find);
    if (error != ERROR_NO_MORE_FILES) {
        entries.clear();
        return false;
    }
    return true;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    if (last == '\\' || last == '/') return folder + name;
    return folder + kPathSeparator + name;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::string full(size, '\0');
    DWORD written = GetFullPathNameA(path.c_str(), size, &full[0], nullptr);
    if (written == 0 || written >= size) return path;
    full.resize(written);
    return full;
}

std::string RealPath(const std::string& path) {
    // Opening the place itself (a folder needs backup semantics) and asking
    // for its final name follows every link and junction on the way.
    const HANDLE handle = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::string();
    char buffer[MAX_PATH * 4];
    const DWORD length = GetFinalPathNameByHandleA(handle, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
    CloseHandle(handle);
    if (length == 0 || length >= sizeof buffer) return std::string();
    std::string out(buffer, length);
    // "\\?\C:\..." and "\\?\UNC\server\share\...".
    if (out.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\\\" + out.substr(8);
    if (out.compare(0, 4, "\\\\?\\") == 0) return out.substr(4);
    return out;
}

}  // namespace td
