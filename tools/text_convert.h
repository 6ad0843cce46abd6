// The case and character conversions the naming tools apply to tag fields
// and file names. Text is 8-bit in the ANSI code page.
#pragma once

#include <string>

namespace td {

// caseConversion values.
enum CaseConversion : int {
    kCaseUnchanged = 0,
    kCaseLower = 1,        // "all lowercase"
    kCaseUpper = 2,        // "ALL UPPERCASE"
    kCaseFirstLetter = 3,  // "First letter of section uppercase"
    kCaseEachWord = 4,     // "First Letter Of Each Word Uppercase"
};
constexpr int kCaseConversionCount = 5;

// charConversion values.
enum CharConversion : int {
    kCharUnchanged = 0,
    kCharUnderscoreToSpace = 1,  // "Convert Underscore to space"
    kCharSpaceToUnderscore = 2,  // "Convert Space to underscore"
};
constexpr int kCharConversionCount = 3;

// LangTable numbers of the pop-up menu items: the five case items, then the
// three character items.
constexpr int kCaseMenuText = 185;  // 185..189
constexpr int kCharMenuText = 190;  // 190..192

// applyCaseConversion: `mode` 0 to 4; other values leave the text as it is.
// In modes 3 and 4 only ASCII a to z are raised; the only word separator is
// the space.
void applyCaseConversion(std::string& text, int mode);
// applyCharConversion: `mode` 0 to 2; other values leave the text as it is.
void applyCharConversion(std::string& text, int mode);
// Both, case first.
void applyConversions(std::string& text, int caseMode, int charMode);

}  // namespace td
