// Text handling shared by the data exports: every export file is 8-bit text
// in the ANSI code page, whatever encoding a piece of text arrived in. Tag
// texts are ANSI already; paths are in the native narrow encoding (the ANSI
// code page on Windows, UTF-8 on POSIX).
//
// Tag texts are outside input: the markup forms (HTML, XML) escape every
// character that could end a text or an attribute, drop the control
// characters XML 1.0 forbids, and write a character the code page cannot
// hold (or a byte the code page leaves undefined) as a character reference,
// so that the page parses as the text it shows.
#pragma once

#include <string>
#include <string_view>

namespace td {

enum class MarkupKind {
    Html,
    Xml,
};

// Appends `ansi` escaped as element content (`attribute` false) or as a
// double-quoted attribute value. In content a line break (CR LF, LF or CR)
// is written as CR LF, in an attribute as references.
void appendMarkupAnsi(std::string& out, std::string_view ansi, MarkupKind kind, bool attribute);
// The same for text in the native narrow encoding of paths.
void appendMarkupNative(std::string& out, std::string_view native, MarkupKind kind, bool attribute);
// The same for one character given by its code point.
void appendMarkupCodePoint(std::string& out, char32_t codePoint, MarkupKind kind, bool attribute);

// A native path or label as ANSI text, for the plain text exports ('?' for
// what the code page cannot hold).
std::string nativeToAnsiText(const std::string& native);

// The name under which the exports declare their bytes' encoding: the ANSI
// code page's ("windows-1252" on POSIX; on Windows the system's code page).
const char* ansiCharsetName();

// A "file:" URL for a native path: separators as "/", every byte that is not
// an unreserved URL character percent-encoded (of the path's UTF-8 form), so
// that the link is plain ASCII and cannot leave its attribute. Windows drive
// and share paths ("C:\a", "\\server\share\a") are recognised on every
// platform; a relative path gives a relative reference.
std::string fileUrl(const std::string& nativePath);

// The current local date and time as the HTML pages show them: the date as
// "yyyy/MM/dd", a blank, and the time in the user's format without seconds.
std::string localDateTimeText();

}  // namespace td
