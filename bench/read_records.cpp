// How fast does building a SongRecord go, compared with the least any tag
// reader must do (open, read the head and the ID3v1 trailer, close) and with
// TagLib reading the same files?
//
//   read_records [--files N] [--dir DIR] [--rounds R] [--keep]
//
// Without --dir, N files (default 10000) are generated in a temporary
// directory: an ID3v2.3 tag of about 1 KB (every tenth file also carries a
// 20 KB picture), about 200 KB of valid MPEG-1 Layer III frames and an ID3v1
// trailer. Every reader then runs R rounds (default 5) over the warm page
// cache; the best round counts.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/sample_playlist.h"
#include "platform/file_system.h"
#include "tags/song_record.h"

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#endif

#if TD_HAVE_TAGLIB
#include <taglib/audioproperties.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#endif

namespace {

// --- sample files ----------------------------------------------------------

void PutSynchsafe(std::vector<uint8_t>& out, size_t at, uint32_t size) {
    out[at] = static_cast<uint8_t>((size >> 21) & 0x7F);
    out[at + 1] = static_cast<uint8_t>((size >> 14) & 0x7F);
    out[at + 2] = static_cast<uint8_t>((size >> 7) & 0x7F);
    out[at + 3] = static_cast<uint8_t>(size & 0x7F);
}

void Append(std::vector<uint8_t>& out, const std::string& text) {
    const size_t at = out.size();
    out.resize(at + text.size());
    if (!text.empty()) std::memcpy(&out[at], text.data(), text.size());
}

void AddFrame(std::vector<uint8_t>& tag, const char* id, const std::vector<uint8_t>& body) {
    Append(tag, std::string(id, 4));
    const uint32_t n = static_cast<uint32_t>(body.size());
    const uint8_t size[4] = {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                             static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
    tag.insert(tag.end(), size, size + 4);
    tag.push_back(0);
    tag.push_back(0);
    tag.insert(tag.end(), body.begin(), body.end());
}

std::vector<uint8_t> TextBody(const std::string& text) {
    std::vector<uint8_t> body(1, 0);
    Append(body, text);
    return body;
}

std::vector<uint8_t> MakeTag(int index, bool withPicture) {
    std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};
    const std::string n = std::to_string(index);
    AddFrame(tag, "TIT2", TextBody("A song title of ordinary length no. " + n));
    AddFrame(tag, "TPE1", TextBody("Some Artist " + std::to_string(index % 97)));
    AddFrame(tag, "TALB", TextBody("An Album Name " + std::to_string(index % 211)));
    AddFrame(tag, "TYER", TextBody(std::to_string(1970 + index % 50)));
    AddFrame(tag, "TRCK", TextBody(std::to_string(1 + index % 14) + "/14"));
    AddFrame(tag, "TCON", TextBody("Rock"));
    std::vector<uint8_t> comm = {0, 'e', 'n', 'g', 0};
    const std::string comment = "A comment that says a few words about track " + n;
    Append(comm, comment);
    AddFrame(tag, "COMM", comm);
    AddFrame(tag, "TENC", TextBody("Some encoder"));
    AddFrame(tag, "TSSE", TextBody("LAME 3.100 -V2"));
    std::vector<uint8_t> txxx = {0};
    const std::string user = "replaygain_track_gain";
    Append(txxx, user);
    txxx.push_back(0);
    const std::string gain = "-7.20 dB";
    Append(txxx, gain);
    AddFrame(tag, "TXXX", txxx);
    if (withPicture) {
        std::vector<uint8_t> apic = {0};
        const std::string mime = "image/jpeg";
        Append(apic, mime);
        apic.push_back(0);
        apic.push_back(3);
        apic.push_back(0);
        for (int i = 0; i < 20 * 1024; ++i) apic.push_back(static_cast<uint8_t>(i * 7 + index));
        AddFrame(tag, "APIC", apic);
    }
    // Padding up to about 1 KB, as taggers leave it.
    const size_t padded = std::max<size_t>(tag.size() + 64, 1024);
    tag.resize(padded, 0);
    PutSynchsafe(tag, 6, static_cast<uint32_t>(tag.size() - 10));
    return tag;
}

std::vector<uint8_t> MakeTrailer(int index) {
    std::vector<uint8_t> t(128, 0);
    std::memcpy(t.data(), "TAG", 3);
    const std::string title = "A song title no. " + std::to_string(index);
    std::memcpy(&t[3], title.data(), std::min<size_t>(title.size(), 30));
    std::memcpy(&t[33], "Some Artist", 11);
    std::memcpy(&t[63], "An Album Name", 13);
    std::memcpy(&t[93], "1999", 4);
    t[126] = static_cast<uint8_t>(1 + index % 14);
    t[127] = 17;
    return t;
}

bool WriteFile(const std::string& path, const std::vector<const std::vector<uint8_t>*>& parts) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    for (const auto* p : parts) ok = ok && std::fwrite(p->data(), 1, p->size(), f) == p->size();
    return std::fclose(f) == 0 && ok;
}

std::string MakeTempDir() {
#ifdef _WIN32
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string dir = std::string(base) + "td-bench-" + std::to_string(GetCurrentProcessId());
    if (_mkdir(dir.c_str()) != 0) return std::string();
    return dir;
#else
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/td-bench-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) return std::string();
    return buf.data();
#endif
}

bool ListAudioFiles(const std::string& dir, std::vector<std::string>& out) {
    const auto wanted = [](const std::string& name) {
        if (name.size() < 4) return false;
        std::string ext = name.substr(name.size() - 4);
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return ext == ".mp3" || ext == ".mp2";
    };
#ifdef _WIN32
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return false;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && wanted(data.cFileName)) {
            out.push_back(dir + "\\" + data.cFileName);
        }
    } while (FindNextFileA(h, &data));
    FindClose(h);
#else
    DIR* d = opendir(dir.c_str());
    if (!d) return false;
    while (dirent* e = readdir(d)) {
        if (wanted(e->d_name)) out.push_back(dir + "/" + e->d_name);
    }
    closedir(d);
#endif
    std::sort(out.begin(), out.end());
    return true;
}

// --- readers -----------------------------------------------------------------

volatile uint64_t g_sink = 0;

bool FloorThroughFs(const std::string& path) {
    std::unique_ptr<td::File> file = td::Fs().Open(path, td::OpenMode::Read);
    if (!file) return false;
    uint8_t head[4096];
    uint8_t tail[128];
    uint64_t size = 0;
    size_t got = file->Read(head, sizeof head);
    if (file->GetSize(size) && size >= 128 && file->Seek(size - 128)) {
        got += file->Read(tail, sizeof tail);
    }
    file->Close();
    g_sink = g_sink + got + head[0] + tail[0];
    return true;
}

bool FloorPosix(const std::string& path) {
    uint8_t head[4096];
    uint8_t tail[128] = {0};
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0) return false;
    long got = _read(fd, head, sizeof head);
    if (_lseeki64(fd, -128, SEEK_END) >= 0) got += _read(fd, tail, sizeof tail);
    _close(fd);
#else
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    ssize_t got = read(fd, head, sizeof head);
    if (lseek(fd, -128, SEEK_END) >= 0) got += read(fd, tail, sizeof tail);
    close(fd);
#endif
    g_sink = g_sink + static_cast<uint64_t>(got) + head[0] + tail[0];
    return true;
}

bool ReadRecord(const std::string& path) {
    td::SongRecord record(path, true);
    g_sink = g_sink + static_cast<uint64_t>(record.FrameCount()) +
             static_cast<uint64_t>(record.GetMpegInfo().frames) + record.GetTagFlags();
    return record.GetMpegInfo().layer != 0;
}

#if TD_HAVE_TAGLIB
bool ReadTagLib(const std::string& path) {
    TagLib::MPEG::File file(path.c_str(), true, TagLib::AudioProperties::Average);
    if (!file.isValid()) return false;
    uint64_t n = 0;
    if (TagLib::Tag* tag = file.tag()) {
        n += tag->title().size() + tag->artist().size() + tag->album().size() +
             tag->comment().size() + tag->genre().size() + tag->year() + tag->track();
    }
    if (TagLib::AudioProperties* p = file.audioProperties()) {
        n += static_cast<uint64_t>(p->lengthInSeconds() + p->bitrate() + p->sampleRate() +
                                   p->channels());
    }
    g_sink = g_sink + n;
    return true;
}
#endif

struct Reader {
    const char* name;
    bool (*read)(const std::string& path);
    double bestSeconds = 1e30;
    int failures = 0;
};

// Rounds are interleaved (every reader once per round) so that a burst of
// load on a shared machine hits all readers alike; the best round counts.
void MeasureAll(std::vector<Reader>& readers, const std::vector<std::string>& files,
                int rounds) {
    for (int round = 0; round < rounds; ++round) {
        for (Reader& r : readers) {
            int failures = 0;
            const auto start = std::chrono::steady_clock::now();
            for (const std::string& f : files) failures += r.read(f) ? 0 : 1;
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            r.bestSeconds = std::min(r.bestSeconds, took.count());
            r.failures = failures;
        }
    }
    for (const Reader& r : readers) {
        std::printf("  %-28s %10.0f files/s  (best of %d: %.3f s%s)\n", r.name,
                    files.size() / r.bestSeconds, rounds, r.bestSeconds,
                    r.failures ? ", some files failed" : "");
    }
}

int Usage() {
    std::fprintf(stderr, "usage: read_records [--files N] [--dir DIR] [--rounds R] [--keep]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 10000;
    int rounds = 5;
    std::string dir;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--files" && i + 1 < argc) count = std::atoi(argv[++i]);
        else if (a == "--rounds" && i + 1 < argc) rounds = std::atoi(argv[++i]);
        else if (a == "--dir" && i + 1 < argc) dir = argv[++i];
        else if (a == "--keep") keep = true;
        else return Usage();
    }
    if (count <= 0 || rounds <= 0) return Usage();

    std::vector<std::string> files;
    const bool generated = dir.empty();
    if (generated) {
        dir = MakeTempDir();
        if (dir.empty()) {
            std::fprintf(stderr, "read_records: cannot create a temporary directory\n");
            return 1;
        }
        const auto start = std::chrono::steady_clock::now();
        const std::string frames = td::bench::MpegFrames(200 * 1024 / 417);
        const std::vector<uint8_t> audio(frames.begin(), frames.end());
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/song%05d.mp3", i);
            const std::string path = dir + name;
            const std::vector<uint8_t> tag = MakeTag(i, i % 10 == 0);
            const std::vector<uint8_t> trailer = MakeTrailer(i);
            if (!WriteFile(path, {&tag, &audio, &trailer})) {
                std::fprintf(stderr, "read_records: cannot write %s\n", path.c_str());
                return 1;
            }
            files.push_back(path);
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::printf("generated %d files in %s (%.1f s)\n", count, dir.c_str(), took.count());
    } else if (!ListAudioFiles(dir, files) || files.empty()) {
        std::fprintf(stderr, "read_records: no .mp3/.mp2 files in %s\n", dir.c_str());
        return 1;
    }

    // One untimed pass brings every file into the page cache.
    for (const std::string& f : files) FloorPosix(f);

    std::printf("%zu files, warm cache:\n", files.size());
    std::vector<Reader> readers = {
        {"floor (td::Fs)", FloorThroughFs},
        {"floor (plain POSIX calls)", FloorPosix},
        {"SongRecord(path, true)", ReadRecord},
#if TD_HAVE_TAGLIB
        {"TagLib MPEG::File", ReadTagLib},
#endif
    };
    MeasureAll(readers, files, rounds);
    const double floorFs = readers[0].bestSeconds;
    const double floorPosix = readers[1].bestSeconds;
    const double record = readers[2].bestSeconds;
    std::printf("ratios (time):\n");
    std::printf("  record / floor (td::Fs)     %6.2f\n", record / floorFs);
    std::printf("  record / floor (POSIX)      %6.2f\n", record / floorPosix);
#if TD_HAVE_TAGLIB
    std::printf("  record / TagLib             %6.2f\n", record / readers[3].bestSeconds);
#else
    std::printf("  TagLib: not built in (no taglib found)\n");
#endif

    if (generated && !keep) {
        for (const std::string& f : files) std::remove(f.c_str());
#ifdef _WIN32
        _rmdir(dir.c_str());
#else
        rmdir(dir.c_str());
#endif
    } else if (generated) {
        std::printf("kept %s\n", dir.c_str());
    }
    return readers[2].failures ? 1 : 0;
}
