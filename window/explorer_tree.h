// The content of the explorer pane as a portable tree: the root "All audio",
// one category node per field the explorer options show, and under each the
// values found in the Playlist. Every leaf carries the explorer filter that
// selecting it sets. The window's tree view mirrors this model.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "playlist/filter_search.h"
#include "playlist/statistics.h"

namespace td {

class Playlist;

constexpr int kExplorerCategoryCount = 7;
extern const char kExplorerRootLabel[];  // "All audio"

// Category slots in tree order.
enum ExplorerCategory : int {
    kCategoryArtist = 0,
    kCategoryGenre = 1,
    kCategoryTagKind = 2,
    kCategoryComment = 3,
    kCategoryMode = 4,
    kCategoryAlbum = 5,
    kCategoryRating = 6,
};

// Per slot: LangTable label, explorerFields bit, image, filter mask of its
// leaves.
struct ExplorerCategoryDef {
    int labelText;
    uint32_t fieldBit;
    int image;
    uint32_t mask;
};
extern const ExplorerCategoryDef kExplorerCategories[kExplorerCategoryCount];

enum class ExplorerNodeKind { Root, Category, Leaf };

struct ExplorerNode {
    ExplorerNodeKind kind = ExplorerNodeKind::Root;
    int category = -1;  // slot of a category node or of a leaf's category
    std::string label;
    int image = 6;
    int itemData = 0;       // genre index, tag kind, mode or rating of a leaf
    int count = 0;          // entries the node stands for
    ExplorerFilter filter;  // what selecting it sets (mask 0 for root and categories)
    int parent = -1;
    std::vector<int> children;
    bool expanded = false;
};

struct ExplorerTree {
    std::vector<ExplorerNode> nodes;                          // nodes[0] is the root
    std::array<int, kExplorerCategoryCount> categoryNodes{};  // -1 when not shown
    int selected = 0;                                         // the node buildExplorer selects

    const ExplorerNode& root() const { return nodes[0]; }
    // The node whose label path from the root is `category` then `leaf`
    // (a category label alone names the category); -1 when absent.
    int find(const std::string& category, const std::string& leaf = std::string()) const;
};

// Builds the tree for the Playlist under `viewSource`, showing the categories
// of `explorerFields`. Genre leaves come from the counts of `genres`. The leaf
// equal to an active artist, comment or album filter is selected and its
// parent expanded; otherwise the root is selected and expanded.
ExplorerTree buildExplorer(const Playlist& playlist, int viewSource, uint32_t explorerFields,
                           const GenreTable& genres, const ExplorerFilter& current);

// The filter a selection in the tree sets: reset first (mask 0, every genre
// flag cleared); a leaf then sets its category's mask and value (a genre leaf
// sets its genre's flag). Selecting nothing (-1), the root or a category gives
// no filter.
void filterFromSelection(const ExplorerTree& tree, int node, ExplorerFilter& filter, GenreTable& genres);

// The explorer rebuilt for the window's state (its Playlist, view source,
// filter and genre table), with the selection the build makes applied as
// filterFromSelection applies a selection. A genre, tag kind, mode or rating
// filter, or a text filter whose value is gone, ends there because the root
// gets selected. Returns true when the filter changed: the window then
// refilters, so that the rows never follow a filter the caption and the tree
// no longer show.
bool refreshExplorer(FilterSearch& state, const Playlist& playlist, uint32_t explorerFields,
                     ExplorerTree& tree);

}  // namespace td
