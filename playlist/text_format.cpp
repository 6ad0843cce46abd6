#include "playlist/text_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace td {

namespace {

// Widths and precisions above this are not formatted: a translated text
// asking for a million-character field is a mistake, not a layout.
constexpr int kMaxWidth = 255;

bool IsFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string FormatLangText(const char* format, std::initializer_list<FormatArg> args) {
    std::string out;
    if (!format) return out;
    const FormatArg* next = args.begin();
    const FormatArg* end = args.end();
    const char* p = format;
    while (*p) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            p += 2;
            continue;
        }
        // Parse one conversion: flags, width, precision, length, type.
        const char* start = p++;
        std::string fmt = "%";
        while (IsFlag(*p)) fmt += *p++;
        int width = 0;
        while (IsDigit(*p) && width <= kMaxWidth) width = width * 10 + (*p++ - '0');
        bool ok = width <= kMaxWidth && !IsDigit(*p);
        if (width > 0) fmt += std::to_string(width);
        if (ok && *p == '.') {
            ++p;
            int precision = 0;
            while (IsDigit(*p) && precision <= kMaxWidth) precision = precision * 10 + (*p++ - '0');
            ok = precision <= kMaxWidth && !IsDigit(*p);
            fmt += '.';
            fmt += std::to_string(precision);
        }
        while (ok && (*p == 'h' || *p == 'l' || *p == 'L' || *p == 'I' || *p == '6' || *p == '4' ||
                      *p == 'z' || *p == 'j' || *p == 't')) {
            ++p;  // every integer is formatted as long long below
        }
        const char type = ok ? *p : '\0';
        FormatArg::Kind wanted = FormatArg::Kind::Text;
        if (type != '\0' && std::strchr("diuxXoc", type) != nullptr) {
            wanted = FormatArg::Kind::Number;
        } else if (type != '\0' && std::strchr("feEgG", type) != nullptr) {
            wanted = FormatArg::Kind::Real;
        } else if (type != 's') {
            ok = false;
        }
        const bool text = wanted == FormatArg::Kind::Text;
        if (!ok || next == end || next->kind() != wanted) {
            // Not something we format: copy the '%' and go on after it.
            out += *start;
            p = start + 1;
            continue;
        }
        ++p;
        // The largest double printed with the largest width and precision
        // stays well inside the 400 bytes.
        std::vector<char> buffer(2 * kMaxWidth + 400 + (text ? std::strlen(next->text()) : 0));
        int written = 0;
        if (wanted == FormatArg::Kind::Real) {
            fmt += type;
            written = std::snprintf(buffer.data(), buffer.size(), fmt.c_str(), next->real());
        } else if (text) {
            fmt += 's';
            written = std::snprintf(buffer.data(), buffer.size(), fmt.c_str(), next->text());
        } else if (type == 'c') {
            fmt += 'c';
            written = std::snprintf(buffer.data(), buffer.size(), fmt.c_str(),
                                    static_cast<int>(static_cast<unsigned char>(next->number())));
        } else if (type == 'd' || type == 'i') {
            fmt += "lld";
            written = std::snprintf(buffer.data(), buffer.size(), fmt.c_str(), next->number());
        } else {
            fmt += "ll";
            fmt += type;
            written = std::snprintf(buffer.data(), buffer.size(), fmt.c_str(),
                                    static_cast<unsigned long long>(next->number()));
        }
        if (written > 0) out.append(buffer.data(), std::min<size_t>(written, buffer.size() - 1));
        ++next;
    }
    return out;
}

}  // namespace td
