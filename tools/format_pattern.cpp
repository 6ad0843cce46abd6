#include "tools/format_pattern.h"

#include <cstring>

#include "settings/lang_table.h"
#include "settings/settings.h"

namespace td {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

bool IsFormatTokenLetter(char c) { return c != '\0' && std::strchr(kFormatTokenLetters, c) != nullptr; }

int FormatTokenFieldText(char letter) {
    switch (letter) {
    case 'A': return 87;  // "Artist"
    case 'T': return 88;  // "Title"
    case 'L': return 89;  // "Album"
    case 'Y': return 90;  // "Year"
    case 'C': return 91;  // "Comment"
    case 'G': return 92;  // "Genre"
    case 'N': return 93;  // "Track#"
    default: return 0;
    }
}

std::string FormatTokenLabel(char letter) {
    std::string label = "%";
    label += letter;
    label += " = ";
    const int id = FormatTokenFieldText(letter);
    if (id != 0) label += LangTable::getString(id);
    return label;
}

bool isValidFormat(const std::string& pattern) {
    size_t begin = 0;
    size_t end = pattern.size();
    while (begin < end && IsSpace(pattern[begin])) ++begin;
    while (end > begin && IsSpace(pattern[end - 1])) --end;
    if (begin == end) return false;
    for (size_t i = begin; i + 1 < end; ++i) {
        if (pattern[i] == '%' && IsFormatTokenLetter(pattern[i + 1])) return true;
    }
    return false;
}

void FormatHistory::loadFormatHistory(const Settings& settings) {
    entries_.clear();
    for (int i = 0; i < kFormatHistoryCount; ++i) {
        const std::string entry = settings.formatPattern(i);
        if (!entry.empty()) entries_.push_back(entry);
    }
    select(0);
}

void FormatHistory::setText(const std::string& text) {
    text_ = text.substr(0, kFormatPatternMax);
    selected_ = -1;
}

void FormatHistory::select(int index) {
    if (index < 0 || static_cast<size_t>(index) >= entries_.size()) {
        selected_ = -1;
        return;
    }
    selected_ = index;
    text_ = entries_[static_cast<size_t>(index)];
}

void FormatHistory::saveFormatHistory(Settings& settings, bool validate) {
    // 1. A typed text that is not yet in the list joins it at the top.
    if (selected_ < 0) {
        bool listed = false;
        for (const std::string& e : entries_) {
            if (e == text_) {
                listed = true;
                break;
            }
        }
        if (!listed && (!validate || isValidFormat(text_))) {
            if (entries_.size() > static_cast<size_t>(kFormatHistoryCount)) {
                entries_.erase(entries_.begin() + (kFormatHistoryCount - 1));
            }
            entries_.insert(entries_.begin(), text_);
        }
    }
    // 2. Without validation the settings keep their previous history.
    if (!validate) return;
    // 3. Only valid patterns stay.
    std::vector<std::string> kept;
    int keptSelected = -1;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (!isValidFormat(entries_[i])) continue;
        if (static_cast<int>(i) == selected_) keptSelected = static_cast<int>(kept.size());
        kept.push_back(entries_[i]);
    }
    // 4. The selected entry first, the others after it in list order.
    if (keptSelected > 0) {
        std::string first = kept[static_cast<size_t>(keptSelected)];
        kept.erase(kept.begin() + keptSelected);
        kept.insert(kept.begin(), first);
    }
    entries_ = kept;
    for (int i = 0; i < kFormatHistoryCount; ++i) {
        settings.setFormatPattern(
            i, static_cast<size_t>(i) < entries_.size() ? entries_[static_cast<size_t>(i)] : std::string());
    }
    if (entries_.empty()) {
        selected_ = -1;
    } else {
        select(0);
    }
}

}  // namespace td
