// Win32 implementation of the file seam (ANSI API: paths are in the ANSI code
// page, like everything else the player hands us).
#include "platform/file_system.h"

#include <windows.h>

#include <atomic>
#include <vector>

#include "platform/directory.h"

namespace td {

namespace {

// Records the system's reason for the failure GetLastError() holds.
void NoteLastError() {
    const DWORD code = GetLastError();
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) {
        SetFileError(kReasonInUse);
    } else {
        char buffer[256] = {0};
        DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      code, 0, buffer, sizeof buffer, nullptr);
        while (length > 0 && (buffer[length - 1] == '\r' || buffer[length - 1] == '\n' ||
                              buffer[length - 1] == ' ' || buffer[length - 1] == '.')) {
            --length;
        }
        SetFileError(length > 0 ? std::string(buffer, length) : "system error " + std::to_string(code));
    }
    SetLastError(code);
}

// A temporary file older than this that nobody holds open is a left-over.
// The age covers the moment between a writer's close of its temporary file
// and the replace, when no handle marks it as in use.
constexpr uint64_t kStaleSeconds = 60;

class Win32File final : public File {
public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    ~Win32File() override { Close(); }

    size_t Read(void* buffer, size_t size) override {
        if (handle_ == INVALID_HANDLE_VALUE) return 0;
        char* out = static_cast<char*>(buffer);
        size_t done = 0;
        while (done < size) {
            const DWORD chunk = static_cast<DWORD>((size - done) > 0x40000000u ? 0x40000000u : (size - done));
            DWORD got = 0;
            if (!ReadFile(handle_, out + done, chunk, &got, nullptr)) {
                NoteLastError();
                break;
            }
            if (got == 0) break;
            done += got;
        }
        return done;
    }

    size_t Write(const void* buffer, size_t size) override {
        if (handle_ == INVALID_HANDLE_VALUE) return 0;
        const char* in = static_cast<const char*>(buffer);
        size_t done = 0;
        while (done < size) {
            const DWORD chunk = static_cast<DWORD>((size - done) > 0x40000000u ? 0x40000000u : (size - done));
            DWORD put = 0;
            if (!WriteFile(handle_, in + done, chunk, &put, nullptr)) {
                NoteLastError();
                break;
            }
            if (put == 0) break;
            done += put;
        }
        return done;
    }

    bool Seek(uint64_t position) override {
        if (handle_ == INVALID_HANDLE_VALUE || position > static_cast<uint64_t>(INT64_MAX)) {
            return false;
        }
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(position);
        return SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0;
    }

    uint64_t Tell() const override {
        if (handle_ == INVALID_HANDLE_VALUE) return 0;
        LARGE_INTEGER zero;
        zero.QuadPart = 0;
        LARGE_INTEGER now;
        if (!SetFilePointerEx(handle_, zero, &now, FILE_CURRENT)) return 0;
        return static_cast<uint64_t>(now.QuadPart);
    }

    bool GetSize(uint64_t& size) override {
        LARGE_INTEGER value;
        if (handle_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(handle_, &value)) return false;
        size = static_cast<uint64_t>(value.QuadPart);
        return true;
    }

    bool Truncate(uint64_t size) override {
        // SetEndOfFile works at the file pointer; the caller's position is
        // kept, as ftruncate does on POSIX.
        const uint64_t position = Tell();
        if (!Seek(size)) return false;
        const bool ok = SetEndOfFile(handle_) != 0;
        Seek(position);
        return ok;
    }

    bool Flush() override {
        if (handle_ == INVALID_HANDLE_VALUE) return false;
        if (FlushFileBuffers(handle_)) return true;
        NoteLastError();
        return false;
    }

    bool Close() override {
        if (handle_ == INVALID_HANDLE_VALUE) return true;
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        if (CloseHandle(handle)) return true;
        NoteLastError();
        return false;
    }

    HANDLE handle() const { return handle_; }

private:
    HANDLE handle_;
};

uint64_t UnixSeconds(const FILETIME& time) {
    // FILETIME counts 100 ns intervals since 1601-01-01.
    const uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    constexpr uint64_t kEpochDifference = 11644473600ull;
    const uint64_t seconds = ticks / 10000000ull;
    return seconds > kEpochDifference ? seconds - kEpochDifference : 0;
}

uint32_t ToAttributes(DWORD native) {
    uint32_t attributes = 0;
    if (native & FILE_ATTRIBUTE_READONLY) attributes |= kAttrReadOnly;
    if (native & FILE_ATTRIBUTE_HIDDEN) attributes |= kAttrHidden;
    if (native & FILE_ATTRIBUTE_SYSTEM) attributes |= kAttrSystem;
    if (native & FILE_ATTRIBUTE_DIRECTORY) attributes |= kAttrDirectory;
    if (native & FILE_ATTRIBUTE_ARCHIVE) attributes |= kAttrArchive;
    if (attributes == 0) attributes = kAttrNormal;
    return attributes;
}

bool IsTransient(DWORD error) {
    // Virus scanners and indexers open freshly written files for a moment.
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

class Win32FileSystem final : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override {
        DWORD access = GENERIC_READ;
        DWORD disposition = OPEN_EXISTING;
        switch (mode) {
        case OpenMode::Read: break;
        case OpenMode::ReadWrite: access |= GENERIC_WRITE; break;
        case OpenMode::Create:
            access |= GENERIC_WRITE;
            disposition = CREATE_ALWAYS;
            break;
        case OpenMode::CreateNew:
            access |= GENERIC_WRITE;
            disposition = CREATE_NEW;
            break;
        }
        DWORD flags = FILE_ATTRIBUTE_NORMAL;
        if (mode == OpenMode::ReadWrite || mode == OpenMode::Create) {
            const DWORD existing = GetFileAttributesA(path.c_str());
            if (existing != INVALID_FILE_ATTRIBUTES) {
                // Windows refuses this by itself; Wine running as root does
                // not, and the tag engine depends on the refusal.
                if (existing & FILE_ATTRIBUTE_READONLY) return nullptr;
                // CREATE_ALWAYS on a hidden or system file fails unless the
                // same attributes are asked for; a rewritten file keeps them.
                if (mode == OpenMode::Create) {
                    flags =
                        existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
                    if (flags == 0) flags = FILE_ATTRIBUTE_NORMAL;
                }
            }
        }
        // A file opened for writing keeps other writers out until it is
        // closed; readers are let in.
        const DWORD share =
            mode == OpenMode::Read ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : FILE_SHARE_READ;
        const HANDLE handle = CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            NoteLastError();
            return nullptr;
        }
        // Only files: a device or pipe under a song's name could block the
        // reader forever.
        if (GetFileType(handle) != FILE_TYPE_DISK) {
            CloseHandle(handle);
            SetFileError(kReasonNotRegular);
            return nullptr;
        }
        return std::make_unique<Win32File>(handle);
    }

    bool GetStatus(const std::string& path, FileStatus& status) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
        status.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        status.attributes = ToAttributes(data.dwFileAttributes);
        status.modified = UnixSeconds(data.ftLastWriteTime);
        return true;
    }

    bool GetAttributes(const std::string& path, uint32_t& attributes) override {
        const DWORD native = GetFileAttributesA(path.c_str());
        if (native == INVALID_FILE_ATTRIBUTES) return false;
        attributes = ToAttributes(native);
        return true;
    }

    bool SetAttributes(const std::string& path, uint32_t attributes) override {
        const DWORD current = GetFileAttributesA(path.c_str());
        if (current == INVALID_FILE_ATTRIBUTES) return false;
        constexpr DWORD kSettable =
            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
        DWORD wanted = current & ~kSettable;
        if (attributes & kAttrReadOnly) wanted |= FILE_ATTRIBUTE_READONLY;
        if (attributes & kAttrHidden) wanted |= FILE_ATTRIBUTE_HIDDEN;
        if (attributes & kAttrSystem) wanted |= FILE_ATTRIBUTE_SYSTEM;
        if (attributes & kAttrArchive) wanted |= FILE_ATTRIBUTE_ARCHIVE;
        if (wanted == current) return true;
        // Only these bits may be passed; NORMAL alone means "none of them".
        DWORD apply = wanted & (kSettable | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                                FILE_ATTRIBUTE_TEMPORARY);
        if (apply == 0) apply = FILE_ATTRIBUTE_NORMAL;
        return SetFileAttributesA(path.c_str(), apply) != 0;
    }

    bool Remove(const std::string& path) override {
        if (DeleteFileA(path.c_str())) return true;
        NoteLastError();
        return false;
    }

    bool Rename(const std::string& from, const std::string& to) override {
        if (MoveFileExA(from.c_str(), to.c_str(), 0)) return true;
        NoteLastError();
        return false;
    }

    bool Replace(const std::string& source, const std::string& target) override {
        const DWORD target_attributes = GetFileAttributesA(target.c_str());
        if (target_attributes != INVALID_FILE_ATTRIBUTES &&
            (target_attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
            SetLastError(ERROR_ACCESS_DENIED);
            NoteLastError();
            return false;  // not retried: it will not go away by waiting
        }
        for (int attempt = 0;; ++attempt) {
            if (MoveFileExA(source.c_str(), target.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                return true;
            }
            if (attempt >= 5 || !IsTransient(GetLastError())) {
                NoteLastError();
                return false;
            }
            Sleep(50);
        }
    }

    std::unique_ptr<File> CreateTemporary(const std::string& beside, std::string& tempPath) override {
        static std::atomic<uint32_t> counter{0};
        RemoveStaleTemporariesOnce(FolderOf(beside));
        const uint32_t process = GetCurrentProcessId();
        for (int attempt = 0; attempt < 100; ++attempt) {
            tempPath = TemporaryPathBeside(beside, process, counter.fetch_add(1));
            // Shared for reading only: while it is open, no cleaner removes it.
            const HANDLE handle = CreateFileA(tempPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle != INVALID_HANDLE_VALUE) return std::make_unique<Win32File>(handle);
            if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
                NoteLastError();
                break;
            }
        }
        tempPath.clear();
        return nullptr;
    }

    bool Commit(File& temp, const std::string& tempPath, const std::string& target, File* held) override {
        BY_HANDLE_FILE_INFORMATION mine;
        auto* heldFile = held ? dynamic_cast<Win32File*>(held->Native()) : nullptr;
        const bool knowMine = heldFile && GetFileInformationByHandle(heldFile->handle(), &mine) != 0;
        // Neither file can be open for the replace.
        bool ok = temp.Close();
        if (held) held->Close();
        if (ok) ok = CommitClosed(tempPath, target, held != nullptr, knowMine ? &mine : nullptr);
        if (!ok) {
            const DWORD code = GetLastError();
            DeleteFileA(tempPath.c_str());
            SetLastError(code);
        }
        return ok;
    }

private:
    static std::string FolderOf(const std::string& path) {
        const size_t slash = path.find_last_of("\\/");
        return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    }

    // Not every implementation of ReplaceFile carries the attributes over
    // (Wine's does not): a hidden or system song must not come back visible.
    static void KeepAttributes(const std::string& target, DWORD old) {
        const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        const DWORD now = GetFileAttributesA(target.c_str());
        if (now == INVALID_FILE_ATTRIBUTES || (now & kept) == (old & kept)) return;
        SetFileAttributesA(target.c_str(), (now & ~kept) | (old & kept));
    }

    static bool CommitClosed(const std::string& tempPath, const std::string& target, bool held,
                             const BY_HANDLE_FILE_INFORMATION* mine) {
        const DWORD attributes = GetFileAttributesA(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (held) {
                SetFileError(kReasonChanged);
                return false;
            }
            if (MoveFileExA(tempPath.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
            NoteLastError();
            return false;
        }
        if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
            SetLastError(ERROR_ACCESS_DENIED);
            NoteLastError();
            return false;
        }
        const HANDLE probe = CreateFileA(target.c_str(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, 0, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            NoteLastError();
            return false;
        }
        BY_HANDLE_FILE_INFORMATION now;
        const bool known = GetFileInformationByHandle(probe, &now) != 0;
        CloseHandle(probe);
        if (known && now.nNumberOfLinks > 1) {
            SetFileError(kReasonHardLinks);
            return false;
        }
        // Another file under the name: someone replaced ours meanwhile.
        if (known && mine &&
            (now.dwVolumeSerialNumber != mine->dwVolumeSerialNumber ||
             now.nFileIndexHigh != mine->nFileIndexHigh || now.nFileIndexLow != mine->nFileIndexLow)) {
            SetFileError(kReasonChanged);
            return false;
        }
        // ReplaceFile keeps the original's attributes, security and streams.
        for (int attempt = 0;; ++attempt) {
            if (ReplaceFileA(target.c_str(), tempPath.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                             nullptr, nullptr)) {
                KeepAttributes(target, attributes);
                return true;
            }
            if (attempt >= 5 || !IsTransient(GetLastError())) {
                NoteLastError();
                return false;
            }
            Sleep(50);
        }
    }
};

}  // namespace

void RemoveStaleTemporaries(const std::string& folder) {
    std::vector<DirectoryEntry> entries;
    if (!ListDirectory(folder, entries)) return;
    FILETIME nowTime;
    GetSystemTimeAsFileTime(&nowTime);
    const uint64_t now = UnixSeconds(nowTime);
    for (const DirectoryEntry& entry : entries) {
        if (entry.isDirectory || entry.isLink || !IsTemporaryName(entry.name)) continue;
        const std::string path = JoinPath(folder, entry.name);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes &
             (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY)) ||
            UnixSeconds(data.ftLastWriteTime) + kStaleSeconds > now) {
            continue;
        }
        const HANDLE handle = CreateFileA(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
}

FileSystem& NativeFs() {
    static Win32FileSystem fs;
    return fs;
}

}  // namespace td
