#include "platform/file_system.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>

namespace td {

const char kReasonInUse[] = "the file is in use by another writer";
const char kReasonChanged[] = "the file was changed by another program meanwhile";
const char kReasonHardLinks[] =
    "the file has several hard links, which a rewrite would split; it is left as it was";
const char kReasonNotRegular[] = "not a regular file";

size_t ReadFully(File& file, void* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        const size_t got = file.Read(static_cast<char*>(buffer) + done, size - done);
        if (got == 0) break;
        done += got;
    }
    return done;
}

namespace {

std::atomic<FileSystem*> g_installed{nullptr};
thread_local std::string t_fileError;

constexpr char kTempPrefix[] = "~td";
constexpr char kTempSuffix[] = ".tmp";

bool IsHexRun(const std::string& text, size_t from, size_t to) {
    if (from >= to) return false;
    for (size_t i = from; i < to; ++i) {
        const char c = text[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

}  // namespace

std::string LastFileError() { return t_fileError; }

void SetFileError(const std::string& reason) { t_fileError = reason; }

void ClearFileError() { t_fileError.clear(); }

bool IsTemporaryName(const std::string& name) {
    const size_t prefix = sizeof kTempPrefix - 1;
    const size_t suffix = sizeof kTempSuffix - 1;
    if (name.size() <= prefix + suffix || name.compare(0, prefix, kTempPrefix) != 0 ||
        name.compare(name.size() - suffix, suffix, kTempSuffix) != 0) {
        return false;
    }
    const size_t end = name.size() - suffix;
    const size_t dash = name.find('-', prefix);
    return dash != std::string::npos && dash < end && IsHexRun(name, prefix, dash) &&
           IsHexRun(name, dash + 1, end);
}

std::string TemporaryPathBeside(const std::string& target, uint32_t process, uint32_t n) {
    // Short: the target's own name may already be close to the length limit.
    char name[40];
    std::snprintf(name, sizeof name, "%s%x-%x%s", kTempPrefix, process, n, kTempSuffix);
#ifdef _WIN32
    const size_t slash = target.find_last_of("\\/");
#else
    const size_t slash = target.find_last_of('/');
#endif
    return slash == std::string::npos ? std::string(name) : target.substr(0, slash + 1) + name;
}

void RemoveStaleTemporariesOnce(const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> done;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!done.insert(folder).second) return;
    }
    RemoveStaleTemporaries(folder);
}

std::unique_ptr<File> FileSystem::CreateTemporary(const std::string& beside, std::string& tempPath) {
    static std::atomic<uint32_t> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = TemporaryPathBeside(beside, 0, counter.fetch_add(1));
        if (std::unique_ptr<File> file = Open(tempPath, OpenMode::CreateNew)) return file;
    }
    tempPath.clear();
    return nullptr;
}

bool FileSystem::Commit(File& temp, const std::string& tempPath, const std::string& target, File* held) {
    bool ok = temp.Close();
    if (held) held->Close();
    ok = ok && Replace(tempPath, target);
    if (!ok) Remove(tempPath);
    return ok;
}

FileSystem& Fs() {
    FileSystem* fs = g_installed.load(std::memory_order_acquire);
    return fs ? *fs : NativeFs();
}

FileSystem* SetFs(FileSystem* fs) { return g_installed.exchange(fs, std::memory_order_acq_rel); }

bool ReadWholeFile(const std::string& path, std::string& out) {
    out.clear();
    std::unique_ptr<File> file = Fs().Open(path, OpenMode::Read);
    if (!file) return false;
    uint64_t size = 0;
    if (!file->GetSize(size)) return false;
    if (size > static_cast<uint64_t>(out.max_size())) return false;
    out.resize(static_cast<size_t>(size));
    size_t done = 0;
    while (done < out.size()) {
        size_t got = file->Read(&out[done], out.size() - done);
        if (got == 0) break;
        done += got;
    }
    // A file that shrank while we read it is reported as a failure rather than
    // handing back a silently cut copy.
    if (done != out.size()) {
        out.clear();
        return false;
    }
    file->Close();
    return true;
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size) {
    FileSystem& fs = Fs();
    std::string temp;
    std::unique_ptr<File> file = fs.CreateTemporary(path, temp);
    if (!file) return false;
    if (file->Write(data, size) != size || !file->Flush()) {
        // Closed first so that the temporary file can be removed on systems
        // that refuse to delete open files.
        file->Close();
        fs.Remove(temp);
        return false;
    }
    return fs.Commit(*file, temp, path, nullptr);
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace td
