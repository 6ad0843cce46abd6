#include "tools/text_convert.h"

#include "platform/text_codec.h"
#include "settings/settings.h"

namespace td {

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

bool IsAsciiOnly(const std::string& text) {
    for (unsigned char c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

std::string MapCase(const std::string& text, bool upper) {
    if (IsAsciiOnly(text)) {
        std::string out = text;
        for (char& c : out) {
            if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        }
        return out;
    }
    const std::u16string wide = text::AnsiToUtf16(text);
    std::u16string mapped = wide;
    for (char16_t& c : mapped) c = upper ? UpperUnit(c) : LowerUnit(c);
    std::string out;
    if (text::Utf16ToAnsi(mapped, out)) return out;
    // Some partner is missing from the code page: map letter by letter and
    // keep the letters whose partner cannot be written.
    out.clear();
    for (size_t i = 0; i < wide.size(); ++i) {
        std::string piece;
        if (mapped[i] != wide[i] && text::Utf16ToAnsi(std::u16string(1, mapped[i]), piece)) {
            out += piece;
        } else {
            text::Utf16ToAnsi(std::u16string(1, wide[i]), piece);
            out += piece;
        }
    }
    return out;
}

void RaiseAscii(char& c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
}

}  // namespace

std::string AnsiToLower(const std::string& text) { return MapCase(text, false); }
std::string AnsiToUpper(const std::string& text) { return MapCase(text, true); }

void applyCaseConversion(std::string& text, int mode) {
    switch (mode) {
    case kCaseLower:
        text = AnsiToLower(text);
        break;
    case kCaseUpper:
        text = AnsiToUpper(text);
        break;
    case kCaseFirstLetter:
        text = AnsiToLower(text);
        if (!text.empty()) RaiseAscii(text[0]);
        break;
    case kCaseEachWord:
        text = AnsiToLower(text);
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == ' ') continue;
            if (i == 0 || text[i - 1] == ' ') RaiseAscii(text[i]);
        }
        break;
    default:
        break;
    }
}

void applyCharConversion(std::string& text, int mode) {
    if (mode == kCharUnderscoreToSpace) {
        for (char& c : text) {
            if (c == '_') c = ' ';
        }
    } else if (mode == kCharSpaceToUnderscore) {
        for (char& c : text) {
            if (c == ' ') c = '_';
        }
    }
}

void applyConversions(std::string& text, int caseMode, int charMode) {
    applyCaseConversion(text, caseMode);
    applyCharConversion(text, charMode);
}

void applyConversions(std::string& text, const Settings& settings) {
    applyConversions(text, settings.caseConversion, settings.charConversion);
}

}  // namespace td
