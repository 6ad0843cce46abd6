// How many files per second the naming and tagging tools get through, each
// file done the way a run does it (fresh load, change, save or rename).
//
//   tools_bench [--files N] [--dir DIR [--keep]]
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
#include <memory>
#include <string>
#include <vector>

#include "bench/support/sample_playlist.h"
#include "platform/copy_file.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "settings/lang_table.h"
#include "tags/song_record.h"
#include "tools/mass_tag.h"
#include "tools/rename.h"
#include "tools/tag_from_name.h"
#include "tests/support/test_support.h"

namespace {

constexpr size_t kAudioSize = 32 * 1024;
constexpr size_t kPadding = 512;

// File i: the same bytes tools_bench_mutagen.py makes.
std::string SampleFile(int i, const std::string& audio) {
    const std::string title = "Song " + std::to_string(i);
    const std::string artist = "Artist " + std::to_string(i % 97);
    const std::string album = "Album " + std::to_string(i % 31);
    const std::string track = std::to_string(i % 20 + 1);
    const std::string frames = td::bench::TextFrame("TIT2", title) + td::bench::TextFrame("TPE1", artist) +
                               td::bench::TextFrame("TALB", album) + td::bench::TextFrame("TRCK", track);
    const auto number = static_cast<uint8_t>(i % 20 + 1);
    return td::bench::Id3v2Tag(frames, kPadding) + audio +
           td::test::Id3v1Trailer(title, artist, album, "2001", "", 17, number);
}

double Seconds(std::chrono::steady_clock::time_point since) { return td::bench::Ms(since) / 1000.0; }

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
            std::fprintf(stderr, "usage: tools_bench [--files N] [--dir DIR [--keep]]\n");
            return 2;
        }
    }
    if (count <= 0) count = 1;
    // Without --dir the files go to a temporary directory removed on return.
    std::unique_ptr<td::test::TempDir> temporary;
    if (dir.empty()) {
        temporary = std::make_unique<td::test::TempDir>();
        dir = temporary->path();
    }
    if (dir.empty() || !td::MakeDirectories(dir)) {
        std::fprintf(stderr, "tools_bench: cannot create the work directory\n");
        return 1;
    }
    td::LangTable::useBuiltinEnglish();

    const std::string audio = td::test::MpegAudio(kAudioSize);
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
        entries.push_back(
            std::make_unique<td::SongRecord>(td::JoinPath(dir, "file" + std::to_string(i) + ".mp3"), true));
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

    if (keep && !temporary) {
        std::printf("files kept in %s\n", dir.c_str());
        return 0;
    }
    for (auto& e : entries) td::Fs().Remove(e->GetFileName());
    return 0;
}
