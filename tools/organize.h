// Organize files: moves (or copies) each file into a directory tree under a
// target directory, one level per artist, album or genre (or artist then
// album), named from the file's tags.
#pragma once

#include <string>

#include "tools/tool_run.h"

namespace td {

class SongRecord;

// organizeLayout values.
enum OrganizeLayout : int {
    kLayoutArtist = 0,
    kLayoutAlbum = 1,
    kLayoutGenre = 2,
    kLayoutArtistAlbum = 3,
};
constexpr int kOrganizeLayoutCount = 4;

// LangTable numbers of the tool's texts.
enum OrganizeText : int {
    kOrganizeTextUnknownArtist = 58,    // "Unkown artist" (sic)
    kOrganizeTextUnknownAlbum = 60,     // "Unkown album"
    kOrganizeTextUnknownGenre = 61,     // "Unkown genre"
    kOrganizeTextLogHeader = 66,        // "Organize %d files (Trace LOG)"
    kOrganizeTextSummary = 67,          // "Organize %d file(s) to target directory: %s"
    kOrganizeTextNoTarget = 68,         // "Choose a target directory !!!"
    kOrganizeTextReadOnlyTarget = 351,  // "Impossible to copy or move to media/folder read-only !!!"
};

// Files named "%s.mp3", then "%s(1).mp3" to "%s(99).mp3".
constexpr int kOrganizeNameAttempts = 100;

struct OrganizeOptions {
    int layout = kLayoutArtist;  // organizeLayout
    int source = 0;              // organizeSource: 0 ID3v1, 1 ID3v2
    // Copy instead of moving. Files on a CD-ROM drive are always copied.
    bool copy = false;
};

// subdirectoryFor: the relative directory for one file, levels joined with
// the native separator; empty when the file has no tag (or no ID3v1 tag with
// ID3v1 as the source). A field not found is "Unkown artist" (album, genre).
// A "/" or "\\" inside a field makes a further level, as users of names like
// "AC/DC" expect; everything else that could lead out of the target or that
// a platform cannot create is neutralised per level (SafeRelativeComponents):
// "..", ".", drive letters, empty levels, device names, invalid characters,
// trailing dots and spaces.
std::string subdirectoryFor(const SongRecord* entry, const OrganizeOptions& options);

// organizeFile: creates target/subdirectory and moves the entry's file into
// it as "<name>.mp3", or "<name>(1).mp3" ... "<name>(99).mp3" when that is
// taken (copies it when asked or when the file lies on a CD-ROM drive).
// Never replaces a file and never places one outside `target`. On success
// the entry's path is the new one (the copy's). A file that already lies
// where it would go stays there and succeeds.
bool organizeFile(SongRecord* entry, const std::string& target, const OrganizeOptions& options);

// True when the file at `path` lies on a CD-ROM drive.
bool IsOnCdRom(const std::string& path);

std::string OrganizeLogHeader(int files);
std::string OrganizeSummary(int files, const std::string& target);

// The run's preconditions, checked before anything else: a target ("Choose
// a target directory !!!") that is not on a CD-ROM drive ("Impossible to
// copy or move to media/folder read-only !!!"), both with caption "Error".
bool CheckOrganizeTarget(const std::string& target, Prompter& prompter);

}  // namespace td
