#include "playlist/view.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <unordered_set>
#include <utility>

#include "playlist/text_format.h"
#include "settings/lang_table.h"
#include "tags/id3v2/frame_table.h"

namespace td {

namespace {

constexpr int kLangShortTime = 123;  // "%2d minutes and %2d seconds"
constexpr int kLangLongTime = 124;   // "%2d hours %2d minutes and %2d seconds"
constexpr int kLangTotalFiles = 115;
constexpr int kLangAverage = 119;
constexpr int kLangSelected = 120;
constexpr int kLangTotal = 121;

int ClampId(int id) { return id >= 0 && id < kColumnCount ? id : 0; }

// A song's length for the totals; a negative length (a damaged playlist
// file) counts as none.
int64_t LengthOf(const SongRecord* entry) {
    if (!entry) return 0;
    return std::max<int32_t>(entry->GetMpegInfo().seconds, 0);
}

size_t LastSeparator(const std::string& name) {
    for (size_t i = name.size(); i-- > 0;) {
        if (name[i] == '\\' || name[i] == '/') return i;
    }
    return std::string::npos;
}

std::string VolumeLabel(const Playlist& playlist, const SongRecord& entry) {
    const VolumeRecord* volume = playlist.volumeOf(&entry);
    if (!volume) return std::string();
    // Records come raw from playlist files: never read past the field.
    const void* end = std::memchr(volume->label, '\0', sizeof(volume->label));
    const size_t length =
        end ? static_cast<size_t>(static_cast<const char*>(end) - volume->label) : sizeof(volume->label);
    return std::string(volume->label, length);
}

std::string Printf(const char* format, long long a) {
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), format, a);
    return buffer;
}

// Case-blind collation of Windows-1252 text. Each byte has a primary weight
// (letters fold to their lower-case base letter, so that accented letters
// sort beside their plain ones) and a secondary weight that tells accents
// apart. Two texts are equal when they differ in letter case only.
struct Collation {
    unsigned char primary[256];
    unsigned char secondary[256];

    Collation() {
        for (int c = 0; c < 256; ++c) {
            primary[c] = static_cast<unsigned char>(c);
            secondary[c] = 0;
        }
        primary[0] = 1;  // the key's own separator stays below every byte
        for (int c = 'A'; c <= 'Z'; ++c) primary[c] = static_cast<unsigned char>(c - 'A' + 'a');
        auto letter = [this](int upper, int lower, char base) {
            const unsigned char weight = static_cast<unsigned char>(lower);
            if (upper >= 0) {
                primary[upper] = static_cast<unsigned char>(base);
                secondary[upper] = weight;
            }
            primary[lower] = static_cast<unsigned char>(base);
            secondary[lower] = weight;
        };
        letter(0x8A, 0x9A, 's');                                 // S with caron
        letter(0x8C, 0x9C, 'o');                                 // OE ligature
        letter(0x8E, 0x9E, 'z');                                 // Z with caron
        letter(0x9F, 0xFF, 'y');                                 // Y with diaeresis
        letter(-1, 0x83, 'f');                                   // f with hook
        const char* bases = "aaaaaaaceeeeiiiidnooooo*ouuuuyts";  // 0xC0 to 0xDF
        for (int i = 0; i < 32; ++i) {
            const int upper = 0xC0 + i;
            if (bases[i] == '*') continue;  // the multiplication sign
            if (upper == 0xDF) {
                letter(-1, 0xDF, 's');  // sharp s has no capital here
                continue;
            }
            letter(upper, upper + 0x20, bases[i]);
        }
    }

    // Sort key: the primary weights, a 0 byte, then the secondary weights
    // (only when the text has accents), appended to `key`. Plain byte-wise
    // comparison of two keys is the collation order.
    void AppendKey(const char* text, size_t size, std::string& key) const {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
        bool accents = false;
        const size_t start = key.size();
        key.resize(start + size + 1);
        char* out = &key[start];
        for (size_t i = 0; i < size; ++i) {
            out[i] = static_cast<char>(primary[bytes[i]]);
            accents = accents || secondary[bytes[i]] != 0;
        }
        out[size] = '\0';
        if (accents) {
            for (size_t i = 0; i < size; ++i) key += static_cast<char>(secondary[bytes[i]]);
        }
    }
    void Key(const std::string& text, std::string& key) const {
        key.clear();
        AppendKey(text.data(), text.size(), key);
    }
};

const Collation& TheCollation() {
    static const Collation collation;
    return collation;
}

int Sign(int64_t value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

// --- what the cells hold -----------------------------------------------------
// A column's text function and, for a numeric column, the number it sorts by.
// Columns without a number sort by the collation of their text.

void TagCell(const ColumnDef& column, const CellOptions& options, const SongRecord& entry,
             std::string& text) {
    // A field the tag lacks shows as one blank.
    text.assign(1, ' ');
    GetTagField(entry, column.frameType, options.viewSource, text);
}

int64_t TagNumber(const ColumnDef& column, const CellOptions& options, const SongRecord& entry) {
    std::string text;
    TagCell(column, options, entry, text);
    return LeadingNumber(text);
}

// A stream information field as it is stored.
template <int32_t MpegInfo::*field>
int64_t MpegNumber(const ColumnDef&, const CellOptions&, const SongRecord& entry) {
    return entry.GetMpegInfo().*field;
}

void ModeCell(const ColumnDef&, const CellOptions&, const SongRecord& entry, std::string& text) {
    const char* name = ChannelModeName(entry.GetMpegInfo().mode);
    text.assign(*name != '\0' ? name : " ");
}

void BitrateCell(const ColumnDef&, const CellOptions&, const SongRecord& entry, std::string& text) {
    text = FormatBitrate(entry.GetMpegInfo());
}

void FrequencyCell(const ColumnDef&, const CellOptions&, const SongRecord& entry, std::string& text) {
    text = Printf("%lldHz", entry.GetMpegInfo().frequency);
}

void LayerCell(const ColumnDef&, const CellOptions&, const SongRecord& entry, std::string& text) {
    text = FormatMpegVersion(entry.GetMpegInfo());
}

void TimeCell(const ColumnDef&, const CellOptions& options, const SongRecord& entry, std::string& text) {
    text = options.secondsOnly ? Printf("%lld", LengthOf(&entry)) : shortTimeText(LengthOf(&entry));
}

void SizeCell(const ColumnDef&, const CellOptions& options, const SongRecord& entry, std::string& text) {
    const uint32_t size = static_cast<uint32_t>(entry.GetMpegInfo().fileSize);
    if (options.sizeUnit == 0) {
        text = Printf("%lld", size);
    } else if (options.sizeUnit == 2) {
        char buffer[64];
        std::snprintf(buffer, sizeof(buffer), "%.2f Mb", size / 1024.0 / 1024.0);
        text = buffer;
    } else {
        text = Printf("%lld kb", size / 1024);
    }
}

int64_t SizeNumber(const ColumnDef&, const CellOptions&, const SongRecord& entry) {
    return static_cast<uint32_t>(entry.GetMpegInfo().fileSize);
}

void FileNameCell(const ColumnDef&, const CellOptions&, const SongRecord& entry, std::string& text) {
    text = entry.GetFileName();
}

void TagKindCell(const ColumnDef&, const CellOptions&, const SongRecord& entry, std::string& text) {
    text = TagKindText(entry.GetTagFlags());
}

int64_t TagKindNumber(const ColumnDef&, const CellOptions&, const SongRecord& entry) {
    return entry.GetTagFlags();
}

void VolumeCell(const ColumnDef&, const CellOptions& options, const SongRecord& entry, std::string& text) {
    text = VolumeLabel(*options.playlist, entry);
}

void PathCell(const ColumnDef&, const CellOptions&, const SongRecord& entry, std::string& text) {
    const std::string& name = entry.GetFileName();
    const size_t slash = LastSeparator(name);
    text.assign(name, 0, slash == std::string::npos ? 0 : slash + 1);
}

void ShortFileNameCell(const ColumnDef&, const CellOptions&, const SongRecord& entry, std::string& text) {
    const std::string& name = entry.GetFileName();
    const size_t slash = LastSeparator(name);
    text.assign(name, slash == std::string::npos ? 0 : slash + 1, std::string::npos);
}

void RatingCell(const ColumnDef&, const CellOptions&, const SongRecord& entry, std::string& text) {
    text = RatingText(entry.GetRating());
}

int64_t RatingNumber(const ColumnDef&, const CellOptions&, const SongRecord& entry) {
    return entry.GetRating();
}

}  // namespace

// Titles are the language table's texts 87 to 102 for the first sixteen
// columns (in the order of that table, not of the ids), then "Volume",
// "Path", "Filename (short)" and "Rating".
const ColumnDef kColumnDefs[kColumnCount] = {
    {87, kColumnArtist, 1, 120, 0, 1, "ARTIST", kTPE1, false, TagCell, nullptr},
    {88, kColumnTitle, 1, 160, 0, 1, "TITLE", kTIT2, false, TagCell, nullptr},
    {92, kColumnGenre, 1, 85, 0, 1, "GENRE", kTCON, false, TagCell, nullptr},
    {90, kColumnYear, 1, 45, 0, 1, "YEAR", kTYER, false, TagCell, nullptr},
    {89, kColumnAlbum, 1, 160, 0, 1, "ALBUM", kTALB, false, TagCell, nullptr},
    {91, kColumnComment, 1, 160, 0, 1, "COMMENT", kCOMM, false, TagCell, nullptr},
    {94, kColumnMode, 1, 75, 0, 0, "MODE", -1, false, ModeCell, nullptr},
    {95, kColumnBitrate, 1, 90, 1, 0, "BITRATE", -1, false, BitrateCell, MpegNumber<&MpegInfo::bitrate>},
    {96, kColumnFrequency, 1, 70, 0, 0, "FREQ", -1, false, FrequencyCell, MpegNumber<&MpegInfo::frequency>},
    {97, kColumnLayer, 1, 100, 0, 0, "LAYER", -1, false, LayerCell, MpegNumber<&MpegInfo::layer>},
    {98, kColumnTime, 1, 50, 1, 0, "TIME", -1, false, TimeCell, MpegNumber<&MpegInfo::seconds>},
    {99, kColumnSize, 1, 80, 1, 0, "SIZE", -1, false, SizeCell, SizeNumber},
    {100, kColumnFileName, 1, 400, 0, 0, "FILENAME", -1, true, FileNameCell, nullptr},
    {93, kColumnTrack, 1, 60, 1, 1, "TRACK", kTRCK, false, TagCell, TagNumber},
    {101, kColumnId3Tag, 1, 80, 0, 0, "ID3TAG", -1, false, TagKindCell, TagKindNumber},
    {102, kColumnBpm, 1, 60, 0, 1, "BPM", kTBPM, false, TagCell, TagNumber},
    {324, kColumnVolume, 0, 80, 0, 0, "HEADER_VOLUMENAME", -1, true, VolumeCell, nullptr},
    {338, kColumnPath, 0, 250, 0, 0, "PATH", -1, true, PathCell, nullptr},
    {339, kColumnShortFileName, 0, 150, 0, 0, "SHORT_FILENAME", -1, true, ShortFileNameCell, nullptr},
    {366, kColumnRating, 0, 100, 0, 0, "RATING", -1, false, RatingCell, RatingNumber},
};

const ColumnDef& columnDef(int id) { return kColumnDefs[ClampId(id)]; }

const char* columnTitle(int id) { return LangTable::getString(columnDef(id).titleText); }

std::string shortTimeText(int64_t seconds) {
    const long long s = std::max<int64_t>(seconds, 0);
    const long long h = s / 3600;
    const long long m = s / 60 % 60;
    char buffer[64];
    if (h > 0) {
        std::snprintf(buffer, sizeof(buffer), "%02lld:%02lld:%02lld", h, m, s % 60);
    } else {
        std::snprintf(buffer, sizeof(buffer), "%02lld:%02lld", m, s % 60);
    }
    return buffer;
}

std::string longTimeText(int64_t seconds) {
    const long long s = std::max<int64_t>(seconds, 0);
    const long long h = s / 3600;
    const long long m = s / 60 % 60;
    if (h > 0) return FormatLangText(LangTable::getString(kLangLongTime), {h, m, s % 60});
    return FormatLangText(LangTable::getString(kLangShortTime), {m, s % 60});
}

const char* viewSourceName(int source) {
    static const char* const kNames[4] = {"ID3v1", "ID3v2", "v2->v1", "v1->v2"};
    return source >= 0 && source < 4 ? kNames[source] : kNames[0];
}

PlaylistView::~PlaylistView() = default;

PlaylistView::PlaylistView(const Playlist& playlist) : playlist_(playlist) {
    std::array<int32_t, kColumnCount> order{}, visible{}, width{};
    for (int id = 0; id < kColumnCount; ++id) {
        order[id] = id;
        visible[id] = kColumnDefs[id].shown;
        width[id] = kColumnDefs[id].width;
    }
    buildColumns(order, visible, width, 0);
}

void PlaylistView::setViewSource(int source) { viewSource_ = source >= 0 && source < 4 ? source : 0; }

void PlaylistView::setSizeUnit(int unit) { sizeUnit_ = unit >= 0 && unit <= 2 ? unit : 1; }

void PlaylistView::applyOptions(const Settings& settings) {
    setViewSource(settings.viewSource());
    showNumber_ = settings.showNumber == 1;
}

// --- columns ----------------------------------------------------------------

void PlaylistView::buildColumns(Settings& settings) {
    buildColumns(settings.getColumnOrder(), settings.getColumnVisible(), settings.getColumnWidth(),
                 settings.getSortKey());
    settings.visibleColumnCount = static_cast<uint32_t>(visibleCount_);
}

void PlaylistView::buildColumns(const std::array<int32_t, kColumnCount>& order,
                                const std::array<int32_t, kColumnCount>& visible,
                                const std::array<int32_t, kColumnCount>& width, int sortKey) {
    bool used[kColumnCount] = {};
    int count = 0;
    auto place = [&](int id) {
        used[id] = true;
        columnIds_[count] = id;
        widths_[count] = std::max<int32_t>(width[id], 0);
        ++count;
    };
    // Shown columns in their order, then the hidden ones; an id that the
    // order lists twice or not at all (a damaged settings file) is taken
    // once, so that every id has exactly one place.
    for (int32_t id : order) {
        if (id >= 0 && id < kColumnCount && !used[id] && visible[id] == 1) place(id);
    }
    visibleCount_ = count;
    for (int32_t id : order) {
        if (id >= 0 && id < kColumnCount && !used[id]) place(id);
    }
    for (int id = 0; id < kColumnCount; ++id) {
        if (!used[id]) place(id);
    }
    const int key = sortKey < 0 ? -sortKey : sortKey;
    sortById(key < kColumnCount ? key : 0, false);
}

int PlaylistView::columnIdAt(int position) const {
    return position >= 0 && position < kColumnCount ? columnIds_[position] : -1;
}

int PlaylistView::positionOfColumn(int id) const {
    for (int i = 0; i < kColumnCount; ++i) {
        if (columnIds_[i] == id) return i;
    }
    return -1;
}

int PlaylistView::columnWidthAt(int position) const {
    return position >= 0 && position < kColumnCount ? widths_[position] : 0;
}

void PlaylistView::setColumnWidthAt(int position, int width) {
    if (position >= 0 && position < kColumnCount) widths_[position] = std::max(width, 0);
}

// --- rows -------------------------------------------------------------------

SongRecord* PlaylistView::entryAt(int row) const {
    return row >= 0 && row < rowCount() ? rows_[static_cast<size_t>(row)].entry : nullptr;
}

int PlaylistView::rowOf(const SongRecord* entry) const {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].entry == entry) return static_cast<int>(i);
    }
    return -1;
}

int PlaylistView::selectEntries(const std::unordered_set<const SongRecord*>& entries) {
    suspendSelectionUpdates(true);
    selectAll(false);
    int first = -1;
    for (int row = 0; row < rowCount() && !entries.empty(); ++row) {
        if (entries.count(rows_[row].entry) == 0) continue;
        setSelected(row, true);
        if (first < 0) first = row;
    }
    suspendSelectionUpdates(false);
    recomputeSelectedLength();
    return first;
}

void PlaylistView::clearRows() {
    rows_.clear();
    totalLength_ = 0;
    selectedLength_ = 0;
}

void PlaylistView::rebuildFromPlaylist() {
    std::vector<SongRecord*> entries;
    entries.reserve(static_cast<size_t>(playlist_.count()));
    for (int i = 0; i < playlist_.count(); ++i) entries.push_back(playlist_.entryAt(i));
    setRows(entries);
}

void PlaylistView::setRows(const std::vector<SongRecord*>& entries) {
    rows_.clear();
    rows_.reserve(entries.size());
    for (SongRecord* entry : entries) {
        if (entry) rows_.push_back({entry, false});
    }
    recomputeTotalLength();
    selectedLength_ = 0;
}

int PlaylistView::appendRow(SongRecord* entry) { return insertRow(rowCount(), entry); }

int PlaylistView::insertRow(int position, SongRecord* entry) {
    if (!entry) return -1;
    position = std::clamp(position, 0, rowCount());
    rows_.insert(rows_.begin() + position, {entry, false});
    totalLength_ += LengthOf(entry);
    return position;
}

bool PlaylistView::removeRow(int row) {
    if (row < 0 || row >= rowCount()) return false;
    const ViewRow& removed = rows_[static_cast<size_t>(row)];
    totalLength_ -= LengthOf(removed.entry);
    if (removed.selected) selectedLength_ -= LengthOf(removed.entry);
    rows_.erase(rows_.begin() + row);
    return true;
}

void PlaylistView::removeRowsOf(const SongRecord* entry) {
    for (int row = rowCount() - 1; row >= 0; --row) {
        if (rows_[static_cast<size_t>(row)].entry == entry) removeRow(row);
    }
}

int PlaylistView::removeRowsOf(const std::unordered_set<const SongRecord*>& entries) {
    if (entries.empty()) return 0;
    size_t kept = 0;
    for (size_t row = 0; row < rows_.size(); ++row) {
        const ViewRow current = rows_[row];
        if (entries.count(current.entry) != 0) {
            totalLength_ -= LengthOf(current.entry);
            if (current.selected) selectedLength_ -= LengthOf(current.entry);
            continue;
        }
        rows_[kept] = current;
        ++kept;
    }
    const int removed = static_cast<int>(rows_.size() - kept);
    rows_.resize(kept);
    // A freed record's address may come back for a new entry: the snapshot
    // must not select that one.
    std::vector<SongRecord*> remembered;
    remembered.reserve(snapshot_.size());
    int counted = 0;
    for (size_t i = 0; i < snapshot_.size(); ++i) {
        if (entries.count(snapshot_[i]) != 0) continue;
        if (static_cast<int>(i) < snapshotCount_) ++counted;
        remembered.push_back(snapshot_[i]);
    }
    snapshot_ = std::move(remembered);
    snapshotCount_ = counted;
    return removed;
}

// --- texts ------------------------------------------------------------------

std::string PlaylistView::cellText(const SongRecord& entry, int id) const {
    if (id < 0 || id >= kColumnCount) return LangTable::getString(kLangNothing);
    const ColumnDef& column = kColumnDefs[id];
    std::string text;
    column.text(column, cellOptions(), entry, text);
    return text;
}

std::string PlaylistView::columnText(const SongRecord& entry, int position, int rowNumber) const {
    const std::string text = cellText(entry, columnIdAt(position));
    if (rowNumber != -1 && showNumber_ && position == 0) {
        return Printf("%lld. ", rowNumber) + text;
    }
    return text;
}

std::string PlaylistView::columnTextById(const SongRecord& entry, int id) const {
    return cellText(entry, id);
}

// --- sorting ----------------------------------------------------------------

int PlaylistView::compareById(const SongRecord& a, const SongRecord& b, int id) const {
    const ColumnDef& column = columnDef(id);
    const CellOptions options = cellOptions();
    if (!column.number) {
        std::string keyA, keyB;
        TheCollation().Key(cellText(a, column.id), keyA);
        TheCollation().Key(cellText(b, column.id), keyB);
        const int result = keyA.compare(keyB);
        return result < 0 ? -1 : (result > 0 ? 1 : 0);
    }
    return Sign(column.number(column, options, a) - column.number(column, options, b));
}

int PlaylistView::compareEntries(const SongRecord& a, const SongRecord& b) const {
    const int result = compareById(a, b, sortId_);
    return descending_ ? -result : result;
}

void PlaylistView::sortByClick(int position, Settings* settings) {
    const int id = columnIdAt(position);
    if (id < 0) return;
    sortById(id, id == sortId_ ? !descending_ : false);
    if (settings) settings->setSortKey(sortId_, descending_);
}

namespace {

// One row while sorting: its key (a number, or the first eight bytes of its
// collation key), its place in the Playlist, and where its full collation key
// lies. Kept small and contiguous so that comparisons stay in the cache.
struct SortItem {
    uint64_t key;
    uint64_t key2;  // text columns: the next eight bytes of the collation key
    uint32_t order;
    uint32_t row;
    uint32_t offset;
    uint32_t length;
};

}  // namespace

struct PlaylistView::SortScratch {
    std::vector<uint32_t> order;  // by row: the entry's index in the Playlist
    std::vector<uint32_t> visit;  // rows in the order their keys are read
    std::vector<std::pair<const SongRecord*, uint32_t>> rowsByAddress;
    // The Playlist's entries by address, kept while the Playlist is unchanged.
    std::vector<std::pair<const SongRecord*, uint32_t>> playlistByAddress;
    uint64_t playlistGeneration = ~uint64_t{0};
    std::vector<SortItem> items;
    std::string arena;  // every row's full collation key, one after the other
    std::vector<ViewRow> sorted;
};

namespace {

uint64_t KeyPrefix(const char* key, size_t length) {
    uint64_t prefix = 0;
    for (size_t i = 0; i < 8; ++i) {
        prefix = prefix << 8 | (i < length ? static_cast<unsigned char>(key[i]) : 0u);
    }
    return prefix;
}

}  // namespace

void PlaylistView::prepareSortOrder() {
    SortScratch& scratch = *scratch_;
    const size_t n = rows_.size();
    std::vector<uint32_t>& order = scratch.order;
    std::vector<uint32_t>& visit = scratch.visit;
    order.resize(n);
    visit.resize(n);
    // Rows that compare equal keep the Playlist's insertion order, in either
    // direction. Usually the rows are the Playlist itself, in its order.
    const int count = playlist_.count();
    bool same = static_cast<size_t>(count) == n;
    for (size_t r = 0; same && r < n; ++r) same = rows_[r].entry == playlist_.entryAt(static_cast<int>(r));
    if (same) {
        std::iota(order.begin(), order.end(), 0u);
        std::iota(visit.begin(), visit.end(), 0u);
        return;
    }
    // Otherwise match rows and entries by address. Reading the records in
    // address order (mostly the order they were made in) is also kinder to
    // the cache than the shuffled order of a sorted view.
    auto& entries = scratch.playlistByAddress;
    if (scratch.playlistGeneration != playlist_.generation() ||
        entries.size() != static_cast<size_t>(count)) {
        entries.clear();
        entries.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) entries.emplace_back(playlist_.entryAt(i), static_cast<uint32_t>(i));
        std::sort(entries.begin(), entries.end());
        scratch.playlistGeneration = playlist_.generation();
    }
    auto& rows = scratch.rowsByAddress;
    rows.resize(n);
    for (size_t r = 0; r < n; ++r) rows[r] = {rows_[r].entry, static_cast<uint32_t>(r)};
    std::sort(rows.begin(), rows.end());
    size_t j = 0;
    for (size_t i = 0; i < n; ++i) {
        const SongRecord* entry = rows[i].first;
        const uint32_t row = rows[i].second;
        while (j < entries.size() && entries[j].first < entry) ++j;
        // A row whose entry is not in the Playlist goes after, by row.
        order[row] = j < entries.size() && entries[j].first == entry ? entries[j].second
                                                                     : static_cast<uint32_t>(count) + row;
        visit[i] = row;
    }
}

void PlaylistView::sortById(int id, bool descending) {
    sortId_ = ClampId(id);
    descending_ = descending;
    const size_t n = rows_.size();
    if (n < 2) return;

    if (!scratch_) scratch_ = std::make_unique<SortScratch>();
    prepareSortOrder();
    const std::vector<uint32_t>& order = scratch_->order;
    const std::vector<uint32_t>& visit = scratch_->visit;
    std::vector<SortItem>& items = scratch_->items;
    items.resize(n);
    std::string& arena = scratch_->arena;
    arena.clear();

    const ColumnDef& column = kColumnDefs[sortId_];
    const CellOptions options = cellOptions();
    if (!column.number) {
        const Collation& collation = TheCollation();
        arena.reserve(n * 64);  // only the pages written are ever mapped
        std::string text;
        for (const uint32_t r : visit) {
            const size_t offset = arena.size();
            column.text(column, options, *rows_[r].entry, text);
            collation.AppendKey(text.data(), text.size(), arena);
            items[r] = {0,
                        0,
                        order[r],
                        static_cast<uint32_t>(r),
                        static_cast<uint32_t>(offset),
                        static_cast<uint32_t>(arena.size() - offset)};
        }
        // Texts often share a long head (every file name starts with the
        // same folder): the sixteen bytes kept inline are taken after it.
        size_t common = items[0].length;
        for (size_t r = 1; r < n && common > 0; ++r) {
            const char* first = arena.data() + items[0].offset;
            const char* other = arena.data() + items[r].offset;
            const size_t limit = std::min<size_t>(common, items[r].length);
            size_t same = 0;
            while (same < limit && first[same] == other[same]) ++same;
            common = same;
        }
        for (SortItem& item : items) {
            const size_t skip = std::min<size_t>(common, item.length);
            const char* rest = arena.data() + item.offset + skip;
            const size_t left = item.length - skip;
            item.key = KeyPrefix(rest, left);
            item.key2 = left > 8 ? KeyPrefix(rest + 8, left - 8) : 0;
        }
        const char* keys = arena.data();
        const size_t inlined = common + 16;
        auto fullCompare = [keys, inlined](const SortItem& a, const SortItem& b) {
            // With equal inline bytes, two keys that fit in them differ in
            // length only (the zero padding stands for their end).
            if (a.length > inlined || b.length > inlined) {
                const int c = std::memcmp(keys + a.offset, keys + b.offset, std::min(a.length, b.length));
                if (c != 0) return c;
            }
            return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
        };
        std::sort(items.begin(), items.end(), [&](const SortItem& a, const SortItem& b) {
            if (a.key != b.key) return descending ? a.key > b.key : a.key < b.key;
            if (a.key2 != b.key2) return descending ? a.key2 > b.key2 : a.key2 < b.key2;
            const int c = fullCompare(a, b);
            if (c != 0) return descending ? c > 0 : c < 0;
            return a.order < b.order;
        });
    } else {
        for (const uint32_t r : visit) {
            // Signed keys, biased so that unsigned order is numeric order;
            // descending flips them so that one comparison serves both ways.
            uint64_t key =
                static_cast<uint64_t>(column.number(column, options, *rows_[r].entry)) ^ (uint64_t{1} << 63);
            if (descending) key = ~key;
            items[r] = {key, 0, order[r], static_cast<uint32_t>(r), 0, 0};
        }
        std::sort(items.begin(), items.end(), [](const SortItem& a, const SortItem& b) {
            return a.key != b.key ? a.key < b.key : a.order < b.order;
        });
    }

    std::vector<ViewRow>& sorted = scratch_->sorted;
    sorted.clear();
    sorted.reserve(n);
    for (size_t i = 0; i < n; ++i) sorted.push_back(rows_[items[i].row]);
    rows_.swap(sorted);
}

// --- selection and totals ---------------------------------------------------

bool PlaylistView::isSelected(int row) const {
    return row >= 0 && row < rowCount() && rows_[static_cast<size_t>(row)].selected;
}

void PlaylistView::setSelected(int row, bool selected) {
    if (row < 0 || row >= rowCount()) return;
    ViewRow& target = rows_[static_cast<size_t>(row)];
    if (target.selected == selected) return;
    target.selected = selected;
    if (!selectionSuspended_) {
        selectedLength_ += selected ? LengthOf(target.entry) : -LengthOf(target.entry);
    }
}

void PlaylistView::selectAll(bool selected) {
    for (int row = 0; row < rowCount(); ++row) setSelected(row, selected);
}

int PlaylistView::selectedCount() const {
    return static_cast<int>(
        std::count_if(rows_.begin(), rows_.end(), [](const ViewRow& row) { return row.selected; }));
}

std::vector<SongRecord*> PlaylistView::selectedEntries() const {
    std::vector<SongRecord*> entries;
    for (const ViewRow& row : rows_) {
        if (row.selected) entries.push_back(row.entry);
    }
    return entries;
}

int64_t PlaylistView::averageLength() const {
    return rows_.empty() ? 0 : totalLength_ / static_cast<int64_t>(rows_.size());
}

void PlaylistView::recomputeTotalLength() {
    totalLength_ = 0;
    for (const ViewRow& row : rows_) totalLength_ += LengthOf(row.entry);
}

void PlaylistView::recomputeSelectedLength() {
    selectedLength_ = 0;
    for (const ViewRow& row : rows_) {
        if (row.selected) selectedLength_ += LengthOf(row.entry);
    }
}

std::string PlaylistView::statusText(int part) const {
    switch (part) {
    case kStatusFiles: return FormatLangText(LangTable::getString(kLangTotalFiles), {rowCount()});
    case kStatusSource: return viewSourceName(viewSource_);
    case kStatusAverage:
        return FormatLangText(LangTable::getString(kLangAverage), {shortTimeText(averageLength())});
    case kStatusTotal: return FormatLangText(LangTable::getString(kLangTotal), {longTimeText(totalLength_)});
    case kStatusSelected:
        return FormatLangText(LangTable::getString(kLangSelected), {shortTimeText(selectedLength_)});
    default: return std::string();
    }
}

// --- selection snapshot -----------------------------------------------------

void PlaylistView::takeSnapshot() {
    snapshotCount_ = selectedCount();
    if (snapshotCount_ >= 1) snapshot_ = selectedEntries();
}

void PlaylistView::restoreSnapshot() {
    const bool wasSuspended = selectionSuspended_;
    selectionSuspended_ = true;
    selectAll(false);
    const size_t count = std::min(static_cast<size_t>(std::max(snapshotCount_, 0)), snapshot_.size());
    const std::unordered_set<const SongRecord*> wanted(
        snapshot_.begin(), snapshot_.begin() + static_cast<std::ptrdiff_t>(count));
    if (!wanted.empty()) {
        for (int row = 0; row < rowCount(); ++row) {
            if (wanted.count(rows_[static_cast<size_t>(row)].entry) != 0) setSelected(row, true);
        }
    }
    selectionSuspended_ = wasSuspended;
    recomputeSelectedLength();
}

void PlaylistView::clearSnapshot() {
    snapshot_.clear();
    snapshotCount_ = 0;
}

}  // namespace td
