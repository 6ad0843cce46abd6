// `tunedeck scan`: the "Add directory" command without the window: the files
// of one or more folders become a new playlist file.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "platform/directory.h"
#include "platform/folder_walk.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "playlist/kq3.h"
#include "playlist/playlist.h"
#include "window/file_gatherer.h"

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

bool AddDirectory(Playlist& playlist, const std::string& folder, bool recursive, const std::string& prefix) {
    FileGatherer gatherer(playlist);
    gatherer.run(GatherRequest::Directory(folder, recursive), nullptr);
    const GatherSummary& summary = gatherer.summary();
    for (const std::string& unlisted : summary.unlisted) {
        ReportError(prefix + "cannot list the folder '" + text::PathToUtf8(unlisted) + "'");
    }
    for (size_t i = 0; i < summary.leftOut.size(); ++i) {
        ReportError(prefix + "cannot read '" + text::PathToUtf8(summary.leftOut[i]) +
                    "': " + summary.leftOutReasons[i]);
    }
    return summary.unlisted.empty() && summary.leftOut.empty();
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
    for (const std::string& given : folders) {
        const std::string folder = WithoutTrailingSeparator(AbsolutePath(given));
        FileStatus fileStatus;
        if (!Fs().GetStatus(folder, fileStatus) || !(fileStatus.attributes & kAttrDirectory)) {
            ReportError("scan: '" + text::PathToUtf8(given) + "' is not a folder");
            status = kExitFailure;
            continue;
        }
        if (!AddDirectory(playlist, folder, recursive, "scan: ")) status = kExitFailure;
    }
    switch (saveKq3(playlist, output, nullptr)) {
    case Kq3Save::Saved: break;
    case Kq3Save::NotOpened:
        ReportError("scan: cannot create '" + text::PathToUtf8(output) + "': " + LastFileError());
        return kExitFailure;
    case Kq3Save::ReadOnly:
        ReportError("scan: '" + text::PathToUtf8(output) + "' is read-only; it was left as it was");
        return kExitFailure;
    case Kq3Save::WriteFailed:
        ReportError("scan: writing '" + text::PathToUtf8(output) + "' failed (" + LastFileError() +
                    "); the file was left as it was");
        return kExitFailure;
    }
    WriteOut(std::to_string(playlist.count()) + (playlist.count() == 1 ? " file" : " files") + " saved to " +
             text::PathToUtf8(output) + "\n");
    return status;
}

}  // namespace td::cli
