// Neutralisation of path components that come from tag texts. Tags are
// outside input: whatever they hold, a name built from them must stay one
// plain component inside the directory it is meant for, and must be a name
// that every platform the files travel to can create.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace td {

// Windows device names (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$),
// with or without an extension, in any case: "nul.txt" opens the device.
bool IsReservedDeviceName(std::string_view component);

// True for the characters a Windows file name cannot hold: control
// characters and < > : " / \ | ? *.
bool IsInvalidNameChar(char c);

// One component that names a file or directory inside its parent and nothing
// else: invalid characters become `replacement`, trailing dots and spaces are
// cut (Windows drops them silently, so "..." would otherwise become ""), a
// reserved device name gets a leading "_", and a text that ends up empty
// (also "." and "..") becomes "_". `replacement` must be a valid character.
std::string SafeNameComponent(std::string_view text, char replacement = '_');

// A relative directory from a tag text in which "/" and "\\" both mark a
// further level: empty levels (leading, trailing or doubled separators) are
// dropped and every level is made safe as above. Never empty and never
// escapes: "../../etc" gives "_", "_", "etc"; "C:\\x" gives "C_", "x".
std::vector<std::string> SafeRelativeComponents(std::string_view text);

// Tag text is in the ANSI code page; paths are in the native narrow
// encoding, which is the same on Windows and UTF-8 on POSIX.
// A name from tag text as a path name.
std::string AnsiToPathName(const std::string& ansi);
// A path name as tag text; false when some character has no equivalent in
// the code page (`ansi` then holds '?' for it).
bool PathNameToAnsi(const std::string& name, std::string& ansi);

// True for a path separator of this platform ('/' and '\\' on Windows, '/'
// elsewhere, where a backslash is an ordinary character of a name).
bool IsPathSeparator(char c);

// Everything before the last separator of `path` ("" when it has none).
std::string DirectoryOf(const std::string& path);

// `path` with "." and ".." components resolved lexically, separators unified
// to the native one and doubled separators collapsed. The root (a leading
// separator, "X:" with its separator, or "\\\\server\\share") is kept and ".."
// never climbs above it.
std::string NormalizePath(std::string_view path);

// True when `path`, once normalised, lies strictly below the normalised
// `directory` (compared without case on Windows).
bool IsInsideDirectory(const std::string& directory, const std::string& path);

// True when both paths name the same place once normalised (compared
// without case on Windows).
bool SamePath(const std::string& a, const std::string& b);

}  // namespace td
