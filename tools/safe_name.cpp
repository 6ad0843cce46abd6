#include "tools/safe_name.h"

#include <cstddef>

#include "platform/file_system.h"
#include "platform/text_codec.h"

namespace td {

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
[[maybe_unused]] char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
}

// Windows also reserves COM and LPT followed by the superscript digits, which
// the ANSI code page (Windows-1252) has at these three places.
bool IsDeviceDigit(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (c >= '1' && c <= '9') || u == 0xB9 || u == 0xB2 || u == 0xB3;
}

bool PathCharsEqual(char a, char b) {
#ifdef _WIN32
    return AsciiLower(a) == AsciiLower(b);
#else
    return a == b;
#endif
}

struct SplitPath {
    std::string root;  // kept as it stands, separators made native
    std::vector<std::string_view> parts;
};

SplitPath Split(std::string_view path) {
    SplitPath out;
    size_t pos = 0;
#ifdef _WIN32
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        // \\server\share: both names belong to the root.
        size_t i = 2;
        int names = 0;
        out.root = "\\\\";
        while (i < path.size() && names < 2) {
            size_t end = i;
            while (end < path.size() && !IsPathSeparator(path[end])) ++end;
            if (end > i) {
                out.root.append(path.substr(i, end - i));
                out.root.push_back('\\');
                ++names;
            }
            i = end + 1;
        }
        pos = i < path.size() ? i : path.size();
    } else if (path.size() >= 2 && path[1] == ':' &&
               ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        out.root.assign(path.substr(0, 2));
        pos = 2;
        if (pos < path.size() && IsPathSeparator(path[pos])) {
            out.root.push_back('\\');
            ++pos;
        }
    } else if (!path.empty() && IsPathSeparator(path[0])) {
        out.root = "\\";
        pos = 1;
    }
#else
    if (!path.empty() && path[0] == '/') {
        out.root = "/";
        pos = 1;
    }
#endif
    while (pos < path.size()) {
        size_t end = pos;
        while (end < path.size() && !IsPathSeparator(path[end])) ++end;
        if (end > pos) out.parts.push_back(path.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

}  // namespace

bool IsReservedDeviceName(std::string_view component) {
    std::string_view stem = component.substr(0, component.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    static const char* const kPlain[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* name : kPlain) {
        if (EqualsNoCase(stem, name)) return true;
    }
    if (stem.size() == 4 && IsDeviceDigit(stem[3])) {
        const std::string_view head = stem.substr(0, 3);
        return EqualsNoCase(head, "COM") || EqualsNoCase(head, "LPT");
    }
    return false;
}

bool IsInvalidNameChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20) return true;
    switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '/':
    case '\\':
    case '|':
    case '?':
    case '*': return true;
    default: return false;
    }
}

std::string SafeNameComponent(std::string_view text, char replacement) {
    if (IsInvalidNameChar(replacement) || replacement == '.') replacement = '_';
    std::string name;
    name.reserve(text.size() + 1);
    for (char c : text) name.push_back(IsInvalidNameChar(c) ? replacement : c);
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (name.empty()) return "_";
    if (IsReservedDeviceName(name)) name.insert(name.begin(), '_');
    return name;
}

std::vector<std::string> SafeRelativeComponents(std::string_view text) {
    std::vector<std::string> levels;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find_first_of("/\\", pos);
        if (end == std::string_view::npos) end = text.size();
        if (end > pos) levels.push_back(SafeNameComponent(text.substr(pos, end - pos)));
        pos = end + 1;
    }
    if (levels.empty()) levels.emplace_back("_");
    return levels;
}

std::string AnsiToPathName(const std::string& ansi) {
#ifdef _WIN32
    return ansi;
#else
    return text::AnsiToUtf8(ansi);
#endif
}

bool PathNameToAnsi(const std::string& name, std::string& ansi) {
#ifdef _WIN32
    ansi = name;
    return true;
#else
    return text::Utf8ToAnsi(name, ansi);
#endif
}

bool IsPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

std::string DirectoryOf(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1])) return path.substr(0, i - 1);
    }
    return std::string();
}

std::string NormalizePath(std::string_view path) {
    const SplitPath split = Split(path);
    std::vector<std::string_view> kept;
    for (std::string_view part : split.parts) {
        if (part == ".") continue;
        if (part == "..") {
            if (!kept.empty() && kept.back() != "..") {
                kept.pop_back();
            } else if (split.root.empty()) {
                kept.push_back(part);
            }
            continue;
        }
        kept.push_back(part);
    }
    std::string out = split.root;
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) out.push_back(kPathSeparator);
        out.append(kept[i]);
    }
    if (out.empty()) out = ".";
    return out;
}

bool IsInsideDirectory(const std::string& directory, const std::string& path) {
    std::string base = NormalizePath(directory);
    const std::string full = NormalizePath(path);
    if (base == ".") {
        // Relative to the current directory: anything that does not climb out.
        const bool climbs =
            full == ".." || (full.size() > 2 && full.compare(0, 2, "..") == 0 && IsPathSeparator(full[2]));
        return full != "." && Split(full).root.empty() && !climbs;
    }
    if (!IsPathSeparator(base.back())) base.push_back(kPathSeparator);
    if (full.size() <= base.size()) return false;
    for (size_t i = 0; i < base.size(); ++i) {
        if (!PathCharsEqual(base[i], full[i])) return false;
    }
    return true;
}

bool SamePath(const std::string& a, const std::string& b) {
    const std::string x = NormalizePath(a);
    const std::string y = NormalizePath(b);
    if (x.size() != y.size()) return false;
    for (size_t i = 0; i < x.size(); ++i) {
        if (!PathCharsEqual(x[i], y[i])) return false;
    }
    return true;
}

}  // namespace td
