#include "window/explorer_tree.h"

#include <algorithm>
#include <map>
#include <utility>

#include "platform/text_codec.h"
#include "playlist/playlist.h"
#include "settings/lang_table.h"
#include "tags/id3v1/id3v1.h"
#include "tags/id3v2/frame_table.h"
#include "tags/mpeg/mpeg_info.h"
#include "tags/song_record.h"

namespace td {

const char kExplorerRootLabel[] = "All audio";

const ExplorerCategoryDef kExplorerCategories[kExplorerCategoryCount] = {
    {87, 1u << 0, 7, kFilterArtist},    // "Artist"
    {92, 1u << 1, 8, kFilterGenre},     // "Genre"
    {101, 1u << 2, 0, kFilterTagKind},  // "ID3Tag"
    {91, 1u << 3, 9, kFilterComment},   // "Comment"
    {94, 1u << 4, 11, kFilterMode},     // "Mode"
    {89, 1u << 5, 10, kFilterAlbum},    // "Album"
    {366, 1u << 6, 5, kFilterRating},   // "Rating"
};

namespace {

constexpr int kRootImage = 6;
const char* const kTagKindNames[4] = {"No Tag", "ID3v1", "ID3v2", "ID3v1+v2"};
const char* const kRatingNames[6] = {"No rating", "*", "**", "***", "****", "*****"};

class Builder {
public:
    explicit Builder(ExplorerTree& tree) : tree_(tree) {}

    int add(int parent, ExplorerNodeKind kind, int category, std::string label, int image, int itemData,
            int count) {
        ExplorerNode node;
        node.kind = kind;
        node.category = category;
        node.label = std::move(label);
        node.image = image;
        node.itemData = itemData;
        node.count = count;
        node.parent = parent;
        tree_.nodes.push_back(std::move(node));
        const int index = static_cast<int>(tree_.nodes.size()) - 1;
        if (parent >= 0) {
            tree_.nodes[parent].children.push_back(index);
            if (kind == ExplorerNodeKind::Leaf) tree_.nodes[parent].count += count;
        }
        return index;
    }

    // Leaves for the distinct non-empty values of a text field, ascending by
    // bytes; returns the leaf equal to `wanted` (when that filter is active).
    int addTextLeaves(int parent, int category, const std::map<std::string, int>& values, int image,
                      bool active, const std::string& wanted) {
        int remembered = -1;
        const uint32_t mask = kExplorerCategories[category].mask;
        for (const auto& value : values) {
            const int leaf =
                add(parent, ExplorerNodeKind::Leaf, category, value.first, image, 0, value.second);
            ExplorerFilter& filter = tree_.nodes[leaf].filter;
            filter.mask = mask;
            if (mask == kFilterArtist) filter.artist = value.first;
            if (mask == kFilterAlbum) filter.album = value.first;
            if (mask == kFilterComment) filter.comment = value.first;
            if (active && value.first == wanted) remembered = leaf;
        }
        return remembered;
    }

private:
    ExplorerTree& tree_;
};

}  // namespace

int ExplorerTree::find(const std::string& category, const std::string& leaf) const {
    for (int c : nodes.empty() ? std::vector<int>() : nodes[0].children) {
        if (nodes[c].label != category) continue;
        if (leaf.empty()) return c;
        for (int l : nodes[c].children) {
            if (nodes[l].label == leaf) return l;
        }
    }
    return -1;
}

ExplorerTree buildExplorer(const Playlist& playlist, int viewSource, uint32_t explorerFields,
                           const GenreTable& genres, const ExplorerFilter& current) {
    ExplorerTree tree;
    tree.categoryNodes.fill(-1);
    Builder builder(tree);

    int modes[4] = {0, 0, 0, 0};
    int tagKinds[4] = {0, 0, 0, 0};
    int ratings[6] = {0, 0, 0, 0, 0, 0};
    // std::string orders by unsigned bytes: the order of the sorted list.
    std::map<std::string, int> artists, comments, albums;
    const bool wantArtists = explorerFields & kExplorerCategories[kCategoryArtist].fieldBit;
    const bool wantComments = explorerFields & kExplorerCategories[kCategoryComment].fieldBit;
    const bool wantAlbums = explorerFields & kExplorerCategories[kCategoryAlbum].fieldBit;
    std::string text;
    const int count = playlist.count();
    for (int i = 0; i < count; ++i) {
        const SongRecord* entry = playlist.entryAt(i);
        if (!entry) continue;
        const int32_t mode = entry->GetMpegInfo().mode;
        if (mode >= 0 && mode < 4) ++modes[mode];
        ++tagKinds[entry->GetTagFlags() & 3];
        if (entry->GetRating() <= 5) ++ratings[entry->GetRating()];
        auto collect = [&](bool wanted, int type, std::map<std::string, int>& into) {
            if (!wanted) return;
            text.clear();
            GetTagField(*entry, type, viewSource, text);
            if (!text.empty()) ++into[text];
        };
        collect(wantArtists, kTPE1, artists);
        collect(wantComments, kCOMM, comments);
        collect(wantAlbums, kTALB, albums);
    }

    const int root = builder.add(-1, ExplorerNodeKind::Root, -1, kExplorerRootLabel, kRootImage, 0, 0);
    tree.nodes[root].count = count;
    for (int slot = 0; slot < kExplorerCategoryCount; ++slot) {
        const ExplorerCategoryDef& def = kExplorerCategories[slot];
        if (!(explorerFields & def.fieldBit)) continue;
        tree.categoryNodes[slot] = builder.add(root, ExplorerNodeKind::Category, slot,
                                               LangTable::getString(def.labelText), def.image, 0, 0);
    }

    int remembered = -1;
    auto keep = [&remembered](int leaf) {
        if (leaf >= 0) remembered = leaf;
    };
    if (tree.categoryNodes[kCategoryArtist] >= 0) {
        keep(builder.addTextLeaves(tree.categoryNodes[kCategoryArtist], kCategoryArtist, artists, 7,
                                   current.mask == kFilterArtist, current.artist));
    }
    if (tree.categoryNodes[kCategoryGenre] >= 0) {
        // The tree sorts genre leaves by name, letters compared without
        // regard to case.
        std::vector<int> present;
        for (int g = 0; g < kGenreSlotCount; ++g) {
            if (genres.slots[g].count > 0) present.push_back(g);
        }
        std::stable_sort(present.begin(), present.end(),
                         [](int a, int b) { return text::CompareNoCase(GenreName(a), GenreName(b)) < 0; });
        for (int g : present) {
            const int leaf = builder.add(tree.categoryNodes[kCategoryGenre], ExplorerNodeKind::Leaf,
                                         kCategoryGenre, GenreName(g), 8, g, genres.slots[g].count);
            tree.nodes[leaf].filter.mask = kFilterGenre;
            tree.nodes[leaf].filter.genre = g;
        }
    }
    if (tree.categoryNodes[kCategoryComment] >= 0) {
        keep(builder.addTextLeaves(tree.categoryNodes[kCategoryComment], kCategoryComment, comments, 9,
                                   current.mask == kFilterComment, current.comment));
    }
    if (tree.categoryNodes[kCategoryTagKind] >= 0) {
        for (int kind = 0; kind < 4; ++kind) {
            if (tagKinds[kind] == 0) continue;
            const int leaf = builder.add(tree.categoryNodes[kCategoryTagKind], ExplorerNodeKind::Leaf,
                                         kCategoryTagKind, kTagKindNames[kind], kind, kind, tagKinds[kind]);
            tree.nodes[leaf].filter.mask = kFilterTagKind;
            tree.nodes[leaf].filter.tagKind = kind;
        }
    }
    if (tree.categoryNodes[kCategoryMode] >= 0) {
        for (int mode = 0; mode < 4; ++mode) {
            if (modes[mode] == 0) continue;
            const int leaf = builder.add(tree.categoryNodes[kCategoryMode], ExplorerNodeKind::Leaf,
                                         kCategoryMode, ChannelModeName(mode), 11 + mode, mode, modes[mode]);
            tree.nodes[leaf].filter.mask = kFilterMode;
            tree.nodes[leaf].filter.channelMode = mode;
        }
    }
    if (tree.categoryNodes[kCategoryAlbum] >= 0) {
        keep(builder.addTextLeaves(tree.categoryNodes[kCategoryAlbum], kCategoryAlbum, albums, 10,
                                   current.mask == kFilterAlbum, current.album));
    }
    if (tree.categoryNodes[kCategoryRating] >= 0) {
        for (int rating = 0; rating < 6; ++rating) {
            if (ratings[rating] == 0) continue;
            const int leaf = builder.add(tree.categoryNodes[kCategoryRating], ExplorerNodeKind::Leaf,
                                         kCategoryRating, kRatingNames[rating], 5, rating, ratings[rating]);
            tree.nodes[leaf].filter.mask = kFilterRating;
            tree.nodes[leaf].filter.rating = rating;
        }
    }

    if (remembered >= 0) {
        tree.nodes[tree.nodes[remembered].parent].expanded = true;
        tree.selected = remembered;
    } else {
        tree.nodes[root].expanded = true;
        tree.selected = root;
    }
    return tree;
}

void filterFromSelection(const ExplorerTree& tree, int node, ExplorerFilter& filter, GenreTable& genres) {
    filter.reset();
    genres.setAllFlags(false);
    if (node < 0 || node >= static_cast<int>(tree.nodes.size())) return;
    const ExplorerNode& selected = tree.nodes[node];
    if (selected.kind != ExplorerNodeKind::Leaf) return;
    filter = selected.filter;
    if (filter.mask == kFilterGenre && filter.genre >= 0 && filter.genre < kGenreSlotCount) {
        genres.slots[filter.genre].flag = true;
    }
}

bool refreshExplorer(FilterSearch& state, const Playlist& playlist, uint32_t explorerFields,
                     ExplorerTree& tree) {
    tree = buildExplorer(playlist, state.viewSource(), explorerFields, state.genres(), state.filter());
    const ExplorerFilter before = state.filter();
    filterFromSelection(tree, tree.selected, state.filter(), state.genres());
    return state.filter() != before;
}

}  // namespace td
