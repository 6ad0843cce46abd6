#include "tools/organize.h"

#include <vector>

#include "platform/copy_file.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/volume.h"
#include "playlist/text_format.h"
#include "settings/lang_table.h"
#include "tags/id3v1/id3v1.h"
#include "tags/id3v2/frame_table.h"
#include "tags/song_record.h"
#include "tools/safe_name.h"

namespace td {

namespace {

std::string FieldOr(const std::string& text, int unknownText) {
    return text.empty() ? std::string(LangTable::getString(unknownText)) : text;
}

void AppendLevels(std::string& path, const std::string& field) {
    for (const std::string& level : SafeRelativeComponents(AnsiToPathName(field))) {
        if (!path.empty()) path.push_back(kPathSeparator);
        path += level;
    }
}

// The file's name without its extension ("song.mp2" gives "song"). A name
// that is all extension (".mp3") is kept whole.
std::string Stem(const std::string& path) {
    const std::string name = BaseName(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool Exists(const std::string& path) {
    FileStatus status;
    return Fs().GetStatus(path, status);
}

// Whether `directory` (made or not) really lies in the real folder
// `realTarget`, links followed: a link that already sits inside the target
// could otherwise lead a file out of it. Checks the deepest level that
// exists; the levels below it are made by us.
bool ReallyInside(const std::string& realTarget, std::string directory) {
    std::string real = RealPath(directory);
    while (real.empty()) {
        const size_t slash = directory.find_last_of(kPathSeparator == '/' ? "/" : "\\/");
        if (slash == std::string::npos || slash == 0) return false;
        directory.resize(slash);
        real = RealPath(directory);
    }
    return SamePath(realTarget, real) || IsInsideDirectory(realTarget, real);
}

}  // namespace

std::string subdirectoryFor(const SongRecord* entry, const OrganizeOptions& options) {
    // Without an ID3v1 tag there is nothing to name from; ID3v2 fields that
    // are missing, the whole tag included, go to "Unkown artist" and the like.
    if (!entry) return std::string();
    std::string artist;
    std::string album;
    std::string genre;
    if (options.source == 0) {
        const Id3v1Tag* block = entry->GetId3v1();
        if (!entry->HasId3v1() || !block) return std::string();
        artist = Id3v1FieldText(block->artist, sizeof block->artist);
        album = Id3v1FieldText(block->album, sizeof block->album);
        // Index 0 is no genre; an index past the genre list names none either
        // (GenreName would give "???", a folder no one would look in).
        if (block->genre != 0 && block->genre < kGenreCount) genre = GenreName(block->genre);
    } else if (entry->HasId3v2()) {
        GetTagField(*entry, kTPE1, 1, artist);
        GetTagField(*entry, kTALB, 1, album);
        GetTagField(*entry, kTCON, 1, genre);
    }
    artist = FieldOr(artist, kOrganizeTextUnknownArtist);
    album = FieldOr(album, kOrganizeTextUnknownAlbum);
    genre = FieldOr(genre, kOrganizeTextUnknownGenre);

    std::string path;
    switch (options.layout) {
    case kLayoutAlbum: AppendLevels(path, album); break;
    case kLayoutGenre: AppendLevels(path, genre); break;
    case kLayoutArtistAlbum:
        AppendLevels(path, artist);
        AppendLevels(path, album);
        break;
    default: AppendLevels(path, artist); break;
    }
    return path;
}

bool IsOnCdRom(const std::string& path) {
    VolumeSystem& volumes = Volumes();
    const std::string root = volumes.RootOf(path);
    return !root.empty() && volumes.DriveType(root) == kDriveCdRom;
}

bool organizeFile(SongRecord* entry, const std::string& target, const OrganizeOptions& options) {
    if (!entry || target.empty() || !ToolFileExists(entry->GetFileName())) return false;
    const std::string subdirectory = subdirectoryFor(entry, options);
    if (subdirectory.empty()) return false;
    const std::string directory = JoinPath(target, subdirectory);
    // The levels are safe by construction; this is the last word on it.
    if (!IsInsideDirectory(target, directory)) return false;
    const std::string realTarget = RealPath(target);
    if (realTarget.empty() || !ReallyInside(realTarget, directory) || !MakeDirectories(directory) ||
        !ReallyInside(realTarget, directory)) {
        if (!realTarget.empty()) SetFileError("a link leads out of the target folder");
        return false;
    }

    const std::string source = entry->GetFileName();
    const std::string stem = Stem(source);
    const bool copy = options.copy || IsOnCdRom(source);
    for (int n = 0; n < kOrganizeNameAttempts; ++n) {
        const std::string name = n == 0 ? stem + ".mp3" : stem + "(" + std::to_string(n) + ").mp3";
        const std::string destination = JoinPath(directory, name);
        if (!IsInsideDirectory(target, destination)) return false;
        // Organizing twice must not rename what is already in place.
        if (SamePath(destination, source)) return true;
        if (Exists(destination)) continue;
        const bool done =
            copy ? CopyFileNoReplace(source, destination) : MoveFileNoReplace(source, destination);
        if (done) {
            entry->SetFileName(destination);
            return true;
        }
        // Taken meanwhile by someone else: the next name. Any other failure
        // is the file's.
        if (!Exists(destination)) return false;
    }
    return false;
}

std::string OrganizeLogHeader(int files) {
    return FormatLangText(LangTable::getString(kOrganizeTextLogHeader), {files});
}

std::string OrganizeSummary(int files, const std::string& target) {
    return FormatLangText(LangTable::getString(kOrganizeTextSummary), {files, target});
}

bool CheckOrganizeTarget(const std::string& target, Prompter& prompter) {
    if (target.empty()) {
        ShowToolError(prompter, LangTable::getString(kOrganizeTextNoTarget));
        return false;
    }
    if (IsOnCdRom(target)) {
        ShowToolError(prompter, LangTable::getString(kOrganizeTextReadOnlyTarget));
        return false;
    }
    return true;
}

}  // namespace td
