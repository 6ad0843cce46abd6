#include "wizards/duplicates.h"

#include "platform/text_codec.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <set>
#include <unordered_map>
#include <utility>

#include "platform/prompter.h"
#include "playlist/filter_search.h"
#include "playlist/playlist.h"
#include "playlist/text_format.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "tags/id3v2/frame_table.h"
#include "tags/song_record.h"

namespace td {

namespace {

constexpr int kLangBadNumber = 228;  // "Bad number format !!!"
constexpr int kLangTimeRange = 229;  // "Time value error: Enter number between %d to %d"
constexpr int kLangSizeRange = 230;  // "File size value error: Enter number between %d%% to %d%%"

std::string Field(const SongRecord& entry, int type, int viewSource) {
    std::string text;
    GetTagField(entry, type, viewSource, text);
    return text;
}

void AppendKeyPart(std::string& key, const std::string& part) {
    const uint32_t length = static_cast<uint32_t>(part.size());
    key.append(reinterpret_cast<const char*>(&length), sizeof length);
    key += part;
}

// The normalised text of the equality criteria: entries with equal keys
// agree on every one of them, and only those.
std::string EqualityKey(const SongRecord& entry, uint32_t fields, int viewSource) {
    std::string key;
    if (fields & kDuplicateArtistTitle) {
        AppendKeyPart(key, Field(entry, kTPE1, viewSource));
        AppendKeyPart(key, Field(entry, kTIT2, viewSource));
    }
    if (fields & kDuplicateFileName) AppendKeyPart(key, foldedPath(entry.GetFileName()));
    if (fields & kDuplicateGenre) AppendKeyPart(key, Field(entry, kTCON, viewSource));
    return key;
}

struct Item {
    int index;  // Playlist position
    int64_t length;
    uint32_t size;
};

// Marks the members of one group (equal on every equality criterion) that
// have a partner within it by the tolerance criteria.
void MarkGroup(std::vector<Item>& group, const DuplicateOptions& options, std::vector<uint8_t>& marks) {
    if (group.size() < 2) return;
    const bool byLength = options.fields & kDuplicateLength;
    const bool bySize = options.fields & kDuplicateSize;
    if (!byLength && !bySize) {
        for (const Item& item : group) marks[item.index] = 1;
        return;
    }
    if (byLength && options.seconds < 0) return;  // no two lengths are that close
    if (bySize && options.percent > 100) return;  // not even equal sizes
    if (byLength && !bySize) {
        // The nearest length is a neighbour in length order.
        std::sort(group.begin(), group.end(),
                  [](const Item& a, const Item& b) { return a.length < b.length; });
        for (size_t i = 0; i < group.size(); ++i) {
            const bool before = i > 0 && lengthsClose(group[i - 1].length, group[i].length, options.seconds);
            const bool after =
                i + 1 < group.size() && lengthsClose(group[i].length, group[i + 1].length, options.seconds);
            if (before || after) marks[group[i].index] = 1;
        }
        return;
    }
    std::sort(group.begin(), group.end(), [](const Item& a, const Item& b) { return a.size < b.size; });
    if (!byLength) {
        // The closest size ratio is with a neighbour in size order.
        for (size_t i = 0; i < group.size(); ++i) {
            const bool before = i > 0 && sizesClose(group[i - 1].size, group[i].size, options.percent);
            const bool after =
                i + 1 < group.size() && sizesClose(group[i].size, group[i + 1].size, options.percent);
            if (before || after) marks[group[i].index] = 1;
        }
        return;
    }
    // Both: the sizes close to item k form a window [lo, hi] of the size
    // order whose ends only move forward as k does. The window's lengths are
    // kept sorted; k has a partner when at least two of them (k's own and
    // another) lie within `seconds` of k's length.
    const int64_t p = options.percent;
    const size_t m = group.size();
    std::multiset<int64_t> lengths;
    size_t lo = 0, hi = 0;  // window is [lo, hi)
    for (size_t k = 0; k < m; ++k) {
        const int64_t s = group[k].size;
        while (hi < m && p * static_cast<int64_t>(group[hi].size) <= 100 * s) {
            lengths.insert(group[hi].length);
            ++hi;
        }
        while (lo < hi && 100 * static_cast<int64_t>(group[lo].size) < p * s) {
            lengths.erase(lengths.find(group[lo].length));
            ++lo;
        }
        const int64_t length = group[k].length;
        auto it = lengths.lower_bound(length - options.seconds);
        int within = 0;
        while (it != lengths.end() && *it <= length + options.seconds && within < 2) {
            ++within;
            ++it;
        }
        if (within >= 2) marks[group[k].index] = 1;
    }
}

// An unsigned number as the dialog's number boxes give it: digits, blanks
// around them allowed. False when it is not one or does not fit 32 bits.
bool ParseBoxNumber(const std::string& text, uint32_t& value) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return false;
    size_t end = text.find_last_not_of(" \t") + 1;
    uint64_t number = 0;
    for (size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        number = number * 10 + static_cast<uint64_t>(c - '0');
        if (number > 0xFFFFFFFFull) return false;
    }
    value = static_cast<uint32_t>(number);
    return true;
}

void Inform(Prompter& prompter, const std::string& text) {
    prompter.Message(text, LangTable::getString(kLangInformation), PromptButtons::Ok,
                     PromptIcon::Information);
}

}  // namespace

DuplicateOptions DuplicateOptions::fromSettings(const Settings& settings) {
    DuplicateOptions options;
    options.fields = settings.duplicateFields & kDuplicateFieldMask;
    options.seconds = settings.duplicateSeconds;
    options.percent = settings.duplicatePercent;
    return options;
}

bool lengthsClose(int64_t a, int64_t b, int seconds) {
    const int64_t difference = a > b ? a - b : b - a;
    return difference <= seconds;
}

bool sizesClose(uint32_t a, uint32_t b, int percent) {
    const uint64_t smaller = std::min(a, b);
    const uint64_t larger = std::max(a, b);
    if (percent <= 0) return true;
    return smaller * 100 >= static_cast<uint64_t>(percent) * larger;
}

int64_t duplicateLength(const SongRecord& entry) { return std::max<int32_t>(entry.GetMpegInfo().seconds, 0); }

uint32_t duplicateSize(const SongRecord& entry) {
    return static_cast<uint32_t>(entry.GetMpegInfo().fileSize);
}

std::string foldedPath(const std::string& path) {
#ifdef _WIN32
    return text::FoldedCase(path);
#else
    std::string out = path;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
#endif
}

bool entriesMatch(const SongRecord& a, const SongRecord& b, const DuplicateOptions& options, int viewSource) {
    const uint32_t fields = options.fields & kDuplicateFieldMask;
    if (fields == 0) return false;
    if (fields & kDuplicateArtistTitle) {
        if (Field(a, kTPE1, viewSource) != Field(b, kTPE1, viewSource)) return false;
        if (Field(a, kTIT2, viewSource) != Field(b, kTIT2, viewSource)) return false;
    }
    if ((fields & kDuplicateFileName) && foldedPath(a.GetFileName()) != foldedPath(b.GetFileName())) {
        return false;
    }
    if ((fields & kDuplicateGenre) && Field(a, kTCON, viewSource) != Field(b, kTCON, viewSource)) {
        return false;
    }
    if ((fields & kDuplicateLength) &&
        !lengthsClose(duplicateLength(a), duplicateLength(b), options.seconds)) {
        return false;
    }
    if ((fields & kDuplicateSize) && !sizesClose(duplicateSize(a), duplicateSize(b), options.percent)) {
        return false;
    }
    return true;
}

std::vector<SongRecord*> findDuplicates(const Playlist& playlist, int viewSource,
                                        const DuplicateOptions& options) {
    std::vector<SongRecord*> rows;
    const int n = playlist.count();
    const uint32_t fields = options.fields & kDuplicateFieldMask;
    if (n < 2 || fields == 0) return rows;

    std::vector<std::vector<Item>> groups;
    const uint32_t equality = fields & (kDuplicateArtistTitle | kDuplicateFileName | kDuplicateGenre);
    if (equality == 0) {
        groups.emplace_back();
        groups.back().reserve(static_cast<size_t>(n));
    }
    std::unordered_map<std::string, size_t> groupOf;
    if (equality != 0) groupOf.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const SongRecord* entry = playlist.entryAt(i);
        if (!entry) continue;
        const Item item{i, duplicateLength(*entry), duplicateSize(*entry)};
        if (equality == 0) {
            groups[0].push_back(item);
            continue;
        }
        const auto inserted = groupOf.emplace(EqualityKey(*entry, fields, viewSource), groups.size());
        if (inserted.second) groups.emplace_back();
        groups[inserted.first->second].push_back(item);
    }

    std::vector<uint8_t> marks(static_cast<size_t>(n), 0);
    for (std::vector<Item>& group : groups) MarkGroup(group, options, marks);
    for (int i = 0; i < n; ++i) {
        if (marks[i]) rows.push_back(playlist.entryAt(i));
    }
    return rows;
}

bool duplicatesDialogOk(uint32_t checked, const std::string& secondsText, const std::string& percentText,
                        Settings& settings, Prompter& prompter) {
    settings.duplicateFields = checked & kDuplicateFieldMask;
    if (settings.duplicateFields == 0) {
        Inform(prompter, LangTable::getString(kLangExplorerFieldPresent));
        return false;
    }
    uint32_t seconds = 0;
    uint32_t percent = 0;
    if (checked & kDuplicateLength) {
        if (!ParseBoxNumber(secondsText, seconds)) {
            Inform(prompter, LangTable::getString(kLangBadNumber));
            return false;
        }
        if (seconds > static_cast<uint32_t>(kDuplicateSecondsMax)) {
            Inform(prompter, FormatLangText(LangTable::getString(kLangTimeRange),
                                            {kDuplicateSecondsMin, kDuplicateSecondsMax}));
            return false;
        }
        settings.duplicateSeconds = static_cast<int32_t>(seconds);
    }
    if (checked & kDuplicateSize) {
        if (!ParseBoxNumber(percentText, percent)) {
            Inform(prompter, LangTable::getString(kLangBadNumber));
            return false;
        }
        if (percent < static_cast<uint32_t>(kDuplicatePercentMin) ||
            percent > static_cast<uint32_t>(kDuplicatePercentMax)) {
            Inform(prompter, FormatLangText(LangTable::getString(kLangSizeRange),
                                            {kDuplicatePercentMin, kDuplicatePercentMax}));
            return false;
        }
        settings.duplicatePercent = static_cast<int32_t>(percent);
    }
    return true;
}

}  // namespace td
