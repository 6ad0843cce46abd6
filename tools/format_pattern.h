// The file-format patterns of the naming tools ("%N - %A - %T"): the validity
// rule and the history the pattern fields offer.
#pragma once

#include <string>
#include <vector>

namespace td {

class Settings;

// The seven tokens: "%A" artist, "%T" title, "%L" album, "%Y" year, "%G"
// genre, "%C" comment, "%N" track number (upper case only).
constexpr char kFormatTokenLetters[] = "ATLYGCN";
bool IsFormatTokenLetter(char c);
// The LangTable number of a token's field name ("Artist" for 'A'), 0 for
// other letters.
int FormatTokenFieldText(char letter);
// The token label "%A = Artist" (field name from the LangTable).
std::string FormatTokenLabel(char letter);

// isValidFormat: not empty once white space is trimmed from both ends, and
// holding at least one of the seven tokens.
bool isValidFormat(const std::string& pattern);

// Longest pattern the field takes.
constexpr size_t kFormatPatternMax = 50;

// The pattern field: a drop-down combo box whose list holds the history.
// The portable model the pages (and the command line) keep the history in.
class FormatHistory {
public:
    // loadFormatHistory: the non-empty entries of `formatHistory` in order,
    // the first one selected.
    void loadFormatHistory(const Settings& settings);
    // saveFormatHistory: a newly typed text joins the top of the list
    // (without `validate`, whatever it is; with it, only when valid); with
    // `validate` invalid entries go, and the first eight (the selected one
    // first) are written into `formatHistory` and the first is selected.
    void saveFormatHistory(Settings& settings, bool validate);

    // The edit field's text (cut to 50 characters).
    const std::string& text() const { return text_; }
    // The user types: no list entry is selected any more.
    void setText(const std::string& text);
    // The user picks list entry `index` (outside the list: nothing selected).
    void select(int index);
    int selected() const { return selected_; }
    const std::vector<std::string>& entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
    int selected_ = -1;
    std::string text_;
};

}  // namespace td
