// Text conversion seam. All text the system keeps is 8-bit in the ANSI code
// page: the system's code page on Windows, Windows-1252 on POSIX (via iconv).
#pragma once

#include <string>
#include <string_view>

namespace td::text {

// UTF-16 (host order units) to the ANSI code page. Returns false when some
// character has no exact equivalent (`out` then holds a best-effort text with
// '?' for the missing characters).
bool Utf16ToAnsi(std::u16string_view in, std::string& out);
std::u16string AnsiToUtf16(std::string_view in);

// UTF-8 <-> ANSI, through UTF-16.
bool Utf8ToAnsi(std::string_view in, std::string& out);
std::string AnsiToUtf8(std::string_view in);

// Portable UTF-8 <-> UTF-16 (no seam needed). Invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view in);
std::string Utf16ToUtf8(std::u16string_view in);

// Native path bytes to UTF-8 for display (Windows: from the ANSI code page;
// POSIX: already UTF-8, returned as is).
std::string PathToUtf8(const std::string& path);

}  // namespace td::text
