#include "playlist/export_markup.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "platform/text_codec.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace td {

namespace {

#ifdef _WIN32
constexpr bool kWindowsPaths = true;
#else
constexpr bool kWindowsPaths = false;
#endif

// Files are text with CR LF line ends, line breaks inside a tag included.
constexpr char kLineBreak[] = "\r\n";

// A byte of 0x80 and above that stands for one character of its own in the
// code page and comes back as the same byte: it can be copied as it is.
// Anything else (a byte the code page leaves undefined, a C1 control, the
// lead byte of a double-byte character) makes the whole text go through
// UTF-16.
bool IsPlainHighByte(unsigned char byte) {
    const std::string one(1, static_cast<char>(byte));
    const std::u16string wide = text::AnsiToUtf16(one);
    if (wide.size() != 1) return false;
    const char16_t c = wide[0];
    if (c < 0xA0 || c == 0xFFFD || (c >= 0xD800 && c <= 0xDFFF) || c >= 0xFFFE) return false;
    std::string back;
    return text::Utf16ToAnsi(wide, back) && back == one;
}

const std::array<bool, 128>& PlainHighBytes() {
    static const std::array<bool, 128> table = [] {
        std::array<bool, 128> plain{};
        for (unsigned b = 0x80; b <= 0xFF; ++b) {
            plain[b - 0x80] = IsPlainHighByte(static_cast<unsigned char>(b));
        }
        return plain;
    }();
    return table;
}

void AppendCharRef(std::string& out, char32_t codePoint) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "&#x%X;", static_cast<unsigned>(codePoint));
    out += buffer;
}

// An ASCII character (below 0x80).
void AppendAscii(std::string& out, char c, MarkupKind kind, bool attribute) {
    switch (c) {
    case '&': out += "&amp;"; return;
    case '<': out += "&lt;"; return;
    case '>': out += "&gt;"; return;
    case '"': out += "&quot;"; return;
    case '\'': out += kind == MarkupKind::Xml ? "&apos;" : "&#39;"; return;
    case '\t':
    case '\n':
    case '\r':
        // A parser turns these into blanks inside an attribute value.
        if (attribute) {
            AppendCharRef(out, static_cast<unsigned char>(c));
        } else {
            out += c;
        }
        return;
    default: break;
    }
    const auto byte = static_cast<unsigned char>(c);
    // XML 1.0 has no place for the other C0 controls, not even as a
    // reference; in a page they would only be invisible parse errors.
    if (byte < 0x20) return;
    if (byte == 0x7F && kind == MarkupKind::Html) return;
    out += c;
}

bool NeedsEscape(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F || byte == '&' || byte == '<' || byte == '>' || byte == '"' ||
           byte == '\'';
}

void AppendMarkupUtf16(std::string& out, std::u16string_view wide, MarkupKind kind, bool attribute) {
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = wide[i];
        if ((c == '\r' || c == '\n') && !attribute) {
            out += kLineBreak;
            if (c == '\r' && i + 1 < wide.size() && wide[i + 1] == '\n') ++i;
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        }
        appendMarkupCodePoint(out, c, kind, attribute);
    }
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

void AppendPercentEncoded(std::string& out, std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte) || byte == '/') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
}

}  // namespace

void appendMarkupCodePoint(std::string& out, char32_t c, MarkupKind kind, bool attribute) {
    if (c < 0x80) {
        AppendAscii(out, static_cast<char>(c), kind, attribute);
        return;
    }
    // Not characters at all: unpaired surrogates, the two non-characters
    // XML excludes, anything beyond Unicode.
    if ((c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF || c > 0x10FFFF) return;
    if (c < 0xA0) {
        // C1 controls: legal in XML, kept as references; a page would remap
        // some of their references to other characters, and shows none.
        if (kind == MarkupKind::Xml) AppendCharRef(out, c);
        return;
    }
    if (c != 0xFFFD) {
        std::u16string unit;
        if (c >= 0x10000) {
            unit += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            unit += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit += static_cast<char16_t>(c);
        }
        std::string bytes;
        if (text::Utf16ToAnsi(unit, bytes) && !bytes.empty() && text::AnsiToUtf16(bytes) == unit) {
            out += bytes;
            return;
        }
    }
    AppendCharRef(out, c);
}

void appendMarkupAnsi(std::string& out, std::string_view ansi, MarkupKind kind, bool attribute) {
    const std::array<bool, 128>& plain = PlainHighBytes();
    for (char c : ansi) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && !plain[byte - 0x80]) {
            AppendMarkupUtf16(out, text::AnsiToUtf16(ansi), kind, attribute);
            return;
        }
    }
    size_t run = 0;  // start of the bytes not yet copied
    for (size_t i = 0; i < ansi.size(); ++i) {
        const auto byte = static_cast<unsigned char>(ansi[i]);
        if (!NeedsEscape(byte)) continue;
        out.append(ansi.data() + run, i - run);
        if ((byte == '\r' || byte == '\n') && !attribute) {
            out += kLineBreak;
            if (byte == '\r' && i + 1 < ansi.size() && ansi[i + 1] == '\n') ++i;
        } else {
            AppendAscii(out, ansi[i], kind, attribute);
        }
        run = i + 1;
    }
    out.append(ansi.data() + run, ansi.size() - run);
}

void appendMarkupNative(std::string& out, std::string_view native, MarkupKind kind, bool attribute) {
    if (kWindowsPaths || IsAscii(native)) {
        appendMarkupAnsi(out, native, kind, attribute);
    } else {
        AppendMarkupUtf16(out, text::Utf8ToUtf16(native), kind, attribute);
    }
}

std::string nativeToAnsiText(const std::string& native) {
    if (kWindowsPaths || IsAscii(native)) return native;
    std::string ansi;
    text::Utf8ToAnsi(native, ansi);
    return ansi;
}

const char* ansiCharsetName() {
#ifdef _WIN32
    switch (GetACP()) {
    case 874: return "windows-874";
    case 932: return "shift_jis";
    case 936: return "gbk";
    case 949: return "euc-kr";
    case 950: return "big5";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1252: return "windows-1252";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 65001: return "utf-8";
    default: break;
    }
    static const std::string other = "windows-" + std::to_string(GetACP());
    return other.c_str();
#else
    return "windows-1252";
#endif
}

std::string fileUrl(const std::string& nativePath) {
    std::string path = text::PathToUtf8(nativePath);
    const bool share = path.size() > 2 && path[0] == '\\' && path[1] == '\\';
    const bool drive = path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':' &&
                       (path.size() == 2 || path[2] == '\\' || path[2] == '/');
    if (kWindowsPaths || share || drive) {
        for (char& c : path) {
            if (c == '\\') c = '/';
        }
    }
    std::string url;
    url.reserve(path.size() + 16);
    size_t start = 0;
    if (drive) {
        url = "file:///";
        url += path[0];
        url += ':';
        start = 2;
    } else if (path.size() > 2 && path[0] == '/' && path[1] == '/' && (kWindowsPaths || share)) {
        url = "file://";  // the server name becomes the host
        start = 2;
    } else if (!path.empty() && path[0] == '/') {
        url = "file://";
        while (start + 1 < path.size() && path[start + 1] == '/') ++start;
    }
    AppendPercentEncoded(url, std::string_view(path).substr(start));
    return url;
}

std::string localDateTimeText() {
#ifdef _WIN32
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[32];
    std::snprintf(date, sizeof date, "%04u/%02u/%02u", static_cast<unsigned>(now.wYear),
                  static_cast<unsigned>(now.wMonth), static_cast<unsigned>(now.wDay));
    char time[64];
    if (GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &now, nullptr, time, sizeof time) <= 0) {
        std::snprintf(time, sizeof time, "%02u:%02u", static_cast<unsigned>(now.wHour),
                      static_cast<unsigned>(now.wMinute));
    }
    return std::string(date) + " " + time;
#else
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[64];
    if (std::strftime(buffer, sizeof buffer, "%Y/%m/%d %H:%M", &local) == 0) return std::string();
    return buffer;
#endif
}

}  // namespace td
