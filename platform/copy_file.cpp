#include "platform/copy_file.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/file_system.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <sys/stat.h>
#endif

namespace td {

namespace {

constexpr size_t kCopyBlock = 256 * 1024;

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

bool Exists(const std::string& path) {
    FileStatus status;
    return Fs().GetStatus(path, status);
}

bool IsDirectory(const std::string& path) {
    FileStatus status;
    return Fs().GetStatus(path, status) && (status.attributes & kAttrDirectory) != 0;
}

// Copies every byte of `source` (of `size` bytes) into `target`.
bool CopyBytes(File& source, uint64_t size, File& target) {
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(size, kCopyBlock)) + 1);
    uint64_t done = 0;
    for (;;) {
        const size_t got = source.Read(buffer.data(), buffer.size());
        if (got == 0) break;
        if (target.Write(buffer.data(), got) != got) return false;
        done += got;
        if (done > size) return false;  // the file grew while we copied it
        if (got < buffer.size()) break;
    }
    // A short read means the end or an error; only the size tells which.
    return done == size;
}

bool MakeOneDirectory(const std::string& path) {
#ifdef _WIN32
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
#else
    if (::mkdir(path.c_str(), 0777) == 0) return true;
#endif
    // Made meanwhile by someone else: as good as made by us.
    return IsDirectory(path);
}

}  // namespace

bool CopyFileNoReplace(const std::string& from, const std::string& to) {
    FileSystem& fs = Fs();
    FileStatus status;
    if (!fs.GetStatus(from, status) || (status.attributes & kAttrDirectory)) return false;
    if (Exists(to)) return false;

    std::unique_ptr<File> source = fs.Open(from, OpenMode::Read);
    if (!source) return false;
    uint64_t size = 0;
    if (!source->GetSize(size)) return false;

    std::string tempPath;
    std::unique_ptr<File> target = fs.CreateTemporary(to, tempPath);
    if (!target) return false;

    bool ok = CopyBytes(*source, size, *target);
    ok = ok && target->Flush();
    ok = target->Close() && ok;
    source->Close();
    // Rename never replaces: a `to` that appeared meanwhile is left alone.
    if (ok && fs.Rename(tempPath, to)) return true;
    fs.Remove(tempPath);
    return false;
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
    FileSystem& fs = Fs();
    if (fs.Rename(from, to)) return true;
    // A target that exists is a refusal, not a reason to copy.
    if (Exists(to)) return false;
    FileStatus status;
    if (!fs.GetStatus(from, status) || (status.attributes & kAttrDirectory)) return false;
    if (!CopyFileNoReplace(from, to)) return false;
    if (fs.Remove(from)) return true;
    // The source stays (read-only, in use): one file, not two.
    fs.Remove(to);
    return false;
}

bool MakeDirectories(const std::string& path) {
    std::string full = path;
    while (full.size() > 1 && IsSeparator(full.back())) full.pop_back();
    if (full.empty()) return false;

    // Ends of the successive levels; the deepest existing one is found first,
    // so roots ("C:", "\\\\server\\share", "/") are never created.
    std::vector<size_t> ends;
    for (size_t i = 1; i < full.size(); ++i) {
        if (IsSeparator(full[i]) && !IsSeparator(full[i - 1])) ends.push_back(i);
    }
    ends.push_back(full.size());

    size_t first = ends.size();
    while (first > 0 && !IsDirectory(full.substr(0, ends[first - 1]))) --first;
    for (size_t k = first; k < ends.size(); ++k) {
        if (!MakeOneDirectory(full.substr(0, ends[k]))) return false;
    }
    return true;
}

}  // namespace td
