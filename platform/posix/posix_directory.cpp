#include <dirent.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/directory.h"
#include "platform/file_system.h"

namespace td {

bool ListDirectory(const std::string& path, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    DIR* dir = opendir(path.c_str());
    if (!dir) return false;
    while (const dirent* item = readdir(dir)) {
        if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0) continue;
        DirectoryEntry entry;
        entry.name = item->d_name;
        const std::string full = JoinPath(path, entry.name);
        struct stat link;
        if (lstat(full.c_str(), &link) != 0) continue;  // vanished meanwhile
        entry.isLink = S_ISLNK(link.st_mode);
        struct stat target;
        if (entry.isLink) {
            // A dangling link is listed as a file: it names no folder.
            entry.isDirectory = stat(full.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
        } else {
            entry.isDirectory = S_ISDIR(link.st_mode);
        }
        entries.push_back(std::move(entry));
    }
    closedir(dir);
    return true;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == kPathSeparator) return folder + name;
    return folder + kPathSeparator + name;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    std::string cwd(256, '\0');
    while (getcwd(&cwd[0], cwd.size()) == nullptr) {
        if (errno != ERANGE || cwd.size() > (1u << 20)) return path;
        cwd.resize(cwd.size() * 2);
    }
    cwd.resize(std::strlen(cwd.c_str()));
    std::string rest = path;
    while (rest.compare(0, 2, "./") == 0) rest.erase(0, 2);
    if (rest == ".") return cwd;
    return JoinPath(cwd, rest);
}

std::string RealPath(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return std::string();
    std::string out(real);
    free(real);
    return out;
}

}  // namespace td
