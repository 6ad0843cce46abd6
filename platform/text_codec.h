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

// Letter case of ANSI text (platform/text_case.cpp). Every caller that
// changes or ignores letter case goes through these, so that "É" and "é"
// are the same letter everywhere the code page has both.

// Lower / upper case of a whole text, the code page's letters included
// (accented Latin, Greek, Cyrillic where the code page has them); a letter
// whose partner the code page lacks stays as it is.
std::string AnsiToLower(std::string_view text);
std::string AnsiToUpper(std::string_view text);

// Folds letter case for comparing: byte by byte through a table built once
// from the code page's own case pairs (the second byte of a double-byte
// character is kept as it is). Cheap enough for search indexes.
void FoldCase(std::string& text);
void FoldCase(char* text, size_t size);
std::string FoldedCase(std::string_view text);
// Compares folded texts byte by byte: negative, 0 or positive.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace td::text
