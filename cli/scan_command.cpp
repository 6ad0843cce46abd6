// `tunedeck scan`: the "Add directory" command without the window: the files
// of one or more folders become a new playlist file.
#include <algorithm>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "playlist/kq3.h"
#include "playlist/playlist.h"

namespace td::cli {

const char kScanHelp[] =
    "Usage: tunedeck scan [-r] DIR... -o LIST.kq3\n"
    "\n"
    "Reads every .mp3 and .mp2 file of each DIR (tags and stream information, as\n"
    "\"Add directory\" does), in name order, and saves the list as a playlist file.\n"
    "Each DIR's volume is registered first, so the entries carry its serial.\n"
    "\n"
    "  -r, --recursive      enter subfolders too (links to folders are not followed)\n"
    "  -o, --output FILE    the playlist file to write (replaced in one step)\n"
    "\n"
    "Files that cannot be read (no permission, not a regular file, a link that\n"
    "leads nowhere) are reported and left out.\n"
    "\n"
    "Exit status: 0 when every folder was listed, every file read and the list\n"
    "saved, 1 when a folder or file could not be read or the list could not be\n"
    "written, 2 on a usage error.\n";

namespace {

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Name order as the system's folder listing shows it: letter case aside,
// then byte by byte so that the order is the same on every run.
bool NameBefore(const DirectoryEntry& a, const DirectoryEntry& b) {
    const size_t n = std::min(a.name.size(), b.name.size());
    for (size_t i = 0; i < n; ++i) {
        const char x = FoldCase(a.name[i]);
        const char y = FoldCase(b.name[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
    return a.name < b.name;
}

// A folder as the folder dialog returns it: without a trailing separator,
// unless it is a root.
std::string WithoutTrailingSeparator(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == kPathSeparator)) {
        if (folder.size() == 3 && folder[1] == ':') break;  // "C:\"
        folder.pop_back();
    }
    return folder;
}

}  // namespace

int AddDirectory(Playlist& playlist, const std::string& folder, bool recursive,
                 std::vector<std::string>& unlisted) {
    std::vector<DirectoryEntry> entries;
    if (!ListDirectory(folder, entries)) {
        ReportError("cannot list the folder '" + text::PathToUtf8(folder) + "'");
        unlisted.push_back(folder);
        return 0;
    }
    std::sort(entries.begin(), entries.end(), NameBefore);
    int added = 0;
    for (const DirectoryEntry& entry : entries) {
        const std::string path = JoinPath(folder, entry.name);
        if (entry.isDirectory) {
            if (recursive && !entry.isLink) added += AddDirectory(playlist, path, true, unlisted);
            continue;
        }
        if (!HasPlaylistExtension(path)) continue;
        // Only songs that can be read become rows: a FIFO, a device, a link
        // loop or a file we may not read is reported and left out.
        std::unique_ptr<File> probe = Fs().Open(path, OpenMode::Read);
        if (!probe) {
            ReportError("cannot read '" + text::PathToUtf8(path) + "': " + LastFileError());
            unlisted.push_back(path);
            continue;
        }
        probe->Close();
        if (playlist.addFile(path) >= 0) ++added;
    }
    return added;
}

int RunScan(const std::vector<std::string>& args) {
    bool recursive = false;
    std::string output;
    std::vector<std::string> folders;
    bool options = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") {
            options = false;
        } else if (options && (a == "-r" || a == "--recursive")) {
            recursive = true;
        } else if (options && (a == "-o" || a == "--output")) {
            if (i + 1 >= args.size()) {
                ReportError("scan: " + a + " needs a file name");
                return kExitUsage;
            }
            output = args[++i];
        } else if (options && a.size() > 1 && a[0] == '-') {
            ReportError("scan: unknown option '" + a + "'; see 'tunedeck help scan'");
            return kExitUsage;
        } else {
            folders.push_back(a);
        }
    }
    if (folders.empty() || output.empty()) {
        ReportError("scan: needs at least one folder and -o LIST.kq3; see 'tunedeck help scan'");
        return kExitUsage;
    }

    Playlist playlist;
    int status = kExitOk;
    std::vector<std::string> unlisted;
    for (const std::string& given : folders) {
        const std::string folder = WithoutTrailingSeparator(AbsolutePath(given));
        FileStatus fileStatus;
        if (!Fs().GetStatus(folder, fileStatus) || !(fileStatus.attributes & kAttrDirectory)) {
            ReportError("scan: '" + text::PathToUtf8(given) + "' is not a folder");
            status = kExitFailure;
            continue;
        }
        playlist.registerVolume(folder);
        AddDirectory(playlist, folder, recursive, unlisted);
    }
    if (!unlisted.empty()) status = kExitFailure;
    switch (saveKq3(playlist, output, nullptr)) {
        case Kq3Save::Saved: break;
        case Kq3Save::NotOpened:
            ReportError("scan: cannot create '" + text::PathToUtf8(output) + "': " + LastFileError());
            return kExitFailure;
        case Kq3Save::WriteFailed:
            ReportError("scan: writing '" + text::PathToUtf8(output) + "' failed (" +
                        LastFileError() + "); the file was left as it was");
            return kExitFailure;
    }
    WriteOut(std::to_string(playlist.count()) + (playlist.count() == 1 ? " file" : " files") +
             " saved to " + text::PathToUtf8(output) + "\n");
    return status;
}

}  // namespace td::cli
