// Directory listing seam, for the commands that add whole folders.
#pragma once

#include <string>
#include <vector>

namespace td {

struct DirectoryEntry {
    std::string name;  // the entry's own name, without the folder
    bool isDirectory = false;
    // A symbolic link or junction: a folder reached through one is not
    // entered by recursive scans, which could otherwise loop forever.
    bool isLink = false;
};

// Lists the entries of the folder `path` (native narrow encoding), "." and
// ".." left out, in the order the system gives them. False when the folder
// cannot be listed; `entries` then holds nothing.
bool ListDirectory(const std::string& path, std::vector<DirectoryEntry>& entries);

// `folder` and `name` joined with the native separator (none added when
// `folder` already ends in one).
std::string JoinPath(const std::string& folder, const std::string& name);

// `path` made absolute against the process's current directory, without
// following links; `path` itself when that cannot be done.
std::string AbsolutePath(const std::string& path);

// The absolute path of the existing `path` with every link (symbolic link,
// junction) on the way followed: where it really is. Empty when `path` does
// not exist or cannot be examined.
std::string RealPath(const std::string& path);

}  // namespace td
