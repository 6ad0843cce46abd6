#include "playlist/filter_search.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/text_codec.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/settings.h"
#include "tags/id3v2/frame_table.h"
#include "tags/song_record.h"

namespace td {

namespace {

// --- fields -----------------------------------------------------------------

// The searchable fields in the order the search tries them.
constexpr uint32_t kFieldBits[6] = {kSearchArtist,  kSearchTitle,    kSearchAlbum,
                                    kSearchComment, kSearchFileName, kSearchYear};
constexpr int kFieldTypes[6] = {kTPE1, kTIT2, kTALB, kCOMM, -1, kTYER};

void ReadSearchField(const SongRecord& entry, int field, int viewSource, std::string& text) {
    text.clear();
    if (kFieldTypes[field] < 0) {
        text = entry.GetFileName();
    } else {
        GetTagField(entry, kFieldTypes[field], viewSource, text);
    }
}

std::string TagText(const SongRecord& entry, int type, int viewSource) {
    std::string text;
    GetTagField(entry, type, viewSource, text);
    return text;
}

bool EqualsNonEmpty(const SongRecord& entry, int type, int viewSource, const std::string& wanted) {
    const std::string value = TagText(entry, type, viewSource);
    return !value.empty() && value == wanted;
}

}  // namespace

// --- explorer filter ----------------------------------------------------------

bool ExplorerFilter::operator==(const ExplorerFilter& o) const {
    return mask == o.mask && artist == o.artist && album == o.album && comment == o.comment &&
           tagKind == o.tagKind && channelMode == o.channelMode && rating == o.rating && genre == o.genre;
}

bool passesFilter(const SongRecord& entry, const ExplorerFilter& filter, const GenreTable& genres,
                  int viewSource) {
    switch (filter.mask) {
    case kFilterNone: return true;
    case kFilterGenre: return genres.flagOf(entryGenreIndex(entry, viewSource));
    case kFilterArtist: return EqualsNonEmpty(entry, kTPE1, viewSource, filter.artist);
    case kFilterAlbum: return EqualsNonEmpty(entry, kTALB, viewSource, filter.album);
    case kFilterComment: return EqualsNonEmpty(entry, kCOMM, viewSource, filter.comment);
    case kFilterTagKind: return static_cast<int>(entry.GetTagFlags() & 3) == filter.tagKind;
    case kFilterMode: return entry.GetMpegInfo().mode == filter.channelMode;
    case kFilterRating: return entry.GetRating() == filter.rating;
    default: return false;  // not one of the masks: a filter nothing can pass
    }
}

// --- search -------------------------------------------------------------------

PreparedSearch prepareSearch(std::string_view text, uint32_t searchFields) {
    PreparedSearch search;
    search.fields = searchFields;
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    search.text = std::string(text.substr(0, std::min(text.size(), kSearchTextLimit)));
    if (!search.matchCase()) text::FoldCase(search.text);
    return search;
}

bool matchesSearch(const SongRecord& entry, const PreparedSearch& search, int viewSource) {
    std::string value;
    for (int field = 0; field < 6; ++field) {
        if (!(search.fields & kFieldBits[field])) continue;
        ReadSearchField(entry, field, viewSource, value);
        if (!search.matchCase()) text::FoldCase(value);
        if (value.find(search.text) != std::string::npos) return true;
    }
    return false;
}

std::shared_ptr<const SearchIndex> SearchIndex::build(const Playlist& playlist, int viewSource,
                                                      uint32_t searchFields,
                                                      const std::atomic<bool>* cancel) {
    std::shared_ptr<SearchIndex> index(new SearchIndex());
    index->viewSource_ = viewSource;
    index->fields_ = searchFields & (kSearchFieldMask | kSearchMatchCase);
    const bool fold = !(searchFields & kSearchMatchCase);
    const int count = playlist.count();
    index->entries_.reserve(count);
    index->starts_.reserve(static_cast<size_t>(count) + 1);
    index->block_.reserve(static_cast<size_t>(count) * 64);
    std::string value;
    for (int i = 0; i < count; ++i) {
        if (cancel && cancel->load(std::memory_order_relaxed)) return nullptr;
        const SongRecord* entry = playlist.entryAt(i);
        index->entries_.push_back(entry);
        index->starts_.push_back(static_cast<uint32_t>(index->block_.size()));
        if (!entry) continue;
        for (int field = 0; field < 6; ++field) {
            if (!(searchFields & kFieldBits[field])) continue;
            ReadSearchField(*entry, field, viewSource, value);
            // A search text never holds a NUL, so no match can run from one
            // field into the next.
            const size_t start = index->block_.size();
            index->block_ += value;
            if (fold && !value.empty()) text::FoldCase(&index->block_[start], value.size());
            index->block_ += '\0';
        }
        if (index->block_.size() > 0xFFFFFFF0u) return nullptr;  // beyond 32-bit offsets
    }
    index->starts_.push_back(static_cast<uint32_t>(index->block_.size()));
    for (unsigned char c : index->block_) ++index->byteCounts_[c];
    return index;
}

bool SearchIndex::serves(const Playlist& playlist, int viewSource, uint32_t searchFields) const {
    if (viewSource != viewSource_) return false;
    if ((searchFields & (kSearchFieldMask | kSearchMatchCase)) != fields_) return false;
    if (playlist.count() != entryCount()) return false;
    for (int i = 0; i < entryCount(); ++i) {
        if (playlist.entryAt(i) != entries_[i]) return false;
    }
    return true;
}

void SearchIndex::find(const PreparedSearch& search, std::vector<uint8_t>& hits) const {
    const size_t count = entries_.size();
    hits.assign(count, 0);
    if ((fields_ & kSearchFieldMask) == 0) return;  // no field: nothing matches
    if (search.text.empty()) {
        for (size_t i = 0; i < count; ++i) hits[i] = entries_[i] != nullptr;
        return;
    }
    const char* const begin = block_.data();
    const char* const end = begin + block_.size();
    const char* const needle = search.text.data();
    const size_t m = search.text.size();
    // Look for the needle's rarest byte in this block (memchr runs through
    // the text many bytes at a time), then compare the rest in place.
    size_t anchor = 0;
    for (size_t k = 1; k < m; ++k) {
        if (byteCounts_[static_cast<unsigned char>(needle[k])] <
            byteCounts_[static_cast<unsigned char>(needle[anchor])]) {
            anchor = k;
        }
    }
    if (byteCounts_[static_cast<unsigned char>(needle[anchor])] == 0) return;  // cannot occur
    const char anchorByte = needle[anchor];
    const char* from = begin;
    size_t entry = 0;
    while (static_cast<size_t>(end - from) >= m) {
        // The anchor of a match starting at `from` or later lies at
        // from + anchor or later, and no later than end - m + anchor.
        const char* scan = from + anchor;
        const void* found = std::memchr(scan, anchorByte, static_cast<size_t>(end - m + anchor + 1 - scan));
        if (!found) break;
        const char* start = static_cast<const char*>(found) - anchor;
        if (std::memcmp(start, needle, m) != 0) {
            from = start + 1;
            continue;
        }
        const uint32_t offset = static_cast<uint32_t>(start - begin);
        // Hits come in ascending order: walk forward to the entry holding it.
        while (entry + 1 < starts_.size() && starts_[entry + 1] <= offset) ++entry;
        if (entry >= count) break;
        hits[entry] = 1;
        from = begin + starts_[entry + 1];  // the rest of this entry cannot add anything
    }
}

std::shared_ptr<const FilterVerdicts> FilterVerdicts::build(const Playlist& playlist,
                                                            const ExplorerFilter& filter,
                                                            const GenreTable& genres, int viewSource) {
    auto verdicts = std::make_shared<FilterVerdicts>();
    verdicts->filter = filter;
    verdicts->genres = genres;
    verdicts->viewSource = viewSource;
    const int count = playlist.count();
    verdicts->entries.reserve(count);
    verdicts->pass.reserve(count);
    for (int i = 0; i < count; ++i) {
        const SongRecord* entry = playlist.entryAt(i);
        verdicts->entries.push_back(entry);
        verdicts->pass.push_back(entry && passesFilter(*entry, filter, genres, viewSource));
    }
    return verdicts;
}

bool FilterVerdicts::answers(const ExplorerFilter& f, const GenreTable& g, int source) const {
    if (source != viewSource || f != filter) return false;
    for (int i = 0; i < kGenreSlotCount; ++i) {
        if (g.slots[i].flag != genres.slots[i].flag) return false;
    }
    return true;
}

bool collectRows(const RowQuery& query, const SearchIndex* index, std::vector<SongRecord*>& rows,
                 const std::atomic<bool>* cancel, std::atomic<int>* progress) {
    rows.clear();
    if (!query.playlist) return true;
    const Playlist& playlist = *query.playlist;
    const int count = playlist.count();
    std::vector<uint8_t> hits;
    const bool useIndex =
        query.searching && index && index->serves(playlist, query.viewSource, query.search.fields);
    if (useIndex) index->find(query.search, hits);
    const FilterVerdicts* verdicts =
        query.filter.mask != kFilterNone && query.verdicts &&
                query.verdicts->answers(query.filter, query.genres, query.viewSource)
            ? query.verdicts.get()
            : nullptr;
    for (int i = 0; i < count; ++i) {
        // The stop request is looked at before every entry, as the window's
        // quit event would be.
        if (cancel && cancel->load(std::memory_order_relaxed)) return false;
        if (progress) progress->store(i + 1, std::memory_order_relaxed);
        SongRecord* entry = playlist.entryAt(i);
        if (!entry) continue;
        if (query.searching) {
            const bool match =
                useIndex ? hits[i] != 0 : matchesSearch(*entry, query.search, query.viewSource);
            if (!match) continue;
        }
        // Verdicts stand for the entry they were worked out on only.
        const bool known =
            verdicts && static_cast<size_t>(i) < verdicts->entries.size() && verdicts->entries[i] == entry;
        const bool pass = known ? verdicts->pass[i] != 0
                                : passesFilter(*entry, query.filter, query.genres, query.viewSource);
        if (!pass) continue;
        rows.push_back(entry);
    }
    return true;
}

// --- worker -------------------------------------------------------------------

SearchWorker::~SearchWorker() { stop(); }

void SearchWorker::join() {
    thread_.join();
    running_.store(false);
}

void SearchWorker::stop() {
    cancel_.store(true);
    join();
    std::lock_guard<std::mutex> lock(resultMutex_);
    resultReady_ = false;
    result_ = Result();
}

void SearchWorker::wait() { join(); }

uint64_t SearchWorker::start(RowQuery query, std::shared_ptr<const SearchIndex> index,
                             std::function<void(uint64_t)> finished) {
    stop();
    const uint64_t generation = ++generation_;
    cancel_.store(false);
    progress_.store(0);
    total_.store(query.playlist ? query.playlist->count() : 0);
    running_.store(true);
    auto body = std::make_shared<std::function<void()>>(
        [this, generation, query = std::move(query), index = std::move(index),
         finished = std::move(finished)]() mutable { run(generation, query, std::move(index), finished); });
    // No thread to be had: the same search on this thread still gives the
    // rows, only without keeping the window free meanwhile.
    if (!thread_.start([body] { (*body)(); })) (*body)();
    return generation;
}

void SearchWorker::run(uint64_t generation, const RowQuery& query, std::shared_ptr<const SearchIndex> index,
                       const std::function<void(uint64_t)>& finished) {
    if (query.searching && query.playlist &&
        (!index || !index->serves(*query.playlist, query.viewSource, query.search.fields))) {
        // Without an index (stopped, or too large) collectRows tests entry by
        // entry.
        index = SearchIndex::build(*query.playlist, query.viewSource, query.search.fields, &cancel_);
    }
    std::vector<SongRecord*> rows;
    if (cancel_.load() || !collectRows(query, index.get(), rows, &cancel_, &progress_)) {
        running_.store(false);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(resultMutex_);
        result_.generation = generation;
        result_.rows = std::move(rows);
        result_.index = std::move(index);
        resultReady_ = true;
    }
    running_.store(false);
    if (finished) finished(generation);
}

bool SearchWorker::takeResult(Result& result) {
    std::lock_guard<std::mutex> lock(resultMutex_);
    if (!resultReady_ || result_.generation != generation_) return false;
    result = std::move(result_);
    result_ = Result();
    resultReady_ = false;
    return true;
}

// --- the window's state -------------------------------------------------------

FilterSearch::FilterSearch(const Playlist& playlist) : playlist_(playlist) {}

FilterSearch::~FilterSearch() { worker_.stop(); }

void FilterSearch::applySettings(const Settings& settings) {
    setViewSource(settings.viewSource());
    setSearchFields(settings.searchFields);
}

void FilterSearch::setViewSource(int source) { viewSource_ = source >= 0 && source < 4 ? source : 0; }

void FilterSearch::setSearchFields(uint32_t fields) {
    searchFields_ = fields & (kSearchFieldMask | kSearchMatchCase);
}

void FilterSearch::setSearchText(std::string_view text) {
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    searchText_ = std::string(text.substr(0, std::min(text.size(), kSearchTextLimit)));
}

void FilterSearch::recountGenres() {
    // A search still reading the old content would give rows of it.
    worker_.stop();
    index_.reset();
    verdicts_.reset();
    td::recountGenres(playlist_, viewSource_, genres_);
    if (filter_.mask == kFilterGenre) {
        genres_.setAllFlags(false);
        if (filter_.genre >= 0 && filter_.genre < kGenreSlotCount) {
            genres_.slots[filter_.genre].flag = true;
        }
    }
}

void FilterSearch::invalidateIndex() {
    index_.reset();
    verdicts_.reset();
}

bool FilterSearch::passesFilter(const SongRecord& entry) const {
    return td::passesFilter(entry, filter_, genres_, viewSource_);
}

bool FilterSearch::matchesSearch(const SongRecord& entry, const PreparedSearch& search) const {
    return td::matchesSearch(entry, search, viewSource_);
}

std::vector<SongRecord*> FilterSearch::rowsAmong(const std::vector<SongRecord*>& entries) const {
    const RowQuery q = query();
    std::vector<SongRecord*> shown;
    shown.reserve(entries.size());
    for (SongRecord* entry : entries) {
        if (!entry || !passesFilter(*entry)) continue;
        if (q.searching && !matchesSearch(*entry, q.search)) continue;
        shown.push_back(entry);
    }
    return shown;
}

RowQuery FilterSearch::query() const {
    RowQuery q;
    q.playlist = &playlist_;
    q.filter = filter_;
    q.genres = genres_;
    q.viewSource = viewSource_;
    q.searching = !searchText_.empty();
    if (q.searching) q.search = prepareSearch(searchText_, searchFields_);
    return q;
}

std::shared_ptr<const SearchIndex> FilterSearch::index() {
    if (!index_ || !index_->serves(playlist_, viewSource_, searchFields_)) {
        index_ = SearchIndex::build(playlist_, viewSource_, searchFields_);
    }
    return index_;
}

std::shared_ptr<const FilterVerdicts> FilterSearch::verdicts() {
    if (filter_.mask == kFilterNone) return nullptr;
    if (!verdicts_ || !verdicts_->answers(filter_, genres_, viewSource_) ||
        verdicts_->entries.size() != static_cast<size_t>(playlist_.count())) {
        verdicts_ = FilterVerdicts::build(playlist_, filter_, genres_, viewSource_);
    }
    return verdicts_;
}

std::vector<SongRecord*> FilterSearch::rows() {
    RowQuery q = query();
    q.verdicts = verdicts();
    std::shared_ptr<const SearchIndex> idx;
    if (q.searching) idx = index();
    std::vector<SongRecord*> out;
    collectRows(q, idx.get(), out);
    return out;
}

void FilterSearch::refilter(PlaylistView& view) { view.setRows(rows()); }

uint64_t FilterSearch::startSearch(PlaylistView& view, std::function<void(uint64_t)> finished) {
    worker_.stop();
    if (searchText_.empty()) {
        refilter(view);
        return 0;
    }
    std::shared_ptr<const SearchIndex> idx = index_;
    RowQuery q = query();
    q.verdicts = verdicts();
    return worker_.start(std::move(q), std::move(idx), std::move(finished));
}

bool FilterSearch::finishSearch(PlaylistView& view) {
    if (worker_.running()) {
        worker_.stop();
        refilter(view);
        return true;
    }
    return applySearchResult(view);
}

bool FilterSearch::applySearchResult(PlaylistView& view) {
    SearchWorker::Result result;
    if (!worker_.takeResult(result)) return false;
    if (result.index) index_ = result.index;
    view.setRows(result.rows);
    return true;
}

}  // namespace td
