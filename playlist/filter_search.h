// Which Playlist entries the list shows: the explorer filter (one value of one
// field, chosen in the explorer tree) and the text search (a text that must
// occur in one of the chosen fields). Portable; the window feeds it the
// search box's text and the tree's selection and shows the rows it gives.
//
// A search runs either on the calling thread (refilter) or on a worker that a
// new search text restarts (startSearch); both produce the same rows. Typing
// into the search box over a large list is served by a search index: the
// chosen fields of every entry, prepared once and searched as one block.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/thread.h"
#include "playlist/statistics.h"

namespace td {

class Playlist;
class PlaylistView;
class Settings;
class SongRecord;

// --- the explorer filter ----------------------------------------------------

enum ExplorerFilterMask : uint32_t {
    kFilterNone = 0,
    kFilterGenre = 1,
    kFilterArtist = 2,
    kFilterAlbum = 4,
    kFilterComment = 8,
    kFilterTagKind = 16,
    kFilterMode = 32,
    kFilterRating = 64,
};

struct ExplorerFilter {
    uint32_t mask = kFilterNone;  // 0 or exactly one kFilter* value
    std::string artist;           // equal byte for byte, case counts
    std::string album;
    std::string comment;
    int tagKind = -1;      // tag flags 0..3
    int channelMode = -1;  // 0..3
    int rating = -1;       // 0..5
    int genre = -1;        // the chosen genre index while mask is kFilterGenre

    void reset() { *this = ExplorerFilter(); }
    bool operator==(const ExplorerFilter& other) const;
    bool operator!=(const ExplorerFilter& other) const { return !(*this == other); }
};

// The explorer test. A genre filter passes the entries whose genre's flag is
// set in `genres`; the other masks compare the entry's own value.
bool passesFilter(const SongRecord& entry, const ExplorerFilter& filter, const GenreTable& genres,
                  int viewSource);

// --- the text search --------------------------------------------------------

// searchFields bits.
enum SearchFieldBits : uint32_t {
    kSearchArtist = 1,
    kSearchTitle = 2,
    kSearchAlbum = 4,
    kSearchComment = 8,
    kSearchFileName = 16,
    kSearchYear = 32,
    kSearchMatchCase = 64,
    kSearchFieldMask = 63,
};
// The search box is read with at most this many characters.
constexpr size_t kSearchTextLimit = 40;

// The search text as compared: cut to kSearchTextLimit bytes (and at a NUL,
// which no edit box holds), lowered unless the case must match.
struct PreparedSearch {
    std::string text;
    uint32_t fields = 0;  // searchFields, bit 6 included
    bool matchCase() const { return (fields & kSearchMatchCase) != 0; }
};
PreparedSearch prepareSearch(std::string_view text, uint32_t searchFields);

// The text test: `search.text` occurs in one of the chosen fields. No field
// chosen: no match.
bool matchesSearch(const SongRecord& entry, const PreparedSearch& search, int viewSource);

// The chosen fields of every entry of a Playlist, prepared for searching (the
// case folded unless it must match), in one block. It reflects the entries
// and tags as they were when it was built: the owner drops it whenever the
// Playlist's content or tags may have changed.
class SearchIndex {
public:
    // Null when `cancel` was raised while it was being built.
    static std::shared_ptr<const SearchIndex> build(const Playlist& playlist, int viewSource,
                                                    uint32_t searchFields,
                                                    const std::atomic<bool>* cancel = nullptr);

    // True when it answers searches of these options over exactly these
    // entries (same records in the same order).
    bool serves(const Playlist& playlist, int viewSource, uint32_t searchFields) const;
    int entryCount() const { return static_cast<int>(entries_.size()); }
    // Marks (1) the entries whose prepared fields contain `search.text`, by
    // Playlist position. `hits` gets entryCount() elements.
    void find(const PreparedSearch& search, std::vector<uint8_t>& hits) const;
    size_t byteSize() const { return block_.size(); }

private:
    SearchIndex() = default;

    int viewSource_ = 0;
    uint32_t fields_ = 0;  // the six field bits and the case bit
    std::vector<const SongRecord*> entries_;
    std::string block_;                     // fields joined by NULs, entry after entry
    std::vector<uint32_t> starts_;          // entry i spans [starts_[i], starts_[i + 1])
    std::array<size_t, 256> byteCounts_{};  // how often each byte occurs in the block
};

// The explorer test's answer for every entry, worked out once per filter:
// while the user types into the search box the filter stays as it is.
struct FilterVerdicts {
    std::vector<const SongRecord*> entries;  // the entries, in Playlist order
    std::vector<uint8_t> pass;
    ExplorerFilter filter;
    GenreTable genres;
    int viewSource = 0;

    static std::shared_ptr<const FilterVerdicts> build(const Playlist& playlist, const ExplorerFilter& filter,
                                                       const GenreTable& genres, int viewSource);
    // True when built for this filter (genre flags included) and source.
    bool answers(const ExplorerFilter& filter, const GenreTable& genres, int viewSource) const;
};

// The rows a rebuild shows: every Playlist entry, in Playlist order, that
// passes the filter and (when `search` is given) the search. With an index
// that serves the search, it answers the text test; verdicts answer the
// filter for the entries they were built on. Stops early, returning false,
// when `cancel` is raised; `progress` counts the entries looked at.
struct RowQuery {
    const Playlist* playlist = nullptr;
    ExplorerFilter filter;
    GenreTable genres;
    int viewSource = 0;
    bool searching = false;
    PreparedSearch search;
    std::shared_ptr<const FilterVerdicts> verdicts;  // may be null
};
bool collectRows(const RowQuery& query, const SearchIndex* index, std::vector<SongRecord*>& rows,
                 const std::atomic<bool>* cancel = nullptr, std::atomic<int>* progress = nullptr);

// --- the search worker ------------------------------------------------------

// At most one search at a time on its own thread. Starting a search first
// stops the one before and waits for it: it looks at the stop request before
// each entry, so the wait is short, and no late result of an old search can
// ever be taken for the new one.
class SearchWorker {
public:
    struct Result {
        uint64_t generation = 0;
        std::vector<SongRecord*> rows;
        // The index the search used or built, for the next searches.
        std::shared_ptr<const SearchIndex> index;
    };

    SearchWorker() = default;
    // Stops a running search and waits for it.
    ~SearchWorker();
    SearchWorker(const SearchWorker&) = delete;
    SearchWorker& operator=(const SearchWorker&) = delete;

    // Starts a search of `query`; with no serving `index` the worker builds
    // one. `finished` runs on the worker thread when the search completes
    // (not when it is stopped); the window posts itself a message there.
    // Returns the search's generation, which grows with every start.
    uint64_t start(RowQuery query, std::shared_ptr<const SearchIndex> index,
                   std::function<void(uint64_t generation)> finished = {});
    // Asks the running search to stop and waits for it to end.
    void stop();
    // Waits for the current search to end by itself.
    void wait();
    bool running() const { return running_.load(); }
    // Entries looked at by the current search, and their number.
    int progress() const { return progress_.load(); }
    int total() const { return total_.load(); }
    // The result of the last search started, once it has completed; false
    // while it runs, after it was stopped, or when already taken.
    bool takeResult(Result& result);
    uint64_t generation() const { return generation_; }

private:
    void join();
    void run(uint64_t generation, const RowQuery& query, std::shared_ptr<const SearchIndex> index,
             const std::function<void(uint64_t)>& finished);

    Thread thread_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> running_{false};
    std::atomic<int> progress_{0};
    std::atomic<int> total_{0};
    uint64_t generation_ = 0;
    std::mutex resultMutex_;
    bool resultReady_ = false;
    Result result_;
};

// --- the window's filter and search state -----------------------------------

class FilterSearch {
public:
    // `playlist` must outlive this object.
    explicit FilterSearch(const Playlist& playlist);
    ~FilterSearch();
    FilterSearch(const FilterSearch&) = delete;
    FilterSearch& operator=(const FilterSearch&) = delete;

    // Options: viewInfoFrom and searchFields.
    void applySettings(const Settings& settings);
    void setViewSource(int source);
    int viewSource() const { return viewSource_; }
    void setSearchFields(uint32_t fields);
    uint32_t searchFields() const { return searchFields_; }

    // The search box's text, kept up to kSearchTextLimit bytes.
    void setSearchText(std::string_view text);
    const std::string& searchText() const { return searchText_; }

    ExplorerFilter& filter() { return filter_; }
    const ExplorerFilter& filter() const { return filter_; }
    GenreTable& genres() { return genres_; }
    const GenreTable& genres() const { return genres_; }

    // The Playlist's content or tags may have changed: counts the genres
    // afresh and drops the search index. A genre filter stays on its genre
    // (the count would otherwise flag every genre present and let all pass).
    void recountGenres();
    // Drops the search index only.
    void invalidateIndex();

    bool passesFilter(const SongRecord& entry) const;
    bool matchesSearch(const SongRecord& entry, const PreparedSearch& search) const;

    // The rows to show for the current filter and search text.
    std::vector<SongRecord*> rows();
    // Of `entries` (new to the Playlist), those the rows would show, in the
    // given order: the list shows a growing Playlist without a rebuild.
    std::vector<SongRecord*> rowsAmong(const std::vector<SongRecord*>& entries) const;
    // Rebuilds `view` with them on the calling thread.
    void refilter(PlaylistView& view);

    // The search text changed: stops a running search; with an empty text
    // refilters `view` at once and returns 0; otherwise starts a search on
    // the worker and returns its generation.
    uint64_t startSearch(PlaylistView& view, std::function<void(uint64_t)> finished = {});
    // Shows the result of the worker's search in `view` when it has
    // completed; false (view untouched) otherwise.
    bool applySearchResult(PlaylistView& view);
    // Stops the worker (the window ends it before the list goes away).
    void stopSearch() { worker_.stop(); }
    // Before the Playlist changes under a search: a search still going is
    // stopped and done again on the calling thread, one done but not shown
    // yet is shown, so that `view` shows the search's rows and no worker
    // reads the Playlist. True when `view` changed.
    bool finishSearch(PlaylistView& view);
    SearchWorker& worker() { return worker_; }

    // The index for the current options, built now when missing.
    std::shared_ptr<const SearchIndex> index();
    // The explorer test's verdicts for the current filter, built now when
    // missing; null without a filter.
    std::shared_ptr<const FilterVerdicts> verdicts();

private:
    RowQuery query() const;

    const Playlist& playlist_;
    int viewSource_ = 0;
    uint32_t searchFields_ = kSearchArtist | kSearchTitle | kSearchAlbum;
    std::string searchText_;
    ExplorerFilter filter_;
    GenreTable genres_;
    std::shared_ptr<const SearchIndex> index_;
    std::shared_ptr<const FilterVerdicts> verdicts_;
    SearchWorker worker_;
};

}  // namespace td
