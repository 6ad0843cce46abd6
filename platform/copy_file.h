// Copying and moving whole files without ever replacing one, and creating
// directory trees. Copies go through the File seam (td::Fs()), so tests can
// make any step fail.
#pragma once

#include <string>

namespace td {

// Copies the regular file `from` to `to`. Fails, touching nothing, when `to`
// exists. The bytes go to a temporary file in `to`'s directory, which is
// flushed and closed and only then renamed to `to` without replacing: a copy
// that fails midway (full disk, read error, refused rename) leaves neither a
// partial `to` nor the temporary file behind. The source is never changed.
bool CopyFileNoReplace(const std::string& from, const std::string& to);

// Moves `from` to `to`, never replacing an existing `to`. Where the system
// cannot rename (another volume), the file is copied as above and the source
// removed; when the source cannot be removed the copy is taken back, so the
// file is afterwards in exactly one of the two places.
bool MoveFileNoReplace(const std::string& from, const std::string& to);

// Creates the directory `path` with every missing parent ('\\' and '/' both
// separate levels on Windows). True when `path` is a directory afterwards;
// false when a level cannot be created or is a file.
bool MakeDirectories(const std::string& path);

}  // namespace td
