#include "platform/folder_walk.h"

#include <algorithm>
#include <vector>

#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"

namespace td {

namespace {

// Name order as the system's folder listing shows it: letter case aside,
// then byte by byte so that equal folded names still order the same way.
bool NameBefore(const DirectoryEntry& a, const DirectoryEntry& b) {
    const int folded = text::CompareNoCase(a.name, b.name);
    if (folded != 0) return folded < 0;
    return a.name < b.name;
}

bool Walk(const std::string& folder, int depth, const WalkOptions& options, const WalkVisitor& visit) {
    std::vector<DirectoryEntry> entries;
    if (!Fs().List(folder, entries)) return visit(WalkEvent::Unlisted, folder);
    std::sort(entries.begin(), entries.end(), NameBefore);
    for (const DirectoryEntry& entry : entries) {
        const std::string path = JoinPath(folder, entry.name);
        if (!entry.isDirectory) {
            if (!visit(WalkEvent::File, path)) return false;
            continue;
        }
        if (!options.recurse) continue;
        if (entry.isLink) {
            if (!visit(WalkEvent::LinkSkipped, path)) return false;
        } else if (depth >= options.maxDepth) {
            if (!visit(WalkEvent::TooDeep, path)) return false;
        } else if (!Walk(path, depth + 1, options, visit)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool WalkFolder(const std::string& folder, const WalkOptions& options, const WalkVisitor& visit) {
    return Walk(folder, 0, options, visit);
}

std::string WithoutTrailingSeparator(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == kPathSeparator)) {
        if (folder.size() == 3 && folder[1] == ':') break;  // "C:\"
        folder.pop_back();
    }
    return folder;
}

}  // namespace td
