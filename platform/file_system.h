// File access seam. The tag engine and the playlist never touch the operating
// system's file API directly: they go through the FileSystem installed here, so
// that the Win32 and POSIX layers stay small and tests can inject failures.
//
// Paths are 8-bit strings in the platform's native narrow encoding: the ANSI
// code page on Windows, the file system's bytes (normally UTF-8) on POSIX.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/directory.h"

namespace td {

enum class OpenMode {
    Read,       // existing file, reading only
    ReadWrite,  // existing file, reading and writing, position 0
    Create,     // create or truncate, writing (and reading)
    CreateNew,  // create, writing; fails when the file exists
};

// Attribute bits, Windows-style so that they can be saved and restored as a whole.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;

// One open file. Unbuffered: callers read and write in blocks.
class File {
public:
    virtual ~File() = default;
    // Bytes read; fewer than `size` at end of file or on an error.
    virtual size_t Read(void* buffer, size_t size) = 0;
    // Bytes written; fewer than `size` means the write failed.
    virtual size_t Write(const void* buffer, size_t size) = 0;
    virtual bool Seek(uint64_t position) = 0;
    virtual uint64_t Tell() const = 0;
    virtual bool GetSize(uint64_t& size) = 0;
    // Sets the end of the file at `size`.
    virtual bool Truncate(uint64_t size) = 0;
    // Commits written data to the device (FlushFileBuffers / fsync).
    virtual bool Flush() = 0;
    // Closes the handle; false when the system reports a deferred write error.
    // Closing twice is harmless.
    virtual bool Close() = 0;
    // The platform's own file under any wrapper (tests wrap files to inject
    // failures); the native file system reaches its handle through it.
    virtual File* Native() { return this; }
};

struct FileStatus {
    uint64_t size = 0;
    uint32_t attributes = 0;  // kAttr* bits
    uint64_t modified = 0;    // seconds since 1970-01-01 UTC
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Null when the file cannot be opened in that mode.
    virtual std::unique_ptr<File> Open(const std::string& path, OpenMode mode) = 0;
    // False when the path does not exist or cannot be examined.
    virtual bool GetStatus(const std::string& path, FileStatus& status) = 0;
    virtual bool GetAttributes(const std::string& path, uint32_t& attributes) = 0;
    // Only kAttrReadOnly (and on Windows the hidden/system/archive bits) are applied.
    virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // Renames or moves; never replaces an existing `to` (fails instead).
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    // Puts the complete, flushed file `source` in place of `target` in one step:
    // afterwards `target` names either the old or the new content, never a mix,
    // and `source` is gone. `target` may not exist yet.
    virtual bool Replace(const std::string& source, const std::string& target) = 0;

    // Creates a new, empty file for writing in the folder of `beside` (of the
    // file a link there names), to be committed over it. The name is unique
    // and the file created exclusively: an existing file or a link at that
    // name is never opened, and no other writer can share it. Temporary files
    // that killed runs left in that folder are removed on its first use, when
    // provably stale. Null, with LastFileError() set, on failure.
    virtual std::unique_ptr<File> CreateTemporary(const std::string& beside, std::string& tempPath);
    // Puts the complete temporary file `temp` (from CreateTemporary) in place
    // of `target` as Replace() does, and closes it. The new file keeps what
    // the old one had besides its bytes: mode, owner and access time on
    // POSIX, attributes, security and streams on Windows; a link at `target`
    // stays a link and the file it names is replaced. `held`, when given, is
    // `target` opened ReadWrite by the caller: the commit fails, leaving
    // `target` as it is, when `target` no longer names that file (another
    // program replaced it meanwhile); it is closed either way. A target with
    // several hard links is refused rather than split from its other names.
    // On failure the temporary file is removed.
    virtual bool Commit(File& temp, const std::string& tempPath, const std::string& target, File* held);
    // Lists a folder as ListDirectory (platform/directory.h) does; the folder
    // walks go through here so that tests can make a listing fail.
    virtual bool List(const std::string& path, std::vector<DirectoryEntry>& entries) {
        return ListDirectory(path, entries);
    }
};

// Reads `size` bytes, going on after short reads; returns how many were read
// (fewer only at the end of the file or on an error).
size_t ReadFully(File& file, void* buffer, size_t size);

// The file system in use; the native one unless a test installed another.
FileSystem& Fs();
// Installs `fs` (not owned; null restores the native one) and returns the previous.
FileSystem* SetFs(FileSystem* fs);
// The platform's own implementation (Win32 or POSIX).
FileSystem& NativeFs();

// Why the last failed file operation of the calling thread failed: the
// system's reason ("No space left on device") or one of the seam's own;
// empty when none is known. Each failure sets it; nothing clears it but
// ClearFileError().
std::string LastFileError();
void SetFileError(const std::string& reason);
void ClearFileError();
// The texts of the seam's own reasons.
extern const char kReasonInUse[];       // another writer has the file open
extern const char kReasonChanged[];     // replaced by another program meanwhile
extern const char kReasonHardLinks[];   // several names share the file
extern const char kReasonNotRegular[];  // a folder, device, FIFO or socket

// Removes from `folder` the temporary files (of CreateTemporary) that runs
// killed midway left behind, and only those that are provably stale: files
// of ours that no writer holds any more (on Windows, also unchanged for a
// minute). CreateTemporary does this once per folder and process.
void RemoveStaleTemporaries(const std::string& folder);
// The same, the first time a folder is named in this process only.
void RemoveStaleTemporariesOnce(const std::string& folder);
// Whether `name` is one of the temporary names CreateTemporary gives.
bool IsTemporaryName(const std::string& name);
// The temporary name number `n` of process `process`, in the folder of `target`.
std::string TemporaryPathBeside(const std::string& target, uint32_t process, uint32_t n);

// Reads the whole of `path` into `out`; false on any error.
bool ReadWholeFile(const std::string& path, std::string& out);
// Writes `data` to `path` through a temporary file beside it and Commit().
bool WriteFileAtomically(const std::string& path, const void* data, size_t size);

// Native path separator and helpers on narrow paths.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif
// The last component of `path` (after the last '\\' or '/').
std::string BaseName(const std::string& path);

}  // namespace td
