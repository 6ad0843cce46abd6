#include "tests/support/test_support.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/directory.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace td::test {

namespace {

#ifdef _WIN32
std::string SystemTempDir() {
    char buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof(buffer), buffer);
    std::string dir = length > 0 && length < sizeof(buffer) ? std::string(buffer, length) : ".\\";
    if (dir.back() != '\\' && dir.back() != '/') dir.push_back('\\');
    return dir;
}

void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA entry;
    const HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}
#else
std::string SystemTempDir() {
    const char* env = std::getenv("TMPDIR");
    std::string dir = env && *env ? env : "/tmp";
    if (dir.back() != '/') dir.push_back('/');
    return dir;
}

void RemoveTree(const std::string& dir) {
    // Directories without write or search permission cannot be emptied.
    ::chmod(dir.c_str(), 0700);
    if (DIR* handle = ::opendir(dir.c_str())) {
        while (const dirent* entry = ::readdir(handle)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "/" + name;
            struct stat st;
            if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
                RemoveTree(path);
            } else {
                ::unlink(path.c_str());
            }
        }
        ::closedir(handle);
    }
    ::rmdir(dir.c_str());
}
#endif

}  // namespace

TempDir::TempDir() {
    const std::string base = SystemTempDir() + "tdtest-";
#ifdef _WIN32
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string candidate = base + std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(GetTickCount()) + "-" + std::to_string(counter++);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
#else
    std::string pattern = base + "XXXXXX";
    if (::mkdtemp(&pattern[0]) != nullptr) {
        path_ = pattern;
        return;
    }
#endif
    std::fprintf(stderr, "cannot create a temporary directory under %s\n", base.c_str());
    std::abort();
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::Path(const std::string& name) const { return path_ + kPathSeparator + name; }

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    return WriteBytes(path, std::string(bytes.begin(), bytes.end()));
}

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

std::vector<std::string> SortedNames(const std::string& dir) {
    std::vector<DirectoryEntry> entries;
    ListDirectory(dir, entries);
    std::vector<std::string> names;
    for (const DirectoryEntry& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

bool FileExists(const std::string& path) {
#ifdef _WIN32
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
#endif
}

std::string TestsDir() { return TD_TESTS_DIR; }

std::string MpegAudio(size_t size) {
    std::string frame("\xFF\xFB\x90\x00", 4);
    frame.resize(417, '\0');
    std::string audio;
    while (audio.size() < size) audio += frame;
    audio.resize(size);
    return audio;
}

std::string NoiseBytes(size_t size) {
    std::string bytes(size, '\0');
    uint32_t x = 12345;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

std::string Synchsafe(uint32_t size) {
    return {static_cast<char>((size >> 21) & 0x7F), static_cast<char>((size >> 14) & 0x7F),
            static_cast<char>((size >> 7) & 0x7F), static_cast<char>(size & 0x7F)};
}

std::string BigEndian(uint32_t value, int bytes) {
    std::string out(static_cast<size_t>(bytes), '\0');
    for (int i = 0; i < bytes; ++i) {
        out[static_cast<size_t>(i)] = static_cast<char>(value >> (8 * (bytes - 1 - i)));
    }
    return out;
}

std::string Id3Frame(int major, const std::string& id, const std::string& body, uint8_t status,
                     uint8_t format) {
    const uint32_t size = static_cast<uint32_t>(body.size());
    if (major == 2) return id + BigEndian(size, 3) + body;
    const std::string sizeBytes = major == 4 ? Synchsafe(size) : BigEndian(size);
    return id + sizeBytes + static_cast<char>(status) + static_cast<char>(format) + body;
}

std::string Id3Tag(int major, const std::string& frames, size_t padding, uint8_t flags) {
    const uint32_t size = static_cast<uint32_t>(frames.size() + padding);
    return std::string("ID3") + static_cast<char>(major) + '\0' + static_cast<char>(flags) + Synchsafe(size) +
           frames + std::string(padding, '\0');
}

std::string Id3v1Trailer(const std::string& title, const std::string& artist, const std::string& album,
                         const std::string& year, const std::string& comment, uint8_t genre, uint8_t track) {
    const auto field = [](std::string text, size_t width) {
        text.resize(width, '\0');
        return text;
    };
    return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) +
           field(comment, 28) + '\0' + static_cast<char>(track) + static_cast<char>(genre);
}

// --- FakeVolumes -------------------------------------------------------------

std::string FakeVolumes::RootOf(const std::string& path) {
    std::string root = path.substr(0, 3);
    size_t longest = 0;
    for (const auto& [candidate, volume] : volumes_) {
        if (candidate.size() > longest && path.compare(0, candidate.size(), candidate) == 0) {
            root = candidate;
            longest = candidate.size();
        }
    }
    return root;
}

uint32_t FakeVolumes::DriveType(const std::string& root) {
    const auto it = volumes_.find(root);
    return it == volumes_.end() ? kDriveNoRootDir : it->second.driveType;
}

bool FakeVolumes::IsReachable(const std::string& root) {
    const auto it = volumes_.find(root);
    return it != volumes_.end() && it->second.reachable;
}

bool FakeVolumes::Information(const std::string& root, std::string& label, uint32_t& serial) {
    const auto it = volumes_.find(root);
    if (it == volumes_.end() || !it->second.readable) return false;
    label = it->second.label;
    serial = it->second.serial;
    return true;
}

// --- FaultyFileSystem --------------------------------------------------------

namespace {

using Op = FaultyFileSystem::Op;

class FaultyFile final : public File {
public:
    FaultyFile(FaultyFileSystem& fs, std::unique_ptr<File> inner) : fs_(fs), inner_(std::move(inner)) {}

    size_t Read(void* buffer, size_t size) override {
        if (fs_.Hit(Op::Read)) return 0;
        return inner_->Read(buffer, size);
    }

    size_t Write(const void* buffer, size_t size) override {
        if (fs_.Hit(Op::Write)) {
            if (!fs_.short_writes() || size < 2) return 0;
            return inner_->Write(buffer, size / 2);
        }
        return inner_->Write(buffer, size);
    }

    bool Seek(uint64_t position) override {
        if (fs_.Hit(Op::Seek)) return false;
        return inner_->Seek(position);
    }

    uint64_t Tell() const override { return inner_->Tell(); }

    File* Native() override { return inner_->Native(); }

    bool GetSize(uint64_t& size) override {
        if (fs_.Hit(Op::GetSize)) return false;
        return inner_->GetSize(size);
    }

    bool Truncate(uint64_t size) override {
        if (fs_.Hit(Op::Truncate)) return false;
        return inner_->Truncate(size);
    }

    bool Flush() override {
        if (fs_.Hit(Op::Flush)) return false;
        return inner_->Flush();
    }

    bool Close() override {
        if (closed_) return inner_->Close();
        closed_ = true;
        const bool fail = fs_.Hit(Op::Close);
        const bool ok = inner_->Close();
        return ok && !fail;
    }

private:
    FaultyFileSystem& fs_;
    std::unique_ptr<File> inner_;
    bool closed_ = false;
};

}  // namespace

void FaultyFileSystem::FailAt(Op op, int nth) {
    std::lock_guard<std::mutex> lock(mutex_);
    Plan& plan = plans_[static_cast<size_t>(op)];
    plan.fail_at = nth > 0 ? plan.calls + nth : 0;
    plan.from = false;
}

void FaultyFileSystem::FailFrom(Op op, int nth) {
    std::lock_guard<std::mutex> lock(mutex_);
    Plan& plan = plans_[static_cast<size_t>(op)];
    plan.fail_at = nth > 0 ? plan.calls + nth : 0;
    plan.from = nth > 0;
}

void FaultyFileSystem::SetShortWrites(bool short_writes) {
    std::lock_guard<std::mutex> lock(mutex_);
    short_writes_ = short_writes;
}

bool FaultyFileSystem::short_writes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return short_writes_;
}

int FaultyFileSystem::Count(Op op) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return plans_[static_cast<size_t>(op)].calls;
}

int FaultyFileSystem::Failures() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
}

void FaultyFileSystem::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    plans_ = {};
    failures_ = 0;
}

bool FaultyFileSystem::Hit(Op op) {
    std::lock_guard<std::mutex> lock(mutex_);
    Plan& plan = plans_[static_cast<size_t>(op)];
    ++plan.calls;
    const bool fail =
        plan.fail_at > 0 && (plan.calls == plan.fail_at || (plan.from && plan.calls > plan.fail_at));
    if (fail) ++failures_;
    return fail;
}

std::unique_ptr<File> FaultyFileSystem::Open(const std::string& path, OpenMode mode) {
    if (Hit(Op::Open)) return nullptr;
    std::unique_ptr<File> file = inner_.Open(path, mode);
    if (!file) return nullptr;
    return std::make_unique<FaultyFile>(*this, std::move(file));
}

bool FaultyFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
    if (Hit(Op::SetAttributes)) return false;
    return inner_.SetAttributes(path, attributes);
}

bool FaultyFileSystem::Remove(const std::string& path) {
    if (Hit(Op::Remove)) return false;
    return inner_.Remove(path);
}

bool FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
    if (Hit(Op::Rename)) return false;
    return inner_.Rename(from, to);
}

bool FaultyFileSystem::Replace(const std::string& source, const std::string& target) {
    if (Hit(Op::Replace)) return false;
    return inner_.Replace(source, target);
}

std::unique_ptr<File> FaultyFileSystem::CreateTemporary(const std::string& beside, std::string& tempPath) {
    if (Hit(Op::Open)) return nullptr;
    std::unique_ptr<File> file = inner_.CreateTemporary(beside, tempPath);
    if (!file) return nullptr;
    return std::make_unique<FaultyFile>(*this, std::move(file));
}

bool FaultyFileSystem::Commit(File& temp, const std::string& tempPath, const std::string& target,
                              File* held) {
    if (Hit(Op::Replace)) {
        temp.Close();
        if (held) held->Close();
        inner_.Remove(tempPath);
        return false;
    }
    return inner_.Commit(temp, tempPath, target, held);
}

bool HasTemporaryFiles(const std::string& dir) {
    for (const std::string& name : SortedNames(dir)) {
        if (IsTemporaryName(name)) return true;
    }
    return false;
}

bool FaultyFileSystem::List(const std::string& path, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    if (Hit(Op::List)) return false;
    return inner_.List(path, entries);
}

}  // namespace td::test
