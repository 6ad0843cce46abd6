#include "tools/rename.h"

#include "platform/file_system.h"
#include "playlist/text_format.h"
#include "settings/lang_table.h"
#include "tags/id3v2/frame_table.h"
#include "tags/song_record.h"
#include "tools/format_pattern.h"
#include "tools/safe_name.h"
#include "tools/text_convert.h"

namespace td {

const char kRenamePreviewPrefix[] = "Preview: ";
const char kRenameExtension[] = ".mp3";

namespace {

int FrameTypeOf(char token) {
    switch (token) {
    case 'A': return kTPE1;
    case 'T': return kTIT2;
    case 'L': return kTALB;
    case 'Y': return kTYER;
    case 'G': return kTCON;
    case 'C': return kCOMM;
    case 'N': return kTRCK;
    default: return kNoFrameType;
    }
}

// The directory part of a path with its closing separator ("" for a bare
// name), so that a file at the root stays at the root.
std::string DirectoryPrefix(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1])) return path.substr(0, i);
    }
    return std::string();
}

}  // namespace

bool buildNewName(const SongRecord* entry, const std::string& pattern, const RenameOptions& options,
                  std::string& name) {
    name.clear();
    if (!entry || (entry->GetTagFlags() & (kTagId3v1 | kTagId3v2)) == 0) return false;
    const TagFieldReader reader(options.source);
    std::string built;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%') {
            built.push_back(c);
            continue;
        }
        if (i + 1 >= pattern.size()) break;
        const char token = pattern[++i];
        const int type = FrameTypeOf(token);
        if (type == kNoFrameType) continue;  // "%x": both characters dropped
        std::string text;
        reader.GetField(*entry, type, text);
        if (token == 'N' && text.size() < 2) text.insert(text.begin(), '0');
        built += text;
    }
    applyConversions(built, options.caseMode, options.charMode);

    bool blank = true;
    for (char& c : built) {
        if (IsInvalidNameChar(c)) c = ' ';
        if (c != ' ') blank = false;
    }
    // Nothing to name the file by: ".mp3" alone would be a hidden file.
    if (blank) return false;
    if (IsReservedDeviceName(built + kRenameExtension)) built.insert(built.begin(), '_');
    name = std::move(built);
    return true;
}

bool NewPathFor(const SongRecord* entry, const std::string& pattern, const RenameOptions& options,
                std::string& path) {
    std::string name;
    if (!buildNewName(entry, pattern, options, name)) return false;
    const std::string directory = DirectoryPrefix(entry->GetFileName());
    path = directory + AnsiToPathName(name) + kRenameExtension;
    // The name holds no separator, so this only guards against a future
    // change of the rules above.
    if (!directory.empty() && !IsInsideDirectory(directory, path)) return false;
    return true;
}

bool renameFile(SongRecord* entry, const std::string& pattern, const RenameOptions& options) {
    std::string path;
    if (!NewPathFor(entry, pattern, options, path)) return false;
    const std::string& old = entry->GetFileName();
    if (path == old) return ToolFileExists(old);  // already named so
    // Never replaces: a file of the new name makes this file fail alone.
    if (!Fs().Rename(old, path)) return false;
    entry->SetFileName(path);
    return true;
}

std::string RenamePreview(const std::string& pattern, const ToolFileList& list, bool onlySelected,
                          const RenameOptions& options) {
    std::string text = kRenamePreviewPrefix;
    if (!isValidFormat(pattern)) {
        text += LangTable::getString(kRenameTextInvalid);
        return text;
    }
    int taken = 0;
    for (int i = 0; i < list.count(); ++i) {
        const bool chosen = !onlySelected || (static_cast<size_t>(i) < list.selected.size() &&
                                              list.selected[static_cast<size_t>(i)]);
        if (!chosen) continue;
        if (taken == kRenamePreviewFiles) {
            text += "\n...";
            break;
        }
        ++taken;
        text += '\n';
        std::string name;
        if (buildNewName(list.items[static_cast<size_t>(i)].entry, pattern, options, name)) text += name;
    }
    return text;
}

std::string RenameLogHeader(int files) {
    return FormatLangText(LangTable::getString(kRenameTextLogHeader), {files});
}

std::string RenameSummary(int files) {
    return FormatLangText(LangTable::getString(kRenameTextSummary), {files});
}

bool CheckRenamePattern(const std::string& pattern, Prompter& prompter) {
    if (isValidFormat(pattern)) return true;
    ShowToolError(prompter, LangTable::getString(kRenameTextInvalid));
    return false;
}

}  // namespace td
