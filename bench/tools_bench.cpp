// How many files per second the naming and tagging tools get through, each
// file done the way a run does it (fresh load, change, save or rename).
//
//   tools_bench [--files N] [--dir DIR] [--keep]
//
// N files (default 10000) are generated in DIR (default: a new temporary
// directory): an ID3v2.3 tag with title, artist, album and track frames and
// 512 bytes of padding, 32 KB of MPEG-1 Layer III frames and an ID3v1
// trailer; tools_bench_mutagen.py builds the very same files. Then, in order:
//   mass tag   year and comment set in both tags of every file (fits the
//              padding: written in place)
//   rewrite    a comment of 2,000 characters set in every file (does not fit:
//              the file is rewritten through a temporary file)
//   rename     every file renamed to "%N - %A - %T.mp3" in its directory
//   from-name  the renamed files' tags written back from their names
// Each phase runs once over the warm page cache; its files per second are
// printed.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/copy_file.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "settings/lang_table.h"
#include "tags/song_record.h"
#include "tools/mass_tag.h"
#include "tools/rename.h"
#include "tools/tag_from_name.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr size_t kAudioSize = 32 * 1024;
constexpr size_t kPadding = 512;

std::string Synchsafe(uint32_t n) {
    return {static_cast<char>((n >> 21) & 0x7F), static_cast<char>((n >> 14) & 0x7F),
            static_cast<char>((n >> 7) & 0x7F), static_cast<char>(n & 0x7F)};
}

std::string TextFrame(const char* id, const std::string& text) {
    const std::string body = std::string(1, '\0') + text;
    const uint32_t n = static_cast<uint32_t>(body.size());
    return std::string(id, 4) +
           std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16),
                       static_cast<char>(n >> 8), static_cast<char>(n)} +
           std::string(2, '\0') + body;
}

std::string Field(const std::string& text, size_t width) {
    std::string f = text.substr(0, width);
    f.resize(width, '\0');
    return f;
}

// File i: the same bytes tools_bench_mutagen.py makes.
std::string SampleFile(int i, const std::string& audio) {
    const std::string title = "Song " + std::to_string(i);
    const std::string artist = "Artist " + std::to_string(i % 97);
    const std::string album = "Album " + std::to_string(i % 31);
    const std::string track = std::to_string(i % 20 + 1);
    const std::string frames = TextFrame("TIT2", title) + TextFrame("TPE1", artist) +
                               TextFrame("TALB", album) + TextFrame("TRCK", track);
    std::string file = std::string("ID3\x03\x00\x00", 6) +
                       Synchsafe(static_cast<uint32_t>(frames.size() + kPadding)) + frames +
                       std::string(kPadding, '\0');
    file += audio;
    file += "TAG" + Field(title, 30) + Field(artist, 30) + Field(album, 30) + Field("2001", 4) +
            Field("", 28) + '\0' + static_cast<char>(i % 20 + 1) + static_cast<char>(17);
    return file;
}

std::string Audio() {
    std::string frame("\xFF\xFB\x90\x00", 4);
    frame.resize(417, '\0');
    std::string audio;
    while (audio.size() < kAudioSize) audio += frame;
    audio.resize(kAudioSize);
    return audio;
}

std::string MakeTempDir() {
#ifdef _WIN32
    char base[MAX_PATH + 1];
    GetTempPathA(sizeof base, base);
    for (int n = 0;; ++n) {
        const std::string dir = std::string(base) + "td-tools-bench-" + std::to_string(GetCurrentProcessId()) +
                                "-" + std::to_string(n);
        if (CreateDirectoryA(dir.c_str(), nullptr)) return dir;
    }
#else
    const char* env = std::getenv("TMPDIR");
    std::string templ = std::string(env && *env ? env : "/tmp") + "/td-tools-bench-XXXXXX";
    if (!mkdtemp(&templ[0])) return std::string();
    return templ;
#endif
}

void RemoveTree(const std::string& dir) {
    std::vector<td::DirectoryEntry> entries;
    td::ListDirectory(dir, entries);
    for (const td::DirectoryEntry& e : entries) {
        const std::string path = td::JoinPath(dir, e.name);
        if (e.isDirectory) {
            RemoveTree(path);
        } else {
            td::Fs().Remove(path);
        }
    }
#ifdef _WIN32
    RemoveDirectoryA(dir.c_str());
#else
    rmdir(dir.c_str());
#endif
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Report(const char* phase, int files, int ok, double seconds) {
    std::printf("%-10s %6d files  %6d ok  %8.3f s  %10.0f files/s\n", phase, files, ok, seconds,
                seconds > 0 ? files / seconds : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    int count = 10000;
    std::string dir;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--files" && i + 1 < argc) {
            count = std::atoi(argv[++i]);
        } else if (a == "--dir" && i + 1 < argc) {
            dir = argv[++i];
        } else if (a == "--keep") {
            keep = true;
        } else {
            std::fprintf(stderr, "usage: tools_bench [--files N] [--dir DIR] [--keep]\n");
            return 2;
        }
    }
    if (count <= 0) count = 1;
    if (dir.empty()) dir = MakeTempDir();
    if (dir.empty() || !td::MakeDirectories(dir)) {
        std::fprintf(stderr, "tools_bench: cannot create the work directory\n");
        return 1;
    }
    td::LangTable::useBuiltinEnglish();

    const std::string audio = Audio();
    std::vector<std::unique_ptr<td::SongRecord>> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string path = td::JoinPath(dir, "file" + std::to_string(i) + ".mp3");
        const std::string bytes = SampleFile(i, audio);
        if (!td::WriteFileAtomically(path, bytes.data(), bytes.size())) {
            std::fprintf(stderr, "tools_bench: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        entries.push_back(std::make_unique<td::SongRecord>(
            td::JoinPath(dir, "file" + std::to_string(i) + ".mp3"), true));
    }
    Report("load", count, count, Seconds(start));

    td::MassTagOptions mass;
    mass.versions = td::kMassTagV1 | td::kMassTagV2;
    mass.fields = (1u << td::kMassYear) | (1u << td::kMassComment);
    mass.values[td::kMassYear] = "1999";
    mass.values[td::kMassComment] = "benchmark run";
    int ok = 0;
    start = std::chrono::steady_clock::now();
    for (auto& e : entries) ok += td::massTagFile(e.get(), mass) ? 1 : 0;
    Report("mass tag", count, ok, Seconds(start));

    td::MassTagOptions grow;
    grow.versions = td::kMassTagV2;
    grow.fields = 1u << td::kMassComment;
    grow.values[td::kMassComment] = std::string(2000, 'x');
    ok = 0;
    start = std::chrono::steady_clock::now();
    for (auto& e : entries) ok += td::massTagFile(e.get(), grow) ? 1 : 0;
    Report("rewrite", count, ok, Seconds(start));

    td::RenameOptions rename;
    rename.source = 1;
    ok = 0;
    start = std::chrono::steady_clock::now();
    for (auto& e : entries) ok += td::renameFile(e.get(), "%N - %A - %T", rename) ? 1 : 0;
    Report("rename", count, ok, Seconds(start));

    td::TagFromNameOptions fromName;
    fromName.version = td::kFromNameBoth;
    const td::CompiledPattern pattern = td::compilePattern("%N - %A - %T");
    ok = 0;
    start = std::chrono::steady_clock::now();
    for (auto& e : entries) {
        ok += td::tagFileFromName(e.get(), td::BaseName(e->GetFileName()), pattern, fromName) ? 1 : 0;
    }
    Report("from-name", count, ok, Seconds(start));

    if (keep) {
        std::printf("files kept in %s\n", dir.c_str());
    } else {
        RemoveTree(dir);
    }
    return 0;
}
