// Letter case of ANSI text: one-to-one case pairs of the code page's letters,
// and the byte table that folds case for comparing and searching.
#include <string>

#include "platform/text_codec.h"

namespace td::text {

namespace {

// Simple one-to-one case pairs of the letters the Windows ANSI code pages
// hold (Latin-1, Latin Extended-A, Greek, Cyrillic). Letters without a
// single-character partner (the sharp s, the micro sign) stay as they are,
// as the system's ANSI case mapping leaves them.
char16_t LowerUnit(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
    if (c < 0x80) return c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
    if (c == 0x178) return 0xFF;
    if (c >= 0x100 && c <= 0x137 && c != 0x130 && (c & 1) == 0) return static_cast<char16_t>(c + 1);
    if (c >= 0x139 && c <= 0x148 && (c & 1) == 1) return static_cast<char16_t>(c + 1);
    if (c >= 0x14A && c <= 0x177 && (c & 1) == 0) return static_cast<char16_t>(c + 1);
    if (c >= 0x179 && c <= 0x17E && (c & 1) == 1) return static_cast<char16_t>(c + 1);
    if (c == 0x192) return c;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 32);
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return static_cast<char16_t>(c + 37);
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return static_cast<char16_t>(c + 63);
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
    if (c == 0x490) return 0x491;
    return c;
}

char16_t UpperUnit(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
    if (c < 0x80) return c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
    if (c == 0xFF) return 0x178;
    if (c >= 0x101 && c <= 0x137 && c != 0x131 && (c & 1) == 1) return static_cast<char16_t>(c - 1);
    if (c >= 0x13A && c <= 0x148 && (c & 1) == 0) return static_cast<char16_t>(c - 1);
    if (c >= 0x14B && c <= 0x177 && (c & 1) == 1) return static_cast<char16_t>(c - 1);
    if (c >= 0x17A && c <= 0x17E && (c & 1) == 0) return static_cast<char16_t>(c - 1);
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return static_cast<char16_t>(c - 32);
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return static_cast<char16_t>(c - 37);
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return static_cast<char16_t>(c - 63);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
    if (c == 0x491) return 0x490;
    return c;
}

bool IsAsciiOnly(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

std::string MapCase(std::string_view text, bool upper) {
    if (IsAsciiOnly(text)) {
        std::string out(text);
        for (char& c : out) {
            if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        }
        return out;
    }
    const std::u16string wide = AnsiToUtf16(text);
    std::u16string mapped = wide;
    for (char16_t& c : mapped) c = upper ? UpperUnit(c) : LowerUnit(c);
    std::string out;
    if (Utf16ToAnsi(mapped, out)) return out;
    // Some partner is missing from the code page: map letter by letter and
    // keep the letters whose partner cannot be written.
    out.clear();
    for (size_t i = 0; i < wide.size(); ++i) {
        std::string piece;
        if (mapped[i] != wide[i] && Utf16ToAnsi(std::u16string(1, mapped[i]), piece)) {
            out += piece;
        } else {
            Utf16ToAnsi(std::u16string(1, wide[i]), piece);
            out += piece;
        }
    }
    return out;
}

// Folding one byte at a time through a table keeps the search index cheap to
// build and the per-keystroke preparation trivial. The table is derived once
// from the code page's own case pairs.
struct FoldTable {
    unsigned char lower[256];
    bool lead[256];  // first byte of a double-byte character
};

const FoldTable& Fold() {
    static const FoldTable table = [] {
        FoldTable t{};
        for (int b = 0; b < 256; ++b) {
            t.lower[b] = static_cast<unsigned char>(b);
            t.lead[b] = false;
            if (b < 0x80) {
                if (b >= 'A' && b <= 'Z') t.lower[b] = static_cast<unsigned char>(b + 32);
                continue;
            }
            const std::string one(1, static_cast<char>(b));
            // A byte that makes one character together with an ASCII letter
            // after it leads a double-byte character: its second byte (which
            // can look like an ASCII letter) must not be folded.
            if (AnsiToUtf16(one + "A").size() == 1) {
                t.lead[b] = true;
                continue;
            }
            if (AnsiToUtf16(one).size() != 1) continue;
            const std::string lowered = AnsiToLower(one);
            // Take only true case pairs: a byte the code page does not define
            // must not become a question mark.
            if (lowered.size() == 1 && lowered != one && AnsiToUpper(lowered) == one) {
                t.lower[b] = static_cast<unsigned char>(lowered[0]);
            }
        }
        return t;
    }();
    return table;
}

void FoldRange(const FoldTable& table, char* text, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (table.lead[c]) {
            ++i;  // keep the second byte as it is
            continue;
        }
        text[i] = static_cast<char>(table.lower[c]);
    }
}

}  // namespace

std::string AnsiToLower(std::string_view text) { return MapCase(text, false); }
std::string AnsiToUpper(std::string_view text) { return MapCase(text, true); }

void FoldCase(char* text, size_t size) {
    if (size > 0) FoldRange(Fold(), text, size);
}

void FoldCase(std::string& text) { FoldCase(text.empty() ? nullptr : &text[0], text.size()); }

std::string FoldedCase(std::string_view text) {
    std::string out(text);
    FoldCase(out);
    return out;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const FoldTable& table = Fold();
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (table.lead[x] || table.lead[y]) {
            // A double-byte character compares as its two bytes.
            if (x != y) return x < y ? -1 : 1;
            if (i + 1 < n && a[i + 1] != b[i + 1]) {
                return static_cast<unsigned char>(a[i + 1]) < static_cast<unsigned char>(b[i + 1]) ? -1 : 1;
            }
            ++i;
            continue;
        }
        const unsigned char fx = table.lower[x];
        const unsigned char fy = table.lower[y];
        if (fx != fy) return fx < fy ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

}  // namespace td::text
