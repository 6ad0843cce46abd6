// POSIX implementation of the file seam. It deliberately follows Windows
// semantics where the tag engine depends on them: a file without the owner's
// write bit cannot be opened for writing, replaced or removed (even by root),
// and a rename never replaces an existing file.
#include "platform/file_system.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace td {

namespace {

bool IsReadOnly(const struct stat& st) { return (st.st_mode & S_IWUSR) == 0; }

// Closes without clobbering errno, for error paths.
void CloseQuietly(int fd) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

class PosixFile final : public File {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override { Close(); }

    size_t Read(void* buffer, size_t size) override {
        if (fd_ < 0) return 0;
        char* out = static_cast<char*>(buffer);
        size_t done = 0;
        while (done < size) {
            const ssize_t got = ::read(fd_, out + done, size - done);
            if (got < 0) {
                if (errno == EINTR) continue;
                break;
            }
            if (got == 0) break;
            done += static_cast<size_t>(got);
        }
        return done;
    }

    size_t Write(const void* buffer, size_t size) override {
        if (fd_ < 0) return 0;
        const char* in = static_cast<const char*>(buffer);
        size_t done = 0;
        while (done < size) {
            const ssize_t put = ::write(fd_, in + done, size - done);
            if (put < 0) {
                if (errno == EINTR) continue;
                break;
            }
            if (put == 0) break;
            done += static_cast<size_t>(put);
        }
        return done;
    }

    bool Seek(uint64_t position) override {
        if (fd_ < 0 || position > static_cast<uint64_t>(INT64_MAX)) return false;
        return ::lseek(fd_, static_cast<off_t>(position), SEEK_SET) != static_cast<off_t>(-1);
    }

    uint64_t Tell() const override {
        if (fd_ < 0) return 0;
        const off_t pos = ::lseek(fd_, 0, SEEK_CUR);
        return pos < 0 ? 0 : static_cast<uint64_t>(pos);
    }

    bool GetSize(uint64_t& size) override {
        struct stat st;
        if (fd_ < 0 || ::fstat(fd_, &st) != 0) return false;
        size = static_cast<uint64_t>(st.st_size);
        return true;
    }

    bool Truncate(uint64_t size) override {
        if (fd_ < 0 || size > static_cast<uint64_t>(INT64_MAX)) return false;
        while (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
            if (errno != EINTR) return false;
        }
        return true;
    }

    bool Flush() override {
        if (fd_ < 0) return false;
        while (::fsync(fd_) != 0) {
            if (errno != EINTR) return false;
        }
        return true;
    }

    bool Close() override {
        if (fd_ < 0) return true;
        const int fd = fd_;
        fd_ = -1;
        // Linux releases the descriptor even when close() reports EINTR, so it
        // must not be retried; the error itself is still worth reporting.
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Opens an existing file for reading and writing, refusing directories and
// read-only files the way Windows does.
int OpenExistingForWriting(const std::string& path) {
    const int fd = OpenRetrying(path.c_str(), O_RDWR);
    if (fd < 0) return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || IsReadOnly(st)) {
        CloseQuietly(fd);
        errno = EACCES;
        return -1;
    }
    return fd;
}

uint32_t AttributesOf(const std::string& path, const struct stat& st) {
    uint32_t attributes = 0;
    if (IsReadOnly(st)) attributes |= kAttrReadOnly;
    if (S_ISDIR(st.st_mode)) attributes |= kAttrDirectory;
    const std::string name = BaseName(path);
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") attributes |= kAttrHidden;
    if (attributes == 0) attributes = kAttrNormal;
    return attributes;
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool SyncPath(const std::string& path, int flags) {
    const int fd = OpenRetrying(path.c_str(), flags);
    if (fd < 0) return false;
    bool ok = true;
    while (::fsync(fd) != 0) {
        if (errno != EINTR) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    return ok;
}

class PosixFileSystem final : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override {
        int fd = -1;
        switch (mode) {
        case OpenMode::Read: {
            fd = OpenRetrying(path.c_str(), O_RDONLY);
            struct stat st;
            if (fd >= 0 && (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
                CloseQuietly(fd);
                fd = -1;
            }
            break;
        }
        case OpenMode::ReadWrite:
            fd = OpenExistingForWriting(path);
            break;
        case OpenMode::Create:
            // Creating first with O_EXCL tells a new file from an existing one
            // without a window in which a read-only file could be truncated.
            for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
                fd = OpenRetrying(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
                if (fd >= 0 || errno != EEXIST) break;
                fd = OpenExistingForWriting(path);
                if (fd >= 0) {
                    if (::ftruncate(fd, 0) != 0) {
                        CloseQuietly(fd);
                        fd = -1;
                    }
                    break;
                }
                if (errno != ENOENT) break;  // vanished in between: try again
            }
            break;
        case OpenMode::CreateNew:
            fd = OpenRetrying(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
            break;
        }
        if (fd < 0) return nullptr;
        return std::make_unique<PosixFile>(fd);
    }

    bool GetStatus(const std::string& path, FileStatus& status) override {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) return false;
        status.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
        status.attributes = AttributesOf(path, st);
        status.modified = st.st_mtime < 0 ? 0 : static_cast<uint64_t>(st.st_mtime);
        return true;
    }

    bool GetAttributes(const std::string& path, uint32_t& attributes) override {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) return false;
        attributes = AttributesOf(path, st);
        return true;
    }

    bool SetAttributes(const std::string& path, uint32_t attributes) override {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) return false;
        mode_t mode = st.st_mode & 07777;
        if (attributes & kAttrReadOnly) {
            mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
        } else if (IsReadOnly(st)) {
            mode |= S_IWUSR;
        }
        if (mode == (st.st_mode & 07777)) return true;
        return ::chmod(path.c_str(), mode) == 0;
    }

    bool Remove(const std::string& path) override {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) return false;
        if (S_ISDIR(st.st_mode)) return false;
        if (S_ISREG(st.st_mode) && IsReadOnly(st)) return false;  // as DeleteFile
        return ::unlink(path.c_str()) == 0;
    }

    bool Rename(const std::string& from, const std::string& to) override {
#ifdef SYS_renameat2
        if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                      RENAME_NOREPLACE) == 0) {
            return true;
        }
        if (errno != EINVAL && errno != ENOSYS) return false;
#endif
        // The file system cannot rename without replacing: a hard link gives
        // the same guarantee for files, since link() never replaces.
        if (::link(from.c_str(), to.c_str()) == 0) {
            if (::unlink(from.c_str()) == 0) return true;
            const int saved = errno;
            ::unlink(to.c_str());
            errno = saved;
            return false;
        }
        if (errno == EEXIST) return false;
        // No hard links here (or a directory): check, then rename. Not atomic,
        // but the best such a file system allows.
        struct stat st;
        if (::lstat(to.c_str(), &st) == 0) {
            errno = EEXIST;
            return false;
        }
        return ::rename(from.c_str(), to.c_str()) == 0;
    }

    bool Replace(const std::string& source, const std::string& target) override {
        struct stat st;
        if (::stat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
        if (::stat(target.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || IsReadOnly(st))) {
            errno = EACCES;  // MoveFileEx refuses to replace a read-only file
            return false;
        }
        if (!SyncPath(source, O_RDONLY)) return false;
        if (::rename(source.c_str(), target.c_str()) != 0) return false;
        // Makes the new directory entry durable; the rename has happened either
        // way, so a failure here is not reported as a failed replace.
        SyncPath(DirectoryOf(target), O_RDONLY | O_DIRECTORY);
        return true;
    }
};

}  // namespace

FileSystem& NativeFs() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace td
