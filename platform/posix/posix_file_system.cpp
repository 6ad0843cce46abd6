// POSIX implementation of the file seam. It deliberately follows Windows
// semantics where the tag engine depends on them: a file without the owner's
// write bit cannot be opened for writing, replaced or removed (even by root),
// and a rename never replaces an existing file.
#include "platform/file_system.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

#include "platform/directory.h"

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

// Records the system's reason for the failure errno holds.
void NoteErrno() {
    const int code = errno;
    char buffer[256];
    SetFileError(strerror_r(code, buffer, sizeof buffer));
    errno = code;
}

// Records one of the seam's own reasons, with an errno to match.
void NoteReason(const char* reason, int code) {
    SetFileError(reason);
    errno = code;
}

// The mode new files get: 0666 less the process's umask, read once at start
// (reading it means setting it, which is only safe before threads start).
const mode_t g_newFileMode = [] {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}();

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
                NoteErrno();
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
            // A file size limit (EFBIG) fails this write; SIGXFSZ is ignored
            // by the programs, so it does not end the run.
            const ssize_t put = ::write(fd_, in + done, size - done);
            if (put < 0) {
                if (errno == EINTR) continue;
                NoteErrno();
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
            if (errno != EINTR) {
                NoteErrno();
                return false;
            }
        }
        return true;
    }

    bool Flush() override {
        if (fd_ < 0) return false;
        while (::fsync(fd_) != 0) {
            if (errno != EINTR) {
                NoteErrno();
                return false;
            }
        }
        return true;
    }

    bool Close() override {
        if (fd_ < 0) return true;
        const int fd = fd_;
        fd_ = -1;
        // Linux releases the descriptor even when close() reports EINTR, so it
        // must not be retried; the error itself is still worth reporting.
        if (::close(fd) == 0) return true;
        NoteErrno();
        return false;
    }

    int fd() const { return fd_; }

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

// Opens `path` only when it is a regular file. The open does not block, so
// that a FIFO or device under a song's name cannot hang the caller.
int OpenRegular(const std::string& path, int flags, struct stat& st) {
    const int fd = OpenRetrying(path.c_str(), flags | O_NONBLOCK);
    if (fd < 0) {
        NoteErrno();
        return -1;
    }
    if (::fstat(fd, &st) != 0) {
        NoteErrno();
        CloseQuietly(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        NoteReason(kReasonNotRegular, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        return -1;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status != -1) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

// Takes the advisory lock that keeps our writers of one file apart. File
// systems without locks (some network shares) cannot keep them apart; the
// identity check of Commit still catches a replacement there.
bool LockExclusively(int fd) {
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        return errno == ENOLCK || errno == ENOSYS || errno == EOPNOTSUPP;
    }
    return true;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens an existing file for reading and writing, refusing directories and
// read-only files the way Windows does, and other writers of it the way its
// share modes do.
int OpenExistingForWriting(const std::string& path) {
    struct stat st;
    const int fd = OpenRegular(path, O_RDWR, st);
    if (fd < 0) return -1;
    if (IsReadOnly(st)) {
        ::close(fd);
        errno = EACCES;
        NoteErrno();
        return -1;
    }
    if (!LockExclusively(fd)) {
        ::close(fd);
        NoteReason(kReasonInUse, EBUSY);
        return -1;
    }
    // A writer that committed between our open and our lock gave the name
    // another file; the one we hold is then an old version.
    struct stat now;
    if (::stat(path.c_str(), &now) != 0 || !SameFile(now, st)) {
        ::close(fd);
        NoteReason(kReasonChanged, EBUSY);
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
            struct stat st;
            fd = OpenRegular(path, O_RDONLY, st);
            break;
        }
        case OpenMode::ReadWrite: fd = OpenExistingForWriting(path); break;
        case OpenMode::Create:
            // Creating first with O_EXCL tells a new file from an existing one
            // without a window in which a read-only file could be truncated.
            for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
                fd = OpenRetrying(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
                if (fd >= 0) break;
                if (errno != EEXIST) {
                    NoteErrno();
                    break;
                }
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
            fd = OpenRetrying(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
            break;
        }
        if (fd < 0) {
            if (mode == OpenMode::CreateNew) NoteErrno();
            return nullptr;
        }
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
        if (::lstat(path.c_str(), &st) != 0) {
            NoteErrno();  // a file that vanished says so
            return false;
        }
        if (S_ISDIR(st.st_mode)) {
            NoteReason(kReasonNotRegular, EISDIR);
            return false;
        }
        if (S_ISREG(st.st_mode) && IsReadOnly(st)) {
            NoteReason("the file is read-only", EACCES);  // as DeleteFile
            return false;
        }
        if (::unlink(path.c_str()) == 0) return true;
        NoteErrno();
        return false;
    }

    bool Rename(const std::string& from, const std::string& to) override {
#ifdef SYS_renameat2
        if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        if (errno != EINVAL && errno != ENOSYS) {
            NoteErrno();
            return false;
        }
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
        if (errno == EEXIST) {
            NoteErrno();
            return false;
        }
        // No hard links here (or a directory): check, then rename. Not atomic,
        // but the best such a file system allows.
        struct stat st;
        if (::lstat(to.c_str(), &st) == 0) {
            errno = EEXIST;
            return false;
        }
        if (::rename(from.c_str(), to.c_str()) == 0) return true;
        NoteErrno();
        return false;
    }

    bool Replace(const std::string& source, const std::string& target) override {
        struct stat st;
        if (::stat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
        if (::stat(target.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || IsReadOnly(st))) {
            errno = EACCES;  // MoveFileEx refuses to replace a read-only file
            NoteErrno();
            return false;
        }
        if (!SyncPath(source, O_RDONLY)) return false;
        if (::rename(source.c_str(), target.c_str()) != 0) {
            NoteErrno();
            return false;
        }
        // Makes the new directory entry durable; the rename has happened either
        // way, so a failure here is not reported as a failed replace.
        SyncPath(DirectoryOf(target), O_RDONLY | O_DIRECTORY);
        return true;
    }

    std::unique_ptr<File> CreateTemporary(const std::string& beside, std::string& tempPath) override {
        static std::atomic<uint32_t> counter{0};
        const std::string target = ResolveLinks(beside);
        RemoveStaleTemporariesOnce(DirectoryOf(target));
        const uint32_t process = static_cast<uint32_t>(::getpid());
        for (int attempt = 0; attempt < 100; ++attempt) {
            tempPath = TemporaryPathBeside(target, process, counter.fetch_add(1));
            const int fd = OpenRetrying(tempPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
            if (fd < 0) {
                if (errno == EEXIST) continue;  // a left-over of an earlier process of our id
                NoteErrno();
                break;
            }
            // Held locked until it is committed or removed: the lock is what
            // tells a later run that the file is still in use. A cleaner that
            // took it between the creation and the lock has removed it.
            struct stat mine;
            struct stat named;
            if (!LockExclusively(fd) || ::fstat(fd, &mine) != 0 || ::lstat(tempPath.c_str(), &named) != 0 ||
                !SameFile(mine, named)) {
                ::close(fd);
                continue;
            }
            return std::make_unique<PosixFile>(fd);
        }
        tempPath.clear();
        return nullptr;
    }

    bool Commit(File& temp, const std::string& tempPath, const std::string& target, File* held) override {
        auto fail = [&]() {
            temp.Close();
            if (held) held->Close();
            const int saved = errno;
            ::unlink(tempPath.c_str());
            errno = saved;
            return false;
        };
        auto* file = dynamic_cast<PosixFile*>(temp.Native());
        if (!file) return fail();
        const std::string real = ResolveLinks(target);
        struct stat old;
        const bool exists = ::lstat(real.c_str(), &old) == 0;
        mode_t mode = g_newFileMode;
        if (exists) {
            if (!S_ISREG(old.st_mode)) {
                NoteReason(kReasonNotRegular, EINVAL);
                return fail();
            }
            if (IsReadOnly(old)) {
                errno = EACCES;  // MoveFileEx refuses to replace a read-only file
                NoteErrno();
                return fail();
            }
            if (old.st_nlink > 1) {
                NoteReason(kReasonHardLinks, EMLINK);
                return fail();
            }
            mode = old.st_mode & 07777;
            // The owner goes first: a change of owner clears the set-id bits.
            // Where we may not give the file away, it stays ours, without them.
            if (::fchown(file->fd(), old.st_uid, old.st_gid) != 0) {
                mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
            }
        }
        if (held) {
            auto* mine = dynamic_cast<PosixFile*>(held->Native());
            struct stat heldStat;
            if (!exists || !mine || ::fstat(mine->fd(), &heldStat) != 0 || !SameFile(heldStat, old)) {
                NoteReason(kReasonChanged, EBUSY);
                return fail();
            }
        }
        if (::fchmod(file->fd(), mode) != 0) {
            NoteErrno();
            return fail();
        }
        if (exists) {
            // A tagger changes the modification time, not the last access.
            struct timespec times[2];
            times[0] = old.st_atim;
            times[1].tv_sec = 0;
            times[1].tv_nsec = UTIME_NOW;
            ::futimens(file->fd(), times);
        }
        if (!temp.Close()) return fail();
        // The lock on `held` is kept until the new file has its name, so that
        // no other writer starts on the old one in between.
        if (::rename(tempPath.c_str(), real.c_str()) != 0) {
            NoteErrno();
            return fail();
        }
        if (held) held->Close();
        SyncPath(DirectoryOf(real), O_RDONLY | O_DIRECTORY);
        return true;
    }

private:
    // `path` itself, or the file it names when it is a symbolic link.
    static std::string ResolveLinks(const std::string& path) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        char* real = ::realpath(path.c_str(), nullptr);
        if (!real) return path;  // dangling: the link itself is replaced
        std::string out(real);
        std::free(real);
        return out;
    }
};

}  // namespace

void RemoveStaleTemporaries(const std::string& folder) {
    std::vector<DirectoryEntry> entries;
    if (!ListDirectory(folder, entries)) return;
    for (const DirectoryEntry& entry : entries) {
        if (entry.isDirectory || entry.isLink || !IsTemporaryName(entry.name)) continue;
        const std::string path = JoinPath(folder, entry.name);
        struct stat named;
        if (::lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode) || named.st_uid != ::geteuid()) {
            continue;
        }
        const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat held;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && SameFile(held, named)) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
}

FileSystem& NativeFs() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace td
