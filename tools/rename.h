// Rename file from tag: a new name for each file from a format pattern
// filled with its tag fields, in the file's own directory.
#pragma once

#include <string>

#include "tools/tool_run.h"

namespace td {

class SongRecord;

// LangTable numbers of the tool's texts.
enum RenameText : int {
    kRenameTextLogHeader = 56,  // "Rename %d files from ID3Tag (Trace LOG)"
    kRenameTextSummary = 57,    // "Rename filename from ID3TAG on %d file(s)"
    kRenameTextInvalid = 352,   // "Invalid format !!!"
};

// The preview's first words, and what follows a preview of more than
// kRenamePreviewFiles files.
extern const char kRenamePreviewPrefix[];  // "Preview: "
constexpr int kRenamePreviewFiles = 4;

// The extension every renamed file gets, whatever its own.
extern const char kRenameExtension[];  // ".mp3"

struct RenameOptions {
    int source = 0;    // renameSource: 0 ID3v1, 1 ID3v2, 2 ID3v2 / ID3v1, 3 ID3v1 / ID3v2
    int caseMode = 0;  // caseConversion
    int charMode = 0;  // charConversion
};

// buildNewName: the new name without directory and extension. The pattern's
// tokens take the fields read through a TagFieldReader of `source` ("%N" is
// at least two digits, "0" put in front), other "%x" pairs are dropped; the
// whole name is converted (case, then characters); the characters a Windows
// name cannot hold (" / : < > ? \ | * and control characters) become spaces.
// A name that is a Windows device name ("CON", "nul") gets a leading "_".
// False when the entry is missing, its record has no tag, or nothing but
// blanks is left to name the file by.
bool buildNewName(const SongRecord* entry, const std::string& pattern, const RenameOptions& options,
                  std::string& name);

// The path the file would get: its directory, the new name (tag text, made
// a native name: UTF-8 on POSIX) and ".mp3".
bool NewPathFor(const SongRecord* entry, const std::string& pattern, const RenameOptions& options,
                std::string& path);

// renameFile: renames the entry's file to NewPathFor in its own directory,
// never replacing another file; on success the entry's path is the new one.
// A file that already has its new name succeeds untouched.
bool renameFile(SongRecord* entry, const std::string& pattern, const RenameOptions& options);

// The preview shown as the pattern field's tooltip: "Preview: ", then
// "Invalid format !!!" for an invalid pattern, else one line per file (at
// most four of those a run would take; an empty line for a file whose name
// cannot be built) and "\n..." when there are more.
std::string RenamePreview(const std::string& pattern, const ToolFileList& list, bool onlySelected,
                          const RenameOptions& options);

std::string RenameLogHeader(int files);
std::string RenameSummary(int files);

// The run's precondition: a valid pattern, else "Invalid format !!!"
// (caption "Error"). True when the run may go on.
bool CheckRenamePattern(const std::string& pattern, Prompter& prompter);

}  // namespace td
