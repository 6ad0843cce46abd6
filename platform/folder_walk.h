// The one walk of a folder tree, behind every command that adds whole
// folders: the command line's scan, "Add directory" and dropped folders on
// the gathering worker. It lists through the file seam (Fs().List), so tests
// can make any listing fail.
//
// Rules: entries are taken in name order (letter case aside, then byte by
// byte, so every run gives the same order), files and subfolders as they
// come; a subfolder is entered only with `recurse`; a folder reached through
// a symbolic link or junction is never entered, so no link can lead the walk
// in a circle; folders deeper than `maxDepth` below the top are not entered.
// Each folder is listed once and each entry visited once, so a folder of
// 100,000 entries costs one listing and one sort.
#pragma once

#include <functional>
#include <string>

namespace td {

constexpr int kMaxWalkDepth = 64;

struct WalkOptions {
    bool recurse = true;
    int maxDepth = kMaxWalkDepth;  // levels of subfolders below the top folder
};

enum class WalkEvent {
    File,         // a file (anything listed that is not a folder)
    Unlisted,     // a folder that could not be listed: nothing below it is seen
    LinkSkipped,  // a folder reached through a link: not entered
    TooDeep,      // a folder below the depth cap: not entered
};

// Receives each event with the full path, on the walking thread. Returning
// false ends the walk at once.
using WalkVisitor = std::function<bool(WalkEvent event, const std::string& path)>;

// Walks the tree under `folder` (which is listed even when it is itself a
// link: the user named it). True when the walk went to its end; false when
// the visitor ended it.
bool WalkFolder(const std::string& folder, const WalkOptions& options, const WalkVisitor& visit);

// `folder` without trailing separators, as a folder dialog returns it; a
// root ("C:\", "/") keeps its one.
std::string WithoutTrailingSeparator(std::string folder);

}  // namespace td
