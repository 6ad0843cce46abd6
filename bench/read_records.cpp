// How fast does building a SongRecord go, compared with the least any tag
// reader must do (open, read the head and the ID3v1 trailer, close) and with
// TagLib reading the same files?
//
//   read_records [--files N] [--rounds R]
//
// N files (default 10000) are generated in a temporary directory: an ID3v2.3
// tag of about 1 KB (every tenth file also carries a 20 KB picture), about
// 200 KB of valid MPEG-1 Layer III frames and an ID3v1 trailer. Every reader
// then runs R rounds (default 5) over the warm page cache; the best round
// counts.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/sample_playlist.h"
#include "platform/file_system.h"
#include "tags/song_record.h"
#include "tests/support/test_support.h"

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#if TD_HAVE_TAGLIB
#include <taglib/audioproperties.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#endif

namespace {

// --- sample files ----------------------------------------------------------

std::string BigEndian32(size_t n) {
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((n >> shift) & 0xFF);
    return out;
}

std::string Frame(const char* id, const std::string& body) {
    return std::string(id, 4) + BigEndian32(body.size()) + std::string(2, '\0') + body;
}

std::string TextFrame(const char* id, const std::string& text) { return Frame(id, '\0' + text); }

std::string MakeTag(int index, bool withPicture) {
    const std::string n = std::to_string(index);
    std::string frames = TextFrame("TIT2", "A song title of ordinary length no. " + n) +
                         TextFrame("TPE1", "Some Artist " + std::to_string(index % 97)) +
                         TextFrame("TALB", "An Album Name " + std::to_string(index % 211)) +
                         TextFrame("TYER", std::to_string(1970 + index % 50)) +
                         TextFrame("TRCK", std::to_string(1 + index % 14) + "/14") +
                         TextFrame("TCON", "Rock");
    frames += Frame("COMM", std::string("\0eng\0", 5) + "A comment that says a few words about track " + n);
    frames += TextFrame("TENC", "Some encoder") + TextFrame("TSSE", "LAME 3.100 -V2");
    frames += Frame("TXXX", std::string("\0replaygain_track_gain\0-7.20 dB", 31));
    if (withPicture) {
        std::string picture(std::string("\0image/jpeg\0\3\0", 14));
        for (int i = 0; i < 20 * 1024; ++i) picture += static_cast<char>(i * 7 + index);
        frames += Frame("APIC", picture);
    }
    // Padding up to about 1 KB, as taggers leave it.
    frames.resize(std::max<size_t>(frames.size() + 64, 1014), '\0');
    return std::string("ID3\3\0\0", 6) + td::test::Synchsafe(static_cast<uint32_t>(frames.size())) + frames;
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
        n += tag->title().size() + tag->artist().size() + tag->album().size() + tag->comment().size() +
             tag->genre().size() + tag->year() + tag->track();
    }
    if (TagLib::AudioProperties* p = file.audioProperties()) {
        n += static_cast<uint64_t>(p->lengthInSeconds() + p->bitrate() + p->sampleRate() + p->channels());
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
void MeasureAll(std::vector<Reader>& readers, const std::vector<std::string>& files, int rounds) {
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
        std::printf("  %-28s %10.0f files/s  (best of %d: %.3f s%s)\n", r.name, files.size() / r.bestSeconds,
                    rounds, r.bestSeconds, r.failures ? ", some files failed" : "");
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int count = td::bench::IntOption(argc, argv, "--files", 10000);
    const int rounds = td::bench::IntOption(argc, argv, "--rounds", 5);

    td::test::TempDir dir;
    std::vector<std::string> files;
    const auto start = std::chrono::steady_clock::now();
    const std::string audio = td::test::MpegAudio(200 * 1024 / 417 * 417);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "song%05d.mp3", i);
        const std::string path = dir.Path(name);
        const std::string trailer =
            td::test::Id3v1Trailer("A song title no. " + std::to_string(i), "Some Artist", "An Album Name",
                                   "1999", "", 17, static_cast<uint8_t>(1 + i % 14));
        if (!td::test::WriteBytes(path, MakeTag(i, i % 10 == 0) + audio + trailer)) {
            std::fprintf(stderr, "read_records: cannot write %s\n", path.c_str());
            return 1;
        }
        files.push_back(path);
    }
    std::printf("generated %d files in %s (%.0f ms)\n", count, dir.path().c_str(), td::bench::Ms(start));

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
    return readers[2].failures ? 1 : 0;
}
