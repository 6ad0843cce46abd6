#include "tools/text_convert.h"

#include "platform/text_codec.h"

namespace td {

namespace {

void RaiseAscii(char& c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
}

}  // namespace

void applyCaseConversion(std::string& text, int mode) {
    switch (mode) {
    case kCaseLower: text = text::AnsiToLower(text); break;
    case kCaseUpper: text = text::AnsiToUpper(text); break;
    case kCaseFirstLetter:
        text = text::AnsiToLower(text);
        if (!text.empty()) RaiseAscii(text[0]);
        break;
    case kCaseEachWord:
        text = text::AnsiToLower(text);
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == ' ') continue;
            if (i == 0 || text[i - 1] == ' ') RaiseAscii(text[i]);
        }
        break;
    default: break;
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

}  // namespace td
