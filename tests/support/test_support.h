// Helpers shared by the unit tests: temporary directories, whole-file byte
// access, and a file system that fails on demand.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/volume.h"

namespace td::test {

// A fresh directory under the system's temporary directory, removed with
// everything in it (read-only files included) when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // `name` inside the directory, joined with the native separator.
    std::string Path(const std::string& name) const;

private:
    std::string path_;
};

// Whole-file access that bypasses td::Fs(), so that it keeps working while a
// test has a failing file system installed. False / empty on error.
bool WriteBytes(const std::string& path, const std::string& bytes);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::string ReadBytes(const std::string& path);
bool FileExists(const std::string& path);
// The names in a directory (through the directory seam), sorted.
std::vector<std::string> SortedNames(const std::string& dir);
// Whether `dir` holds a file with a temporary name of the file seam.
bool HasTemporaryFiles(const std::string& dir);

// Passes every call on to NativeFs(); a test's file system derives from it
// and overrides only the calls it changes.
class ForwardingFs : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::string& p, OpenMode m) override { return inner_.Open(p, m); }
    bool GetStatus(const std::string& p, FileStatus& s) override { return inner_.GetStatus(p, s); }
    bool GetAttributes(const std::string& p, uint32_t& a) override { return inner_.GetAttributes(p, a); }
    bool SetAttributes(const std::string& p, uint32_t a) override { return inner_.SetAttributes(p, a); }
    bool Remove(const std::string& p) override { return inner_.Remove(p); }
    bool Rename(const std::string& f, const std::string& t) override { return inner_.Rename(f, t); }
    bool Replace(const std::string& s, const std::string& t) override { return inner_.Replace(s, t); }
    bool List(const std::string& p, std::vector<DirectoryEntry>& e) override { return inner_.List(p, e); }

protected:
    FileSystem& inner_ = NativeFs();
};

// Wraps NativeFs() and makes the n-th call of an operation fail. Calls are
// counted per operation from construction or from the last Reset().
class FaultyFileSystem final : public ForwardingFs {
public:
    enum class Op {
        Open,
        Read,
        Write,
        Seek,
        GetSize,
        Truncate,
        Flush,
        Close,
        SetAttributes,
        Remove,
        Rename,
        Replace,
        List,
    };
    static constexpr size_t kOpCount = static_cast<size_t>(Op::List) + 1;

    // The `nth` (1-based) call of `op` from now on fails: Open returns null,
    // Read returns nothing, Write writes `short_write` bytes (at most half of
    // the request) and reports that count, Close closes but reports failure,
    // List lists nothing, the others do nothing and report failure. `nth` <= 0 cancels.
    void FailAt(Op op, int nth);
    // Like FailAt, but every call from the nth on fails.
    void FailFrom(Op op, int nth);
    // Makes a failing Write write part of its data before failing (a full
    // disk) instead of nothing.
    void SetShortWrites(bool short_writes);
    // Calls of `op` so far (failed ones included).
    int Count(Op op) const;
    // Failures injected so far, all operations together.
    int Failures() const;
    // Zeroes the counters and cancels every planned failure.
    void Reset();

    // FileSystem
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override;
    bool SetAttributes(const std::string& path, uint32_t attributes) override;
    bool Remove(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Replace(const std::string& source, const std::string& target) override;
    // A temporary file counts as an Open, its commit as a Replace.
    std::unique_ptr<File> CreateTemporary(const std::string& beside, std::string& tempPath) override;
    bool Commit(File& temp, const std::string& tempPath, const std::string& target, File* held) override;
    bool List(const std::string& path, std::vector<DirectoryEntry>& entries) override;

    // Used by the file wrappers: counts the call and tells whether it fails.
    bool Hit(Op op);
    bool short_writes() const;

private:
    struct Plan {
        int calls = 0;
        int fail_at = 0;
        bool from = false;
    };
    mutable std::mutex mutex_;
    std::array<Plan, kOpCount> plans_{};
    int failures_ = 0;
    bool short_writes_ = false;
};

// Installs a file system for the lifetime of the object, then restores the
// previous one.
class ScopedFs {
public:
    explicit ScopedFs(FileSystem& fs) : previous_(SetFs(&fs)) {}
    ~ScopedFs() { SetFs(previous_); }
    ScopedFs(const ScopedFs&) = delete;
    ScopedFs& operator=(const ScopedFs&) = delete;

private:
    FileSystem* previous_;
};

// Volumes by root: a path lies on the longest registered root it starts
// with, otherwise on the root of its first three characters ("Q:\\"), where
// no drive is unless one was registered.
class FakeVolumes final : public VolumeSystem {
public:
    struct Volume {
        uint32_t driveType;
        bool reachable;
        std::string label;
        uint32_t serial;
        bool readable;
    };
    void Set(const std::string& root, const Volume& volume) { volumes_[root] = volume; }

    std::string RootOf(const std::string& path) override;
    uint32_t DriveType(const std::string& root) override;
    bool IsReachable(const std::string& root) override;
    bool Information(const std::string& root, std::string& label, uint32_t& serial) override;

private:
    std::map<std::string, Volume> volumes_;
};

// Installs a volume system for the lifetime of the object.
class ScopedVolumes {
public:
    explicit ScopedVolumes(VolumeSystem& volumes) : previous_(SetVolumes(&volumes)) {}
    ~ScopedVolumes() { SetVolumes(previous_); }
    ScopedVolumes(const ScopedVolumes&) = delete;
    ScopedVolumes& operator=(const ScopedVolumes&) = delete;

private:
    VolumeSystem* previous_;
};

// The directory holding the test data (tests/ of the source tree).
std::string TestsDir();

// `size` bytes of MPEG-1 Layer III frames at 128 kbit/s, 44100 Hz (417 bytes,
// 26 ms each), the last one cut at `size`.
std::string MpegAudio(size_t size);

// `size` bytes that repeat nowhere in a short stretch, 0xFF bytes included:
// audio or picture data no rewrite could reproduce by accident.
std::string NoiseBytes(size_t size);

// A size as ID3v2 headers store it: seven bits in each of four bytes.
std::string Synchsafe(uint32_t size);

// `value` as `bytes` big-endian bytes.
std::string BigEndian(uint32_t value, int bytes = 4);

// An ID3v2 frame as tag version `major` lays it out: for 2 a three-character
// identifier and a three-byte size, for 3 a plain size, for 4 a synchsafe one.
std::string Id3Frame(int major, const std::string& id, const std::string& body, uint8_t status = 0,
                     uint8_t format = 0);

// An ID3v2 tag of version `major`: its header, `frames`, then `padding` zero bytes.
std::string Id3Tag(int major, const std::string& frames, size_t padding = 0, uint8_t flags = 0);

// An ID3v1.1 trailer; `genre` is the file's genre number (255: none), `track` 0 is none.
std::string Id3v1Trailer(const std::string& title = "", const std::string& artist = "",
                         const std::string& album = "", const std::string& year = "",
                         const std::string& comment = "", uint8_t genre = 255, uint8_t track = 0);

}  // namespace td::test
