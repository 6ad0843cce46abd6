#include "platform/file_system.h"

#include <atomic>

namespace td {

namespace {
std::atomic<FileSystem*> g_installed{nullptr};
}  // namespace

FileSystem& Fs() {
    FileSystem* fs = g_installed.load(std::memory_order_acquire);
    return fs ? *fs : NativeFs();
}

FileSystem* SetFs(FileSystem* fs) {
    return g_installed.exchange(fs, std::memory_order_acq_rel);
}

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
    const std::string temp = path + ".tmp~";
    FileSystem& fs = Fs();
    std::unique_ptr<File> file = fs.Open(temp, OpenMode::Create);
    if (!file) return false;
    bool ok = file->Write(data, size) == size;
    ok = ok && file->Flush();
    // Close even after a failure so that the temporary file can be removed on
    // systems that refuse to delete open files.
    const bool closed = file->Close();
    ok = ok && closed;
    file.reset();
    ok = ok && fs.Replace(temp, path);
    if (!ok) fs.Remove(temp);
    return ok;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace td
